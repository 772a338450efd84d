// Both cleaning jobs as the controller starts them: the real agent under Wine
// over a cache that agentctl seeds, checked from the cache and the files.
#include <gtest/gtest.h>

#include <string>

#include "../../tools/agentctl/seed.h"
#include "cache/fake_url_cache.h"
#include "cache/url_cache_enumerator.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
bool Cached(const std::string& key) { return CUrlCacheEnumerator().GetEntryInfo(Wide(key).c_str()) != nullptr; }
const std::wstring kAgent = test::BesideTests(L"BPrivSvc.exe");
DWORD Agent(const std::wstring& options) {
  return test::RunProcess(kAgent, L"\"" + kAgent + L"\" " + options, 60000).exit_code;
}

class CleanEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override { test::ResetRealCache(); }
};

// Delete mode, wipe mode, and an algorithm outside the registry; favourite
// cookies in any case, from the /EPM list only under /EPM. The wiper refuses
// a file that another name shares: the cache's name goes, the other link keeps the bytes.
TEST_F(CleanEndToEnd, TempFilesOrCookiesGoFavouritesAndHardLinkedBytesStay) {
  // What stays cached: a, b, linked, nofile, keep, gone.
  const struct { const wchar_t *options, *list; const char* left; } cases[] = {
      {L"/BSWCLEARTIF20-0-0", L"", "000011"},
      {L"/BSWCLEARTIF01-2-0", L"", "000011"},
      {L"/BSWCLEARTIF31-99-0", L"", "000011"},
      {L"/BSWCLEARCOOKIES00-0-0", L"--names LowFavCookies1 KEEP@T.EXAMPLE/,nosuch/", "111110"},
      {L"/BSWCLEARCOOKIES01-3-0", L"--names LowFavCookies1 Keep@t.example/", "111110"},
      {L"/BSWCLEARCOOKIES00-0-0 /EPM", L"--epm-names LowFavCookies1 keep@t.example/", "111110"},
      {L"/BSWCLEARCOOKIES01-0-0", L"--epm-names LowFavCookies1 keep@t.example/", "111100"},
  };
  const std::wstring link = agentctl::DataFolder(false) + L"\\linked-copy";
  ::CreateDirectoryW(agentctl::DataFolder(false).c_str(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(test::Narrow(std::wstring(c.options) + L" " + c.list));
    auto made = test::SeedCache(L"--tif http://t.example/a 10 --tif http://t.example/b 70000 --tif http://t.example/linked "
                                L"3000 --nofile http://t.example/nofile --cookie keep@t.example/ --cookie gone@t.example/ "
                                L"--history \"Visited: u@http://t.example/\" " + std::wstring(c.list));
    ASSERT_EQ(made.count("error"), 0u) << made["error"];
    ::DeleteFileW(link.c_str());
    ASSERT_TRUE(::CreateHardLinkW(link.c_str(), Wide(made.at("tif http://t.example/linked")).c_str(), nullptr));
    EXPECT_EQ(Agent(c.options), 0u);
    std::string left;
    for (const char* key : {"http://t.example/a", "http://t.example/b", "http://t.example/linked",
                            "http://t.example/nofile", "Cookie:keep@t.example/", "Cookie:gone@t.example/"}) {
      left += Cached(key) ? '1' : '0';
      const std::string file = key[0] == 'C' ? std::string("cookie ") + (key + 7) : std::string("tif ") + key;
      EXPECT_TRUE(!made.count(file) || test::Exists(Wide(made[file])) == Cached(key)) << "entry and file go together: " << key;
    }
    EXPECT_EQ(left, c.left);
    EXPECT_TRUE(Cached("Visited: u@http://t.example/"));
    EXPECT_EQ(test::ReadBytes(link), std::string(3000, 'x'));
    for (bool epm : {false, true}) ::DeleteFileW((agentctl::DataFolder(epm) + L"\\LowFavCookies1").c_str());
  }
  ::DeleteFileW(link.c_str());
  // No cookie at all: the probe is tried 21 times, 100 ms apart, then 0.
  test::ResetRealCache();
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Agent(L"/BSWCLEARCOOKIES01-0-0"), 0u);
  EXPECT_GE(::GetTickCount() - start, 2000u);
}

// Stop confirmed while the first large file is wiped with 35 passes: that
// entry is finished, the rest stay cached with their files.
TEST_F(CleanEndToEnd, StopConfirmedDuringAWipeLeavesTheRestCached) {
  std::wstring items;
  for (int i = 0; i < 10; ++i) items += L"--tif http://stop.example/" + std::to_wstring(i) + L" 10000000 ";
  auto made = test::SeedCache(items);
  const test::ProcessResult r = test::RunAgentctl(L"clean --stop-after 200 /BSWCLEARTIF01-4-0", 120000);
  EXPECT_TRUE(r.output.size() >= 8 && r.output.compare(r.output.size() - 8, 8, "exit 1\r\n") == 0) << r.output;
  EXPECT_NE(r.output.find("heading Wiping Temporary Internet Files\r\n"), std::string::npos) << "the job's own heading";
  int cached = 0;
  for (int i = 0; i < 10; ++i) {
    const std::string url = "http://stop.example/" + std::to_string(i);
    EXPECT_EQ(test::Exists(Wide(made["tif " + url])), Cached(url)) << "an entry and its file go together: " << i;
    cached += Cached(url) ? 1 : 0;
  }
  EXPECT_TRUE(cached >= 4 && cached <= 9) << "the entry in hand is finished, the rest stay: " << r.output;
}

// A run that ends before the done flag (a WM_QUIT from outside): the handler
// waits for the worker, which finishes every entry; the result stays 0. The
// dialog, hidden from the start, bears the cleaning caption (not the scheduler's).
TEST_F(CleanEndToEnd, DialogEndedEarlyStillWaitsForTheWorker) {
  test::SeedCache(L"--tifs 6 http://quit.example/ 6000000");
  test::StartedProcess process(kAgent, L"\"" + kAgent + L"\" /BSWCLEARTIF21-4-0", true);
  HWND dialog = nullptr;
  wchar_t caption[40] = {};
  // Its own dialog: another agent's may still be on the desktop.
  const auto found = [&] { return (dialog = test::FindDialogWith(540, 0, process.id())) != nullptr; };
  ASSERT_TRUE(test::WaitUntil(found, 5000)) << "no dialog";
  const auto cleaning = [&] { return ::GetWindowTextW(dialog, caption, 40), !wcscmp(caption, L"Cleaning/Wiping..."); };
  EXPECT_TRUE(test::WaitUntil(cleaning)) << test::Narrow(caption);
  ASSERT_TRUE(::PostMessageW(dialog, WM_QUIT, 0, 0));
  EXPECT_EQ(process.WaitExit(60000), 0u);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(Cached("http://quit.example/" + std::to_string(i))) << i;
}

}  // namespace
}  // namespace bpriv
