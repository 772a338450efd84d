// The progress dialog under Wine, driven from a second thread the way a user
// or another program would: finding windows, reading texts, clicking.
#include "ui/wipe_progress_dlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "base/unique.h"
#include "resource.h"
#include "wipe/wipe_settings_win.h"

namespace bpriv {
namespace {

bool WaitUntil(const std::function<bool()>& done, DWORD ms = 3000) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (!done()) {
    if (::GetTickCount64() > end) return false;
    ::Sleep(10);
  }
  return true;
}

// The first top-level dialog of a thread that has the given control.
HWND FindDialogWith(DWORD thread, int control) {
  struct Search {
    int control;
    HWND found;
  } search{control, nullptr};
  ::EnumThreadWindows(
      thread,
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t cls[16] = {};
        ::GetClassNameW(w, cls, 16);
        if (std::wstring(cls) != L"#32770" || ::GetDlgItem(w, s->control) == nullptr) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND w) {
  wchar_t text[300] = {};
  ::SendMessageW(w, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
  return text;
}
std::wstring ItemText(HWND dlg, int id) { return TextOf(::GetDlgItem(dlg, id)); }
bool Styled(HWND w, LONG_PTR bit) { return (::GetWindowLongPtrW(w, GWL_STYLE) & bit) != 0; }
bool ItemShown(HWND dlg, int id) { return Styled(::GetDlgItem(dlg, id), WS_VISIBLE); }

void SetRecordText(char16_t (&field)[kProgressTextUnits], const std::u16string& text) {
  std::copy(text.begin(), text.end(), field);
  field[text.size()] = 0;
}

// Runs the dialog on this thread while the script plays the user on another;
// the script's end is the worker's end (the done flag).
int RunDriven(CWipeProgressDlg& dlg, const std::function<void(HWND)>& script) {
  const DWORD thread = ::GetCurrentThreadId();
  std::thread user([&] {
    HWND dialog = nullptr;
    if (WaitUntil([&] { return (dialog = FindDialogWith(thread, IDC_STOP)) != nullptr; }))
      script(dialog);
    else
      ADD_FAILURE() << "no dialog";
    dlg.Record().done_flag.store(1);
  });
  const int result = dlg.Run();
  user.join();
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a WM_QUIT outlived the run";
  return result;
}

void ConfigureLikeAJob(CWipeProgressDlg& dlg, uint32_t display_flags) {
  dlg.SetDisplayFlags(display_flags);
  dlg.SetDisplayMode(1);
  dlg.SetSchedulerMode(0);
  SetRecordText(dlg.Record().heading, u"Wiping Cookies");
}

TEST(WipeProgressDlg, ShowsTextsAndIsShownAtFirstIdleWhateverTheDigit) {
  for (uint32_t digit : {0u, 1u, 2u, 3u}) {
    CWipeProgressDlg dlg;
    ConfigureLikeAJob(dlg, digit);
    const int result = RunDriven(dlg, [&](HWND d) {
      EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d) != FALSE; })) << "digit " << digit;
      EXPECT_EQ(TextOf(d), L"Deleting and wiping...");
      EXPECT_EQ(ItemText(d, IDC_HIDE), L"Hide");
      EXPECT_EQ(ItemText(d, IDC_STOP), L"Stop");
      EXPECT_TRUE(Styled(d, WS_POPUP) && !Styled(d, WS_CHILD));
      EXPECT_EQ(::GetWindow(d, GW_OWNER), nullptr) << "the dialog has no owner";
      EXPECT_TRUE(WaitUntil([&] { return !ItemText(d, IDC_BYTE_COUNT).empty(); }));
      EXPECT_EQ(ItemText(d, IDC_BYTE_COUNT), L"0 MB (0 bytes) wiped");
      EXPECT_EQ(ItemText(d, IDC_HEADING), L"Wiping Cookies");
      EXPECT_FALSE(ItemShown(d, IDC_PROGRESS));
      EXPECT_EQ(::SendMessageW(d, kPresenceProbeMessage, 0, 0), kPresenceAnswer);
      EXPECT_EQ(::SendMessageW(d, kPresenceProbeMessage, 0, 0), kPresenceAnswer);
      EXPECT_EQ(::SendMessageW(d, WM_HELP, 0, 0), 0);
    });
    EXPECT_EQ(result, 0);
  }
}

TEST(WipeProgressDlg, DisplayModeAppliedOnlyToADialogShownAtSetUp) {
  // With display mode 0 the set-up hides the item line of a dialog it shows;
  // a dialog left hidden keeps the template's line, and nothing shows it later
  // while the item stays empty.
  for (uint32_t digit : {0u, 2u}) {
    CWipeProgressDlg dlg;  // the defaults: display mode 0, scheduler mode 1
    dlg.SetDisplayFlags(digit);
    RunDriven(dlg, [&](HWND d) {
      EXPECT_EQ(ItemText(d, IDC_PERCENT), L"0%");
      // No heading given: the tick falls back to the scheduler's line.
      EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_HEADING) == L"Brightsweep Scheduler is running now..."; }));
      EXPECT_EQ(ItemShown(d, IDC_CURRENT_ITEM), digit == 2) << digit;
      EXPECT_TRUE(::IsWindowVisible(d));
    });
  }
}

TEST(WipeProgressDlg, CentredInTheWorkArea) {
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  RunDriven(dlg, [&](HWND d) {
    RECT r;
    ASSERT_TRUE(::GetWindowRect(d, &r));
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(d, MONITOR_DEFAULTTONEAREST), &info));
    const RECT& w = info.rcWork;
    EXPECT_LE(std::abs((r.left + r.right) - (w.left + w.right)), 2) << r.left << " " << w.right;
    EXPECT_LE(std::abs((r.top + r.bottom) - (w.top + w.bottom)), 2) << r.top << " " << w.bottom;
  });
}

