// Benchmarks of the cleaning jobs, each beside its bare reference in the same
// run, over temporary files that the benchmark seeds into the real cache:
//   delete  the temporary-files clean in delete mode (the handler with its
//           dialog, in this process) against a bare loop of the same WinINet
//           enumeration, DeleteFileW and DeleteUrlCacheEntryW calls;
//   wipe    the clean in wipe mode (zeroes) against the same enumeration
//           around the wipe benchmark's bare wipe, 26 renames and delete;
//   memory  the agent's peak working set cleaning N and 10 N entries;
//   count   one side alone over N seeded entries, its counted part marked for
//           bench/count_requests.sh (Wine server requests per entry).
// The bare loops make one check of each file they open, as the job does.
// Run: build/win/wine-run build/win/bin/clean_bench.exe [delete N | wipe N | memory N]
//      bench/count_requests.sh N build/win/bin/clean_bench.exe delete|wipe
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "../request_marks.h"
#include "../wipe/bare_wipe_loop.h"
#include "clean/clear_temp_files.h"
#include "seed.h"
#include "support/run_process.h"
#include "wipe/algo_registry.h"
#include "wipe/scramble_name_win.h"
#include "../bench_clock.h"

namespace {

bool Seed(int count) {
  agentctl::ClearUrlCache();
  agentctl::SeededEntry made;
  for (int i = 0; i < count; ++i)
    if (!agentctl::SeedTempFile(L"http://bench.example/" + std::to_wstring(i), 200, &made)) return false;
  return true;
}

// The enumeration every loop here shares, as the cleans must make it: each
// entry probed for its size, then read into a zeroed buffer of twice that;
// the default container, cookie and history entries passed over.
template <class Act>
int ForEachTempFile(Act act) {
  std::vector<BYTE> buffer;
  DWORD size = 0;
  HANDLE find = ::FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
  auto read = [&](bool first) {
    buffer.assign(2 * size, 0);
    size = static_cast<DWORD>(buffer.size());
    auto* e = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    return first ? (find = ::FindFirstUrlCacheEntryW(nullptr, e, &size)) != nullptr
                 : ::FindNextUrlCacheEntryW(find, e, &size) != FALSE;
  };
  int done = 0;
  for (bool ok = size != 0 && read(true); ok;) {
    const auto* e = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    if ((e->CacheEntryType & 0x00300000) == 0 && e->lpszLocalFileName && *e->lpszLocalFileName) {
      act(e->lpszLocalFileName);
      ::DeleteUrlCacheEntryW(e->lpszSourceUrlName);
      ++done;
    }
    size = 0;
    ok = !::FindNextUrlCacheEntryW(find, nullptr, &size) && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && read(false);
  }
  if (find) ::FindCloseUrlCache(find);
  return done;
}

double TimeJob(bool wipe) {
  bpriv::CleanParams params;
  params.display = 2;
  params.wipe = wipe;
  const double start = Now();
  bpriv::ClearTempFiles(params);
  return Now() - start;
}

// Best of two rounds each, the two loops alternating over fresh seeds; at
// this size the dialog's last tick (up to 150 ms) is lost in the walk.
int BenchDelete(int count) {
  double bare = 1e30, job = 1e30;
  for (int round = 0; round < 2; ++round) {
    if (!Seed(count)) return 1;
    const double start = Now();
    const int done = ForEachTempFile(bpriv::BareDeleteOne);
    bare = std::min(bare, Now() - start);
    if (done != count) std::printf("bare loop saw %d of %d\n", done, count);
    if (!Seed(count)) return 1;
    job = std::min(job, TimeJob(false));
  }
  std::printf("delete %d entries: clean %.3f s, bare loop %.3f s, ratio %.3fx\n", count, job, bare, job / bare);
  return 0;
}

// The bare wipe loop: the same enumeration around the wipe benchmark's bare
// wipe, 26 renames and delete, the names made up front per folder.
void BareWipe() {
  static std::vector<uint8_t> block(131072 + 4096);
  uint8_t* buffer = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(block.data()) + 4095) & ~uintptr_t{4095});
  static std::map<std::wstring, std::vector<std::wstring>> names;
  ForEachTempFile([&](const wchar_t* file) {
    const std::wstring path = file;
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    std::vector<std::wstring>& n = names[folder];
    if (n.empty())
      for (uint32_t i = 0; i < 26; ++i) n.push_back(bpriv::MakeRandomName(i, 255 - static_cast<int32_t>(folder.size())));
    bpriv::BareLoopOne(folder, path, n, buffer);
  });
}

int BenchWipe(int count) {
  // Four slices, the two loops alternating, so that both see the same load
  // on a shared machine; the times are summed.
  double bare = 0, job = 0;
  const int slice = count / 4;
  for (int round = 0; round < 4; ++round) {
    if (!Seed(slice)) return 1;
    const double start = Now();
    BareWipe();
    bare += Now() - start;
    if (!Seed(slice)) return 1;
    job += TimeJob(true);
  }
  std::printf("wipe %d files: clean %.3f s, bare loop %.3f s, ratio %.3fx\n", 4 * slice, job, bare, job / bare);
  return 0;
}

// The agent itself, started from here, cleans in delete mode; this process
// reads the agent's peak working set before letting it go.
double AgentPeakMiB(int count) {
  if (!Seed(count)) return -1;
  wchar_t self[MAX_PATH] = {};
  std::wstring agent(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  agent = agent.substr(0, agent.find_last_of(L'\\') + 1) + L"BPrivSvc.exe";
  std::wstring command_line = L"\"" + agent + L"\" /BSWCLEARTIF20-0-0";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(agent.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  // The counters go with the process: sample while it runs.
  SIZE_T peak = 0;
  for (;;) {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (::GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) peak = std::max(peak, pmc.PeakWorkingSetSize);
    if (::WaitForSingleObject(pi.hProcess, 50) != WAIT_TIMEOUT) break;
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return static_cast<double>(peak) / (1024.0 * 1024.0);
}

// One side alone, for counting its server requests: seeded, then marked.
int CountOne(const std::wstring& mode, const std::wstring& side, int count) {
  if (!Seed(count)) return 1;
  const bool wipe = mode == L"wipe";
  MarkRequests("begin");
  if (side == L"job") TimeJob(wipe);
  else if (wipe) BareWipe();
  else ForEachTempFile(bpriv::BareDeleteOne);
  MarkRequests("end");
  return 0;
}

int BenchMemory(int count) {
  const double small = AgentPeakMiB(count);
  const double large = AgentPeakMiB(10 * count);
  std::printf("peak working set: %d entries %.2f MiB, %d entries %.2f MiB, difference %.2f MiB\n", count, small,
              10 * count, large, large - small);
  return small < 0 || large < 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  const std::vector<std::wstring> args(argv, argv + argc);
  ::LocalFree(argv);
  bpriv::InitWipeAlgos();
  const std::wstring mode = args.size() > 1 ? args[1] : L"delete";
  const int n = args.size() > 2 ? _wtoi(args[2].c_str()) : 0;
  int result = 2;
  if (args.size() > 4 && args[2] == L"count") result = CountOne(mode, args[3], _wtoi(args[4].c_str()));
  else if (mode == L"delete") result = BenchDelete(n ? n : 10000);
  else if (mode == L"wipe") result = BenchWipe(n ? n : 2000);
  else if (mode == L"memory") result = BenchMemory(n ? n : 1000);
  else std::printf("usage: clean_bench [delete N | wipe N | memory N | delete|wipe count job|bare N]\n");
  agentctl::ClearUrlCache();
  return result;
}
