#include "link/controller_watch.h"

#include <tlhelp32.h>

#include "link/process_name.h"
#include "link/send_record.h"
#include "link/utf16.h"

namespace bpriv {
namespace {

bool StillRuns(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// Opens the process a snapshot named, for waiting on it. The id may have been
// reused since the snapshot, so the name is checked again on the handle.
UniqueHandle OpenMatchingProcess(DWORD pid, const wchar_t* exe_name) {
  UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return process;
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (!::QueryFullProcessImageNameW(process.get(), 0, path, &size) ||
      !ExeNameEndsWith(std::u16string_view(reinterpret_cast<const char16_t*>(path), size), AsU16(exe_name)))
    process.reset();
  return process;
}

}  // namespace

std::optional<DWORD> FindProcessByNameEnd(const wchar_t* exe_name) {
  UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);  // 556 bytes in a 32-bit program, 568 in a 64-bit one
  const std::u16string_view name = AsU16(exe_name);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
    if (ExeNameEndsWith(AsU16(entry.szExeFile), name)) return entry.th32ProcessID;
  return std::nullopt;
}

bool IsProcessRunning(const wchar_t* exe_name) { return FindProcessByNameEnd(exe_name).has_value(); }

bool CControllerWatch::IsRunning() {
  if (last_ && StillRuns(last_.get())) return true;
  last_.reset();
  ++snapshots_;
  std::optional<DWORD> pid = FindProcessByNameEnd(name_);
  if (!pid) return false;
  // A process we may not open still counts; the next poll snapshots again.
  last_ = OpenMatchingProcess(*pid, name_);
  return true;
}

bool IsControllerRunning() {
  static SRWLOCK lock = SRWLOCK_INIT;
  static CControllerWatch watch(L"BSweepRun.exe");
  ::AcquireSRWLockExclusive(&lock);
  bool running = watch.IsRunning();
  ::ReleaseSRWLockExclusive(&lock);
  return running;
}

}  // namespace bpriv
