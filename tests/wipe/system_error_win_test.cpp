#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "fake_string_table.h"
#include "win_test_files.h"
#include "wipe/file_wiper_win.h"

namespace bpriv {
namespace {

TEST(ShowSystemError, ShowsTheSystemTextUnderTheCaption) {
  CFakeStringTable strings;
  strings.entries[105] = L"Wipe engine test caption";
  CStringTable* saved = GetStringTable();
  SetStringTable(&strings);
  std::atomic<bool> shown{false};
  wchar_t box_text[1024] = {};
  {
    CTestThread show([&] { shown = ShowSystemError(ERROR_NOT_ENOUGH_MEMORY); });
    HWND box = nullptr;
    for (DWORD start = ::GetTickCount(); box == nullptr && ::GetTickCount() - start < 10000; ::Sleep(20)) {
      box = ::FindWindowW(L"#32770", L"Wipe engine test caption");
    }
    ASSERT_NE(box, nullptr) << "no message box";
    ::GetDlgItemTextW(box, 0xFFFF, box_text, 1024);  // the box's static text
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_TRUE(shown);
  wchar_t expected[1024] = {};
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NOT_ENOUGH_MEMORY,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), expected, 1024, nullptr);
  EXPECT_NE(expected[0], 0);
  EXPECT_STREQ(box_text, expected);
  EXPECT_FALSE(ShowSystemError(0x2000ABCDu));  // no text for it: no box, no wait
  SetStringTable(saved);
}

}  // namespace
}  // namespace bpriv
