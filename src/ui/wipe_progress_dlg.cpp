#include "ui/wipe_progress_dlg.h"

#include <commctrl.h>

#include <string>

#include "base/unique.h"
#include "link/utf16.h"
#include "resource.h"
#include "wipe/wipe_settings_win.h"

namespace bpriv {

namespace {

constexpr UINT kKickIdleMessage = 0x036A;  // WM_KICKIDLE of the framework's loops
constexpr uint32_t kLoopContinueModal = 16;
constexpr uint32_t kLoopRunning = 16 | 8;
constexpr uint32_t kLoopShowIdle = 4;
constexpr uint32_t kLoopNoIdleMsg = 1;
constexpr uint32_t kDisplayHidden = 2;
constexpr UINT kStopBoxFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;  // 292
constexpr UINT kDaemonTimeoutMs = 2000;

struct ActCtxTraits {
  using Type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::ReleaseActCtx(h); }
};
using UniqueActCtx = Unique<ActCtxTraits>;

// The module's own manifest (resource 1) names version 6 of the common
// controls; the dialog is created inside it whatever context the caller has.
class CModuleActivation {
 public:
  explicit CModuleActivation(HMODULE module) {
    ACTCTXW act = {};
    act.cbSize = sizeof act;
    act.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    act.hModule = module;
    act.lpResourceName = MAKEINTRESOURCEW(1);
    ctx_.reset(::CreateActCtxW(&act));
    if (ctx_ && !::ActivateActCtx(ctx_.get(), &cookie_)) cookie_ = 0;
  }
  ~CModuleActivation() {
    if (cookie_ != 0) ::DeactivateActCtx(0, cookie_);
  }
  CModuleActivation(const CModuleActivation&) = delete;
  CModuleActivation& operator=(const CModuleActivation&) = delete;

 private:
  UniqueActCtx ctx_;
  ULONG_PTR cookie_ = 0;
};

class CDialogView : public CTickWindow {
 public:
  explicit CDialogView(HWND dialog) : dialog_(dialog) {}
  // The window's own WS_VISIBLE bit: a control of a hidden dialog still
  // counts as shown.
  bool IsShown(int control) override {
    HWND w = control == kTickDialog ? dialog_ : ::GetDlgItem(dialog_, control);
    return w != nullptr && (::GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0;
  }

 private:
  HWND dialog_;
};

bool Load(CStringTable& strings, uint32_t id, std::wstring* text) { return strings.Load(id, text); }

// The object whose dialog this thread is creating: the only one that
// WM_INITDIALOG binds to a window.
thread_local CWipeProgressDlg* t_creating = nullptr;

// Messages that would re-initialise, destroy or unbind the dialog: the
// system sends them on the dialog's own thread, never from another one, and
// never posts them.
bool IsTeardownOrInit(UINT msg) { return msg == WM_INITDIALOG || msg == WM_DESTROY || msg == WM_NCDESTROY; }

}  // namespace

CWipeProgressDlg::CWipeProgressDlg() {
  (void)LoadWipeSettings();
  uint32_t adv_opts = 0;
  (void)GetWipeSettings(&adv_opts);
  tray_options_ = adv_opts;
}

CWipeProgressDlg::~CWipeProgressDlg() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

int CWipeProgressDlg::Run(HANDLE worker) {
  in_modal_run_ = 1;
  modal_result_ = -1;
  loop_flags_ |= kLoopContinueModal;
  const HMODULE module = ::GetModuleHandleW(nullptr);
  HWND hwnd = nullptr;
  {
    CModuleActivation activation(module);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
    (void)::InitCommonControlsEx(&icc);
    t_creating = this;
    hwnd = ::CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_WIPE_PROGRESS), nullptr, &DialogProc,
                                reinterpret_cast<LPARAM>(this));
    t_creating = nullptr;
  }
  if (hwnd != nullptr && (loop_flags_ & kLoopContinueModal) != 0)
    (void)RunMessageLoop(kLoopShowIdle | kLoopNoIdleMsg, worker);
  if (hwnd != nullptr) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::DestroyWindow(hwnd);
  }
  hwnd_ = nullptr;
  in_modal_run_ = 0;
  return modal_result_;
}

