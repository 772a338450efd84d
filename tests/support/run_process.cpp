#include "support/run_process.h"

#include <cstring>
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

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  for (const ULONGLONG end = ::GetTickCount64() + ms; !done(); ::Sleep(10))
    if (::GetTickCount64() > end) return false;
  return true;
}

HWND FindDialogWith(int control, DWORD thread, DWORD process) {
  for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
    DWORD owner = 0;
    const DWORD owner_thread = ::GetWindowThreadProcessId(w, &owner);
    if ((!thread || owner_thread == thread) && (!process || owner == process) && ::GetDlgItem(w, control)) return w;
  }
  return nullptr;
}

Lines SplitLines(const std::string& output) {
  Lines lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
  return lines;
}

std::wstring BesideTests(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

ProcessResult RunProcess(const std::wstring& exe, const std::wstring& command_line, DWORD timeout_ms) {
  StartedProcess process(exe, command_line, true);
  const DWORD exit_code = process.WaitExit(timeout_ms);  // STILL_ACTIVE (259) when it had to be killed
  return {process.started(), exit_code, process.Output()};
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
    const size_t quote = line.find(" \"");  // none after "nofile KEY"
    const bool file = line.rfind("tif ", 0) == 0 || line.rfind("cookie ", 0) == 0;
    if (file || line.rfind("nofile ", 0) == 0)
      made[line.substr(0, quote)] = file ? line.substr(quote + 2, line.size() - quote - 3) : "";
  }
  return made;
}

bool RunOnLinux(const std::wstring& program, std::initializer_list<std::wstring> paths,
                const std::function<bool()>& done) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  std::wstring args;
  for (const std::wstring& path : paths) {
    char* unix_path = to_unix ? to_unix(path.c_str()) : nullptr;
    if (unix_path == nullptr) return false;
    args += L" " + std::wstring(unix_path, unix_path + std::strlen(unix_path));
    ::HeapFree(::GetProcessHeap(), 0, unix_path);
  }
  const std::wstring start = L"C:\\windows\\system32\\start.exe";
  const ProcessResult r = RunProcess(start, start + L" /wait /unix " + program + args);
  return r.started && r.exit_code == 0 && WaitUntil(done, 10000);
}

std::wstring CopyAgentctlAs(const wchar_t* name) {
  std::wstring copy = BesideTests(name);
  return ::CopyFileW(BesideTests(L"agentctl.exe").c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

StartedProcess::StartedProcess(const std::wstring& exe, const std::wstring& command_line, bool quiet, DWORD flags) {
  // Output to a file rather than NUL or a pipe: under Wine every write to NUL is a server call, a file write is not.
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  wchar_t folder[MAX_PATH], name[MAX_PATH];
  if (quiet && ::GetTempPathW(MAX_PATH, folder) && ::GetTempFileNameW(folder, L"out", 0, name))
    output_.reset(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa, CREATE_ALWAYS,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = output_ ? STARTF_USESTDHANDLES : 0;
  si.hStdOutput = si.hStdError = output_ ? output_.get() : nullptr;
  PROCESS_INFORMATION pi = {};
  std::wstring line = command_line;  // CreateProcessW may write to it
  if (::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, bool(output_), flags, nullptr, nullptr, &si, &pi))
    process_.reset(pi.hProcess), ::CloseHandle(pi.hThread);
}

DWORD StartedProcess::WaitExit(DWORD timeout_ms) {
  DWORD code = STILL_ACTIVE;
  const bool ended = process_ && ::WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
  return ended && ::GetExitCodeProcess(process_.get(), &code) ? code : STILL_ACTIVE;
}

std::string StartedProcess::Output() const {
  // The child wrote through the same file position; read all from the start.
  std::string bytes(output_ ? ::GetFileSize(output_.get(), nullptr) : 0, '\0');
  DWORD got = 0;
  ::SetFilePointer(output_.get(), 0, nullptr, FILE_BEGIN);
  ::ReadFile(output_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  return bytes.substr(0, got);
}

void StartedProcess::End() {
  if (process_ && ::TerminateProcess(process_.get(), 1)) ::WaitForSingleObject(process_.get(), 10000);
  process_.reset();
}

}  // namespace bpriv::test
