#include "wipe/wipe_settings_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

TEST(WipeSettings, ReadsAdvOpts) {
  // A key of the test's own beside the product's: tests sharing the prefix
  // never see each other's values.
  const std::wstring subkey = L"Software\\Corvane\\Brightsweep\\WipeSettingsTest" + std::to_wstring(::GetCurrentProcessId());
  const auto set = [&](DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    if (type != REG_NONE) ::RegSetValueExW(key, L"AdvOpts", 0, type, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
  };
  const struct {
    bool key;
    DWORD type;  // REG_NONE: no value
    std::vector<BYTE> data;
    int result;
    uint32_t adv_opts;
  } cases[] = {
      {false, REG_NONE, {}, 0, 0},         {true, REG_NONE, {}, 1, 0},
      {true, REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, 1, 0xFFFFFFFEu},
      {true, REG_BINARY, {0x34, 0x12}, 1, 0x1234},  // other types up to 4 bytes
      {true, REG_SZ, {'A', 0, 0, 0}, 1, 0x41},  {true, REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, 1, 0},
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    const auto& c = cases[n];
    set(REG_DWORD, {7, 0, 0, 0});  // a value read before must not survive
    ASSERT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, subkey.c_str()), 1);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, subkey.c_str());
    if (c.key) set(c.type, c.data);
    EXPECT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, subkey.c_str()), c.result) << n;
    uint32_t adv_opts = 0xBAD;
    EXPECT_EQ(GetWipeSettings(&adv_opts), 1);
    EXPECT_EQ(adv_opts, c.adv_opts) << n;
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, subkey.c_str());
}

}  // namespace
}  // namespace bpriv
