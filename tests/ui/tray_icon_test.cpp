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
TEST(TrayIcon, AddFillsTheVersion2RecordAndLimitsTheTip) {
  for (int length : {-1, 0, 63, 64}) {  // -1: no tip
    CFakeShell shell;
    CTrayIcon tray(shell);
    const std::wstring tip(length < 0 ? 0 : length, L'x');
    const bool ok = length != 64;
    EXPECT_EQ(tray.Add(kWindow, 2686, 3710, kIcon, length < 0 ? nullptr : tip.c_str()), ok) << length;
    EXPECT_EQ(State(tray), ok ? "0+" : "3-");
    ASSERT_EQ(shell.calls.size(), ok ? 1u : 0u);
    if (!ok) continue;
    const NOTIFYICONDATAW& d = shell.calls[0].second;
    EXPECT_EQ(shell.calls[0].first, DWORD{NIM_ADD});
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_TRUE(d.hWnd == kWindow && d.uID == 2686 && d.uCallbackMessage == 3710 && d.hIcon == kIcon);
    EXPECT_EQ(d.uFlags, UINT(NIF_MESSAGE | NIF_ICON | (length < 0 ? 0 : NIF_TIP)));
    EXPECT_EQ(std::wstring(d.szTip), tip);
  }
}

// Remove without an icon: error 4, no shell call. A refused delete leaves the icon shown.
TEST(TrayIcon, AddReplacesRemoveNeedsAnIconRefusalIsError1) {
  CFakeShell shell;
  CTrayIcon tray(shell);
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(State(tray), "4-");
  EXPECT_TRUE(shell.calls.empty());
  ASSERT_TRUE(tray.Add(kWindow, 7, 3710, kIcon, nullptr) && tray.Add(kWindow, 8, 3710, kIcon, L"tip"));
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_TRUE(shell.calls[1].first == NIM_DELETE && shell.calls[1].second.uID == 7) << "the second add replaces";
  shell.refuse = true;
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(State(tray), "1+");
  shell.refuse = false;
  ASSERT_TRUE(tray.Remove());
  EXPECT_EQ(shell.calls.back().second.uID, 8u);
  EXPECT_EQ(State(tray), "0-");
  shell.refuse = true;
  EXPECT_FALSE(tray.Add(kWindow, 1, 3710, kIcon, nullptr));
  EXPECT_EQ(State(tray), "1-");
}

}  // namespace
}  // namespace bpriv
