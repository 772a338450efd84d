// The favourite-cookie list job: favourite names in, their cookie files out.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "cache/url_cache_api.h"
#include "clean/fav_folders.h"

namespace bpriv {

// The entries of a name-list file, opened with the given sharing. Every
// failure (missing, empty, unreadable, short) gives an empty list.
std::vector<std::wstring> ReadNameList(const std::wstring& path, DWORD share_mode);

// Reads CFL458392 (CFL573184 with EPM) from the product data folder, looks up
// "Cookie:" + name for each and writes the local files found into CFL458391
// (CFL573183) beside it. Writes nothing when no favourite is cached. Returns 0.
int GetFavList(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
               KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
