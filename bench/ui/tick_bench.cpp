// The progress dialog's timer tick while nothing changes, against an empty
// tick: WM_TIMER sent to a dialog of the same template whose procedure only
// returns. Both measured in one run, interleaved, on the dialog's thread; a
// tick that redraws (bytes and item change every time) for scale.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "resource.h"
#include "ui/wipe_progress_dlg.h"
#include "../bench_clock.h"

namespace {

constexpr int kTicks = 100000;
constexpr int kChangingTicks = 2000;
constexpr int kRounds = 7;

bpriv::CWipeProgressDlg* g_dlg = nullptr;

INT_PTR CALLBACK EmptyTickProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_TIMER || msg == WM_INITDIALOG; }

// Nanoseconds per WM_TIMER sent to the window.
double TimeTicks(HWND w, int ticks, bool change) {
  bpriv::ProgressRecord& r = g_dlg->Record();
  const double start = Now();
  for (int i = 0; i < ticks; ++i) {
    if (change) {
      r.bytes_done.fetch_add(4096);
      r.current_item[1] = static_cast<char16_t>(u'a' + i % 26);
    }
    ::SendMessageW(w, WM_TIMER, bpriv::kProgressTimerId, 0);
  }
  return (Now() - start) * 1e9 / ticks;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void CALLBACK Measure(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  HWND dlg = g_dlg->Window();
  HWND bare = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WIPE_PROGRESS), nullptr,
                                   &EmptyTickProc, 0);
  std::vector<double> idle, empty, changing;
  TimeTicks(dlg, 1000, false);  // warm up; the first tick has drawn long ago
  for (int round = 0; round < kRounds; ++round) {
    empty.push_back(TimeTicks(bare, kTicks, false));
    idle.push_back(TimeTicks(dlg, kTicks, false));
  }
  for (int round = 0; round < 3; ++round) changing.push_back(TimeTicks(dlg, kChangingTicks, true));
  ::DestroyWindow(bare);
  const double i = Median(idle), e = Median(empty), c = Median(changing);
  std::printf("empty tick (bare dialog, WM_TIMER)   %8.0f ns\n", e);
  std::printf("progress tick, nothing changed       %8.0f ns   ratio %.2f\n", i, i / e);
  std::printf("progress tick, bytes and item change %8.0f ns   ratio %.1f\n", c, c / e);
  std::printf("idle tick's own cost                 %8.0f ns per tick, %.4f%% of a 150 ms period\n", i - e,
              (i - e) / 1.5e6);
  g_dlg->Record().done_flag.store(1);
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  bpriv::CWipeProgressDlg dlg;
  g_dlg = &dlg;
  dlg.SetDisplayMode(1);
  dlg.SetSchedulerMode(0);
  const char16_t kHeading[] = u"Wiping Cookies";
  std::copy(std::begin(kHeading), std::end(kHeading), dlg.Record().heading);
  const char16_t kItem[] = u" C:\\cache\\x.gif";
  std::copy(std::begin(kItem), std::end(kItem), dlg.Record().current_item);
  // Measured from inside the dialog's own loop, once it has drawn.
  ::SetTimer(nullptr, 0, 500, &Measure);
  return dlg.Run() == 0 ? 0 : 1;
}
