// What the two cleaning jobs share: the handler's frame around the progress
// dialog and the worker's steps that do not depend on the container.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "clean/clean_params.h"
#include "cache/cache_entry_reader.h"
#include "cache/url_cache_api.h"
#include "data/data_folder.h"
#include "safe/safe_file.h"
#include "wipe/progress_record.h"

namespace bpriv {

class CWipeAlgo;

// The job arguments block's three words, as the worker takes them.
struct CleanJobArgs {
  int32_t algorithm = 0;
  uint32_t options = 0;
  uint32_t epm = 0;
};

// Takes the values out of the record's job arguments block and frees it;
// all three are 0 without a block.
CleanJobArgs TakeJobArgs(ProgressRecord& record);

// The services a worker uses; tests hand in a fake cache and folder lookup.
struct CleanEnv {
  UrlCacheApi* cache = &WinInetUrlCache();
  CacheReadPolicy read_policy = kCookieCleanReadPolicy;  // cookie container only
  KnownFolderPathFn known_folder = FindKnownFolderPathFn();
};

// The algorithm a wiping job uses, or null when the index is outside the
// registry: the wipe step is then skipped, the file is still renamed and deleted.
CWipeAlgo* AlgoForJob(bool wipe, int32_t index);

// The record's current item := text, cut to 259 units.
void SetCurrentItem(ProgressRecord& record, const std::wstring& text);

// The folders a clean may touch files in: those WinINet reports for the
// container, and for cookies the shell's cookie folder.
std::vector<std::wstring> CleanAnchors(UrlCacheApi& cache, bool cookies);

// What a clean does to an entry's file, all through one checked handle: in
// wipe mode overwritten (unless it has a second name, or there is no
// algorithm), moved through 26 random names and deleted; in delete mode
// deleted. True when the file is gone, or was never there, so that its cache
// entry may go too; a file that survives (in use, read-only in delete mode, a
// link, outside the cache folders) keeps its entry for a later clean.
bool RemoveLocalFile(CSafeFolders& folders, const std::wstring& path, bool wipe, CWipeAlgo* algo,
                     uint32_t options, ProgressRecord& record);

// The handler's frame: fills the dialog, starts `worker` with it, runs it,
// and returns the stop flag once the worker can no longer touch the dialog.
struct CleanJobSetup {
  CleanParams params;
  uint32_t heading_id = 0;
  bool epm = false;
  // The cookie clean first waits at most this long for its worker after a
  // dialog that ended early (0: no such wait); either job then waits on.
  DWORD bounded_wait_ms = 0;
};
using CleanWorkerProc = unsigned(__stdcall*)(void* dialog);
int RunCleanJob(const CleanJobSetup& setup, CleanWorkerProc worker);

// Ran by a worker thread entry: COM for the thread, the body, the done flag
// last. No exception leaves it.
void RunWorkerThread(ProgressRecord& record, void (*body)(ProgressRecord&, bool, const CleanEnv&), bool wipe);

}  // namespace bpriv
