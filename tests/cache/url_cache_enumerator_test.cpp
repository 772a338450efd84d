#include "cache/url_cache_enumerator.h"

#include <gtest/gtest.h>

#include <string>

#include "cache/fake_url_cache.h"

namespace bpriv::test {
namespace {

FakeEntry Cookie(const std::wstring& name, DWORD extra = 0) {
  FakeEntry e;
  e.key = L"Cookie:" + name;
  e.local_file = L"C:\\c\\" + name.substr(0, 1) + L".txt";
  e.type = COOKIE_CACHE_ENTRY;
  e.extra_bytes = extra;
  return e;
}

TEST(CUrlCacheEnumerator, GrowsPastFourKilobytesAndKeepsTheLargerBuffer) {
  FakeUrlCache cache;
  cache.Add(Cookie(L"a@x/"));
  cache.Add(Cookie(L"b@x/", 9000));
  cache.Add(Cookie(L"c@x/"));
  CUrlCacheEnumerator e(cache);
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.capacity(), 4096u);
  const INTERNET_CACHE_ENTRY_INFOW* big = e.FindNext();
  ASSERT_NE(big, nullptr);
  EXPECT_STREQ(big->lpszSourceUrlName, L"Cookie:b@x/");
  const DWORD grown = FakeUrlCache::RecordSize(*cache.Find(L"Cookie:b@x/"));
  EXPECT_EQ(e.capacity(), grown);
  ASSERT_NE(e.FindNext(), nullptr);
  EXPECT_EQ(e.capacity(), grown) << "never shrinks";
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.dirty_buffers, 0);
  EXPECT_EQ(cache.oversized_claims, 0);
}

TEST(CUrlCacheEnumerator, FindNextWithoutEnumerationCallsNothing) {
  FakeUrlCache cache;
  cache.Add(Cookie(L"a@x/"));
  CUrlCacheEnumerator e(cache);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.calls, 0);
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  e.Close();
  const int calls = cache.calls;
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_EQ(cache.calls, calls);
  EXPECT_EQ(cache.open_finds, 0);
}

TEST(CUrlCacheEnumerator, GetEntryInfoLeavesTheEnumerationAlone) {
  FakeUrlCache cache;
  for (const wchar_t* n : {L"a@x/", L"b@x/", L"c@x/"}) cache.Add(Cookie(n));
  CUrlCacheEnumerator e(cache);
  ASSERT_NE(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(e.GetEntryInfo(L"Cookie:zz@x/"), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_NE(e.GetEntryInfo(L"Cookie:c@x/"), nullptr);
  const INTERNET_CACHE_ENTRY_INFOW* next = e.FindNext();
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(next->lpszSourceUrlName, L"Cookie:b@x/");
  ASSERT_NE(e.FindNext(), nullptr);
  EXPECT_EQ(e.FindNext(), nullptr);
  EXPECT_TRUE(e.enumerating()) << "the handle stays open after the end";
  EXPECT_EQ(cache.open_finds, 1);
}

TEST(CUrlCacheEnumerator, FreshLookupStartsWithoutBufferAndDestructionCloses) {
  FakeUrlCache cache;
  cache.Add(Cookie(L"a@x/", 5000));
  {
    CUrlCacheEnumerator e(cache);
    const INTERNET_CACHE_ENTRY_INFOW* r = e.GetEntryInfo(L"Cookie:a@x/");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(e.capacity(), FakeUrlCache::RecordSize(*cache.Find(L"Cookie:a@x/")));
    EXPECT_EQ(cache.calls, 2) << "one probe without buffer, one read";
    ASSERT_NE(e.FindFirstCookie(), nullptr);
  }
  EXPECT_EQ(cache.open_finds, 0);
}

TEST(CUrlCacheEnumerator, BusyOrFailingCacheEndsWithNull) {
  FakeUrlCache cache;
  cache.Add(Cookie(L"a@x/"));
  cache.busy_calls = 1;
  CUrlCacheEnumerator e(cache);
  EXPECT_EQ(e.FindFirstCookie(), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(cache.calls, 1) << "a busy container is not the missing one: no second spelling";
}

// Only a container that yields nothing at all is asked for once more.
TEST(CUrlCacheEnumerator, CookieContainerFoundUnderEitherMatching) {
  struct {
    bool exact;
    bool with_cookie;
    int calls;  // FindFirst calls, closing included
    bool found;
  } cases[] = {
      {false, true, 1, true},   // Windows: "cookie:" matches
      {true, true, 2, true},    // Wine: "cookie:" misses, "Cookie:" matches
      {false, false, 2, false}, // Windows, empty container: asked twice, empty twice
      {true, false, 2, false},
  };
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = c.exact;
    if (c.with_cookie) cache.Add(Cookie(L"a@x/"));
    CUrlCacheEnumerator e(cache);
    EXPECT_EQ(e.FindFirstCookie() != nullptr, c.found) << c.exact << c.with_cookie;
    EXPECT_EQ(cache.calls, c.calls) << c.exact << c.with_cookie;
  }
}

}  // namespace
}  // namespace bpriv::test
