// The generator, the five algorithms' passes and their registry.
#include "wipe/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_string_table.h"
#include "wipe/algo_registry.h"
#include "wipe/random_lanes.h"
#include "wipe/wipe_algo.h"

namespace bpriv {
namespace {

uint32_t Step(uint32_t s) { return s * 214013u + 2531011u; }

// The one-step-at-a-time definition: a draw per whole word, then one per byte.
std::vector<uint8_t> ReferenceFill(uint32_t* state, uint32_t length) {
  std::vector<uint8_t> out(length);
  const uint32_t words_end = length / 4 * 4;
  for (uint32_t i = 0; i < length; ++i) {
    if (i >= words_end || i % 4 == 0) *state = Step(*state);
    out[i] = static_cast<uint8_t>(*state >> (i < words_end ? 8 * (i % 4) : 0));
  }
  return out;
}

TEST(Random, EveryPathBitIdenticalToTheOneStepDefinition) {
  std::vector<uint32_t> lengths = {127, 128, 129, 255, 256, 257, 1021, 4096, 131072, 131075, 1000003};
  for (uint32_t n = 0; n <= 64; ++n) lengths.push_back(n);  // around the lane blocks and the wiper's buffer
  for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    for (uint32_t length : lengths) {
      uint32_t end = seed, words_end = seed;
      const std::vector<uint8_t> expected = ReferenceFill(&end, length);
      ReferenceFill(&words_end, length / 4 * 4);
      std::vector<uint8_t> got(length + 1, 0x5A);
      SetRandomStateForTest(seed);
      ASSERT_EQ(FillRandom(got.data(), length), 1);
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), got.begin())) << seed << " " << length;
      ASSERT_EQ(got[length], 0x5A);
      ASSERT_EQ(GetRandom(), Step(end));  // (n div 4) + (n mod 4) draws
      if (length > 4096 && seed != 0xDEADBEEFu) continue;  // long buffers add length, not cases
      for (LanePath path : {LanePath::kScalar, LanePath::kSse2, LanePath::kSse41, LanePath::kAvx2}) {
        for (size_t offset : {0u, 1u, 4u, 28u}) {  // from a 32-byte boundary
          if (!IsLanePathSupported(path) || (length > 4096 && offset > 1)) continue;
          std::vector<uint8_t> storage(length + 128, 0xA5);
          uint8_t* out = storage.data() + (32 - reinterpret_cast<uintptr_t>(storage.data()) % 32) + offset;
          ASSERT_EQ(FillWords(path, seed, out, length / 4), words_end);
          ASSERT_TRUE(std::equal(expected.begin(), expected.begin() + length / 4 * 4, out))
              << "path " << static_cast<int>(path) << " seed " << seed << " length " << length;
          ASSERT_EQ(out[-1], 0xA5);  // nothing written outside the words
          ASSERT_EQ(out[length / 4 * 4], 0xA5);
        }
      }
    }
  }
}

int g_reads = 0;
SeedInputs g_inputs;
SeedInputs FakeInputs() { return ++g_reads, g_inputs; }

// The process's very first draw, taken before any test can set the state: it
// must read the seed inputs, or every run would wipe with the same bytes.
const int g_reads_by_first_draw = [] {
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  GetRandom();
  SetSeedInputsReader(saved);
  return g_reads;
}();

TEST(Random, StartsUnseededAndSeedsOnceFromInputs) {
  EXPECT_EQ(g_reads_by_first_draw, 1);
  const struct {
    SeedInputs in;
    uint32_t sum;       // tick + thread + process + y + x, modulo 2^32
    uint32_t advances;  // tick mod 256
  } cases[] = {{{0x203, -3, -4, 10, 20}, 0x203u + 23u, 3}, {{0xFFFFFFFFu, 0, 0, 1, 0}, 0u, 255}};
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  for (const auto& c : cases) {
    ResetRandomForTest();
    g_reads = 0;
    g_inputs = c.in;
    uint32_t expected = c.sum;
    for (uint32_t i = 0; i <= c.advances; ++i) expected = Step(expected);
    EXPECT_EQ(GetRandom(), expected);
    uint8_t buf[9];
    FillRandom(buf, sizeof buf);
    EXPECT_EQ(g_reads, 1);
  }
  ResetRandomForTest();
  g_reads = 0;
  EXPECT_EQ(FillRandom(nullptr, 0), 1);  // draws nothing, so seeds nothing
  EXPECT_EQ(g_reads, 0);
  SetSeedInputsReader(saved);
}

CWipeAlgo* const kAll[] = {&g_zeroAlgo, &g_randomAlgo, &g_dod3Algo, &g_dod7Algo, &g_gutmannAlgo};

