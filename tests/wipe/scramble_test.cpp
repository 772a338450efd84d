#include "wipe/scramble.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <string>
#include <utility>
#include <vector>


namespace bpriv {

namespace {

TEST(MakeRandomName, BitExactForFixedDraws) {
  struct Case {
    uint32_t draws[6];
    uint32_t tick;
    uint32_t sequence;
    int32_t target;
    const wchar_t* expected;
  };
  const Case cases[] = {
      // t = 0x6678, s = 8: characters from 0x66 & 9 = 0 and 0x9ABCDE & 9 = 8.
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1000, 7, 0, L"{@9ABCDEF000667.BCDE"},
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1000, 7, 30,
       L"{@9A$$$$$$$$$$BCDEF000667.BCDE"},
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1001, 7, 21, L"{@9A~BCDEF000667.BCDE"},
      // t wraps to 0xFFFE, s = 0: hex of t in lower case, q without padding.
      {{0x0000FFFF, 0x1, 0x0, 0x0, 0x8, 0x5}, 0xFFFFFFFFu, 25, 17, L"@z00000001fffe25.5"},
      {{0x0000FFFF, 0x1, 0x7, 0x0, 0x8, 0x5}, 0xFFFFFFFFu, 25, -5, L"@z00000001fffe25.5"},
      {{0x0, 0xFFFFFFFF, 0x0, 0x3, 0x1, 0x0}, 0x10000, 4294967295u, 0,
       L"_{FFFFFFFF100004294967295.0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeRandomNameFrom(c.draws, c.tick, c.sequence, c.target), c.expected);
  }
}

TEST(Scramble, PrefixAndLimits) {
  EXPECT_EQ(ScramblePrefix(L"C:\\t\\x.dat"), L"C:\\t\\");
  EXPECT_EQ(ScramblePrefix(L"C:\\a\\b\\"), L"C:\\a\\");  // a folder: renamed in its parent
  EXPECT_EQ(ScramblePrefix(L"x.dat"), L"");
  EXPECT_EQ(ScramblePrefix(L""), L"");
  const int32_t limits[][3] = {  // prefix length, first limit, second limit
      {5, 250, 63}, {240, 15, 15}, {2, 252, 63}, {200, 55, 55}, {255, 0, 0}, {256, 0, 0}, {300, 0, 0}};
  for (const auto& l : limits) {
    EXPECT_EQ(RandomNameLimit(l[0], kFirstNameCap), l[1]) << l[0];
    EXPECT_EQ(RandomNameLimit(l[0], kSecondNameCap), l[2]) << l[0];
  }
}

// Names say which try made them; moves answer from a script by call number.
class CFakeOps : public CScrambleOps {
 public:
  std::function<uint32_t(int call)> answer = [](int) { return 0u; };
  std::vector<std::pair<std::wstring, std::wstring>> moves;
  std::wstring MakeName(uint32_t sequence, int32_t limit) override {
    return L"n" + std::to_wstring(sequence) + L"_" + std::to_wstring(limit);
  }
  uint32_t Move(const std::wstring& from, const std::wstring& to) override {
    moves.emplace_back(from, to);
    return answer(static_cast<int>(moves.size()) - 1);
  }
};

TEST(Scramble, RenameLoop) {
  const std::wstring path = L"C:\\t\\x.dat";
  const std::wstring p = L"C:\\t\\";
  struct Case {
    const char* what;
    int32_t count;
    std::function<uint32_t(int)> answer;
    std::vector<std::wstring> targets;  // of every move, in order
    std::wstring final_path;
  };
  const Case cases[] = {
      {"all succeed", 3, [](int) { return 0u; }, {p + L"n0_250", p + L"n1_250", p + L"n2_250"},
       p + L"n2_250"},
      {"count 0", 0, [](int) { return 0u; }, {}, path},
      {"clash, shorter name works", 2, [](int call) { return call == 0 ? 183u : 0u; },
       {p + L"n0_250", p + L"n0_63", p + L"n1_250"}, p + L"n1_250"},
      {"gone at the second name", 5, [](int call) { return call == 1 ? 2u : 0u; },
       {p + L"n0_250", p + L"n1_250"}, p + L"n0_250"},
      {"gone at the shorter name", 5, [](int call) { return call == 0 ? 5u : 2u; },
       {p + L"n0_250", p + L"n0_63"}, path},
      {"every move refused", 2, [](int) { return 5u; },
       {p + L"n0_250", p + L"n0_63", p + L"n1_250", p + L"n1_63"}, path},
  };
  for (const Case& c : cases) {
    CFakeOps ops;
    ops.answer = c.answer;
    std::wstring final_path = L"stale";
    EXPECT_EQ(ScrambleWith(ops, path, &final_path, c.count), 1);
    EXPECT_EQ(final_path, c.final_path) << c.what;
    ASSERT_EQ(ops.moves.size(), c.targets.size()) << c.what;
    std::wstring current = path;
    for (size_t i = 0; i < ops.moves.size(); ++i) {
      EXPECT_EQ(ops.moves[i].first, current) << c.what << " move " << i;
      EXPECT_EQ(ops.moves[i].second, c.targets[i]) << c.what << " move " << i;
      if (c.answer(static_cast<int>(i)) == 0) current = ops.moves[i].second;
    }
  }
}

TEST(Scramble, RenamesOnlyInsideTheObjectsOwnFolder) {
  struct Case {
    const wchar_t* path;
    const wchar_t* first_target;  // nullptr: nothing may be renamed
  };
  const Case cases[] = {
      {L"C:\\t\\x.dat", L"C:\\t\\n0_250"},
      {L"C:\\a\\b\\", L"C:\\a\\n0_250"},  // a folder, inside its parent
      {L"\\x.dat", L"\\n0_252"},
      {L"C:\\", nullptr},  // the drive itself
      {L"C:\\\\", nullptr},
      {L"x.dat", nullptr},
      {L"C:x.dat", nullptr},
      {L"C:/t/x.dat", nullptr},
      {L"C:\\t\\sub/x.dat", nullptr},  // would land in C:\t, not in sub
      {L"C:\\t\\..\\", nullptr},
      {L"C:\\t\\.", nullptr},
      {L"C:\\t\\x.dat:s", nullptr},
  };
  for (const Case& c : cases) {
    CFakeOps ops;
    std::wstring final_path;
    EXPECT_EQ(ScrambleWith(ops, c.path, &final_path, 2), 1);
    if (c.first_target == nullptr) {
      EXPECT_TRUE(ops.moves.empty()) << std::string(c.path, c.path + std::wcslen(c.path));
      EXPECT_EQ(final_path, c.path);
    } else {
      ASSERT_EQ(ops.moves.size(), 2u);
      EXPECT_EQ(ops.moves[0].second, c.first_target);
    }
  }
}

}  // namespace

}  // namespace bpriv
