// The agent and the controller harness (agentctl) as two processes under
// Wine: the history listing as the controller sees it, also from a hostile desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/send_record.h"
#include "support/history_tree.h"
#include "support/listing_harness.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::Lines;
using test::SplitLines;

// Three levels of items below the History folder, and one more that must not
// be entered. Wine lists each folder's items sorted without case.
const std::vector<std::wstring> kTree = {
    L"a1\\", L"a1\\b1\\", L"a1\\b1\\c1\\", L"a1\\b1\\c1\\d1.txt", L"a1\\b1\\c2.txt", L"a1\\b2 x.txt", L"a2.txt", L"a3\\",
};

// "START", the first `count` records the shell walk sends for kTree with listing number n, "FINISH" if finished.
Lines Listing(const std::string& n, size_t count, bool finished) {
  const std::string item = "PRIVILEGE 00 " + n + " ", done = "PRIVILEGE 01", open = "PRIVILEGE +1",
                    close = "PRIVILEGE -1 " + n;
  const Lines all = {item + "0 a1",     open, item + "2 b1", open,  item + "4 c1",     done, item + "4 c2.txt",
                     done,              close, done,         item + "2 b2 x.txt", done, close, done,
                     item + "0 a2.txt", done, item + "0 a3", open,  close,         done};
  Lines lines = {"STARTPRIVILEGES"};
  lines.insert(lines.end(), all.begin(), all.begin() + std::min(count, all.size()));
  if (finished) lines.push_back("FINISHPRIVILEGES");
  lines.push_back("exit 0");
  return lines;
}

// The listing number the harness chose, read from the first item record.
std::string NumberIn(const Lines& lines) {
  for (const std::string& l : lines)
    if (l.rfind("PRIVILEGE 00 ", 0) == 0) return l.substr(13, l.find(' ', 13) - 13);
  return "?";
}

class HistoryListingEndToEnd : public ::testing::Test {
 protected:
  // Wine reports 6.1 unless told otherwise; the agent takes the shell walk only on a later version.
  void SetUp() override {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kVersionKey, L"Version", REG_SZ, L"win10", 12), ERROR_SUCCESS);
    ASSERT_TRUE(tree_.ok()) << "History folder not empty or not writable: " << test::Narrow(tree_.root());
    ASSERT_FALSE(IsProcessRunning(L"BSweepRun.exe")) << "a controller from another test still runs";
  }
  void TearDown() override {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kVersionKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults");  // unless something else lives in it
  }
  // The harness under a controller's name, so the agent's watch sees it.
  test::ProcessResult RunController(const std::wstring& args) {
    return test::RunProcess(controller_, L"\"" + controller_ + L"\" " + args, 60000);
  }

  static constexpr const wchar_t* kVersionKey = L"Software\\Wine\\AppDefaults\\BPrivSvc.exe";
  test::ScopedHistoryTree tree_{kTree};
  std::wstring controller_ = test::CopyAgentctlAs(L"xBSweepRun.exe");
  std::wstring agent_ = test::BesideTests(L"BPrivSvc.exe");
};

TEST_F(HistoryListingEndToEnd, ControllerDecidesHowFarTheWalkGoes) {
  struct {
    const wchar_t* args;
    size_t records;  // before the stop
    bool finished;
  } cases[] = {{L"list", 99, true},
               // Nothing named like the controller runs, yet each text is waited for: a slow reader sees all.
               {L"list --epm --slow 20", 99, true},
               {L"list --stop-at-start", 0, false},
               {L"list --stop-after 20", 20, false}};
  for (const auto& c : cases) {
    const bool own_name = std::wstring(c.args).find(L"--epm") != std::wstring::npos;
    test::ProcessResult r = own_name ? test::RunAgentctl(c.args, 60000) : RunController(c.args);
    Lines lines = SplitLines(r.output);
    EXPECT_EQ(lines, Listing(NumberIn(lines), c.records, c.finished)) << r.output;
  }
  // Listing number 0 runs no body: with "/EPM" and no controller any wait would last for ever.
  EXPECT_EQ(test::RunProcess(agent_, L"\"" + agent_ + L"\" /BSWLOADHISTORY0 /EPM", 10000).exit_code, 0u);
}

