// The history listing job body: the user's browsing history as "PRIVILEGE"
// records, read from the URL history store on Windows 6.1 and from the
// shell's History folder everywhere else.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

#include "cache/url_history.h"

namespace bpriv {

// True when the operating system reports version 6.1. The version is read
// once per process; a failed read counts as 0.0 and is tried again next time.
bool IsWindows61();

// Where the listing gets its answers from; tests hand in a fake store and a
// fixed version.
struct HistorySources {
  UrlHistoryFactory create_history = CreateUrlHistory;
  bool (*is_windows_61)() = IsWindows61;
};

// The job body (runs on the listing worker thread, COM initialised).
void ListHistory(HWND window, int32_t listing_number, bool epm);
void ListHistoryWith(HWND window, int32_t listing_number, bool epm, const HistorySources& sources);

// One flat record per store entry. Always watches the controller's process.
void WalkHistoryStore(int32_t listing_number, HWND window, UrlHistoryFactory create_history);

// The History folder as a tree, three levels deep, with markers for entering
// and leaving sub-folders. Watches the controller's process unless `epm`.
void WalkHistoryFolderRoot(int32_t listing_number, HWND window, bool epm);
void WalkHistoryFolder(IShellFolder* folder, int32_t listing_number, IMalloc* shell_malloc, int32_t level,
                       HWND window, bool epm);

}  // namespace bpriv
