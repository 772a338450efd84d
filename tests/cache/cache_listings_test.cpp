// The two cache listing bodies over the fake cache, with the record exchange
// replaced by a recorder that answers stop after a chosen record; the jobs
// end to end over Wine's cache; and the export file's time text.
#include <gtest/gtest.h>

#include <algorithm>

#include "cache/cookie_export.h"
#include "cache/fake_url_cache.h"
#include "cache/format_file_time.h"
#include "cache/list_cookies.h"
#include "cache/list_temp_files.h"
#include "data/data_folder.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv::test {
namespace {

using Texts = std::vector<std::wstring>;
Texts g_records;
size_t g_stop_after = 0;  // 0: never stop

Answer Await(HWND, bool) { return g_records.size() == g_stop_after ? Answer::kStop : Answer::kGoOn; }
Answer Record(HWND w, const wchar_t* text, bool epm) { return g_records.push_back(text), Await(w, epm); }
void Post(HWND, const wchar_t* text) { g_records.push_back(text); }
void Reset(size_t stop_after) { g_records.clear(), g_stop_after = stop_after; }

// Line breaks in a key or file name would forge lines: such entries are left
// out, as are cookies, history and entries without key. An empty container
// (or a first read that fails) gives no finish text; only cookies do.
TEST(ListTempFilesBody, ListsFilesOnlyAndFinishTextRules) {
  FakeUrlCache cache;
  cache.wine_matching = true;  // cookies in the walk of the default container, as under Wine
  cache.Add({L"Cookie:a@x/", L"C:\\c\\a.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"http://x/1", L"C:\\t\\1.htm"});
  cache.Add({L"Visited: u@http://x/", std::nullopt, URLHISTORY_CACHE_ENTRY});
  cache.Add({L"", L"C:\\t\\nokey.htm"});
  cache.Add({L"http://x/2 \"q\"", std::nullopt, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY});
  cache.Add({L"http://x/4\r\nPRIVILEGE 00 -7 \"C:\\f\" http://f/", L"C:\\t\\4.htm"});
  cache.Add({L"http://x/5", L"C:\\t\n5.htm"});
  cache.Add({L"http://x/t", L"C:\\t\\t.htm", NORMAL_CACHE_ENTRY | 0x00100000 | 0x00200000});
  Reset(0);
  EXPECT_TRUE(ListTempFilesBody(nullptr, -7, true, cache, Record));
  EXPECT_EQ(g_records,
            (Texts{L"PRIVILEGE 00 -7 \"C:\\t\\1.htm\" http://x/1", L"PRIVILEGE 00 -7 \"\" http://x/2 \"q\""}));
  EXPECT_EQ(cache.open_finds, 0);
  struct {
    int files, cookies, busy;
    size_t stop_after;
    bool finish;
    size_t records;
  } cases[] = {{0, 0, 0, 0, false, 0}, {0, 2, 0, 0, true, 0}, {3, 0, 1, 0, false, 0}, {5, 1, 0, 3, false, 3}};
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = true;
    for (int i = 0; i < c.cookies; ++i) cache.Add({L"Cookie:" + std::to_wstring(i), L"c", COOKIE_CACHE_ENTRY});
    for (int i = 0; i < c.files; ++i) cache.Add({L"http://x/" + std::to_wstring(i), L"f"});
    cache.busy_calls = c.busy;
    Reset(c.stop_after);
    EXPECT_EQ(ListTempFilesBody(nullptr, 1, true, cache, Record), c.finish) << c.files << c.cookies << c.busy;
    EXPECT_EQ(g_records.size(), c.records) << c.files << c.cookies << c.busy;
  }
}

std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The export file holds the same cookies as the records, in the same order:
// over-long ones (410 units) and ones with a line break are left out of both.
// Stopped after the first record, the file holds its block alone.
TEST(ListCookiesBody, RecordsAndExportBlocksAgree) {
  const FILETIME noon = {0x8660e000, 0x01cde817}, year10000 = {0x66f52000, 0x24c85ac3};  // 1 Jan, 12:00 UTC
  const std::wstring long_name(409 - std::wstring(L"PRIVILEGE 00 55 \"C:\\c\\L.txt\" ").size() + 1, L'l');
  FakeUrlCache cache;
  cache.Add({L"Cookie:a@x/<&>", L"C:\\c\\A.txt", COOKIE_CACHE_ENTRY, 0, noon, {}, noon});
  cache.Add({L"Cookie:" + long_name, L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // one unit too long
  cache.Add({L"Cookie:" + long_name.substr(1), L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // fits exactly
  cache.Add({L"Cookie:n@x/", std::nullopt, COOKIE_CACHE_ENTRY, 0, year10000});
  cache.Add({L"cookie:lower@x/", L"C:\\c\\W.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"Cookie:f@x/\r\n<FILE>C:\\Windows\\win.ini</FILE>", L"C:\\c\\F.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"Cookie:g@x/", L"C:\\c\rG.txt", COOKIE_CACHE_ENTRY});
  const std::wstring names[] = {L"a@x/<&>", long_name.substr(1), L"n@x/", L"cookie:lower@x/"};
  const std::wstring files[] = {L"C:\\c\\A.txt", L"C:\\c\\L.txt", L"", L"C:\\c\\W.txt"};
  const std::wstring zero = L"01/01/1601 12:00:00 AM", noon_text = L"01/01/2013 12:00:00 PM";
  std::string want, first;
  Texts records;
  for (int i = 0; i < 4; ++i) {
    AppendCookieExportBlock(U(names[i]), U(files[i]), U(i == 0 ? noon_text : i == 2 ? L"" : zero),
                            U(i == 0 ? noon_text : zero), &want);  // year 10000: empty
    records.push_back(L"PRIVILEGE 00 55 \"" + files[i] + L"\" " + names[i]);
    if (i == 0) first = want;
  }
  wchar_t dir[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"bpriv_export_test", stopped = path + L"2";
  for (const std::wstring& p : {path, stopped}) ::DeleteFileW(p.c_str());
  for (size_t stop : {0, 1, 1}) {  // the third run: the same path again, the old file stays
    Reset(stop);
    ListCookiesBody(nullptr, 55, true, stop ? stopped : path, cache, {Post, Await});
    EXPECT_EQ(g_records, stop ? Texts{records[0]} : records);
  }
  EXPECT_EQ(ReadBytes(path), want);
  EXPECT_EQ(ReadBytes(stopped), first);
  for (const std::wstring& p : {path, stopped}) ::DeleteFileW(p.c_str());
}

// The agent as its own process over a cache that agentctl seeds: the job
// wiring, the empty container without finish text, and the export file in the
// data folder that "/EPM" chooses.
TEST(CacheListingEndToEnd, BothJobsOverWinesCache) {
  const std::wstring controller = CopyAgentctlAs(L"xBSweepRun.exe");
  auto list = [&](const std::wstring& args) {
    return SplitLines(RunProcess(controller, L"\"" + controller + L"\" list " + args, 60000).output);
  };
  SeedCache(L"");
  EXPECT_EQ(list(L"--job tif --number 7002"), (Lines{"STARTPRIVILEGES", "exit 0"})) << "no finish text";
  auto made = SeedCache(L"--tif http://t.example/a 10 --nofile http://tif.example/nofile "
                        L"--cookie c@tif.example/ --history \"Visited: u@http://tif.example/\"");
  Lines lines = list(L"--job tif --number 7001");
  ASSERT_EQ(lines.size(), 5u);
  std::sort(lines.begin() + 1, lines.end() - 2);  // the cache's own order
  EXPECT_EQ(lines, (Lines{"STARTPRIVILEGES", "PRIVILEGE 00 7001 \"\" http://tif.example/nofile",
                          "PRIVILEGE 00 7001 \"" + made["tif http://t.example/a"] + "\" http://t.example/a",
                          "FINISHPRIVILEGES", "exit 0"}));
  const std::wstring file = ProductDataFolder(true) + L"\\7201Cookies";
  ::DeleteFileW(file.c_str());
  const std::string record = "PRIVILEGE 00 7201 \"" + made["cookie c@tif.example/"] + "\" c@tif.example/";
  EXPECT_EQ(list(L"--job cookies --number 7201 --epm"),
            (Lines{"STARTPRIVILEGES", record, "FINISHPRIVILEGES", "exit 0"}));
  std::string block;
  for (char c : std::string("<URL>c@tif.example/</URL>\r\n<FILE>") + made["cookie c@tif.example/"]) block += {c, '\0'};
  EXPECT_EQ(ReadBytes(file).rfind(block, 0), 0u);
  EXPECT_EQ(ReadBytes(ProductDataFolder(false) + L"\\7201Cookies"), "<missing>");
  ::DeleteFileW(file.c_str());
  ResetRealCache();
}

void ExpectTimes(const std::vector<std::pair<SYSTEMTIME, const wchar_t*>>& examples) {
  for (const auto& [st, want] : examples) {
    FILETIME utc{0xFFFFFFFF, 0xFFFFFFFF};  // no SYSTEMTIME for it
    EXPECT_TRUE(!st.wYear || ::SystemTimeToFileTime(&st, &utc)) << st.wYear;
    std::wstring text = L"junk";
    const size_t units = FormatFileTime(utc, &text);
    EXPECT_EQ(units, text.size());
    EXPECT_EQ(text, want) << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour << ":" << st.wSecond;
  }
}

// Dates up to 31 Dec 9999, midnight, local time, whole seconds. Wine fixes a
// process's time zone from the Unix TZ it starts with: ctest runs this suite a
// second time under TZ=UTC-2 with BPRIV_TEST_ZONE set (tests/cache/tests.cmake).
TEST(FormatFileTimeInZone, LimitsAtUtcAndExamplesAtUtcPlusTwo) {
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  wchar_t zone[32] = {};
  if (::GetEnvironmentVariableW(L"BPRIV_TEST_ZONE", zone, 32)) {
    ASSERT_EQ(tz.Bias, -120) << "TZ did not reach the process";
    ExpectTimes({{{2013, 7, 0, 4, 13, 5, 9, 0}, L"07/04/2013 03:05:09 PM"},
                 {{2013, 1, 0, 1, 22, 0, 0, 999}, L"01/02/2013 12:00:00 AM"},  // milliseconds dropped
                 {{9999, 12, 0, 30, 22, 0, 0, 0}, L"12/31/9999 12:00:00 AM"},  // the last moment shown
                 {{9999, 12, 0, 30, 22, 0, 1, 0}, L""}});
    return;
  }
  ASSERT_EQ(tz.Bias, 0) << "the test tree runs with TZ=UTC";
  ExpectTimes({{{1601, 1, 0, 1, 0, 0, 0, 0}, L"01/01/1601 12:00:00 AM"},
               {{2038, 1, 0, 19, 3, 14, 8, 0}, L"01/19/2038 03:14:08 AM"},
               {{9999, 12, 0, 31, 0, 0, 0, 999}, L"12/31/9999 12:00:00 AM"},
               {{9999, 12, 0, 31, 0, 0, 1, 0}, L""},  // a "never expires" time
               {{30827, 12, 0, 31, 23, 59, 59, 0}, L""},
               {{}, L""}});
}

}  // namespace
}  // namespace bpriv::test
