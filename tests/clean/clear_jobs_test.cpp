// The jobs over fakes: the cookie container's retry rule, which the real
// cache cannot be made to exercise, the workers' own file calls, the history.
#include <gtest/gtest.h>

#include <algorithm>

#include "cache/fake_url_cache.h"
#include "clean/clear_cookies.h"
#include "clean/clear_history.h"
#include "clean/clear_temp_files.h"
#include "support/fake_url_history.h"
#include "wipe/win_test_files.h"

namespace bpriv {
namespace {

int g_pauses = 0;
ProgressRecord* g_record = nullptr;  // the walk's own, for the fake's calls
HRESULT WINAPI NoFolder(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*) { return E_FAIL; }  // no favourites

// One worker's walk: it frees its arguments block, closes every find, hands
// WinINet only zeroed blocks and claims no more than a block holds.
void Walk(void (*body)(ProgressRecord&, bool, const CleanEnv&), test::FakeUrlCache& cache, ProgressRecord& record,
          bool wipe = false, uint32_t algorithm = 0) {
  record.job_args = new uint32_t[3]{algorithm, 0, 0};
  g_pauses = 0;
  body(record, wipe, CleanEnv{&cache, {21, 100, [](DWORD) { ++g_pauses; }}, NoFolder});
  EXPECT_TRUE(record.job_args == nullptr && cache.open_finds + cache.dirty_buffers + cache.oversized_claims == 0);
}

// Every probe and read up to 21 times, 100 ms apart; "Cookie:" is asked only
// when "cookie:" finds no entry at all; an entry still unreadable after 21
// reads ends the walk, as does a stop once the entry in hand is done.
TEST(ClearCookiesWorker, ContainerRetriesAndStop) {
  struct { const char* name; bool wine; int entries, busy_calls, reads_before_busy, busy_reads, grow, left, pauses, first_calls;
           bool stop = false; } cases[] = {
      {"empty: 21 probes, each under both spellings", false, 0, 0, 0, 0, 0, 0, 20, 42},
      {"Wine: the second spelling is kept", true, 3, 0, 0, 0, 0, 0, 0, 3},
      {"Windows: one spelling", false, 3, 0, 0, 0, 0, 0, 0, 2},
      {"busy 20 times, then all", false, 3, 20, 0, 0, 0, 0, 20, 22},
      {"busy 21 times: nothing", false, 3, 21, 0, 0, 0, 3, 20, 21},
      {"first read busy 20 times", false, 3, 0, 0, 20, 0, 0, 20, 22},
      {"later read busy 20 times", false, 3, 0, 1, 20, 0, 0, 20, 2},
      {"later read busy 21 times ends the walk", false, 3, 0, 1, 21, 0, 2, 20, 2},
      {"entry grows past its block after the probe", false, 3, 0, 0, 0, 20000, 0, 3, 3},
      {"stop while the first entry goes", false, 3, 0, 0, 0, 0, 2, 0, 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeUrlCache cache;
    cache.wine_matching = c.wine;
    for (int i = 0; i < c.entries; ++i) cache.Add({L"Cookie:c" + std::to_wstring(i) + L"@x/", L"", NORMAL_CACHE_ENTRY, 1});
    cache.busy_calls = c.busy_calls;
    cache.reads_before_busy = c.reads_before_busy;
    cache.busy_reads = c.busy_reads;
    cache.grow_after_probe = DWORD(c.grow);
    if (c.stop) cache.on_delete = [](const wchar_t*) { g_record->stop_flag = 1; };
    ProgressRecord record;
    g_record = &record;
    Walk(ClearCookiesBody, cache, record);
    EXPECT_EQ(cache.size(), size_t(c.left));
    EXPECT_EQ(g_pauses, c.pauses);
    ASSERT_EQ(static_cast<int>(cache.first_patterns.size()), c.first_calls);
    EXPECT_EQ(cache.first_patterns[0], L"cookie:");
  }
}

// The fake's DeleteEntry leaves files alone, so what remains is what the
// workers did to the files themselves: both modes take a cookie's file before
// its entry. A file that survives its clean keeps its entry: read-only in
// delete mode, or without an algorithm to clear that in wipe mode (it gets its
// cache name back), or held open by a program that shares nothing.
TEST(CleanWorkers, FileCallsOfTheWorkersAndTheFilesThatSurvive) {
  CTempFolder folder;
  test::FakeUrlCache cache;
  cache.folders = {folder.path()};
  ProgressRecord record;  // one for all: each item ends where it ends
  const struct { const wchar_t *key, *name; void (*body)(ProgressRecord&, bool, const CleanEnv&); bool wipe;
                 DWORD attributes; bool held, stays; } cases[] = {
      {L"Cookie:c@x/", L"c.txt", ClearCookiesBody, false, 0, false, false},
      {L"Cookie:w@x/", L"w.txt", ClearCookiesBody, true, 0, false, false},
      {L"http://x/t", L"t.txt", ClearTempFilesBody, true, FILE_ATTRIBUTE_READONLY, false, true},
      {L"Cookie:h@x/", L"h.txt", ClearCookiesBody, false, 0, true, true},  // a shorter item after a longer one
      {L"http://x/r", L"r.txt", ClearTempFilesBody, false, FILE_ATTRIBUTE_READONLY, false, true},
      {L"http://x/h", L"h.txt", ClearTempFilesBody, true, 0, true, true},
  };
  for (const auto& c : cases) {
    const std::wstring file = folder / c.name;
    test::WriteBytes(file, "abc");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), c.attributes | FILE_ATTRIBUTE_ARCHIVE));
    UniqueFile held(c.held ? ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                           : INVALID_HANDLE_VALUE);
    cache.Add({c.key, file, NORMAL_CACHE_ENTRY, 3});
    record.items_done = 0;
    record.bytes_done = 0;
    Walk(c.body, cache, record, c.wipe, 99);
    EXPECT_EQ(cache.Find(c.key) != nullptr, c.stays) << test::Narrow(c.key);
    EXPECT_EQ(test::Exists(file), c.stays) << test::Narrow(c.key);
    EXPECT_TRUE(record.items_done.load() == 1 && record.bytes_done.load() == (c.wipe ? 0u : 3u));
    const std::wstring item = (c.body == ClearTempFilesBody ? L" " : L"") + file;  // no algorithm: no wiper's item
    EXPECT_EQ(std::u16string(record.current_item), std::u16string(item.begin(), item.end())) << test::Narrow(c.key);
    cache.DeleteEntry(c.key);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// The store is cleared once and released whatever Clear answers; no store, or
// the real one under Wine, ends with 0.
TEST(ClearUrlHistory, ClearsStoreOnceAndReleasesIt) {
  for (HRESULT clear_result : {S_OK, E_FAIL}) {
    test::FakeUrlHistory store;
    store.clear_result = clear_result;
    test::CurrentFakeHistory() = &store;
    EXPECT_EQ(ClearUrlHistory(test::CreateFakeHistory), 0);
    EXPECT_TRUE(store.clear_calls == 1 && store.refs.load() == 1);
    test::CurrentFakeHistory() = nullptr;
  }
  EXPECT_EQ(ClearUrlHistory(test::CreateFakeHistory), 0);
  EXPECT_EQ(ClearUrlHistory(test::CreateNoHistory), 0);
  ASSERT_EQ(::CoInitialize(nullptr), S_OK);
  EXPECT_EQ(ClearUrlHistory(), 0);
  ::CoUninitialize();
}

}  // namespace
}  // namespace bpriv
