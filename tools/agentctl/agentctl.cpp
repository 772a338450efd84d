// agentctl: plays the controller's side of BPrivSvc.exe.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "agent_process.h"
#include "commands.h"
#include "seed.h"

namespace agentctl {

const wchar_t kUsage[] =
    L"usage: agentctl COMMAND [OPTIONS]\n"
    L"\n"
    L"commands:\n"
    L"  run [--agent PATH] [--cmdline TEXT] [OPTION ...]\n"
    L"      Starts the agent with the given switch and fields (joined by blanks\n"
    L"      behind its quoted path), or with exactly TEXT as its whole command\n"
    L"      line, waits for it, and prints every top-level window class the agent\n"
    L"      showed (\"window CLASS\") and then \"exit CODE\".\n"
    L"  list [--job history|tif|cookies] [--number N | --attach N] [--epm]\n"
    L"       [--stop-at-start] [--stop-after N] [--vanish-after N] [--slow MS]\n"
    L"       [--go-stop-after N] [--close destroy|quit|close|taskkill]\n"
    L"       [--agent PATH] [--timeout MS]\n"
    L"      Plays the controller of one listing (history unless --job says\n"
    L"      otherwise): starts the agent with the listing switch, the number\n"
    L"      (by default the handle of a hidden window of agentctl's own) and\n"
    L"      \"/EPM\" when asked; finds the window \"BswPrivilegeDemonWnd<N>\",\n"
    L"      reads each text when the window says one waits and answers go on,\n"
    L"      or stop at the start text (--stop-at-start) or at the N-th record\n"
    L"      (--stop-after). --vanish-after N leaves without answering the N-th\n"
    L"      record; --slow waits MS before every answer; --go-stop-after N\n"
    L"      answers the N-th record with go and at once with stop; --close\n"
    L"      ends the listing from outside instead of answering the start text\n"
    L"      (WM_DESTROY sent, WM_QUIT posted, WM_CLOSE sent, or taskkill\n"
    L"      without /F) and then gives the agent 2 s to end. Prints every text\n"
    L"      read, one per line (UTF-8), then \"exit CODE\" of the agent.\n"
    L"      --attach N follows listing N of an agent started by someone else\n"
    L"      and prints no exit line. Gives up after --timeout MS (60000),\n"
    L"      ending the agent, with status 3.\n"
    L"  clean [--agent PATH] [--hide] [--stop-after MS] [--timeout MS] SWITCH ...\n"
    L"      Starts the agent with a clean switch and its fields, finds its\n"
    L"      progress dialog and prints its heading, current item and byte\n"
    L"      count whenever one changes (\"heading TEXT\", \"item TEXT\",\n"
    L"      \"bytes TEXT\"), then \"exit CODE\" of the agent. --hide presses\n"
    L"      Hide once the dialog is found; --stop-after presses Stop MS after\n"
    L"      that and answers Yes. Gives up after --timeout MS (120000),\n"
    L"      ending the agent, with status 3.\n"
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
    L"        --tifs N PREFIX BYTES    N temporary files PREFIX0, PREFIX1, ... (count only)\n"
    L"        --names FILE NAME,...    a name list; FILE without a folder lies in\n"
    L"                                 the product data folder (--epm-names: the\n"
    L"                                 EPM one); an empty NAME is an empty line\n"
    L"        --saved FILE N KEY PATH TEXT ...\n"
    L"                                 a saved-cookies file of N records, each a\n"
    L"                                 cache key, a cookie file path and its text\n"
    L"                                 (- for none); a year ahead, cookie type.\n"
    L"                                 FILE as for --names (--epm-saved)\n"
    L"  cookie URL\n"
    L"      Prints the cookies the cache would send with a request for URL\n"
    L"      (InternetGetCookieW), or none.\n"
    L"  help\n"
    L"      Prints this text.\n"
    L"\n"
    L"The agent is BPrivSvc.exe beside agentctl unless --agent names another.\n"
    L"Exit status: 0 when the agent ran, 1 when it could not be started, 2 for a\n"
    L"usage error, 3 when a listing or a clean timed out.\n";

void PrintLine(const std::wstring& text) {
  int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

int Usage(const wchar_t* problem) {
  if (problem) std::fwprintf(stderr, L"agentctl: %ls\n\n", problem);
  std::fwprintf(problem ? stderr : stdout, L"%ls", kUsage);
  return problem ? 2 : 0;
}

int RunCommand(const Args& args) {
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

// The cookies the cache would send with a request for the URL
// (InternetGetCookieW), or "none".
int CookieCommand(const Args& args) {
  if (args.size() != 1) return Usage(L"cookie needs one URL");
  DWORD size = 0;
  std::wstring text;
  if (::InternetGetCookieW(args[0].c_str(), nullptr, nullptr, &size) && size > 0) {
    text.resize(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!::InternetGetCookieW(args[0].c_str(), nullptr, &text[0], &size)) text.clear();
    text.resize(std::wcslen(text.c_str()));
  }
  PrintLine(text.empty() ? L"none" : text);
  return 0;
}

}  // namespace agentctl

int wmain(int argc, wchar_t** argv) {
  struct Command {
    const wchar_t* name;
    int (*run)(const agentctl::Args& args);
  };
  static const Command kCommands[] = {
      {L"run", agentctl::RunCommand},
      {L"list", agentctl::ListCommand},
      {L"clean", agentctl::CleanCommand},
      {L"seed", agentctl::SeedCommand},
      {L"cookie", agentctl::CookieCommand},
  };
  agentctl::Args args(argv + std::min(argc, 2), argv + argc);
  std::wstring command = argc >= 2 ? argv[1] : L"";
  if (command == L"help" || command == L"--help" || command == L"-h") return agentctl::Usage(nullptr);
  for (const Command& c : kCommands)
    if (command == c.name) return c.run(args);
  return agentctl::Usage(command.empty() ? L"no command given" : (L"unknown command: " + command).c_str());
}
