// The progress dialog under Wine, driven from a second thread the way a user
// or another program would: finding windows, reading texts, clicking.
#include "ui/wipe_progress_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  for (const ULONGLONG end = ::GetTickCount64() + ms; !done(); ::Sleep(10))
    if (::GetTickCount64() > end) return false;
  return true;
}

// The first top-level dialog of a thread that has the given control.
HWND FindDialogWith(DWORD thread, int control) {
  std::pair<int, HWND> search{control, nullptr};
  ::EnumThreadWindows(
      thread,
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int, HWND>*>(lp);
        wchar_t cls[16] = {};
        ::GetClassNameW(w, cls, 16);
        if (std::wstring(cls) != L"#32770" || ::GetDlgItem(w, s->first) == nullptr) return TRUE;
        s->second = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

std::wstring TextOf(HWND w) {
  wchar_t text[300] = {};
  ::SendMessageW(w, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
  return text;
}
std::wstring ItemText(HWND dlg, int id) { return TextOf(::GetDlgItem(dlg, id)); }
bool ItemShown(HWND dlg, int id) { return (::GetWindowLongPtrW(::GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Visible(HWND w) { return ::IsWindowVisible(w) != FALSE; }
void Click(HWND dlg, int id) { ::SendMessageW(::GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

// Runs the dialog on this thread while the script plays the user on another;
// the script's end is the worker's end (the done flag). As the cleaning jobs
// set it up unless `defaults`.
int RunDriven(CWipeProgressDlg& dlg, uint32_t digit, const std::function<void(HWND)>& script, bool defaults = false) {
  dlg.SetDisplayFlags(digit);
  if (!defaults) {
    dlg.SetDisplayMode(1);
    dlg.SetSchedulerMode(0);
    const std::u16string heading = u"Wiping Cookies";
    std::copy_n(heading.c_str(), heading.size() + 1, dlg.Record().heading);
  }
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

TEST(WipeProgressDlg, SetUpTextsAndShownAtFirstIdleWhateverTheDigit) {
  const std::pair<uint32_t, bool> cases[] = {{0, false}, {3, false}, {0, true}, {2, true}};  // digit, defaults
  for (const auto& c : cases) {
    CWipeProgressDlg dlg;
    const bool job = !c.second;
    const int result = RunDriven(dlg, c.first, [&](HWND d) {
      EXPECT_TRUE(WaitUntil([&] { return Visible(d); })) << "digit " << c.first;
      EXPECT_EQ(TextOf(d), L"Deleting and wiping...") << "the caption after the first show";
      EXPECT_EQ(ItemText(d, IDC_HIDE) + ItemText(d, IDC_STOP), L"HideStop");
      EXPECT_EQ(::GetWindow(d, GW_OWNER), nullptr) << "the dialog has no owner";
      EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"0 MB (0 bytes) wiped"; }));
      EXPECT_EQ(ItemText(d, IDC_HEADING), job ? L"Wiping Cookies" : L"Brightsweep Scheduler is running now...");
      EXPECT_FALSE(ItemShown(d, IDC_PROGRESS)) << "no totals, no bar";
      // Display mode 0 hides the (empty) item line of a dialog shown at set-up
      // only; a dialog left hidden keeps the template's line.
      EXPECT_EQ(ItemShown(d, IDC_CURRENT_ITEM), job || c.first == 2);
      EXPECT_EQ(ItemText(d, IDC_PERCENT), job ? L"" : L"0%");
      RECT r;
      MONITORINFO m = {};
      m.cbSize = sizeof m;
      ::GetWindowRect(d, &r);
      ::GetMonitorInfoW(::MonitorFromWindow(d, MONITOR_DEFAULTTONEAREST), &m);
      EXPECT_LE(std::abs(r.left + r.right - m.rcWork.left - m.rcWork.right), 2) << "centred";
      EXPECT_LE(std::abs(r.top + r.bottom - m.rcWork.top - m.rcWork.bottom), 2);
      for (int probe = 0; probe < 2; ++probe)
        EXPECT_EQ(::SendMessageW(d, kPresenceProbeMessage, 0, 0), kPresenceAnswer);
      EXPECT_EQ(::SendMessageW(d, WM_HELP, 0, 0), 0);
    }, c.second);
    EXPECT_EQ(result, 0);
  }
}

// One job: Hide, close, the tray, Enter and Stop as a user meets them, with a
// daemon window (another thread's) told once of the dialog.
TEST(WipeProgressDlg, HideCloseTrayAndStopWhileTheJobGoesOnDaemonToldOnce) {
  static std::vector<std::pair<WPARAM, LPARAM>> told;
  told.clear();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == kDaemonNotifyMessage) told.push_back({wp, lp});
    return ::DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kDaemonWindowClass;
  ASSERT_NE(::RegisterClassW(&wc), 0);
  std::atomic<DWORD> daemon_thread{0};
  std::thread daemon([&] {
    HWND w = ::CreateWindowW(kDaemonWindowClass, L"", WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, wc.hInstance, nullptr);
    daemon_thread = ::GetCurrentThreadId();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::DestroyWindow(w);
  });
  ASSERT_TRUE(WaitUntil([&] { return daemon_thread != 0; }));
  CWipeProgressDlg dlg;
  const DWORD thread = ::GetCurrentThreadId();
  RunDriven(dlg, 0, [&](HWND d) {
    ASSERT_TRUE(WaitUntil([&] { return Visible(d); }));
    Click(d, IDC_HIDE);
    EXPECT_FALSE(Visible(d));
    const std::u16string item = u"C:\\cache\\one.gif";
    std::copy_n(item.c_str(), item.size() + 1, dlg.Record().current_item);
    dlg.Record().bytes_done.store(3u << 20);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"3 MB (3145728 bytes) wiped"; }));
    EXPECT_EQ(ItemText(d, IDC_CURRENT_ITEM), L"C:\\cache\\one.gif");
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId + 1, WM_LBUTTONDBLCLK);
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_FALSE(Visible(d)) << "only a double-click on our icon shows";
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Visible(d));
    ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !Visible(d); })) << "closing hides";
    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    ::PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return !Visible(d); })) << "Enter presses the default button, Hide";
    dlg.Record().bytes_done.store(4u << 20);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"4 MB (4194304 bytes) wiped"; }));

    ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    HWND stop = ::GetDlgItem(d, IDC_STOP);
    for (int answer : {IDNO, IDYES}) {
      ::PostMessageW(stop, BM_CLICK, 0, 0);  // posted like a mouse click: the question holds the thread
      HWND box = nullptr;
      ASSERT_TRUE(WaitUntil([&] { return (box = FindDialogWith(thread, IDNO)) != nullptr; }));
      EXPECT_EQ(TextOf(box), L"Stop");
      EXPECT_EQ(::GetWindow(box, GW_OWNER), d);
      ::PostMessageW(stop, BM_CLICK, 0, 0);  // a second click while asked brings no second box
      ::Sleep(100);
      Click(box, answer);
      ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
      ::Sleep(2 * kTickIntervalMs);
      EXPECT_EQ(FindDialogWith(thread, IDNO), nullptr);
      EXPECT_EQ(dlg.Record().stop_flag.load(), answer == IDYES ? 1 : 0);
      EXPECT_EQ(::IsWindowEnabled(stop) != FALSE, answer == IDNO) << "disabled at the next tick after Yes";
    }
  });
  ::PostThreadMessageW(daemon_thread, WM_QUIT, 0, 0);
  daemon.join();
  ::UnregisterClassW(kDaemonWindowClass, wc.hInstance);
  EXPECT_EQ(told, (std::vector<std::pair<WPARAM, LPARAM>>{{0, 0}}));
}