TEST_F(HistoryListingEndToEnd, VanishingControllerIsNotWaitedForUnlessEpm) {
  for (bool epm : {false, true}) {
    SCOPED_TRACE(epm ? "/EPM" : "watched");
    test::NumberWindow number;
    const std::wstring n = std::to_wstring(number.number());
    // The watched agent skips the wait for any text sent while no controller
    // runs, the first one included: a stand-in named like the controller runs
    // from before the agent's start until the attaching controller has left.
    test::SuspendedProcess stand_in(controller_);
    ASSERT_TRUE(stand_in.started());
    test::StartedProcess listing(agent_, L"\"" + agent_ + L"\" /BSWLOADHISTORY" + n + (epm ? L" /EPM" : L""));
    ASSERT_TRUE(listing.started());
    test::ProcessResult r = RunController(L"list --attach " + n + L" --vanish-after 3");
    stand_in.End();
    Lines expected = Listing(test::Narrow(n), 3, false);
    expected.pop_back();  // the attached harness reports no exit
    EXPECT_EQ(SplitLines(r.output), expected);
    if (epm) {
      EXPECT_EQ(listing.WaitExit(1000), static_cast<DWORD>(STILL_ACTIVE)) << "without the watch the job waits";
      ::SendMessageW(::FindWindowW((L"BswPrivilegeDemonWnd" + n).c_str(), nullptr), WM_USER + 55, 0, 0);
    }
    EXPECT_EQ(listing.WaitExit(10000), 0u);
  }
}

TEST_F(HistoryListingEndToEnd, WindowEndedFromOutsideEndsTheAgentWithinTwoSeconds) {
  // What any program on the desktop can do to the window while the agent waits
  // for its start answer; the harness gives the agent 2 s, then reports status 3.
  for (const wchar_t* how : {L"destroy", L"quit", L"close", L"taskkill"}) {
    for (const wchar_t* epm : {L"", L" --epm"}) {
      const std::wstring args = std::wstring(L"list --close ") + how + epm;
      test::ProcessResult r = RunController(args);
      EXPECT_EQ(r.exit_code, 0u) << test::Narrow(args) << "\n" << r.output;
      EXPECT_EQ(SplitLines(r.output), (Lines{"STARTPRIVILEGES", "exit 0"})) << test::Narrow(args);
    }
  }
}

TEST_F(HistoryListingEndToEnd, RaceStopRightAfterGoOnTheLastRecordIsNeverLost) {
  // The finish text follows the last record's go at once; a stop that comes
  // meanwhile must end the job, which under "/EPM" would otherwise wait for ever.
  for (int run = 0; run < 20; ++run) {
    test::ProcessResult r = RunController(L"list --epm --go-stop-after 20 --timeout 8000");
    ASSERT_EQ(r.exit_code, 0u) << "run " << run << "\n" << r.output;
    ASSERT_EQ(SplitLines(r.output).back(), "exit 0") << "run " << run;
  }
}

TEST(HistoryListingOnWine61, StoreThatAnswersNotImplementedListsNothing) {
  // A fresh prefix reports 6.1: the URL history store, which Wine leaves empty.
  const std::wstring controller = test::CopyAgentctlAs(L"xBSweepRun.exe");
  test::ProcessResult r = test::RunProcess(controller, L"\"" + controller + L"\" list", 30000);
  EXPECT_EQ(SplitLines(r.output), (Lines{"STARTPRIVILEGES", "FINISHPRIVILEGES", "exit 0"}));
}

}  // namespace
}  // namespace bpriv
