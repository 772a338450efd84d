// A listing run inside the test process: the runner on a thread of its own
// (playing the agent's main thread), the controller on the test's thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../../tools/agentctl/listing_client.h"
#include "base/unique.h"
#include "link/listing_window.h"

namespace bpriv::test {

// A hidden window of the test whose handle serves as listing number, as the
// controller's does; a new one per listing, so every class name is new.
class NumberWindow {
 public:
  NumberWindow();
  ~NumberWindow() { Destroy(); }
  NumberWindow(const NumberWindow&) = delete;
  NumberWindow& operator=(const NumberWindow&) = delete;
  int32_t number() const { return number_; }
  void Destroy();

 private:
  HWND window_ = nullptr;
  int32_t number_ = 0;
};

class InProcessListing {
 public:
  InProcessListing(int32_t number, bool epm, ListingBody body,
                   ListingThreadStarter start_thread = StartThreadWithRuntime);
  ~InProcessListing();
  InProcessListing(const InProcessListing&) = delete;
  InProcessListing& operator=(const InProcessListing&) = delete;

  // True when the runner returned within the time.
  bool WaitReturned(DWORD timeout_ms);
  // Plays the controller; the texts read, in order.
  // `on_text` (if any) sees each text before it is answered.
  std::vector<std::wstring> Follow(const agentctl::ListingScript& script, agentctl::ListingEnd* end = nullptr,
                                   DWORD timeout_ms = 20000,
                                   const std::function<void(const std::wstring&)>& on_text = nullptr);

 private:
  int32_t number_;
  UniqueHandle returned_;  // set when the runner has returned: the "agent" ended
  std::thread runner_;
};

}  // namespace bpriv::test
