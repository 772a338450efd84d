// The restore job: the favourite cookies of the saved-cookies file written
// back to their files and committed to the cache after a cookie clean; the
// saved file is then wiped with zeroes, renamed and deleted.
#pragma once
#include <string>

#include "cache/url_cache_api.h"
#include "data/data_folder.h"

namespace bpriv {

// The folder of this user's cookie files (CSIDL_COOKIES); the restore writes
// nowhere else. Empty when the shell does not know it.
std::wstring CookieFolder();

// Returns 0. A record is written back and committed only when its key begins
// with "Cookie:" (any case) and its file path is a plain path inside
// CookieFolder(); otherwise, or on any short read, failed write or refused
// commit, no further record is taken and the saved file stays.
int RestoreFavCookies(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
                      KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
