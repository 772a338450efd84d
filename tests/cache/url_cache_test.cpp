// The enumerator over the fake cache, which can be busy and grow an entry
// between the probe and the read on demand; the reader's retries are the
// cookie clean's (tests/clean).
#include <gtest/gtest.h>

#include "cache/cache_entry_reader.h"
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

// The listing's enumerator, like the cleaning's reader, asks for "Cookie:" only
// when "cookie:" yields no entry at all (Wine: "cookie:" misses, "Cookie:"
// matches); a busy cache is not an empty one; no other spelling is guessed.
TEST(CookieContainer, SecondSpellingOnlyAfterAnEmptyAnswer) {
  const struct { bool exact, with_cookie; int busy; size_t calls; } cases[] = {
      {false, true, 0, 1}, {true, true, 0, 2}, {false, false, 0, 2}, {true, false, 0, 2}, {false, true, 1, 1}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = c.exact;
    if (c.with_cookie) cache.Add({L"Cookie:a", L"f"});
    cache.busy_calls = c.busy;
    EXPECT_EQ(CUrlCacheEnumerator(cache).FindFirstCookie() != nullptr, c.with_cookie && !c.busy) << c.exact << c.busy;
    EXPECT_EQ(cache.first_patterns.size(), c.calls) << c.exact << c.with_cookie << c.busy;
    CacheEntryCopy entry;
    EXPECT_EQ(CCacheEntryReader(cache, L"cOOKIE:").Next(&entry), !c.exact && c.with_cookie) << c.exact;
  }
}

}  // namespace
}  // namespace bpriv::test
