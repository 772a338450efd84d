#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "fake_string_table.h"
#include "win_test_files.h"
#include "wipe/file_wiper_win.h"

namespace bpriv {

namespace {

std::wstring SystemText(DWORD error) {
  wchar_t text[1024] = {};
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 1024, nullptr);
  return text;
}

TEST(ShowSystemError, ShowsTheSystemTextUnderTheCaption) {
  CFakeStringTable strings;
  strings.entries[105] = L"Wipe engine test caption";
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  std::atomic<bool> shown{false};
  std::wstring box_text;
  {
    CTestThread show([&] { shown = ShowSystemError(ERROR_NOT_ENOUGH_MEMORY); });
    HWND box = nullptr;
    for (DWORD start = ::GetTickCount(); box == nullptr && ::GetTickCount() - start < 10000;) {
      ::Sleep(20);
      box = ::FindWindowW(L"#32770", L"Wipe engine test caption");
    }
    ASSERT_NE(box, nullptr) << "no message box";
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's static text
    box_text = text;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_TRUE(shown);
  EXPECT_FALSE(SystemText(ERROR_NOT_ENOUGH_MEMORY).empty());
  EXPECT_EQ(box_text, SystemText(ERROR_NOT_ENOUGH_MEMORY));
  // A code the system has no text for shows nothing (and so does not block).
  EXPECT_FALSE(ShowSystemError(0x2000ABCDu));
  SetStringTable(saved);
}

}  // namespace

}  // namespace bpriv
