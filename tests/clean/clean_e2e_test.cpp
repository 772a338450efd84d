// Both cleaning jobs as the controller starts them: the real agent under Wine
// over a cache that agentctl seeds, checked from the cache and the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../../tools/agentctl/seed.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::Narrow;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
bool Cached(const std::string& key) { return CUrlCacheEnumerator().GetEntryInfo(Wide(key).c_str()) != nullptr; }
bool Exists(const std::string& path) { return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
std::wstring FavouriteList(bool epm) { return agentctl::DataFolder(epm) + L"\\LowFavCookies1"; }

class CleanEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override {
    for (bool epm : {false, true}) ::DeleteFileW(FavouriteList(epm).c_str());
    test::ResetRealCache();
  }
  std::map<std::string, std::string> Seed(const std::wstring& args) {
    auto made = test::SeedCache(args);
    EXPECT_EQ(made.count("error"), 0u) << made["error"];
    return made;
  }
  std::wstring agent_ = test::BesideTests(L"BPrivSvc.exe");
  DWORD Agent(const std::wstring& options) {
    return test::RunProcess(agent_, L"\"" + agent_ + L"\" " + options, 60000).exit_code;
  }
};

// Delete mode, wipe mode, and wipe mode with an algorithm outside the
// registry. The wiper refuses a file that another name shares: the cache's
// name goes, the other link keeps the bytes.
TEST_F(CleanEndToEnd, TempFilesGoCookiesHistoryAndHardLinkedBytesStay) {
  const std::wstring link = agentctl::DataFolder(false) + L"\\linked-copy";
  ::CreateDirectoryW(agentctl::DataFolder(false).c_str(), nullptr);
  for (const wchar_t* options : {L"/BSWCLEARTIF20-0-0", L"/BSWCLEARTIF01-2-0", L"/BSWCLEARTIF31-99-0"}) {
    SCOPED_TRACE(Narrow(options));
    auto made = Seed(L"--tif http://t.example/a 10 --tif http://t.example/b 70000 --tif http://t.example/linked 3000 "
                     L"--nofile http://t.example/nofile --cookie c@t.example/ --history \"Visited: u@http://t.example/\"");
    ::DeleteFileW(link.c_str());
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), Wide(made.at("tif http://t.example/linked")).c_str(), nullptr));
    EXPECT_EQ(Agent(options), 0u);
    for (const char* url : {"http://t.example/a", "http://t.example/b", "http://t.example/linked"}) {
      EXPECT_FALSE(Cached(url)) << url;
      EXPECT_FALSE(Exists(made.at(std::string("tif ") + url))) << url;
    }
    EXPECT_FALSE(Cached("http://t.example/nofile")) << "an entry without a file goes too";
    EXPECT_TRUE(Cached("Cookie:c@t.example/") && Exists(made.at("cookie c@t.example/")));
    EXPECT_TRUE(Cached("Visited: u@http://t.example/"));
    EXPECT_EQ(test::ReadBytes(link), std::string(3000, 'x'));
  }
  ::DeleteFileW(link.c_str());
}

