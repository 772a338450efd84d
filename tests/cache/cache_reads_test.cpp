// CUrlCacheEnumerator and CCacheEntryReader over the fake cache, which can be
// busy and grow an entry between the probe and the read on demand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/cache_entry_reader.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"

namespace bpriv::test {
namespace {

FakeEntry Entry(const std::wstring& key, std::optional<std::wstring> file = L"C:\\c\\f.txt", DWORD extra = 0) {
  return {key, file, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY, 42, {}, {}, {}, extra};
}

TEST(CUrlCacheEnumerator, GrowsPastFourKilobytesAndKeepsTheLargerBuffer) {
  FakeUrlCache cache;
  for (DWORD extra : {0, 9000, 0}) cache.Add(Entry(L"Cookie:" + std::to_wstring(cache.size()), L"f", extra));
  CUrlCacheEnumerator e(cache);
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.capacity(), 4096u);
  const INTERNET_CACHE_ENTRY_INFOW* big = e.FindNext();
  ASSERT_NE(big, nullptr);
  EXPECT_STREQ(big->lpszSourceUrlName, L"Cookie:1");
  const DWORD grown = FakeUrlCache::RecordSize(*cache.Find(L"Cookie:1"));
  EXPECT_EQ(e.capacity(), grown);
  ASSERT_NE(e.FindNext(), nullptr);
  EXPECT_EQ(e.capacity(), grown) << "never shrinks";
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.dirty_buffers + cache.oversized_claims, 0);
}

TEST(CUrlCacheEnumerator, LookupsAndFindNextOutsideAnEnumeration) {
  FakeUrlCache cache;
  cache.Add(Entry(L"Cookie:a", L"a", 5000));
  cache.Add(Entry(L"Cookie:b"));
  cache.Add(Entry(L"Cookie:c"));
  CUrlCacheEnumerator e(cache);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.calls, 0) << "FindNext without enumeration calls nothing";
  ASSERT_NE(e.GetEntryInfo(L"Cookie:a"), nullptr);
  EXPECT_EQ(e.capacity(), FakeUrlCache::RecordSize(*cache.Find(L"Cookie:a")));
  EXPECT_EQ(cache.calls, 2) << "a fresh lookup: one probe without buffer, one read";

  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.GetEntryInfo(L"Cookie:zz"), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_NE(e.GetEntryInfo(L"Cookie:c"), nullptr);
  const INTERNET_CACHE_ENTRY_INFOW* next = e.FindNext();
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(next->lpszSourceUrlName, L"Cookie:b") << "lookups leave the enumeration alone";
  ASSERT_NE(e.FindNext(), nullptr);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_TRUE(e.enumerating()) << "the handle stays open after the end";
  e.Close();
  const int calls = cache.calls;
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.calls, calls);
  {
    CUrlCacheEnumerator scoped(cache);
    ASSERT_NE(scoped.FindFirstCookie(), nullptr);
  }
  EXPECT_EQ(cache.open_finds, 0) << "Close and destruction close the handle";
}

// Only a container that yields nothing at all is asked for once more; a busy
// one is not the missing one.
TEST(CUrlCacheEnumerator, CookieContainerUnderEitherMatching) {
  struct {
    bool exact, with_cookie;
    int busy, calls;  // FindFirst calls, closing included
    bool found;
  } cases[] = {
      {false, true, 0, 1, true},  {true, true, 0, 2, true},    // Wine: "cookie:" misses, "Cookie:" matches
      {false, false, 0, 2, false}, {true, false, 0, 2, false}, // empty: asked twice, empty twice
      {false, true, 1, 1, false},
  };
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = c.exact;
    cache.busy_calls = c.busy;
    if (c.with_cookie) cache.Add(Entry(L"Cookie:a"));
    CUrlCacheEnumerator e(cache);
    EXPECT_EQ(e.FindFirstCookie() != nullptr, c.found) << c.exact << c.with_cookie << c.busy;
    EXPECT_EQ(cache.calls, c.calls) << c.exact << c.with_cookie << c.busy;
  }
}

