// The agent and agentctl as two processes under Wine, over a cache that
// agentctl seeds: the temporary-files and cookie listings as the controller
// sees them, and the cookie export file byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/cache_subject.h"
#include "cache/cookie_export.h"
#include "cache/format_file_time.h"
#include "cache/url_cache_enumerator.h"
#include "data/data_folder.h"
#include "link/send_record.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::ReadBytes;

using test::Lines;
using test::SplitLines;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }  // ASCII samples

std::map<std::string, std::string> Seed(const std::wstring& args) {
  auto made = test::SeedCache(args);
  EXPECT_EQ(made.count("error"), 0u) << made["error"];
  return made;
}

class CacheListingEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    controller_ = test::CopyAgentctlAs(L"xBSweepRun.exe");
    ASSERT_FALSE(controller_.empty());
    ASSERT_FALSE(IsProcessRunning(L"BSweepRun.exe")) << "a controller from another test still runs";
  }
  void TearDown() override {
    test::ResetRealCache();
  }
  Lines List(const std::wstring& args) {
    test::ProcessResult r = test::RunProcess(controller_, L"\"" + controller_ + L"\" list " + args, 60000);
    return SplitLines(r.output);
  }
  std::wstring controller_;
};

Lines Sorted(Lines l) {
  std::sort(l.begin(), l.end());
  return l;
}

TEST_F(CacheListingEndToEnd, TempFilesListingLeavesOutCookiesAndHistory) {
  auto made = Seed(
      L"--tif http://tif.example/a.html 10 --tif http://tif.example/b.css 5000 --tif http://tif.example/c.bin 70000 "
      L"--nofile http://tif.example/nofile --cookie c@tif.example/ --history \"Visited: u@http://tif.example/\"");
  Lines want;
  for (const char* url : {"http://tif.example/a.html", "http://tif.example/b.css", "http://tif.example/c.bin"})
    want.push_back("PRIVILEGE 00 7001 \"" + made.at(std::string("tif ") + url) + "\" " + url);
  want.push_back("PRIVILEGE 00 7001 \"\" http://tif.example/nofile");

  Lines lines = List(L"--job tif --number 7001");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "STARTPRIVILEGES");
  EXPECT_EQ(lines[lines.size() - 2], "FINISHPRIVILEGES");
  EXPECT_EQ(lines.back(), "exit 0");
  EXPECT_EQ(Sorted(Lines(lines.begin() + 1, lines.end() - 2)), Sorted(want));  // the cache's own order
}

TEST_F(CacheListingEndToEnd, TempFilesEmptyCacheAndStopAfterThird) {
  Seed(L"");
  EXPECT_EQ(List(L"--job tif --number 7002"), (Lines{"STARTPRIVILEGES", "exit 0"})) << "no finish text";

  Seed(L"--tif http://tif.example/1 1 --tif http://tif.example/2 2 --tif http://tif.example/3 3 "
       L"--tif http://tif.example/4 4 --tif http://tif.example/5 5");
  Lines lines = List(L"--job tif --number 7003 --stop-after 3");
  ASSERT_EQ(lines.size(), 5u) << "start, three records, exit";
  EXPECT_EQ(lines.front(), "STARTPRIVILEGES");
  for (size_t i = 1; i <= 3; ++i) EXPECT_EQ(lines[i].rfind("PRIVILEGE 00 7003 \"", 0), 0u) << lines[i];
  EXPECT_EQ(lines.back(), "exit 0");
}

// The export file as the agent must have written it, from the records in the
// order they came and the cache's own entries.
std::string ExpectedExport(const Lines& records) {
  std::string bytes;
  CUrlCacheEnumerator lookup;
  for (const std::string& r : records) {
    const size_t close = r.find("\" ", 19);
    const std::string file = r.substr(r.find('"') + 1, close - r.find('"') - 1);
    const std::string name = r.substr(close + 2);
    const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo((L"Cookie:" + std::wstring(name.begin(), name.end())).c_str());
    if (!e) return "<" + name + " not cached>";
    std::wstring expire, access;
    FormatFileTime(e->ExpireTime, &expire);
    FormatFileTime(e->LastAccessTime, &access);
    AppendCookieExportBlock(std::u16string(name.begin(), name.end()), std::u16string(file.begin(), file.end()),
                            std::u16string(expire.begin(), expire.end()), std::u16string(access.begin(), access.end()),
                            &bytes);
  }
  return bytes;
}

TEST_F(CacheListingEndToEnd, CookieListingWithExportFile) {
  // Learn the length of a cookie file's path, then make one name that fills
  // the 409 units of the record exactly and one that is a unit too long.
  auto probe = Seed(L"--cookie probe@ck.example/");
  const size_t file_len = probe.at("cookie probe@ck.example/").size();
  const size_t room = 409 - std::string("PRIVILEGE 00 7101 \"").size() - file_len - 2;
  const std::string fits = std::string(room - 13, 'f') + "@fit.example/";
  const std::string over = std::string(room - 12, 'o') + "@ovr.example/";
  ASSERT_EQ(fits.size(), room);
  auto made = Seed(L"--cookie a@ck.example/ 130000000000000000 --cookie b@ck.example/ 0 "
                   L"--cookie " + std::wstring(fits.begin(), fits.end()) + L" --cookie " +
                   std::wstring(over.begin(), over.end()));
  const std::wstring data = ProductDataFolder(false);
  const std::wstring file = data + L"\\7101Cookies";
  ::DeleteFileW(file.c_str());

  Lines lines = List(L"--job cookies --number 7101");
  ASSERT_EQ(lines.size(), 6u) << "start, three records, finish, exit";
  EXPECT_EQ(lines[4], "FINISHPRIVILEGES");
  Lines records(lines.begin() + 1, lines.begin() + 4);
  Lines want;
  for (const std::string& n : {std::string("a@ck.example/"), std::string("b@ck.example/"), fits})
    want.push_back("PRIVILEGE 00 7101 \"" + made.at("cookie " + n) + "\" " + n);
  EXPECT_EQ(Sorted(records), Sorted(want)) << "the over-long cookie is left out";
  const std::string exported = ReadBytes(file);
  EXPECT_EQ(exported, ExpectedExport(records));
  // (Wine's cache cannot hold an expiry in the year 10000: its empty element
  // is covered over the fake cache.)

  // The same number again: records as before, the old file untouched.
  lines = List(L"--job cookies --number 7101");
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_EQ(ReadBytes(file), exported);

  // Stopped after the first record: its block alone.
  const std::wstring stopped = data + L"\\7102Cookies";
  ::DeleteFileW(stopped.c_str());
  lines = List(L"--job cookies --number 7102 --stop-after 1");
  ASSERT_EQ(lines.size(), 3u) << "start, one record, exit";
  EXPECT_EQ(ReadBytes(stopped), ExpectedExport({lines[1]}));
  ::DeleteFileW(file.c_str());
  ::DeleteFileW(stopped.c_str());
}

TEST_F(CacheListingEndToEnd, EmptyCookieStoreGivesEmptyFileAndEpmUsesLocalAppData) {
  Seed(L"--tif http://ck.example/page 10");
  const std::wstring file = ProductDataFolder(true) + L"\\7201Cookies";
  ::DeleteFileW(file.c_str());
  EXPECT_EQ(List(L"--job cookies --number 7201 --epm"), (Lines{"STARTPRIVILEGES", "FINISHPRIVILEGES", "exit 0"}));
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_EQ(ReadBytes(ProductDataFolder(false) + L"\\7201Cookies"), "<missing>");
  ::DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace bpriv
