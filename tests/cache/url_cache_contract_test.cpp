// What this program relies on from the URL cache, checked against the fake
// (with Windows' and with Wine's container matching) and against Wine's real
// WinINet alike, so the fake cannot drift from the real thing.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"  // the same samples agentctl seeds
#include "cache/cache_entry_reader.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"

namespace bpriv::test {
namespace {

constexpr FILETIME kExpire = {0x12345678, 0x01D00000};
enum class Kind { kFakeWindows, kFakeWine, kWinInet };

class UrlCacheContract : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    fake_.wine_matching = GetParam() == Kind::kFakeWine;
    if (real()) ResetRealCache();
  }
  void TearDown() override {
    if (real()) ResetRealCache();
  }
  bool real() const { return GetParam() == Kind::kWinInet; }
  UrlCacheApi& api() { return real() ? WinInetUrlCache() : fake_; }
  bool AddCookie(const std::wstring& name) {
    agentctl::SeededEntry made;
    if (real()) return agentctl::SeedCookie(name, kExpire, &made);
    const std::wstring file = L"C:\\c\\" + std::to_wstring(fake_.size()) + L".txt";
    fake_.Add({L"Cookie:" + name, file, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY, 0, kExpire});
    return true;
  }
  bool AddUrl(const std::wstring& url, bool with_file) {
    agentctl::SeededEntry made;
    if (real())
      return with_file ? agentctl::SeedTempFile(url, 300, &made)
                       : agentctl::SeedEntryWithoutFile(url, NORMAL_CACHE_ENTRY, &made);
    fake_.Add({url, with_file ? std::optional<std::wstring>(L"C:\\t\\f.htm") : std::nullopt});
    return true;
  }
  FakeUrlCache fake_;
};

uint64_t Distance(FILETIME a, FILETIME b) {
  const uint64_t x = (uint64_t{a.dwHighDateTime} << 32) | a.dwLowDateTime;
  const uint64_t y = (uint64_t{b.dwHighDateTime} << 32) | b.dwLowDateTime;
  return x > y ? x - y : y - x;
}

TEST_P(UrlCacheContract, ProbeShortBufferReadAndEnd) {
  DWORD size = 0;
  EXPECT_EQ(api().FindFirst(L"Cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS)) << "empty container";
  EXPECT_EQ(size, 0u);

  ASSERT_TRUE(AddCookie(L"probe@contract.example/"));
  EXPECT_EQ(api().FindFirst(L"Cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(size, sizeof(INTERNET_CACHE_ENTRY_INFOW));
  std::vector<BYTE> buffer(size);
  auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  DWORD short_size = size - 1;
  EXPECT_EQ(api().FindFirst(L"Cookie:", entry, &short_size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(short_size, size);

  std::fill(buffer.begin(), buffer.end(), 0);
  HANDLE find = api().FindFirst(L"Cookie:", entry, &size);
  ASSERT_NE(find, nullptr) << ::GetLastError();
  EXPECT_STREQ(entry->lpszSourceUrlName, L"Cookie:probe@contract.example/");
  EXPECT_TRUE(entry->CacheEntryType & COOKIE_CACHE_ENTRY);
  EXPECT_LT(Distance(entry->ExpireTime, kExpire), 20000000u) << "Wine keeps DOS dates: two-second steps";
  for (int i = 0; i < 2; ++i) {  // the end stays the end
    DWORD next = 0;
    EXPECT_FALSE(api().FindNext(find, nullptr, &next));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(next, 0u);
  }
  EXPECT_TRUE(api().FindClose(find));
}

TEST_P(UrlCacheContract, LookupDeleteAndEntriesWithoutFile) {
  ASSERT_TRUE(AddCookie(L"look@contract.example/"));
  ASSERT_TRUE(AddUrl(L"http://contract.example/nofile", false));
  CUrlCacheEnumerator e(api());
  const INTERNET_CACHE_ENTRY_INFOW* found = e.GetEntryInfo(L"Cookie:look@contract.example/");
  ASSERT_NE(found, nullptr) << ::GetLastError();
  ASSERT_NE(found->lpszLocalFileName, nullptr);
  EXPECT_NE(found->lpszLocalFileName[0], L'\0');
  found = e.GetEntryInfo(L"http://contract.example/nofile");
  ASSERT_NE(found, nullptr) << ::GetLastError();
  EXPECT_EQ(found->lpszLocalFileName, nullptr);

  DWORD size = 77;
  std::vector<BYTE> buffer(77);
  EXPECT_FALSE(api().GetEntryInfo(L"Cookie:absent@contract.example/",
                                  reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(size, 77u);
  EXPECT_TRUE(api().DeleteEntry(L"Cookie:look@contract.example/"));
  EXPECT_FALSE(api().DeleteEntry(L"Cookie:look@contract.example/"));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(e.GetEntryInfo(L"Cookie:look@contract.example/"), nullptr);
}

// The program's own readers over the same caches: every cookie once, with
// "cookie:" as the program spells the container.
TEST_P(UrlCacheContract, EnumeratorAndReaderSeeEveryCookieOnce) {
  std::multiset<std::wstring> want, by_enumerator, by_reader;
  for (int i = 0; i < 12; ++i) {
    const std::wstring name = L"c" + std::to_wstring(i) + L"@contract.example/" + std::wstring(i * 40, L'p');
    ASSERT_TRUE(AddCookie(name));
    want.insert(L"Cookie:" + name);
  }
  ASSERT_TRUE(AddUrl(L"http://contract.example/page.html", true));
  CUrlCacheEnumerator e(api());
  for (auto* r = e.FindFirstCookie(); r; r = e.FindNext()) by_enumerator.insert(r->lpszSourceUrlName);
  CCacheEntryReader reader(api(), kCookiePattern);
  for (CacheEntryCopy c; reader.Next(&c);) by_reader.insert(c.key);
  EXPECT_EQ(by_enumerator, want);
  EXPECT_EQ(by_reader, want);
}

INSTANTIATE_TEST_SUITE_P(All, UrlCacheContract, ::testing::Values(Kind::kFakeWindows, Kind::kFakeWine, Kind::kWinInet),
                         [](const auto& info) {
                           return std::string(std::array{"FakeWindows", "FakeWine", "WinInet"}[int(info.param)]);
                         });

}  // namespace
}  // namespace bpriv::test
