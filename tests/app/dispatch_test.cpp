#include <gtest/gtest.h>

#include <string>

#include "app/jobs.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

std::string g_log;  // what the fake jobs were called with, in order

int Log(const std::string& call, int exit_code = 7) {
  g_log += call + ";";
  return exit_code;
}
std::string Fields(const CleanParams& p) {
  return " " + std::to_string(p.display) + "/" + std::to_string(p.wipe) + "/" + std::to_string(p.algorithm) + "/" +
         std::to_string(p.options);
}
const char* Epm(bool epm) { return epm ? " epm" : ""; }
void HistoryBody(HWND, int32_t, bool) {}
void TempBody(HWND, int32_t, bool) {}
void CookieBody(HWND, int32_t, bool) {}

TEST(RunAgent, CallsExactlyOneJobWithItsArgumentsAndPassesItsExitCode) {
  JobTable jobs;
  jobs.run_listing = [](HINSTANCE, int32_t number, bool epm, ListingBody body) {
    return Log(std::string(body == HistoryBody ? "history " : body == TempBody ? "tif " : "cookies ") +
               std::to_string(number) + Epm(epm));
  };
  jobs.list_history = HistoryBody;
  jobs.list_temp_files = TempBody;
  jobs.list_cookies = CookieBody;
  jobs.clear_history = [] { return Log("clearhistory"); };
  jobs.restore_fav_cookies = [](bool epm) { return Log(std::string("restore") + Epm(epm)); };
  jobs.save_fav_cookies = [](bool epm) { return Log(std::string("save") + Epm(epm)); };
  jobs.get_fav_list = [](bool epm) { return Log(std::string("favlist") + Epm(epm)); };
  jobs.clear_temp_files = [](const CleanParams& p) { return Log("cleartif" + Fields(p), 1); };
  jobs.clear_cookies = [](const CleanParams& p, bool epm) { return Log("clearcookies" + Fields(p) + Epm(epm), 2); };
  jobs.init_wipe_algos = [] { return Log("fill"); };
  struct {
    const wchar_t* line;
    const char* calls;
    int exit_code;  // only the cleaning jobs' own
  } cases[] = {
      {L"\"C:\\x\\BPrivSvc.exe\" /BSWLOADHISTORY1234 /EPM", "history 1234 epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADHISTORY12 /BSWCLEARTIF01-2-3", "fill;history 12;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADTIF5", "tif 5;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADCOOKIES77 /EPM", "cookies 77 epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARHISTORY /EPM", "clearhistory;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWRESTORECOOKIES /EPM", "fill;restore epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWSAVECOOKIES /EPM", "save epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWGETFAVLIST", "favlist;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3", "fill;cleartif 0/1/2/3;", 1},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES21-4-16 /EPM", "fill;clearcookies 2/1/4/16 epm;", 2},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3 /EPM", "fill;", 0},
      {L"C:\\x\\other.exe /BSWCLEARHISTORY", "", 0},
  };
  for (const auto& c : cases) {
    g_log.clear();
    EXPECT_EQ(RunAgent(nullptr, c.line, jobs), c.exit_code) << c.line;
    EXPECT_EQ(g_log, c.calls) << c.line;
  }
  // Jobs missing from the build run nothing.
  const JobTable empty;
  for (const wchar_t* line : {L"C:\\x\\BPrivSvc.exe /BSWLOADHISTORY1", L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3",
                              L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES01-2-3", static_cast<const wchar_t*>(nullptr)})
    EXPECT_EQ(RunAgent(nullptr, line, empty), 0);
}

// The real agent and the controller harness (agentctl) as separate processes.
TEST(AgentEndToEnd, ExitCodesOfAgentAndHarness) {
  const std::wstring agent = L"run --agent \"" + test::BesideTests(L"BPrivSvc.exe") + L"\" ";
  struct {
    std::wstring args;
    DWORD exit_code;
    std::string output;  // whole, or on an error a part
  } cases[] = {
      // No job to run, a job that fails under Wine, or no own name: the agent ends quietly with 0, and no window.
      {agent + L"/BSWNOSUCHJOB", 0, "exit 0\r\n"},
      {agent + L"/BSWCLEARHISTORY /EPM", 0, "exit 0\r\n"},
      {agent + L"--cmdline \"C:\\\\elsewhere\\\\other.exe /BSWCLEARHISTORY\"", 0, "exit 0\r\n"},
      {L"list --stop-after 0", 2, "usage: agentctl"},
      {L"run --cmdline x /BSWCLEARHISTORY", 2, "usage: agentctl"},
      {L"run --agent C:\\no\\such\\BPrivSvc.exe /BSWCLEARHISTORY", 1, "agentctl: cannot start"},
  };
  for (const auto& c : cases) {
    test::ProcessResult r = test::RunAgentctl(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << test::Narrow(c.args) << "\n" << r.output;
    EXPECT_TRUE(c.exit_code == 0 ? r.output == c.output : r.output.find(c.output) != std::string::npos)
        << test::Narrow(c.args) << "\n" << r.output;
  }
}

}  // namespace
}  // namespace bpriv
