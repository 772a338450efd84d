#include "cache/history_listing.h"

namespace bpriv {

bool IsWindows61() {
  // Only the listing worker reads it, once per process.
  static OSVERSIONINFOEXW version;
  static bool read = false;
  if (!read) {
    version.dwOSVersionInfoSize = sizeof(version);
    static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the size the platform expects");
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    read = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) != FALSE;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (!read) version = {};
  }
  return version.dwMajorVersion == 6 && version.dwMinorVersion == 1;
}

void ListHistoryWith(HWND window, int32_t listing_number, bool epm, const HistorySources& sources) {
  if (sources.is_windows_61()) WalkHistoryStore(listing_number, window, sources.create_history);
  else WalkHistoryFolderRoot(listing_number, window, epm);
}

void ListHistory(HWND window, int32_t listing_number, bool epm) {
  ListHistoryWith(window, listing_number, epm, HistorySources());
}

}  // namespace bpriv
