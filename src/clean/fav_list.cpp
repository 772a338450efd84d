#include "clean/fav_list.h"

#include "cache/url_cache_enumerator.h"
#include "data/name_list_file.h"

namespace bpriv {

int GetFavList(bool epm, UrlCacheApi& cache, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  const std::wstring input = JoinFitting(base, epm ? L"\\Brightsweep\\CFL573184" : L"\\Brightsweep\\CFL458392");
  if (input.empty()) return 0;

  std::vector<std::wstring> out;
  // One look-up object for the whole list: its buffer, once grown, serves
  // every later name, so each name costs one cache call instead of a probe
  // and a read.
  CUrlCacheEnumerator lookup(cache);
  for (const std::wstring& name : ReadNameList(input, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
    const std::wstring key = L"Cookie:" + name;
    const INTERNET_CACHE_ENTRY_INFOW* entry = lookup.GetEntryInfo(key.c_str());
    if (!entry || !entry->lpszLocalFileName || !*entry->lpszLocalFileName) continue;
    out.emplace_back(entry->lpszLocalFileName);
  }
  if (out.empty()) return 0;  // an older output file keeps its content

  const size_t slash = input.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash == 0) return 0;
  const std::wstring output = JoinFitting(input.substr(0, slash), epm ? L"\\CFL573183" : L"\\CFL458391");
  if (output.empty()) return 0;
  CSafeFolders folders({base});
  (void)WriteNameListFile(folders, output, out, 0);
  return 0;
}

}  // namespace bpriv
