#include "wipe/random.h"
#include "wipe/random_lanes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bpriv {

namespace {

// The one-step-at-a-time definition the fast paths must reproduce.
std::vector<uint8_t> ReferenceFill(uint32_t* state, uint32_t length) {
  std::vector<uint8_t> out(length);
  uint32_t i = 0;
  for (; i + 4 <= length; i += 4) {
    *state = *state * 214013u + 2531011u;
    for (int b = 0; b < 4; ++b) out[i + b] = static_cast<uint8_t>(*state >> (8 * b));
  }
  for (; i < length; ++i) {
    *state = *state * 214013u + 2531011u;
    out[i] = static_cast<uint8_t>(*state);
  }
  return out;
}

std::vector<uint32_t> TestLengths() {
  std::vector<uint32_t> lengths;
  for (uint32_t n = 0; n <= 64; ++n) lengths.push_back(n);
  // Around the lane block sizes (128 and 256 bytes) and the wiper's buffer.
  for (uint32_t n : {127u, 128u, 129u, 255u, 256u, 257u, 1021u, 4096u, 131072u,
                     131075u, 1000003u}) {
    lengths.push_back(n);
  }
  return lengths;
}

const uint32_t kSeeds[] = {0u, 1u, 2531011u, 0x7FFFFFFFu, 0x80000000u,
                           0xDEADBEEFu, 0xFFFFFFFFu, 123456789u};

TEST(Random, StepValuesFromKnownStates) {
  SetRandomStateForTest(0);
  EXPECT_EQ(GetRandom(), 2531011u);
  SetRandomStateForTest(1);
  EXPECT_EQ(GetRandom(), 2745024u);
}

TEST(Random, FillRandomMatchesOneStepDefinitionOnEveryPath) {
  for (LanePath path : {LanePath::kScalar, LanePath::kSse2, LanePath::kSse41, LanePath::kAvx2}) {
    if (!IsLanePathSupported(path)) continue;
    for (uint32_t seed : kSeeds) {
      for (uint32_t length : TestLengths()) {
        // Start offsets: aligned, word-aligned and not word-aligned buffers.
        for (size_t offset : {32u, 33u, 36u, 44u, 60u}) {
          if (length > 4096 && offset % 32 > 4) continue;  // alignment shows early
          uint32_t expected_state = seed;
          const std::vector<uint8_t> expected = ReferenceFill(&expected_state, length);
          std::vector<uint8_t> storage(length + 128, 0xA5);
          uint8_t* base = storage.data() + (32 - reinterpret_cast<uintptr_t>(storage.data()) % 32);
          uint8_t* out = base + (offset - 32);
          const uint32_t words = length / 4;
          const uint32_t state = FillWords(path, seed, out, words);
          ASSERT_TRUE(std::equal(expected.begin(), expected.begin() + words * 4, out))
              << "path " << static_cast<int>(path) << " seed " << seed << " length " << length
              << " offset " << offset;
          // Guard bytes on both sides catch writes outside the words.
          ASSERT_EQ(out[-1], 0xA5);
          ASSERT_EQ(out[words * 4], 0xA5);
          uint32_t words_state = seed;
          ReferenceFill(&words_state, words * 4);
          ASSERT_EQ(state, words_state);
        }
      }
    }
  }
}

TEST(Random, FillRandomBytesAndFollowingDraw) {
  for (uint32_t seed : kSeeds) {
    for (uint32_t length : TestLengths()) {
      uint32_t expected_state = seed;
      const std::vector<uint8_t> expected = ReferenceFill(&expected_state, length);
      std::vector<uint8_t> got(length + 1, 0x5A);
      SetRandomStateForTest(seed);
      ASSERT_EQ(FillRandom(got.data(), length), 1);
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()))
          << "seed " << seed << " length " << length;
      ASSERT_EQ(got[length], 0x5A);
      // The sequence continues where the fill left it: (n div 4) + (n mod 4) draws.
      ASSERT_EQ(GetRandom(), expected_state * 214013u + 2531011u);
    }
  }
}

TEST(Random, LcgJumpEqualsRepeatedSteps) {
  for (uint32_t steps : {0u, 1u, 2u, 32u, 64u, 1000u}) {
    const LcgJump jump = MakeLcgJump(steps);
    for (uint32_t seed : kSeeds) {
      uint32_t s = seed;
      for (uint32_t i = 0; i < steps; ++i) s = s * 214013u + 2531011u;
      EXPECT_EQ(seed * jump.multiplier + jump.increment, s) << steps;
    }
  }
}

int g_reads = 0;
SeedInputs g_inputs;
SeedInputs FakeInputs() {
  ++g_reads;
  return g_inputs;
}

TEST(Random, SeedsOnceFromInputs) {
  struct Case {
    SeedInputs in;
    uint32_t sum;       // t + thread + process + y + x, modulo 2^32
    uint32_t advances;  // t mod 256
  };
  const Case cases[] = {
      {{0x100, 0, 0, 0, 0}, 0x100u, 0},
      {{0x200, -1, 2, 5, 7}, 0x20Du, 0},
      {{0x203, -3, -4, 10, 20}, 0x203u + 30u - 7u, 3},
      {{0xFFFFFFFFu, 0, 0, 1, 0}, 0u, 255},
  };
  const SeedInputsReader saved = GetSeedInputsReader();
  SetSeedInputsReader(&FakeInputs);
  for (const Case& c : cases) {
    ResetRandomForTest();
    g_reads = 0;
    g_inputs = c.in;
    uint32_t expected = c.sum;
    for (uint32_t i = 0; i <= c.advances; ++i) expected = expected * 214013u + 2531011u;
    EXPECT_EQ(GetRandom(), expected);
    uint8_t buf[9];
    FillRandom(buf, sizeof buf);
    GetRandom();
    EXPECT_EQ(g_reads, 1);
  }
  // A fill of nothing draws nothing, so it does not seed either.
  ResetRandomForTest();
  g_reads = 0;
  EXPECT_EQ(FillRandom(nullptr, 0), 1);
  EXPECT_EQ(g_reads, 0);
  SetSeedInputsReader(saved);
}

}  // namespace

}  // namespace bpriv
