#include <gtest/gtest.h>

#include <string>

#include "app/jobs.h"

namespace bpriv {
namespace {

// What the dispatcher called, recorded by a job table of fakes.
struct Calls {
  std::string job;
  int32_t number = -1;
  bool epm = false;
  CleanParams clean;
  int fills = 0;
} g_calls;

void FakeHistoryBody(HWND, int32_t, bool) {}
void FakeTempBody(HWND, int32_t, bool) {}
void FakeCookieBody(HWND, int32_t, bool) {}

JobTable FakeJobs() {
  JobTable t;
  t.run_listing = [](HINSTANCE, int32_t number, bool epm, ListingBody body) {
    g_calls.job = body == FakeHistoryBody ? "history" : body == FakeTempBody ? "tif" : "cookies";
    g_calls.number = number;
    g_calls.epm = epm;
    return 0;
  };
  t.list_history = FakeHistoryBody;
  t.list_temp_files = FakeTempBody;
  t.list_cookies = FakeCookieBody;
  t.clear_history = [] { g_calls.job = "clearhistory"; return 0; };
  t.restore_fav_cookies = [](bool epm) { g_calls.job = "restore"; g_calls.epm = epm; return 0; };
  t.save_fav_cookies = [](bool epm) { g_calls.job = "save"; g_calls.epm = epm; return 0; };
  t.get_fav_list = [](bool epm) { g_calls.job = "favlist"; g_calls.epm = epm; return 0; };
  t.clear_temp_files = [](const CleanParams& p) { g_calls.job = "cleartif"; g_calls.clean = p; return 1; };
  t.clear_cookies = [](const CleanParams& p, bool epm) {
    g_calls.job = "clearcookies";
    g_calls.clean = p;
    g_calls.epm = epm;
    return 1;
  };
  t.init_wipe_algos = [] { ++g_calls.fills; return 1; };
  return t;
}

TEST(RunAgent, CallsExactlyOneJobWithItsArguments) {
  struct {
    const wchar_t* line;
    const char* job;
    int exit_code;
    int fills;
    bool epm;
  } cases[] = {
      {L"\"C:\\x\\BPrivSvc.exe\" /BSWLOADHISTORY1234", "history", 0, 0, false},
      {L"\"C:\\x\\BPrivSvc.exe\" /BSWLOADHISTORY1234 /EPM", "history", 0, 0, true},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADHISTORY12 /BSWCLEARTIF01-2-3", "history", 0, 1, false},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADTIF5", "tif", 0, 0, false},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADCOOKIES5 /EPM", "cookies", 0, 0, true},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARHISTORY /EPM", "clearhistory", 0, 0, false},  // takes no flag
      {L"C:\\x\\BPrivSvc.exe /BSWRESTORECOOKIES /EPM", "restore", 0, 1, true},
      {L"C:\\x\\BPrivSvc.exe /BSWSAVECOOKIES", "save", 0, 0, false},
      {L"C:\\x\\BPrivSvc.exe /BSWGETFAVLIST", "favlist", 0, 0, false},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3", "cleartif", 1, 1, false},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES21-4-16 /EPM", "clearcookies", 1, 1, true},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3 /EPM", "", 0, 1, true},
      {L"C:\\x\\BPrivSvc.exe", "", 0, 0, false},
      {L"C:\\x\\bprivsvc.exe /BSWCLEARCOOKIES01-2-3", "", 0, 0, false},
      {L"", "", 0, 0, false},
  };
  const JobTable jobs = FakeJobs();
  for (const auto& c : cases) {
    g_calls = Calls();
    EXPECT_EQ(RunAgent(nullptr, c.line, jobs), c.exit_code) << c.line;
    EXPECT_EQ(g_calls.job, c.job) << c.line;
    EXPECT_EQ(g_calls.fills, c.fills) << c.line;
    if (*c.job) {
      EXPECT_EQ(g_calls.epm, c.epm) << c.line;
    }
  }
  g_calls = Calls();
  RunAgent(nullptr, L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES21-4-16", jobs);
  EXPECT_EQ(g_calls.clean.display, 2);
  EXPECT_TRUE(g_calls.clean.wipe);
  EXPECT_EQ(g_calls.clean.algorithm, 4);
  EXPECT_EQ(g_calls.clean.options, 16);
}

TEST(RunAgent, JobsMissingFromTheBuildRunNothing) {
  const JobTable empty;
  for (const wchar_t* line : {L"C:\\x\\BPrivSvc.exe /BSWLOADHISTORY1", L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3",
                              L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES01-2-3"})
    EXPECT_EQ(RunAgent(nullptr, line, empty), 0) << line;
  EXPECT_EQ(RunAgent(nullptr, nullptr, empty), 0);
}

}  // namespace
}  // namespace bpriv
