#include "wipe/file_wiper_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "stream_answer.h"
#include "win_test_files.h"
#include "wipe/list_streams_win.h"
#include "wipe/random.h"
#include "wipe/wipe_algo.h"

namespace bpriv {

namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

TEST(WipeFile, RaisesTheFileToTheGranularity) {
  struct Case {
    size_t size;
    uint32_t options;
    size_t wiped_size;  // C: under Wine: 512-byte sectors, 8 per cluster
  };
  const Case cases[] = {
      {100, 0, 512}, {100, kWipeWholeClusters, 4096}, {100, 0xFF & ~kWipeWholeClusters, 512},
      {0, 0, 0},     {4096, kWipeWholeClusters, 4096}, {4097, 0, 4608},
  };
  CTempFolder folder;
  for (const Case& c : cases) {
    const std::wstring path = folder / L"f.dat";
    ASSERT_TRUE(WriteBytes(path, Bytes(c.size, 0xA5)));
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, c.options, &progress, false), 1) << c.size;
    EXPECT_EQ(ReadBytes(path), Bytes(c.wiped_size, 0)) << c.size << " " << c.options;
    EXPECT_EQ(progress.bytes_done.load(), c.wiped_size);
    EXPECT_EQ(std::u16string(progress.current_item),
              std::u16string(reinterpret_cast<const char16_t*>(path.c_str())));
  }
}

TEST(WipeFile, LastPassIsWhatRemains) {
  CTempFolder folder;
  const std::wstring path = folder / L"big.dat";
  ASSERT_TRUE(WriteBytes(path, Bytes(300000, 0x11)));
  // Passes 0 and 1 draw nothing; pass 2 draws one sequence over its chunks.
  std::vector<uint8_t> expected(300032);
  SetRandomStateForTest(777);
  FillRandom(expected.data(), static_cast<uint32_t>(expected.size()));
  SetRandomStateForTest(777);
  ProgressRecord progress;
  EXPECT_EQ(WipeFile(path.c_str(), &g_dod3Algo, 0, &progress, false), 1);
  EXPECT_TRUE(ReadBytes(path) == expected);
  EXPECT_EQ(progress.bytes_done.load(), 3u * (131072 / 3 * 2 + 37888 / 3));
}

TEST(WipeFile, ClearsReadOnlyAndWipes) {
  CTempFolder folder;
  const std::wstring path = folder / L"ro.dat";
  ASSERT_TRUE(WriteBytes(path, Bytes(700, 0x33)));
  ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(WipeFile(path.c_str(), &g_dod7Algo, 0, nullptr, false), 1);
  EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadBytes(path).size(), 1024u);
}

TEST(WipeFile, LeavesTheFileAloneWhenItCannotWipe) {
  CTempFolder folder;
  const std::wstring path = folder / L"keep.dat";
  const std::wstring other = folder / L"other-name.dat";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    CWipeAlgo* algo;
    std::wstring path;
    int stop;
    DWORD attributes;
  };
  const auto link = [&] { ASSERT_TRUE(::CreateHardLinkW(other.c_str(), path.c_str(), nullptr)); };
  const DWORD ro = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  const Case cases[] = {
      {"no algorithm", [] {}, nullptr, path, 0, ro},
      {"stop flag set before the call", [] {}, &g_randomAlgo, path, 1, ro},
      {"hard link, read-only", link, &g_zeroAlgo, path, 0, ro},
      {"hard link", link, &g_zeroAlgo, path, 0, FILE_ATTRIBUTE_ARCHIVE},
      {"missing file", [] {}, &g_zeroAlgo, folder / L"missing.dat", 0, ro},
      {"no backslash", [] {}, &g_zeroAlgo, L"keep.dat", 0, ro},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBytes(path, Bytes(1000, 0x5C)));
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), c.attributes));
    c.arrange();
    ProgressRecord progress;
    progress.stop_flag = c.stop;
    EXPECT_EQ(WipeFile(c.path.c_str(), c.algo, 0, &progress, false), 0) << c.what;
    EXPECT_EQ(ReadBytes(path), Bytes(1000, 0x5C)) << c.what;
    EXPECT_EQ(progress.bytes_done.load(), 0u);
    // A refused wipe changes nothing, not even the attributes; the stop
    // request comes after the attributes were cleared and the file opened.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const DWORD expected = c.stop ? 0u : (c.attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, expected) << c.what;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW(other.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(other.c_str());
  }
}

TEST(WipeFile, FileInUse) {
  CTempFolder folder;
  const std::wstring path = folder / L"busy.dat";
  ASSERT_TRUE(WriteBytes(path, Bytes(100, 0x77)));
  // Another reader: the wiper, which shares nothing, cannot open it.
  HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, false), 0);
  EXPECT_LT(::GetTickCount() - start, 1000u) << "no retries without retry";
  EXPECT_EQ(ReadBytes(path), Bytes(100, 0x77));
  {
    // With retry the wipe goes through once the other user lets go.
    CTestThread release([&] {
      ::Sleep(300);
      ::CloseHandle(holder);
    });
    EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, 0, nullptr, true), 1);
  }
  EXPECT_EQ(ReadBytes(path), Bytes(512, 0));
}

// Stands in for the native query, which Wine does not implement: lists one
// named stream. Under Wine "name:extra" is an ordinary file of that name,
// on Windows the stream itself, so the wipe is checked the same way on both.
LONG NTAPI OneExtraStream(HANDLE, void* status_block, void* buffer, ULONG length, int) {
  const std::vector<uint8_t> answer = StreamAnswer({{"::$DATA", 100}, {":extra:$DATA", 1000}});
  if (length < answer.size()) return static_cast<LONG>(0x80000005);
  std::copy(answer.begin(), answer.end(), static_cast<uint8_t*>(buffer));
  static_cast<ULONG_PTR*>(status_block)[1] = answer.size();  // IO_STATUS_BLOCK::Information
  return 0;
}

TEST(WipeFile, OverwritesListedStreamsOnlyWhenAsked) {
  CTempFolder folder;
  const std::wstring path = folder / L"s.dat";
  const std::wstring stream = path + L":extra";
  SetStreamQueryForTest(&OneExtraStream);
  for (uint32_t options : {0u, kWipeStreams}) {
    ASSERT_TRUE(WriteBytes(path, Bytes(100, 1)));
    ASSERT_TRUE(WriteBytes(stream, Bytes(1000, 2)));
    ProgressRecord progress;
    EXPECT_EQ(WipeFile(path.c_str(), &g_zeroAlgo, options, &progress, false), 1);
    EXPECT_EQ(ReadBytes(path), Bytes(512, 0));
    if (options & kWipeStreams) {
      EXPECT_EQ(ReadBytes(stream), Bytes(1024, 0));
      EXPECT_EQ(progress.bytes_done.load(), 512u + 1024u);
      EXPECT_EQ(progress.current_item[0], 0);
    } else {
      EXPECT_EQ(ReadBytes(stream), Bytes(1000, 2));
    }
  }
  SetStreamQueryForTest(nullptr);
}

}  // namespace

}  // namespace bpriv
