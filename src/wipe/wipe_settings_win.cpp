#include "wipe/wipe_settings_win.h"

#include "base/unique.h"

namespace bpriv {

namespace {

// Written and read on the main thread (the progress dialog's constructor).
uint32_t g_adv_opts = 0;

}  // namespace

int LoadWipeSettingsFrom(HKEY root, const wchar_t* subkey) {
  g_adv_opts = 0;
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return 0;
  UniqueRegKey key(raw);
  // A shorter value of any type leaves the upper bytes 0 (little-endian); a
  // longer one makes the query fail and counts as absent.
  BYTE bytes[4] = {0, 0, 0, 0};
  DWORD size = sizeof bytes;
  if (::RegQueryValueExW(key.get(), kAdvOptsValue, nullptr, nullptr, bytes, &size) ==
      ERROR_SUCCESS) {
    g_adv_opts = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                 uint32_t{bytes[3]} << 24;
  }
  return 1;
}

int LoadWipeSettings() { return LoadWipeSettingsFrom(HKEY_CURRENT_USER, kProductKey); }

int GetWipeSettings(uint32_t* adv_opts) {
  *adv_opts = g_adv_opts;
  return 1;
}

}  // namespace bpriv
