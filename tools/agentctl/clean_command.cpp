// agentctl clean: starts the agent with a clean switch, follows its progress
// dialog as text and, when asked, presses Hide or Stop (answering Yes).
#include <windows.h>

#include <cstdio>
#include <string>

#include "agent_process.h"
#include "commands.h"

namespace agentctl {
namespace {

constexpr int kDialogStop = 540;
constexpr int kDialogHide = 5;
constexpr int kDialogHeading = 331;
constexpr int kDialogItem = 327;
constexpr int kDialogBytes = 270;
constexpr DWORD kPollMs = 20;
constexpr UINT kAnswerTimeoutMs = 1000;

struct CleanOptions {
  std::wstring agent = DefaultAgentPath();
  std::wstring options;
  bool hide = false;
  long long stop_after_ms = -1;
  DWORD timeout_ms = 120000;
};

bool ParseMs(const std::wstring& text, long long* out) {
  if (text.empty() || text.size() > 8) return false;
  long long v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
  }
  *out = v;
  return true;
}

std::wstring Parse(const Args& args, CleanOptions* o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    const bool takes_value = a == L"--agent" || a == L"--stop-after" || a == L"--timeout";
    if (takes_value && i + 1 >= args.size()) return a + L" needs a value";
    long long n = 0;
    if (a == L"--agent") {
      o->agent = args[++i];
    } else if (a == L"--hide") {
      o->hide = true;
    } else if (a == L"--stop-after" || a == L"--timeout") {
      if (!ParseMs(args[++i], &n)) return a + L" takes milliseconds";
      if (a == L"--stop-after") o->stop_after_ms = n;
      else o->timeout_ms = static_cast<DWORD>(n);
    } else if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
      return L"unknown option: " + a;
    } else {
      if (!o->options.empty()) o->options += L" ";
      o->options += a;
    }
  }
  if (o->options.empty()) return L"clean needs the agent's switch";
  return {};
}

// A top-level dialog of the process holding every given control: the
// progress dialog (template 648) or the Stop question.
HWND FindDialog(DWORD pid, std::initializer_list<int> controls) {
  struct Search {
    DWORD pid;
    std::initializer_list<int> controls;
    HWND found;
  } s{pid, controls, nullptr};
  ::EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        wchar_t cls[16] = {};
        if (owner != s->pid || !::GetClassNameW(w, cls, 16) || std::wstring(cls) != L"#32770") return TRUE;
        for (int id : s->controls)
          if (::GetDlgItem(w, id) == nullptr) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The text of a control of another process; a dialog that no longer answers
// gives nothing rather than holding us.
bool ReadText(HWND dialog, int id, std::wstring* text) {
  HWND control = ::GetDlgItem(dialog, id);
  if (control == nullptr) return false;
  wchar_t buffer[520] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXT, 520, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             kAnswerTimeoutMs, &copied))
    return false;
  text->assign(buffer);
  return true;
}

// One line per field whenever it changes.
class CProgressView {
 public:
  void Follow(HWND dialog) {
    static const struct {
      int id;
      const wchar_t* label;
    } kFields[] = {{kDialogHeading, L"heading"}, {kDialogItem, L"item"}, {kDialogBytes, L"bytes"}};
    for (size_t i = 0; i < 3; ++i) {
      std::wstring text;
      if (!ReadText(dialog, kFields[i].id, &text) || text == last_[i]) continue;
      last_[i] = text;
      if (!text.empty()) Print(std::wstring(kFields[i].label) + L" " + text);
    }
  }
  static void Print(const std::wstring& line) {
    PrintLine(line);
    std::fflush(stdout);
  }

 private:
  std::wstring last_[3];
};

// Presses Stop and answers Yes in the question it brings up.
bool PressStop(DWORD pid, HWND dialog, DWORD deadline_ms) {
  // Posted: the click is handled inside the question's own loop.
  if (!::PostMessageW(::GetDlgItem(dialog, kDialogStop), BM_CLICK, 0, 0)) return false;
  const ULONGLONG end = ::GetTickCount64() + deadline_ms;
  while (::GetTickCount64() < end) {
    if (HWND box = FindDialog(pid, {IDYES, IDNO})) {
      DWORD_PTR ignored = 0;
      return ::SendMessageTimeoutW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                   &ignored) != 0;
    }
    ::Sleep(kPollMs);
  }
  return false;
}

}  // namespace

int CleanCommand(const Args& args) {
  CleanOptions o;
  const std::wstring problem = Parse(args, &o);
  if (!problem.empty()) return Usage(problem.c_str());
  StartedAgent agent;
  if (!StartAgent(o.agent, AgentCommandLine(o.agent, o.options), &agent)) {
    std::fwprintf(stderr, L"agentctl: cannot start %ls (error %lu)\n", o.agent.c_str(), ::GetLastError());
    return 1;
  }
  CProgressView view;
  HWND dialog = nullptr;
  ULONGLONG found_at = 0;
  bool hid = false, stopped = false;
  const ULONGLONG end = ::GetTickCount64() + o.timeout_ms;
  for (;;) {
    const DWORD wait = ::WaitForSingleObject(agent.process.get(), kPollMs);
    if (dialog == nullptr || !::IsWindow(dialog)) {
      dialog = FindDialog(agent.process_id, {kDialogStop, kDialogHide, kDialogHeading, kDialogBytes});
      if (dialog != nullptr) found_at = ::GetTickCount64();
    }
    if (dialog != nullptr) {
      view.Follow(dialog);
      if (o.hide && !hid) {
        hid = true;
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(dialog, kDialogHide), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                              &ignored);
        CProgressView::Print(L"hide pressed");
      }
      if (o.stop_after_ms >= 0 && !stopped && ::GetTickCount64() - found_at >= static_cast<ULONGLONG>(o.stop_after_ms)) {
        stopped = true;
        CProgressView::Print(PressStop(agent.process_id, dialog, 5000) ? L"stop confirmed" : L"stop not confirmed");
      }
    }
    if (wait != WAIT_TIMEOUT) break;
    if (::GetTickCount64() > end) {
      std::fwprintf(stderr, L"agentctl: the clean did not end within %lu ms\n", o.timeout_ms);
      ::TerminateProcess(agent.process.get(), 3);
      return 3;
    }
  }
  DWORD code = 0;
  ::GetExitCodeProcess(agent.process.get(), &code);
  CProgressView::Print(L"exit " + std::to_wstring(static_cast<long>(code)));
  return 0;
}

}  // namespace agentctl
