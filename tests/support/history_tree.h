// Test set-up around the history listing under Wine: items in the shell's History folder.
#pragma once
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/unique.h"

namespace bpriv::test {

// Creates folders (paths ending in '\') and empty files below the History
// folder, which it empties first; removes them again when dropped. ok() is
// false when a path could not be made.
class ScopedHistoryTree {
 public:
  explicit ScopedHistoryTree(const std::vector<std::wstring>& paths) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_HISTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return;
    const std::wstring root = folder;
    // The prefix is the tests' own: what a killed earlier run, or Wine's own
    // walk of every container (History.IE5), left here goes first.
    std::wstring all = root + L"\\*";
    all.push_back(L'\0');  // a list ends with two NULs
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = all.c_str();
    op.fFlags = FOF_NO_UI;
    (void)::SHFileOperationW(&op);
    for (std::wstring p : paths) {
      const bool folder_path = p.back() == L'\\';
      if (folder_path) p.pop_back();
      const std::wstring full = root + L"\\" + p;
      if (folder_path ? !::CreateDirectoryW(full.c_str(), nullptr)
                      : !UniqueFile(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)))
        return;
      made_.push_back(full);
    }
    ok_ = true;
  }
  ~ScopedHistoryTree() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
      if (!::DeleteFileW(it->c_str())) ::RemoveDirectoryW(it->c_str());
  }
  bool ok() const { return ok_; }

 private:
  std::vector<std::wstring> made_;  // in creation order, removed in reverse
  bool ok_ = false;
};

}  // namespace bpriv::test
