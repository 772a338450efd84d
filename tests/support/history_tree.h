// Test set-up around the history listing under Wine: items in the shell's History folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bpriv::test {

// Creates folders (paths ending in '\') and empty files below the History
// folder; removes them again when dropped. ok() is false when the folder
// held anything beforehand but Wine's own history index, or a path could not be made.
class ScopedHistoryTree {
 public:
  explicit ScopedHistoryTree(const std::vector<std::wstring>& paths);
  ~ScopedHistoryTree();
  bool ok() const { return ok_; }
  const std::wstring& root() const { return root_; }

 private:
  std::wstring root_;
  std::vector<std::wstring> made_;  // in creation order, removed in reverse
  bool ok_ = false;
};

}  // namespace bpriv::test
