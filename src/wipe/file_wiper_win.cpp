#include "wipe/file_wiper_win.h"

#include <cwchar>
#include <vector>

#include "wipe/algo_registry.h"
#include "wipe/list_streams_win.h"
#include "wipe/progress_text.h"
#include "wipe/wipe_algo.h"
#include "wipe/wipe_platform_win.h"
#include "base/unique.h"

namespace bpriv {

namespace {

constexpr int kMaxOpenRetries = 100;
constexpr DWORD kOpenRetryPauseMs = 50;

// Committed, page-aligned memory: what unbuffered writes need. Cleared before
// it goes back, since it held the wipe data.
class CWipeBuffer {
 public:
  explicit CWipeBuffer(uint32_t size)
      : size_(size),
        data_(static_cast<uint8_t*>(
            ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {}
  CWipeBuffer(const CWipeBuffer&) = delete;
  CWipeBuffer& operator=(const CWipeBuffer&) = delete;
  ~CWipeBuffer() {
    if (data_ == nullptr) return;
    ::SecureZeroMemory(data_, size_);
    ::VirtualFree(data_, 0, MEM_RELEASE);
  }
  uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }

 private:
  uint32_t size_;
  uint8_t* data_;
};

class CHandleTarget : public CWipeTarget {
 public:
  explicit CHandleTarget(HANDLE file) : file_(file) {}
  void Rewind() override {
    LARGE_INTEGER zero = {};
    (void)::SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN);
  }
  uint32_t Write(const uint8_t* data, uint32_t length) override {
    DWORD written = 0;
    if (!::WriteFile(file_, data, length, &written, nullptr)) return 0;
    return written;
  }
  void Flush() override { (void)::FlushFileBuffers(file_); }

