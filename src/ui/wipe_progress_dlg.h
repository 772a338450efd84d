// The progress dialog of the cleaning jobs. The handler fills in the job's
// fields, starts its worker with a pointer to the dialog, then runs the dialog
// on the main thread. The worker never calls the dialog: it writes the
// progress record, which the dialog reads on its 150 ms timer.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "wipe/progress_record.h"
#include "ui/progress_tick.h"
#include "ui/tray_icon.h"
#include "wipe/wipe_platform_win.h"

namespace bpriv {

// Private messages and ids of the dialog, seen from outside too.
constexpr UINT kDaemonNotifyMessage = WM_USER + 13;  // 1037 to the daemon window
constexpr UINT kPresenceProbeMessage = WM_USER + 20;  // 1044
constexpr LRESULT kPresenceAnswer = 21539;
constexpr UINT kTrayCallbackMessage = 3710;
constexpr UINT kTrayIconId = 2686;
constexpr UINT_PTR kProgressTimerId = 2685;
constexpr wchar_t kDaemonWindowClass[] = L"BSweepDaemonWndClass";
constexpr wchar_t kSchedValue[] = L"Sched";

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
  // 0 when the worker finished, -1 when the dialog could not be created or
  // its loop ended otherwise (a WM_QUIT from someone else). The end of the
  // `worker` thread, when given, ends the dialog too, whatever became of its
  // timer.
  int Run(HANDLE worker = nullptr);

  // Shared with the worker thread (and the file wiper).
  ProgressRecord& Record() { return record_; }
  // The job's wipe flag, set by the handler and read once by the worker;
  // the dialog itself never reads it.
  std::atomic<int32_t>& JobWipeFlag() { return job_wipe_flag_; }

  // The dialog's window while Run runs, else null.
  HWND Window() const { return hwnd_; }
  // Tests and benchmarks: another shell behind the tray icon.
  void SetNotifyIconShell(CNotifyIconShell& shell) { tray_ = CTrayIcon(shell); }
  // One timer tick, as WM_TIMER runs it (benchmarks).
  void Tick();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  void OnInitDialog();
  void OnShowWindow(bool shown);
  void OnCommand(int id);
  void OnDestroy();
  void ConfirmStop();
  void WriteSched();
  void CentreInWorkArea();
  void AddTrayIcon();
  void EndModal();
  int RunMessageLoop(uint32_t flags, HANDLE worker);
  void OnWorkerEnded();
  void SetItemText(int id, uint32_t string_id);
  void ApplyTick(const std::vector<TickChange>& changes);

  ProgressRecord record_;
  std::atomic<int32_t> job_wipe_flag_{0};
  uint32_t display_flags_ = 0;
  uint32_t wipe_mode_ = 1;
  uint32_t display_mode_ = 0;
  uint32_t scheduler_mode_ = 1;

  HWND hwnd_ = nullptr;
  uint32_t caption_pending_ = 1;
  uint32_t tray_options_ = 0;
  uint32_t in_modal_run_ = 0;
  uint32_t loop_flags_ = 0;
  int modal_result_ = -1;
  bool asking_stop_ = false;  // the Stop question is open
  UINT_PTR timer_id_ = 0;
  HICON icon_ = nullptr;  // a shared resource icon: never destroyed
  CTrayIcon tray_;
  TickMemory tick_;
  std::vector<TickChange> changes_;  // reused: an idle tick allocates nothing
  CResourceStringTable strings_;
};

}  // namespace bpriv
