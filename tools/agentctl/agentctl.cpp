// agentctl: plays the controller's side of BPrivSvc.exe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "agent_process.h"
#include "seed.h"

namespace {

const wchar_t kUsage[] =
    L"usage: agentctl COMMAND [OPTIONS]\n"
    L"\n"
    L"commands:\n"
    L"  run [--agent PATH] [--cmdline TEXT] [OPTION ...]\n"
    L"      Starts the agent with the given switch and fields (joined by blanks\n"
    L"      behind its quoted path), or with exactly TEXT as its whole command\n"
    L"      line, waits for it, and prints every top-level window class the agent\n"
    L"      showed (\"window CLASS\") and then \"exit CODE\".\n"
    L"  seed [--clear] [ITEM ...]\n"
    L"      Commits sample entries into this user's WinINet cache and writes\n"
    L"      name-list files; prints one line per thing made:\n"
    L"        --clear                  first delete every cache entry (all containers)\n"
    L"        --tif URL BYTES          a temporary file:      tif URL \"FILE\"\n"
    L"        --nofile KEY             an entry without file: nofile KEY\n"
    L"        --history KEY            a history entry:       history KEY\n"
    L"        --cookie NAME [EXPIRE]   the cookie Cookie:NAME: cookie NAME \"FILE\"\n"
    L"                                 (EXPIRE: FILETIME as a decimal number, - for a year ahead)\n"
    L"        --cookies N PREFIX       N cookies PREFIX0@bench.example/ ... (count only)\n"
    L"        --names FILE NAME,...    a name list; FILE without a folder lies in\n"
    L"                                 the product data folder (--epm-names: the\n"
    L"                                 EPM one); an empty NAME is an empty line\n"
    L"  help\n"
    L"      Prints this text.\n"
    L"\n"
    L"The agent is BPrivSvc.exe beside agentctl unless --agent names another.\n"
    L"Exit status: 0 when the agent ran, 1 when it could not be started, 2 for a\n"
    L"usage error.\n";

int Usage(const wchar_t* problem) {
  if (problem) std::fwprintf(stderr, L"agentctl: %ls\n\n", problem);
  std::fwprintf(problem ? stderr : stdout, L"%ls", kUsage);
  return problem ? 2 : 0;
}

int Run(const std::vector<std::wstring>& args) {
  std::wstring agent = agentctl::DefaultAgentPath();
  std::wstring cmdline;
  bool have_cmdline = false;
  std::wstring options;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == L"--agent" || args[i] == L"--cmdline") && i + 1 >= args.size())
      return Usage((args[i] + L" needs a value").c_str());
    if (args[i] == L"--agent") {
      agent = args[++i];
    } else if (args[i] == L"--cmdline") {
      cmdline = args[++i];
      have_cmdline = true;
    } else {
      if (!options.empty()) options += L" ";
      options += args[i];
    }
  }
  if (have_cmdline && !options.empty()) return Usage(L"--cmdline takes the whole command line; no further options");
  if (!have_cmdline) cmdline = agentctl::AgentCommandLine(agent, options);

  agentctl::StartedAgent started;
  if (!agentctl::StartAgent(agent, cmdline, &started)) {
    std::fwprintf(stderr, L"agentctl: cannot start %ls (error %lu)\n", agent.c_str(), ::GetLastError());
    return 1;
  }
  std::vector<std::wstring> seen;
  for (;;) {
    DWORD wait = ::WaitForSingleObject(started.process.get(), 5);
    for (const std::wstring& cls : agentctl::WindowClassesOf(started.process_id))
      if (std::find(seen.begin(), seen.end(), cls) == seen.end()) seen.push_back(cls);
    if (wait != WAIT_TIMEOUT) break;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(started.process.get(), &code);
  for (const std::wstring& cls : seen) std::wprintf(L"window %ls\n", cls.c_str());
  std::wprintf(L"exit %ld\n", static_cast<long>(code));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + std::min(argc, 2), argv + argc);
  std::wstring command = argc >= 2 ? argv[1] : L"";
  if (command == L"help" || command == L"--help" || command == L"-h") return Usage(nullptr);
  if (command == L"run") return Run(args);
  if (command == L"seed") return agentctl::SeedCommand(args);
  return Usage(command.empty() ? L"no command given" : (L"unknown command: " + command).c_str());
}
