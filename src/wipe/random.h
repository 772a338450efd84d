// Process-wide pseudo-random source of the wipe engine: a 32-bit linear
// congruential generator (multiplier 214013, increment 2531011) that hands
// out its whole state. Not cryptographically strong; nothing relies on that.
#pragma once

#include <cstdint>

namespace bpriv {

// The values the seed is made of. Read from the platform on the first draw.
struct SeedInputs {
  uint32_t tick = 0;        // milliseconds since system start
  int32_t cursor_x = 0;     // cursor position, (0, 0) when unavailable
  int32_t cursor_y = 0;
  uint32_t thread_id = 0;
  uint32_t process_id = 0;
};

using SeedInputsReader = SeedInputs (*)();

// Seam: where SeedRandom takes its inputs from. The Windows side installs the
// real reader (see InstallWipePlatform); without one the inputs are all zero.
void SetSeedInputsReader(SeedInputsReader reader);
SeedInputsReader GetSeedInputsReader();

// Seeds the generator from the reader's inputs. Only GetRandom calls it.
void SeedRandom();

// Seeds on first use, advances the state one step and returns the new state.
uint32_t GetRandom();

// Fills the buffer with fresh draws: one little-endian word per whole 4 bytes,
// then the low byte of one draw per remaining byte. Always returns 1.
int FillRandom(void* buffer, uint32_t length);

// Test hooks: forget the seed, or put the generator into a known state.
void ResetRandomForTest();
void SetRandomStateForTest(uint32_t state);

}  // namespace bpriv
