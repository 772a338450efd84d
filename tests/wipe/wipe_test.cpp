// The wipe engine's pure parts: generator, passes, registry, pass loop,
// progress text, name scrambling and the stream walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "fake_string_table.h"
#include "stream_answer.h"
#include "wipe/algo_registry.h"
#include "wipe/overwrite_passes.h"
#include "wipe/progress_text.h"
#include "wipe/random.h"
#include "wipe/random_lanes.h"
#include "wipe/scramble.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

uint32_t Step(uint32_t s) { return s * 214013u + 2531011u; }

// The one-step-at-a-time definition: a draw per whole word, then one per byte.
std::vector<uint8_t> ReferenceFill(uint32_t* state, uint32_t length) {
  std::vector<uint8_t> out(length);
  for (uint32_t i = 0, words_end = length / 4 * 4; i < length; ++i) {
    if (i >= words_end || i % 4 == 0) *state = Step(*state);
    out[i] = static_cast<uint8_t>(*state >> (i < words_end ? 8 * (i % 4) : 0));
  }
  return out;
}

TEST(Random, EveryLanePathBitIdenticalToTheOneStepDefinition) {
  std::vector<uint32_t> lengths = {127, 128, 129, 255, 256, 257, 1021, 4096, 131075, 1000003};
  for (uint32_t n = 0; n <= 64; ++n) lengths.push_back(n);  // around the lane blocks
  for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    for (uint32_t length : lengths) {
      uint32_t end = seed, words_end = seed;
      const std::vector<uint8_t> expected = ReferenceFill(&end, length);
      ReferenceFill(&words_end, length / 4 * 4);
      std::vector<uint8_t> got(length);  // exact size: ASan sees a write past it
      SetRandomStateForTest(seed);
      ASSERT_EQ(FillRandom(got.data(), length), 1);
      ASSERT_EQ(got, expected) << seed << " " << length;
      ASSERT_EQ(GetRandom(), Step(end));  // (n div 4) + (n mod 4) draws
      for (int path = 0; path < 4; ++path) {
        for (size_t offset : {0u, 1u, 4u, 28u}) {  // from a 32-byte boundary
          if (!IsLanePathSupported(LanePath(path)) || (length > 4096 && (offset > 1 || seed != 1))) continue;
          std::vector<uint8_t> storage(length + 128, 0xA5), want = storage;
          const size_t at = 32 - reinterpret_cast<uintptr_t>(storage.data()) % 32 + offset;
          std::copy(expected.begin(), expected.begin() + length / 4 * 4, want.begin() + at);
          ASSERT_EQ(FillWords(LanePath(path), seed, storage.data() + at, length / 4), words_end);
          ASSERT_TRUE(storage == want) << "path " << path << " " << seed << " " << length;
        }
      }
    }
  }
}

int g_reads = 0;
SeedInputs g_inputs;
SeedInputs FakeInputs() { return ++g_reads, g_inputs; }

// The process's very first draw, before any test sets the state, must read the
// seed inputs, or every run would wipe with the same bytes. The reader goes
// back, so the Windows tree still installs the platform's.
const int g_reads_by_first_draw = [] {
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs), GetRandom(), SetSeedInputsReader(saved);
  return g_reads;
}();

TEST(Random, StartsUnseededAndSeedsOnceFromInputs) {
  EXPECT_EQ(g_reads_by_first_draw, 1);
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  // The state is tick + thread + process + y + x (modulo 2^32), then tick mod 256 steps.
  const struct { SeedInputs in; uint32_t sum, steps; } cases[] = {
      {{0x203, -3, -4, 10, 20}, 0x203u + 23u, 3}, {{0xFFFFFFFFu, 0, 0, 1, 0}, 0u, 255}};
  for (const auto& c : cases) {
    ResetRandomForTest(), g_reads = 0, g_inputs = c.in;
    EXPECT_TRUE(FillRandom(nullptr, 0) == 1 && g_reads == 0);  // draws nothing, so seeds nothing
    uint32_t expected = c.sum, buf[3];
    for (uint32_t i = 0; i <= c.steps; ++i) expected = Step(expected);
    EXPECT_EQ(GetRandom(), expected);
    FillRandom(buf, 9);
    EXPECT_EQ(g_reads, 1);
  }
  SetSeedInputsReader(saved);
}

CWipeAlgo* const kAll[] = {&g_zeroAlgo, &g_randomAlgo, &g_dod3Algo, &g_dod7Algo, &g_gutmannAlgo};