// The byte a pass filled a buffer with; -1 when the bytes are the generator's
// continued sequence (as a 1003-byte fill shows), -2 when they are neither.
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
      {0x00},
      {-1},
      {0x00, 0xFF, -1},
      {0x35, 0xCA, 0x97, 0x68, 0xAC, 0x53, -1},
      {-1, -1, -1, -1, 0x55, 0xAA, 0x92, 0x49, 0x24, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
       0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x92, 0x49, 0x24, 0x6D, 0xB6, 0xDB, -1, -1, -1, -1}};
  for (int a = 0; a < 5; ++a) {
    ASSERT_EQ(kAll[a]->GetPassCount(), expected[a].size());
    for (uint32_t pass = 0; pass < expected[a].size(); ++pass) {
      EXPECT_EQ(Filled(kAll[a], pass), expected[a][pass]) << a << " pass " << pass;
      EXPECT_EQ(kAll[a]->FillPass(pass, nullptr, 0, 0), 1);   // nothing to fill
      EXPECT_EQ(kAll[a]->FillPass(pass, nullptr, 16, 0), 0);  // no buffer
    }
    // Zeroes and random fill any pass; the others leave a pass they lack alone.
    std::vector<uint8_t> buf(8, 7), want = buf;
    uint32_t state = 42;
    if (a < 2) want = a == 0 ? std::vector<uint8_t>(8, 0) : ReferenceFill(&state, 8);
    SetRandomStateForTest(42);
    EXPECT_EQ(kAll[a]->FillPass(kAll[a]->GetPassCount(), buf.data(), 8, 0), a < 2 ? 1 : 0);
    EXPECT_EQ(buf, want) << a;
  }
  // Gutmann's three-byte passes cycle by chunk.
  const int cycle[] = {0x92, 0x49, 0x24, 0x92, 0x49}, cycle28[] = {0x6D, 0xB6, 0xDB, 0x6D, 0xB6};
  for (uint32_t chunk = 0; chunk < 3; ++chunk) {
    for (uint32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(Filled(&g_gutmannAlgo, 6 + k, chunk), cycle[chunk + k]) << chunk << " " << k;
      EXPECT_EQ(Filled(&g_gutmannAlgo, 25 + k, chunk), cycle[chunk + k]) << chunk << " " << k;
      EXPECT_EQ(Filled(&g_gutmannAlgo, 28 + k, chunk), cycle28[chunk + k]) << chunk << " " << k;
    }
  }
  EXPECT_EQ(Filled(&g_gutmannAlgo, 6, 3), 0x92);
}

TEST(AlgoRegistry, GrowthNamesAndLookup) {
  const uint32_t capacities[][2] = {{0, 1}, {1, 2}, {268435455u, 536870910u}, {268435456u, 0}};
  for (const auto& c : capacities) {
    uint32_t grown = 0;
    EXPECT_EQ(GrowAlgoCapacity(c[0], &grown), c[1] != 0) << c[0];
    EXPECT_EQ(grown, c[1]);
  }
  CFakeStringTable strings;
  CPeterGutmannAlgo gutmann;
  CZeroAlgo zero;
  EXPECT_EQ(gutmann.GetName(), L"");  // missing: empty, and looked up again
  strings.entries = {{kIdsGutmannName, L"Peter Gutmann (35)"}, {kIdsGutmannDescription, L"35 passes"}};
  EXPECT_EQ(gutmann.GetName(), L"Peter Gutmann (35)");
  const int lookups = strings.lookups;
  EXPECT_EQ(gutmann.GetName(), L"Peter Gutmann (35)");
  EXPECT_EQ(strings.lookups, lookups);  // cached once loaded
  EXPECT_EQ(gutmann.GetDescription(), L"35 passes");
  EXPECT_EQ(zero.GetDescription(), L"");

  CAlgoRegistry registry;
  strings.entries[kIdsZeroName] = L"PETER gutmann (35)";
  EXPECT_EQ(registry.Register(&gutmann), 1);
  EXPECT_EQ(registry.Register(&zero), 0);  // same name but for case
  EXPECT_EQ(registry.FindByName(L"peter GUTMANN (35)"), &gutmann);
  EXPECT_EQ(registry.FindByName(L"Peter Gutmann"), nullptr);
  EXPECT_EQ(registry.FindByName(L"peter GUTMANN (36)"), nullptr);
  EXPECT_EQ(registry.Get(1), nullptr);
  EXPECT_EQ(registry.Get(-1), nullptr);
  EXPECT_EQ(registry.Get(0), &gutmann);
}

// The process-wide registry, named as the executable's own table does (by key).
TEST(RegisterBuiltinAlgos, AllFiveInIndexOrderOnce) {
  const uint32_t name_ids[] = {kIdsZeroName, kIdsRandomName, kIdsDod3Name, kIdsDod7Name, kIdsGutmannName};
  CFakeStringTable strings;
  for (int i = 0; i < 5; ++i) strings.entries[name_ids[i]] = kAll[i]->GetKey();
  RegisterBuiltinAlgos();
  RegisterBuiltinAlgos();  // a second call adds nothing
  ASSERT_EQ(GetAlgoCount(), 5u);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(GetAlgo(i), kAll[i]) << i;
  EXPECT_EQ(FindAlgoByName(L"dod 5200.28-std (7)"), &g_dod7Algo);
}

}  // namespace
}  // namespace bpriv
