// The listing window and its worker frame, with the runner and the controller
// as two threads of the test process; and the watch on the controller's process.
#include "link/listing_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/controller_watch.h"
#include "link/send_record.h"
#include "support/listing_harness.h"
#include "support/named_process.h"

namespace bpriv {
namespace {

using agentctl::ListingEnd;

int g_calls = 0;      // bodies run
bool g_throw = false;  // the body fails after its first record
std::vector<Answer> g_answers;

std::wstring Record(int32_t number, int i) {
  return L"PRIVILEGE 00 " + std::to_wstring(number) + L" r" + std::to_wstring(i);
}

// Sends three records like the history walk: the flag is looked at before each, a stop ends the loop.
void ScriptedBody(HWND window, int32_t number, bool epm) {
  ++g_calls;
  for (int i = 1; i <= 3 && ReadAnswerFlag(window) != kAnswerStop; ++i) {
    g_answers.push_back(SendRecord(window, Record(number, i).c_str(), !epm));
    if (g_throw) throw std::bad_alloc();
    if (g_answers.back() == Answer::kStop) return;
  }
}

TEST(ListingWindow, ControllerScriptsDecideTheTextsAndAFailedBodyStillClosesTheWindow) {
  struct {
    const char* name;
    agentctl::ListingScript script;
    bool body_throws;
    ListingEnd end;
    int records;  // texts after START
    std::vector<Answer> answers;
  } cases[] = {
      {"stop at start", {true, 0, 0, 0}, false, ListingEnd::kStopped, 0, {}},  // the body runs all the same
      {"stop at 2nd", {false, 2, 0, 0}, false, ListingEnd::kStopped, 2, {Answer::kGoOn, Answer::kStop}},
      {"body throws", {}, true, ListingEnd::kAgentGone, 1, {Answer::kGoOn}},  // and no finish text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_calls = 0;
    g_throw = c.body_throws;
    g_answers.clear();
    test::NumberWindow number;
    // With "/EPM" nothing is watched: every wait lasts until this thread answers.
    test::InProcessListing listing(number.number(), true, ScriptedBody);
    ListingEnd end;
    std::vector<std::wstring> texts = listing.Follow(c.script, &end, 5000), expected = {L"STARTPRIVILEGES"};
    EXPECT_EQ(end, c.end);
    EXPECT_TRUE(listing.WaitReturned(5000));
    for (int i = 1; i <= c.records; ++i) expected.push_back(Record(number.number(), i));
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(g_answers, c.answers);
  }
}

// Refuses the creation of every window of the thread that installs it.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(ListingWindow, RunnerEndsAtOnceWhenItsWindowOrThreadCannotBeMade) {
  const ListingThreadStarter no_thread = [](unsigned(__stdcall*)(void*), void*) -> HANDLE { return nullptr; };
  for (bool refuse_window : {true, false}) {
    SCOPED_TRACE(refuse_window ? "window" : "thread");
    g_calls = 0;
    test::NumberWindow number;
    const int32_t n = number.number();
    std::atomic<bool> returned{false};
    std::thread runner([&] {
      HHOOK hook = refuse_window ? ::SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, ::GetCurrentThreadId()) : nullptr;
      RunListingWindowWith(::GetModuleHandleW(nullptr), n, true, ScriptedBody,
                           refuse_window ? StartThreadWithRuntime : no_thread);
      if (hook) ::UnhookWindowsHookEx(hook);
      returned = true;
    });
    for (int i = 0; i < 5000 && !returned; ++i) ::Sleep(1);
    EXPECT_TRUE(returned.load()) << "the runner waits for a quit that never comes";
    if (returned) runner.join();
    else runner.detach();  // the test has failed already; do not hang the rest
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(::FindWindowW(agentctl::ListingClassName(n).c_str(), nullptr), nullptr) << "a window was left";
  }
}

TEST(CControllerWatch, FindsByTheNameEndAndSnapshotsOnlyOnceItsProcessEnds) {
  const std::wstring copy = test::CopyAgentctlAs(L"xWatchedCtl.exe");
  ASSERT_FALSE(copy.empty()) << ::GetLastError();
  CControllerWatch watch(L"watchedctl.exe");
  EXPECT_FALSE(watch.IsRunning());
  auto first = std::make_unique<test::SuspendedProcess>(copy);
  test::SuspendedProcess second(copy);
  ASSERT_TRUE(first->started() && second.started());
  for (const wchar_t* name : {L"WATCHEDctl.exe", L"xWatchedCtl.exe"}) EXPECT_TRUE(IsProcessRunning(name)) << name;
  for (const wchar_t* name : {L"yxWatchedCtl.exe", L"WatchedCtl.exe.bak", L""}) EXPECT_FALSE(IsProcessRunning(name));
  const int before = watch.snapshots_taken();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(watch.IsRunning());
  EXPECT_EQ(watch.snapshots_taken(), before + 1) << "one snapshot while the process found still runs";
  // Whichever one it holds: with one gone the other must still be found, and with both gone, none.
  first.reset();
  EXPECT_TRUE(watch.IsRunning());
  second.End();
  EXPECT_FALSE(watch.IsRunning());
  EXPECT_FALSE(IsProcessRunning(L"WatchedCtl.exe"));
}

}  // namespace
}  // namespace bpriv
