#include "data/name_list_file.h"

#include <string>

#include "base/unique.h"
#include "data/name_list.h"

namespace bpriv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

std::vector<std::wstring> ReadNameList(const std::wstring& path, DWORD share_mode) {
  UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_DATA, share_mode, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file || !ReadWholeFile(file.get(), &bytes)) return {};
  file.reset();

  std::vector<std::wstring> names;
  for (const std::u16string& entry : ParseNameList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
    names.emplace_back(reinterpret_cast<const wchar_t*>(entry.data()), entry.size());
  return names;
}

bool WriteNameListFile(CSafeFolders& folders, const std::wstring& path, const std::vector<std::wstring>& entries,
                       DWORD share_mode) {
  std::string bytes;
  for (const std::wstring& e : entries)
    AppendNameListEntry(std::u16string_view(reinterpret_cast<const char16_t*>(e.data()), e.size()), &bytes);
  CSafeFile file = folders.Open(path, {FILE_WRITE_DATA, share_mode, SafeCreate::kExistingElseNew});
  if (!file) return false;
  // One write for the whole list; a failed write still cuts the file where it stands.
  DWORD written = 0;
  const bool wrote = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  return ::SetEndOfFile(file.get()) && wrote;
}

}  // namespace bpriv
