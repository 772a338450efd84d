// Both cleaning jobs as the controller starts them: the real agent under Wine
// over a cache that agentctl seeds, checked from the cache and the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/agentctl/seed.h"
#include "cache/cache_subject.h"
#include "cache/url_cache_enumerator.h"
#include "support/named_process.h"
#include "support/run_process.h"

namespace bpriv {
namespace {

using test::Narrow;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

bool Cached(const std::string& key) {
  CUrlCacheEnumerator lookup;
  return lookup.GetEntryInfo(Wide(key).c_str()) != nullptr;
}

bool Exists(const std::string& path) { return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class CleanEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override {
    for (bool epm : {false, true}) ::DeleteFileW((agentctl::DataFolder(epm) + L"\\LowFavCookies1").c_str());
    test::ResetRealCache();
  }
  std::map<std::string, std::string> Seed(const std::wstring& args) {
    auto made = test::SeedCache(args);
    EXPECT_EQ(made.count("error"), 0u) << made["error"];
    return made;
  }
  // Runs the agent with the option text; its exit code, or 259 when it hung.
  DWORD Agent(const std::wstring& options, DWORD timeout_ms = 60000) {
    const std::wstring agent = test::BesideTests(L"BPrivSvc.exe");
    test::ProcessResult r = test::RunProcess(agent, L"\"" + agent + L"\" " + options, timeout_ms);
    EXPECT_TRUE(r.started);
    return r.started ? r.exit_code : 999;
  }
};

const wchar_t kTifSeed[] =
    L"--tif http://tif.example/a.html 10 --tif http://tif.example/b.bin 70000 --nofile http://tif.example/nofile "
    L"--cookie c@tif.example/ --history \"Visited: u@http://tif.example/\"";

TEST_F(CleanEndToEnd, TempFilesDeletedOrWipedCookiesAndHistoryUntouched) {
  for (const wchar_t* options : {L"/BSWCLEARTIF20-0-0", L"/BSWCLEARTIF01-2-0", L"/BSWCLEARTIF31-99-0"}) {
    SCOPED_TRACE(Narrow(options));
    auto made = Seed(kTifSeed);
    ASSERT_TRUE(Cached("http://tif.example/a.html"));
    EXPECT_EQ(Agent(options), 0u);
    for (const char* url : {"http://tif.example/a.html", "http://tif.example/b.bin"}) {
      EXPECT_FALSE(Cached(url)) << url;
      EXPECT_FALSE(Exists(made.at(std::string("tif ") + url))) << url;
    }
    EXPECT_FALSE(Cached("http://tif.example/nofile")) << "an entry without a file goes too";
    EXPECT_TRUE(Cached("Cookie:c@tif.example/"));
    EXPECT_TRUE(Exists(made.at("cookie c@tif.example/")));
    EXPECT_TRUE(Cached("Visited: u@http://tif.example/"));
  }
}

// A second hard link outside the cache: the wiper refuses a file that another
// name shares, so the link keeps its bytes while the cache's name goes.
TEST_F(CleanEndToEnd, HardLinkElsewhereKeepsItsBytes) {
  auto made = Seed(L"--tif http://tif.example/linked 3000");
  const std::string file = made.at("tif http://tif.example/linked");
  const std::wstring link = agentctl::DataFolder(false) + L"\\linked-copy";
  ::CreateDirectoryW(agentctl::DataFolder(false).c_str(), nullptr);
  ::DeleteFileW(link.c_str());
  ASSERT_TRUE(::CreateHardLinkW(link.c_str(), Wide(file).c_str(), nullptr)) << ::GetLastError();
  EXPECT_EQ(Agent(L"/BSWCLEARTIF01-0-0"), 0u);
  EXPECT_FALSE(Cached("http://tif.example/linked"));
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(Narrow(link)), std::string(3000, 'x'));
  ::DeleteFileW(link.c_str());
}

TEST_F(CleanEndToEnd, CookiesClearedFavouritesKept) {
  struct {
    const char* name;
    const wchar_t* options;
    const wchar_t* names_item;  // agentctl seed item writing the favourite list
    bool drop_final_crlf;
    std::vector<std::string> kept;
  } cases[] = {
      {"delete, no list", L"/BSWCLEARCOOKIES00-0-0", L"", false, {}},
      {"delete, favourites in any case", L"/BSWCLEARCOOKIES00-0-0", L"--names LowFavCookies1 KEEP@CK.EXAMPLE/,nosuch/",
       false, {"keep@ck.example/"}},
      {"wipe, favourite kept", L"/BSWCLEARCOOKIES01-3-0", L"--names LowFavCookies1 Keep@ck.example/", false,
       {"keep@ck.example/"}},
      {"list without its CR LF keeps nothing", L"/BSWCLEARCOOKIES00-0-0", L"--names LowFavCookies1 keep@ck.example/",
       true, {}},
      {"EPM list", L"/BSWCLEARCOOKIES00-0-0 /EPM", L"--epm-names LowFavCookies1 keep@ck.example/", false,
       {"keep@ck.example/"}},
      {"EPM list unused without EPM", L"/BSWCLEARCOOKIES01-0-0", L"--epm-names LowFavCookies1 keep@ck.example/", false,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto made = Seed(std::wstring(L"--cookie keep@ck.example/ --cookie gone@ck.example/ --cookie other@ck.example/ "
                                  L"--tif http://ck.example/page 10 ") + c.names_item);
    if (c.drop_final_crlf) {
      const std::wstring list = agentctl::DataFolder(false) + L"\\LowFavCookies1";
      HANDLE f = ::CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(f, INVALID_HANDLE_VALUE);
      ::SetFilePointer(f, -4, nullptr, FILE_END);
      ::SetEndOfFile(f);
      ::CloseHandle(f);
    }
    EXPECT_EQ(Agent(c.options), 0u);
    for (const char* name : {"keep@ck.example/", "gone@ck.example/", "other@ck.example/"}) {
      const bool kept = std::find(c.kept.begin(), c.kept.end(), name) != c.kept.end();
      EXPECT_EQ(Cached(std::string("Cookie:") + name), kept) << name;
      EXPECT_EQ(Exists(made.at(std::string("cookie ") + name)), kept) << name;
    }
    EXPECT_TRUE(Cached("http://ck.example/page"));
    for (bool epm : {false, true}) ::DeleteFileW((agentctl::DataFolder(epm) + L"\\LowFavCookies1").c_str());
  }
}

// Stop confirmed in the dialog while the first large file is being wiped with
// 35 passes: that entry is finished, the rest stay cached with their files.
TEST_F(CleanEndToEnd, StopConfirmedDuringAWipeLeavesTheRestCached) {
  Seed(L"--tifs 10 http://stop.example/ 10000000");
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i) {
    CUrlCacheEnumerator lookup;
    const INTERNET_CACHE_ENTRY_INFOW* e = lookup.GetEntryInfo((L"http://stop.example/" + std::to_wstring(i)).c_str());
    ASSERT_TRUE(e && e->lpszLocalFileName);
    files.push_back(Narrow(e->lpszLocalFileName));
  }
  test::ProcessResult r = test::RunAgentctl(L"clean --stop-after 200 /BSWCLEARTIF01-4-0", 120000);
  test::Lines lines = test::SplitLines(r.output);
  ASSERT_FALSE(lines.empty()) << r.output;
  EXPECT_EQ(lines.back(), "exit 1") << r.output;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "stop confirmed"), lines.end()) << r.output;
  int cached = 0;
  for (int i = 0; i < 10; ++i) {
    const bool still = Cached("http://stop.example/" + std::to_string(i));
    EXPECT_EQ(Exists(files[i]), still) << "an entry and its file go together: " << i;
    cached += still ? 1 : 0;
  }
  EXPECT_LE(cached, 9) << "the entry in hand is finished";
  EXPECT_GE(cached, 4) << r.output;
}

