// The wipe engine on a real Wine volume, registry, string table and desktop.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fake_string_table.h"
#include "stream_answer.h"
#include "support/run_process.h"
#include "win_test_files.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/list_streams_win.h"
#include "wipe/random.h"
#include "wipe/scramble_name_win.h"
#include "wipe/wipe_algo.h"
#include "wipe/wipe_settings_win.h"

namespace bpriv {
namespace {

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
  const struct { size_t size; uint32_t options; CWipeAlgo* algo; DWORD attributes; size_t after; uint64_t reported;
                 bool link; int stop; std::wstring wiped; int result; } cases[] = {
      {100, 0, &g_zeroAlgo, ro, 512, 512, false, 0, path, 1}, {0, 0, &g_zeroAlgo, ro, 0, 0, false, 0, path, 1},
      {100, kWipeWholeClusters, &g_zeroAlgo, ro, 4096, 4096, false, 0, path, 1},
      {300000, 0, &g_dod3Algo, ro, 300032, 3 * (131072 / 3 * 2 + 37888 / 3), false, 0, path, 1},
      {1000, 0, nullptr, ro, 0, 0, false, 0, path, 0}, {1000, 0, &g_randomAlgo, ro, 0, 0, false, 1, path, 0},
      {1000, 0, &g_zeroAlgo, ro, 0, 0, true, 0, path, 0}, {1000, 0, &g_zeroAlgo, plain, 0, 0, true, 0, path, 0},
      {1000, 0, &g_zeroAlgo, ro, 0, 0, false, 0, folder / L"missing.dat", 0},
      {1000, 0, &g_zeroAlgo, ro, 0, 0, false, 0, L"f.dat", 0}};  // no backslash
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
    EXPECT_EQ(progress.bytes_done.load(), c.reported) << n;
    const std::u16string item(progress.current_item);
    EXPECT_EQ(item, c.result || c.stop ? std::u16string(path.begin(), path.end()) : u"") << n;
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
  for (int i = 0; r.started && r.exit_code == 0 && i < 1000; ++i, ::Sleep(10))
    if (done()) return true;
  return false;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The final-path check on the opened handle is what refuses these.
TEST(WipeFile, WritesNothingThroughAUnixSymbolicLink) {
  CTempFolder folder;
  const std::wstring real_folder = folder / L"real\\", target = real_folder + L"target.dat";
  const std::wstring links[] = {folder / L"file-link.dat", folder / L"folder-link"};
  ASSERT_TRUE(::CreateDirectoryW(real_folder.c_str(), nullptr));
  WriteBytes(target, Bytes(1000, '\x3C'));
  const struct {
    std::wstring link_target, link, wiped;
  } cases[] = {{target, links[0], links[0]}, {folder / L"real", links[1], links[1] + L"\\target.dat"}};
  for (const auto& c : cases) {
    if (!RunOnLinux(L"/bin/ln -s", {c.link_target, c.link}, [&] { return Exists(c.link); }))
      GTEST_SKIP() << "Unix symbolic links need Wine";
    EXPECT_EQ(ReadBytes(c.wiped), Bytes(1000, '\x3C')) << "the link does lead to the file";
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(c.wiped.c_str(), &g_zeroAlgo, 0, &progress, false), 0) << test::Narrow(c.wiped);
    EXPECT_EQ(ReadBytes(target), Bytes(1000, '\x3C'));
    EXPECT_EQ(progress.bytes_done.load(), 0u);
  }
  // Reached by its own name the same file is wiped: the check is no blanket refusal.
  EXPECT_EQ(WipeFile(target.c_str(), &g_zeroAlgo, 0, nullptr, false), 1);
  EXPECT_EQ(ReadBytes(target), Bytes(1024, 0));
  // Wine's own delete would follow the links.
  EXPECT_TRUE(RunOnLinux(L"/bin/rm", {links[0], links[1]}, [&] { return !Exists(links[0]) && !Exists(links[1]); }));
}

TEST(WipeFile, FileInUseOnlyWithRetry) {
  CTempFolder folder;
  const std::wstring path = folder / L"busy.dat";
  WriteBytes(path, Bytes(100, 'w'));
  // Another reader: the wiper, which shares nothing, cannot open the file.
  const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, false), 0);
  EXPECT_LT(::GetTickCount() - start, 1000u) << "no retries without retry";
  EXPECT_EQ(ReadBytes(path), Bytes(100, 'w'));
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
  WriteBytes(path, Bytes(100, 1));
  SetStreamQueryForTest(&OneExtraStream);
  std::vector<StreamEntry> list = {{9, L"old"}};
  for (LONG status : {static_cast<LONG>(0xC0000002), 0L}) {  // Wine's answer; then a missing file
    g_status = status;
    EXPECT_EQ(ListStreams((status ? path : folder / L"none.txt").c_str(), &list, true), 0);
    EXPECT_EQ(list.size(), 1u);
  }
  for (uint32_t options : {0u, kWipeStreams}) {
    WriteBytes(path, Bytes(100, 1));
    WriteBytes(path + L":extra", Bytes(1000, 2));
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
  const int listed = ListStreams(path.c_str(), &list, true);
  EXPECT_EQ(list.size(), listed ? 0u : 1u);
}

