// The listing exchange against the bare cost of its parts, measured in the
// same run on the same machine; the ratios are the figures.
//  1. bare round trip: one cross-process WM_SETTEXT and one answer message
//     to a hidden window of another process;
//  2. listing: 10,000 history records through the mailbox of a real listing
//     window (URL history store walk over a fake store, watch on), with
//     agentctl as the controller in its own process, answering at once;
//  3. start-up: from process start until the controller reads
//     "STARTPRIVILEGES", the agent against a program that only creates a
//     hidden window, and against one that first makes the start-up calls the
//     agent must make (COM, common controls).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cache/history_listing.h"
#include "link/controller_watch.h"
#include "link/listing_window.h"
#include "link/send_record.h"
#include "support/fake_url_history.h"
#include "support/run_process.h"

namespace {

using bpriv::test::BesideTests;
using bpriv::test::StartedProcess;

constexpr int kRecords = 10000;
constexpr int kRoundTrips = 5000;
constexpr int kStartRuns = 21;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND WaitForWindow(const std::wstring& class_name, double timeout_s) {
  const double end = Now() + timeout_s;
  while (Now() < end) {
    if (HWND w = ::FindWindowW(class_name.c_str(), nullptr)) return w;
    ::SwitchToThread();
  }
  return nullptr;
}

// Seconds from process start until the window's title reads as expected.
double TimeToTitle(const std::wstring& exe, const std::wstring& command_line, const std::wstring& class_name,
                   UINT close_message) {
  const double start = Now();
  StartedProcess p(exe, command_line);
  if (!p.started()) return -1;
  HWND w = WaitForWindow(class_name, 20);
  if (!w) return -1;
  wchar_t title[64] = {};
  while (::SendMessageW(w, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(title)) == 0 ||
         std::wstring(title) != L"STARTPRIVILEGES")
    ::SwitchToThread();
  const double seconds = Now() - start;
  ::SendMessageW(w, close_message, 0, 0);
  p.WaitExit(20000);
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double BareRoundTrip() {
  const std::wstring exe = BesideTests(L"bare_window.exe");
  StartedProcess peer(exe, L"\"" + exe + L"\" BareBenchPeer");
  HWND w = WaitForWindow(L"BareBenchPeer", 20);
  if (!w) return -1;
  const wchar_t* text = L"PRIVILEGE 00 65594 -1294967296 30408704 6 Page 1 http://www.example.com/page/1";
  auto one = [&] {
    ::SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageW(w, WM_USER + 14, 0, 0);
  };
  for (int i = 0; i < 200; ++i) one();
  const double start = Now();
  for (int i = 0; i < kRoundTrips; ++i) one();
  const double each = (Now() - start) / kRoundTrips;
  ::SendMessageW(w, WM_CLOSE, 0, 0);
  return each;
}

// The agent's side of the listing runs in this process; the body times the
// walk itself, from the first record to the last answer.
double g_walk_seconds = -1;
bpriv::test::FakeUrlHistory g_store;

void TimedStoreBody(HWND window, int32_t number, bool) {
  const double start = Now();
  bpriv::WalkHistoryStore(number, window, bpriv::test::CreateFakeHistory);
  g_walk_seconds = Now() - start;
}

double ListingRecordTime() {
  for (int i = 0; i < kRecords; ++i) {
    std::wstring n = std::to_wstring(i);
    g_store.entries.push_back({L"http://www.example.com/page/" + n, L"Page " + n,
                               {static_cast<DWORD>(3000000000u + i), 30408704u}});
  }
  bpriv::test::CurrentFakeHistory() = &g_store;
  HWND own = ::CreateWindowExW(0, L"STATIC", L"bench", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const int32_t number = static_cast<int32_t>(reinterpret_cast<intptr_t>(own));
  // The controller under a name the watch recognises, its output to nowhere.
  const std::wstring controller = bpriv::test::BesideTests(L"benchBSweepRun.exe");
  if (!::CopyFileW(BesideTests(L"agentctl.exe").c_str(), controller.c_str(), FALSE)) return -1;
  StartedProcess follower(controller, L"\"" + controller + L"\" list --timeout 600000 --attach " +
                                          std::to_wstring(number),
                          /*quiet=*/true);
  bpriv::RunListingWindow(::GetModuleHandleW(nullptr), number, false, TimedStoreBody);
  follower.WaitExit(20000);
  ::DestroyWindow(own);
  return g_walk_seconds < 0 ? -1 : g_walk_seconds / kRecords;
}

double ProcessCpuSeconds() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
  };
  return seconds(kernel) + seconds(user);
}

// A wait that no answer ends ("/EPM", nobody answers the start text): the
// processor time the waiting listing takes per second once it is past its
// busy phase.
double UnansweredWaitLoad() {
  HWND own = ::CreateWindowExW(0, L"STATIC", L"idle", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const int32_t number = static_cast<int32_t>(reinterpret_cast<intptr_t>(own));
  std::thread runner([number] {
    bpriv::RunListingWindow(::GetModuleHandleW(nullptr), number, true, [](HWND, int32_t, bool) {});
  });
  HWND w = WaitForWindow(L"BswPrivilegeDemonWnd" + std::to_wstring(number), 20);
  ::Sleep(200);
  const double start = ProcessCpuSeconds(), wall = Now();
  ::Sleep(2000);
  const double load = (ProcessCpuSeconds() - start) / (Now() - wall);
  if (w) ::SendMessageW(w, bpriv::WM_PRIV_STOP, 0, 0);
  runner.join();
  ::DestroyWindow(own);
  return w ? load : -1;
}

// One poll of the watch: a full snapshot per poll against the kept handle.
void WatchPollCosts(double* snapshot, double* kept) {
  const std::wstring controller = BesideTests(L"benchBSweepRun.exe");
  bpriv::test::SuspendedProcess running(controller);
  double start = Now();
  for (int i = 0; i < 200; ++i) bpriv::IsProcessRunning(L"BSweepRun.exe");
  *snapshot = (Now() - start) / 200;
  start = Now();
  for (int i = 0; i < 20000; ++i) bpriv::IsControllerRunning();
  *kept = (Now() - start) / 20000;
}

}  // namespace

int wmain() {
  std::printf("link benchmark: %d records, %d bare round trips, %d start-ups each\n", kRecords, kRoundTrips,
              kStartRuns);
  const double bare = BareRoundTrip();
  const double record = ListingRecordTime();
  std::printf("bare WM_SETTEXT + answer round trip: %8.1f us  (%7.0f /s)\n", bare * 1e6, 1 / bare);
  std::printf("listing exchange, per record:        %8.1f us  (%7.0f records/s)\n", record * 1e6, 1 / record);
  std::printf("listing rate / bare rate:            %8.2f   (goal >= 0.5)\n", bare / record);
  std::printf("unanswered wait, processor load:      %8.2f   (share of one core)\n", UnansweredWaitLoad());
  double snapshot = 0, kept = 0;
  WatchPollCosts(&snapshot, &kept);
  std::printf("controller watch, one poll: full snapshot %.1f us, kept process handle %.2f us\n", snapshot * 1e6,
              kept * 1e6);

  const std::wstring agent = BesideTests(L"BPrivSvc.exe");
  const std::wstring bare_exe = BesideTests(L"bare_window.exe");
  const std::wstring calls_exe = BesideTests(L"bare_window_calls.exe");
  std::vector<double> agent_times, bare_times, calls_times;
  for (int i = 0; i < kStartRuns; ++i) {
    // "/EPM": the agent waits at its start text with no controller process.
    const std::wstring n = std::to_wstring(70000 + i);
    agent_times.push_back(TimeToTitle(agent, L"\"" + agent + L"\" /BSWLOADHISTORY" + n + L" /EPM",
                                      L"BswPrivilegeDemonWnd" + n, bpriv::WM_PRIV_STOP));
    const std::wstring cls = L"BareStartWnd" + n;
    bare_times.push_back(TimeToTitle(bare_exe, L"\"" + bare_exe + L"\" " + cls, cls, WM_CLOSE));
    const std::wstring calls_cls = L"BareCallsStartWnd" + n;
    calls_times.push_back(TimeToTitle(calls_exe, L"\"" + calls_exe + L"\" " + calls_cls, calls_cls, WM_CLOSE));
  }
  const double agent_start = Median(agent_times), bare_start = Median(bare_times),
               calls_start = Median(calls_times);
  // Ratios taken run by run: the three start one after the other, so a busy
  // moment of the machine weighs on all three of a run alike.
  std::vector<double> to_bare, to_calls;
  for (int i = 0; i < kStartRuns; ++i) {
    to_bare.push_back(agent_times[i] / bare_times[i]);
    to_calls.push_back(agent_times[i] / calls_times[i]);
  }
  std::printf("start-up to \"STARTPRIVILEGES\", median: agent %.1f ms, bare hidden window %.1f ms,\n"
              "  bare hidden window after CoInitialize + InitCommonControlsEx %.1f ms\n",
              agent_start * 1e3, bare_start * 1e3, calls_start * 1e3);
  std::printf("agent start-up / bare start-up, median of runs:      %5.2f\n", Median(to_bare));
  std::printf("agent start-up / bare with the calls, median of runs: %5.2f   (goal <= 1.1)\n", Median(to_calls));
  return bare > 0 && record > 0 && agent_start > 0 && bare_start > 0 && calls_start > 0 ? 0 : 1;
}
