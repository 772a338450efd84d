// The watch on the controller's process: a listing job stops waiting for
// answers once no process whose file name ends in "BSweepRun.exe" exists.
#pragma once
#include <windows.h>

#include <optional>

#include "base/unique.h"

namespace bpriv {

// One full process snapshot: the id of the first process whose file name ends
// in `exe_name` (A-Z without case), or nothing (also when no snapshot can be had).
std::optional<DWORD> FindProcessByNameEnd(const wchar_t* exe_name);

// Gives the answer a fresh snapshot would give, but cheaply: it keeps a handle
// of the matching process found last and takes a new snapshot only once that
// process has ended. A snapshot costs milliseconds under load; a wait on a
// process handle, microseconds.
class CControllerWatch {
 public:
  explicit CControllerWatch(const wchar_t* exe_name) : name_(exe_name) {}
  bool IsRunning();
  int snapshots_taken() const { return snapshots_; }

 private:
  const wchar_t* name_;
  UniqueHandle last_;  // a process that matched; ended or not
  int snapshots_ = 0;
};

// The process-wide watch for "BSweepRun.exe", shared by every wait of the
// listing job and the URL history walk. Safe to call from any thread.
bool IsControllerRunning();

}  // namespace bpriv