TEST_F(CleanEndToEnd, CookiesClearedFavouritesKept) {
  const struct {
    const wchar_t* options;
    const wchar_t* list;  // agentctl seed item writing the favourite list
    bool drop_final_crlf;
    bool kept;  // whether keep@ck.example/ stays
  } cases[] = {
      {L"/BSWCLEARCOOKIES00-0-0", L"", false, false},
      {L"/BSWCLEARCOOKIES00-0-0", L"--names LowFavCookies1 KEEP@CK.EXAMPLE/,nosuch/", false, true},
      {L"/BSWCLEARCOOKIES01-3-0", L"--names LowFavCookies1 Keep@ck.example/", false, true},
      {L"/BSWCLEARCOOKIES00-0-0", L"--names LowFavCookies1 keep@ck.example/", true, false},
      {L"/BSWCLEARCOOKIES00-0-0 /EPM", L"--epm-names LowFavCookies1 keep@ck.example/", false, true},
      {L"/BSWCLEARCOOKIES01-0-0", L"--epm-names LowFavCookies1 keep@ck.example/", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(std::wstring(c.options) + L" " + c.list));
    auto made = Seed(std::wstring(L"--cookie keep@ck.example/ --cookie gone@ck.example/ --tif http://ck.example/p 10 ") +
                     c.list);
    if (c.drop_final_crlf) {
      const std::string list = test::ReadBytes(FavouriteList(false));
      test::WriteBytes(FavouriteList(false), list.substr(0, list.size() - 4));
    }
    EXPECT_EQ(Agent(c.options), 0u);
    EXPECT_EQ(Cached("Cookie:keep@ck.example/"), c.kept);
    EXPECT_EQ(Exists(made.at("cookie keep@ck.example/")), c.kept);
    EXPECT_FALSE(Cached("Cookie:gone@ck.example/") || Exists(made.at("cookie gone@ck.example/")));
    EXPECT_TRUE(Cached("http://ck.example/p"));
    for (bool epm : {false, true}) ::DeleteFileW(FavouriteList(epm).c_str());
  }
  // No cookie at all: the probe is tried 21 times, 100 ms apart, then 0.
  test::ResetRealCache();
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Agent(L"/BSWCLEARCOOKIES01-0-0"), 0u);
  EXPECT_GE(::GetTickCount() - start, 2000u);
  EXPECT_LT(::GetTickCount() - start, 15000u);
}

// Stop confirmed while the first large file is wiped with 35 passes: that
// entry is finished, the rest stay cached with their files.
TEST_F(CleanEndToEnd, StopConfirmedDuringAWipeLeavesTheRestCached) {
  std::wstring items;
  for (int i = 0; i < 10; ++i) items += L"--tif http://stop.example/" + std::to_wstring(i) + L" 10000000 ";
  auto made = Seed(items);
  const test::ProcessResult r = test::RunAgentctl(L"clean --stop-after 200 /BSWCLEARTIF01-4-0", 120000);
  const test::Lines lines = test::SplitLines(r.output);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "exit 1") << r.output;
  for (const char* line : {"stop confirmed", "heading Wiping Temporary Internet Files"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << r.output;
  int cached = 0;
  for (int i = 0; i < 10; ++i) {
    const std::string url = "http://stop.example/" + std::to_string(i);
    EXPECT_EQ(Exists(made["tif " + url]), Cached(url)) << "an entry and its file go together: " << i;
    cached += Cached(url) ? 1 : 0;
  }
  EXPECT_LE(cached, 9) << "the entry in hand is finished";
  EXPECT_GE(cached, 4) << r.output;
}

// A run that ends before the done flag (a WM_QUIT from outside): the handler
// waits for the worker, which finishes every entry; the result stays 0.
TEST_F(CleanEndToEnd, DialogEndedEarlyStillWaitsForTheWorker) {
  Seed(L"--tifs 6 http://quit.example/ 6000000");
  test::StartedProcess process(agent_, L"\"" + agent_ + L"\" /BSWCLEARTIF01-4-0", true);
  HWND dialog = nullptr;
  for (int i = 0; i < 500 && !dialog; ++i, ::Sleep(10))
    ::EnumWindows([](HWND w, LPARAM found) -> BOOL {
      wchar_t cls[8] = {};
      if (::GetClassNameW(w, cls, 8) && std::wstring(cls) == L"#32770" && ::GetDlgItem(w, 540))
        *reinterpret_cast<HWND*>(found) = w;
      return TRUE;
    }, reinterpret_cast<LPARAM>(&dialog));
  ASSERT_TRUE(dialog) << "no progress dialog";
  ASSERT_TRUE(::PostMessageW(dialog, WM_QUIT, 0, 0));
  EXPECT_EQ(process.WaitExit(60000), 0u);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(Cached("http://quit.example/" + std::to_string(i))) << i;
}

}  // namespace
}  // namespace bpriv