// The byte a pass filled a buffer with; -1 when the bytes are the generator's
// continued sequence, -2 when they are neither.
int Filled(CWipeAlgo* algo, uint32_t pass, uint32_t chunk = 0) {
  std::vector<uint8_t> buf(1003, 0x3C);
  SetRandomStateForTest(42);
  EXPECT_EQ(algo->FillPass(pass, buf.data(), 1003, chunk), 1) << algo->GetPassCount() << " " << pass;
  uint32_t state = 42;
  if (buf == ReferenceFill(&state, 1003)) return -1;
  return std::count(buf.begin(), buf.end(), buf[0]) == 1003 ? buf[0] : -2;
}

TEST(WipeAlgo, PassPatterns) {
  const std::vector<int> expected[] = {
      {0x00}, {-1}, {0x00, 0xFF, -1}, {0x35, 0xCA, 0x97, 0x68, 0xAC, 0x53, -1},
      {-1, -1, -1, -1, 0x55, 0xAA, 0x92, 0x49, 0x24, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
       0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x92, 0x49, 0x24, 0x6D, 0xB6, 0xDB, -1, -1, -1, -1}};
  for (int a = 0; a < 5; ++a) {
    ASSERT_EQ(kAll[a]->GetPassCount(), expected[a].size());
    for (uint32_t pass = 0; pass < expected[a].size(); ++pass) {
      EXPECT_EQ(Filled(kAll[a], pass), expected[a][pass]) << a << " pass " << pass;
      EXPECT_TRUE(kAll[a]->FillPass(pass, nullptr, 0, 0) == 1 && !kAll[a]->FillPass(pass, nullptr, 16, 0));
    }
    // Zeroes and random fill any pass; the others refuse a pass they lack.
    std::vector<uint8_t> buf(8);
    EXPECT_EQ(kAll[a]->FillPass(kAll[a]->GetPassCount(), buf.data(), 8, 0), a < 2 ? 1 : 0);
  }
  // Gutmann's three-byte passes cycle by chunk.
  for (uint32_t chunk = 0; chunk < 4; ++chunk) {
    for (uint32_t pass : {6u, 7u, 8u, 25u, 26u, 27u, 28u, 29u, 30u}) {
      const uint32_t first = pass < 9 ? 6 : pass < 28 ? 25 : 28;
      EXPECT_EQ(Filled(&g_gutmannAlgo, pass, chunk), expected[4][first + (pass - first + chunk) % 3]) << chunk;
    }
  }
}

TEST(AlgoRegistry, GrowthNamesLookupAndTheBuiltinFive) {
  const uint32_t capacities[][2] = {{0, 1}, {1, 2}, {268435455u, 536870910u}, {268435456u, 0}};
  for (const auto& c : capacities) {
    uint32_t grown = 0;
    EXPECT_TRUE(GrowAlgoCapacity(c[0], &grown) == (c[1] != 0) && grown == c[1]) << c[0];
  }
  CFakeStringTable strings;
  CPeterGutmannAlgo gutmann;
  CZeroAlgo zero;
  EXPECT_EQ(gutmann.GetName(), L"");  // missing: empty, and looked up again
  strings.entries = {{kIdsGutmannName, L"Peter Gutmann (35)"}, {kIdsGutmannDescription, L"35 passes"},
                     {kIdsZeroName, L"PETER gutmann (35)"}};
  EXPECT_EQ(gutmann.GetName(), L"Peter Gutmann (35)");
  EXPECT_EQ(gutmann.GetDescription() + zero.GetDescription(), L"35 passes");
  CAlgoRegistry registry;
  EXPECT_EQ(registry.Register(&gutmann), 1);
  EXPECT_EQ(registry.Register(&zero), 0);  // same name but for case
  EXPECT_EQ(registry.FindByName(L"peter GUTMANN (35)"), &gutmann);
  EXPECT_TRUE(!registry.FindByName(L"Peter Gutmann") && !registry.FindByName(L"peter GUTMANN (36)"));
  EXPECT_TRUE(registry.Get(0) == &gutmann && !registry.Get(1) && !registry.Get(-1));
  // The process-wide registry, named as the executable's own table does (by key).
  const uint32_t name_ids[] = {kIdsZeroName, kIdsRandomName, kIdsDod3Name, kIdsDod7Name, kIdsGutmannName};
  for (int i = 0; i < 5; ++i) strings.entries[name_ids[i]] = kAll[i]->GetKey();
  RegisterBuiltinAlgos(), RegisterBuiltinAlgos();  // a second call adds nothing
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(GetAlgo(i), kAll[i]) << i;
  EXPECT_EQ(FindAlgoByName(L"dod 5200.28-std (7)"), &g_dod7Algo);
}

