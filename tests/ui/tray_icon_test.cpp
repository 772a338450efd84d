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
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
    calls.push_back({message, *data});
    return !refuse;
  }
};

HWND const kWindow = reinterpret_cast<HWND>(0x1234);
HICON const kIcon = reinterpret_cast<HICON>(0x5678);

// The record's size is the 64-bit layout's own (952), not the 32-bit 936.
TEST(TrayIcon, AddFillsTheVersion2RecordAndLimitsTheTip) {
  for (int length : {-1, 0, 63, 64}) {  // -1: no tip
    CFakeShell shell;
    CTrayIcon tray(shell);
    const std::wstring tip(length < 0 ? 0 : length, L'x');
    const bool ok = length != 64;
    EXPECT_EQ(tray.Add(kWindow, 2686, 3710, kIcon, length < 0 ? nullptr : tip.c_str()), ok) << length;
    EXPECT_EQ(tray.LastError(), ok ? 0u : 3u);
    EXPECT_EQ(tray.Shown(), ok);
    ASSERT_EQ(shell.calls.size(), ok ? 1u : 0u) << "a refused tip makes no shell call";
    if (!ok) continue;
    const NOTIFYICONDATAW& d = shell.calls[0].second;
    EXPECT_EQ(shell.calls[0].first, DWORD{NIM_ADD});
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_TRUE(d.hWnd == kWindow && d.uID == 2686 && d.uCallbackMessage == 3710 && d.hIcon == kIcon);
    EXPECT_EQ(d.uFlags, UINT(NIF_MESSAGE | NIF_ICON | (length < 0 ? 0 : NIF_TIP)));
    EXPECT_EQ(std::wstring(d.szTip), tip);
  }
}

TEST(TrayIcon, AddReplacesRemoveNeedsAnIconRefusalIsError1) {
  CFakeShell shell;
  CTrayIcon tray(shell);
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(tray.LastError(), 4u);
  EXPECT_TRUE(shell.calls.empty()) << "no shell call without an icon";
  ASSERT_TRUE(tray.Add(kWindow, 7, 3710, kIcon, nullptr) && tray.Add(kWindow, 8, 3710, kIcon, L"tip"));
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[1].first, DWORD{NIM_DELETE}) << "the second add replaces the first icon";
  EXPECT_EQ(shell.calls[1].second.uID, 7u);
  shell.refuse = true;
  EXPECT_FALSE(tray.Remove());
  EXPECT_EQ(tray.LastError(), 1u);
  EXPECT_TRUE(tray.Shown()) << "a refused delete leaves the icon shown";
  shell.refuse = false;
  ASSERT_TRUE(tray.Remove());
  EXPECT_EQ(shell.calls.back().second.uID, 8u);
  EXPECT_FALSE(tray.Shown());
  shell.refuse = true;
  EXPECT_FALSE(tray.Add(kWindow, 1, 3710, kIcon, nullptr));
  EXPECT_EQ(tray.LastError(), 1u);
  EXPECT_FALSE(tray.Shown());
}

}  // namespace
}  // namespace bpriv
