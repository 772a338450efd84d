// The wipe settings kept in the product's per-user registry key.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bpriv {

constexpr wchar_t kProductKey[] = L"Software\\Corvane\\Brightsweep\\00000513";
constexpr wchar_t kAdvOptsValue[] = L"AdvOpts";
// AdvOpts bit 0: the tray icon exists only while the progress dialog shows.
constexpr uint32_t kAdvOptsTrayWhileVisible = 1;

// Reads AdvOpts (4 bytes, any type; 0 when absent, unreadable or longer)
// into the process-wide word. Returns 0 when the key cannot be opened.
int LoadWipeSettings();
// The same from another key; the tests' way around the product's key.
int LoadWipeSettingsFrom(HKEY root, const wchar_t* subkey);
// Copies the word last read (0 before the first read). Returns 1.
int GetWipeSettings(uint32_t* adv_opts);

}  // namespace bpriv
