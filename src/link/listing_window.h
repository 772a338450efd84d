// The hidden listing window through which a listing job talks to the controller,
// and the worker frame that runs the job body.
#pragma once
#include <windows.h>
#include <cstdint>

#include "app/jobs.h"

namespace bpriv {

// Private messages of the listing window (wParam and lParam are ignored).
constexpr UINT WM_PRIV_GO = WM_USER + 14;     // 1038: answer flag := 1
constexpr UINT WM_PRIV_QUERY = WM_USER + 25;  // 1049: 1 while a text waits for an answer
constexpr UINT WM_PRIV_STOP = WM_USER + 55;   // 1079: answer flag := 2

// Answer flag values, kept in the window's GWL_USERDATA slot.
constexpr LONG kAnswerWaiting = 0;
constexpr LONG kAnswerGo = 1;
constexpr LONG kAnswerStop = 2;

// Registers "BswPrivilegeDemonWnd<n>", creates the hidden window titled
// "STARTPRIVILEGES", runs the body on a worker thread and pumps messages until
// the worker closes the window. Returns 0.
int RunListingWindow(HINSTANCE instance, int32_t listing_number, bool epm, ListingBody body);

}  // namespace bpriv
