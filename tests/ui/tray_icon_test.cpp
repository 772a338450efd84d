#include "ui/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

// Records every call; answers as told.
struct CFakeShell : CNotifyIconShell {
  std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
  bool refuse = false;
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override { return calls.push_back({message, *data}), !refuse; }
};

HWND const kWindow = reinterpret_cast<HWND>(0x1234);
HICON const kIcon = reinterpret_cast<HICON>(0x5678);
// The last error, and + when an icon is shown.
std::string State(const CTrayIcon& t) { return std::to_string(t.LastError()) + (t.Shown() ? "+" : "-"); }

// Tips in UTF-16 units: 63 fit, 64 are refused with error 3 and no shell call.
// The record's size is the 64-bit layout's own (952), not the 32-bit 936.
// Remove without an icon: error 4, no shell call.
TEST(TrayIcon, AddRemoveAndTheirErrors) {
  for (int length : {-1, 63, 64}) {  // -1: no tip
    CFakeShell shell;
    CTrayIcon tray(shell);
    const std::wstring tip(length < 0 ? 0 : length, L'x');
    const bool ok = length != 64;
    EXPECT_EQ(tray.Add(kWindow, 2686, 3710, kIcon, length < 0 ? nullptr : tip.c_str()), ok) << length;
    ASSERT_EQ(State(tray) + std::to_string(shell.calls.size()), ok ? "0+1" : "3-0");
    if (!ok) continue;
    const NOTIFYICONDATAW& d = shell.calls[0].second;
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_TRUE(d.hWnd == kWindow && d.uID == 2686 && d.uCallbackMessage == 3710 && d.hIcon == kIcon);
    EXPECT_EQ(d.uFlags, UINT(NIF_MESSAGE | NIF_ICON | (length < 0 ? 0 : NIF_TIP)));
    EXPECT_EQ(std::wstring(d.szTip), tip);
  }
  CFakeShell shell;
  CTrayIcon tray(shell);
  EXPECT_TRUE(!tray.Remove() && State(tray) + std::to_string(shell.calls.size()) == "4-0") << State(tray);
  ASSERT_TRUE(tray.Add(kWindow, 7, 3710, kIcon, nullptr));
  shell.refuse = true;
  EXPECT_TRUE(!tray.Remove() && State(tray) == "1+") << "a refused delete leaves the icon shown: " << State(tray);
}

}  // namespace
}  // namespace bpriv
