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

UniqueFile OpenForWipe(const std::wstring& path) {
  return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
}

bool Exists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  UniqueFindFile find(::FindFirstFileW(path.c_str(), &data));
  return static_cast<bool>(find);
}

// True when the file behind the handle has other names as well.
bool HasOtherNames(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
}

// Looked at before the attributes are changed, since they belong to the file,
// not to the name. A file that cannot be opened even to query is left to the
// check after the wiper's own open.
bool HasOtherNames(const std::wstring& path) {
  UniqueFile query(::CreateFileW(path.c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr));
  return query && HasOtherNames(query.get());
}

int WipeStreams(const std::wstring& path, CWipeAlgo* algo, uint32_t granularity,
                ProgressRecord* progress) {
  std::vector<StreamEntry> streams;
  (void)ListStreams(path.c_str(), &streams, true);
  for (const StreamEntry& stream : streams) {
    const std::wstring stream_path = path + stream.name;
    UniqueFile file = OpenForWipe(stream_path);
    if (!file) continue;
    SetCurrentItem(progress, stream_path);
    (void)OverwriteFile(file.get(), algo, granularity, stream.size, progress);
    SetCurrentItem(progress, std::wstring());
  }
  return 1;
}

int WipeFileUnguarded(const std::wstring& path, CWipeAlgo* algo, uint32_t options,
                      ProgressRecord* progress, bool retry) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return 0;
  const DWORD clear = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  if (attributes & clear) {
    if (HasOtherNames(path)) return 0;
    if (!::SetFileAttributesW(path.c_str(), attributes & ~clear)) {
      return ::GetLastError() == ERROR_ACCESS_DENIED ? kWipeRefused : 0;
    }
  }
  const size_t slash = path.find(L'\\');
  if (slash == std::wstring::npos) return 0;
  const std::wstring root = path.substr(0, slash + 1);
  std::wstring volume_name, file_system;
  (void)GetVolumeInfo(root.c_str(), &volume_name, &file_system, true);

  UniqueFile file = OpenForWipe(path);
  for (int retries = 0; !file; ++retries) {
    if (!Exists(path)) return 0;
    if (!retry || retries >= kMaxOpenRetries) return 0;
    ::Sleep(kOpenRetryPauseMs);
    file = OpenForWipe(path);
  }
  if (HasOtherNames(file.get())) return 0;

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
