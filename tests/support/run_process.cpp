#include "support/run_process.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "base/unique.h"

namespace bpriv::test {

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(Narrow(path).c_str(), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(Narrow(path).c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

Lines SplitLines(const std::string& output) {
  Lines lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::wstring BesideTests(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

ProcessResult RunProcess(const std::wstring& exe, const std::wstring& command_line, DWORD timeout_ms) {
  ProcessResult result;
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE read_raw = nullptr, write_raw = nullptr;
  if (!::CreatePipe(&read_raw, &write_raw, &sa, 0)) return result;
  UniqueHandle read_end(read_raw), write_end(write_raw);
  ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end.get();
  si.hStdError = write_end.get();
  si.hStdInput = nullptr;
  PROCESS_INFORMATION pi = {};
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(L'\0');
  if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return result;
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  write_end.reset();  // so that the read ends when the child does
  result.started = true;

  // Drain the pipe while waiting, so a chatty child never blocks on a full pipe
  // and a hung one is ended at the deadline.
  auto drain = [&] {
    char buffer[4096];
    DWORD avail = 0, got = 0;
    while (::PeekNamedPipe(read_end.get(), nullptr, 0, nullptr, &avail, nullptr) && avail > 0 &&
           ::ReadFile(read_end.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
      result.output.append(buffer, got);
  };
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  for (;;) {
    DWORD wait = ::WaitForSingleObject(process.get(), 10);
    drain();
    if (wait == WAIT_OBJECT_0) break;
    if (::GetTickCount64() > deadline) {
      ::TerminateProcess(process.get(), 259);
      ::WaitForSingleObject(process.get(), INFINITE);
      drain();
      break;
    }
  }
  ::GetExitCodeProcess(process.get(), &result.exit_code);
  return result;
}

ProcessResult RunAgentctl(const std::wstring& args, DWORD timeout_ms) {
  std::wstring exe = BesideTests(L"agentctl.exe");
  return RunProcess(exe, L"\"" + exe + L"\" " + args, timeout_ms);
}

std::map<std::string, std::string> SeedCache(const std::wstring& args) {
  ProcessResult r = RunAgentctl(L"seed --clear " + args, 120000);
  std::map<std::string, std::string> made;
  if (r.exit_code != 0) made["error"] = r.output;
  for (const std::string& line : SplitLines(r.output)) {
    const size_t quote = line.find(" \"");
    if (line.rfind("tif ", 0) == 0 || line.rfind("cookie ", 0) == 0)
      made[line.substr(0, quote)] = line.substr(quote + 2, line.size() - quote - 3);
    else if (line.rfind("nofile ", 0) == 0)
      made[line] = "";
  }
  return made;
}

}  // namespace bpriv::test