// The shell's side of the tray icon, as a string of adds and deletes.
struct CTrayLog : CNotifyIconShell {
  std::string calls;
  BOOL Notify(DWORD message, NOTIFYICONDATAW*) override {
    calls += message == NIM_ADD ? 'A' : message == NIM_DELETE ? 'D' : '?';
    return TRUE;
  }
};

TEST(WipeProgressDlg, ProductKeyGivesTrayRuleAndTakesSchedOnlyWhenItExists) {
  const struct {
    bool key;
    DWORD adv_opts;
    int clicks;
    DWORD sched;  // 99: nothing written
    const char* tray;
  } cases[] = {{false, 0, 1, 99, "AD"}, {true, 1, 1, 0, "ADAD"}, {true, 0xFFFFFFFE, 2, 1, "AD"}};
  for (const auto& c : cases) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    HKEY raw = nullptr;
    if (c.key) {
      ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr), 0);
      ::RegSetValueExW(raw, kAdvOptsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.adv_opts), 4);
    }
    UniqueRegKey created(raw);
    CTrayLog tray;
    CWipeProgressDlg dlg;
    dlg.SetNotifyIconShell(tray);
    RunDriven(dlg, 0, [&](HWND d) {
      ASSERT_TRUE(WaitUntil([&] { return Visible(d); }));
      for (int i = 0; i < c.clicks; ++i) Click(d, IDC_SCHED);
      Click(d, IDC_HIDE);
      ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    });
    EXPECT_EQ(tray.calls, c.tray) << "AdvOpts " << c.adv_opts;
    DWORD value = 99, size = sizeof value;
    HKEY read = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_QUERY_VALUE, &read) == 0;
    UniqueRegKey reader(read);
    EXPECT_EQ(exists, c.key) << "the key is never created";
    if (exists) ::RegQueryValueExW(read, kSchedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    EXPECT_EQ(value, c.sched) << c.clicks;
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
}

TEST(WipeProgressDlg, RunEndsAtTheFirstTickOrAForeignQuit) {
  for (bool done_at_start : {true, false}) {
    CWipeProgressDlg dlg;
    dlg.Record().done_flag.store(done_at_start ? 1 : 0);
    const DWORD thread = ::GetCurrentThreadId();
    std::thread other([&] {
      if (!done_at_start && WaitUntil([&] { return FindDialogWith(thread, IDC_STOP) != nullptr; }))
        ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
    });
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(dlg.Run(), done_at_start ? 0 : -1);
    other.join();
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    EXPECT_EQ(FindDialogWith(thread, IDC_STOP), nullptr) << "window destroyed";
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
}

}  // namespace
}  // namespace bpriv
