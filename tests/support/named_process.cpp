#include "support/named_process.h"

#include <vector>

#include "support/run_process.h"

namespace bpriv::test {

std::wstring CopyAgentctlAs(const wchar_t* name) {
  std::wstring copy = BesideTests(name);
  if (!::CopyFileW(BesideTests(L"agentctl.exe").c_str(), copy.c_str(), FALSE)) return {};
  return copy;
}

SuspendedProcess::SuspendedProcess(const std::wstring& exe) {
  std::wstring line = L"\"" + exe + L"\" help";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                        &pi))
    return;
  ::CloseHandle(pi.hThread);
  process_.reset(pi.hProcess);
}

void SuspendedProcess::End() {
  if (!process_) return;
  ::TerminateProcess(process_.get(), 1);
  ::WaitForSingleObject(process_.get(), 10000);
  process_.reset();
}

StartedProcess::StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet) {
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  if (quiet) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    // A temporary file rather than NUL: under Wine every write to NUL is a
    // server call, a file write is not.
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, folder) && ::GetTempFileNameW(folder, L"out", 0, name))
      output_.reset(::CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                                CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = output_.get();
  }
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, quiet, 0, nullptr, nullptr, &si, &pi)) return;
  ::CloseHandle(pi.hThread);
  process_.reset(pi.hProcess);
}

StartedProcess::~StartedProcess() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
  }
}

DWORD StartedProcess::WaitExit(DWORD timeout_ms) {
  if (!process_ || ::WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace bpriv::test
