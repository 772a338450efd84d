// The cookie listing: one record per cookie, and the export file
// "<data folder>\<n>Cookies" with the cookie's name, file and two times.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "cache/list_temp_files.h"
#include "cache/url_cache_api.h"

namespace bpriv {

// The export file's path for this run, or empty when there is none.
std::wstring CookieExportPath(int32_t listing_number, bool epm);

// The body proper; `export_path` empty: no export file.
void ListCookiesBody(HWND window, int32_t listing_number, bool watch, const std::wstring& export_path,
                     UrlCacheApi& cache, SendRecordFn send);

// The listing job body run by the listing frame for "/BSWLOADCOOKIES".
void ListCookies(HWND window, int32_t listing_number, bool epm);

}  // namespace bpriv
