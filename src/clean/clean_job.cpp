#include "clean/clean_job.h"

#include <objbase.h>
#include <process.h>

#include <algorithm>

#include "base/unique.h"
#include "ui/wipe_progress_dlg.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/wipe_platform_win.h"

namespace bpriv {

CleanJobArgs TakeJobArgs(ProgressRecord& record) {
  CleanJobArgs args;
  if (uint32_t* block = std::exchange(record.job_args, nullptr)) {
    args.algorithm = static_cast<int32_t>(block[0]);
    args.options = block[1];
    args.epm = block[2];
    delete[] block;
  }
  return args;
}

CWipeAlgo* AlgoForJob(bool wipe, int32_t index) { return wipe ? GetAlgo(index) : nullptr; }

void SetCurrentItem(ProgressRecord& record, const std::wstring& text) {
  const size_t units = std::min<size_t>(text.size(), kProgressTextUnits - 1);
  for (size_t i = 0; i < units; ++i) record.current_item[i] = static_cast<char16_t>(text[i]);
  record.current_item[units] = u'\0';
}

std::vector<std::wstring> CleanAnchors(UrlCacheApi& cache, bool cookies) {
  std::vector<std::wstring> anchors = cache.ContainerFolders(cookies);
  if (cookies) anchors.push_back(CookieFolder());
  return anchors;
}

bool RemoveLocalFile(CSafeFolders& folders, const std::wstring& path, bool wipe, CWipeAlgo* algo,
                     uint32_t options, ProgressRecord& record) {
  CSafeFile file;
  if (wipe) (void)WipeFile(folders, path, algo, options, &record, false, &file);
  else file = folders.Open(path, {DELETE, kShareAll, SafeCreate::kExisting, false, true});
  if (!file) return NothingAt(path);  // a file in use, or a link, stays
  if (wipe) return ScrambleAndDelete(file);
  return file.Delete() == 0;
}

void RunWorkerThread(ProgressRecord& record, void (*body)(ProgressRecord&, bool, const CleanEnv&), bool wipe) {
  const bool com = SUCCEEDED(::CoInitialize(nullptr));
  try {
    body(record, wipe, CleanEnv{});
  } catch (...) {  // out of memory: the job ends like after its last entry
  }
  record.done_flag.store(1);  // the last access to the dialog object
  if (com) ::CoUninitialize();
}

int RunCleanJob(const CleanJobSetup& setup, CleanWorkerProc worker) {
  CWipeProgressDlg dialog;
  dialog.SetDisplayFlags(static_cast<uint32_t>(setup.params.display));
  ProgressRecord& record = dialog.Record();
  std::wstring heading;
  CResourceStringTable strings;
  if (strings.Load(setup.heading_id, &heading)) {
    // The record is new and zeroed: the last unit stays its terminator.
    const size_t units = std::min<size_t>(heading.size(), kProgressTextUnits - 1);
    std::copy(heading.begin(), heading.begin() + units, record.heading);
  }
  dialog.JobWipeFlag().store(setup.params.wipe ? 1 : 0);
  dialog.SetWipeMode(setup.params.wipe ? 1 : 0);
  dialog.SetDisplayMode(1);
  record.done_flag.store(0);
  record.stop_flag.store(0);
  record.items_done.store(0);
  dialog.SetSchedulerMode(0);
  record.job_args = new uint32_t[3]{static_cast<uint32_t>(setup.params.algorithm),
                                    static_cast<uint32_t>(setup.params.options), setup.epm ? 1u : 0u};

  // The handle is kept for both jobs: when the dialog ends before the done
  // flag (it could not be created), the worker still writes into the dialog
  // object, which must outlive it.
  UniqueHandle thread(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, worker, &dialog, 0, nullptr)));
  if (!thread) {  // no worker: nothing was done, the dialog closes at its first tick
    delete[] std::exchange(record.job_args, nullptr);
    record.done_flag.store(1);
  }
  (void)dialog.Run(thread.get());  // null without a worker: the dialog ends at its first tick
  if (thread && record.done_flag.load() == 0) {
    if (setup.bounded_wait_ms == 0 || ::WaitForSingleObject(thread.get(), setup.bounded_wait_ms) != WAIT_OBJECT_0)
      (void)::WaitForSingleObject(thread.get(), INFINITE);  // the worker always ends
  }
  thread.reset();
  return record.stop_flag.load();
}

}  // namespace bpriv
