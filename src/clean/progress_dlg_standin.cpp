// Stand-in for the progress dialog until its window exists: no window, it
// only waits for the worker's done flag on the dialog's 150 ms beat.
#include "ui/wipe_progress_dlg.h"

namespace bpriv {

CWipeProgressDlg::CWipeProgressDlg() = default;
CWipeProgressDlg::~CWipeProgressDlg() = default;

int CWipeProgressDlg::Run() {
  while (record_.done_flag.load() == 0) ::Sleep(150);
  return 0;
}

}  // namespace bpriv
