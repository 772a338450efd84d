// Starting the agent the way the controller does, and watching what it shows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/unique.h"

namespace agentctl {

// The full command line for the agent: its quoted path, a blank and the options
// (the agent finds its options behind its own file name).
std::wstring AgentCommandLine(const std::wstring& agent_path, const std::wstring& options);

struct WindowTraits {
  using Type = HWND;
  static HWND Invalid() noexcept { return nullptr; }
  static void Close(HWND h) noexcept { ::DestroyWindow(h); }
};

struct StartedAgent {
  bpriv::UniqueHandle process;
  DWORD process_id = 0;
};

// CreateProcessW with the given full command line; false (and last error) on failure.
[[nodiscard]] bool StartAgent(const std::wstring& agent_path, const std::wstring& command_line, StartedAgent* out);

// Class names of the top-level windows that belong to a process.
std::vector<std::wstring> WindowClassesOf(DWORD process_id);

// The agent beside this program (bin/BPrivSvc.exe), or empty.
std::wstring DefaultAgentPath();

}  // namespace agentctl
