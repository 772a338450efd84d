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
  for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
    if (::GetWindowThreadProcessId(w, nullptr) == thread && ::GetDlgItem(w, control)) return w;
  return nullptr;
}
std::wstring TextOf(HWND w) {
  wchar_t text[300] = {};
  ::GetWindowTextW(w, text, 300);
  return text;
}
std::wstring ItemText(HWND dlg, int id) { return TextOf(::GetDlgItem(dlg, id)); }
bool ItemShown(HWND dlg, int id) { return (::GetWindowLongPtrW(::GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Visible(HWND w) { return ::IsWindowVisible(w) != FALSE; }
void Click(HWND dlg, int id) { ::SendMessageW(::GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
void DoubleClickTray(HWND d) { ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK); }

// The shell's side of the tray icon, as a string of adds and deletes.
struct CTrayLog : CNotifyIconShell {
  std::string calls;
  BOOL Notify(DWORD message, NOTIFYICONDATAW*) override { return calls += message == NIM_ADD ? 'A' : 'D', TRUE; }
};

// Hide, close, the tray, Enter and Stop answered No then Yes, as a user meets them.
void PlayTheUser(CWipeProgressDlg& dlg, HWND d) {
  Click(d, IDC_HIDE);
  EXPECT_FALSE(Visible(d));
  ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId + 1, WM_LBUTTONDBLCLK);
  ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
  EXPECT_FALSE(Visible(d)) << "only a double-click on our icon shows";
  DoubleClickTray(d);
  EXPECT_TRUE(Visible(d));
  ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(d); })) << "closing hides";
  DoubleClickTray(d);
  ::PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(d); })) << "Enter presses the default button, Hide";
  HWND stop = ::GetDlgItem(d, IDC_STOP);
  const DWORD thread = ::GetWindowThreadProcessId(d, nullptr);
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
}

// Digits 2 and 3 start hidden and are shown at the first idle moment. The
// product key gives the tray rule (AdvOpts bit 0) and takes Sched only when it
// exists. A daemon window is told once of each dialog.
TEST(WipeProgressDlg, SetUpTrayRuleSchedDaemonHideAndStop) {
  static int told = 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    told += m == kDaemonNotifyMessage && wp == 0 && lp == 0;
    return ::DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kDaemonWindowClass;
  ASSERT_NE(::RegisterClassW(&wc), 0);
  HWND daemon = ::CreateWindowW(kDaemonWindowClass, L"", WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, wc.hInstance, nullptr);
  // sched 99: nothing written; user: Hide, close, the tray, Enter and Stop played too.
  const struct { uint32_t digit; bool defaults, key; DWORD adv_opts; int clicks; DWORD sched; const char* tray; bool user; }
      cases[] = {{0, false, true, 1, 1, 0, "ADAD", false}, {3, false, false, 0, 1, 99, "AD", true},
               {0, true, true, 0xFFFFFFFE, 2, 1, "AD", false}, {2, true, false, 0, 0, 99, "AD", false}};
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
    const bool job = !c.defaults;
    told = 0;
    dlg.SetDisplayFlags(c.digit);
    if (job) {  // as the cleaning jobs set it up
      dlg.SetDisplayMode(1);
      dlg.SetSchedulerMode(0);
      std::copy_n(u"Wiping Cookies", 15, dlg.Record().heading);
    }
    // The dialog runs on this thread while another plays the user; its end is the worker's end.
    const DWORD thread = ::GetCurrentThreadId();
    std::thread user([&] {
      HWND d = nullptr;
      EXPECT_TRUE(WaitUntil([&] { return (d = FindDialogWith(thread, IDC_STOP)) != nullptr; })) << "no dialog";
      if (d) {
        EXPECT_TRUE(WaitUntil([&] { return Visible(d); })) << "digit " << c.digit;
        EXPECT_EQ(TextOf(d) + ItemText(d, IDC_HIDE) + ItemText(d, IDC_STOP), L"Deleting and wiping...HideStop");
        EXPECT_EQ(::GetWindow(d, GW_OWNER), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(d, IDC_BYTE_COUNT) == L"0 MB (0 bytes) wiped"; }));
        EXPECT_EQ(ItemText(d, IDC_HEADING), job ? L"Wiping Cookies" : L"Brightsweep Scheduler is running now...");
        EXPECT_FALSE(ItemShown(d, IDC_PROGRESS)) << "no totals, no bar";
        // Display mode 0 hides the item line of a dialog shown at set-up only.
        EXPECT_EQ(ItemShown(d, IDC_CURRENT_ITEM), job || c.digit == 2);
        EXPECT_EQ(ItemText(d, IDC_PERCENT), job ? L"" : L"0%");
        EXPECT_EQ(::SendMessageW(d, kPresenceProbeMessage, 0, 0), kPresenceAnswer);
        RECT r, w;
        ::GetWindowRect(d, &r);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &w, 0);
        EXPECT_LE(std::abs(r.left + r.right - w.left - w.right) + std::abs(r.top + r.bottom - w.top - w.bottom), 4);
        for (int i = 0; i < c.clicks; ++i) Click(d, IDC_SCHED);
        Click(d, IDC_HIDE);
        DoubleClickTray(d);
        if (c.user) PlayTheUser(dlg, d);
      }
      dlg.Record().done_flag.store(1);
    });
    const int result = dlg.Run();
    user.join();
    EXPECT_EQ(result, 0);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a WM_QUIT outlived the run";
    EXPECT_EQ(tray.calls, c.tray) << "AdvOpts " << c.adv_opts;
    EXPECT_EQ(told, 1);
    DWORD value = 99, size = sizeof value;
    ::RegGetValueW(HKEY_CURRENT_USER, kProductKey, kSchedValue, RRF_RT_REG_DWORD, nullptr, &value, &size);
    EXPECT_EQ(value, c.sched) << c.clicks;
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
  ::DestroyWindow(daemon);
  ::UnregisterClassW(kDaemonWindowClass, wc.hInstance);
}

}  // namespace
}  // namespace bpriv
