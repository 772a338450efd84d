#include "support/run_process.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace bpriv::test {

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(Narrow(path).c_str(), std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
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
  std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

UniqueFile TempOutputFile() {
  // A file rather than NUL or a pipe: under Wine every write to NUL is a server call, a file write is not.
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  wchar_t folder[MAX_PATH], name[MAX_PATH];
  if (!::GetTempPathW(MAX_PATH, folder) || !::GetTempFileNameW(folder, L"out", 0, name)) return UniqueFile();
  return UniqueFile(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &sa, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

HANDLE StartProcess(const std::wstring& exe, std::wstring command_line, DWORD flags, HANDLE out) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  if (out) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
  }
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, out != nullptr, flags, nullptr, nullptr,
                        &si, &pi))
    return nullptr;
  ::CloseHandle(pi.hThread);
  return pi.hProcess;
}

ProcessResult RunProcess(const std::wstring& exe, const std::wstring& command_line, DWORD timeout_ms) {
  ProcessResult result;
  UniqueFile out = TempOutputFile();
  UniqueHandle process(out ? StartProcess(exe, command_line, 0, out.get()) : nullptr);
  if (!process) return result;
  result.started = true;
  if (::WaitForSingleObject(process.get(), timeout_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 259);
    ::WaitForSingleObject(process.get(), INFINITE);
  }
  ::GetExitCodeProcess(process.get(), &result.exit_code);
  // The child wrote through the same file position; read all from the start.
  DWORD got = 0;
  result.output.resize(::GetFileSize(out.get(), nullptr));
  ::SetFilePointer(out.get(), 0, nullptr, FILE_BEGIN);
  ::ReadFile(out.get(), result.output.data(), static_cast<DWORD>(result.output.size()), &got, nullptr);
  result.output.resize(got);
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
