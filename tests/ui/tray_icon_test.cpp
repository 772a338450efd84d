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

// Tips in UTF-16 units: 63 fit, 64 are refused with no shell call. The
// record's size is the 64-bit layout's own (952), not the 32-bit 936. A
// refused delete leaves the icon shown, so the dialog's end tries again.
TEST(TrayIcon, AddRemoveAndTheirErrors) {
  for (int length : {-1, 63, 64}) {  // -1: no tip
    CFakeShell shell;
    CTrayIcon tray(shell);
    const std::wstring tip(length < 0 ? 0 : length, L'x');
    const bool ok = length != 64;
    EXPECT_EQ(tray.Add(kWindow, 2686, 3710, kIcon, length < 0 ? nullptr : tip.c_str()), ok) << length;
    shell.refuse = true;  // a removal without an icon makes no shell call either
    EXPECT_TRUE(!tray.Remove() && tray.Shown() == ok);
    ASSERT_EQ(shell.calls.size(), ok ? 2u : 0u);
    if (!ok) continue;
    const NOTIFYICONDATAW& d = shell.calls[0].second;
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_TRUE(d.hWnd == kWindow && d.uID == 2686 && d.uCallbackMessage == 3710 && d.hIcon == kIcon);
    EXPECT_EQ(d.uFlags, UINT(NIF_MESSAGE | NIF_ICON | (length < 0 ? 0 : NIF_TIP)));
    EXPECT_EQ(std::wstring(d.szTip), tip);
  }
}

}  // namespace
}  // namespace bpriv
