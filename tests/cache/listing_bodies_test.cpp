// The two cache listing bodies over the fake cache, with the record exchange
// replaced by a recorder that answers stop after a chosen record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/cookie_export.h"
#include "cache/fake_url_cache.h"
#include "cache/format_file_time.h"
#include "cache/list_cookies.h"
#include "cache/list_temp_files.h"
#include "support/run_process.h"

namespace bpriv::test {
namespace {

std::vector<std::wstring> g_records;
size_t g_stop_after = 0;  // 0: never stop

Answer Await(HWND, bool) { return g_records.size() == g_stop_after ? Answer::kStop : Answer::kGoOn; }
Answer Record(HWND w, const wchar_t* text, bool epm) { return g_records.push_back(text), Await(w, epm); }
void Post(HWND, const wchar_t* text) { g_records.push_back(text); }

void Reset(size_t stop_after = 0) {
  g_records.clear();
  g_stop_after = stop_after;
}

// Line breaks in a key or file name would forge lines: such entries are left out.
TEST(ListTempFilesBody, ListsFilesOnly) {
  FakeUrlCache cache;
  cache.wine_matching = true;  // cookies in the walk of the default container, as under Wine
  cache.Add({L"Cookie:a@x/", L"C:\\c\\a.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"http://x/1", L"C:\\t\\1.htm"});
  cache.Add({L"Visited: u@http://x/", std::nullopt, URLHISTORY_CACHE_ENTRY});
  cache.Add({L"", L"C:\\t\\nokey.htm"});
  cache.Add({L"http://x/2 \"q\"", std::nullopt, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY});
  cache.Add({L"http://x/3", L""});
  cache.Add({L"http://x/4\r\nPRIVILEGE 00 -7 \"C:\\f\" http://f/", L"C:\\t\\4.htm"});
  cache.Add({L"http://x/5", L"C:\\t\n5.htm"});
  cache.Add({L"http://x/t", L"C:\\t\\t.htm", NORMAL_CACHE_ENTRY | 0x00100000 | 0x00200000});
  Reset();
  EXPECT_TRUE(ListTempFilesBody(nullptr, -7, true, cache, Record));
  EXPECT_EQ(g_records, (std::vector<std::wstring>{L"PRIVILEGE 00 -7 \"C:\\t\\1.htm\" http://x/1",
                                                  L"PRIVILEGE 00 -7 \"\" http://x/2 \"q\"",
                                                  L"PRIVILEGE 00 -7 \"\" http://x/3"}));
  EXPECT_EQ(cache.open_finds, 0);
}

TEST(ListTempFilesBody, FinishTextRules) {
  struct {
    const char* name;
    int files, cookies, busy;
    size_t stop_after;
    bool finish;
    size_t records;
  } cases[] = {
      {"empty container: no finish text", 0, 0, 0, 0, false, 0},
      {"only cookies: finish text, no record", 0, 2, 0, 0, true, 0},
      {"first read fails: as empty", 3, 0, 1, 0, false, 0},
      {"stop after the third record", 5, 1, 0, 3, false, 3},
      {"all five", 5, 1, 0, 0, true, 5},
  };
  for (const auto& c : cases) {
    FakeUrlCache cache;
    cache.wine_matching = true;
    for (int i = 0; i < c.cookies; ++i) cache.Add({L"Cookie:" + std::to_wstring(i), L"c", COOKIE_CACHE_ENTRY});
    for (int i = 0; i < c.files; ++i) cache.Add({L"http://x/" + std::to_wstring(i), L"f"});
    cache.busy_calls = c.busy;
    Reset(c.stop_after);
    EXPECT_EQ(ListTempFilesBody(nullptr, 1, true, cache, Record), c.finish) << c.name;
    EXPECT_EQ(g_records.size(), c.records) << c.name;
  }
}

std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The export file holds the same cookies as the records, in the same order:
// over-long ones (410 units) and ones with a line break are left out of both.
TEST(ListCookiesBody, RecordsAndExportBlocksAgree) {
  SYSTEMTIME st = {2013, 1, 0, 1, 12, 0, 0, 0};
  FILETIME noon, year10000;
  ::SystemTimeToFileTime(&st, &noon);
  st.wYear = 10000;
  ::SystemTimeToFileTime(&st, &year10000);
  const std::wstring long_name(409 - std::wstring(L"PRIVILEGE 00 55 \"C:\\c\\L.txt\" ").size() + 1, L'l');
  FakeUrlCache cache;
  cache.Add({L"Cookie:a@x/<&>", L"C:\\c\\A.txt", COOKIE_CACHE_ENTRY, 0, noon, {}, noon});
  cache.Add({L"Cookie:" + long_name, L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // one unit too long
  cache.Add({L"Cookie:" + long_name.substr(1), L"C:\\c\\L.txt", COOKIE_CACHE_ENTRY});  // fits exactly
  cache.Add({L"Cookie:n@x/", std::nullopt, COOKIE_CACHE_ENTRY, 0, year10000});
  cache.Add({L"Cookie:", L"C:\\c\\P.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"cookie:lower@x/", L"C:\\c\\W.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"Cookie:f@x/\r\n<FILE>C:\\Windows\\win.ini</FILE>", L"C:\\c\\F.txt", COOKIE_CACHE_ENTRY});
  cache.Add({L"Cookie:g@x/", L"C:\\c\rG.txt", COOKIE_CACHE_ENTRY});

  wchar_t dir[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"bpriv_export_test";
  ::DeleteFileW(path.c_str());
  Reset();
  ListCookiesBody(nullptr, 55, true, path, cache, {Post, Await});

  std::wstring noon_text, zero_text;
  FormatFileTime(noon, &noon_text);
  FormatFileTime(FILETIME{}, &zero_text);
  ASSERT_EQ(noon_text, L"01/01/2013 12:00:00 PM");
  const std::wstring names[] = {L"a@x/<&>", long_name.substr(1), L"n@x/", L"Cookie:", L"cookie:lower@x/"};
  const std::wstring files[] = {L"C:\\c\\A.txt", L"C:\\c\\L.txt", L"", L"C:\\c\\P.txt", L"C:\\c\\W.txt"};
  std::string want;
  std::vector<std::wstring> records;
  for (int i = 0; i < 5; ++i) {
    const std::wstring expire = i == 0 ? noon_text : i == 2 ? L"" : zero_text;  // year 10000: empty
    AppendCookieExportBlock(U(names[i]), U(files[i]), U(expire), U(i == 0 ? noon_text : zero_text), &want);
    records.push_back(L"PRIVILEGE 00 55 \"" + files[i] + L"\" " + names[i]);
  }
  EXPECT_EQ(g_records, records);
  EXPECT_EQ(g_records[1].size(), 409u);
  EXPECT_EQ(ReadBytes(path), want);

  Reset(1);  // same number again: the old file stays, the records do not
  ListCookiesBody(nullptr, 55, true, path, cache, {Post, Await});
  EXPECT_EQ(g_records, std::vector<std::wstring>{records[0]});
  EXPECT_EQ(ReadBytes(path), want);
  ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace bpriv::test
