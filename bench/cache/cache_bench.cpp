// Benchmarks of the cache jobs, each beside its bare reference in the same run:
//   cookie listing (10,000 cookies, export file, a controller that answers at
//   once) against the bare listing exchange of as many records;
//   GetFavList of 1,000 names against 1,000 bare GetUrlCacheEntryInfoW calls.
// Run: build/win/wine-run build/win/bin/cache_bench.exe [cookies] [names]
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "base/unique.h"
#include "cache/format_file_time.h"
#include "cache/url_cache_enumerator.h"
#include "clean/fav_list.h"
#include "link/listing_window.h"
#include "link/send_record.h"
#include "seed.h"
#include "support/run_process.h"
#include "../bench_clock.h"

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Runs a command line to its end; returns the number of output lines that
// start with "PRIVILEGE 00" and the seconds it took.
int RunCounting(const std::wstring& exe, const std::wstring& command_line, double* seconds) {
  const double start = Now();
  bpriv::test::ProcessResult r = bpriv::test::RunProcess(exe, command_line, 600000);
  *seconds = Now() - start;
  if (!r.started) return -1;
  int records = 0;
  for (size_t pos = 0; (pos = r.output.find("PRIVILEGE 00", pos)) != std::string::npos; ++pos) ++records;
  return records;
}

// The bare exchange: a listing of as many records of the cookie record's
// size, with no cache read and no file.
int g_bare_records = 0;
void BareBody(HWND window, int32_t number, bool epm) {
  wchar_t text[128];
  for (int i = 0; i < g_bare_records; ++i) {
    std::swprintf(text, 128, L"PRIVILEGE 00 %d \"C:\\users\\u\\INetCookies\\ABCDEFGH.txt\" bench%d@bench.example/",
                  number, i);
    if (bpriv::SendRecord(window, text, !epm) == bpriv::Answer::kStop) return;
  }
}

int RunAsBareAgent(const wchar_t* command_line) {
  const wchar_t* sw = std::wcsstr(command_line, L"/BSWLOADCOOKIES");
  if (!sw) return 2;
  wchar_t records[16] = {};
  ::GetEnvironmentVariableW(L"BPRIV_BARE_RECORDS", records, 16);  // set by the driver, inherited
  g_bare_records = std::wcstol(records, nullptr, 10);
  return bpriv::RunListingWindow(::GetModuleHandleW(nullptr), std::wcstol(sw + 15, nullptr, 10),
                                 std::wcsstr(command_line, L"/EPM") != nullptr, BareBody);
}

