// One text to the controller: put it into the listing window's title and wait
// for the answer; and the watch on the controller's process.
#pragma once
#include <windows.h>

namespace bpriv {

enum class Answer { kGoOn, kStop };

// Title first, then the flag cleared (unless already stop), then the wait:
// PostRecord followed by AwaitAnswer.
Answer SendRecord(HWND window, const wchar_t* text, bool watch);

// The text into the title, then the flag cleared by the window's own thread
// unless it holds a stop (WM_PRIV_REARM).
void PostRecord(HWND window, const wchar_t* text);
// WaitForAnswer, then the answer it ended with.
Answer AwaitAnswer(HWND window, bool watch);

// Polls until the answer flag is not 0, or, when watching, until no
// controller process ("BSweepRun.exe") runs. A gone window reads as stop.
// Busy for the first kBusyPollMs, then with a short sleep between polls.
void WaitForAnswer(HWND window, bool watch);
constexpr ULONGLONG kBusyPollMs = 30;

// The answer flag as it stands (stop once the window is gone: nothing can
// answer any more), and a write of it (the window's GWL_USERDATA slot, a
// 32-bit window long shared by the worker and the window procedure).
LONG ReadAnswerFlag(HWND window);
void WriteAnswerFlag(HWND window, LONG value);

// True when a process whose file name ends in `exe_name` (A-Z compared without
// case) runs. One full snapshot per call; the waits use the cheaper
// IsControllerRunning (link/controller_watch.h), which answers the same.
bool IsProcessRunning(const wchar_t* exe_name);

}  // namespace bpriv
