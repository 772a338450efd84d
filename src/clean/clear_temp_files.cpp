#include "clean/clear_temp_files.h"

#include "resource.h"
#include "ui/wipe_progress_dlg.h"

namespace bpriv {
namespace {

void ClearEntry(const CacheEntryCopy& e, ProgressRecord& record, bool wipe, CWipeAlgo* algo,
                const CleanJobArgs& args, UrlCacheApi& cache, CSafeFolders& folders) {
  bool gone = true;
  if (!e.local_file.empty()) {
    SetCurrentItem(record, L" " + e.local_file);
    if (!wipe) record.bytes_done.fetch_add(e.size_low);
    gone = RemoveLocalFile(folders, e.local_file, wipe, algo, args.options, record);
    record.items_done.fetch_add(1);
  }
  if (gone) (void)cache.DeleteEntry(e.key.c_str());  // a locked entry stays
}

}  // namespace

void ClearTempFilesBody(ProgressRecord& record, bool wipe, const CleanEnv& env) {
  const CleanJobArgs args = TakeJobArgs(record);
  record.items_done.store(0);
  CWipeAlgo* algo = AlgoForJob(wipe, args.algorithm);
  // Wine walks every container for the null pattern; Windows only the
  // default one. Cookie and history entries are passed over either way.
  CCacheEntryReader reader(*env.cache, nullptr);
  CacheEntryCopy entry;
  if (!reader.Next(&entry)) return;
  CSafeFolders folders(CleanAnchors(*env.cache, false));
  for (;;) {
    if (record.stop_flag.load()) return;
    if ((entry.type & kCookieOrHistoryEntry) == 0) ClearEntry(entry, record, wipe, algo, args, *env.cache, folders);
    if (record.stop_flag.load() || !reader.Next(&entry)) return;
  }
}

unsigned __stdcall ClearTempFilesWorker(void* dialog) {
  auto* dlg = static_cast<CWipeProgressDlg*>(dialog);
  RunWorkerThread(dlg->Record(), ClearTempFilesBody, dlg->JobWipeFlag().load() != 0);
  return 0;
}

int ClearTempFiles(const CleanParams& params) {
  CleanJobSetup setup;
  setup.params = params;
  setup.heading_id = params.wipe ? IDS_WIPING_TIF : IDS_DELETING_TIF;
  return RunCleanJob(setup, ClearTempFilesWorker);
}

}  // namespace bpriv
