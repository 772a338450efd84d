#include "wipe/random.h"
#include "wipe/random_lanes.h"

#include <gtest/gtest.h>

#include <vector>

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

std::vector<uint32_t> Lengths() {
  std::vector<uint32_t> lengths;
  for (uint32_t n = 0; n <= 64; ++n) lengths.push_back(n);
  // Around the lane blocks (128 and 256 bytes) and the wiper's buffer.
  for (uint32_t n : {127u, 128u, 129u, 255u, 256u, 257u, 1021u, 4096u, 131072u, 131075u, 1000003u}) {
    lengths.push_back(n);
  }
  return lengths;
}

const uint32_t kSeeds[] = {0u, 1u, 2531011u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu, 123456789u};

TEST(Random, EveryLanePathMatchesTheDefinition) {
  SetRandomStateForTest(0);
  EXPECT_EQ(GetRandom(), 2531011u);
  SetRandomStateForTest(1);
  EXPECT_EQ(GetRandom(), 2745024u);
  for (LanePath path : {LanePath::kScalar, LanePath::kSse2, LanePath::kSse41, LanePath::kAvx2}) {
    if (!IsLanePathSupported(path)) continue;
    for (uint32_t seed : kSeeds) {
      for (uint32_t length : Lengths()) {
        // Offsets from a 32-byte boundary: aligned, word-aligned, unaligned.
        // The long buffers only aligned and with two seeds: they add length, not cases.
        for (size_t offset : {0u, 1u, 4u, 12u, 28u}) {
          if (length > 4096 && (offset > 1 || (seed != 0xDEADBEEFu && seed != 0u))) continue;
          uint32_t expected_state = seed;
          const std::vector<uint8_t> expected = ReferenceFill(&expected_state, length / 4 * 4);
          std::vector<uint8_t> storage(length + 128, 0xA5);
          uint8_t* out = storage.data() + (32 - reinterpret_cast<uintptr_t>(storage.data()) % 32) + offset;
          const uint32_t state = FillWords(path, seed, out, length / 4);
          ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out))
              << "path " << static_cast<int>(path) << " seed " << seed << " length " << length;
          ASSERT_EQ(out[-1], 0xA5);  // nothing written outside the words
          ASSERT_EQ(out[expected.size()], 0xA5);
          ASSERT_EQ(state, expected_state);
        }
      }
    }
  }
}

TEST(Random, FillRandomContinuesOneSequence) {
  for (uint32_t seed : kSeeds) {
    for (uint32_t length : Lengths()) {
      uint32_t expected_state = seed;
      const std::vector<uint8_t> expected = ReferenceFill(&expected_state, length);
      std::vector<uint8_t> got(length + 1, 0x5A);
      SetRandomStateForTest(seed);
      ASSERT_EQ(FillRandom(got.data(), length), 1);
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), got.begin())) << seed << " " << length;
      ASSERT_EQ(got[length], 0x5A);
      ASSERT_EQ(GetRandom(), Step(expected_state));  // (n div 4) + (n mod 4) draws
    }
  }
}

int g_reads = 0;
SeedInputs g_inputs;
SeedInputs FakeInputs() {
  ++g_reads;
  return g_inputs;
}

// The process's very first draw, taken before any test can set the state: it
// must read the seed inputs, or every run would wipe with the same bytes.
const int g_reads_by_first_draw = [] {
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  GetRandom();
  SetSeedInputsReader(saved);
  return g_reads;
}();

TEST(Random, FirstDrawOfTheProcessSeeds) { EXPECT_EQ(g_reads_by_first_draw, 1); }

TEST(Random, SeedsOnceFromInputs) {
  struct Case {
    SeedInputs in;
    uint32_t sum;       // tick + thread + process + y + x, modulo 2^32
    uint32_t advances;  // tick mod 256
  };
  const Case cases[] = {
      {{0x200, -1, 2, 5, 7}, 0x20Du, 0},
      {{0x203, -3, -4, 10, 20}, 0x203u + 23u, 3},
      {{0xFFFFFFFFu, 0, 0, 1, 0}, 0u, 255},
  };
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  for (const Case& c : cases) {
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

}  // namespace
}  // namespace bpriv
