#include "cache/cache_entry_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/fake_url_cache.h"

namespace bpriv::test {
namespace {

int g_pauses = 0;
void CountPause(DWORD) { ++g_pauses; }

FakeEntry File(const std::wstring& url, std::optional<std::wstring> local = L"C:\\t\\f.txt", DWORD type = 1) {
  FakeEntry e;
  e.key = url;
  e.local_file = local;
  e.type = type;
  e.size_low = 42;
  return e;
}

std::vector<std::wstring> Keys(FakeUrlCache& cache, const wchar_t* pattern, CacheReadPolicy policy = {}) {
  CCacheEntryReader reader(cache, pattern, policy);
  std::vector<std::wstring> keys;
  for (CacheEntryCopy c; reader.Next(&c);) keys.push_back(c.key);
  EXPECT_EQ(cache.open_finds, 0) << "the enumeration's handle is closed at its end";
  return keys;
}

TEST(CCacheEntryReader, CopiesOutNullAndEmptyFileNames) {
  FakeUrlCache cache;
  cache.Add(File(L"http://a/1", std::nullopt));
  cache.Add(File(L"http://a/2", L""));
  cache.Add(File(L"http://a/3", L"C:\\t\\3.txt", NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY));
  CCacheEntryReader reader(cache, nullptr);
  CacheEntryCopy c;
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_EQ(c.key, L"http://a/1");
  EXPECT_FALSE(c.has_local_file);
  EXPECT_EQ(c.local_file, L"");
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
  EXPECT_EQ(cache.dirty_buffers, 0);
}

// A busy container: each probe or read is tried `attempts` times, then given up.
TEST(CCacheEntryReader, BusyContainerFollowsTheRetryPolicy) {
  struct {
    const char* name;
    int attempts;
    int busy;  // failing calls at the start
    size_t entries_read;
    int pauses;
  } cases[] = {
      {"no retry, busy probe ends at once", 1, 1, 0, 0},
      {"retries outlast a busy probe", 21, 20, 3, 20},
      {"21 attempts, then the job gives up", 21, 21, 0, 20},
      {"busy probe then busy read", 3, 2, 3, 2},
  };
  for (const auto& c : cases) {
    FakeUrlCache cache;
    for (int i = 0; i < 3; ++i) cache.Add(File(L"http://a/" + std::to_wstring(i)));
    cache.busy_calls = c.busy;
    g_pauses = 0;
    CacheReadPolicy policy{c.attempts, 100, CountPause};
    EXPECT_EQ(Keys(cache, nullptr, policy).size(), c.entries_read) << c.name;
    EXPECT_EQ(g_pauses, c.pauses) << c.name;
  }
}

// The entry grows between probe and read. Without retries the enumeration
// ends there; with them the read succeeds, and WinINet is never told more
// bytes than the block holds, even when the entry grew past twice its size.
TEST(CCacheEntryReader, EntryThatGrewBetweenProbeAndRead) {
  for (DWORD growth : {100u, 20000u}) {
    for (int attempts : {1, 3}) {
      FakeUrlCache cache;
      cache.Add(File(L"http://a/1"));
      cache.Add(File(L"http://a/2"));
      cache.grow_after_probe = growth;
      CacheReadPolicy policy{attempts, 0, CountPause};
      const size_t read = Keys(cache, nullptr, policy).size();
      EXPECT_EQ(read, attempts == 1 ? 0u : 2u) << growth << " " << attempts;
      EXPECT_EQ(cache.oversized_claims, 0) << growth << " " << attempts;
      EXPECT_EQ(cache.dirty_buffers, 0);
    }
  }
}

TEST(CCacheEntryReader, CookieSpellingFallbackOnlyForTheLowerCaseForm) {
  for (bool exact : {false, true}) {
    FakeUrlCache cache;
    cache.wine_matching = exact;
    cache.Add(File(L"Cookie:a@x/"));
    cache.Add(File(L"Cookie:b@x/"));
    EXPECT_EQ(Keys(cache, kCookiePattern), (std::vector<std::wstring>{L"Cookie:a@x/", L"Cookie:b@x/"})) << exact;
    EXPECT_EQ(Keys(cache, L"cOOKIE:").size(), exact ? 0u : 2u) << "no guessing for other spellings";
  }
}

}  // namespace
}  // namespace bpriv::test
