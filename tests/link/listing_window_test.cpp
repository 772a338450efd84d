// The listing window, its worker frame and the record exchange, with the
// runner and the controller as two threads of the test process.
#include "link/listing_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/send_record.h"
#include "support/listing_harness.h"

namespace bpriv {
namespace {

using agentctl::ListingEnd;
using agentctl::ListingScript;
using Texts = std::vector<std::wstring>;

// What the scripted body sends, and what it learned; one listing at a time.
struct BodyScript {
  int records = 3;
  bool skip_finish = false;
  bool throw_after_first = false;
  // Filled by the body.
  int calls = 0;
  std::vector<Answer> answers;
} g_body;

std::wstring Record(int32_t number, int i) {
  return L"PRIVILEGE 00 " + std::to_wstring(number) + L" r" + std::to_wstring(i);
}

// Sends records like the history walk: the flag is looked at before each, a stop ends the loop.
void ScriptedBody(HWND window, int32_t number, bool epm) {
  ++g_body.calls;
  if (g_body.skip_finish) SkipFinishText();
  for (int i = 1; i <= g_body.records && ReadAnswerFlag(window) != kAnswerStop; ++i) {
    g_body.answers.push_back(SendRecord(window, Record(number, i).c_str(), !epm));
    if (g_body.throw_after_first) throw std::bad_alloc();
    if (g_body.answers.back() == Answer::kStop) return;
  }
}

TEST(ListingWndProc, AnswerFlagAndMessages) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ListingWndProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ListingWndProcTest";
  ASSERT_NE(::RegisterClassW(&wc), 0);
  HWND w = ::CreateWindowExW(0, wc.lpszClassName, L"STARTPRIVILEGES", 0, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  struct {
    UINT message;
    LRESULT result;
    LONG flag_after;
  } steps[] = {
      {WM_PRIV_QUERY, 1, 0},  // a text waits right after creation
      {WM_PRIV_GO, 0, 1},    {WM_PRIV_QUERY, 0, 1}, {WM_PRIV_STOP, 0, 2},
      {WM_PRIV_QUERY, 0, 2}, {WM_PRIV_GO, 0, 1},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(::SendMessageW(w, s.message, 123, 456), s.result) << s.message;
    EXPECT_EQ(ReadAnswerFlag(w), s.flag_after) << s.message;
  }

  MSG quit;
  EXPECT_EQ(::SendMessageW(w, WM_DESTROY, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(w)) << "WM_DESTROY only ends the loop";
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  ::DestroyWindow(w);
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(ListingWindow, ControllerScriptsDecideTheTexts) {
  struct {
    const char* name;
    ListingScript script;
    int records;
    bool skip_finish;
    ListingEnd end;
    int texts;  // START, records 1..texts-1 (and FINISH when finished)
    std::vector<Answer> answers;
  } cases[] = {
      {"all", {}, 3, false, ListingEnd::kFinished, 5, {Answer::kGoOn, Answer::kGoOn, Answer::kGoOn}},
      {"empty", {}, 0, false, ListingEnd::kFinished, 2, {}},
      {"stop at start", {true, 0, 0, 0}, 3, false, ListingEnd::kStopped, 1, {}},
      {"stop at 2nd", {false, 2, 0, 0}, 3, false, ListingEnd::kStopped, 3, {Answer::kGoOn, Answer::kStop}},
      {"no finish", {}, 1, true, ListingEnd::kAgentGone, 2, {Answer::kGoOn}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_body = BodyScript();
    g_body.records = c.records;
    g_body.skip_finish = c.skip_finish;
    test::NumberWindow number;
    // With "/EPM" nothing is watched: every wait lasts until this thread answers.
    test::InProcessListing listing(number.number(), true, ScriptedBody);
    ListingEnd end;
    Texts texts = listing.Follow(c.script, &end, 5000);
    EXPECT_EQ(end, c.end);
    EXPECT_TRUE(listing.WaitReturned(5000));
    Texts expected = {L"STARTPRIVILEGES"};
    for (int i = 1; i < c.texts; ++i) expected.push_back(Record(number.number(), i));
    if (c.end == ListingEnd::kFinished) expected.back() = L"FINISHPRIVILEGES";
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(g_body.calls, 1) << "the body runs even after a stop at the start";
    EXPECT_EQ(g_body.answers, c.answers);
  }
}

TEST(ListingWindow, UnwatchedControllerAbsentRunsThroughWithoutAnswers) {
  g_body = BodyScript();
  g_body.records = 50;
  test::NumberWindow number;
  // No "/EPM", and no process named like the controller: no wait waits.
  test::InProcessListing listing(number.number(), false, ScriptedBody);
  EXPECT_TRUE(listing.WaitReturned(10000));
  EXPECT_EQ(g_body.answers, std::vector<Answer>(50, Answer::kGoOn));
}

// Refuses the creation of every window of the thread that installs it.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(ListingWindow, RunnerEndsAtOnceWhenItsWindowOrThreadCannotBeMade) {
  const ListingThreadStarter no_thread = [](unsigned(__stdcall*)(void*), void*) -> HANDLE { return nullptr; };
  for (bool refuse_window : {true, false}) {
    SCOPED_TRACE(refuse_window ? "window" : "thread");
    g_body = BodyScript();
    test::NumberWindow number;
    const int32_t n = number.number();
    std::atomic<bool> returned{false};
    std::thread runner([&] {
      HHOOK hook = refuse_window ? ::SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, ::GetCurrentThreadId()) : nullptr;
      RunListingWindowWith(::GetModuleHandleW(nullptr), n, true, ScriptedBody,
                           refuse_window ? StartThreadWithRuntime : no_thread);
      if (hook) ::UnhookWindowsHookEx(hook);
      returned = true;
    });
    const ULONGLONG deadline = ::GetTickCount64() + 5000;
    while (!returned && ::GetTickCount64() < deadline) ::Sleep(1);
    EXPECT_TRUE(returned.load()) << "the runner waits for a quit that never comes";
    if (returned) runner.join();
    else runner.detach();  // the test has failed already; do not hang the rest
    EXPECT_EQ(g_body.calls, 0);
    EXPECT_EQ(::FindWindowW(agentctl::ListingClassName(n).c_str(), nullptr), nullptr)
        << "a window no one will ever answer through was left";
  }
}

TEST(ListingWindow, ExceptionInBodyStillClosesTheWindow) {
  g_body = BodyScript();
  g_body.throw_after_first = true;
  test::NumberWindow number;
  test::InProcessListing listing(number.number(), true, ScriptedBody);
  Texts texts = listing.Follow({}, nullptr, 3000);
  EXPECT_TRUE(listing.WaitReturned(5000));
  EXPECT_EQ(texts, (Texts{L"STARTPRIVILEGES", Record(number.number(), 1)})) << "no finish after a failed body";
}

}  // namespace
}  // namespace bpriv
