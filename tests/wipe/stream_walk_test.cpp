#include "wipe/stream_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stream_answer.h"

namespace bpriv {

namespace {

std::vector<std::pair<std::wstring, uint64_t>> Entries(const std::vector<StreamEntry>& list) {
  std::vector<std::pair<std::wstring, uint64_t>> out;
  for (const StreamEntry& e : list) out.emplace_back(e.name, e.size);
  return out;
}

TEST(StreamWalk, ListsNamedStreams) {
  struct Case {
    std::vector<TestStream> answer;
    bool remove_suffix;
    std::vector<std::pair<std::wstring, uint64_t>> expected;
  };
  const Case cases[] = {
      {{{"::$DATA", 100}, {":a:$DATA", 5}, {":longer:$DATA", 70000}}, true,
       {{L":a", 5}, {L":longer", 70000}}},
      {{{":longer:$DATA", 70000}, {":a:$DATA", 5}}, true, {{L":longer", 70000}, {L":a", 5}}},
      {{{"::$data", 1}, {"::$DaTa", 2}, {":x:$DATA", 3}}, false, {{L":x:$DATA", 3}}},
      {{{"::$DATA", 1}}, true, {}},
      {{{":x", 0x100000000ull}}, true, {{L":x", 0x100000000ull}}},
      {{{"::$DATAX", 4}}, true, {{L":", 4}}},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> answer = StreamAnswer(c.answer);
    std::vector<StreamEntry> list = {{9, L"stale"}};
    ASSERT_TRUE(ReadStreamRecords(answer.data(), answer.size(), c.remove_suffix, &list));
    EXPECT_EQ(Entries(list), c.expected);
  }
}

TEST(StreamWalk, NeverReadsPastTheAnswer) {
  const std::vector<uint8_t> good = StreamAnswer({{"::$DATA", 1}, {":abc:$DATA", 2}});
  struct Case {
    const char* what;
    size_t length;        // bytes of `good` handed to the walk
    size_t patch_at;      // where to put `patch`, or SIZE_MAX
    uint32_t patch;
  };
  const size_t second = (kStreamName + 14 + 7) / 8 * 8;  // after the "::$DATA" record
  const Case cases[] = {
      {"cut inside the second header", second + 10, SIZE_MAX, 0},
      {"cut inside the second name", good.size() - 10, SIZE_MAX, 0},
      {"next offset past the end", good.size(), 0, 0x7FFFFFF0u},
      {"name length past the end", good.size(), second + kStreamNameLength, 0x1000u},
      {"odd name length", good.size(), second + kStreamNameLength, 7u},
      {"next offset to the very end", good.size(), 0, static_cast<uint32_t>(good.size())},
  };
  for (const Case& c : cases) {
    // A copy of exactly the given length, so ASan sees any read beyond it.
    std::vector<uint8_t> bytes(good.begin(), good.begin() + c.length);
    if (c.patch_at != SIZE_MAX) {
      for (int b = 0; b < 4; ++b) bytes[c.patch_at + b] = static_cast<uint8_t>(c.patch >> (8 * b));
    }
    std::vector<StreamEntry> list = {{9, L"kept"}};
    EXPECT_FALSE(ReadStreamRecords(bytes.data(), bytes.size(), true, &list)) << c.what;
    ASSERT_EQ(list.size(), 1u) << c.what;
    EXPECT_EQ(list[0].name, L"kept");
  }
  std::vector<StreamEntry> list = {{9, L"stale"}};
  EXPECT_TRUE(ReadStreamRecords(nullptr, 0, true, &list));
  EXPECT_TRUE(list.empty());
}

}  // namespace

}  // namespace bpriv
