#include "clean/clear_cookies.h"

#include "resource.h"
#include "clean/cookie_name.h"
#include "data/name_list_file.h"
#include "ui/wipe_progress_dlg.h"

namespace bpriv {
namespace {

void ClearCookie(const CacheEntryCopy& e, ProgressRecord& record, bool wipe, CWipeAlgo* algo,
                 const CleanJobArgs& args, UrlCacheApi& cache, CSafeFolders& folders) {
  if (e.has_local_file) {  // an empty name counts as present
    SetCurrentItem(record, e.local_file);
    if (!wipe) record.bytes_done.fetch_add(e.size_low);
  }
  // In delete mode too the file goes first, through its checked handle: the
  // cache would delete it by name, following a link planted there.
  const bool gone = e.local_file.empty() || RemoveLocalFile(folders, e.local_file, wipe, algo, args.options, record);
  if (e.has_local_file) record.items_done.fetch_add(1);
  if (gone) (void)cache.DeleteEntry(e.key.c_str());  // the full key, prefix included
}

}  // namespace

std::vector<std::wstring> ReadFavouriteCookies(bool epm, KnownFolderPathFn known_folder) {
  const std::wstring base = BaseFolder(epm, known_folder);
  if (base.empty()) return {};
  const std::wstring path = JoinFitting(base, L"\\Brightsweep\\LowFavCookies1");
  if (path.empty()) return {};
  return ReadNameList(path, 0);
}

void ClearCookiesBody(ProgressRecord& record, bool wipe, const CleanEnv& env) {
  record.items_done.store(0);
  const CleanJobArgs args = TakeJobArgs(record);
  CWipeAlgo* algo = AlgoForJob(wipe, args.algorithm);
  // "cookie:" first, "Cookie:" only when it finds no entry at all (Wine).
  CCacheEntryReader reader(*env.cache, kCookiePattern, env.read_policy);
  CacheEntryCopy entry;
  if (!reader.Next(&entry)) return;
  const std::vector<std::wstring> favourites = ReadFavouriteCookies(args.epm != 0, env.known_folder);
  CSafeFolders folders(CleanAnchors(*env.cache, true));
  for (;;) {
    if (favourites.empty() || !IsFavouriteCookie(entry.key, favourites))
      ClearCookie(entry, record, wipe, algo, args, *env.cache, folders);
    // An entry that stays unreadable after every attempt ends the walk: the
    // cache may offer it again at the next probe.
    if (record.stop_flag.load() || !reader.Next(&entry)) return;
  }
}

unsigned __stdcall ClearCookiesWorker(void* dialog) {
  auto* dlg = static_cast<CWipeProgressDlg*>(dialog);
  RunWorkerThread(dlg->Record(), ClearCookiesBody, dlg->JobWipeFlag().load() != 0);
  return 0;
}

int ClearCookies(const CleanParams& params, bool epm) {
  CleanJobSetup setup;
  setup.params = params;
  setup.epm = epm;
  setup.heading_id = params.wipe ? IDS_WIPING_COOKIES : IDS_DELETING_COOKIES;
  setup.bounded_wait_ms = 2000;
  return RunCleanJob(setup, ClearCookiesWorker);
}

}  // namespace bpriv
