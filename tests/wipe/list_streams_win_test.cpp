#include "wipe/list_streams_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "stream_answer.h"
#include "win_test_files.h"

namespace bpriv {
namespace {

LONG g_status = 0;

LONG NTAPI FakeQuery(HANDLE file, void* status_block, void* buffer, ULONG length, int info_class) {
  // The process buffer and the stream class, on an open file.
  if (file == INVALID_HANDLE_VALUE || length != kStreamAnswerBytes || info_class != kFileStreamInformation) {
    return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
  }
  const std::vector<uint8_t> answer = StreamAnswer({{"::$DATA", 3}, {":a:$DATA", 10}, {":longer:$DATA", 20}});
  std::memset(buffer, 0xAB, length);  // stale bytes beyond the answer
  std::copy(answer.begin(), answer.end(), static_cast<uint8_t*>(buffer));
  static_cast<ULONG_PTR*>(status_block)[1] = answer.size();  // Information
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
  };
  const Case cases[] = {
      {"listed", path, 0, 1},
      {"not implemented (Wine)", path, static_cast<LONG>(0xC0000002), 0},
      {"answer too long", path, static_cast<LONG>(0x80000005), 0},
      {"file cannot be opened", folder / L"none.txt", 0, 0},
  };
  SetStreamQueryForTest(&FakeQuery);
  for (const Case& c : cases) {
    g_status = c.status;
    std::vector<StreamEntry> list = {{9, L"old"}};
    EXPECT_EQ(ListStreams(c.path.c_str(), &list, true), c.result) << c.what;
    std::vector<std::wstring> names;
    for (const StreamEntry& e : list) names.push_back(e.name);
    const std::vector<std::wstring> expected =
        c.result ? std::vector<std::wstring>{L":a", L":longer"} : std::vector<std::wstring>{L"old"};
    EXPECT_EQ(names, expected) << c.what;
  }
  SetStreamQueryForTest(nullptr);

  // The real query: Wine lacks it (no streams, quietly), Windows lists only
  // the main stream, which is left out.
  std::vector<StreamEntry> list = {{9, L"old"}};
  const int result = ListStreams(path.c_str(), &list, true);
  EXPECT_EQ(list.size(), result ? 0u : 1u);
}

}  // namespace
}  // namespace bpriv
