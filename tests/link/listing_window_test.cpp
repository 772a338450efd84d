// The listing window and its worker frame, with the runner and the controller
// as two threads of the test process; and the watch on the controller's process.
#include "link/listing_window.h"

#include <gtest/gtest.h>

#include "link/controller_watch.h"
#include "link/send_record.h"
#include "support/listing_harness.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

HANDLE g_release = nullptr;  // lets a stuck body end

// Closed from outside while its body is stuck elsewhere: the runner gives the worker a moment, not forever.
TEST(ListingWindow, ClosedFromOutsideDoesNotWaitForAStuckBody) {
  UniqueHandle release(g_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  test::NumberWindow number;
  test::InProcessListing listing(number.number(), true, [](HWND, int32_t, bool) {
    ::WaitForSingleObject(g_release, INFINITE);
  });
  const std::wstring name = agentctl::ListingClassName(number.number());
  HWND window = nullptr;
  test::WaitUntil([&] { return (window = ::FindWindowW(name.c_str(), nullptr)) != nullptr; }, 5000);
  ::SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(window && listing.WaitReturned(3000));
  ::SetEvent(release.get());
}

// Refuses the creation of every window of the thread that installs it; the hook goes with the thread.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}
void RefuseWindowsOfThisThread() { ::SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, ::GetCurrentThreadId()); }

int g_calls = 0;  // bodies run

TEST(ListingWindow, RunnerEndsAtOnceWhenItsWindowOrThreadCannotBeMade) {
  const ListingThreadStarter no_thread = [](unsigned(__stdcall*)(void*), void*) -> HANDLE { return nullptr; };
  for (bool refuse_window : {true, false}) {
    g_calls = 0;
    test::NumberWindow number;
    test::InProcessListing listing(number.number(), true, [](HWND, int32_t, bool) { ++g_calls; },
                                   refuse_window ? StartThreadWithRuntime : no_thread,
                                   refuse_window ? RefuseWindowsOfThisThread : nullptr);
    EXPECT_TRUE(listing.WaitReturned(5000)) << refuse_window;
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(::FindWindowW(agentctl::ListingClassName(number.number()).c_str(), nullptr), nullptr);
  }
}

TEST(CControllerWatch, FindsByTheNameEndAndSnapshotsOnlyOnceItsProcessEnds) {
  // A long path, as a controller installed deep down may have: well past MAX_PATH / 2.
  const std::wstring copy = test::CopyAgentctlAs((std::wstring(130, L'x') + L"WatchedCtl.exe").c_str());
  ASSERT_GT(copy.size(), size_t(MAX_PATH / 2));
  CControllerWatch watch(L"watchedctl.exe");
  EXPECT_FALSE(watch.IsRunning());
  test::SuspendedProcess first(copy), second(copy);
  EXPECT_TRUE(IsProcessRunning(L"WATCHEDctl.exe"));
  const int before = watch.snapshots_taken();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(watch.IsRunning());
  EXPECT_EQ(watch.snapshots_taken(), before + 1) << "one snapshot while the process found still runs";
  // Whichever one it holds: with one gone the other must still be found, and with both gone, none.
  first.End();
  EXPECT_TRUE(watch.IsRunning());
  second.End();
  EXPECT_FALSE(watch.IsRunning());
  EXPECT_FALSE(IsProcessRunning(L"WatchedCtl.exe"));
}

}  // namespace
}  // namespace bpriv