// Records each write as pass, length and the chunk the algorithm got.
struct CFakeTarget : CWipeTarget, CWipeAlgo {
  explicit CFakeTarget(CWipeAlgo* a, uint32_t n = 0) : CWipeAlgo(0, 0), algo(a), passes(n ? n : a->GetPassCount()) {}
  CWipeAlgo* algo;  // null: fills nothing
  uint32_t passes, chunk = 0, rewinds = 0, flushes = 0;
  std::vector<std::vector<uint32_t>> writes;
  std::function<uint32_t(size_t index, uint32_t length)> on_write = [](size_t, uint32_t length) { return length; };
  void Rewind() override { ++rewinds; }
  void Flush() override { ++flushes; }
  uint32_t Write(const uint8_t*, uint32_t length) override {
    writes.push_back({rewinds - 1, length, chunk});
    return on_write(writes.size() - 1, length);
  }
  const wchar_t* GetKey() const override { return L"recording"; }
  uint32_t GetPassCount() const override { return passes; }
  int FillPass(uint32_t pass, void* buffer, uint32_t length, uint32_t c) override {
    chunk = c;
    return algo ? algo->FillPass(pass, buffer, length, c) : 1;
  }
};

TEST(OverwritePasses, GranularityChunksStopsAndFailedWrites) {
  const uint32_t sizes[][5] = {  // per sector, per cluster, options -> granularity, buffer
      {512, 8, 0xEF, 512, 131072},  {512, 8, kWipeWholeClusters, 4096, 131072}, {0, 0, 0xFF, 4096, 131072},
      {4096, 64, 0x10, 262144, 262144}, {3000, 1, 0, 3000, 132000},           {0x10000, 0x10000, 0x10, 512, 131072}};
  for (const auto& c : sizes) {
    EXPECT_EQ(WriteGranularity(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
    EXPECT_EQ(WipeBufferSize(c[3]), c[4]) << c[3];
  }
  // Chunk lengths of one pass; a write may set the stop flag (0: before the call), or write nothing
  // or one byte short. 300000 bytes: three passes of three chunks. A failed last pass fails the wipe
  // even when the earlier passes alone wrote more than the size.
  const std::vector<uint32_t> three = {131072, 131072, 37888};
  const struct { uint64_t size; uint32_t granularity; CWipeAlgo* algo; std::vector<uint32_t> lengths;
                 int stop_at, fail_at, short_write; size_t writes; uint32_t flushes; int result; } cases[] = {
      {1, 512, &g_zeroAlgo, {512}, -1, -1, 0, 1, 1, 1},     {100, 4096, &g_zeroAlgo, {4096}, -1, -1, 0, 1, 1, 1},
      {0, 512, &g_dod7Algo, {}, -1, -1, 0, 0, 7, 1},        {3001, 3000, &g_zeroAlgo, {6000}, -1, -1, 0, 1, 1, 1},
      {300000, 512, &g_dod3Algo, three, -1, -1, 0, 9, 3, 1}, {300000, 512, &g_dod3Algo, three, 0, -1, 0, 0, 1, 0},
      {300000, 512, &g_dod3Algo, three, 2, -1, 0, 2, 1, 0},  {300000, 512, &g_dod3Algo, three, -1, 1, 0, 8, 3, 0},
      {300000, 512, &g_dod3Algo, three, -1, 8, 0, 9, 3, 0},  {512, 512, &g_dod3Algo, {512}, -1, 2, 1, 3, 3, 0},
      {1, 512, &g_zeroAlgo, {512}, -1, 0, 0, 1, 1, 0},      {100, 512, &g_dod3Algo, {512}, -1, 2, 0, 3, 3, 0}};
  for (size_t n = 0; n < std::size(cases); ++n) {
    const auto& c = cases[n];
    CFakeTarget fake(c.algo);
    ProgressRecord progress;
    progress.stop_flag = c.stop_at == 0;
    fake.on_write = [&](size_t index, uint32_t length) {
      if (static_cast<int>(index) + 1 == c.stop_at) progress.stop_flag = 1;
      if (static_cast<int>(index) != c.fail_at) return length;
      return c.short_write ? length - 1 : 0u;
    };
    std::vector<uint8_t> b(WipeBufferSize(c.granularity));
    EXPECT_EQ(OverwritePasses(fake, fake, c.granularity, c.size, b.data(), uint32_t(b.size()), &progress), c.result);
    EXPECT_TRUE(fake.writes.size() == c.writes && fake.rewinds == c.flushes && fake.flushes == c.flushes) << n;
    if (c.fail_at >= 0) continue;  // without a failure the writes run in order until the stop
    std::vector<std::vector<uint32_t>> expected;
    uint64_t reported = 0;
    for (uint32_t k = 0, m = uint32_t(c.lengths.size()); k < c.writes; ++k) {
      expected.push_back({k / m, c.lengths[k % m], k % m});
      reported += expected.back()[1] / fake.passes;
    }
    EXPECT_TRUE(fake.writes == expected && progress.bytes_done.load() == reported) << n;
  }
  const uint64_t size = 4294967296ull + 100;  // 64-bit sizes: every pass covers them
  CFakeTarget big(nullptr, 2);
  std::vector<uint8_t> buffer(131072);
  EXPECT_EQ(OverwritePasses(big, big, 512, size, buffer.data(), 131072, nullptr), 1);
  uint64_t per_pass[2] = {0, 0};
  for (const auto& w : big.writes) per_pass[w[0]] += w[1];
  EXPECT_TRUE(per_pass[0] == (size + 511) / 512 * 512 && per_pass[1] == per_pass[0]);
}

// One record throughout, each text shorter than the one before: a missing
// terminator would leave the previous tail. A cut never starts on a low
// surrogate (UTF-16 units), so one more unit goes.
TEST(ProgressText, FitsOrKeepsTheEndWithoutALowSurrogate) {
  ProgressRecord record;
  record.heading[0] = u'h';  // the field behind must stay as it is
  const struct { size_t length; char16_t first_kept; size_t kept; } cases[] = {  // first_kept: where the end starts
      {1000, u'x', 256}, {300, 0xDC00, 255}, {300, 0xDFFF, 255}, {300, 0xDBFF, 256}, {300, 0xE000, 256},
      {260, u'x', 256},  {259, u'x', 259},   {3, u'x', 3},       {0, u'x', 0}};
  for (const auto& c : cases) {
    std::u16string text;
    for (size_t i = 0; i < c.length; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    if (c.length > 259) text[c.length - 256] = c.first_kept;
    SetProgressText(record.current_item, text.data(), text.size());
    const std::u16string kept = text.substr(c.length - c.kept);
    EXPECT_EQ(std::u16string(record.current_item), c.length > 259 ? u"..." + kept : kept) << c.length;
    EXPECT_EQ(record.heading[0], u'h');
  }
}

TEST(MakeRandomName, BitExactForFixedDraws) {
  const struct { uint32_t draws[6], tick, sequence; int32_t target; const wchar_t* expected; } cases[] = {
      // t = 0x6678, s = 8: characters from 0x66 & 9 = 0 and 0x9ABCDE & 9 = 8.
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1000, 7, 30, L"{@9A$$$$$$$$$$BCDEF000667.BCDE"},
      {{0x12345678, 0x9ABCDEF0, 0x8, 0x1, 0x2, 0xABCDE}, 0x1001, 7, 21, L"{@9A~BCDEF000667.BCDE"},
      // t wraps to 0xFFFE, s = 0: hex of t in lower case, q without padding.
      {{0x0000FFFF, 0x1, 0x7, 0x0, 0x8, 0x5}, 0xFFFFFFFFu, 25, -5, L"@z00000001fffe25.5"},
      {{0x0, 0xFFFFFFFF, 0x0, 0x3, 0x1, 0x0}, 0x10000, 4294967295u, 0, L"_{FFFFFFFF100004294967295.0"}};
  for (const auto& c : cases) EXPECT_EQ(MakeRandomNameFrom(c.draws, c.tick, c.sequence, c.target), c.expected);
  const int32_t limits[][3] = {{5, 250, 63}, {240, 15, 15}, {255, 0, 0}, {256, 0, 0}};  // prefix, first, second
  for (const auto& l : limits)
    EXPECT_TRUE(RandomNameLimit(l[0], kFirstNameCap) == l[1] && RandomNameLimit(l[0], kSecondNameCap) == l[2]) << l[0];
}

// Names say which try made them; moves answer by call number (0 past the script).
struct CFakeOps : CScrambleOps {
  std::vector<uint32_t> answers;
  std::wstring moves;
  std::wstring MakeName(uint32_t sequence, int32_t limit) override {
    return L"n" + std::to_wstring(sequence) + L"_" + std::to_wstring(limit);
  }
  uint32_t Move(const std::wstring& from, const std::wstring& to) override {
    const size_t call = std::count(moves.begin(), moves.end(), L'>');
    moves += from + L">" + to + L" ";
    return call < answers.size() ? answers[call] : 0;
  }
};

// Renames happen only inside the object's own folder; the drive itself, a
// relative path, a forward slash ("sub/x" would land in C:\t), dot names and
// streams rename nothing.
TEST(Scramble, RenameLoopInsideTheOwnFolder) {
  const auto mv = [](const std::wstring& a, const std::wstring& b) { return L"C:\\t\\" + a + L">C:\\t\\" + b + L" "; };
  const std::wstring x = L"C:\\t\\x", first = mv(L"x", L"n0_250"), shorter = mv(L"x", L"n0_63");
  struct Case { std::wstring path; int32_t count; std::vector<uint32_t> answers; std::wstring moves, end; };
  std::vector<Case> cases = {
      {x, 3, {}, first + mv(L"n0_250", L"n1_250") + mv(L"n1_250", L"n2_250"), L"C:\\t\\n2_250"},
      {L"C:\\a\\b\\", 1, {}, L"C:\\a\\b\\>C:\\a\\n0_250 ", L"C:\\a\\n0_250"},  // a folder, inside its parent
      {x, 2, {183}, first + shorter + mv(L"n0_63", L"n1_250"), L"C:\\t\\n1_250"},  // clash, then the shorter name
      {x, 5, {0, 2}, first + mv(L"n0_250", L"n1_250"), L"C:\\t\\n0_250"},  // file not found ends it
      {x, 5, {5, 2}, first + shorter, x},
      {x, 2, {5, 5, 5, 5}, first + shorter + mv(L"x", L"n1_250") + mv(L"x", L"n1_63"), x}};
  for (const wchar_t* path : {L"C:\\", L"C:\\\\", L"x.dat", L"C:x.dat", L"C:/t/x.dat", L"C:\\t\\sub/x.dat",
                              L"C:\\t\\..\\", L"C:\\t\\.", L"C:\\t\\x.dat:s"})
    cases.push_back({path, 2, {}, L"", path});
  for (const Case& c : cases) {
    CFakeOps ops;
    ops.answers = c.answers;
    std::wstring end = L"stale";
    EXPECT_EQ(ScrambleWith(ops, c.path, &end, c.count), 1);
    EXPECT_TRUE(end == c.end && ops.moves == c.moves);
  }
}

TEST(StreamWalk, ListsNamedStreamsAndNeverReadsPastTheAnswer) {
  using Streams = std::vector<std::pair<std::string, uint64_t>>;
  const struct { Streams answer; bool remove_suffix; Streams expected; } cases[] = {
      {{{"::$DATA", 100}, {":a:$DATA", 5}, {":longer:$DATA", 70000}}, true, {{":a", 5}, {":longer", 70000}}},
      {{{"::$data", 1}, {"::$DaTa", 2}, {":x:$DATA", 3}}, false, {{":x:$DATA", 3}}},
      {{{":x", 0x100000000ull}, {"::$DATAX", 4}}, true, {{":x", 0x100000000ull}, {":", 4}}}, {{}, true, {}}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> answer = StreamAnswer(c.answer);
    std::vector<StreamEntry> list = {{9, L"stale"}};
    ASSERT_TRUE(ReadStreamRecords(answer.data(), answer.size(), c.remove_suffix, &list));
    Streams got;
    for (const StreamEntry& e : list) got.emplace_back(std::string(e.name.begin(), e.name.end()), e.size);
    EXPECT_EQ(got, c.expected);
  }
  const std::vector<uint8_t> good = StreamAnswer({{"::$DATA", 1}, {":abc:$DATA", 2}});
  const size_t second = (kStreamName + 14 + 7) / 8 * 8, all = good.size();  // after the "::$DATA" record
  const size_t broken[][3] = {  // bytes handed over; where a 32-bit patch goes (0: none), and what
      {second + 10, 0, 0}, {all - 10, 0, 0},  // cut in the second header, in its name
      {all, kStreamNextOffset, 0x7FFFFFF0u}, {all, kStreamNextOffset, all},  // next record past, at the end
      {all, second + kStreamNameLength, 0x1000u}, {all, second + kStreamNameLength, 7u}};  // name past; odd
  for (const auto& c : broken) {
    std::vector<uint8_t> bytes(good.begin(), good.begin() + c[0]);  // exact size: ASan sees a read past it
    for (int b = 0; c[2] != 0 && b < 4; ++b) bytes[c[1] + b] = static_cast<uint8_t>(c[2] >> (8 * b));
    std::vector<StreamEntry> list = {{9, L"kept"}};
    EXPECT_FALSE(ReadStreamRecords(bytes.data(), bytes.size(), true, &list)) << c[0] << " " << c[2];
    EXPECT_TRUE(list.size() == 1 && list[0].name == L"kept");
  }
}

}  // namespace
}  // namespace bpriv
