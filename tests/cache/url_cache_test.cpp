// The URL cache as this program relies on it, checked against the fake and
// Wine's real WinINet alike, so the fake cannot drift; then the enumerator and
// the reader over the fake, which can be busy and grow an entry between the
// probe and the read on demand.
#include <gtest/gtest.h>

#include "../../tools/agentctl/seed.h"
#include "cache/cache_entry_reader.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"

namespace bpriv::test {
namespace {

using Keys = std::vector<std::wstring>;
DWORD Error() { return ::GetLastError(); }
DWORD Failure(bool done) { return done ? 0 : ::GetLastError(); }

// Kinds 0 and 1: the fake with Windows' and Wine's container matching; 2: WinINet.
TEST(UrlCacheContract, ProbeReadLookupDeleteAndEnd) {
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    FakeUrlCache fake;
    fake.wine_matching = kind == 1;
    if (kind == 2) ResetRealCache();
    UrlCacheApi& api = kind == 2 ? WinInetUrlCache() : fake;
    DWORD size = 0;
    EXPECT_EQ(Failure(api.FindFirst(L"Cookie:", nullptr, &size)), DWORD{ERROR_NO_MORE_ITEMS});  // an empty container
    EXPECT_EQ(size, 0u);
    agentctl::SeededEntry made;
    ASSERT_TRUE(kind < 2 || agentctl::SeedCookie(L"probe@contract.example/", {0x12345678, 0x01D00000}, &made));
    ASSERT_TRUE(kind < 2 ||
                agentctl::SeedEntryWithoutFile(L"http://contract.example/nofile", NORMAL_CACHE_ENTRY, &made));
    fake.Add({L"Cookie:probe@contract.example/", L"C:\\c\\p.txt", COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY});
    fake.Add({L"http://contract.example/nofile", std::nullopt});
    EXPECT_EQ(Failure(api.FindFirst(L"Cookie:", nullptr, &size)), DWORD{ERROR_INSUFFICIENT_BUFFER});
    std::vector<BYTE> buffer(size);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD short_size = size - 1;
    EXPECT_EQ(Failure(api.FindFirst(L"Cookie:", entry, &short_size)), DWORD{ERROR_INSUFFICIENT_BUFFER});
    EXPECT_EQ(short_size, size);
    std::fill(buffer.begin(), buffer.end(), 0);
    HANDLE find = api.FindFirst(L"Cookie:", entry, &size);
    ASSERT_NE(find, nullptr) << Error();
    EXPECT_STREQ(entry->lpszSourceUrlName, L"Cookie:probe@contract.example/");
    EXPECT_NE(entry->lpszLocalFileName[0], L'\0');
    EXPECT_TRUE(entry->CacheEntryType & COOKIE_CACHE_ENTRY);
    size = 0;
    EXPECT_EQ(Failure(api.FindNext(find, nullptr, &size)), DWORD{ERROR_NO_MORE_ITEMS});
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(api.FindClose(find));
    CUrlCacheEnumerator e(api);
    const INTERNET_CACHE_ENTRY_INFOW* found = e.GetEntryInfo(L"http://contract.example/nofile");
    ASSERT_NE(found, nullptr) << Error();
    EXPECT_EQ(found->lpszLocalFileName, nullptr);
    EXPECT_EQ(Failure(api.GetEntryInfo(L"Cookie:absent@x/", entry, &size)), DWORD{ERROR_FILE_NOT_FOUND});
    EXPECT_TRUE(api.DeleteEntry(L"Cookie:probe@contract.example/"));
    EXPECT_EQ(e.GetEntryInfo(L"Cookie:probe@contract.example/"), nullptr);
    if (kind == 2) ResetRealCache();
  }
}

FakeEntry Entry(const std::wstring& key, const wchar_t* file = L"f", DWORD extra = 0) {  // file null: none
  return {key, file ? std::optional<std::wstring>(file) : std::nullopt, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY, 42,
          {}, {}, {}, extra};
}

// One buffer for all: it grows past 4 KB and never shrinks; a lookup neither
// uses nor moves the enumeration; FindNext outside one calls nothing.
TEST(CUrlCacheEnumerator, OneGrowingBufferAndLookupsBesideTheWalk) {
  FakeUrlCache cache;
  for (DWORD extra : {0, 9000, 0}) cache.Add(Entry(L"Cookie:" + std::to_wstring(cache.size()), L"f", extra));
  CUrlCacheEnumerator e(cache);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.calls, 0);
  ASSERT_NE(e.GetEntryInfo(L"Cookie:2"), nullptr);
  EXPECT_EQ(cache.calls, 2) << "a fresh lookup: one probe without buffer, one read";
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.capacity(), 4096u);
  EXPECT_EQ(e.GetEntryInfo(L"Cookie:zz"), nullptr);
  EXPECT_EQ(Error(), DWORD{ERROR_FILE_NOT_FOUND});
  const INTERNET_CACHE_ENTRY_INFOW* big = e.FindNext();
  ASSERT_NE(big, nullptr);
  EXPECT_STREQ(big->lpszSourceUrlName, L"Cookie:1");
  const DWORD grown = FakeUrlCache::RecordSize(*cache.Find(L"Cookie:1"));
  EXPECT_EQ(e.capacity(), grown);
  ASSERT_NE(e.FindNext(), nullptr);
  EXPECT_EQ(e.capacity(), grown) << "never shrinks";
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_TRUE(e.enumerating()) << "the handle stays open after the end";
  EXPECT_EQ(e.FindFirst(L"Visited:"), nullptr) << "a new walk, even one that finds nothing, closes the last";
  EXPECT_EQ(cache.open_finds + cache.dirty_buffers + cache.oversized_claims, 0);
}

