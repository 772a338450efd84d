#include "support/listing_harness.h"

namespace bpriv::test {

InProcessListing::InProcessListing(int32_t number, bool epm, ListingBody body, ListingThreadStarter start_thread)
    : number_(number), runner_([=, done = returned_.get()] {
        RunListingWindowWith(::GetModuleHandleW(nullptr), number, epm, body, start_thread);
        ::SetEvent(done);
      }) {}

InProcessListing::~InProcessListing() {
  if (WaitReturned(20000)) runner_.join();
  else runner_.detach();  // the test has failed already; do not hang the rest
}

std::vector<std::wstring> InProcessListing::Follow(const agentctl::ListingScript& script, agentctl::ListingEnd* end,
                                                   DWORD timeout_ms,
                                                   const std::function<void(const std::wstring&)>& on_text) {
  std::vector<std::wstring> texts;
  agentctl::ListingEnd e = agentctl::FollowListing(number_, script, returned_.get(), timeout_ms,
                                                   [&](const std::wstring& t) {
                                                     texts.push_back(t);
                                                     if (on_text) on_text(t);
                                                   });
  if (end) *end = e;
  return texts;
}

}  // namespace bpriv::test
