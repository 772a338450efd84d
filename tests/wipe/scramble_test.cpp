#include "wipe/scramble.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bpriv {
namespace {

TEST(MakeRandomName, BitExactForFixedDraws) {
  const struct {
    uint32_t draws[6];
    uint32_t tick, sequence;
    int32_t target;
    const wchar_t* expected;
  } cases[] = {
      // t = 0x6678, s = 8: characters from 0x66 & 9 = 0 and 0x9ABCDE & 9 = 8.
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1000, 7, 0, L"{@9ABCDEF000667.BCDE"},
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1000, 7, 30, L"{@9A$$$$$$$$$$BCDEF000667.BCDE"},
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1001, 7, 21, L"{@9A~BCDEF000667.BCDE"},
      // t wraps to 0xFFFE, s = 0: hex of t in lower case, q without padding.
      {{0x0000FFFF, 0x1, 0x0, 0x0, 0x8, 0x5}, 0xFFFFFFFFu, 25, 17, L"@z00000001fffe25.5"},
      {{0x0000FFFF, 0x1, 0x7, 0x0, 0x8, 0x5}, 0xFFFFFFFFu, 25, -5, L"@z00000001fffe25.5"},
      {{0x0, 0xFFFFFFFF, 0x0, 0x3, 0x1, 0x0}, 0x10000, 4294967295u, 0, L"_{FFFFFFFF100004294967295.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeRandomNameFrom(c.draws, c.tick, c.sequence, c.target), c.expected);
  const int32_t limits[][3] = {  // prefix length, first limit, second limit
      {5, 250, 63}, {240, 15, 15}, {2, 252, 63}, {200, 55, 55}, {255, 0, 0}, {256, 0, 0}, {300, 0, 0}};
  for (const auto& l : limits) {
    EXPECT_EQ(RandomNameLimit(l[0], kFirstNameCap), l[1]) << l[0];
    EXPECT_EQ(RandomNameLimit(l[0], kSecondNameCap), l[2]) << l[0];
  }
}

// Names say which try made them; moves answer from a script by call number.
struct CFakeOps : CScrambleOps {
  std::function<uint32_t(int call)> answer;
  std::vector<std::pair<std::wstring, std::wstring>> moves;
  std::wstring MakeName(uint32_t sequence, int32_t limit) override {
    return L"n" + std::to_wstring(sequence) + L"_" + std::to_wstring(limit);
  }
  uint32_t Move(const std::wstring& from, const std::wstring& to) override {
    moves.emplace_back(from, to);
    return answer(static_cast<int>(moves.size()) - 1);
  }
};

// Renames happen only inside the object's own folder; a path without a usable
// folder part renames nothing.
TEST(Scramble, RenameLoopInsideTheOwnFolder) {
  const std::wstring path = L"C:\\t\\x.dat", p = L"C:\\t\\";
  const auto ok = [](int) { return 0u; };
  const struct {
    std::wstring path;
    int32_t count;
    std::function<uint32_t(int)> answer;
    std::vector<std::wstring> targets;  // of every move, in order
    std::wstring final_path;            // empty: the path itself
  } cases[] = {
      {path, 3, ok, {p + L"n0_250", p + L"n1_250", p + L"n2_250"}, p + L"n2_250"},
      {path, 0, ok, {}, L""},
      {L"C:\\a\\b\\", 1, ok, {L"C:\\a\\n0_250"}, L"C:\\a\\n0_250"},  // a folder, inside its parent
      {L"\\x.dat", 1, ok, {L"\\n0_252"}, L"\\n0_252"},
      // clash, then the shorter name works
      {path, 2, [](int call) { return call == 0 ? 183u : 0u; }, {p + L"n0_250", p + L"n0_63", p + L"n1_250"},
       p + L"n1_250"},
      {path, 5, [](int call) { return call == 1 ? 2u : 0u; }, {p + L"n0_250", p + L"n1_250"}, p + L"n0_250"},
      {path, 5, [](int call) { return call == 0 ? 5u : 2u; }, {p + L"n0_250", p + L"n0_63"}, L""},
      {path, 2, [](int) { return 5u; }, {p + L"n0_250", p + L"n0_63", p + L"n1_250", p + L"n1_63"}, L""},
      {L"C:\\", 2, ok, {}, L""},  // the drive itself
      {L"C:\\\\", 2, ok, {}, L""},
      {L"x.dat", 2, ok, {}, L""},
      {L"C:x.dat", 2, ok, {}, L""},
      {L"C:/t/x.dat", 2, ok, {}, L""},
      {L"C:\\t\\sub/x.dat", 2, ok, {}, L""},  // would land in C:\t, not in sub
      {L"C:\\t\\..\\", 2, ok, {}, L""},
      {L"C:\\t\\.", 2, ok, {}, L""},
      {L"C:\\t\\x.dat:s", 2, ok, {}, L""},
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    const auto& c = cases[n];
    CFakeOps ops;
    ops.answer = c.answer;
    std::wstring final_path = L"stale";
    EXPECT_EQ(ScrambleWith(ops, c.path, &final_path, c.count), 1);
    EXPECT_EQ(final_path, c.final_path.empty() ? c.path : c.final_path) << "case " << n;
    ASSERT_EQ(ops.moves.size(), c.targets.size()) << "case " << n;
    std::wstring current = c.path;
    for (size_t i = 0; i < ops.moves.size(); ++i) {
      EXPECT_EQ(ops.moves[i].first, current) << "case " << n << " move " << i;
      EXPECT_EQ(ops.moves[i].second, c.targets[i]) << "case " << n << " move " << i;
      if (c.answer(static_cast<int>(i)) == 0) current = ops.moves[i].second;
    }
  }
}

}  // namespace
}  // namespace bpriv
