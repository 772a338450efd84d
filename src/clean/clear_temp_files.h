// Clearing the temporary internet files: every entry of the default container
// that is not a cookie or history entry loses its cache entry, and its file is
// deleted or, in wipe mode, overwritten, renamed and deleted.
#pragma once
#include "clean/clean_params.h"
#include "clean/clean_job.h"

namespace bpriv {

// The "/BSWCLEARTIF" job. Returns 1 when the user confirmed Stop, else 0.
int ClearTempFiles(const CleanParams& params);

// Thread entry; the argument is the CWipeProgressDlg.
unsigned __stdcall ClearTempFilesWorker(void* dialog);

// The worker's walk over the container, without the thread frame (COM, the
// done flag). `wipe` is the job wipe flag.
void ClearTempFilesBody(ProgressRecord& record, bool wipe, const CleanEnv& env);

}  // namespace bpriv