// The progress dialog of any process: a dialog with Stop (540) and the heading (331).
HWND FindProgressDialog() {
  HWND found = nullptr;
  ::EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        wchar_t cls[16] = {};
        if (!::GetClassNameW(w, cls, 16) || std::wstring(cls) != L"#32770") return TRUE;
        if (!::GetDlgItem(w, 540) || !::GetDlgItem(w, 331)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A dialog whose run ends before the worker is done (here a WM_QUIT from
// outside): the handler waits for the worker, which finishes every entry,
// before the dialog object goes; the job's result stays 0.
TEST_F(CleanEndToEnd, DialogEndedEarlyStillWaitsForTheWorker) {
  for (const wchar_t* options : {L"/BSWCLEARTIF01-4-0", L"/BSWCLEARCOOKIES01-4-0"}) {
    SCOPED_TRACE(Narrow(options));
    Seed(L"--tifs 6 http://quit.example/ 6000000 --cookies 6 quit");
    const std::wstring agent = test::BesideTests(L"BPrivSvc.exe");
    test::StartedProcess process(agent, L"\"" + agent + L"\" " + options, true);
    ASSERT_TRUE(process.started());
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i, ::Sleep(10)) dialog = FindProgressDialog();
    ASSERT_TRUE(dialog) << "no progress dialog";
    ASSERT_TRUE(::PostMessageW(dialog, WM_QUIT, 0, 0));
    EXPECT_EQ(process.WaitExit(60000), 0u);
    const bool tif = std::wstring(options).find(L"TIF") != std::wstring::npos;
    for (int i = 0; i < 6; ++i) {
      EXPECT_NE(Cached("http://quit.example/" + std::to_string(i)), tif) << i;
      EXPECT_NE(Cached("Cookie:quit" + std::to_string(i) + "@bench.example/"), !tif) << i;
    }
  }
}

// No cookie at all: every probe of the container is tried 21 times, 100 ms
// apart, before the job ends with 0.
TEST_F(CleanEndToEnd, EmptyCookieContainerEndsAfterTheProbeRule) {
  Seed(L"--tif http://ck.example/page 10");
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Agent(L"/BSWCLEARCOOKIES01-0-0"), 0u);
  const DWORD elapsed = ::GetTickCount() - start;
  EXPECT_GE(elapsed, 2000u);
  EXPECT_LT(elapsed, 15000u);
  EXPECT_TRUE(Cached("http://ck.example/page"));
}

}  // namespace
}  // namespace bpriv
