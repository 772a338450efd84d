// The favourite-cookie list job: favourite names in, their cookie files out.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "cache/url_cache_api.h"
#include "data/data_folder.h"
#include "data/name_list_file.h"

namespace bpriv {

// Reads CFL458392 (CFL573184 with EPM) from the product data folder, looks up
// "Cookie:" + name for each and writes the local files found into CFL458391
// (CFL573183) beside it. Writes nothing when no favourite is cached, and never
// through a planted link. Returns 0.
int GetFavList(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
               KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
