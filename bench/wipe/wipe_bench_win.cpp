// Self-timed benchmarks of the wipe engine under Windows (or Wine), each
// measured side by side with its baseline in the same run:
//   wipe_bench fill                 FillRandom against memset
//   wipe_bench file <path>          WipeFile passes over an existing file
//                                   (seconds per pass kind; the script
//                                   compares them with dd on the same file)
//   wipe_bench small <folder> [n]   n small files wiped, scrambled through 26
//                                   names and deleted, against a bare loop
//                                   making the same calls and one check of
//                                   each file it opens
//   wipe_bench small <folder> count job|bare <n>
//                                   one side alone over n files made first, its
//                                   counted part marked for
//                                   bench/count_requests.sh
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../request_marks.h"
#include "bare_wipe_loop.h"
#include "fill_ratio.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/wipe_algo.h"

using namespace bpriv;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

const char* PathName(LanePath path) {
  switch (path) {
    case LanePath::kAvx2: return "avx2";
    case LanePath::kSse41: return "sse4.1";
    case LanePath::kSse2: return "sse2";
    default: return "one step";
  }
}

int BenchFill() {
  for (LanePath path : {LanePath::kScalar, LanePath::kSse2, LanePath::kSse41, LanePath::kAvx2}) {
    if (!IsLanePathSupported(path)) continue;
    const FillTimes t = TimeFillAgainstMemset(path, 7, path == LanePath::kScalar ? 200 : 4000);
    std::printf("fill %-8s speed vs memset %.3fx%s\n", PathName(path),
                t.memset_seconds / t.fill_seconds, path == BestLanePath() ? "  (chosen)" : "");
  }
  return 0;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

double TimeWipe(const std::wstring& path, CWipeAlgo* algo) {
  const auto start = Clock::now();
  CSafeFolders folders({FolderOf(path)});
  CSafeFile file;
  const int result = WipeFile(folders, path, algo, 0, nullptr, false, &file);
  const double seconds = Seconds(start);
  if (result != 1) std::printf("WipeFile failed: %d\n", result);
  return seconds;
}

int BenchFile(const std::wstring& path) {
  // Warm once, then alternate so both kinds see the same cache state.
  TimeWipe(path, &g_zeroAlgo);
  double zero = 1e30, random = 1e30, dod3 = 1e30;
  for (int round = 0; round < 3; ++round) {
    zero = std::min(zero, TimeWipe(path, &g_zeroAlgo));
    random = std::min(random, TimeWipe(path, &g_randomAlgo));
    dod3 = std::min(dod3, TimeWipe(path, &g_dod3Algo));
  }
  // DoD 3 writes two fixed passes and one random pass.
  std::printf("zero_pass_seconds %.4f\nrandom_pass_seconds %.4f\n", zero, random);
  std::printf("three passes vs three single passes %.3fx\n", dod3 / (2 * zero + random));
  return 0;
}

bool CreateSmallFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char text[] = "cookie:user@example/ 1 2 3\n";
  DWORD written = 0;
  ::WriteFile(file, text, sizeof text - 1, &written, nullptr);
  ::CloseHandle(file);
  return true;
}

// The job's side for one file: through the folder's anchor, as a clean does.
void WipeSmall(CSafeFolders& folders, const std::wstring& path) {
  CSafeFile file;
  WipeFile(folders, path, &g_zeroAlgo, 0, nullptr, false, &file);
  ScrambleAndDelete(file);
}

std::vector<std::wstring> RandomNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 26; ++i) names.push_back(MakeRandomName(static_cast<uint32_t>(i), 255 - static_cast<int32_t>(folder.size())));
  return names;
}

int CountSmall(std::wstring folder, const std::wstring& side, int count) {
  if (folder.back() != L'\\') folder += L'\\';
  ::CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < count; ++i) CreateSmallFile(folder + std::to_wstring(i) + L".txt");
  const std::vector<std::wstring> names = RandomNames(folder);
  CSafeFolders folders({FolderOf(folder)});
  uint8_t* buffer = static_cast<uint8_t*>(::VirtualAlloc(nullptr, 131072, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  MarkRequests("begin");
  for (int i = 0; i < count; ++i) {
    const std::wstring path = folder + std::to_wstring(i) + L".txt";
    if (side == L"job") WipeSmall(folders, path);
    else BareLoopOne(folder, path, names, buffer);
  }
  MarkRequests("end");
  ::VirtualFree(buffer, 0, MEM_RELEASE);
  ::RemoveDirectoryW(folder.c_str());
  return 0;
}

int BenchSmall(const std::wstring& folder_arg, int count) {
  std::wstring folder = folder_arg;
  if (folder.back() != L'\\') folder += L'\\';
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::vector<std::wstring> names = RandomNames(folder);
  uint8_t* buffer = static_cast<uint8_t*>(
      ::VirtualAlloc(nullptr, 131072, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  // Alternate halves so both loops see a folder of the same size and state.
  double bare = 0, wiped = 0;
  CSafeFolders folders({FolderOf(folder)});
  const int kSlices = 10;
  for (int slice = 0; slice < kSlices; ++slice) {
    const int n = count / kSlices;
    auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
      const std::wstring path = folder + L"bare" + std::to_wstring(i) + L".txt";
      CreateSmallFile(path);
      BareLoopOne(folder, path, names, buffer);
    }
    bare += Seconds(start);
    start = Clock::now();
    for (int i = 0; i < n; ++i) {
      const std::wstring path = folder + L"wipe" + std::to_wstring(i) + L".txt";
      CreateSmallFile(path);
      WipeSmall(folders, path);
    }
    wiped += Seconds(start);
  }
  ::VirtualFree(buffer, 0, MEM_RELEASE);
  ::RemoveDirectoryW(folder.c_str());
  std::printf("small files %d: wipe+scramble %.3f s, bare loop %.3f s, ratio %.3fx\n",
              count / kSlices * kSlices, wiped, bare, wiped / bare);
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  const std::vector<std::wstring> args(argv, argv + argc);
  ::LocalFree(argv);
  InitWipeAlgos();
  const std::wstring mode = args.size() > 1 ? args[1] : L"fill";
  if (mode == L"fill") return BenchFill();
  if (mode == L"file" && args.size() > 2) return BenchFile(args[2]);
  if (mode == L"small" && args.size() > 5 && args[3] == L"count") return CountSmall(args[2], args[4], _wtoi(args[5].c_str()));
  if (mode == L"small" && args.size() > 2) {
    return BenchSmall(args[2], args.size() > 3 ? _wtoi(args[3].c_str()) : 2000);
  }
  std::printf("usage: wipe_bench_win fill | file <path> | small <folder> [count]\n");
  return 2;
}
