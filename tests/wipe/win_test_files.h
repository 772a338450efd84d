// Real files for the Windows-side tests: a fresh folder per test, removed with
// everything in it afterwards.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace bpriv {

inline std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data))
    if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") names.push_back(data.cFileName);
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  return names;
}

inline void RemoveTree(const std::wstring& folder) {
  for (const std::wstring& name : ListFolder(folder)) {
    ::SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW((folder + name).c_str())) RemoveTree(folder + name + L"\\");
  }
  ::RemoveDirectoryW(folder.c_str());
}

struct CTempFolder {
  CTempFolder() {
    static int made = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = temp + (L"bpw" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++made) + L"\\");
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~CTempFolder() { RemoveTree(path_); }
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }
  std::wstring path_;
};

}  // namespace bpriv
