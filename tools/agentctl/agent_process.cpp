#include "agent_process.h"

namespace agentctl {

std::wstring AgentCommandLine(const std::wstring& agent_path, const std::wstring& options) {
  std::wstring line = L"\"" + agent_path + L"\"";
  if (!options.empty()) line += L" " + options;
  return line;
}

bool StartAgent(const std::wstring& agent_path, const std::wstring& command_line, StartedAgent* out) {
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  // Under a loaded machine Wine now and then fails a start with
  // ERROR_INTERNAL_ERROR: the new process died before its start-up was
  // complete, so none of the agent ran and starting it again is safe.
  for (int attempt = 1;; ++attempt) {
    if (::CreateProcessW(agent_path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      break;
    if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3) return false;
    ::Sleep(100);
  }
  ::CloseHandle(pi.hThread);
  out->process.reset(pi.hProcess);
  out->process_id = pi.dwProcessId;
  return true;
}

std::vector<std::wstring> WindowClassesOf(DWORD process_id) {
  struct Search {
    DWORD pid;
    std::vector<std::wstring> classes;
  } search{process_id, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid) {
          wchar_t name[256] = {};
          ::GetClassNameW(hwnd, name, 256);
          s->classes.push_back(name);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.classes;
}

std::wstring DefaultAgentPath() {
  wchar_t self[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring path(self, n);
  size_t slash = path.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"BPrivSvc.exe";
}

}  // namespace agentctl
