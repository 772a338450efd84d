#include "wipe/seed_inputs_win.h"

#include <windows.h>

namespace bpriv {

SeedInputs ReadPlatformSeedInputs() {
  SeedInputs in;
  in.tick = ::GetTickCount();
  POINT cursor = {0, 0};
  // A failed call (no desktop, service session) leaves (0, 0) by design.
  (void)::GetCursorPos(&cursor);
  in.cursor_x = cursor.x;
  in.cursor_y = cursor.y;
  in.thread_id = ::GetCurrentThreadId();
  in.process_id = ::GetCurrentProcessId();
  return in;
}

}  // namespace bpriv
