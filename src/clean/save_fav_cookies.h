// The save job: the favourite cookies set aside in the saved-cookies file
// before a cookie clean, so that the restore job can bring them back.
#pragma once
#include <string>

#include "cache/url_cache_api.h"
#include "data/data_folder.h"

namespace bpriv {

// Reads LowFavCookies1 and writes one record per favourite found in the cache,
// in list order. The file is written whole under another name, flushed, and
// takes the saved file's name in one rename, its digest recorded where only
// this user's Medium-integrity processes can write: a kill leaves the older
// saved file or the new one. Leaves no saved-cookies file when it fails or
// finds none; leaves an older one untouched when the list is empty or
// missing. Returns 0.
int SaveFavCookies(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
                   KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
