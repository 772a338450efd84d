// The two cache listing bodies over the fake cache, with the record exchange
// replaced by a recorder that answers stop after a chosen record; the jobs
// end to end over Wine's cache; and the export file's time text.
#include <gtest/gtest.h>

#include <ctime>

#include "cache/cookie_export.h"
#include "cache/fake_url_cache.h"
#include "cache/format_file_time.h"
#include "cache/list_cookies.h"
#include "cache/list_temp_files.h"
#include "data/data_folder.h"
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
// out, as are cookies, history (by type, whatever the key) and entries without
// key. An empty container (or a first read that fails) gives no finish text.
TEST(ListTempFilesBody, ListsFilesOnlyAndFinishTextRules) {
  FakeUrlCache cache;
  cache.wine_matching = true;  // other containers in the walk of the default one, as under Wine
  cache.Add({L"http://x/1", L"C:\\t\\1.htm"});
  cache.Add({L"Visited: u@http://x/", std::nullopt, URLHISTORY_CACHE_ENTRY});
  cache.Add({L"", L"C:\\t\\nokey.htm"});
  cache.Add({L"http://x/2 \"q\"", std::nullopt, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY});
  cache.Add({L"http://x/4\r\nPRIVILEGE 00 -7 \"C:\\f\" http://f/", L"C:\\t\\4.htm"});
  cache.Add({L"http://x/5", L"C:\\t\n5.htm"});
  cache.Add({L"http://x/t", L"C:\\t\\t.htm", NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY});
  Reset(0);
  EXPECT_TRUE(ListTempFilesBody(nullptr, -7, true, cache, Record));
  EXPECT_EQ(g_records,
            (Texts{L"PRIVILEGE 00 -7 \"C:\\t\\1.htm\" http://x/1", L"PRIVILEGE 00 -7 \"\" http://x/2 \"q\""}));
  for (int stop : {0, 3}) {  // cookies alone give a finish text; a stop answer ends without one
    FakeUrlCache cache;
    cache.wine_matching = true;
    cache.Add({L"Cookie:c", L"c", COOKIE_CACHE_ENTRY});
    for (int i = 0; i < 2 * stop; ++i) cache.Add({L"http://x/" + std::to_wstring(i), L"f"});
    Reset(stop);
    EXPECT_EQ(ListTempFilesBody(nullptr, 1, true, cache, Record), !stop);
    EXPECT_EQ(g_records.size(), size_t(stop));
  }
}

