#include "ui/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

// Stricter than the shell: a delete of an icon it does not hold, or an add of
// one it holds, is a test failure.
class CFakeShell : public CNotifyIconShell {
 public:
  struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
  };
  std::vector<Call> calls;
  std::vector<std::pair<HWND, UINT>> icons;
  bool refuse = false;
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
    calls.push_back({message, *data});
    if (refuse) return FALSE;
    const std::pair<HWND, UINT> key{data->hWnd, data->uID};
    auto it = std::find(icons.begin(), icons.end(), key);
    if (message == NIM_ADD) {
      EXPECT_EQ(it, icons.end()) << "added twice";
      icons.push_back(key);
    } else if (message == NIM_DELETE) {
      EXPECT_NE(it, icons.end()) << "deleted unknown icon";
      if (it != icons.end()) icons.erase(it);
    }
    return TRUE;
  }
};

HWND const kWindow = reinterpret_cast<HWND>(0x1234);
HICON const kIcon = reinterpret_cast<HICON>(0x5678);

TEST(TrayIcon, AddFillsTheVersion2RecordAndTipLimit) {
  struct Case {
    size_t tip_length;  // npos: no tip
    bool ok;
    uint32_t error;
  } cases[] = {{std::wstring::npos, true, 0}, {0, true, 0}, {63, true, 0}, {64, false, 3}, {127, false, 3}};
  for (const Case& c : cases) {
    CFakeShell shell;
    CTrayIcon tray(shell);
    const std::wstring tip(c.tip_length == std::wstring::npos ? 0 : c.tip_length, L'x');
    const bool ok = tray.Add(kWindow, 2686, 3710, kIcon, c.tip_length == std::wstring::npos ? nullptr : tip.c_str());
    EXPECT_EQ(ok, c.ok) << c.tip_length;
    EXPECT_EQ(tray.LastError(), c.error);
    EXPECT_EQ(tray.Shown(), c.ok);
    if (!c.ok) {
      EXPECT_TRUE(shell.calls.empty()) << "a refused tip makes no shell call";
      continue;
    }
    ASSERT_EQ(shell.calls.size(), 1u);
    const NOTIFYICONDATAW& d = shell.calls[0].data;
    EXPECT_EQ(shell.calls[0].message, DWORD{NIM_ADD});
    EXPECT_EQ(d.cbSize, DWORD{NOTIFYICONDATAW_V2_SIZE});
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_EQ(d.hWnd, kWindow);
    EXPECT_EQ(d.uID, 2686u);
    EXPECT_EQ(d.uCallbackMessage, 3710u);
    EXPECT_EQ(d.hIcon, kIcon);
    const bool has_tip = c.tip_length != std::wstring::npos;
    EXPECT_EQ(d.uFlags, UINT(NIF_MESSAGE | NIF_ICON | (has_tip ? NIF_TIP : 0)));
    EXPECT_EQ(std::wstring(d.szTip), tip);
    EXPECT_EQ(d.dwState | d.dwStateMask | d.dwInfoFlags | d.szInfo[0], 0u) << "record zeroed";
  }
}

TEST(TrayIcon, AddTwiceReplacesAndRemoveNeedsAnIcon) {
  CFakeShell shell;
  CTrayIcon tray(shell);
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(tray.LastError(), 4u);
  EXPECT_TRUE(shell.calls.empty()) << "no shell call without an icon";

  ASSERT_TRUE(tray.Add(kWindow, 7, 3710, kIcon, nullptr));
  ASSERT_TRUE(tray.Add(kWindow, 8, 3710, kIcon, L"tip"));
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[1].message, DWORD{NIM_DELETE});
  EXPECT_EQ(shell.calls[1].data.uID, 7u);
  EXPECT_EQ(shell.calls[1].data.uFlags, 0u);
  EXPECT_EQ(shell.icons.size(), 1u);

  ASSERT_TRUE(tray.Remove());
  EXPECT_EQ(shell.calls.back().data.uID, 8u);
  EXPECT_EQ(shell.calls.back().data.cbSize, DWORD{NOTIFYICONDATAW_V2_SIZE});
  EXPECT_FALSE(tray.Shown());
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(tray.LastError(), 4u);
}

TEST(TrayIcon, ShellRefusalIsError1AndKeepsState) {
  CFakeShell shell;
  CTrayIcon tray(shell);
  shell.refuse = true;
  EXPECT_FALSE(tray.Add(kWindow, 1, 3710, kIcon, nullptr));
  EXPECT_EQ(tray.LastError(), 1u);
  EXPECT_FALSE(tray.Shown());
  shell.refuse = false;
  ASSERT_TRUE(tray.Add(kWindow, 1, 3710, kIcon, nullptr));
  shell.refuse = true;
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(tray.LastError(), 1u);
  EXPECT_TRUE(tray.Shown()) << "a refused delete leaves the icon shown";
}

}  // namespace
}  // namespace bpriv
