// The hidden listing window through which a listing job talks to the controller,
// and the worker frame that runs the job body.
#pragma once
#include <windows.h>
#include <cstdint>


namespace bpriv {

// A listing job body, run on the listing worker thread (COM initialised).
using ListingBody = void (*)(HWND window, int32_t listing_number, bool epm);

// Private messages of the listing window (wParam and lParam are ignored).
constexpr UINT WM_PRIV_GO = WM_USER + 14;     // 1038: answer flag := 1
constexpr UINT WM_PRIV_QUERY = WM_USER + 25;  // 1049: 1 while a text waits for an answer
constexpr UINT WM_PRIV_STOP = WM_USER + 55;   // 1079: answer flag := 2
// Sent by the worker after each text: answer flag := 0 unless it holds a
// stop. Done on the window's thread, which makes every other write of the
// flag, so that a stop arriving meanwhile cannot be overwritten.
constexpr UINT WM_PRIV_REARM = WM_APP + 1;

// The window long that holds the answer flag: GWL_USERDATA, which 64-bit
// headers leave undefined. A 32-bit value; no pointer is kept in it.
constexpr int kAnswerSlot = -21;

// Answer flag values, kept in the window's GWL_USERDATA slot.
constexpr LONG kAnswerWaiting = 0;
constexpr LONG kAnswerGo = 1;
constexpr LONG kAnswerStop = 2;

// Registers "BswPrivilegeDemonWnd<n>", creates the hidden window titled
// "STARTPRIVILEGES", runs the body on a worker thread and pumps messages until
// the worker closes the window. Returns 0.
// Returns at once, without waiting for anything, when the window cannot be
// created or the worker thread cannot be started. When the loop ends for
// another reason (the window closed or destroyed from outside, a quit posted
// to it) the window goes, which ends the worker's waits as a stop would, and
// the runner gives the worker at most kWorkerGraceMs to end.
int RunListingWindow(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body);

constexpr DWORD kWorkerGraceMs = 500;

// The window procedure of the listing class: WM_DESTROY posts the quit message
// (the window itself stays), the private messages read and set the flag.
LRESULT CALLBACK ListingWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Starts the worker thread; returns its handle, or null when it cannot start.
using ListingThreadStarter = HANDLE (*)(unsigned(__stdcall* entry)(void*), void* args);
HANDLE StartThreadWithRuntime(unsigned(__stdcall* entry)(void*), void* args);  // _beginthreadex

// RunListingWindow with the thread start as a seam.
int RunListingWindowWith(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body,
                         ListingThreadStarter start_thread);

// Called by a job body on the worker thread: the frame then ends the job
// without "FINISHPRIVILEGES" (the temporary-files listing, when its store gave
// no first entry).
void SkipFinishText();

}  // namespace bpriv
