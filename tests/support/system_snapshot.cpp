#include "support/system_snapshot.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "base/unique.h"

namespace bpriv::test {
namespace {

void WalkFiles(const std::wstring& dir, std::map<std::wstring, std::wstring>* out) {
  WIN32_FIND_DATAW fd;
  UniqueFindFile find(::FindFirstFileW((dir + L"\\*").c_str(), &fd));
  if (!find) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = dir + L"\\" + name;
    wchar_t info[96];
    std::swprintf(info, 96, L"%lu:%lu:%lu:%lu", fd.nFileSizeHigh, fd.nFileSizeLow, fd.ftLastWriteTime.dwHighDateTime,
                  fd.ftLastWriteTime.dwLowDateTime);
    (*out)[path] = info;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      WalkFiles(path, out);
  } while (::FindNextFileW(find.get(), &fd));
}

void WalkKey(HKEY parent, const std::wstring& path, std::map<std::wstring, std::wstring>* out) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(parent, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
  UniqueRegKey key(raw);
  (*out)[path] = L"key";
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD name_len = 16384, type = 0, size = 0;
    if (::RegEnumValueW(key.get(), i, name, &name_len, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size + 2);
    name_len = 16384;
    ::RegEnumValueW(key.get(), i, name, &name_len, nullptr, &type, data.data(), &size);
    std::wstring text = std::to_wstring(type) + L":";
    for (DWORD b = 0; b < size; ++b) text += L"0123456789abcdef"[data[b] >> 4], text += L"0123456789abcdef"[data[b] & 15];
    (*out)[path + L"|" + name] = text;
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD len = 256;
    if (::RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  for (const std::wstring& sub : subkeys) WalkKey(parent, path.empty() ? sub : path + L"\\" + sub, out);
}

}  // namespace

std::map<std::wstring, std::wstring> SnapshotProfileFiles() {
  std::map<std::wstring, std::wstring> out;
  wchar_t profile[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH)) WalkFiles(profile, &out);
  return out;
}

std::map<std::wstring, std::wstring> SnapshotCurrentUserRegistry() {
  std::map<std::wstring, std::wstring> out;
  WalkKey(HKEY_CURRENT_USER, L"", &out);
  return out;
}

std::wstring DescribeChanges(const std::map<std::wstring, std::wstring>& before,
                             const std::map<std::wstring, std::wstring>& after) {
  std::wstring text;
  for (const auto& [k, v] : before) {
    auto it = after.find(k);
    if (it == after.end()) text += L"removed " + k + L"\n";
    else if (it->second != v) text += L"changed " + k + L"\n";
  }
  for (const auto& [k, v] : after)
    if (!before.count(k)) text += L"added " + k + L"\n";
  return text;
}

}  // namespace bpriv::test
