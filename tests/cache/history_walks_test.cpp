// Both history walks inside the test process, the version fixed through the
// listing's seam: on Windows 6.1 over a fake URL history store (Wine's answers
// E_NOTIMPL), else the History folder walk, where the test owns the window
// whose handle is the listing number.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cache/history_listing.h"
#include "support/fake_url_history.h"
#include "support/history_tree.h"
#include "support/listing_harness.h"
#include "support/named_process.h"

namespace bpriv {
namespace {

using Texts = std::vector<std::wstring>;

void StoreBody(HWND window, int32_t number, bool epm) {
  HistorySources sources;
  sources.create_history = test::CreateFakeHistory;
  sources.is_windows_61 = [] { return true; };
  ListHistoryWith(window, number, epm, sources);
}

FILETIME Time(uint64_t value) { return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }

std::wstring Rec(int32_t n, const std::wstring& rest) { return L"PRIVILEGE 00 " + std::to_wstring(n) + L" " + rest; }

class HistoryStoreWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CurrentFakeHistory() = &store_;
    controller_copy_ = test::CopyAgentctlAs(L"storeBSweepRun.exe");
  }
  void TearDown() override {
    test::CurrentFakeHistory() = nullptr;
    EXPECT_EQ(store_.refs.load(), 1) << "store not released";
    EXPECT_EQ(store_.enumerator.refs.load(), 1) << "enumerator not released";
  }
  // Runs the listing paced by this thread, with "/EPM" so that only the
  // store walk's own watch looks at the controller's process.
  // A new number each time: a class, once registered, stays for the process.
  Texts Run(const agentctl::ListingScript& script = {}) {
    number_ = std::make_unique<test::NumberWindow>();
    test::InProcessListing listing(number_->number(), true, StoreBody);
    Texts texts = listing.Follow(script);
    EXPECT_TRUE(listing.WaitReturned(5000));
    return texts;
  }

  test::FakeUrlHistory store_;
  std::unique_ptr<test::NumberWindow> number_;
  std::wstring controller_copy_;
};

TEST_F(HistoryStoreWalk, OneRecordPerEntryWithUrl) {
  test::SuspendedProcess controller(controller_copy_);
  ASSERT_TRUE(controller.started());
  store_.entries = {
      {L"http://a.example/", L"A B", Time(0x01D0000000000000ull + 3000000000ull)},
      {std::nullopt, L"no url", Time(5)},
      {L"http://b.example/?q=x y", std::nullopt, Time(0xFFFFFFFFull)},
      {L"http://c.example/", L"", Time(1)},
  };
  Texts texts = Run();
  const int32_t n = number_->number();
  EXPECT_EQ(texts, (Texts{L"STARTPRIVILEGES", Rec(n, L"-1294967296 30408704 3 A B http://a.example/"),
                          Rec(n, L"-1 0 0   http://b.example/?q=x y"), Rec(n, L"1 0 0   http://c.example/"),
                          L"FINISHPRIVILEGES"}));
  EXPECT_EQ(store_.enumerator.resets, 1);
}

TEST_F(HistoryStoreWalk, EndsEarly) {
  struct {
    const char* name;
    bool controller_runs;
    HRESULT enum_result;
    HRESULT second_result;  // of the second Next
    agentctl::ListingScript script;
    size_t records;
    bool finish;
    int next_calls;
  } cases[] = {
      {"stop answer", true, S_OK, S_OK, {false, 1, 0, 0}, 1, false, 1},
      {"stop at start", true, S_OK, S_OK, {true, 0, 0, 0}, 0, false, 1},  // the flag is read before sending
      {"no controller, even with /EPM", false, S_OK, S_OK, {}, 0, true, 0},
      {"failing Next", true, S_OK, E_FAIL, {}, 1, true, 2},
      {"no enumerator", true, E_NOTIMPL, S_OK, {}, 0, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    store_.entries = {{L"u1", L"t1", {}}, {L"u2", L"t2", {}, c.second_result}, {L"u3", L"t3", {}}};
    store_.enum_result = c.enum_result;
    store_.enumerator.next_calls = 0;
    test::SuspendedProcess controller(c.controller_runs ? controller_copy_ : L"");
    Texts texts = Run(c.script);
    Texts expected = {L"STARTPRIVILEGES"};
    if (c.records) expected.push_back(Rec(number_->number(), L"0 0 2 t1 u1"));
    if (c.finish) expected.push_back(L"FINISHPRIVILEGES");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(store_.enumerator.next_calls, c.next_calls);
  }
}

void FolderBody(HWND window, int32_t number, bool epm) {
  HistorySources sources;
  sources.is_windows_61 = [] { return false; };
  ListHistoryWith(window, number, epm, sources);
}

TEST(HistoryFolderWalk, ControllerWindowGoneEndsEachLevelAfterItsItem) {
  test::ScopedHistoryTree tree({L"a1\\", L"a1\\b1\\", L"a1\\b1\\c1.txt", L"a1\\b1\\c2.txt", L"a1\\b2.txt", L"a2.txt"});
  ASSERT_TRUE(tree.ok());
  test::NumberWindow number;
  const std::wstring n = std::to_wstring(number.number());
  test::InProcessListing listing(number.number(), true, FolderBody);
  Texts texts = listing.Follow({}, nullptr, 20000, [&](const std::wstring& text) {
    if (text == L"PRIVILEGE 00 " + n + L" 4 c1.txt") number.Destroy();
  });
  EXPECT_TRUE(listing.WaitReturned(5000));
  EXPECT_EQ(texts, (Texts{
                       L"STARTPRIVILEGES",
                       L"PRIVILEGE 00 " + n + L" 0 a1",
                       L"PRIVILEGE +1",
                       L"PRIVILEGE 00 " + n + L" 2 b1",
                       L"PRIVILEGE +1",
                       L"PRIVILEGE 00 " + n + L" 4 c1.txt",
                       L"PRIVILEGE 01",  // c1.txt done; then no window: level 4 ends
                       L"PRIVILEGE -1 " + n,
                       L"PRIVILEGE 01",  // b1 done; level 2 ends
                       L"PRIVILEGE -1 " + n,
                       L"PRIVILEGE 01",  // a1 done; level 0 ends
                       L"FINISHPRIVILEGES",
                   }));
}

}  // namespace
}  // namespace bpriv
