// progress_demo: the wipe progress dialog over a made-up worker, for the
// screenshot, the dialog benchmark and agentctl's own tests. It touches no
// file: the worker only writes plausible progress into the record.
//   progress_demo [DIGIT [ITEMS [MS_PER_ITEM]]]
// DIGIT is the display digit of the clean switches; the exit code is the
// stop flag, as a clean job's.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <process.h>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

#include "ui/wipe_progress_dlg.h"

namespace {

struct DemoJob {
  bpriv::CWipeProgressDlg* dlg;
  unsigned items;
  unsigned ms_per_item;
};

unsigned __stdcall DemoWorker(void* arg) {
  const DemoJob job = *static_cast<DemoJob*>(arg);
  bpriv::ProgressRecord& record = job.dlg->Record();
  const wchar_t* const kNames[] = {L"logo[1].png", L"jquery.min[2].js", L"style[1].css", L"banner[3].jpg",
                                   L"analytics[1].js", L"index[2].htm"};
  uint64_t bytes = 0;
  for (unsigned i = 0; i < job.items && record.stop_flag.load() == 0; ++i) {
    wchar_t item[bpriv::kProgressTextUnits];
    std::swprintf(item, bpriv::kProgressTextUnits,
                  L" C:\\users\\demo\\AppData\\Local\\Microsoft\\Windows\\INetCache\\IE\\7QX2K1ZB\\%ls",
                  kNames[i % 6]);
    for (unsigned k = 0;; ++k) {
      record.current_item[k] = static_cast<char16_t>(item[k]);
      if (item[k] == 0) break;
    }
    // Each file is wiped in a few passes of its size.
    for (int pass = 0; pass < 4 && record.stop_flag.load() == 0; ++pass) {
      bytes += 37 * 1024 + 311 * (i % 17);
      record.bytes_done.store(bytes);
      ::Sleep(job.ms_per_item / 4);
    }
    record.items_done.fetch_add(1);
  }
  record.done_flag.store(1);
  return 0;
}

unsigned Arg(int argc, wchar_t** argv, int i, unsigned fallback) {
  return argc > i ? static_cast<unsigned>(std::wcstoul(argv[i], nullptr, 10)) : fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  (void)::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  bpriv::CWipeProgressDlg dlg;
  dlg.SetDisplayFlags(Arg(argc, argv, 1, 0));
  dlg.SetWipeMode(1);
  dlg.SetDisplayMode(1);
  dlg.SetSchedulerMode(0);
  const char16_t kHeading[] = u"Wiping Temporary Internet Files";
  std::copy(std::begin(kHeading), std::end(kHeading), dlg.Record().heading);
  DemoJob job{&dlg, Arg(argc, argv, 2, 40), Arg(argc, argv, 3, 200)};
  const uintptr_t thread = _beginthreadex(nullptr, 0, &DemoWorker, &job, 0, nullptr);
  if (thread == 0) return 1;
  (void)dlg.Run(reinterpret_cast<HANDLE>(thread));
  // The record lives in the dialog object: it must outlive the worker.
  ::WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
  ::CloseHandle(reinterpret_cast<HANDLE>(thread));
  const int stopped = dlg.Record().stop_flag.load();
  ::CoUninitialize();
  return stopped;
}
