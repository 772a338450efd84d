// The cookie listing: one record per cookie, and the export file
// "<data folder>\<n>Cookies" with the cookie's name, file and two times.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "cache/list_temp_files.h"
#include "cache/url_cache_api.h"
#include "safe/safe_file.h"

namespace bpriv {

// The export file "<data_folder>\<n>Cookies", created new through `folders`
// (the data folder too, when missing); empty when there is none: a file of
// that name already there stays as it is, and the run goes without export.
CSafeFile CreateCookieExport(CSafeFolders& folders, const std::wstring& data_folder, int32_t listing_number);

// The record exchange in its two halves, so that the body can read the next
// cookie while the controller reads the current record: `post` puts the text
// into the title and clears the answer flag (unless it says stop), `await`
// waits for the answer and returns it.
struct RecordChannel {
  void (*post)(HWND window, const wchar_t* text);
  Answer (*await)(HWND window, bool watch);
};

// The body proper; `export_file` INVALID_HANDLE_VALUE: no export file.
void ListCookiesBody(HWND window, int32_t listing_number, bool watch, HANDLE export_file, UrlCacheApi& cache,
                     const RecordChannel& channel);

// The listing job body run by the listing frame for "/BSWLOADCOOKIES".
void ListCookies(HWND window, int32_t listing_number, bool epm);

}  // namespace bpriv