int CWipeProgressDlg::RunMessageLoop(uint32_t flags, HANDLE worker) {
  bool show_on_idle = (flags & kLoopShowIdle) != 0 &&
                      (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) == 0;
  loop_flags_ |= kLoopRunning;
  LPARAM idle_count = 0;
  bool idle_pass_due = true;
  MSG msg;
  for (;;) {
    // The first moment the queue is empty: show a dialog left hidden, then
    // one WM_KICKIDLE pass (the dialog does not answer it, so the first
    // reply ends the pass). Messages waiting at the start only delay it.
    while (idle_pass_due && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (show_on_idle) {
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        ::UpdateWindow(hwnd_);
        show_on_idle = false;
      }
      if (::SendMessageW(hwnd_, kKickIdleMessage, 0, idle_count++) == 0) idle_pass_due = false;
    }
    // Nothing to do: wait for a message or for the worker's end, which ends
    // the dialog even when something stopped its timer.
    if (worker != nullptr && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (::MsgWaitForMultipleObjectsEx(1, &worker, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
        worker = nullptr;
        OnWorkerEnded();
      }
      continue;
    }
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    if (IsTeardownOrInit(msg.message)) continue;  // posted by someone else
    // Keyboard navigation between the buttons, as in any dialog.
    if (hwnd_ != nullptr && ::IsDialogMessageW(hwnd_, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  loop_flags_ &= ~kLoopRunning;
  return modal_result_;
}

INT_PTR CALLBACK CWipeProgressDlg::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    // Any program can send any message: these count only from this thread,
    // and are swallowed (handled, result 0) from any other.
    if (IsTeardownOrInit(msg) && ::InSendMessageEx(nullptr) != ISMEX_NOSEND) {
      ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
      return TRUE;
    }
    if (msg == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CWipeProgressDlg*>(lp);
      if (self == nullptr || self != t_creating || self->hwnd_ != nullptr) return FALSE;
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
      self->hwnd_ = hwnd;
      self->OnInitDialog();
      return TRUE;
    }
    auto* self = reinterpret_cast<CWipeProgressDlg*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;
    LRESULT result = 0;
    const INT_PTR handled = self->OnMessage(msg, wp, lp, &result);
    if (handled) ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    return handled;
  } catch (...) {  // out of memory in a text: the message counts as not handled
    return FALSE;
  }
}

INT_PTR CWipeProgressDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp != 0) OnShowWindow(true);
      return TRUE;
    case WM_TIMER:
      if (wp != kProgressTimerId) return FALSE;
      Tick();
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wp) != 0) return FALSE;  // clicks only
      OnCommand(LOWORD(wp));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) != SC_CLOSE) return FALSE;
      ::PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(IDC_HIDE, 0), 0);  // closing hides
      return TRUE;
    case kTrayCallbackMessage:
      if (wp == kTrayIconId && lp == WM_LBUTTONDBLCLK) {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
      }
      return TRUE;
    case kPresenceProbeMessage:
      *result = kPresenceAnswer;
      return TRUE;
    case WM_HELP:
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    default:
      return FALSE;
  }
}

void CWipeProgressDlg::SetItemText(int id, uint32_t string_id) {
  std::wstring text;
  if (Load(strings_, string_id, &text)) ::SetDlgItemTextW(hwnd_, id, text.c_str());
}

void CWipeProgressDlg::OnInitDialog() {
  SetItemText(IDC_HIDE, IDS_HIDE);
  SetItemText(IDC_STOP, IDS_STOP);
  SetItemText(IDC_HEADING, IDS_HEADING_SCHEDULER);

  // The product's resident daemon wants to know; a hung one must not hold us.
  if (HWND daemon = ::FindWindowW(kDaemonWindowClass, nullptr)) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(daemon, kDaemonNotifyMessage, 0, 0, SMTO_ABORTIFHUNG, kDaemonTimeoutMs, &ignored);
  }

  tick_.stop_delay = 0;
  tick_.last_item.clear();
  CentreInWorkArea();

  ::SetDlgItemTextW(hwnd_, IDC_HEADING, L"");
  ::SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  if (scheduler_mode_ == 0) {
    std::wstring caption;
    if (Load(strings_, IDS_CLEANING_WIPING, &caption)) ::SetWindowTextW(hwnd_, caption.c_str());
  }
  icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_AGENT));
  if ((tray_options_ & kAdvOptsTrayWhileVisible) == 0 || ::IsWindowVisible(hwnd_)) AddTrayIcon();
  ::SendDlgItemMessageW(hwnd_, IDC_BUSY_ANIMATION, ACM_OPENW, 0,
                        reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(IDR_BUSY_AVI)));
  if (timer_id_ == 0) timer_id_ = ::SetTimer(hwnd_, kProgressTimerId, kTickIntervalMs, nullptr);
  ::SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));

  if ((display_flags_ & kDisplayHidden) == 0) {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
  }
  if (::IsWindowVisible(hwnd_)) {
    const int item = display_mode_ == 1 ? SW_SHOW : SW_HIDE;
    const int bar = display_mode_ == 1 ? SW_HIDE : SW_SHOW;
    ::ShowWindow(::GetDlgItem(hwnd_, IDC_CURRENT_ITEM), item);
    ::ShowWindow(::GetDlgItem(hwnd_, IDC_PROGRESS), bar);
    ::ShowWindow(::GetDlgItem(hwnd_, IDC_PERCENT), bar);
  }
  if (display_mode_ == 0) ::SetDlgItemTextW(hwnd_, IDC_PERCENT, L"0%");
}

