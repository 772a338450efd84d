// The wipe engine on a real Wine volume and string table.
#include <gtest/gtest.h>

#include <thread>

#include "fake_string_table.h"
#include "stream_answer.h"
#include "win_test_files.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/list_streams_win.h"
#include "wipe/random.h"
#include "wipe/seed_inputs_win.h"
#include "wipe/wipe_platform_win.h"
#include "wipe/wipe_settings_win.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

using test::ReadBytes, test::WriteBytes;
using Bytes = std::string;

// The wiper over a file in a test folder; the temporary folder is the anchor.
int Wipe(const std::wstring& path, CWipeAlgo* algo, uint32_t options, ProgressRecord* progress, bool retry) {
  wchar_t temp[MAX_PATH];
  CSafeFolders folders({std::wstring(temp, ::GetTempPathW(MAX_PATH, temp))});
  CSafeFile file;
  return WipeFile(folders, path, algo, options, progress, retry, &file);
}

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
    EXPECT_EQ(Wipe(c.wiped, c.algo, c.options, &progress, false), c.result) << n;
    EXPECT_TRUE(ReadBytes(path) == (c.result ? expected : Bytes(c.size, '\x5C'))) << n;
    EXPECT_EQ(std::u16string(progress.current_item), c.result || c.stop ? std::u16string(path.begin(), path.end()) : u"");
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY,
              c.result || c.stop ? 0u : c.attributes & FILE_ATTRIBUTE_READONLY) << n;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(other.c_str());
  }
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

// Opens what Wine has for a stream: the file named after the stream.
HANDLE StreamAsFile(HANDLE file, const std::wstring& name) {
  wchar_t path[MAX_PATH];
  const DWORD n = ::GetFinalPathNameByHandleW(file, path, MAX_PATH, 0);
  if (n == 0 || n >= MAX_PATH) return INVALID_HANDLE_VALUE;
  return ::CreateFileW((path + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_NO_BUFFERING, nullptr);
}

TEST(WipeFile, StreamsOnlyWhenAskedAndAFileInUseOnlyWithRetry) {
  CTempFolder folder;
  const std::wstring path = folder / L"s.dat";
  SetStreamQueryForTest(&OneExtraStream);
  SetStreamOpenForTest(&StreamAsFile);
  for (uint32_t options : {0u, kWipeStreams}) {
    WriteBytes(path, Bytes(100, 1));
    WriteBytes(path + L":extra", Bytes(1000, 2));
    ProgressRecord progress;
    EXPECT_EQ(Wipe(path, &g_zeroAlgo, options, &progress, false), 1);
    EXPECT_EQ(ReadBytes(path + L":extra"), options ? Bytes(1024, 0) : Bytes(1000, 2));
    EXPECT_EQ(progress.bytes_done.load(), options ? 512u + 1024u : 512u);
  }
  SetStreamQueryForTest(nullptr);
  SetStreamOpenForTest(nullptr);
  // Another reader: the wiper, which shares nothing, opens it only by retrying.
  const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(Wipe(path, &g_zeroAlgo, 0, nullptr, false), 0);
  std::thread release([&] { ::Sleep(300), ::CloseHandle(holder); });
  EXPECT_EQ(Wipe(path, &g_zeroAlgo, 0, nullptr, true), 1);
  release.join();
}

// The platform as the wipe engine reads it: AdvOpts of any type up to 4 bytes
// (0 when longer or absent, result 0 without the key); the seed inputs of
// this thread and process; the stream query found in ntdll; the system's text
// for an error in a box with the resources' caption, no box without a text.
TEST(WipePlatform, SettingsSeedInputsStreamQueryAndErrorBox) {
  const wchar_t kKey[] = L"Software\\BprivTest";
  uint32_t word = 1;
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  EXPECT_TRUE(LoadWipeSettingsFrom(HKEY_CURRENT_USER, kKey) == 0 && GetWipeSettings(&word) == 1 && word == 0);
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
  const struct { DWORD type; Bytes value; uint32_t word; } cases[] = {
      {REG_DWORD, "\x78\x56\x34\x12", 0x12345678}, {REG_BINARY, "\x01\x82", 0x8201}, {REG_SZ, "1\0\0\0", 0x31},
      {REG_BINARY, "\x01\x02\x03\x04\x05", 0}};
  for (const auto& c : cases) {
    ::RegSetValueExW(key, kAdvOptsValue, 0, c.type, reinterpret_cast<const BYTE*>(c.value.data()), DWORD(c.value.size()));
    EXPECT_TRUE(LoadWipeSettingsFrom(HKEY_CURRENT_USER, kKey) == 1 && GetWipeSettings(&word) && word == c.word) << c.word;
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  const DWORD tick = ::GetTickCount();
  ASSERT_TRUE(::SetCursorPos(17, 23));
  const SeedInputs in = ReadPlatformSeedInputs();
  EXPECT_TRUE(in.thread_id == ::GetCurrentThreadId() && in.process_id == ::GetCurrentProcessId() && in.tick - tick < 1000);
  EXPECT_TRUE(in.cursor_x == 17 && in.cursor_y == 23) << in.cursor_x << "," << in.cursor_y;
  EXPECT_EQ(reinterpret_cast<void*>(FindStreamQuery()),
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
  EXPECT_FALSE(ShowSystemError(0x2000FFFF)) << "an error the system has no text for";
  for (const wchar_t* caption : {L"Wipe error", L"Brightsweep"}) {  // the table's, or the fallback without one
    CFakeStringTable strings;
    if (caption[0] == L'W') strings.entries[105] = caption;
    std::thread user([caption] {
      HWND box = nullptr;
      EXPECT_TRUE(test::WaitUntil([&] { return (box = ::FindWindowW(L"#32770", caption)) != nullptr; }));
      if (!box) box = ::FindWindowW(L"#32770", nullptr);  // another caption: closed all the same
      EXPECT_TRUE(::GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "system-modal: on top";
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(ShowSystemError(ERROR_NOT_ENOUGH_MEMORY));
    user.join();
  }
}

}  // namespace
}  // namespace bpriv
