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

int Record(const char* job, bool epm = false, const CleanParams& clean = {}, int exit_code = 0) {
  g_calls.job = job;
  g_calls.epm = epm;
  g_calls.clean = clean;
  return exit_code;
}

JobTable FakeJobs() {
  JobTable t;
  t.run_listing = [](HINSTANCE, int32_t number, bool epm, ListingBody body) {
    g_calls.number = number;
    return Record(body == FakeHistoryBody ? "history" : body == FakeTempBody ? "tif" : "cookies", epm);
  };
  t.list_history = FakeHistoryBody;
  t.list_temp_files = FakeTempBody;
  t.list_cookies = FakeCookieBody;
  t.clear_history = [] { return Record("clearhistory"); };
  t.restore_fav_cookies = [](bool epm) { return Record("restore", epm); };
  t.save_fav_cookies = [](bool epm) { return Record("save", epm); };
  t.get_fav_list = [](bool epm) { return Record("favlist", epm); };
  t.clear_temp_files = [](const CleanParams& p) { return Record("cleartif", false, p, 1); };
  t.clear_cookies = [](const CleanParams& p, bool epm) { return Record("clearcookies", epm, p, 1); };
  t.init_wipe_algos = [] {
    ++g_calls.fills;
    return 1;
  };
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
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARTIF01-2-3 /EPM", "", 0, 1, false},
  };
  const JobTable jobs = FakeJobs();
  for (const auto& c : cases) {
    g_calls = Calls();
    EXPECT_EQ(RunAgent(nullptr, c.line, jobs), c.exit_code) << c.line;
    EXPECT_EQ(g_calls.job, c.job) << c.line;
    EXPECT_EQ(g_calls.fills, c.fills) << c.line;
    EXPECT_EQ(g_calls.epm, c.epm) << c.line;
  }
  g_calls = Calls();
  RunAgent(nullptr, L"C:\\x\\BPrivSvc.exe /BSWCLEARCOOKIES21-4-16", jobs);
  EXPECT_TRUE(g_calls.clean.display == 2 && g_calls.clean.wipe && g_calls.clean.algorithm == 4 &&
              g_calls.clean.options == 16);
  RunAgent(nullptr, L"C:\\x\\BPrivSvc.exe /BSWLOADCOOKIES77", jobs);
  EXPECT_EQ(g_calls.number, 77);
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
