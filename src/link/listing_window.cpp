#include "link/listing_window.h"

#include <objbase.h>
#include <process.h>

#include <cwchar>
#include <memory>

#include "base/unique.h"
#include "link/record_format.h"
#include "link/send_record.h"
#include "link/utf16.h"

namespace bpriv {
namespace {

// Handed from the runner to the worker, which owns it once the thread runs.
struct ListingThreadArgs {
  HWND window;
  int32_t listing_number;
  int32_t epm;  // 1 when "/EPM" was given
  ListingBody body;
};

// Per worker thread, so a body can ask for the end without the finish text.
thread_local bool t_skip_finish = false;

void RunFrame(HWND window, int32_t listing_number, bool epm, ListingBody body) {
  const bool watch = !epm;
  (void)::CoInitialize(nullptr);
  try {
    // Start handshake: the window was created titled "STARTPRIVILEGES" with
    // the flag at 0. The body runs however the wait ended; it looks at the
    // flag itself.
    WaitForAnswer(window, watch);
    t_skip_finish = false;
    body(window, listing_number, epm);
    if (!t_skip_finish && ReadAnswerFlag(window) != kAnswerStop) {
      std::u16string finish(kFinishText);
      (void)SendRecord(window, AsWide(finish), watch);
    }
  } catch (...) {
    // Out of memory in a body: the job ends quietly, the window still closes.
  }
  ::CoUninitialize();
}

unsigned __stdcall ListingWorker(void* raw) {
  std::unique_ptr<ListingThreadArgs> args(static_cast<ListingThreadArgs*>(raw));
  const ListingThreadArgs a = *args;
  args.reset();
  if (a.window && a.listing_number != 0 && a.body) RunFrame(a.window, a.listing_number, a.epm != 0, a.body);
  // Ends the runner's message loop on the main thread.
  (void)::SendMessageW(a.window, WM_DESTROY, 0, 0);
  return 0;
}

// Takes the window away, and the quit message its WM_DESTROY posts: when the
// worker never came, so that nothing waits for a listing that will not come;
// once the loop has ended, so that nothing waits for answers.
void AbandonWindow(HWND window) {
  ::DestroyWindow(window);
  MSG quit;
  (void)::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// Waits up to `timeout_ms` for the worker to end, handling the messages it
// sends meanwhile. A body busy elsewhere does not keep the process.
void AwaitWorker(HANDLE worker, DWORD timeout_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return;
    const DWORD woke = ::MsgWaitForMultipleObjects(1, &worker, FALSE, static_cast<DWORD>(deadline - now),
                                                   QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    (void)::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

LRESULT CALLBACK ListingWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_PRIV_GO:
      WriteAnswerFlag(window, kAnswerGo);
      return 0;
    case WM_PRIV_QUERY:
      return ReadAnswerFlag(window) == kAnswerWaiting ? 1 : 0;
    case WM_PRIV_STOP:
      WriteAnswerFlag(window, kAnswerStop);
      return 0;
    case WM_PRIV_REARM:
      if (ReadAnswerFlag(window) != kAnswerStop) WriteAnswerFlag(window, kAnswerWaiting);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

HANDLE StartThreadWithRuntime(unsigned(__stdcall* entry)(void*), void* args) {
  return reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, entry, args, 0, nullptr));
}

void SkipFinishText() { t_skip_finish = true; }

int RunListingWindowWith(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body,
                         ListingThreadStarter start_thread) {
  wchar_t class_name[100];
  if (std::swprintf(class_name, 100, L"BswPrivilegeDemonWnd%d", static_cast<int>(listing_number)) < 0) return 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ListingWndProc;
  wc.hInstance = instance;
  wc.lpszClassName = class_name;
  if (!::RegisterClassW(&wc)) return 0;

  std::u16string start(kStartText);
  HWND window = ::CreateWindowExW(0, class_name, AsWide(start), 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;

  auto args = std::make_unique<ListingThreadArgs>(ListingThreadArgs{window, listing_number, epm ? 1 : 0, body});
  UniqueHandle worker(start_thread(ListingWorker, args.get()));
  if (!worker) {
    AbandonWindow(window);
    return 0;
  }
  args.release();  // the worker frees it

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  // Usually the worker's last act was the WM_DESTROY that ended the loop. But
  // any program on the desktop can end it too: by closing or destroying the
  // window or posting a quit to it. With the window gone the worker's waits
  // end as on a stop and its messages fail at once; until it ends, its
  // messages sent so far are still answered here.
  AbandonWindow(window);
  AwaitWorker(worker.get(), kWorkerGraceMs);
  return 0;
}

int RunListingWindow(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body) {
  return RunListingWindowWith(instance, listing_number, epm, body, StartThreadWithRuntime);
}

}  // namespace bpriv
