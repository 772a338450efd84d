#include "data/safe_file.h"

namespace bpriv {
namespace {

// The path GetFinalPathNameByHandleW gives, in the form the agent asks for:
// "\\?\C:\x" becomes "C:\x" and "\\?\UNC\s\x" becomes "\\s\x".
std::wstring WithoutLongPrefix(std::wstring path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

bool SamePathNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

bool IsPlainFileAt(HANDLE file, const std::wstring& path) {
  if (::GetFileType(file) != FILE_TYPE_DISK) return false;
  // Not GetFileInformationByHandle: Wine asks the mount manager for the
  // volume serial number there, which costs about 0.4 ms a call.
  FILE_ATTRIBUTE_TAG_INFO tag;
  FILE_STANDARD_INFO standard;
  if (!::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)))
    return false;
  if (tag.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT) || standard.Directory)
    return false;
  if (standard.NumberOfLinks != 1) return false;
  // Wine shows neither junctions nor Unix symbolic links as reparse points,
  // but the final path of the handle names the file actually opened.
  wchar_t final_path[MAX_PATH + 8];
  const DWORD n = ::GetFinalPathNameByHandleW(file, final_path, MAX_PATH + 8, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= MAX_PATH + 8) return true;  // the platform cannot say
  return SamePathNoCase(WithoutLongPrefix(std::wstring(final_path, n)), path);
}

UniqueFile OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  UniqueFile file(::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file && !IsPlainFileAt(file.get(), path)) {
    file.reset();
    ::SetLastError(ERROR_ACCESS_DENIED);
  }
  return file;
}

UniqueFile OpenPlainFileForWrite(const std::wstring& path) {
  constexpr DWORD kDenyNone = FILE_SHARE_READ | FILE_SHARE_WRITE;
  UniqueFile file = OpenPlainFile(path, GENERIC_WRITE, kDenyNone, OPEN_ALWAYS);
  if (!file) file = OpenPlainFile(path, GENERIC_WRITE, kDenyNone, OPEN_EXISTING);
  return file;
}

bool WriteWholeFile(HANDLE file, const void* data, size_t size) {
  if (size > MAXDWORD) return false;
  DWORD written = 0;
  if (size && (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size))
    return false;
  return ::SetEndOfFile(file) != FALSE;
}

}  // namespace bpriv