TEST(WipeProgressDlg, HideAndCloseHideWhileTheJobGoesOn) {
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  RunDriven(dlg, [&](HWND d) {
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(d) != FALSE; }));
    ::SendMessageW(::GetDlgItem(d, IDC_HIDE), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(d));
    SetRecordText(dlg.Record().current_item, u"C:\\cache\\one.gif");
    dlg.Record().bytes_done.store(3u << 20);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"3 MB (3145728 bytes) wiped"; }));
    EXPECT_EQ(ItemText(d, IDC_CURRENT_ITEM), L"C:\\cache\\one.gif");

    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(d)) << "tray double-click shows";
    ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(d); })) << "closing hides";
    dlg.Record().bytes_done.store(4u << 20);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"4 MB (4194304 bytes) wiped"; }));
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId + 1, WM_LBUTTONDBLCLK);
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_FALSE(::IsWindowVisible(d)) << "only the double-click on our icon shows";
  });
  EXPECT_EQ(dlg.Record().stop_flag.load(), 0);
}

TEST(WipeProgressDlg, StopAskedAndOnlyYesStops) {
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  const DWORD thread = ::GetCurrentThreadId();
  RunDriven(dlg, [&](HWND d) {
    HWND stop = ::GetDlgItem(d, IDC_STOP);
    for (int answer : {IDNO, IDYES}) {
      // A click that waits for the answer: post it, as a mouse click would.
      ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_STOP, 0), reinterpret_cast<LPARAM>(stop));
      HWND box = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (box = FindDialogWith(thread, IDNO)) != nullptr; }));
      EXPECT_EQ(TextOf(box), L"Stop");
      EXPECT_EQ(::GetWindow(box, GW_OWNER), d);
      ::SendMessageW(::GetDlgItem(box, answer), BM_CLICK, 0, 0);
      ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
      if (answer == IDNO) {
        ::Sleep(2 * kTickIntervalMs);
        EXPECT_EQ(dlg.Record().stop_flag.load(), 0);
        EXPECT_TRUE(::IsWindowEnabled(stop));
      }
    }
    EXPECT_EQ(dlg.Record().stop_flag.load(), 1);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(stop); }, 2 * kTickIntervalMs + 100));
  });
}

TEST(WipeProgressDlg, SchedWrittenOnlyIntoAnExistingKey) {
  struct Case {
    bool key;
    int clicks;
    DWORD expect;  // value written; 99 = none
  } cases[] = {{false, 1, 99}, {true, 1, 0}, {true, 2, 1}};
  for (const Case& c : cases) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    HKEY raw = nullptr;
    if (c.key) {
      ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr), 0);
    }
    UniqueRegKey created(raw);
    CWipeProgressDlg dlg;
    ConfigureLikeAJob(dlg, 0);
    RunDriven(dlg, [&](HWND d) {
      for (int i = 0; i < c.clicks; ++i) ::SendMessageW(::GetDlgItem(d, IDC_SCHED), BM_CLICK, 0, 0);
    });
    DWORD value = 99, size = sizeof value;
    HKEY read = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_QUERY_VALUE, &read) == 0;
    UniqueRegKey reader(read);
    EXPECT_EQ(exists, c.key) << "the key is never created";
    if (exists) ::RegQueryValueExW(read, kSchedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    EXPECT_EQ(value, c.expect) << c.clicks;
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
}

TEST(WipeProgressDlg, DaemonWindowToldOnce) {
  static int notified = 0;
  static WPARAM got_wp = 1;
  static LPARAM got_lp = 1;
  notified = 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == kDaemonNotifyMessage) {
      ++notified;
      got_wp = wp;
      got_lp = lp;
    }
    return ::DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kDaemonWindowClass;
  ASSERT_NE(::RegisterClassW(&wc), 0);
  // The daemon lives in a thread of its own, with its own loop.
  HWND daemon = nullptr;
  DWORD daemon_thread = 0;
  std::thread host([&] {
    daemon = ::CreateWindowW(kDaemonWindowClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    daemon_thread = ::GetCurrentThreadId();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::DestroyWindow(daemon);
  });
  ASSERT_TRUE(WaitUntil([&] { return daemon_thread != 0; }));
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  RunDriven(dlg, [](HWND) {});
  ::PostThreadMessageW(daemon_thread, WM_QUIT, 0, 0);
  host.join();
  ::UnregisterClassW(kDaemonWindowClass, wc.hInstance);
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(got_wp, 0u);
  EXPECT_EQ(got_lp, 0);
}

TEST(WipeProgressDlg, ForeignQuitEndsTheRunWithoutResult) {
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  const DWORD thread = ::GetCurrentThreadId();
  std::thread other([&] {
    WaitUntil([&] { return FindDialogWith(thread, IDC_STOP) != nullptr; });
    ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
  });
  EXPECT_EQ(dlg.Run(), -1);
  other.join();
  EXPECT_EQ(FindDialogWith(thread, IDC_STOP), nullptr) << "window destroyed";
}

TEST(WipeProgressDlg, DoneBeforeTheFirstTickEndsAtOnce) {
  CWipeProgressDlg dlg;
  ConfigureLikeAJob(dlg, 0);
  dlg.Record().done_flag.store(1);
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_EQ(dlg.Run(), 0);
  EXPECT_LT(::GetTickCount64() - start, 1000u);
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace bpriv
