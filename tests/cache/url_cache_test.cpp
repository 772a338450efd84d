// The enumerator over the fake cache; the reader's retries and the second
// spelling of the cookie container are the cookie clean's (tests/clean).
#include <gtest/gtest.h>

#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"

namespace bpriv::test {
namespace {

// One buffer for all, from 4 KB to what the entry needs; a lookup neither
// uses nor moves the enumeration; FindNext outside one calls nothing.
TEST(CUrlCacheEnumerator, OneGrowingBufferAndLookupsBesideTheWalk) {
  FakeUrlCache cache;
  for (DWORD extra : {0, 9000}) cache.Add({L"Cookie:" + std::to_wstring(cache.size()), L"f", 0, 0, {}, {}, {}, extra});
  CUrlCacheEnumerator e(cache);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.find_next_calls, 0);
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.capacity(), 4096u);
  ASSERT_NE(e.GetEntryInfo(L"Cookie:0"), nullptr);
  const INTERNET_CACHE_ENTRY_INFOW* big = e.FindNext();
  ASSERT_NE(big, nullptr);
  EXPECT_STREQ(big->lpszSourceUrlName, L"Cookie:1");
  EXPECT_EQ(e.capacity(), FakeUrlCache::RecordSize(*cache.Find(L"Cookie:1")));
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_TRUE(e.enumerating()) << "the handle stays open after the end";
  EXPECT_EQ(e.FindFirst(L"Visited:"), nullptr) << "a new walk, even one that finds nothing, closes the last";
  EXPECT_EQ(cache.open_finds + cache.dirty_buffers + cache.oversized_claims, 0);
}

}  // namespace
}  // namespace bpriv::test