int g_pauses = 0;
void CountPause(DWORD) { ++g_pauses; }

std::vector<std::wstring> Keys(FakeUrlCache& cache, const wchar_t* pattern, CacheReadPolicy policy = {}) {
  CCacheEntryReader reader(cache, pattern, policy);
  std::vector<std::wstring> keys;
  for (CacheEntryCopy c; reader.Next(&c);) keys.push_back(c.key);
  EXPECT_EQ(cache.open_finds, 0) << "the enumeration's handle is closed at its end";
  EXPECT_EQ(cache.dirty_buffers + cache.oversized_claims, 0);
  return keys;
}

TEST(CCacheEntryReader, CopiesOutNullAndEmptyFileNames) {
  FakeUrlCache cache;
  cache.Add(Entry(L"http://a/1", std::nullopt));
  cache.Add(Entry(L"http://a/2", L""));
  cache.Add(Entry(L"http://a/3", L"C:\\t\\3.txt"));
  CCacheEntryReader reader(cache, nullptr);
  CacheEntryCopy c;
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_EQ(c.key, L"http://a/1");
  EXPECT_FALSE(c.has_local_file);
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_TRUE(c.has_local_file);
  EXPECT_EQ(c.local_file, L"");
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_EQ(c.local_file, L"C:\\t\\3.txt");
  EXPECT_EQ(c.type, static_cast<DWORD>(NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY));
  EXPECT_EQ(c.size_low, 42u);
  EXPECT_FALSE(reader.Next(&c));
  EXPECT_FALSE(reader.Next(&c)) << "over stays over";
  EXPECT_TRUE(reader.started());
}

// A busy container: each probe or read is tried `attempts` times, then given
// up. An entry that grows between probe and read ends the walk without
// retries; with them the read succeeds, and WinINet is never told more bytes
// than the block holds, even when the entry grew past twice its size.
TEST(CCacheEntryReader, BusyContainerAndEntryThatGrew) {
  struct {
    const char* name;
    int attempts, busy;  // failing calls at the start
    DWORD growth;
    size_t entries_read;
    int pauses;
  } cases[] = {
      {"no retry, busy probe ends at once", 1, 1, 0, 0, 0},
      {"retries outlast a busy probe", 21, 20, 0, 3, 20},
      {"21 attempts, then the job gives up", 21, 21, 0, 0, 20},
      {"busy probe then busy read", 3, 2, 0, 3, 2},
      {"grew, no retry", 1, 0, 100, 0, 0},
      {"grew, retried", 3, 0, 100, 3, 3},
      {"grew past twice, no retry", 1, 0, 20000, 0, 0},
      {"grew past twice, retried", 3, 0, 20000, 3, 3},
  };
  for (const auto& c : cases) {
    FakeUrlCache cache;
    for (int i = 0; i < 3; ++i) cache.Add(Entry(L"http://a/" + std::to_wstring(i)));
    cache.busy_calls = c.busy;
    cache.grow_after_probe = c.growth;
    g_pauses = 0;
    EXPECT_EQ(Keys(cache, nullptr, {c.attempts, 100, CountPause}).size(), c.entries_read) << c.name;
    EXPECT_EQ(g_pauses, c.pauses) << c.name;
  }
}

TEST(CCacheEntryReader, CookieSpellingFallbackOnlyForTheLowerCaseForm) {
  for (bool exact : {false, true}) {
    FakeUrlCache cache;
    cache.wine_matching = exact;
    cache.Add(Entry(L"Cookie:a@x/"));
    cache.Add(Entry(L"Cookie:b@x/"));
    EXPECT_EQ(Keys(cache, kCookiePattern), (std::vector<std::wstring>{L"Cookie:a@x/", L"Cookie:b@x/"})) << exact;
    EXPECT_EQ(Keys(cache, L"cOOKIE:").size(), exact ? 0u : 2u) << "no guessing for other spellings";
  }
}

}  // namespace
}  // namespace bpriv::test