void CWipeProgressDlg::CentreInWorkArea() {
  RECT window;
  if (!::GetWindowRect(hwnd_, &window)) return;
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info)) return;
  const RECT& work = info.rcWork;
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  LONG x = work.left + (work.right - work.left - width) / 2;
  LONG y = work.top + (work.bottom - work.top - height) / 2;
  // Held inside the work area; a dialog larger than it keeps its top left.
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWipeProgressDlg::AddTrayIcon() {
  std::wstring tip;
  const bool have_tip = Load(strings_, IDS_TRAY_TIP, &tip);
  (void)tray_.Add(hwnd_, kTrayIconId, kTrayCallbackMessage, icon_, have_tip ? tip.c_str() : nullptr);
}

void CWipeProgressDlg::OnShowWindow(bool) {
  if (caption_pending_ != 0) {
    std::wstring caption;
    if (Load(strings_, IDS_DELETING_AND_WIPING, &caption)) ::SetWindowTextW(hwnd_, caption.c_str());
    caption_pending_ = 0;
  }
  if ((tray_options_ & kAdvOptsTrayWhileVisible) != 0) AddTrayIcon();
}

void CWipeProgressDlg::OnCommand(int id) {
  switch (id) {
    case IDC_STOP:
      ConfirmStop();
      break;
    case IDC_HIDE:
      ::ShowWindow(hwnd_, SW_HIDE);
      if ((tray_options_ & kAdvOptsTrayWhileVisible) != 0) (void)tray_.Remove();
      break;
    case IDC_SCHED:
      WriteSched();
      break;
    default:
      break;
  }
}

void CWipeProgressDlg::ConfirmStop() {
  // Once the job has ended a WM_QUIT is on its way, and a message box would
  // return at once without asking: there is nothing left to stop.
  if ((loop_flags_ & kLoopContinueModal) == 0) return;
  // Clicks posted while the question is open (by anyone) would stack boxes.
  if (asking_stop_) return;
  asking_stop_ = true;
  std::wstring text, caption;
  (void)Load(strings_, IDS_ARE_YOU_SURE, &text);
  (void)Load(strings_, IDS_STOP_CAPTION, &caption);
  const int answer = ::MessageBoxW(hwnd_, text.c_str(), caption.c_str(), kStopBoxFlags);
  asking_stop_ = false;
  if (answer == IDYES) record_.stop_flag.store(1);
}

void CWipeProgressDlg::WriteSched() {
  HKEY raw = nullptr;
  // Opened, never created: without the product's key nothing is written.
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
  UniqueRegKey key(raw);
  const DWORD value = ::IsDlgButtonChecked(hwnd_, IDC_SCHED) == BST_CHECKED ? 0 : 1;
  (void)::RegSetValueExW(key.get(), kSchedValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof value);
}

void CWipeProgressDlg::OnDestroy() {
  if (tray_.Shown()) (void)tray_.Remove();
  if (timer_id_ != 0) ::KillTimer(hwnd_, timer_id_);
  timer_id_ = 0;
}

void CWipeProgressDlg::Tick() {
  changes_.clear();
  CDialogView view(hwnd_);
  const TickSettings settings{wipe_mode_, scheduler_mode_, &strings_};
  DecideTick(record_, tick_, settings, view, &changes_);
  if (!changes_.empty()) ApplyTick(changes_);
}

void CWipeProgressDlg::OnWorkerEnded() {
  // The worker set the done flag last; a worker that ended without it can no
  // longer write into the record either.
  if ((loop_flags_ & kLoopContinueModal) == 0) return;  // its tick came first
  Tick();
  if ((loop_flags_ & kLoopContinueModal) != 0) EndModal();
}

void CWipeProgressDlg::EndModal() {
  modal_result_ = 0;
  loop_flags_ &= ~kLoopContinueModal;
  // No tick after the end: a second WM_QUIT would outlive the run.
  if (timer_id_ != 0) ::KillTimer(hwnd_, timer_id_);
  timer_id_ = 0;
  if (in_modal_run_ != 0) ::PostQuitMessage(0);
}

void CWipeProgressDlg::ApplyTick(const std::vector<TickChange>& changes) {
  for (const TickChange& c : changes) {
    switch (c.kind) {
      case TickChange::kEnd:
        EndModal();
        break;
      case TickChange::kDisable:
        ::EnableWindow(::GetDlgItem(hwnd_, c.control), FALSE);
        break;
      case TickChange::kShow:
      case TickChange::kHide:
        ::ShowWindow(::GetDlgItem(hwnd_, c.control), c.kind == TickChange::kShow ? SW_SHOW : SW_HIDE);
        break;
      case TickChange::kSetText:
        ::SetDlgItemTextW(hwnd_, c.control, AsWide(c.text));
        break;
      case TickChange::kSetBar:
        ::SendDlgItemMessageW(hwnd_, c.control, PBM_SETPOS, static_cast<WPARAM>(c.value), 0);
        break;
    }
  }
}

}  // namespace bpriv
