// The agent and the controller harness (agentctl) as two processes under
// Wine: the history listing as the controller sees it, also from a hostile desktop.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "cache/fake_url_cache.h"
#include "data/data_folder.h"
#include "support/listing_harness.h"
#include "support/run_process.h"
#include "wipe/win_test_files.h"

namespace bpriv {
namespace {

using test::Lines, test::SplitLines;

// "START", the first `count` records the shell walk sends for the tree below with listing number n, "FINISH" if
// finished. Wine lists each folder's items sorted without case; a3 must not be entered.
Lines Listing(const std::string& n, size_t count, bool finished, bool exit = true) {
  const std::string item = "PRIVILEGE 00 " + n + " ", done = "PRIVILEGE 01", open = "PRIVILEGE +1",
                    close = "PRIVILEGE -1 " + n;
  const Lines all = {item + "0 a1",     open, item + "2 b1", open,  item + "4 c1",     done, item + "4 c2.txt",
                     done,              close, done,         item + "2 b2 x.txt", done, close, done,
                     item + "0 a2.txt", done, item + "0 a3", open,  close,         done};
  Lines lines = {"STARTPRIVILEGES"};
  lines.insert(lines.end(), all.begin(), all.begin() + std::min(count, all.size()));
  if (finished) lines.push_back("FINISHPRIVILEGES");
  if (exit) lines.push_back("exit 0");  // the attached harness reports no exit
  return lines;
}

class HistoryListingEndToEnd : public ::testing::Test {
 protected:
  // Wine reports 6.1 unless told otherwise; the agent takes the shell walk on any other version, also on
  // 6.3, which shares the major number. The History folder holds the tree below alone: what a killed earlier
  // run, or Wine's own walk of every container (History.IE5), left there goes first.
  void SetUp() override {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kVersionKey, L"Version", REG_SZ, L"win81", 12), ERROR_SUCCESS);
    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_HISTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder), S_OK);
    history_ = std::wstring(folder) + L"\\";
    EmptyHistory();
    for (const std::wstring p : {L"a1\\", L"a1\\b1\\", L"a1\\b1\\c1\\", L"a1\\b1\\c1\\d1.txt", L"a1\\b1\\c2.txt",
                                 L"a1\\b2 x.txt", L"a2.txt", L"a3\\"})
      ASSERT_TRUE(p.back() == L'\\' ? ::CreateDirectoryW((history_ + p).c_str(), nullptr)
                                     : bool(UniqueFile(::CreateFileW((history_ + p).c_str(), GENERIC_WRITE, 0, nullptr,
                                                                     CREATE_NEW, 0, nullptr)))) << test::Narrow(p);
  }
  void TearDown() override {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kVersionKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults");  // unless something else lives in it
    EmptyHistory();
  }
  void EmptyHistory() {
    if (!history_.empty()) RemoveTree(history_), ::CreateDirectoryW(history_.c_str(), nullptr);  // never the CWD
  }
  // The harness under a controller's name, so the agent's watch sees it.
  test::ProcessResult RunController(const std::wstring& args) {
    return test::RunProcess(controller_, L"\"" + controller_ + L"\" " + args, 60000);
  }

  static constexpr const wchar_t* kVersionKey = L"Software\\Wine\\AppDefaults\\BPrivSvc.exe";
  std::wstring history_;
  std::wstring controller_ = test::CopyAgentctlAs(L"xBSweepRun.exe");
  std::wstring agent_ = test::BesideTests(L"BPrivSvc.exe");
};

