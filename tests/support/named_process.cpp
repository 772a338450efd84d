#include "support/named_process.h"

#include "support/run_process.h"

namespace bpriv::test {
namespace {

void EndAndWait(UniqueHandle* process) {
  if (*process && ::TerminateProcess(process->get(), 1)) ::WaitForSingleObject(process->get(), 10000);
  process->reset();
}

}  // namespace

std::wstring CopyAgentctlAs(const wchar_t* name) {
  std::wstring copy = BesideTests(name);
  return ::CopyFileW(BesideTests(L"agentctl.exe").c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

SuspendedProcess::SuspendedProcess(const std::wstring& exe)
    : process_(StartProcess(exe, L"\"" + exe + L"\" help", CREATE_SUSPENDED)) {}

void SuspendedProcess::End() { EndAndWait(&process_); }

StartedProcess::StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet)
    : output_(quiet ? TempOutputFile() : UniqueFile()),
      process_(StartProcess(exe, command_line, 0, output_ ? output_.get() : nullptr)) {}

StartedProcess::~StartedProcess() { EndAndWait(&process_); }

DWORD StartedProcess::WaitExit(DWORD timeout_ms) {
  DWORD code = STILL_ACTIVE;
  if (process_ && ::WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace bpriv::test
