#include "wipe/file_wiper_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "stream_answer.h"
#include "support/run_process.h"
#include "win_test_files.h"
#include "wipe/list_streams_win.h"
#include "wipe/random.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

// Real Wine volume: 512-byte sectors, 8 per cluster. Read-only goes; the last
// pass stays, and the random pass draws one sequence over its chunks.
TEST(WipeFile, RaisesTheFileToTheVolumesGranularity) {
  const struct {
    size_t size;
    uint32_t options;
    CWipeAlgo* algo;
    size_t after;
    uint64_t reported;
  } cases[] = {{100, 0, &g_zeroAlgo, 512, 512},
               {100, kWipeWholeClusters, &g_zeroAlgo, 4096, 4096},
               {0, 0, &g_zeroAlgo, 0, 0},
               {300000, 0, &g_dod3Algo, 300032, 3 * (131072 / 3 * 2 + 37888 / 3)}};
  CTempFolder folder;
  const std::wstring path = folder / L"f.dat";
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteBytes(path, Bytes(c.size, 0xA5)));
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::vector<uint8_t> expected(c.after, 0);
    SetRandomStateForTest(777);
    if (c.algo == &g_dod3Algo) FillRandom(expected.data(), static_cast<uint32_t>(c.after));
    SetRandomStateForTest(777);
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(path.c_str(), c.algo, c.options, &progress, false), 1);
    EXPECT_TRUE(ReadBytes(path) == expected) << c.size << " " << c.options;
    EXPECT_EQ(progress.bytes_done.load(), c.reported);
    EXPECT_EQ(std::u16string(progress.current_item), std::u16string(path.begin(), path.end()));
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  }
}

TEST(WipeFile, LeavesTheFileAloneWhenItCannotWipe) {
  CTempFolder folder;
  const std::wstring path = folder / L"keep.dat", other = folder / L"other-name.dat";
  const DWORD ro = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  const struct {
    const char* what;
    bool hard_link;
    CWipeAlgo* algo;
    std::wstring path;
    int stop;
    DWORD attributes;
  } cases[] = {
      {"no algorithm", false, nullptr, path, 0, ro},
      {"stop flag set before the call", false, &g_randomAlgo, path, 1, ro},
      {"hard link, read-only", true, &g_zeroAlgo, path, 0, ro},
      {"hard link", true, &g_zeroAlgo, path, 0, FILE_ATTRIBUTE_ARCHIVE},
      {"missing file", false, &g_zeroAlgo, folder / L"missing.dat", 0, ro},
      {"no backslash", false, &g_zeroAlgo, L"keep.dat", 0, ro},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteBytes(path, Bytes(1000, 0x5C)));
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), c.attributes));
    ASSERT_TRUE(!c.hard_link || ::CreateHardLinkW(other.c_str(), path.c_str(), nullptr));
    ProgressRecord progress;
    progress.stop_flag = c.stop;
    EXPECT_EQ(WipeFile(c.path.c_str(), c.algo, 0, &progress, false), 0) << c.what;
    EXPECT_EQ(ReadBytes(path), Bytes(1000, 0x5C)) << c.what;
    EXPECT_EQ(progress.bytes_done.load(), 0u);
    // Only the stop request comes after the attributes were cleared.
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY,
              c.stop ? 0u : (c.attributes & FILE_ATTRIBUTE_READONLY)) << c.what;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(other.c_str());
  }
}

// Starts a Linux program with Windows paths as its arguments and waits until
// `done` says so (at most 10 s); only under Wine (false elsewhere: "start
// /wait" does not wait for a Linux program). Links made this way are what Wine
// reports as plain files and folders, by path and by handle.
bool RunOnLinux(const std::wstring& program, std::initializer_list<std::wstring> paths,
                const std::function<bool()>& done) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return false;
  std::wstring args;
  for (const std::wstring& path : paths) {
    char* unix_path = to_unix(path.c_str());
    if (unix_path == nullptr) return false;
    args += L" " + std::wstring(unix_path, unix_path + std::strlen(unix_path));
    ::HeapFree(::GetProcessHeap(), 0, unix_path);
  }
  const std::wstring start = L"C:\\windows\\system32\\start.exe";
  const test::ProcessResult r = test::RunProcess(start, start + L" /wait /unix " + program + args);
  for (int i = 0; r.started && r.exit_code == 0 && i < 1000; ++i, ::Sleep(10))
    if (done()) return true;
  return false;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(WipeFile, WritesNothingThroughAUnixSymbolicLink) {
  CTempFolder folder;
  const std::wstring real_folder = folder / L"real\\", target = real_folder + L"target.dat";
  ASSERT_TRUE(::CreateDirectoryW(real_folder.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(target, Bytes(1000, 0x3C)));
  const struct {
    const char* what;
    std::wstring link_target, link, wiped;
  } cases[] = {
      {"the name itself", target, folder / L"file-link.dat", folder / L"file-link.dat"},
      {"a parent folder", folder / L"real", folder / L"folder-link", folder / L"folder-link\\target.dat"},
  };
  for (const auto& c : cases) {
    if (!RunOnLinux(L"/bin/ln -s", {c.link_target, c.link}, [&] { return Exists(c.link); }))
      GTEST_SKIP() << "Unix symbolic links need Wine";
    EXPECT_EQ(ReadBytes(c.wiped), Bytes(1000, 0x3C)) << c.what << ": the link does lead to the file";
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(c.wiped.c_str(), &g_zeroAlgo, 0, &progress, false), 0) << c.what;
    EXPECT_EQ(ReadBytes(target), Bytes(1000, 0x3C)) << c.what;
    EXPECT_EQ(progress.bytes_done.load(), 0u) << c.what;
  }
  // Reached by its own name the same file is wiped: the check is no blanket refusal.
  EXPECT_EQ(WipeFile(target.c_str(), &g_zeroAlgo, 0, nullptr, false), 1);
  EXPECT_EQ(ReadBytes(target), Bytes(1024, 0));
  // Wine's own delete would follow the links.
  const std::wstring links[] = {folder / L"file-link.dat", folder / L"folder-link"};
  EXPECT_TRUE(RunOnLinux(L"/bin/rm", {links[0], links[1]}, [&] { return !Exists(links[0]) && !Exists(links[1]); }));
}

