// The save job: the favourite cookies set aside in the saved-cookies file
// before a cookie clean, so that the restore job can bring them back.
#pragma once
#include <string>

#include "cache/url_cache_api.h"
#include "data/data_folder.h"

namespace bpriv {

// "<data folder>\SavedLowFavCookies1" and "<data folder>\LowFavCookies1";
// empty when there is no base folder or a path does not fit.
std::wstring SavedCookiesPath(bool epm, KnownFolderPathFn known_folder = FindKnownFolderPathFn());

// Reads LowFavCookies1 and writes one record per favourite found in the cache,
// in list order. Leaves no saved-cookies file when it fails or finds none;
// leaves an older one untouched when the list is empty or missing. The saved
// file is written only when it is a plain file with one link. Returns 0.
int SaveFavCookies(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
                   KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
