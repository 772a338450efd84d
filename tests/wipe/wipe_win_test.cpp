// The wipe engine on a real Wine volume and string table.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>

#include "stream_answer.h"
#include "win_test_files.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/list_streams_win.h"
#include "wipe/random.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

using test::Exists;
using test::ReadBytes;
using test::WriteBytes;
using Bytes = std::string;

// Real Wine volume: 512-byte sectors, 8 per cluster; the last pass stays, and
// the random pass draws one sequence over its chunks. A file it cannot wipe
// (one of two hard links, checked on the handle that clears read-only and on
// the one that writes) keeps its bytes and, unless stopped, its attributes.
TEST(WipeFile, RaisesToTheVolumesGranularityOrLeavesTheFileAlone) {
  CTempFolder folder;
  const std::wstring path = folder / L"f.dat", other = folder / L"other.dat";
  const DWORD ro = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, plain = FILE_ATTRIBUTE_ARCHIVE;
  const struct { size_t size; uint32_t options; CWipeAlgo* algo; DWORD attributes; size_t after; bool link; int stop;
                 std::wstring wiped; int result; } cases[] = {
      {100, 0, &g_zeroAlgo, ro, 512, false, 0, path, 1},    {0, 0, &g_zeroAlgo, ro, 0, false, 0, path, 1},
      {100, kWipeWholeClusters, &g_zeroAlgo, ro, 4096, false, 0, path, 1},
      {300000, 0, &g_dod3Algo, ro, 300032, false, 0, path, 1},
      {1000, 0, nullptr, ro, 0, false, 0, path, 0},         {1000, 0, &g_randomAlgo, ro, 0, false, 1, path, 0},
      {1000, 0, &g_zeroAlgo, ro, 0, true, 0, path, 0},      {1000, 0, &g_zeroAlgo, plain, 0, true, 0, path, 0},
      {1000, 0, &g_zeroAlgo, ro, 0, false, 0, L"f.dat", 0}};  // no backslash
  for (size_t n = 0; n < std::size(cases); ++n) {
    const auto& c = cases[n];
    WriteBytes(path, Bytes(c.size, '\x5C'));
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), c.attributes));
    ASSERT_TRUE(!c.link || ::CreateHardLinkW(other.c_str(), path.c_str(), nullptr));
    Bytes expected(c.after, 0);
    SetRandomStateForTest(777);  // proved against the one-step definition in the host tree
    if (c.algo == &g_dod3Algo) FillRandom(expected.data(), static_cast<uint32_t>(c.after));
    SetRandomStateForTest(777);
    ProgressRecord progress;
    progress.stop_flag = c.stop;
    EXPECT_EQ(WipeFile(c.wiped.c_str(), c.algo, c.options, &progress, false), c.result) << n;
    EXPECT_TRUE(ReadBytes(path) == (c.result ? expected : Bytes(c.size, '\x5C'))) << n;
    EXPECT_EQ(std::u16string(progress.current_item), c.result || c.stop ? std::u16string(path.begin(), path.end()) : u"");
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY,
              c.result || c.stop ? 0u : c.attributes & FILE_ATTRIBUTE_READONLY) << n;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(other.c_str());
  }
}

// Starts a Linux program with Windows paths as its arguments and waits until
// `done` says so (at most 10 s); false outside Wine. Links made this way are
// what Wine reports as plain files and folders, by path and by handle.
bool RunOnLinux(const std::wstring& program, std::initializer_list<std::wstring> paths,
                const std::function<bool()>& done) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  std::wstring args;
  for (const std::wstring& path : paths) {
    char* unix_path = to_unix ? to_unix(path.c_str()) : nullptr;
    if (unix_path == nullptr) return false;
    args += L" " + std::wstring(unix_path, unix_path + std::strlen(unix_path));
    ::HeapFree(::GetProcessHeap(), 0, unix_path);
  }
  const std::wstring start = L"C:\\windows\\system32\\start.exe";
  const test::ProcessResult r = test::RunProcess(start, start + L" /wait /unix " + program + args);
  return r.started && r.exit_code == 0 && test::WaitUntil(done, 10000);
}