TEST(WipeFile, FileInUse) {
  CTempFolder folder;
  const std::wstring path = folder / L"busy.dat";
  ASSERT_TRUE(WriteBytes(path, Bytes(100, 0x77)));
  // Another reader: the wiper, which shares nothing, cannot open the file.
  const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, false), 0);
  EXPECT_LT(::GetTickCount() - start, 1000u) << "no retries without retry";
  EXPECT_EQ(ReadBytes(path), Bytes(100, 0x77));
  std::thread release([&] { ::Sleep(300), ::CloseHandle(holder); });
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, true), 1);  // once it is let go
  release.join();
  EXPECT_EQ(ReadBytes(path), Bytes(512, 0));
}

LONG g_status = 0;

// Stands in for the native query, which Wine lacks: one named stream. Under
// Wine "name:extra" is an ordinary file of that name, on Windows the stream,
// so the wipe is checked the same way on both.
LONG NTAPI OneExtraStream(HANDLE file, void* status_block, void* buffer, ULONG length, int info_class) {
  if (file == INVALID_HANDLE_VALUE || length != kStreamAnswerBytes || info_class != kFileStreamInformation)
    return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
  const std::vector<uint8_t> answer = StreamAnswer({{"::$DATA", 100}, {":extra:$DATA", 1000}});
  std::memset(buffer, 0xAB, length);  // stale bytes beyond the answer
  std::copy(answer.begin(), answer.end(), static_cast<uint8_t*>(buffer));
  static_cast<ULONG_PTR*>(status_block)[1] = answer.size();  // IO_STATUS_BLOCK::Information
  return g_status;
}

TEST(WipeFile, OverwritesListedStreamsOnlyWhenAsked) {
  CTempFolder folder;
  const std::wstring path = folder / L"s.dat";
  ASSERT_TRUE(WriteBytes(path, Bytes(100, 1)));
  SetStreamQueryForTest(&OneExtraStream);
  const struct {
    std::wstring path;
    LONG status;
  } failing[] = {{path, static_cast<LONG>(0xC0000002)}, {folder / L"none.txt", 0}};  // Wine's answer; no file
  for (const auto& c : failing) {
    g_status = c.status;
    std::vector<StreamEntry> list = {{9, L"old"}};
    EXPECT_EQ(ListStreams(c.path.c_str(), &list, true), 0);
    EXPECT_EQ(list.size(), 1u);
  }
  g_status = 0;
  for (uint32_t options : {0u, kWipeStreams}) {
    ASSERT_TRUE(WriteBytes(path, Bytes(100, 1)));
    ASSERT_TRUE(WriteBytes(path + L":extra", Bytes(1000, 2)));
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, options, &progress, false), 1);
    EXPECT_EQ(ReadBytes(path), Bytes(512, 0));
    EXPECT_EQ(ReadBytes(path + L":extra"), options ? Bytes(1024, 0) : Bytes(1000, 2));
    EXPECT_EQ(progress.bytes_done.load(), options ? 512u + 1024u : 512u);
    EXPECT_EQ(progress.current_item[0] == 0, options != 0);
  }
  SetStreamQueryForTest(nullptr);
  // The real query: Wine lacks it (no streams, quietly), Windows lists only
  // the main stream, which is left out.
  std::vector<StreamEntry> list = {{9, L"old"}};
  EXPECT_EQ(list.size(), ListStreams(path.c_str(), &list, true) ? 0u : 1u);
}

}  // namespace
}  // namespace bpriv
