#include "data/name_list_file.h"

#include <memory>
#include <new>

#include "base/unique.h"
#include "data/name_list.h"

namespace bpriv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

std::vector<std::wstring> ReadNameList(const std::wstring& path, DWORD share_mode) {
  UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_DATA, share_mode, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size == 0 || size == INVALID_FILE_SIZE) return {};
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size]);
  if (!bytes) return {};
  DWORD got = 0;
  if (!::ReadFile(file.get(), bytes.get(), size, &got, nullptr) || got != size) return {};
  file.reset();

  std::vector<std::wstring> names;
  for (const std::u16string& entry : ParseNameList(bytes.get(), size))
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
