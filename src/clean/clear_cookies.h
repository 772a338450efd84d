// Clearing the cookies: every cookie except the favourites listed in
// "LowFavCookies1" loses its cache entry; in wipe mode its file is
// overwritten, renamed and deleted first.
#pragma once
#include <string>
#include <vector>

#include "clean/clean_params.h"
#include "clean/clean_job.h"

namespace bpriv {

// The "/BSWCLEARCOOKIES" job. Returns 1 when the user confirmed Stop, else 0.
int ClearCookies(const CleanParams& params, bool epm);

// Thread entry; the argument is the CWipeProgressDlg.
unsigned __stdcall ClearCookiesWorker(void* dialog);

// The worker's walk over the cookie container, without the thread frame.
void ClearCookiesBody(ProgressRecord& record, bool wipe, const CleanEnv& env);

// The favourite list of this user: "LowFavCookies1" in the product data
// folder, read without sharing; empty on any failure.
std::vector<std::wstring> ReadFavouriteCookies(bool epm, KnownFolderPathFn known_folder);

}  // namespace bpriv
