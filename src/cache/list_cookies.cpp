#include "cache/list_cookies.h"

#include <string>

#include "base/unique.h"
#include "cache/cookie_export.h"
#include "cache/format_file_time.h"
#include "cache/url_cache_enumerator.h"
#include "clean/fav_folders.h"

namespace bpriv {
namespace {

std::u16string_view U16(const wchar_t* s) {
  return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s)) : std::u16string_view();
}
std::u16string_view U16(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

}  // namespace

std::wstring CookieExportPath(int32_t listing_number, bool epm) {
  const std::wstring folder = ProductDataFolder(epm);
  if (folder.empty()) return {};
  if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return JoinFitting(folder, L"\\" + std::to_wstring(listing_number) + L"Cookies");
}

void ListCookiesBody(HWND window, int32_t listing_number, bool watch, const std::wstring& export_path,
                     UrlCacheApi& cache, SendRecordFn send) {
  // Created new by every run: an older file of the same number stays as it is
  // and this run goes without export.
  UniqueFile file;
  if (!export_path.empty())
    file.reset(::CreateFileW(export_path.c_str(), FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_NEW, 0, nullptr));

  CUrlCacheEnumerator cookies(cache);
  std::wstring expire, last_access;
  std::string block;
  for (auto* entry = cookies.FindFirstCookie(); entry; entry = cookies.FindNext()) {
    const std::u16string_view name = CookieNameOf(U16(entry->lpszSourceUrlName));
    const std::optional<std::u16string> text =
        FormatFileRecord(listing_number, U16(entry->lpszLocalFileName), name, kCookieRecordMaxUnits);
    if (!text) continue;  // too long for the record: left out of the file too
    if (file) {
      FormatFileTime(entry->ExpireTime, &expire);
      FormatFileTime(entry->LastAccessTime, &last_access);
      block.clear();
      AppendCookieExportBlock(name, U16(entry->lpszLocalFileName), U16(expire), U16(last_access), &block);
      DWORD written = 0;  // a failed write leaves the block short; the listing goes on
      (void)::WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    }
    // The block is in the file before its record reaches the controller.
    if (send(window, reinterpret_cast<const wchar_t*>(text->c_str()), watch) == Answer::kStop) break;
  }
  // The file closes here, before the frame sets the finish text.
}

}  // namespace bpriv
