// agentctl list: starts the agent with a listing switch and plays the
// controller: finds the listing window, reads every text and answers it.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "agent_process.h"
#include "commands.h"
#include "listing_client.h"

namespace agentctl {
namespace {

constexpr int kExitCannotStart = 1;
constexpr int kExitTimedOut = 3;
constexpr DWORD kClosedGraceMs = 2000;

bool ParseCount(const std::wstring& text, long long max, long long* out) {
  if (text.empty() || text.size() > 10) return false;
  long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  if (value > max) return false;
  *out = value;
  return true;
}

struct ListOptions {
  std::wstring agent = DefaultAgentPath();
  std::wstring job_switch = L"/BSWLOADHISTORY";
  bool have_number = false;
  int32_t number = 0;
  bool epm = false;
  bool attach = false;
  DWORD timeout_ms = 60000;
  ListingScript script;
};

// Returns an empty text when the options are good, else the problem.
std::wstring ParseListOptions(const Args& args, ListOptions* o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    const bool takes_value = a == L"--agent" || a == L"--job" || a == L"--number" || a == L"--attach" ||
                             a == L"--stop-after" || a == L"--vanish-after" || a == L"--slow" || a == L"--timeout" ||
                             a == L"--go-stop-after" || a == L"--close";
    if (takes_value && i + 1 >= args.size()) return a + L" needs a value";
    long long n = 0;
    if (a == L"--agent") {
      o->agent = args[++i];
    } else if (a == L"--job") {
      const std::wstring& job = args[++i];
      if (job == L"history") o->job_switch = L"/BSWLOADHISTORY";
      else if (job == L"tif") o->job_switch = L"/BSWLOADTIF";
      else if (job == L"cookies") o->job_switch = L"/BSWLOADCOOKIES";
      else return L"unknown job: " + job;
    } else if (a == L"--number" || a == L"--attach") {
      if (!ParseCount(args[++i], 2147483647, &n)) return a + L" takes a number 0 to 2147483647";
      o->number = static_cast<int32_t>(n);
      o->have_number = true;
      o->attach = o->attach || a == L"--attach";
    } else if (a == L"--epm") {
      o->epm = true;
    } else if (a == L"--stop-at-start") {
      o->script.stop_at_start = true;
    } else if (a == L"--stop-after" || a == L"--vanish-after") {
      if (!ParseCount(args[++i], 1000000000, &n) || n == 0) return a + L" takes a record count from 1";
      (a == L"--stop-after" ? o->script.stop_after : o->script.vanish_after) = static_cast<int>(n);
    } else if (a == L"--go-stop-after") {
      if (!ParseCount(args[++i], 1000000000, &n) || n == 0) return a + L" takes a record count from 1";
      o->script.go_stop_after = static_cast<int>(n);
    } else if (a == L"--close") {
      using Close = ListingScript::Close;
      const std::wstring& how = args[++i];
      if (how == L"destroy") o->script.close = Close::kDestroy;
      else if (how == L"quit") o->script.close = Close::kQuit;
      else if (how == L"close") o->script.close = Close::kClose;
      else if (how == L"taskkill") o->script.close = Close::kTaskkill;
      else return L"unknown way to close: " + how;
    } else if (a == L"--slow" || a == L"--timeout") {
      if (!ParseCount(args[++i], 3600000, &n)) return a + L" takes milliseconds";
      (a == L"--slow" ? o->script.answer_delay_ms : o->timeout_ms) = static_cast<DWORD>(n);
    } else {
      return L"unknown option: " + a;
    }
  }
  return {};
}

void PrintText(const std::wstring& text) { PrintLine(text); }

}  // namespace

int ListCommand(const Args& args) {
  ListOptions o;
  std::wstring problem = ParseListOptions(args, &o);
  if (!problem.empty()) return Usage(problem.c_str());

  if (o.attach) {
    ListingEnd end = FollowListing(o.number, o.script, nullptr, o.timeout_ms, PrintText);
    return end == ListingEnd::kTimedOut ? kExitTimedOut : 0;
  }

  // By default the listing number is the handle of a window of our own, as
  // the controller passes one: the history walk checks that it still exists.
  bpriv::Unique<WindowTraits> own_window;
  if (!o.have_number) {
    own_window.reset(::CreateWindowExW(0, L"STATIC", L"agentctl", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    o.number = static_cast<int32_t>(reinterpret_cast<intptr_t>(own_window.get()));
  }
  std::wstring options = o.job_switch + std::to_wstring(o.number) + (o.epm ? L" /EPM" : L"");
  StartedAgent agent;
  if (!StartAgent(o.agent, AgentCommandLine(o.agent, options), &agent)) {
    std::fwprintf(stderr, L"agentctl: cannot start %ls (error %lu)\n", o.agent.c_str(), ::GetLastError());
    return kExitCannotStart;
  }
  const ULONGLONG started = ::GetTickCount64();
  ListingEnd end = FollowListing(o.number, o.script, agent.process.get(), o.timeout_ms, PrintText);
  // Vanishing means leaving the agent to itself, right away.
  if (end == ListingEnd::kVanished) return 0;

  const ULONGLONG spent = ::GetTickCount64() - started;
  DWORD left = end == ListingEnd::kTimedOut || spent >= o.timeout_ms ? 0 : static_cast<DWORD>(o.timeout_ms - spent);
  // An agent whose window was closed has nothing left to wait for.
  if (end == ListingEnd::kClosed && left > kClosedGraceMs) left = kClosedGraceMs;
  if (::WaitForSingleObject(agent.process.get(), left) != WAIT_OBJECT_0) {
    // A hung agent would spin on; end it rather than leave it behind.
    ::TerminateProcess(agent.process.get(), 259);
    std::fwprintf(stderr, L"agentctl: timed out; agent ended\n");
    return kExitTimedOut;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(agent.process.get(), &code);
  PrintLine(L"exit " + std::to_wstring(static_cast<long>(code)));
  return 0;
}

}  // namespace agentctl
