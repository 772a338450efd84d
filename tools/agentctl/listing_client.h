// The controller's side of one listing: find the agent's listing window by its
// class, read each text when the window says one waits, and answer it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace agentctl {

// What the controller does with the texts it reads.
struct ListingScript {
  bool stop_at_start = false;  // answer "STARTPRIVILEGES" with stop
  int stop_after = 0;          // answer the N-th record with stop (0: never)
  int vanish_after = 0;        // after the N-th record, leave without answering (0: never)
  DWORD answer_delay_ms = 0;   // pause before every answer
  int go_stop_after = 0;       // answer the N-th record with go and at once with stop (0: never)
  // What a hostile program on the desktop does instead of answering the
  // start text; the listing then ends as kClosed.
  enum class Close { kNone, kDestroy, kQuit, kClose, kTaskkill } close = Close::kNone;
};

enum class ListingEnd {
  kFinished,   // "FINISHPRIVILEGES" read and answered
  kStopped,    // a stop answer was sent
  kVanished,   // left without answering, as the script said
  kClosed,     // the window was closed from outside, as the script said
  kAgentGone,  // the agent ended (or closed its window) before either
  kTimedOut,   // nothing of the above within the time given
};

// "BswPrivilegeDemonWnd<n>", the class the agent registers for listing n.
std::wstring ListingClassName(int32_t listing_number);

// Follows the listing until it ends. `agent` (may be null) is the agent's
// process: when it ends, so does the wait for a window or a text.
ListingEnd FollowListing(int32_t listing_number, const ListingScript& script, HANDLE agent, DWORD timeout_ms,
                         const std::function<void(const std::wstring&)>& on_text);

}  // namespace agentctl
