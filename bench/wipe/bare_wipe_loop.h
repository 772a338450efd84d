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

inline void BareLoopOne(const std::wstring& folder, const std::wstring& path,
                        const std::vector<std::wstring>& names, uint8_t* buffer) {
  ::GetFileAttributesW(path.c_str());
  wchar_t volume[MAX_PATH + 1], system[MAX_PATH + 1];
  DWORD serial, component, flags;
  ::GetDriveTypeW(L"C:\\");
  ::GetVolumeInformationW(L"C:\\", volume, MAX_PATH, &serial, &component, &flags, system, MAX_PATH);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING, nullptr);
  FILE_ATTRIBUTE_TAG_INFO tag;
  FILE_STANDARD_INFO standard;
  wchar_t final_path[MAX_PATH + 1];
  ::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag);
  ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard);
  ::GetFinalPathNameByHandleW(file, final_path, MAX_PATH + 1, FILE_NAME_NORMALIZED);
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
