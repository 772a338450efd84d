#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/jobs.h"

namespace bpriv {
namespace {

std::string g_log;  // what the fake jobs were called with, in order

// Exit code 7 must never pass through: only the cleaning jobs' own do.
int Log(const std::string& call, bool epm = false, const CleanParams* p = nullptr, int exit_code = 7) {
  // Which parameters: the parsing itself is tested with every field.
  g_log += call + (p ? " " + std::to_string(p->algorithm) + "/" + std::to_string(p->options) : "");
  g_log += epm ? " epm;" : ";";
  return exit_code;
}
template <int kind>
void Body(HWND, int32_t, bool) {}

TEST(RunAgent, CallsExactlyOneJobWithItsArgumentsAndPassesItsExitCode) {
  const JobTable jobs = {
      [](HINSTANCE, int32_t n, bool epm, ListingBody body) {
        return Log((body == Body<0> ? "history " : body == Body<1> ? "tif " : "cookies ") + std::to_string(n), epm);
      },
      Body<0>, Body<1>, Body<2>,  // history, temporary files, cookies
      [] { return Log("clearhistory"); },
      [](bool epm) { return Log("restore", epm); },
      [](bool epm) { return Log("save", epm); },
      [](bool epm) { return Log("favlist", epm); },
      [](const CleanParams& p) { return Log("cleartif", false, &p, 1); },
      [](const CleanParams& p, bool epm) { return Log("clearcookies", epm, &p, 2); },
      [] { return Log("fill"); }};
  const std::tuple<const wchar_t*, const char*, int> cases[] = {  // command line, calls, exit code
      {L"\"C:\\x\\BPrivSvc.exe\" /BSWLOADHISTORY1234 /EPM", "history 1234 epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARHISTORY /EPM", "clearhistory;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWRESTORECOOKIES /EPM", "fill;restore epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWSAVECOOKIES /EPM", "save epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3", "fill;cleartif 2/3;", 1},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES21-4-16 /EPM", "fill;clearcookies 4/16 epm;", 2},
      {L"C:\\x\\other.exe /BSWCLEARHISTORY", "", 0},  // not our own name
  };
  for (const auto& [line, calls, exit_code] : cases) {
    g_log.clear();
    EXPECT_EQ(RunAgent(nullptr, line, jobs), exit_code);
    EXPECT_EQ(g_log, calls) << calls;
  }
}

}  // namespace
}  // namespace bpriv