 private:
  HANDLE file_;
};

void SetCurrentItem(ProgressRecord* progress, const std::wstring& text) {
  if (progress == nullptr) return;
  const std::u16string units(text.begin(), text.end());
  SetProgressText(progress->current_item, units.data(), units.size());
}

// FILE_FLAG_OPEN_REPARSE_POINT: a link's own handle, never its target's, so
// that the checks on the handle see the link.
UniqueFile OpenForWipe(const std::wstring& path) {
  return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_NO_BUFFERING | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// A handle for the checks and for clearing attributes; its contents are not
// reachable through it.
UniqueFile OpenForAttributes(const std::wstring& path, DWORD access) {
  return UniqueFile(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
}

bool Exists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  UniqueFindFile find(::FindFirstFileW(path.c_str(), &data));
  return static_cast<bool>(find);
}

// The path as the system spells it: full, long names, no "\\?\" in front.
std::wstring Normalized(const std::wstring& path) {
  std::wstring text = path;
  if (text.compare(0, 8, L"\\\\?\\UNC\\") == 0) text = L"\\" + text.substr(7);
  else if (text.compare(0, 4, L"\\\\?\\") == 0) text = text.substr(4);
  std::vector<wchar_t> out(text.size() + MAX_PATH);
  const auto size = [&out] { return static_cast<DWORD>(out.size()); };
  DWORD n = ::GetFullPathNameW(text.c_str(), size(), out.data(), nullptr);
  if (n > 0 && n < size()) text.assign(out.data(), n);
  out.resize(text.size() + MAX_PATH);
  n = ::GetLongPathNameW(text.c_str(), out.data(), size());
  if (n > 0 && n < size()) text.assign(out.data(), n);
  return text;
}

// True unless the platform reports a final path for the handle that differs
// from `path`: under Wine a Unix symbolic link shows only there, as its
// target's path; on Windows a link in a parent folder does too.
bool FinalPathIs(HANDLE file, const std::wstring& path) {
  std::vector<wchar_t> final_path(MAX_PATH + 1);
  const auto ask = [&] {
    return ::GetFinalPathNameByHandleW(file, final_path.data(), static_cast<DWORD>(final_path.size()),
                                       FILE_NAME_NORMALIZED);
  };
  DWORD n = ask();
  if (n >= final_path.size()) {
    final_path.resize(n + 1);
    n = ask();
  }
  if (n == 0 || n >= final_path.size()) return true;  // not reported
  return NamesEqualNoCase(Normalized(std::wstring(final_path.data(), n)), Normalized(path));
}

// What a handle must show before anything is changed through it: a file (no
// folder, no reparse point) with this one name, found where it was asked for.
// A link swapped in for the name, or one in a parent folder, fails here.
bool IsPlainFileAt(HANDLE file, const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  if (!::GetFileInformationByHandle(file, info)) return false;
  if (info->dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return false;
  return info->nNumberOfLinks == 1 && FinalPathIs(file, path);
}

// Clears read-only and system through the checked handle, so that they are
// cleared on the very file that was checked. 1 when done or not needed, 0 or
// kWipeRefused as WipeFile returns them.
int ClearBlockingAttributes(HANDLE file, DWORD attributes) {
  const DWORD clear = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  if (!(attributes & clear)) return 1;
  FILE_BASIC_INFO basic = {};  // times 0: left as they are
  basic.FileAttributes = (attributes & ~clear) ? (attributes & ~clear) : FILE_ATTRIBUTE_NORMAL;
  if (::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic))) return 1;
  return ::GetLastError() == ERROR_ACCESS_DENIED ? kWipeRefused : 0;
}

int WipeStreams(const std::wstring& path, CWipeAlgo* algo, uint32_t granularity,
                ProgressRecord* progress) {
  std::vector<StreamEntry> streams;
  (void)ListStreams(path.c_str(), &streams, true);
  for (const StreamEntry& stream : streams) {
    const std::wstring stream_path = path + stream.name;
    UniqueFile file = OpenForWipe(stream_path);
    BY_HANDLE_FILE_INFORMATION info;
    // A stream's final path is its file's, with or without the stream name.
    if (!file || !::GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !(FinalPathIs(file.get(), path) || FinalPathIs(file.get(), stream_path)))
      continue;
    SetCurrentItem(progress, stream_path);
    (void)OverwriteFile(file.get(), algo, granularity, stream.size, progress);
    SetCurrentItem(progress, std::wstring());
  }
  return 1;
}

int WipeFileUnguarded(const std::wstring& path, CWipeAlgo* algo, uint32_t options,
                      ProgressRecord* progress, bool retry) {
  const size_t slash = path.find(L'\\');
  if (slash == std::wstring::npos) return 0;
  const std::wstring root = path.substr(0, slash + 1);

  // Every check is made on an open handle, never on the name alone: the name
  // may be swapped for a link between a check and the open.
  {
    UniqueFile query = OpenForAttributes(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!query) query = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info;
    if (!query || !IsPlainFileAt(query.get(), path, &info)) return 0;
    const int cleared = ClearBlockingAttributes(query.get(), info.dwFileAttributes);
    if (cleared != 1) return cleared;
  }
  std::wstring volume_name, file_system;
  (void)GetVolumeInfo(root.c_str(), &volume_name, &file_system, true);

  UniqueFile file = OpenForWipe(path);
  for (int retries = 0; !file; ++retries) {
    if (!Exists(path)) return 0;
    if (!retry || retries >= kMaxOpenRetries) return 0;
    ::Sleep(kOpenRetryPauseMs);
    file = OpenForWipe(path);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!IsPlainFileAt(file.get(), path, &info)) return 0;

  // Values the call does not deliver stay 0 and fall back to the defaults.
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
  (void)::GetDiskFreeSpaceW(root.c_str(), &sectors_per_cluster, &bytes_per_sector,
                            &free_clusters, &clusters);
  const uint32_t granularity = WriteGranularity(bytes_per_sector, sectors_per_cluster, options);

  SetCurrentItem(progress, path);
  const int overwritten = OverwriteFile(file.get(), algo, granularity, 0, progress);
  file.reset();
  if (!overwritten) return 0;
  if (!NamesEqualNoCase(file_system, L"NTFS") || !(options & kWipeStreams)) return 1;
  return WipeStreams(path, algo, granularity, progress);
}

}  // namespace

int OverwriteFile(HANDLE file, CWipeAlgo* algo, uint32_t granularity, uint64_t size,
                  ProgressRecord* progress) {
  // No volume has a sector or cluster beyond 1 GiB; larger values are bogus
  // and would overflow the buffer arithmetic.
  if (algo == nullptr || granularity == 0 || granularity > 0x40000000u) return 0;
  CWipeBuffer buffer(WipeBufferSize(granularity));
  if (buffer.data() == nullptr) {
    ShowSystemError(::GetLastError());
    return 0;
  }
  if (size == 0) {
    LARGE_INTEGER current;
    if (!::GetFileSizeEx(file, &current)) return 0;
    size = static_cast<uint64_t>(current.QuadPart);
  }
  CHandleTarget target(file);
  return OverwritePasses(target, *algo, granularity, size, buffer.data(), buffer.size(), progress);
}

int WipeFile(const wchar_t* path, CWipeAlgo* algo, uint32_t options, ProgressRecord* progress,
             bool retry) {
  // Without an algorithm nothing can be overwritten: leave the file as it is
  // so the caller's rename and delete still work on it.
  if (algo == nullptr || path == nullptr) return 0;
  InstallWipePlatform();
  try {
    return WipeFileUnguarded(path, algo, options, progress, retry);
  } catch (...) {
    return 0;
  }
}

UINT GetVolumeInfo(const wchar_t* root, std::wstring* volume_name, std::wstring* file_system,
                   bool include_removable) {
  const UINT type = ::GetDriveTypeW(root);
  volume_name->clear();
  file_system->clear();
  if (type == DRIVE_FIXED || (include_removable && type == DRIVE_REMOVABLE)) {
    wchar_t volume[MAX_PATH + 1] = {};
    wchar_t system[MAX_PATH + 1] = {};
    DWORD serial = 0, max_component = 0, flags = 0;
    if (::GetVolumeInformationW(root, volume, MAX_PATH, &serial, &max_component, &flags, system,
                                MAX_PATH)) {
      *volume_name = volume;
      *file_system = system;
    }
  }
  return type;
}

}  // namespace bpriv
