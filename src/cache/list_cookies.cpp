#include "cache/list_cookies.h"

#include <string>
#include <utility>

#include "base/unique.h"
#include "cache/cookie_export.h"
#include "cache/format_file_time.h"
#include "cache/url_cache_enumerator.h"
#include "data/data_folder.h"

namespace bpriv {
namespace {

std::u16string_view U16(const wchar_t* s) {
  return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s)) : std::u16string_view();
}
std::u16string_view U16(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

}  // namespace

CSafeFile CreateCookieExport(CSafeFolders& folders, const std::wstring& data_folder, int32_t listing_number) {
  const std::wstring path = JoinFitting(data_folder, L"\\" + std::to_wstring(listing_number) + L"Cookies");
  if (path.empty() || !folders.MakeFolder(data_folder)) return CSafeFile();
  return folders.Open(path, {FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, SafeCreate::kNew});
}

namespace {

// One cookie ready to go out: its record and its block of the export file.
struct PreparedCookie {
  std::u16string record;
  std::string block;
};

// Reads the current entry into `out`; false when its record would be too long
// (the cookie is then left out of both).
bool Prepare(const INTERNET_CACHE_ENTRY_INFOW& entry, int32_t listing_number, bool exporting, PreparedCookie* out) {
  const std::u16string_view name = CookieNameOf(U16(entry.lpszSourceUrlName));
  std::optional<std::u16string> text =
      FormatFileRecord(listing_number, U16(entry.lpszLocalFileName), name, kCookieRecordMaxUnits);
  if (!text) return false;
  out->record = std::move(*text);
  out->block.clear();
  if (exporting) {
    std::wstring expire, last_access;
    FormatFileTime(entry.ExpireTime, &expire);
    FormatFileTime(entry.LastAccessTime, &last_access);
    AppendCookieExportBlock(name, U16(entry.lpszLocalFileName), U16(expire), U16(last_access), &out->block);
  }
  return true;
}

// The next cookie whose record fits, or false at the end of the container.
bool ReadNext(CUrlCacheEnumerator& cookies, bool first, int32_t listing_number, bool exporting, PreparedCookie* out) {
  for (auto* entry = first ? cookies.FindFirstCookie() : cookies.FindNext(); entry; entry = cookies.FindNext())
    if (Prepare(*entry, listing_number, exporting, out)) return true;
  return false;
}

}  // namespace

void ListCookiesBody(HWND window, int32_t listing_number, bool watch, HANDLE export_file, UrlCacheApi& cache,
                     const RecordChannel& channel) {
  const bool exporting = export_file != INVALID_HANDLE_VALUE;

  CUrlCacheEnumerator cookies(cache);
  PreparedCookie current, next;
  bool have = ReadNext(cookies, true, listing_number, exporting, &current);
  while (have) {
    if (exporting) {
      DWORD written = 0;  // a failed write leaves the block short; the listing goes on
      (void)::WriteFile(export_file, current.block.data(), static_cast<DWORD>(current.block.size()), &written,
                        nullptr);
    }
    // The block is in the file before its record reaches the controller.
    channel.post(window, reinterpret_cast<const wchar_t*>(current.record.c_str()));
    // The next cookie is read from the cache while the controller reads this
    // record; its block is written only once the controller has said go on.
    have = ReadNext(cookies, false, listing_number, exporting, &next);
    if (channel.await(window, watch) == Answer::kStop) break;
    std::swap(current, next);
  }
}

}  // namespace bpriv
