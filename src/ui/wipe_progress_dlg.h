// The progress dialog of the cleaning jobs. The handler fills in the job's
// fields, starts its worker with a pointer to the dialog, then runs the dialog
// on the main thread. The worker never calls the dialog: it writes the
// progress record, which the dialog reads on its 150 ms timer.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "ui/progress_record.h"

namespace bpriv {

class CWipeProgressDlg {
 public:
  CWipeProgressDlg();  // reads AdvOpts into the tray options
  ~CWipeProgressDlg();
  CWipeProgressDlg(const CWipeProgressDlg&) = delete;
  CWipeProgressDlg& operator=(const CWipeProgressDlg&) = delete;

  void SetDisplayFlags(uint32_t flags) { display_flags_ = flags; }
  void SetWipeMode(uint32_t mode) { wipe_mode_ = mode; }
  void SetDisplayMode(uint32_t mode) { display_mode_ = mode; }
  void SetSchedulerMode(uint32_t mode) { scheduler_mode_ = mode; }

  // Creates the dialog from template 648 and returns when it has ended:
  // 0 when the worker finished, -1 when the dialog could not be created.
  int Run();

  // Shared with the worker thread (and the file wiper).
  ProgressRecord& Record() { return record_; }
  // The job's wipe flag, set by the handler and read once by the worker;
  // the dialog itself never reads it.
  std::atomic<int32_t>& JobWipeFlag() { return job_wipe_flag_; }

 private:
  // Implementation state lives here (window, tray icon, last-shown values, ...).
  ProgressRecord record_;
  std::atomic<int32_t> job_wipe_flag_{0};
  uint32_t display_flags_ = 0;
  uint32_t wipe_mode_ = 1;
  uint32_t display_mode_ = 0;
  uint32_t scheduler_mode_ = 1;
};

}  // namespace bpriv
