#include "wipe/list_streams_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "stream_answer.h"
#include "win_test_files.h"

namespace bpriv {

namespace {

std::vector<uint8_t> g_answer;
LONG g_status = 0;
int g_calls = 0;

LONG NTAPI FakeQuery(HANDLE file, void* status_block, void* buffer, ULONG length, int info_class) {
  ++g_calls;
  // The walk must get the process buffer and the stream class, on an open file.
  if (file == INVALID_HANDLE_VALUE || length != kStreamAnswerBytes ||
      info_class != kFileStreamInformation) {
    return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
  }
  std::memset(buffer, 0xAB, length);  // stale bytes beyond the answer
  std::copy(g_answer.begin(), g_answer.end(), static_cast<uint8_t*>(buffer));
  static_cast<ULONG_PTR*>(status_block)[1] = g_answer.size();  // Information
  return g_status;
}

TEST(ListStreams, ResultsOfTheQuery) {
  CTempFolder folder;
  const std::wstring path = folder / L"a.txt";
  ASSERT_TRUE(WriteBytes(path, {1, 2, 3}));
  struct Case {
    const char* what;
    std::wstring path;
    LONG status;
    int result;
    size_t entries;  // SIZE_MAX: the list is left as it was
  };
  const Case cases[] = {
      {"listed", path, 0, 1, 2},
      {"not implemented (Wine)", path, static_cast<LONG>(0xC0000002), 0, SIZE_MAX},
      {"answer too long", path, static_cast<LONG>(0x80000005), 0, SIZE_MAX},
      {"file cannot be opened", folder / L"none.txt", 0, 0, SIZE_MAX},
  };
  g_answer = StreamAnswer({{"::$DATA", 3}, {":a:$DATA", 10}, {":longer:$DATA", 20}});
  SetStreamQueryForTest(&FakeQuery);
  for (const Case& c : cases) {
    g_status = c.status;
    std::vector<StreamEntry> list = {{9, L"old"}};
    EXPECT_EQ(ListStreams(c.path.c_str(), &list, true), c.result) << c.what;
    if (c.entries == SIZE_MAX) {
      ASSERT_EQ(list.size(), 1u) << c.what;
      EXPECT_EQ(list[0].name, L"old");
    } else {
      ASSERT_EQ(list.size(), c.entries) << c.what;
      EXPECT_EQ(list[0].name, L":a");
      EXPECT_EQ(list[1].name, L":longer");
      EXPECT_EQ(list[1].size, 20u);
    }
  }
  SetStreamQueryForTest(nullptr);
}

TEST(ListStreams, RealQueryListsNoNamedStreamOfAPlainFile) {
  CTempFolder folder;
  const std::wstring path = folder / L"plain.txt";
  ASSERT_TRUE(WriteBytes(path, {1, 2, 3}));
  std::vector<StreamEntry> list = {{9, L"old"}};
  // Wine does not implement the query (no streams, quietly); Windows lists
  // only the main stream, which is left out.
  const int result = ListStreams(path.c_str(), &list, true);
  if (result == 0) {
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, L"old");
  } else {
    EXPECT_TRUE(list.empty());
  }
}

}  // namespace

}  // namespace bpriv
