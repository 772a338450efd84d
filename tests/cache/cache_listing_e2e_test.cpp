// The agent and agentctl as two processes under Wine, over a cache that
// agentctl seeds: the temporary-files and cookie listings as the controller
// sees them, and the cookie export file byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "cache/cookie_export.h"
#include "cache/fake_url_cache.h"
#include "cache/format_file_time.h"
#include "cache/url_cache_enumerator.h"
#include "data/data_folder.h"
#include "link/send_record.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv::test {
namespace {

std::map<std::string, std::string> Seed(const std::wstring& args) {
  auto made = SeedCache(args);
  EXPECT_EQ(made.count("error"), 0u) << made["error"];
  return made;
}

Lines Sorted(Lines l) {
  std::sort(l.begin(), l.end());
  return l;
}

class CacheListingEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    controller_ = CopyAgentctlAs(L"xBSweepRun.exe");
    ASSERT_FALSE(controller_.empty());
    ASSERT_FALSE(IsProcessRunning(L"BSweepRun.exe")) << "a controller from another test still runs";
  }
  void TearDown() override { ResetRealCache(); }
  Lines List(const std::wstring& args) {
    return SplitLines(RunProcess(controller_, L"\"" + controller_ + L"\" list " + args, 60000).output);
  }
  std::wstring controller_;
};

TEST_F(CacheListingEndToEnd, TempFilesListingLeavesOutCookiesAndHistory) {
  Seed(L"");
  EXPECT_EQ(List(L"--job tif --number 7002"), (Lines{"STARTPRIVILEGES", "exit 0"})) << "no finish text";

  auto made = Seed(
      L"--tif http://tif.example/a.html 10 --tif http://tif.example/b.css 5000 --tif http://tif.example/c.bin 70000 "
      L"--nofile http://tif.example/nofile --cookie c@tif.example/ --history \"Visited: u@http://tif.example/\"");
  Lines want = {"PRIVILEGE 00 7001 \"\" http://tif.example/nofile"};
  for (const char* url : {"http://tif.example/a.html", "http://tif.example/b.css", "http://tif.example/c.bin"})
    want.push_back("PRIVILEGE 00 7001 \"" + made.at(std::string("tif ") + url) + "\" " + url);
  Lines lines = List(L"--job tif --number 7001");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "STARTPRIVILEGES");
  EXPECT_EQ(lines[lines.size() - 2], "FINISHPRIVILEGES");
  EXPECT_EQ(lines.back(), "exit 0");
  EXPECT_EQ(Sorted(Lines(lines.begin() + 1, lines.end() - 2)), Sorted(want));  // the cache's own order

  lines = List(L"--job tif --number 7003 --stop-after 3");
  ASSERT_EQ(lines.size(), 5u) << "start, three records, exit";
  for (size_t i = 1; i <= 3; ++i) EXPECT_EQ(lines[i].rfind("PRIVILEGE 00 7003 \"", 0), 0u) << lines[i];
  EXPECT_EQ(lines.back(), "exit 0");
}

// The export file as the agent must have written it, from the records in the
// order they came and the cache's own entries.
std::string ExpectedExport(const Lines& records) {
  std::string bytes;
  CUrlCacheEnumerator lookup;
  for (const std::string& r : records) {
    const size_t open = r.find('"'), close = r.find("\" ", open + 1);
    const std::u16string file(r.begin() + open + 1, r.begin() + close), name(r.begin() + close + 2, r.end());
    const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo((L"Cookie:" + std::wstring(name.begin(), name.end())).c_str());
    if (!e) return "<" + r + " not cached>";
    std::wstring expire, access;
    FormatFileTime(e->ExpireTime, &expire);
    FormatFileTime(e->LastAccessTime, &access);
    AppendCookieExportBlock(name, file, std::u16string(expire.begin(), expire.end()),
                            std::u16string(access.begin(), access.end()), &bytes);
  }
  return bytes;
}

TEST_F(CacheListingEndToEnd, CookieListingWithExportFile) {
  // Learn the length of a cookie file's path, then make one name that fills
  // the 409 units of the record exactly and one that is a unit too long.
  auto probe = Seed(L"--cookie probe@ck.example/");
  const size_t room = 409 - std::string("PRIVILEGE 00 7101 \"").size() - probe.at("cookie probe@ck.example/").size() - 2;
  const std::string fits = std::string(room - 13, 'f') + "@fit.example/";
  const std::string over = std::string(room - 12, 'o') + "@ovr.example/";
  auto made = Seed(L"--cookie a@ck.example/ 130000000000000000 --cookie b@ck.example/ 0 --cookie " +
                   std::wstring(fits.begin(), fits.end()) + L" --cookie " + std::wstring(over.begin(), over.end()));
  const std::wstring file = ProductDataFolder(false) + L"\\7101Cookies";
  const std::wstring stopped = ProductDataFolder(false) + L"\\7102Cookies";
  ::DeleteFileW(file.c_str());
  ::DeleteFileW(stopped.c_str());

  Lines lines = List(L"--job cookies --number 7101");
  ASSERT_EQ(lines.size(), 6u) << "start, three records, finish, exit";
  EXPECT_EQ(lines[4], "FINISHPRIVILEGES");
  Lines records(lines.begin() + 1, lines.begin() + 4), want;
  for (const std::string& n : {std::string("a@ck.example/"), std::string("b@ck.example/"), fits})
    want.push_back("PRIVILEGE 00 7101 \"" + made.at("cookie " + n) + "\" " + n);
  EXPECT_EQ(Sorted(records), Sorted(want)) << "the over-long cookie is left out";
  const std::string exported = ReadBytes(file);
  EXPECT_EQ(exported, ExpectedExport(records));
  // (Wine's cache cannot hold an expiry in the year 10000: its empty element
  // is covered over the fake cache.)

  EXPECT_EQ(List(L"--job cookies --number 7101").size(), 6u);
  EXPECT_EQ(ReadBytes(file), exported) << "the same number again leaves the old file";

  lines = List(L"--job cookies --number 7102 --stop-after 1");
  ASSERT_EQ(lines.size(), 3u) << "start, one record, exit";
  EXPECT_EQ(ReadBytes(stopped), ExpectedExport({lines[1]})) << "stopped after the first record: its block alone";
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
}  // namespace bpriv::test
