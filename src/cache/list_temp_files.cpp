#include "cache/list_temp_files.h"

#include <string>

#include "cache/cache_entry_reader.h"
#include "cache/cookie_export.h"

namespace bpriv {
namespace {

std::u16string_view U16(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

}  // namespace

bool ListTempFilesBody(HWND window, int32_t listing_number, bool watch, UrlCacheApi& cache, SendRecordFn send) {
  CCacheEntryReader reader(cache, nullptr);  // the default container, no retries
  for (CacheEntryCopy entry; reader.Next(&entry);) {
    if (entry.type & kCookieOrHistoryEntry || entry.key.empty()) continue;
    const std::optional<std::u16string> text = FormatFileRecord(listing_number, U16(entry.local_file), U16(entry.key));
    if (!text) continue;  // a line break in a name
    if (send(window, reinterpret_cast<const wchar_t*>(text->c_str()), watch) == Answer::kStop) return false;
  }
  return reader.started();
}

}  // namespace bpriv
