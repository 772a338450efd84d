#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fake_string_table.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

// The executable's own string table names the algorithms as their keys do.
TEST(InitWipeAlgos, RegistersTheFiveUnderTheirResourceNames) {
  EXPECT_EQ(InitWipeAlgos(), 1);
  EXPECT_EQ(InitWipeAlgos(), 1);
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(GetAlgo(i)->GetName(), GetAlgo(i)->GetKey()) << i;
    EXPECT_FALSE(GetAlgo(i)->GetDescription().empty()) << i;
  }
  EXPECT_EQ(FindAlgoByName(L"zeroes"), &g_zeroAlgo);
  EXPECT_NE(g_randomAlgo.GetDescription().find(L"\n"), std::wstring::npos);
}

TEST(ShowSystemError, ShowsTheSystemTextUnderTheCaption) {
  CFakeStringTable strings;
  strings.entries[105] = L"Wipe engine test caption";
  std::atomic<bool> shown{false};
  wchar_t box_text[1024] = {};
  std::thread show([&] { shown = ShowSystemError(ERROR_NOT_ENOUGH_MEMORY); });
  HWND box = nullptr;
  for (DWORD start = ::GetTickCount(); box == nullptr && ::GetTickCount() - start < 10000; ::Sleep(20))
    box = ::FindWindowW(L"#32770", L"Wipe engine test caption");
  if (box != nullptr) ::GetDlgItemTextW(box, 0xFFFF, box_text, 1024);  // the box's static text
  if (box != nullptr) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  show.join();
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_TRUE(shown);
  wchar_t expected[1024] = {};
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NOT_ENOUGH_MEMORY,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), expected, 1024, nullptr);
  EXPECT_NE(expected[0], 0);
  EXPECT_STREQ(box_text, expected);
  EXPECT_FALSE(ShowSystemError(0x2000ABCDu));  // no text for it: no box, no wait
}

}  // namespace
}  // namespace bpriv
