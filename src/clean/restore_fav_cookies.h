// The restore job: the favourite cookies of the saved-cookies file written
// back to their files and committed to the cache after a cookie clean; the
// saved file is then wiped with zeroes, renamed and deleted.
#pragma once
#include <string>

#include "cache/url_cache_api.h"
#include "data/data_folder.h"
#include "safe/safe_file.h"

namespace bpriv {

// Zeroes over the saved file, 26 random names, delete: all through the one
// handle the wipe holds without sharing, so that nobody renames or replaces
// the name meanwhile. A name that is no plain single-link file of its own (a
// planted link) is left alone.
void DisposeOfSavedFile(CSafeFolders& folders, const std::wstring& path);

// Returns 0. A record is written back and committed only when its key begins
// with "Cookie:" (any case) and its file path is a plain path inside
// CookieFolder(); otherwise, or on any short read, failed write or refused
// commit, no further record is taken and the saved file stays.
int RestoreFavCookies(bool epm, UrlCacheApi& cache = WinInetUrlCache(),
                      KnownFolderPathFn known_folder = FindKnownFolderPathFn());

}  // namespace bpriv
