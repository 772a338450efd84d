// The two cache listings as the listing frame runs them: the real cache, the
// real record exchange, the watch on the controller unless "/EPM".
#include "cache/list_cookies.h"
#include "cache/list_temp_files.h"
#include "data/data_folder.h"
#include "link/listing_window.h"

namespace bpriv {

void ListTempFiles(HWND window, int32_t listing_number, bool epm) {
  // No first entry: the job ends after the start text, without the finish text.
  if (!ListTempFilesBody(window, listing_number, !epm, WinInetUrlCache(), SendRecord)) SkipFinishText();
}

void ListCookies(HWND window, int32_t listing_number, bool epm) {
  // A data folder that leads elsewhere (a planted junction or link) gets no
  // export; the file closes before the frame sets the finish text.
  const std::wstring base = BaseFolder(epm);
  CSafeFolders folders({base});
  const CSafeFile file = CreateCookieExport(folders, JoinFitting(base, L"\\Brightsweep"), listing_number);
  ListCookiesBody(window, listing_number, !epm, file ? file.get() : INVALID_HANDLE_VALUE, WinInetUrlCache(),
                  RecordChannel{PostRecord, AwaitAnswer});
}

}  // namespace bpriv
