// The progress dialog under Wine, driven from a second thread the way a user
// or another program would: finding windows, reading texts, clicking. First
// its tray icon alone, against a fake shell.
#include "ui/wipe_progress_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "resource.h"
#include "support/run_process.h"
#include "wipe/wipe_settings_win.h"

namespace bpriv {
namespace {

using test::FindDialogWith, test::WaitUntil;
bool Visible(HWND w) { return ::IsWindowVisible(w) != FALSE; }

// Records every call; answers as told.
struct CFakeShell : CNotifyIconShell {
  std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
  bool refuse = false;
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override { return calls.push_back({message, *data}), !refuse; }
};

// Tips in UTF-16 units: 63 fit, 64 are refused with no shell call. A refused
// delete leaves the icon shown, so the dialog's end tries again.
TEST(TrayIcon, TipLimitAndARefusedRemoval) {
  for (size_t length : {63u, 64u}) {
    CFakeShell shell;
    CTrayIcon tray(shell);
    EXPECT_EQ(tray.Add(nullptr, 1, 2, nullptr, std::wstring(length, L'x').c_str()), length == 63) << length;
    shell.refuse = true;  // a removal without an icon makes no shell call either
    EXPECT_TRUE(!tray.Remove() && tray.Shown() == (length == 63) && shell.calls.size() == (length == 63 ? 2u : 0u));
  }
}

// The caption once shown; the Sched box ticked; close (it hides), the tray's
// messages, foreign ones too, and Stop answered No then Yes.
void PlayTheUser(CWipeProgressDlg& dlg, HWND d, DWORD thread) {
  wchar_t caption[80] = {};
  ::GetWindowTextW(d, caption, 80);
  EXPECT_STREQ(caption, L"Deleting and wiping...") << "the caption after the first show";
  EXPECT_TRUE(::GetDlgItemTextW(d, IDC_PERCENT, caption, 80) && std::wstring(caption) == L"0%") << "until a count";
  ::CheckDlgButton(d, IDC_SCHED, BST_CHECKED);
  ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_SCHED, BN_CLICKED), 0);
  ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(d); })) << "closing hides";
  ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId + 1, WM_LBUTTONDBLCLK);
  ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
  EXPECT_FALSE(Visible(d)) << "only a double-click on our icon shows";
  ::SendMessageW(d, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Visible(d));
  HWND stop = ::GetDlgItem(d, IDC_STOP);
  for (int answer : {IDNO, IDYES}) {
    ::PostMessageW(stop, BM_CLICK, 0, 0);  // posted like a mouse click: the question holds the thread
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindDialogWith(IDNO, thread)) != nullptr; }));
    EXPECT_TRUE(::GetWindowTextW(box, caption, 80) && std::wstring(caption) == L"Stop");
    ::PostMessageW(stop, BM_CLICK, 0, 0);  // a second click while asked brings no second box
    ::Sleep(100);
    ::SendMessageW(::GetDlgItem(box, answer), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ::Sleep(2 * kTickIntervalMs);
    EXPECT_EQ(FindDialogWith(IDNO, thread), nullptr);
    EXPECT_EQ(dlg.Record().stop_flag.load(), answer == IDYES ? 1 : 0);
    EXPECT_EQ(::IsWindowEnabled(stop) != FALSE, answer == IDNO) << "disabled at the next tick after Yes";
  }
}

