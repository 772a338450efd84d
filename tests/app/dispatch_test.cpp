#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/jobs.h"
#include "resource.h"
#include "support/run_process.h"

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
      {L"C:\\x\\BPrivSvc.exe /BSWLOADTIF5", "tif 5;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWLOADCOOKIES77 /EPM", "cookies 77 epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWCLEARHISTORY /EPM", "clearhistory;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWRESTORECOOKIES /EPM", "fill;restore epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWSAVECOOKIES /EPM", "save epm;", 0},
      {L"C:\\x\\BPrivSvc.exe /BSWGETFAVLIST", "favlist;", 0},
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

// The real agent: no job to run, or a job that fails under Wine, end quietly with 0 and no window.
TEST(AgentEndToEnd, ExitCodes) {
  const std::wstring run = L"run --agent \"" + test::BesideTests(L"BPrivSvc.exe") + L"\" ";
  for (const wchar_t* options : {L"/BSWNOSUCHJOB", L"/BSWCLEARHISTORY /EPM"})
    EXPECT_EQ(test::RunAgentctl(run + options).output, "exit 0\r\n") << options;
}

// The agent's own resources, read from BPrivSvc.exe as the shell and the
// dialog code read them.
TEST(AgentResources, ImageHoldsEveryResourceKindAndTheTextsCodeAndUserDependOn) {
  const HMODULE image = ::LoadLibraryExW(test::BesideTests(L"BPrivSvc.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << ::GetLastError();
  const std::pair<const wchar_t*, UINT> kinds[] = {
      {RT_MANIFEST, 1}, {RT_VERSION, 1}, {RT_DIALOG, IDD_WIPE_PROGRESS}, {RT_GROUP_ICON, IDI_AGENT},
      {L"AVI", IDR_BUSY_AVI}};
  for (const auto& [type, id] : kinds) EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(id), type), nullptr) << id;
  const auto text = [&](UINT id) {
    const wchar_t* s = nullptr;
    return std::wstring(s, ::LoadStringW(image, id, reinterpret_cast<LPWSTR>(&s), 0));
  };
  // The byte counts are formatted with two %s. The wiped one, the algorithm names and their descriptions are read
  // from the same resources by the progress dialog's and the algorithm registry's tests.
  EXPECT_EQ(text(IDS_BYTES_DELETED), L"%s MB (%s bytes) deleted");
  // Every other id the dialogs and jobs load must exist (the algorithms' descriptions: see above).
  for (UINT id : {UINT{IDS_TRAY_TIP}, 105u, 116u, 195u, 317u, 697u, 709u, 750u, 773u, 777u, 779u, 781u, 1237u, 1238u, 1239u})
    EXPECT_FALSE(text(id).empty()) << id;
  ::FreeLibrary(image);
}

}  // namespace
}  // namespace bpriv
