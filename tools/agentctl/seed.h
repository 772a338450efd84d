// Sample content for the current user's WinINet cache and name-list files,
// for tests, benchmarks and the demo.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace agentctl {

struct SeededEntry {
  std::wstring key;
  std::wstring local_file;  // empty: the entry has no file
};

// A temporary internet file of `bytes` bytes under `url`.
[[nodiscard]] bool SeedTempFile(const std::wstring& url, DWORD bytes, SeededEntry* out);
// The cookie "Cookie:" + name, with its file in the cookie folder.
[[nodiscard]] bool SeedCookie(const std::wstring& name, FILETIME expire, SeededEntry* out);
// An entry without a local file (type NORMAL_CACHE_ENTRY, or
// URLHISTORY_CACHE_ENTRY for a "Visited:" key).
[[nodiscard]] bool SeedEntryWithoutFile(const std::wstring& key, DWORD type, SeededEntry* out);
// Deletes every entry of the default, cookie and history containers; returns
// how many were deleted.
int ClearUrlCache();
// Writes a name-list file (UTF-16LE, each name followed by CR LF), creating
// its folder.
[[nodiscard]] bool WriteNameListFile(const std::wstring& path, const std::vector<std::wstring>& names);
// One record of a saved-cookies file; empty key or path: none.
struct SavedRecordText {
  std::wstring key;
  std::wstring local_file;
  std::string content;
};
// Writes a saved-cookies file (a year ahead, cookie type), creating its folder.
[[nodiscard]] bool WriteSavedCookiesFile(const std::wstring& path, const std::vector<SavedRecordText>& records);
// The product data folder of this user (EPM: the local application data one).
std::wstring DataFolder(bool epm);

// "agentctl seed ...": see agentctl's usage text.
int SeedCommand(const std::vector<std::wstring>& args);

}  // namespace agentctl
