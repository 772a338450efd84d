// One text to the controller: put it into the listing window's title and wait
// for the answer; and the watch on the controller's process.
#pragma once
#include <windows.h>

namespace bpriv {

enum class Answer { kGoOn, kStop };

// Title first, then the flag cleared (unless already stop), then the wait.
Answer SendRecord(HWND window, const wchar_t* text, bool watch);

// Busy poll until the answer flag is not 0, or, when watching, until no
// controller process ("BSweepRun.exe") runs.
void WaitForAnswer(HWND window, bool watch);

// The answer flag as it stands, and a write of it (the window's GWL_USERDATA
// slot, a 32-bit window long shared by the worker and the window procedure).
LONG ReadAnswerFlag(HWND window);
void WriteAnswerFlag(HWND window, LONG value);

// True when a process whose file name ends in `exe_name` (A-Z compared without
// case) runs. One full snapshot per call; the waits use the cheaper
// IsControllerRunning (link/controller_watch.h), which answers the same.
bool IsProcessRunning(const wchar_t* exe_name);

}  // namespace bpriv