// The final-path check on the opened handle is what refuses these.
TEST(WipeFile, WritesNothingThroughAUnixSymbolicLink) {
  CTempFolder folder;
  const std::wstring real_folder = folder / L"real\\", target = real_folder + L"target.dat";
  const std::wstring links[] = {folder / L"file-link.dat", folder / L"folder-link"};
  ASSERT_TRUE(::CreateDirectoryW(real_folder.c_str(), nullptr));
  WriteBytes(target, Bytes(1000, '\x3C'));
  const struct { std::wstring link_target, link, wiped; } cases[] = {
      {target, links[0], links[0]}, {folder / L"real", links[1], links[1] + L"\\target.dat"}};
  for (const auto& c : cases) {
    // Made, and leading to the file; otherwise not under Wine.
    if (!RunOnLinux(L"/bin/ln -s", {c.link_target, c.link}, [&] { return ReadBytes(c.wiped) == Bytes(1000, '\x3C'); }))
      GTEST_SKIP() << "Unix symbolic links need Wine";
    EXPECT_EQ(WipeFile(c.wiped.c_str(), &g_zeroAlgo, 0, nullptr, false), 0) << test::Narrow(c.wiped);
    EXPECT_EQ(ReadBytes(target), Bytes(1000, '\x3C'));
  }
  // Wine's own delete would follow the links.
  EXPECT_TRUE(RunOnLinux(L"/bin/rm", {links[0], links[1]}, [&] { return !Exists(links[0]) && !Exists(links[1]); }));
}

// Stands in for the native query, which Wine lacks: one named stream. Under
// Wine "name:extra" is an ordinary file of that name, on Windows the stream.
LONG NTAPI OneExtraStream(HANDLE file, void* status_block, void* buffer, ULONG length, int info_class) {
  if (file == INVALID_HANDLE_VALUE || length != kStreamAnswerBytes || info_class != kFileStreamInformation)
    return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
  const std::vector<uint8_t> answer = StreamAnswer({{"::$DATA", 100}, {":extra:$DATA", 1000}});
  std::copy(answer.begin(), answer.end(), static_cast<uint8_t*>(buffer));
  static_cast<ULONG_PTR*>(status_block)[1] = answer.size();  // IO_STATUS_BLOCK::Information
  return 0;
}

TEST(WipeFile, StreamsOnlyWhenAskedAndAFileInUseOnlyWithRetry) {
  CTempFolder folder;
  const std::wstring path = folder / L"s.dat";
  SetStreamQueryForTest(&OneExtraStream);
  for (uint32_t options : {0u, kWipeStreams}) {
    WriteBytes(path, Bytes(100, 1));
    WriteBytes(path + L":extra", Bytes(1000, 2));
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, options, &progress, false), 1);
    EXPECT_EQ(ReadBytes(path + L":extra"), options ? Bytes(1024, 0) : Bytes(1000, 2));
    EXPECT_EQ(progress.bytes_done.load(), options ? 512u + 1024u : 512u);
  }
  SetStreamQueryForTest(nullptr);
  // Another reader: the wiper, which shares nothing, opens it only by retrying.
  const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, false), 0);
  std::thread release([&] { ::Sleep(300), ::CloseHandle(holder); });
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, true), 1);
  release.join();
}

// The executable's own string table names the algorithms as their keys do.
TEST(InitWipeAlgos, RegistersTheFiveUnderTheirResourceNames) {
  EXPECT_EQ(InitWipeAlgos(), 1);
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i)
    EXPECT_TRUE(GetAlgo(i)->GetName() == GetAlgo(i)->GetKey() && !GetAlgo(i)->GetDescription().empty()) << i;
}

}  // namespace
}  // namespace bpriv
