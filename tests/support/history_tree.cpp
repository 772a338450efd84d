#include "support/history_tree.h"

#include <shlobj.h>

#include "base/unique.h"

namespace bpriv::test {
namespace {

bool FolderIsEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  UniqueFindFile find(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return true;
  do {
    std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") return false;
  } while (::FindNextFileW(find.get(), &fd));
  return true;
}

}  // namespace

ScopedHistoryTree::ScopedHistoryTree(const std::vector<std::wstring>& paths) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_HISTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return;
  root_ = folder;
  // Any earlier walk of every container leaves Wine's own history index here.
  ::DeleteFileW((root_ + L"\\History.IE5\\index.dat").c_str());
  ::RemoveDirectoryW((root_ + L"\\History.IE5").c_str());
  if (!FolderIsEmpty(root_)) return;
  for (const std::wstring& p : paths) {
    std::wstring full = root_ + L"\\" + p;
    bool made;
    if (!p.empty() && p.back() == L'\\') {
      full.pop_back();
      made = ::CreateDirectoryW(full.c_str(), nullptr) != FALSE;
    } else {
      UniqueFile file(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
      made = static_cast<bool>(file);
    }
    if (!made) return;
    made_.push_back(full);
  }
  ok_ = true;
}

ScopedHistoryTree::~ScopedHistoryTree() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it)
    if (!::DeleteFileW(it->c_str())) ::RemoveDirectoryW(it->c_str());
}

ScopedWineVersion::ScopedWineVersion(const wchar_t* exe_name, const wchar_t* version)
    : key_(std::wstring(L"Software\\Wine\\AppDefaults\\") + exe_name) {
  HKEY raw = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS)
    return;
  UniqueRegKey key(raw);
  const DWORD bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
  ok_ = ::RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes) ==
        ERROR_SUCCESS;
}

ScopedWineVersion::~ScopedWineVersion() {
  ::RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
  // The AppDefaults key itself is left only if something else lives in it.
  ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults");
}

}  // namespace bpriv::test
