// Processes with a chosen file name, for the agent's watch on "BSweepRun.exe".
#pragma once
#include <windows.h>

#include <string>

#include "base/unique.h"

namespace bpriv::test {

// Copies agentctl.exe beside the tests under `name` (replacing an old copy)
// and returns the copy's path, or empty.
std::wstring CopyAgentctlAs(const wchar_t* name);

// Starts `exe` suspended: it shows in process snapshots under its file name
// and does nothing until it is ended. Ends (and waits for) it when dropped.
class SuspendedProcess {
 public:
  explicit SuspendedProcess(const std::wstring& exe);
  ~SuspendedProcess() { End(); }
  bool started() const { return static_cast<bool>(process_); }
  void End();

 private:
  UniqueHandle process_;
};

// A process started with the given full command line and left running; ended
// (and waited for) when dropped if it still runs. `quiet`: its output goes nowhere.
class StartedProcess {
 public:
  StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet = false);
  ~StartedProcess();
  bool started() const { return static_cast<bool>(process_); }
  // The exit code once it has ended within the time, else STILL_ACTIVE.
  DWORD WaitExit(DWORD timeout_ms);

 private:
  UniqueFile output_;  // quiet: a temporary file that goes when closed
  UniqueHandle process_;
};

}  // namespace bpriv::test
