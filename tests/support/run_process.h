// Starts programs of the build (agentctl, the agent, copies of agentctl under a controller's name for the
// agent's watch on "BSweepRun.exe") and collects what they print; and the file, wait and window helpers that
// the Windows tests share.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/unique.h"

namespace bpriv::test {

struct ProcessResult {
  bool started = false;
  DWORD exit_code = 0;
  std::string output;  // stdout and stderr, as printed
};

// ASCII text of a wide string, for messages and comparisons with output.
inline std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// A file's bytes ("<missing>" when it cannot be opened), and a file written
// whole; ASCII paths, as in the test prefix.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Polls every 10 ms until `done` says so; false after `ms`.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = 3000);

// The first top-level dialog with the given control, of the given thread and process (0: any).
HWND FindDialogWith(int control, DWORD thread = 0, DWORD process = 0);

using Lines = std::vector<std::string>;

// Output split into lines, without their CR LF.
Lines SplitLines(const std::string& output);

// A program beside the test executable (bin/NAME).
std::wstring BesideTests(const wchar_t* name);

// Runs the full command line and waits up to timeout_ms (then kills it).
ProcessResult RunProcess(const std::wstring& exe, const std::wstring& command_line, DWORD timeout_ms = 30000);

// agentctl with its arguments (each already quoted where needed).
ProcessResult RunAgentctl(const std::wstring& args, DWORD timeout_ms = 30000);

// "agentctl seed --clear ARGS": what it made, "kind key" -> local file (ASCII
// samples), e.g. "tif http://a/" -> "C:\\...\\a[1].txt"; "nofile KEY" -> "".
std::map<std::string, std::string> SeedCache(const std::wstring& args);

// Starts a Linux program with Windows paths as its arguments and waits until
// `done` says so (at most 10 s); false outside Wine. Links made this way are
// what Wine reports as plain files and folders, by path and by handle.
bool RunOnLinux(const std::wstring& program, std::initializer_list<std::wstring> paths,
                const std::function<bool()>& done);

// Copies agentctl.exe beside the tests under `name` (replacing an old copy)
// and returns the copy's path, or empty.
std::wstring CopyAgentctlAs(const wchar_t* name);

// A process started with the given full command line and left running; ended
// (and waited for) when dropped if it still runs. `quiet`: its output goes nowhere.
class StartedProcess {
 public:
  StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet = false, DWORD flags = 0);
  ~StartedProcess() { End(); }
  bool started() const { return static_cast<bool>(process_); }
  DWORD id() const { return ::GetProcessId(process_.get()); }
  // The exit code once it has ended within the time, else STILL_ACTIVE.
  DWORD WaitExit(DWORD timeout_ms);
  std::string Output() const;  // what it printed so far, when quiet
  void End();

 private:
  UniqueFile output_;  // quiet: a temporary file that goes when closed
  UniqueHandle process_;
};

// Started suspended: it shows in process snapshots under its file name and does nothing until it is ended.
struct SuspendedProcess : StartedProcess {
  explicit SuspendedProcess(const std::wstring& exe)
      : StartedProcess(exe, L"\"" + exe + L"\" help", false, CREATE_SUSPENDED) {}
};

}  // namespace bpriv::test
