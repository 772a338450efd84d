#include "wipe/stream_walk.h"

#include <gtest/gtest.h>

#include "stream_answer.h"

namespace bpriv {
namespace {

using Streams = std::vector<std::pair<std::string, uint64_t>>;

TEST(StreamWalk, ListsNamedStreams) {
  struct Case {
    Streams answer;
    bool remove_suffix;
    Streams expected;
  };
  const Case cases[] = {
      {{{"::$DATA", 100}, {":a:$DATA", 5}, {":longer:$DATA", 70000}}, true, {{":a", 5}, {":longer", 70000}}},
      {{{":longer:$DATA", 70000}, {":a:$DATA", 5}}, true, {{":longer", 70000}, {":a", 5}}},
      {{{"::$data", 1}, {"::$DaTa", 2}, {":x:$DATA", 3}}, false, {{":x:$DATA", 3}}},
      {{{":x", 0x100000000ull}, {"::$DATAX", 4}}, true, {{":x", 0x100000000ull}, {":", 4}}},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> answer = StreamAnswer(c.answer);
    std::vector<StreamEntry> list = {{9, L"stale"}};
    ASSERT_TRUE(ReadStreamRecords(answer.data(), answer.size(), c.remove_suffix, &list));
    ASSERT_EQ(list.size(), c.expected.size());
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].name, std::wstring(c.expected[i].first.begin(), c.expected[i].first.end()));
      EXPECT_EQ(list[i].size, c.expected[i].second);
    }
  }
  std::vector<StreamEntry> list = {{9, L"stale"}};
  EXPECT_TRUE(ReadStreamRecords(nullptr, 0, true, &list));  // an empty answer
  EXPECT_TRUE(list.empty());
}

TEST(StreamWalk, NeverReadsPastTheAnswer) {
  const std::vector<uint8_t> good = StreamAnswer({{"::$DATA", 1}, {":abc:$DATA", 2}});
  const size_t second = (kStreamName + 14 + 7) / 8 * 8;  // after the "::$DATA" record
  struct Case {
    const char* what;
    size_t length;    // bytes of `good` handed to the walk
    size_t patch_at;  // where `patch` goes, or SIZE_MAX
    uint32_t patch;
  };
  const Case cases[] = {
      {"cut inside the second header", second + 10, SIZE_MAX, 0},
      {"cut inside the second name", good.size() - 10, SIZE_MAX, 0},
      {"next offset past the end", good.size(), kStreamNextOffset, 0x7FFFFFF0u},
      {"next offset to the very end", good.size(), kStreamNextOffset, static_cast<uint32_t>(good.size())},
      {"name length past the end", good.size(), second + kStreamNameLength, 0x1000u},
      {"odd name length", good.size(), second + kStreamNameLength, 7u},
  };
  for (const Case& c : cases) {
    // A copy of exactly the given length, so ASan sees any read beyond it.
    std::vector<uint8_t> bytes(good.begin(), good.begin() + c.length);
    for (int b = 0; c.patch_at != SIZE_MAX && b < 4; ++b) bytes[c.patch_at + b] = static_cast<uint8_t>(c.patch >> (8 * b));
    std::vector<StreamEntry> list = {{9, L"kept"}};
    EXPECT_FALSE(ReadStreamRecords(bytes.data(), bytes.size(), true, &list)) << c.what;
    ASSERT_EQ(list.size(), 1u) << c.what;
    EXPECT_EQ(list[0].name, L"kept");
  }
}

}  // namespace
}  // namespace bpriv