TEST_F(HistoryListingEndToEnd, ControllerDecidesHowFarTheWalkGoes) {
  const std::tuple<const wchar_t*, size_t, bool> cases[] = {  // arguments, records before the stop, finished
      {L"list", 99, true}, {L"list --stop-at-start", 0, false}, {L"list --stop-after 20", 20, false},
      {L"list --slow 50", 99, true}};  // a slow answer to the start holds the first record back
  for (const auto& [args, records, finished] : cases) {
    Lines lines = SplitLines(RunController(args).output);
    // The listing number the harness chose, from "PRIVILEGE 00 N ...".
    std::string n = lines.size() > 2 && lines[1].size() > 13 ? lines[1].substr(13) : "";
    n.erase(std::min(n.find(' '), n.size()));
    EXPECT_EQ(lines, Listing(n, records, finished));
  }
  // Listing number 0 runs no body: with "/EPM" and no controller any wait would last for ever.
  EXPECT_EQ(test::RunProcess(agent_, L"\"" + agent_ + L"\" /BSWLOADHISTORY0 /EPM", 10000).exit_code, 0u);
  // On 6.1 (Wine's default) the URL history store is walked instead, which Wine leaves empty.
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kVersionKey);
  EXPECT_EQ(SplitLines(RunController(L"list").output), (Lines{"STARTPRIVILEGES", "FINISHPRIVILEGES", "exit 0"}));
}

TEST_F(HistoryListingEndToEnd, VanishingControllerIsNotWaitedForUnlessEpm) {
  // The cache listings watch the same way: three entries for each.
  test::SeedCache(L"--tifs 3 http://vanish.example/ 10 --cookies 3 vanish");
  for (const std::wstring job : {L"/BSWLOADHISTORY", L"/BSWLOADTIF", L"/BSWLOADCOOKIES"})
  for (bool epm : {false, true}) {
    SCOPED_TRACE(test::Narrow(job) + (epm ? " /EPM" : ""));
    test::NumberWindow number;
    const std::wstring n = std::to_wstring(number.number());
    // The watched agent skips the wait for any text sent while no controller runs, the first one included:
    // a stand-in named like the controller runs from before the agent's start until the attached one has left.
    test::SuspendedProcess stand_in(controller_);
    test::StartedProcess listing(agent_, L"\"" + agent_ + L"\" " + job + n + (epm ? L" /EPM" : L""));
    const Lines lines = SplitLines(RunController(L"list --attach " + n + L" --vanish-after 3").output);
    if (job == L"/BSWLOADHISTORY") { EXPECT_EQ(lines, Listing(test::Narrow(n), 3, false, false)); }
    stand_in.End();
    if (epm) {
      EXPECT_EQ(listing.WaitExit(1000), static_cast<DWORD>(STILL_ACTIVE)) << "without the watch the job waits";
      ::SendMessageW(::FindWindowW((L"BswPrivilegeDemonWnd" + n).c_str(), nullptr), WM_USER + 55, 0, 0);
    }
    EXPECT_EQ(listing.WaitExit(10000), 0u);
    ::DeleteFileW((ProductDataFolder(epm) + L"\\" + n + L"Cookies").c_str());
  }
  test::ResetRealCache();
}

TEST_F(HistoryListingEndToEnd, WindowEndedFromOutsideOrLateStopEndsTheAgent) {
  // What any program on the desktop can do to the window while the agent waits for its start answer; the harness
  // gives the agent 2 s, then reports no exit.
  for (const wchar_t* how : {L"destroy", L"quit", L"close", L"taskkill"})
    for (const wchar_t* epm : {L"", L" --epm"})
      EXPECT_EQ(SplitLines(RunController(std::wstring(L"list --close ") + how + epm).output),
                (Lines{"STARTPRIVILEGES", "exit 0"})) << test::Narrow(how) << test::Narrow(epm);
  // The finish text follows the last record's go at once; a stop that comes meanwhile must end the job, which
  // under "/EPM" would otherwise wait for ever.
  for (int run = 0; run < 20; ++run)
    ASSERT_NE(RunController(L"list --epm --go-stop-after 20 --timeout 8000").output.find("\r\nexit 0\r\n"),
              std::string::npos) << run;
}

}  // namespace
}  // namespace bpriv
