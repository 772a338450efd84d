#include "clean/fav_list.h"

#include <memory>
#include <new>

#include "base/unique.h"
#include "cache/url_cache_enumerator.h"
#include "clean/fav_name_list.h"

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

int GetFavList(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring input =
      JoinFitting(BaseFolder(epm, known_folder), epm ? L"\\Brightsweep\\CFL573184" : L"\\Brightsweep\\CFL458392");
  if (input.empty()) return 0;

  std::string out;
  // One look-up object for the whole list: its buffer, once grown, serves
  // every later name, so each name costs one cache call instead of a probe
  // and a read.
  CUrlCacheEnumerator lookup(cache);
  for (const std::wstring& name : ReadNameList(input, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
    const std::wstring key = L"Cookie:" + name;
    const INTERNET_CACHE_ENTRY_INFOW* entry = lookup.GetEntryInfo(key.c_str());
    if (!entry || !entry->lpszLocalFileName || !*entry->lpszLocalFileName) continue;
    AppendNameListEntry(reinterpret_cast<const char16_t*>(entry->lpszLocalFileName), &out);
  }
  if (out.empty()) return 0;  // an older output file keeps its content

  const size_t slash = input.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash == 0) return 0;
  const std::wstring output = JoinFitting(input.substr(0, slash), epm ? L"\\CFL573183" : L"\\CFL458391");
  if (output.empty()) return 0;
  UniqueFile file(::CreateFileW(output.c_str(), FILE_WRITE_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return 0;
  // One write for the whole list; a failed write still cuts the file where it stands.
  DWORD written = 0;
  (void)::WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  ::SetEndOfFile(file.get());
  return 0;
}

}  // namespace bpriv