int g_pauses = 0;
Keys Read(FakeUrlCache& cache, const wchar_t* pattern, CacheReadPolicy policy = {},
          std::vector<CacheEntryCopy>* copies = nullptr) {
  CCacheEntryReader reader(cache, pattern, policy);
  Keys keys;
  for (CacheEntryCopy c; reader.Next(&c); keys.push_back(c.key))
    if (copies) copies->push_back(c);
  EXPECT_FALSE(reader.Next(nullptr)) << "over stays over";
  EXPECT_EQ(cache.open_finds, 0) << "the handle is closed at the end";
  EXPECT_EQ(cache.dirty_buffers + cache.oversized_claims, 0);
  return keys;
}

// A busy container: each probe or read is tried `attempts` times, then given
// up. An entry that grows between probe and read ends the walk without
// retries; with them the read succeeds, and WinINet is never told more bytes
// than the block holds, even when the entry grew past twice its size.
TEST(CCacheEntryReader, BusyContainerAndEntryThatGrew) {
  struct {
    int attempts, busy;  // failing calls at the start
    DWORD growth;
    size_t entries_read;
    int pauses;
  } cases[] = {{1, 1, 0, 0, 0},     {21, 20, 0, 3, 20},  {21, 21, 0, 0, 20},    {3, 2, 0, 3, 2},
               {1, 0, 100, 0, 0},   {3, 0, 100, 3, 3},   {1, 0, 20000, 0, 0},   {3, 0, 20000, 3, 3}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    for (const wchar_t* file : {static_cast<const wchar_t*>(nullptr), L"", L"t"})
      cache.Add(Entry(L"http://a/" + std::to_wstring(cache.size()), file));
    cache.busy_calls = c.busy;
    cache.grow_after_probe = c.growth;
    g_pauses = 0;
    std::vector<CacheEntryCopy> got;  // null and empty file names told apart
    EXPECT_EQ(Read(cache, nullptr, {c.attempts, 100, [](DWORD) { ++g_pauses; }}, &got).size(), c.entries_read)
        << c.attempts << " " << c.busy << " " << c.growth;
    EXPECT_TRUE(got.size() < 3 || (!got[0].has_local_file && got[1].has_local_file && got[1].local_file.empty() &&
                                   got[2].local_file == L"t" && got[2].size_low == 42 &&
                                   got[2].type == (NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY)));
    EXPECT_EQ(g_pauses, c.pauses) << c.attempts << " " << c.busy << " " << c.growth;
  }
}

// Only a container that yields nothing at all is asked for once more (Wine:
// "cookie:" misses, "Cookie:" matches), only for "cookie:"; a busy one is not
// the missing one. FindFirst calls of the enumerator and of the reader.
TEST(CookieContainer, SecondSpellingUnderEitherMatching) {
  struct {
    bool exact, with_cookie;
    int busy, enumerator_calls, reader_calls;
  } cases[] = {{false, true, 0, 1, 2}, {true, true, 0, 2, 3}, {false, false, 0, 2, 2}, {true, false, 0, 2, 2},
               {false, true, 1, 1, 1}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = c.exact;
    if (c.with_cookie) cache.Add(Entry(L"Cookie:a"));
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
