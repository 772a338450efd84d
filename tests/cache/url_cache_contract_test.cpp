// What this program relies on from the URL cache, checked against the fake and
// against Wine's WinINet alike, so the fake cannot drift from the real thing.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cache/cache_entry_reader.h"
#include "cache/cache_subject.h"
#include "cache/url_cache_enumerator.h"

namespace bpriv::test {
namespace {

constexpr FILETIME kExpire = {0x12345678, 0x01D00000};

class UrlCacheContract : public ::testing::TestWithParam<SubjectKind> {
 protected:
  void SetUp() override { subject_ = MakeSubject(GetParam()); }
  UrlCacheApi& api() { return subject_->api(); }
  std::unique_ptr<CacheSubject> subject_;
};

uint64_t Distance(FILETIME a, FILETIME b) {
  const uint64_t x = (uint64_t{a.dwHighDateTime} << 32) | a.dwLowDateTime;
  const uint64_t y = (uint64_t{b.dwHighDateTime} << 32) | b.dwLowDateTime;
  return x > y ? x - y : y - x;
}

auto* AsEntry(std::vector<BYTE>& b) { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(b.data()); }

TEST_P(UrlCacheContract, ProbeReportsSizeWithoutHandleAndShortBufferIsRefused) {
  ASSERT_TRUE(subject_->AddCookie(L"probe@contract.example/", kExpire));
  DWORD size = 0;
  ::SetLastError(0xdeadbeef);
  EXPECT_EQ(api().FindFirst(L"Cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(size, sizeof(INTERNET_CACHE_ENTRY_INFOW));

  std::vector<BYTE> buffer(size);
  DWORD short_size = size - 1;
  EXPECT_EQ(api().FindFirst(L"Cookie:", AsEntry(buffer), &short_size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(short_size, size);

  std::fill(buffer.begin(), buffer.end(), 0);
  HANDLE find = api().FindFirst(L"Cookie:", AsEntry(buffer), &size);
  ASSERT_NE(find, nullptr) << ::GetLastError();
  EXPECT_STREQ(AsEntry(buffer)->lpszSourceUrlName, L"Cookie:probe@contract.example/");
  EXPECT_TRUE(AsEntry(buffer)->CacheEntryType & COOKIE_CACHE_ENTRY);
  // Wine keeps cache times as DOS dates: two-second steps.
  EXPECT_LT(Distance(AsEntry(buffer)->ExpireTime, kExpire), 20000000u);

  DWORD next = 0;
  EXPECT_FALSE(api().FindNext(find, nullptr, &next));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(next, 0u);
  EXPECT_FALSE(api().FindNext(find, nullptr, &next)) << "the end stays the end";
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(api().FindClose(find));
}

TEST_P(UrlCacheContract, EmptyContainerAnswersNoMoreItemsWithSizeZero) {
  DWORD size = 0;
  EXPECT_EQ(api().FindFirst(L"Cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(size, 0u);
}

TEST_P(UrlCacheContract, LookupDeleteAndEntriesWithoutFile) {
  ASSERT_TRUE(subject_->AddCookie(L"look@contract.example/", kExpire));
  ASSERT_TRUE(subject_->AddWithoutFile(L"http://contract.example/nofile"));

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
  EXPECT_FALSE(api().GetEntryInfo(L"Cookie:absent@contract.example/", AsEntry(buffer), &size));
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
  std::set<std::wstring> want;
  for (int i = 0; i < 12; ++i) {
    std::wstring name = L"c" + std::to_wstring(i) + L"@contract.example/" + std::wstring(i * 40, L'p');
    ASSERT_TRUE(subject_->AddCookie(name, kExpire));
    want.insert(L"Cookie:" + name);
  }
  ASSERT_TRUE(subject_->AddTempFile(L"http://contract.example/page.html", 300));

  std::multiset<std::wstring> by_enumerator, by_reader;
  CUrlCacheEnumerator e(api());
  for (auto* r = e.FindFirstCookie(); r; r = e.FindNext()) by_enumerator.insert(r->lpszSourceUrlName);
  CCacheEntryReader reader(api(), kCookiePattern);
  for (CacheEntryCopy c; reader.Next(&c);) by_reader.insert(c.key);

  EXPECT_EQ(by_enumerator, std::multiset<std::wstring>(want.begin(), want.end()));
  EXPECT_EQ(by_reader, std::multiset<std::wstring>(want.begin(), want.end()));
}

INSTANTIATE_TEST_SUITE_P(All, UrlCacheContract,
                         ::testing::Values(SubjectKind::kFakeWindows, SubjectKind::kFakeWine, SubjectKind::kWinInet),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
}  // namespace bpriv::test
