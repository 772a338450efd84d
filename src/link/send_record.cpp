#include "link/send_record.h"

#include "link/controller_watch.h"
#include "link/listing_window.h"

namespace bpriv {

LONG ReadAnswerFlag(HWND window) { return ::GetWindowLongW(window, kAnswerSlot); }

void WriteAnswerFlag(HWND window, LONG value) { (void)::SetWindowLongW(window, kAnswerSlot, value); }

Answer SendRecord(HWND window, const wchar_t* text, bool watch) {
  (void)::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  // Title first, flag second: a controller that sees the flag at 0 finds the
  // new text. A stop that came in before stays.
  if (ReadAnswerFlag(window) != kAnswerStop) WriteAnswerFlag(window, kAnswerWaiting);
  WaitForAnswer(window, watch);
  // A wait ended by a vanished controller leaves 0: go on.
  return ReadAnswerFlag(window) == kAnswerStop ? Answer::kStop : Answer::kGoOn;
}

void WaitForAnswer(HWND window, bool watch) {
  // A busy poll, so that the next text goes out the moment the controller
  // answers; the watch is cheap while the controller it found last still runs.
  // Between polls the processor goes to any thread that is ready to run (it
  // returns at once when none is): the answer comes from such threads (this
  // process's main thread, the controller, the window server), and on a small
  // machine a poll that kept its processor would hold them up.
  for (;;) {
    if (ReadAnswerFlag(window) != kAnswerWaiting) return;
    if (watch && !IsControllerRunning()) return;
    ::SwitchToThread();
  }
}

}  // namespace bpriv
