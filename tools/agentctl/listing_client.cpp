#include "listing_client.h"

#include <cwchar>
#include <vector>

namespace agentctl {
namespace {

constexpr UINT kGo = WM_USER + 14;
constexpr UINT kQuery = WM_USER + 25;
constexpr UINT kStop = WM_USER + 55;
constexpr UINT kSendTimeoutMs = 5000;

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  DWORD_PTR r = 0;
  if (!::SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kSendTimeoutMs, &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

bool ReadTitle(HWND window, std::wstring* text) {
  // One call for the usual record; only a text that fills the buffer costs a
  // second one to learn its length.
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    LRESULT got = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &got)) return false;
    if (static_cast<size_t>(got) + 1 < buffer.size()) {
      text->assign(buffer.data(), static_cast<size_t>(got));
      return true;
    }
    LRESULT length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
    buffer.resize(static_cast<size_t>(length) + 2);
  }
}

// Ends the agent's listing the way another program on the desktop could.
void CloseFromOutside(HWND window, HANDLE agent, ListingScript::Close how) {
  using Close = ListingScript::Close;
  if (how == Close::kDestroy) (void)Send(window, WM_DESTROY, 0, 0, nullptr);
  if (how == Close::kQuit) (void)::PostMessageW(window, WM_QUIT, 0, 0);
  if (how == Close::kClose) (void)Send(window, WM_CLOSE, 0, 0, nullptr);
  if (how == Close::kTaskkill && agent) {
    // taskkill without /F asks the process's top-level windows to close.
    std::wstring line = L"taskkill.exe /PID " + std::to_wstring(::GetProcessId(agent));
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                         &pi)) {
      ::WaitForSingleObject(pi.hProcess, 10000);
      ::CloseHandle(pi.hThread);
      ::CloseHandle(pi.hProcess);
    }
  }
}

bool Ended(HANDLE agent) { return agent && ::WaitForSingleObject(agent, 0) != WAIT_TIMEOUT; }

}  // namespace

std::wstring ListingClassName(int32_t listing_number) {
  wchar_t name[100];
  std::swprintf(name, 100, L"BswPrivilegeDemonWnd%d", static_cast<int>(listing_number));
  return name;
}

ListingEnd FollowListing(int32_t listing_number, const ListingScript& script, HANDLE agent, DWORD timeout_ms,
                         const std::function<void(const std::wstring&)>& on_text) {
  const std::wstring class_name = ListingClassName(listing_number);
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  HWND window = nullptr;
  int records = 0;
  for (;;) {
    if (::GetTickCount64() > deadline) return ListingEnd::kTimedOut;
    if (!window) {
      window = ::FindWindowW(class_name.c_str(), nullptr);
      if (!window) {
        if (Ended(agent)) return ListingEnd::kAgentGone;
        ::Sleep(1);
        continue;
      }
    }
    // Poll without pause: the agent sends its next text the moment it has
    // the answer, so the next query usually finds it.
    LRESULT waiting = 0;
    if (!Send(window, kQuery, 0, 0, &waiting)) {
      if (!::IsWindow(window) || Ended(agent)) return ListingEnd::kAgentGone;
      continue;
    }
    if (waiting != 1) {
      if (Ended(agent)) return ListingEnd::kAgentGone;
      continue;
    }
    std::wstring text;
    if (!ReadTitle(window, &text)) continue;
    on_text(text);

    bool stop = false;
    bool last = false;
    if (text == L"STARTPRIVILEGES") {
      if (script.close != ListingScript::Close::kNone) {
        CloseFromOutside(window, agent, script.close);
        return ListingEnd::kClosed;
      }
      stop = script.stop_at_start;
    } else if (text == L"FINISHPRIVILEGES") {
      last = true;
    } else {
      ++records;
      if (records == script.vanish_after) return ListingEnd::kVanished;
      stop = records == script.stop_after;
    }
    if (script.answer_delay_ms) ::Sleep(script.answer_delay_ms);
    if (!last && records > 0 && records == script.go_stop_after) {
      // Two answers back to back: the stop must win.
      (void)Send(window, kGo, 0, 0, nullptr);
      stop = true;
    }
    (void)Send(window, stop ? kStop : kGo, 0, 0, nullptr);
    if (stop) return ListingEnd::kStopped;
    if (last) return ListingEnd::kFinished;
  }
}

}  // namespace agentctl
