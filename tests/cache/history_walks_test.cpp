// The history store walk inside the test process, Windows 6.1 fixed through the
// listing's seam, over a fake URL history store (Wine's answers E_NOTIMPL).
// The History folder walk is tested end to end.
#include <gtest/gtest.h>

#include "cache/history_listing.h"
#include "support/fake_url_history.h"
#include "support/listing_harness.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using Texts = std::vector<std::wstring>;

void StoreWalk(HWND w, int32_t n, bool epm) { ListHistoryWith(w, n, epm, {test::CreateFakeHistory, [] { return true; }}); }

// "/EPM", so that only the store walk's own watch looks at the controller.
TEST(HistoryStoreWalk, OneRecordPerEntryWithUrlAndEarlyEnds) {
  const std::wstring controller_copy = test::CopyAgentctlAs(L"storeBSweepRun.exe");
  test::FakeUrlHistory store;
  test::CurrentFakeHistory() = &store;
  const std::vector<test::FakeStatUrl> odd = {{L"http://a.example/", L"A B", {3000000000u, 0x01D00000}},
      {std::nullopt, L"no url", {5, 0}}, {L"http://b.example/?q=x y", std::nullopt, {0xFFFFFFFF, 0}},
      {L"http://c.example/", L"", {1, 0}}};  // times: the record shows both halves as signed numbers
  struct { bool controller_runs; HRESULT second_result; agentctl::ListingScript script; Texts records; bool finish;
           int next_calls; } cases[] = {  // second_result: of the second Next
      {true, S_OK, {}, {L"-1294967296 30408704 3 A B http://a.example/", L"-1 0 0   http://b.example/?q=x y",
                        L"1 0 0   http://c.example/"}, true, 5},
      {true, S_OK, {false, 1}, {L"0 0 2 t1 u1"}, false, 1},  // stop answer
      {true, S_OK, {true}, {}, false, 1},  // stop at start: the flag is read before sending
      {false, S_OK, {}, {}, true, 0},  // no controller, even with /EPM
      {true, E_FAIL, {}, {L"0 0 2 t1 u1"}, true, 2},
  };
  for (const auto& c : cases) {
    store.entries = {{L"u1", L"t1", {}}, {L"u2", L"t2", {}, c.second_result}, {L"u3", L"t3", {}}};
    if (&c == cases) store.entries = odd;
    store.enumerator.next_calls = 0;
    test::SuspendedProcess controller(c.controller_runs ? controller_copy : L"");
    test::NumberWindow w;  // a new number each time: a class, once registered, stays
    test::InProcessListing listing(w.number(), true, StoreWalk);
    Texts want = {L"STARTPRIVILEGES"};
    for (const std::wstring& r : c.records) want.push_back(L"PRIVILEGE 00 " + std::to_wstring(w.number()) + L' ' + r);
    if (c.finish) want.push_back(L"FINISHPRIVILEGES");
    EXPECT_EQ(listing.Follow(c.script), want);
    EXPECT_TRUE(listing.WaitReturned(5000));
    EXPECT_EQ(store.enumerator.next_calls, c.next_calls);
  }
  test::CurrentFakeHistory() = nullptr;
  EXPECT_EQ(store.refs.load() + store.enumerator.refs.load(), 2) << "store or enumerator not released";
  // A factory that succeeds without a store leaves nothing to walk.
  WalkHistoryStore(1, nullptr, test::CreateNoHistory);
}

}  // namespace
}  // namespace bpriv
