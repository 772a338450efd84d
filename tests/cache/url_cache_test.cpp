// The enumerator and the reader over the fake cache, which can be busy and
// grow an entry between the probe and the read on demand.
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
  EXPECT_EQ(cache.calls, 0);
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

int g_pauses = 0;
std::vector<CacheEntryCopy> Read(FakeUrlCache& cache, const wchar_t* pattern, CacheReadPolicy policy = {}) {
  CCacheEntryReader reader(cache, pattern, policy);
  std::vector<CacheEntryCopy> got;
  for (CacheEntryCopy c; reader.Next(&c);) got.push_back(c);
  EXPECT_FALSE(reader.Next(nullptr)) << "over stays over";
  EXPECT_EQ(cache.open_finds + cache.dirty_buffers + cache.oversized_claims, 0);  // the handle closed at the end
  return got;
}

// A busy container: each probe or read is tried `attempts` times, then given
// up. An entry that grows between probe and read ends the walk without
// retries; with them the read succeeds, and WinINet is never told more bytes
// than the block holds, even when the entry grew past twice its size.
TEST(CCacheEntryReader, BusyContainerAndEntryThatGrew) {
  struct { int attempts, busy; DWORD growth; size_t entries_read; int pauses; } cases[] = {  // busy: failing first
      {1, 1, 0, 0, 0},   {21, 20, 0, 3, 20}, {21, 21, 0, 0, 20},  {3, 2, 0, 3, 2},
      {1, 0, 100, 0, 0}, {3, 0, 100, 3, 3},  {1, 0, 20000, 0, 0}, {3, 0, 20000, 3, 3}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.Add({L"http://a/0", std::nullopt});
    cache.Add({L"http://a/1", L""});
    cache.Add({L"http://a/2", L"t", NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY, 42});
    cache.busy_calls = c.busy;
    cache.grow_after_probe = c.growth;
    g_pauses = 0;
    const auto got = Read(cache, nullptr, {c.attempts, 100, [](DWORD) { ++g_pauses; }});
    EXPECT_EQ(got.size(), c.entries_read) << &c - cases;
    EXPECT_TRUE(got.size() < 3 || (!got[0].has_local_file && got[1].has_local_file && got[1].local_file.empty() &&
                                   got[2].local_file == L"t" && got[2].size_low == 42 &&
                                   got[2].type == (NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY)));
    EXPECT_EQ(g_pauses, c.pauses) << &c - cases;
  }
}

// Only a container that yields nothing at all is asked for once more (Wine:
// "cookie:" misses, "Cookie:" matches), only for "cookie:"; a busy one is not
// the missing one. FindFirst calls of the enumerator and of the reader.
TEST(CookieContainer, SecondSpellingUnderEitherMatching) {
  struct { bool exact, with_cookie; int busy, enumerator_calls, reader_calls; } cases[] = {
      {false, true, 0, 1, 2}, {true, true, 0, 2, 3}, {false, false, 0, 2, 2}, {true, false, 0, 2, 2},
      {false, true, 1, 1, 1}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = c.exact;
    if (c.with_cookie) cache.Add({L"Cookie:a", L"f"});
    for (int reader = 0; reader < 2; ++reader) {
      cache.busy_calls = c.busy;
      cache.first_patterns.clear();
      const bool found = reader ? Read(cache, kCookiePattern).size() == 1
                                : CUrlCacheEnumerator(cache).FindFirstCookie() != nullptr;
      EXPECT_EQ(found, c.with_cookie && !c.busy) << reader << c.exact << c.with_cookie << c.busy;
      EXPECT_EQ(cache.first_patterns.size(), size_t(reader ? c.reader_calls : c.enumerator_calls)) << reader << c.exact;
    }
    EXPECT_EQ(Read(cache, L"cOOKIE:").size(), c.exact || !c.with_cookie ? 0u : 1u) << "no guess for other spellings";
  }
}

}  // namespace
}  // namespace bpriv::test
