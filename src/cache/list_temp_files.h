// The temporary-files listing: one record per entry of the default cache
// container, cookies and history entries left out.
#pragma once
#include <windows.h>

#include <cstdint>

#include "cache/url_cache_api.h"
#include "link/send_record.h"

namespace bpriv {

using SendRecordFn = Answer (*)(HWND window, const wchar_t* text, bool watch);

// The body proper. Returns whether the finish text is to be sent: not when
// the cache gave no first entry, not after a stop answer.
bool ListTempFilesBody(HWND window, int32_t listing_number, bool watch, UrlCacheApi& cache, SendRecordFn send);

// The listing job body run by the listing frame for "/BSWLOADTIF".
void ListTempFiles(HWND window, int32_t listing_number, bool epm);

}  // namespace bpriv
