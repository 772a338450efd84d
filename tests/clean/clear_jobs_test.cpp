// The workers over the fake cache: the cookie container's retry rule, which
// the real cache cannot be made to exercise, and the workers' own file calls.
#include <gtest/gtest.h>

#include <algorithm>

#include "cache/fake_url_cache.h"
#include "clean/clear_cookies.h"
#include "clean/clear_temp_files.h"
#include "wipe/win_test_files.h"

namespace bpriv {
namespace {

int g_pauses = 0;
void CountPause(DWORD) { ++g_pauses; }

HRESULT WINAPI NoFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*) { return E_FAIL; }  // no favourites

struct CookieRun {
  test::FakeUrlCache cache;
  ProgressRecord record;
  void Go() {
    record.job_args = new uint32_t[3]{0, 0, 0};
    g_pauses = 0;
    ClearCookiesBody(record, false, CleanEnv{&cache, {21, 100, CountPause}, NoFolder});
    EXPECT_EQ(record.job_args, nullptr);
    EXPECT_EQ(cache.open_finds, 0);
    EXPECT_EQ(cache.oversized_claims, 0);
  }
};

void AddCookie(test::FakeUrlCache& cache, const std::wstring& key, std::optional<std::wstring> file, DWORD size) {
  test::FakeEntry e;
  e.key = key;
  e.local_file = file;
  e.size_low = size;
  cache.Add(e);
}

// Every probe and read up to 21 times, 100 ms apart; "Cookie:" is asked only
// when "cookie:" finds no entry at all; an entry still unreadable after 21
// reads ends the walk; a repeated read never claims more than its block.
TEST(ClearCookiesWorker, ContainerRetries) {
  struct {
    const char* name;
    bool wine;
    int entries, busy_calls, reads_before_busy, busy_reads;
    DWORD grow;
    size_t left;
    int pauses, first_calls;
  } cases[] = {
      {"empty: 21 probes, each under both spellings", false, 0, 0, 0, 0, 0, 0, 20, 42},
      {"empty under Wine", true, 0, 0, 0, 0, 0, 0, 20, 42},
      {"Wine: the second spelling is kept", true, 3, 0, 0, 0, 0, 0, 0, 3},
      {"Windows: one spelling", false, 3, 0, 0, 0, 0, 0, 0, 2},
      {"busy 20 times, then all", false, 3, 20, 0, 0, 0, 0, 20, 22},
      {"busy 21 times: nothing", false, 3, 21, 0, 0, 0, 3, 20, 21},
      {"first read busy 20 times", false, 3, 0, 0, 20, 0, 0, 20, 22},
      {"later read busy 20 times", false, 3, 0, 1, 20, 0, 0, 20, 2},
      {"later read busy 21 times ends the walk", false, 3, 0, 1, 21, 0, 2, 20, 2},
      {"entry grows past its block after the probe", false, 3, 0, 0, 0, 20000, 0, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CookieRun r;
    r.cache.wine_matching = c.wine;
    for (int i = 0; i < c.entries; ++i) AddCookie(r.cache, L"Cookie:c" + std::to_wstring(i) + L"@x/", L"", 1);
    r.cache.busy_calls = c.busy_calls;
    r.cache.reads_before_busy = c.reads_before_busy;
    r.cache.busy_reads = c.busy_reads;
    r.cache.grow_after_probe = c.grow;
    r.Go();
    EXPECT_EQ(r.cache.size(), c.left);
    EXPECT_EQ(g_pauses, c.pauses);
    ASSERT_EQ(static_cast<int>(r.cache.first_patterns.size()), c.first_calls);
    EXPECT_EQ(r.cache.first_patterns[0], L"cookie:");
  }
}

// The fake's DeleteEntry leaves files alone, so what remains is what the
// workers did to the files themselves: delete mode leaves a cookie's file to
// its cache entry; a file that cannot be deleted (read-only, and no algorithm
// to clear that) gets its cache name back, and its entry goes all the same.
TEST(CleanWorkers, FileCallsOfTheWorkers) {
  CTempFolder folder;
  const std::wstring cookie = folder / L"c.txt", tif = folder / L"t.txt";
  ASSERT_TRUE(WriteBytes(cookie, {1, 2, 3}) && WriteBytes(tif, {4, 5, 6}));
  ASSERT_TRUE(::SetFileAttributesW(tif.c_str(), FILE_ATTRIBUTE_READONLY));
  CookieRun r;
  AddCookie(r.cache, L"Cookie:c@x/", cookie, 3);
  AddCookie(r.cache, L"http://x/t", tif, 3);
  r.Go();
  EXPECT_EQ(r.record.bytes_done.load(), 3u);
  ProgressRecord record;
  record.job_args = new uint32_t[3]{99, 0, 0};
  ClearTempFilesBody(record, true, CleanEnv{&r.cache, {}, NoFolder});
  EXPECT_EQ(r.cache.size(), 0u);
  std::vector<std::wstring> left = ListFolder(folder.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::wstring>{L"c.txt", L"t.txt"}));
}

}  // namespace
}  // namespace bpriv
