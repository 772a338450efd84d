// The history on Windows 6.1: the entries of the URL history store.
#include <wrl/client.h>

#include <memory>
#include <new>

#include "base/unique.h"
#include "cache/history_listing.h"
#include "link/controller_watch.h"
#include "link/listing_window.h"
#include "link/record_format.h"
#include "link/send_record.h"
#include "link/utf16.h"

namespace bpriv {

using Microsoft::WRL::ComPtr;
using CoTaskString = std::unique_ptr<wchar_t, CoTaskMemFreer>;

void WalkHistoryStore(int32_t listing_number, HWND window, UrlHistoryFactory create_history) {
  ComPtr<IUrlHistoryStg2> history;
  if (FAILED(create_history(history.GetAddressOf())) || !history) return;
  ComPtr<IEnumSTATURL> entries;
  if (FAILED(history->EnumUrls(entries.GetAddressOf())) || !entries) return;
  (void)entries->Reset();

  for (;;) {
    // This walk watches always, "/EPM" or not.
    if (!IsControllerRunning()) return;
    STATURL entry = {};
    entry.cbSize = sizeof(entry);
    ULONG fetched = 0;
    // A failing call ends the walk, whatever count it left behind: going on
    // could ask a broken enumerator again and again.
    if (FAILED(entries->Next(1, &entry, &fetched)) || fetched == 0) {
      ::CoTaskMemFree(entry.pwcsUrl);
      ::CoTaskMemFree(entry.pwcsTitle);
      return;
    }
    CoTaskString url(entry.pwcsUrl), title(entry.pwcsTitle);
    if (!url) continue;

    std::u16string record;
    try {
      record = FormatHistoryEntryRecord(listing_number, entry.ftLastVisited.dwLowDateTime,
                                        entry.ftLastVisited.dwHighDateTime, AsU16(title.get()), AsU16(url.get()));
    } catch (const std::bad_alloc&) {
      return;  // no record buffer: the walk ends
    }
    if (ReadAnswerFlag(window) == kAnswerStop) return;
    if (SendRecord(window, AsWide(record), /*watch=*/true) == Answer::kStop) return;
  }
}

}  // namespace bpriv
