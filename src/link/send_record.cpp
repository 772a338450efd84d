#include "link/send_record.h"

#include "link/controller_watch.h"
#include "link/listing_window.h"

namespace bpriv {

LONG ReadAnswerFlag(HWND window) {
  const LONG flag = ::GetWindowLongW(window, kAnswerSlot);
  return flag == kAnswerWaiting && !::IsWindow(window) ? kAnswerStop : flag;
}

void WriteAnswerFlag(HWND window, LONG value) { (void)::SetWindowLongW(window, kAnswerSlot, value); }

void PostRecord(HWND window, const wchar_t* text) {
  // Title first, flag second: a controller that sees the flag at 0 finds the
  // new text.
  (void)::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  (void)::SendMessageW(window, WM_PRIV_REARM, 0, 0);
}

Answer AwaitAnswer(HWND window, bool watch) {
  WaitForAnswer(window, watch);
  // A wait ended by a vanished controller leaves 0: go on.
  return ReadAnswerFlag(window) == kAnswerStop ? Answer::kStop : Answer::kGoOn;
}

Answer SendRecord(HWND window, const wchar_t* text, bool watch) {
  PostRecord(window, text);
  return AwaitAnswer(window, watch);
}

void WaitForAnswer(HWND window, bool watch) {
  // A busy poll first, so that the next text goes out the moment the
  // controller answers; the watch is cheap while the controller it found last
  // still runs. Between polls the processor goes to any thread that is ready
  // to run (it returns at once when none is): the answer comes from such
  // threads (this process's main thread, the controller, the window server),
  // and on a small machine a poll that kept its processor would hold them up.
  // A responsive controller answers well within kBusyPollMs; a wait that
  // lasts longer is one no answer may ever end, and sleeps between polls
  // rather than hold a core.
  const ULONGLONG busy_until = ::GetTickCount64() + kBusyPollMs;
  bool busy = true;
  for (;;) {
    if (ReadAnswerFlag(window) != kAnswerWaiting) return;
    if (watch && !IsControllerRunning()) return;
    if (busy) busy = ::GetTickCount64() < busy_until;
    if (busy) ::SwitchToThread();
    else ::Sleep(1);
  }
}

}  // namespace bpriv