void BenchCookieListing(int cookies) {
  agentctl::ClearUrlCache();
  agentctl::SeededEntry made;
  FILETIME expire = {0, 0x01F00000};
  for (int i = 0; i < cookies; ++i)
    if (!agentctl::SeedCookie(L"bench" + std::to_wstring(i) + L"@bench.example/", expire, &made)) {
      std::printf("seeding cookie %d failed (error %lu)\n", i, ::GetLastError());
      return;
    }
  // Where the listing's own time goes: the cache walk and the time texts.
  {
    double t = Now();
    int n = 0;
    bpriv::CUrlCacheEnumerator walk;
    std::wstring text;
    for (auto* e = walk.FindFirstCookie(); e; e = walk.FindNext()) ++n;
    const double walk_s = Now() - t;
    t = Now();
    FILETIME ft = {0, 0x01D00000};
    for (int i = 0; i < n; ++i, ft.dwLowDateTime += 977777777) {
      bpriv::FormatFileTime(ft, &text);
      bpriv::FormatFileTime(ft, &text);
    }
    std::printf("in-process: walk of %d cookies %.0f us each; two time texts %.0f us per cookie\n", n,
                walk_s / n * 1e6, (Now() - t) / n * 1e6);
  }
  // A controller the agent can see, so that every record waits for its answer.
  const std::wstring controller = Beside(L"BenchBSweepRun.exe");
  ::CopyFileW(Beside(L"agentctl.exe").c_str(), controller.c_str(), FALSE);
  const std::wstring data = agentctl::DataFolder(false);
  for (int number : {91001, 91002}) ::DeleteFileW((data + L"\\" + std::to_wstring(number) + L"Cookies").c_str());

  double listing_s = 0, bare_s = 0;
  const int listed = RunCounting(controller, L"\"" + controller + L"\" list --job cookies --number 91001 --timeout 600000", &listing_s);
  ::SetEnvironmentVariableW(L"BPRIV_BARE_RECORDS", std::to_wstring(cookies).c_str());
  const int bare = RunCounting(controller, L"\"" + controller + L"\" list --job cookies --number 91002 --timeout 600000 --agent \"" +
                                   Beside(L"cache_bench.exe") + L"\"",
                               &bare_s);
  const double listing_rate = listed / listing_s, bare_rate = bare / bare_s;
  std::printf("cookie listing: %d records in %.2f s = %.0f records/s (export file included)\n", listed, listing_s,
              listing_rate);
  std::printf("bare exchange:  %d records in %.2f s = %.0f records/s\n", bare, bare_s, bare_rate);
  std::printf("ratio listing/bare = %.2f (goal >= 0.8)\n", bare_rate > 0 ? listing_rate / bare_rate : 0.0);
  ::DeleteFileW(controller.c_str());
  agentctl::ClearUrlCache();
}

void BenchFavList(int names) {
  agentctl::ClearUrlCache();
  std::vector<std::wstring> list;
  agentctl::SeededEntry made;
  for (int i = 0; i < names; ++i) {
    list.push_back(L"fav" + std::to_wstring(i) + L"@bench.example/");
    if (!agentctl::SeedCookie(list.back(), FILETIME{0, 0x01F00000}, &made)) return;
  }
  const std::wstring data = agentctl::DataFolder(false);
  if (!agentctl::WriteNameListFile(data + L"\\CFL458392", list)) return;

  // Bare: one look-up per name into a buffer that already fits.
  std::vector<BYTE> buffer(8192);
  double best_bare = 1e9, best_job = 1e9;
  for (int round = 0; round < 9; ++round) {
    double t = Now();
    int found = 0;
    for (const std::wstring& n : list) {
      DWORD size = static_cast<DWORD>(buffer.size());
      found += ::GetUrlCacheEntryInfoW((L"Cookie:" + n).c_str(),
                                       reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size);
    }
    best_bare = std::min(best_bare, Now() - t);
    if (found != names) std::printf("bare look-up found %d of %d\n", found, names);
    t = Now();
    bpriv::GetFavList(false);
    best_job = std::min(best_job, Now() - t);
  }
  std::printf("GetFavList of %d names: %.1f ms; %d bare GetUrlCacheEntryInfoW: %.1f ms (best of 9)\n", names,
              best_job * 1e3, names, best_bare * 1e3);
  std::printf("ratio job/bare = %.2f (goal <= 1.3)\n", best_job / best_bare);
  agentctl::ClearUrlCache();
}

}  // namespace

int main() {
  const wchar_t* command_line = ::GetCommandLineW();
  if (std::wcsstr(command_line, L"/BSWLOADCOOKIES")) return RunAsBareAgent(command_line);
  int argc = 0;
  struct LocalFreer {
    void operator()(wchar_t** p) const { ::LocalFree(p); }
  };
  std::unique_ptr<wchar_t*, LocalFreer> argv(::CommandLineToArgvW(command_line, &argc));
  const int cookies = argv && argc > 1 ? std::wcstol(argv.get()[1], nullptr, 10) : 10000;
  const int names = argv && argc > 2 ? std::wcstol(argv.get()[2], nullptr, 10) : 1000;
  std::printf("cache_bench: %d cookies, %d favourite names\n", cookies, names);
  BenchFavList(names);
  BenchCookieListing(cookies);
  return 0;
}
