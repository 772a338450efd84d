// A listing run inside the test process: the runner on a thread of its own
// (playing the agent's main thread), the controller on the test's thread.
#pragma once
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
  ~NumberWindow() { Destroy(); }
  int32_t number() const { return number_; }
  void Destroy() { ::DestroyWindow(std::exchange(window_, nullptr)); }

 private:
  HWND window_ = ::CreateWindowExW(0, L"STATIC", L"number", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  int32_t number_ = static_cast<int32_t>(reinterpret_cast<intptr_t>(window_));
};

class InProcessListing {
 public:
  // `on_runner_thread` (if any) runs first on the runner's thread.
  InProcessListing(int32_t number, bool epm, ListingBody body, ListingThreadStarter start_thread = StartThreadWithRuntime,
                   void (*on_runner_thread)() = nullptr)
      : number_(number), runner_([=, done = returned_.get()] {
          if (on_runner_thread) on_runner_thread();
          RunListingWindowWith(::GetModuleHandleW(nullptr), number, epm, body, start_thread);
          ::SetEvent(done);
        }) {}
  // If it has not returned, the test has failed already; do not hang the rest.
  ~InProcessListing() { WaitReturned(20000) ? runner_.join() : runner_.detach(); }
  // True when the runner returned within the time.
  bool WaitReturned(DWORD timeout_ms) { return ::WaitForSingleObject(returned_.get(), timeout_ms) == WAIT_OBJECT_0; }
  // Plays the controller; the texts read, in order.
  std::vector<std::wstring> Follow(const agentctl::ListingScript& script) {
    std::vector<std::wstring> texts;
    agentctl::FollowListing(number_, script, returned_.get(), 20000, [&](const std::wstring& t) { texts.push_back(t); });
    return texts;
  }

 private:
  int32_t number_;
  UniqueHandle returned_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set when the runner ("agent") has returned
  std::thread runner_;
};

}  // namespace bpriv::test