std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The export file holds the same cookies as the records, in the same order:
// over-long ones (410 units) and ones with a line break are left out of both.
// Stopped after the first record, the file holds its block alone; a file
// already there is left as it is.
TEST(ListCookiesBody, RecordsAndExportBlocksAgree) {
  const FILETIME noon = {0x8660e000, 0x01cde817}, year10000 = {0x66f52000, 0x24c85ac3};  // 1 Jan, 12:00 UTC
  const std::wstring long_name(409 - std::wstring(L"PRIVILEGE 00 55 \"C:\\c\\L.txt\" ").size() + 1, L'l');
  FakeUrlCache cache;
  cache.Add({L"Cookie:a@x/<&>", L"C:\\c\\A.txt", COOKIE_CACHE_ENTRY, 0, noon, {}, noon});
  cache.Add({L"Cookie:" + long_name, L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // one unit too long
  cache.Add({L"Cookie:" + long_name.substr(1), L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // fits exactly
  cache.Add({L"Cookie:n@x/", std::nullopt, COOKIE_CACHE_ENTRY, 0, year10000});
  cache.Add({L"Cookie:f@x/\r\n<FILE>C:\\Windows\\win.ini</FILE>", L"C:\\c\\F.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"Cookie:g@x/", L"C:\\c\rG.txt", COOKIE_CACHE_ENTRY});
  const std::wstring zero = L"01/01/1601 12:00:00 AM", noon_text = L"01/01/2013 12:00:00 PM";
  const std::wstring kept[][4] = {{L"a@x/<&>", L"C:\\c\\A.txt", noon_text, noon_text},  // name, file, expiry, access
                                  {long_name.substr(1), L"C:\\c\\L.txt", zero, zero}, {L"n@x/", L"", L"", zero}};
  std::string want, first;
  Texts records;
  for (const auto& k : kept) {
    AppendCookieExportBlock(U(k[0]), U(k[1]), U(k[2]), U(k[3]), &want);
    records.push_back(L"PRIVILEGE 00 55 \"" + k[1] + L"\" " + k[0]);
    if (first.empty()) first = want;
  }
  // Made in data folders of their own, created by the first run.
  const std::wstring data = BesideTests(L"bpriv_export"), stopped = data + L"2";
  CSafeFolders folders({BesideTests(L"")});
  for (const auto& [folder, stop] : {std::pair{data, 0}, {stopped, 1}, {data, 1}}) {  // the last: an older file stays
    Reset(stop);
    const CSafeFile file = CreateCookieExport(folders, folder, 55);
    ListCookiesBody(nullptr, 55, true, file ? file.get() : INVALID_HANDLE_VALUE, cache, {Post, Await});
    EXPECT_EQ(g_records, stop ? Texts{records[0]} : records);
    EXPECT_EQ(ReadBytes(folder + L"\\55Cookies"), folder == data ? want : first);
  }
  for (const std::wstring& folder : {data, stopped}) {
    ::DeleteFileW((folder + L"\\55Cookies").c_str());
    ::RemoveDirectoryW(folder.c_str());
  }
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
  EXPECT_EQ(list(L"--job tif --number 7002"), (Lines{"STARTPRIVILEGES", "exit 0"}));
  auto made = SeedCache(L"--tif http://t.example/a 10 --cookie c@tif.example/");
  const std::string cookie = made["cookie c@tif.example/"];
  EXPECT_EQ(list(L"--job tif --number 7001"),
            (Lines{"STARTPRIVILEGES", "PRIVILEGE 00 7001 \"" + made["tif http://t.example/a"] + "\" http://t.example/a",
                   "FINISHPRIVILEGES", "exit 0"}));
  const std::wstring file = ProductDataFolder(true) + L"\\7201Cookies";
  ::DeleteFileW(file.c_str());
  EXPECT_EQ(list(L"--job cookies --number 7201 --epm"),
            (Lines{"STARTPRIVILEGES", "PRIVILEGE 00 7201 \"" + cookie + "\" c@tif.example/", "FINISHPRIVILEGES",
                   "exit 0"}));
  std::string block;
  for (char c : "<URL>c@tif.example/</URL>\r\n<FILE>" + cookie) block += {c, '\0'};
  EXPECT_EQ(ReadBytes(file).rfind(block, 0), 0u);
  EXPECT_EQ(ReadBytes(ProductDataFolder(false) + L"\\7201Cookies"), "<missing>");
  ::DeleteFileW(file.c_str());
  ResetRealCache();
}

// Dates up to 31 Dec 9999, midnight, local time, whole seconds. Wine fixes a
// process's time zone from the Unix TZ it starts with: ctest runs this suite a
// second time under TZ=UTC-2 with BPRIV_TEST_ZONE set (tests/cache/tests.cmake).
TEST(FormatFileTimeInZone, LimitsAtUtcExamplesAtUtcPlusTwoAndTheDaylightGap) {
  TIME_ZONE_INFORMATION tz;
  ::GetTimeZoneInformation(&tz);
  wchar_t bias[8] = L"0";
  ::GetEnvironmentVariableW(L"BPRIV_TEST_BIAS", bias, 8);
  ASSERT_EQ(tz.Bias, _wtoi(bias)) << "TZ did not reach the process";
  using Examples = std::vector<std::pair<SYSTEMTIME, const wchar_t*>>;
  const Examples examples =
      tz.Bias == -120 ? Examples{{{2013, 7, 0, 4, 13, 5, 9, 0}, L"07/04/2013 03:05:09 PM"},
                                 {{9999, 12, 0, 30, 22, 0, 0, 0}, L"12/31/9999 12:00:00 AM"},  // the last moment shown
                                 {{9999, 12, 0, 30, 22, 0, 1, 0}, L""}}
      : tz.Bias == 0 ? Examples{{{9999, 12, 0, 31, 0, 0, 0, 999}, L"12/31/9999 12:00:00 AM"},  // milliseconds dropped
                                {{9999, 12, 0, 31, 0, 0, 1, 0}, L""},  // a "never expires" time
                                {{}, L""}}  // the largest FILETIME, beyond any SYSTEMTIME
                     : Examples{};
  for (const auto& [st, want] : examples) {
    FILETIME utc{0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_TRUE(!st.wYear || ::SystemTimeToFileTime(&st, &utc)) << st.wYear;
    std::wstring text = L"junk";
    EXPECT_EQ(FormatFileTime(utc, &text), std::wcslen(want));
    EXPECT_EQ(text, want) << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour << ":" << st.wSecond;
  }
  if (!examples.empty()) return;
  // A zone with daylight time: a local time in the runtime's spring gap is shown as its normalisation moves it.
  std::tm gap = {0, 30, 2, 10, 2, 113};  // 10 March 2013, 02:30
  gap.tm_isdst = -1;
  std::mktime(&gap);
  ASSERT_NE(gap.tm_hour, 2) << "no gap at that time in this zone";
  const SYSTEMTIME st = {2013, 3, 0, 10, 2, 30, 0, 0};
  FILETIME local, utc;
  ASSERT_TRUE(::SystemTimeToFileTime(&st, &local) && ::LocalFileTimeToFileTime(&local, &utc));
  std::wstring text;
  FormatFileTime(utc, &text);
  EXPECT_EQ(text, L"03/10/2013 0" + std::to_wstring(gap.tm_hour) + L":30:00 AM");
}

}  // namespace
}  // namespace bpriv::test
