#include "wipe/file_wiper_win.h"

#include <cwchar>
#include <vector>

#include "wipe/algo_registry.h"
#include "wipe/list_streams_win.h"
#include "wipe/progress_text.h"
#include "wipe/wipe_algo.h"
#include "wipe/wipe_platform_win.h"

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

constexpr DWORD kWholeAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

// The exclusive, unbuffered handle a wipe writes through, its renames and
// its delete too; a file with a second name is opened as well (and left
// unwritten). With `retry`, a file in use is tried again for about 5 s.
CSafeFile OpenWhole(CSafeFolders& folders, const std::wstring& path, bool retry) {
  const SafeOpen whole = {kWholeAccess, 0, SafeCreate::kExisting, true, true};
  CSafeFile file = folders.Open(path, whole);
  for (int retries = 0; !file && retry && retries < kMaxOpenRetries && ::GetLastError() == ERROR_SHARING_VIOLATION;
       ++retries) {
    ::Sleep(kOpenRetryPauseMs);
    file = folders.Open(path, whole);
  }
  return file;
}

// Clears read-only and system through the checked handle. 1 when done or not
// needed, 0 or kWipeRefused as WipeFile returns them.
int ClearBlockingAttributes(const CSafeFile& file) {
  const DWORD clear = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = file.attributes();
  if (!(attributes & clear)) return 1;
  FILE_BASIC_INFO basic = {};  // times 0: left as they are
  basic.FileAttributes = (attributes & ~clear) ? (attributes & ~clear) : FILE_ATTRIBUTE_NORMAL;
  if (::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof(basic))) return 1;
  return ::GetLastError() == ERROR_ACCESS_DENIED ? kWipeRefused : 0;
}

// The streams are opened relative to the file's own handle: streams of that
// very file, whatever its name has become.
void WipeStreams(const CSafeFile& file, CWipeAlgo* algo, uint32_t granularity, ProgressRecord* progress) {
  std::vector<StreamEntry> streams;
  (void)ListStreams(file.get(), &streams, true);
  for (const StreamEntry& stream : streams) {
    UniqueFile handle = OpenStream(file.get(), stream.name);
    if (!handle) continue;
    SetCurrentItem(progress, file.path() + stream.name);
    (void)OverwriteFile(handle.get(), algo, granularity, stream.size, progress);
    SetCurrentItem(progress, std::wstring());
  }
}

int WipeFileUnguarded(CSafeFolders& folders, const std::wstring& path, CWipeAlgo* algo, uint32_t options,
                      ProgressRecord* progress, bool retry, CSafeFile* file) {
  const size_t slash = path.find(L'\\');
  if (slash == std::wstring::npos) return 0;
  const std::wstring root = path.substr(0, slash + 1);

  if (algo) *file = OpenWhole(folders, path, retry);
  int cleared = 1;
  if (!*file) {
    const DWORD error = ::GetLastError();
    if (algo && error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return 0;  // gone or refused
    // Read-only, in use, or not to be written: a handle without data access
    // takes part in no sharing; it clears the attributes, then asks for the
    // whole file once more, or for the delete alone.
    CSafeFile query = folders.Open(path, {FILE_WRITE_ATTRIBUTES, kShareAll, SafeCreate::kExisting, false, true});
    if (!query) return 0;
    if (algo && query.links() == 1 && (cleared = ClearBlockingAttributes(query)) == 1)
      *file = query.Reopen(kWholeAccess, 0, true);
    if (!*file) {
      *file = query.Reopen(DELETE, kShareAll, false);
      return cleared == 1 ? 0 : cleared;
    }
  }
  if (!algo || file->links() != 1) return 0;  // its bytes belong to the other name too
  if ((cleared = ClearBlockingAttributes(*file)) != 1) return cleared;

  std::wstring volume_name, file_system;
  (void)GetVolumeInfo(root.c_str(), &volume_name, &file_system, true);
  // Values the call does not deliver stay 0 and fall back to the defaults.
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
  (void)::GetDiskFreeSpaceW(root.c_str(), &sectors_per_cluster, &bytes_per_sector,
                            &free_clusters, &clusters);
  const uint32_t granularity = WriteGranularity(bytes_per_sector, sectors_per_cluster, options);

  SetCurrentItem(progress, path);
  if (!OverwriteFile(file->get(), algo, granularity, 0, progress)) return 0;
  if (NamesEqualNoCase(file_system, L"NTFS") && (options & kWipeStreams))
    WipeStreams(*file, algo, granularity, progress);
  return 1;
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

int WipeFile(CSafeFolders& folders, const std::wstring& path, CWipeAlgo* algo, uint32_t options,
             ProgressRecord* progress, bool retry, CSafeFile* file) {
  InstallWipePlatform();
  try {
    return WipeFileUnguarded(folders, path, algo, options, progress, retry, file);
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
