// The least a wipe, 26 renames and a delete of a small file take, with the
// names made up front and one check of the opened handle (its kind, links and
// final path): the reference loop of the wipe and clean benchmarks.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace bpriv {

// The one check of an opened file the bare loops allow: its kind, its links
// and its final path.
inline void CheckHandle(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  FILE_STANDARD_INFO standard;
  wchar_t final_path[MAX_PATH + 1];
  ::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag);
  ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard);
  ::GetFinalPathNameByHandleW(file, final_path, MAX_PATH + 1, FILE_NAME_NORMALIZED);
}

// DeleteFileW with that one check on the handle it opens.
inline void BareDeleteOne(const wchar_t* path) {
  HANDLE file = ::CreateFileW(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  CheckHandle(file);
  FILE_DISPOSITION_INFO dispose = {TRUE};
  ::SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
  ::CloseHandle(file);
}

inline void BareLoopOne(const std::wstring& folder, const std::wstring& path,
                        const std::vector<std::wstring>& names, uint8_t* buffer) {
  ::GetFileAttributesW(path.c_str());
  wchar_t volume[MAX_PATH + 1], system[MAX_PATH + 1];
  DWORD serial, component, flags;
  ::GetDriveTypeW(L"C:\\");
  ::GetVolumeInformationW(L"C:\\", volume, MAX_PATH, &serial, &component, &flags, system, MAX_PATH);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING, nullptr);
  CheckHandle(file);
  DWORD spc, bps, free_clusters, clusters;
  ::GetDiskFreeSpaceW(L"C:\\", &spc, &bps, &free_clusters, &clusters);
  LARGE_INTEGER size, zero = {};
  ::GetFileSizeEx(file, &size);
  ::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN);
  std::memset(buffer, 0, 512);
  DWORD written = 0;
  ::WriteFile(file, buffer, 512, &written, nullptr);
  ::FlushFileBuffers(file);
  ::CloseHandle(file);
  std::wstring current = path;
  for (const std::wstring& name : names) {
    const std::wstring next = folder + name;
    if (::MoveFileW(current.c_str(), next.c_str())) current = next;
  }
  ::DeleteFileW(current.c_str());
}

}  // namespace bpriv