TEST(ScrambleName, FileOrFolderEndsUnderOneFullLengthName) {
  for (const wchar_t* name : {L"x.dat", L"sub\\"}) {  // a folder is renamed inside its parent
    CTempFolder folder;
    const std::wstring path = folder / name;
    ASSERT_TRUE(path.back() != L'\\' || ::CreateDirectoryW(path.c_str(), nullptr));
    WriteBytes(path.back() == L'\\' ? path + L"inner" : path, "ab");
    std::wstring final_path;
    EXPECT_EQ(ScrambleName(path, &final_path, 26), 1);
    EXPECT_EQ(final_path.size(), 255u);  // every first-attempt name fills up to 255
    const std::vector<std::wstring> names = ListFolder(folder.path());
    EXPECT_EQ(names, std::vector<std::wstring>{final_path.substr(folder.path().size())});
    EXPECT_EQ(ReadBytes(path.back() == L'\\' ? final_path + L"\\inner" : final_path), "ab");
    EXPECT_EQ(ScrambleName(folder / L"missing.dat", &final_path, 26), 1);  // nothing moves, nothing appears
    EXPECT_EQ(final_path, folder / L"missing.dat");
    EXPECT_EQ(ListFolder(folder.path()), names);
  }
}

// The executable's own string table names the algorithms as their keys do.
TEST(InitWipeAlgos, RegistersTheFiveUnderTheirResourceNames) {
  EXPECT_EQ(InitWipeAlgos(), 1);
  EXPECT_EQ(InitWipeAlgos(), 1);
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(GetAlgo(i)->GetName(), GetAlgo(i)->GetKey()) << i;
  for (int32_t i = 0; i < 5; ++i) EXPECT_FALSE(GetAlgo(i)->GetDescription().empty()) << i;
  EXPECT_NE(g_randomAlgo.GetDescription().find(L"\n"), std::wstring::npos);
}

// The system's text in a box under the caption from the string table.
TEST(ShowSystemError, ShowsTheSystemTextUnderTheCaption) {
  CFakeStringTable strings;
  strings.entries[105] = L"Wipe engine test caption";
  std::atomic<bool> shown{false};
  wchar_t box_text[1024] = {}, expected[1024] = {};
  std::thread show([&] { shown = ShowSystemError(ERROR_NOT_ENOUGH_MEMORY); });
  HWND box = nullptr;
  for (DWORD start = ::GetTickCount(); box == nullptr && ::GetTickCount() - start < 10000; ::Sleep(20))
    box = ::FindWindowW(L"#32770", L"Wipe engine test caption");
  ::GetDlgItemTextW(box, 0xFFFF, box_text, 1024);  // the box's static text
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  show.join();
  ASSERT_TRUE(box && shown);
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NOT_ENOUGH_MEMORY,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), expected, 1024, nullptr);
  EXPECT_NE(expected[0], 0);
  EXPECT_STREQ(box_text, expected);
  EXPECT_FALSE(ShowSystemError(0x2000ABCDu));  // no text for it: no box, no wait
}

// A key of the test's own: tests sharing the prefix never see each other's values.
TEST(WipeSettings, ReadsAdvOpts) {
  const std::wstring subkey = L"Software\\Corvane\\Brightsweep\\Test" + std::to_wstring(::GetCurrentProcessId());
  const auto set = [&](DWORD type, const std::vector<BYTE>& data) {  // REG_NONE: the key alone
    HKEY key = nullptr;
    ASSERT_FALSE(::RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, 0));
    if (type != REG_NONE) ::RegSetValueExW(key, L"AdvOpts", 0, type, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
  };
  const struct { bool key; DWORD type; std::vector<BYTE> data; int result; uint32_t adv_opts; } cases[] = {
      {false, REG_NONE, {}, 0, 0}, {true, REG_NONE, {}, 1, 0}, {true, REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, 1, ~1u},
      {true, REG_BINARY, {0x34, 0x12}, 1, 0x1234}, {true, REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, 1, 0}};
  for (const auto& c : cases) {
    set(REG_DWORD, {7, 0, 0, 0});  // a value read before must not survive
    ASSERT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, subkey.c_str()), 1);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, subkey.c_str());
    if (c.key) set(c.type, c.data);
    EXPECT_EQ(LoadWipeSettingsFrom(HKEY_CURRENT_USER, subkey.c_str()), c.result) << c.type;
    uint32_t adv_opts = 0xBAD;
    EXPECT_EQ(GetWipeSettings(&adv_opts), 1);
    EXPECT_EQ(adv_opts, c.adv_opts) << c.type;
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, subkey.c_str());
}

}  // namespace
}  // namespace bpriv
