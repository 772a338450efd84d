#include "wipe/wipe_settings_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {

namespace {

// A key of the test's own beside the product's, so tests running at the same
// time in the same prefix never see each other's values.
class CTestKey {
 public:
  CTestKey()
      : subkey_(L"Software\\Corvane\\Brightsweep\\WipeSettingsTest" +
                std::to_wstring(::GetCurrentProcessId())) {}
  ~CTestKey() { Delete(); }
  const wchar_t* subkey() const { return subkey_.c_str(); }
  bool Set(DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, subkey(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LONG status = ::RegSetValueExW(key, L"AdvOpts", 0, type, data.data(),
                                         static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }
  bool CreateEmpty() {
    Delete();
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, subkey(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(key);
    return true;
  }
  void Delete() { ::RegDeleteKeyW(HKEY_CURRENT_USER, subkey()); }

 private:
  std::wstring subkey_;
};

TEST(WipeSettings, ReadsAdvOpts) {
  struct Case {
    const char* what;
    bool key;
    DWORD type;  // 0: no value
    std::vector<BYTE> data;
    int result;
    uint32_t adv_opts;
  };
  const Case cases[] = {
      {"no key", false, 0, {}, 0, 0},
      {"no value", true, 0, {}, 1, 0},
      {"dword 1", true, REG_DWORD, {1, 0, 0, 0}, 1, 1},
      {"every bit but 0", true, REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, 1, 0xFFFFFFFEu},
      {"two binary bytes", true, REG_BINARY, {0x34, 0x12}, 1, 0x1234},
      {"short string", true, REG_SZ, {'A', 0, 0, 0}, 1, 0x41},
      {"longer than 4 bytes", true, REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, 1, 0},
  };
  CTestKey key;
  for (const Case& c : cases) {
    // A value read before must not survive a read that finds nothing.
    ASSERT_TRUE(key.Set(REG_DWORD, {7, 0, 0, 0}));
    ASSERT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, key.subkey()), 1);
    key.Delete();
    if (c.key) {
      ASSERT_TRUE(key.CreateEmpty());
      if (c.type != 0) {
        ASSERT_TRUE(key.Set(c.type, c.data));
      }
    }
    EXPECT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, key.subkey()), c.result) << c.what;
    uint32_t adv_opts = 0xBAD;
    EXPECT_EQ(GetWipeSettings(&adv_opts), 1);
    EXPECT_EQ(adv_opts, c.adv_opts) << c.what;
  }
}

}  // namespace

}  // namespace bpriv