// Display digit 3 starts hidden and is shown at the first idle moment; the
// sweep daemon is told once a run; the timer's tick draws into the dialog;
// then the user plays. The tray icon: with AdvOpts 0 added and removed once;
// with bit 0, only while the dialog shows. Sched goes into the product key,
// 0 for a ticked box, only where the key exists.
TEST(WipeProgressDlg, SetUpTrayDaemonHideAndStop) {
  static int told = 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    told += m == kDaemonNotifyMessage && wp == 0 && lp == 0;
    return ::DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kDaemonWindowClass;
  ASSERT_NE(::RegisterClassW(&wc), 0);
  // The process's end takes the window and class away.
  ::CreateWindowW(kDaemonWindowClass, L"", WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, wc.hInstance, nullptr);
  for (const DWORD adv_opts : {0ul, 1ul}) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    HKEY key = nullptr;
    if (adv_opts) {
      ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                0);
      ::RegSetValueExW(key, kAdvOptsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&adv_opts), 4);
    }
    CFakeShell tray;
    CWipeProgressDlg dlg;
    dlg.SetNotifyIconShell(tray);
    dlg.SetDisplayFlags(3);  // hidden at set-up
    dlg.SetSchedulerMode(0);
    // The dialog runs on this thread while another plays the user; its end is the worker's end.
    const DWORD thread = ::GetCurrentThreadId();
    std::thread user([&] {
      HWND d = nullptr;
      EXPECT_TRUE(WaitUntil([&] { return (d = FindDialogWith(IDC_STOP, thread)) != nullptr; })) << "no dialog";
      if (d) {
        EXPECT_TRUE(WaitUntil([&] { return Visible(d); }));
        wchar_t text[30];  // the tick's byte count, drawn by the timer
        const auto drawn = [&] { return std::wstring(text, ::GetDlgItemTextW(d, IDC_BYTE_COUNT, text, 30)); };
        EXPECT_TRUE(WaitUntil([&] { return drawn() == L"0 MB (0 bytes) wiped"; }));
        EXPECT_EQ(::SendMessageW(d, kPresenceProbeMessage, 0, 0), kPresenceAnswer);
        PlayTheUser(dlg, d, thread);
      }
      dlg.Record().done_flag.store(1);
    });
    EXPECT_EQ(dlg.Run(), 0);
    user.join();
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a WM_QUIT outlived the run";
    std::vector<DWORD> calls;
    for (const auto& call : tray.calls) calls.push_back(call.first);
    const std::vector<DWORD> want_calls = adv_opts ? std::vector<DWORD>{NIM_ADD, NIM_DELETE, NIM_ADD, NIM_DELETE}
                                                   : std::vector<DWORD>{NIM_ADD, NIM_DELETE};
    EXPECT_EQ(calls, want_calls);
    DWORD sched = 7, size = sizeof sched;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kProductKey, kSchedValue, RRF_RT_DWORD, nullptr, &sched, &size),
              adv_opts ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sched, adv_opts ? 0u : 7u);
    if (key) ::RegCloseKey(key);
    // The record's size is the 64-bit layout's own (952), not the 32-bit 936; the tip is the resources' own.
    const NOTIFYICONDATAW& added = tray.calls[0].second;
    EXPECT_EQ(added.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_TRUE(added.uID == kTrayIconId && added.uCallbackMessage == kTrayCallbackMessage && added.hIcon);
    const wchar_t* tip = nullptr;
    const int tip_length = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_TRAY_TIP, reinterpret_cast<LPWSTR>(&tip), 0);
    EXPECT_EQ(added.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(tip_length > 0 && added.szTip == std::wstring(tip, tip_length));
    EXPECT_TRUE(tray.calls[1].second.hWnd == added.hWnd && tray.calls[1].second.uID == kTrayIconId);
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
  EXPECT_EQ(told, 2);
}

// Another program at progress_demo's dialog: what would destroy, re-initialise
// (with a wild lParam) or unbind it is ignored; a close and a posted WM_QUIT
// are the controls. Each time the demo ends with its code soon after its last
// item (ten of 100 ms), and nothing crashes.
TEST(WipeProgressDlg, ForeignMessagesNeitherHangNorCrashIt) {
  const std::wstring demo = test::BesideTests(L"progress_demo.exe");
  const struct { UINT msg; LPARAM lp; } cases[] = {
      {WM_DESTROY, 0}, {WM_NCDESTROY, 0}, {WM_INITDIALOG, 0x530}, {WM_CLOSE, 0}, {WM_QUIT, 0}};
  for (const auto& c : cases) {
    test::StartedProcess process(demo, L"\"" + demo + L"\" 0 10 100", true);
    HWND d = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (d = FindDialogWith(IDC_STOP)) != nullptr; })) << c.msg;
    DWORD_PTR ignored = 0;
    if (c.msg == WM_QUIT) ::PostMessageW(d, c.msg, 0, c.lp);
    else ::SendMessageTimeoutW(d, c.msg, 0, c.lp, SMTO_ABORTIFHUNG, 2000, &ignored);
    EXPECT_EQ(process.WaitExit(1000 + 5000), 0u) << c.msg;
  }
}

}  // namespace
}  // namespace bpriv
