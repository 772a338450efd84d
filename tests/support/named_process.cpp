#include "support/named_process.h"

#include "support/run_process.h"

namespace bpriv::test {
namespace {

// The process handle, or none; `out` (if any) takes its standard output and error.
HANDLE Start(const std::wstring& exe, std::wstring line, DWORD flags, HANDLE out = nullptr) {
  STARTUPINFOW si = {sizeof(si)};
  if (out) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
  }
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, out != nullptr, flags, nullptr, nullptr, &si, &pi))
    return nullptr;
  ::CloseHandle(pi.hThread);
  return pi.hProcess;
}

void EndAndWait(const UniqueHandle& process) {
  ::TerminateProcess(process.get(), 1);
  ::WaitForSingleObject(process.get(), 10000);
}

}  // namespace

std::wstring CopyAgentctlAs(const wchar_t* name) {
  std::wstring copy = BesideTests(name);
  return ::CopyFileW(BesideTests(L"agentctl.exe").c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

SuspendedProcess::SuspendedProcess(const std::wstring& exe)
    : process_(Start(exe, L"\"" + exe + L"\" help", CREATE_SUSPENDED)) {}

void SuspendedProcess::End() {
  if (process_) EndAndWait(process_);
  process_.reset();
}

StartedProcess::StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet) {
  if (quiet) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    // A temporary file rather than NUL: under Wine every write to NUL is a
    // server call, a file write is not.
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, folder) && ::GetTempFileNameW(folder, L"out", 0, name))
      output_.reset(::CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                                  CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  }
  process_.reset(Start(exe, command_line, 0, output_ ? output_.get() : nullptr));
}

StartedProcess::~StartedProcess() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) EndAndWait(process_);
}

DWORD StartedProcess::WaitExit(DWORD timeout_ms) {
  DWORD code = STILL_ACTIVE;
  if (process_ && ::WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace bpriv::test
