// Multi-lane computation of the generator's output words. Every path produces
// exactly the words of the one-step definition; the wide ones keep many lanes
// in flight so a fill runs at store bandwidth instead of one multiply latency
// per word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bpriv {

constexpr uint32_t kLcgMultiplier = 214013u;
constexpr uint32_t kLcgIncrement = 2531011u;

constexpr uint32_t LcgStep(uint32_t state) {
  return state * kLcgMultiplier + kLcgIncrement;
}

// Multiplier and increment that advance the generator by `steps` at once.
struct LcgJump {
  uint32_t multiplier;
  uint32_t increment;
};
LcgJump MakeLcgJump(uint32_t steps);

enum class LanePath { kScalar, kSse2, kSse41, kAvx2 };

// True when this build and this CPU (and OS) can run the path.
bool IsLanePathSupported(LanePath path);
// The widest supported path; decided once per process.
LanePath BestLanePath();

// Writes `words` output words (little-endian) to `out`, starting with the
// step after `state`, and returns the state after the last one.
uint32_t FillWords(LanePath path, uint32_t state, uint8_t* out, size_t words);

}  // namespace bpriv
