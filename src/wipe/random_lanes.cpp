#include "wipe/random_lanes.h"

#include <cstring>
#include <initializer_list>

#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#define BPRIV_X86 1
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#else
#define BPRIV_X86 0
#endif

// Per-function instruction sets, so the binary still starts on any x86-64
// CPU. MSVC needs no attribute to emit intrinsics.
#if defined(__GNUC__) || defined(__clang__)
#define BPRIV_TARGET(features) __attribute__((target(features)))
#else
#define BPRIV_TARGET(features)
#endif

namespace bpriv {

LcgJump MakeLcgJump(uint32_t steps) {
  LcgJump jump{1u, 0u};
  for (uint32_t i = 0; i < steps; ++i) {
    jump.multiplier *= kLcgMultiplier;
    jump.increment = jump.increment * kLcgMultiplier + kLcgIncrement;
  }
  return jump;
}

namespace {

void StoreLe32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t FillWordsScalar(uint32_t state, uint8_t* out, size_t words) {
  for (size_t i = 0; i < words; ++i) {
    state = LcgStep(state);
    StoreLe32(out + 4 * i, state);
  }
  return state;
}

#if BPRIV_X86

// Eight vectors of lanes; lane k of vector v holds output word 8v+k (AVX2) or
// 4v+k (SSE). A block step advances every lane by the total lane count.
constexpr size_t kVectors = 8;

// The first `lanes` words of the sequence after `state`, the lanes' start.
void FirstLaneWords(uint32_t state, uint32_t* words, size_t lanes) {
  for (size_t i = 0; i < lanes; ++i) {
    state = LcgStep(state);
    words[i] = state;
  }
}

// x86 is little-endian: the last word stored is the generator's state.
uint32_t LastStoredWord(const uint8_t* end) {
  uint32_t word;
  std::memcpy(&word, end - 4, 4);
  return word;
}

BPRIV_TARGET("avx2")
uint32_t FillWordsAvx2(uint32_t state, uint8_t* out, size_t words) {
  constexpr size_t kLanes = kVectors * 8;
  const size_t blocks = words / kLanes;
  if (blocks != 0) {
    uint32_t first[kLanes];
    FirstLaneWords(state, first, kLanes);
    const LcgJump jump = MakeLcgJump(kLanes);
    const __m256i mul = _mm256_set1_epi32(static_cast<int>(jump.multiplier));
    const __m256i add = _mm256_set1_epi32(static_cast<int>(jump.increment));
    // Named variables, not an array, so the lanes stay in registers.
    __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 0));
    __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 8));
    __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 16));
    __m256i v3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 24));
    __m256i v4 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 32));
    __m256i v5 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 40));
    __m256i v6 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 48));
    __m256i v7 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + 56));
    for (size_t b = 0; b < blocks; ++b) {
      __m256i* p = reinterpret_cast<__m256i*>(out + b * kLanes * 4);
      _mm256_storeu_si256(p + 0, v0);
      _mm256_storeu_si256(p + 1, v1);
      _mm256_storeu_si256(p + 2, v2);
      _mm256_storeu_si256(p + 3, v3);
      _mm256_storeu_si256(p + 4, v4);
      _mm256_storeu_si256(p + 5, v5);
      _mm256_storeu_si256(p + 6, v6);
      _mm256_storeu_si256(p + 7, v7);
      v0 = _mm256_add_epi32(_mm256_mullo_epi32(v0, mul), add);
      v1 = _mm256_add_epi32(_mm256_mullo_epi32(v1, mul), add);
      v2 = _mm256_add_epi32(_mm256_mullo_epi32(v2, mul), add);
      v3 = _mm256_add_epi32(_mm256_mullo_epi32(v3, mul), add);
      v4 = _mm256_add_epi32(_mm256_mullo_epi32(v4, mul), add);
      v5 = _mm256_add_epi32(_mm256_mullo_epi32(v5, mul), add);
      v6 = _mm256_add_epi32(_mm256_mullo_epi32(v6, mul), add);
      v7 = _mm256_add_epi32(_mm256_mullo_epi32(v7, mul), add);
    }
    state = LastStoredWord(out + blocks * kLanes * 4);
  }
  const size_t done = blocks * kLanes;
  return FillWordsScalar(state, out + done * 4, words - done);
}

BPRIV_TARGET("sse4.1")
uint32_t FillWordsSse41(uint32_t state, uint8_t* out, size_t words) {
  constexpr size_t kLanes = kVectors * 4;
  const size_t blocks = words / kLanes;
  if (blocks != 0) {
    uint32_t first[kLanes];
    FirstLaneWords(state, first, kLanes);
    const LcgJump jump = MakeLcgJump(kLanes);
    const __m128i mul = _mm_set1_epi32(static_cast<int>(jump.multiplier));
    const __m128i add = _mm_set1_epi32(static_cast<int>(jump.increment));
    __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 0));
    __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 4));
    __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 8));
    __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 12));
    __m128i v4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 16));
    __m128i v5 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 20));
    __m128i v6 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 24));
    __m128i v7 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 28));
    for (size_t b = 0; b < blocks; ++b) {
      __m128i* p = reinterpret_cast<__m128i*>(out + b * kLanes * 4);
      _mm_storeu_si128(p + 0, v0);
      _mm_storeu_si128(p + 1, v1);
      _mm_storeu_si128(p + 2, v2);
      _mm_storeu_si128(p + 3, v3);
      _mm_storeu_si128(p + 4, v4);
      _mm_storeu_si128(p + 5, v5);
      _mm_storeu_si128(p + 6, v6);
      _mm_storeu_si128(p + 7, v7);
      v0 = _mm_add_epi32(_mm_mullo_epi32(v0, mul), add);
      v1 = _mm_add_epi32(_mm_mullo_epi32(v1, mul), add);
      v2 = _mm_add_epi32(_mm_mullo_epi32(v2, mul), add);
      v3 = _mm_add_epi32(_mm_mullo_epi32(v3, mul), add);
      v4 = _mm_add_epi32(_mm_mullo_epi32(v4, mul), add);
      v5 = _mm_add_epi32(_mm_mullo_epi32(v5, mul), add);
      v6 = _mm_add_epi32(_mm_mullo_epi32(v6, mul), add);
      v7 = _mm_add_epi32(_mm_mullo_epi32(v7, mul), add);
    }
    state = LastStoredWord(out + blocks * kLanes * 4);
  }
  const size_t done = blocks * kLanes;
  return FillWordsScalar(state, out + done * 4, words - done);
}

// SSE2 has no 32-bit low multiply: multiply even and odd lanes as 64-bit
// products and put the low halves back together.
inline __m128i MulLo32Sse2(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

uint32_t FillWordsSse2(uint32_t state, uint8_t* out, size_t words) {
  constexpr size_t kLanes = kVectors * 4;
  const size_t blocks = words / kLanes;
  if (blocks != 0) {
    uint32_t first[kLanes];
    FirstLaneWords(state, first, kLanes);
    const LcgJump jump = MakeLcgJump(kLanes);
    const __m128i mul = _mm_set1_epi32(static_cast<int>(jump.multiplier));
    const __m128i add = _mm_set1_epi32(static_cast<int>(jump.increment));
    __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 0));
    __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 4));
    __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 8));
    __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 12));
    __m128i v4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 16));
    __m128i v5 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 20));
    __m128i v6 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 24));
    __m128i v7 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 28));
    for (size_t b = 0; b < blocks; ++b) {
      __m128i* p = reinterpret_cast<__m128i*>(out + b * kLanes * 4);
      _mm_storeu_si128(p + 0, v0);
      _mm_storeu_si128(p + 1, v1);
      _mm_storeu_si128(p + 2, v2);
      _mm_storeu_si128(p + 3, v3);
      _mm_storeu_si128(p + 4, v4);
      _mm_storeu_si128(p + 5, v5);
      _mm_storeu_si128(p + 6, v6);
      _mm_storeu_si128(p + 7, v7);
      v0 = _mm_add_epi32(MulLo32Sse2(v0, mul), add);
      v1 = _mm_add_epi32(MulLo32Sse2(v1, mul), add);
      v2 = _mm_add_epi32(MulLo32Sse2(v2, mul), add);
      v3 = _mm_add_epi32(MulLo32Sse2(v3, mul), add);
      v4 = _mm_add_epi32(MulLo32Sse2(v4, mul), add);
      v5 = _mm_add_epi32(MulLo32Sse2(v5, mul), add);
      v6 = _mm_add_epi32(MulLo32Sse2(v6, mul), add);
      v7 = _mm_add_epi32(MulLo32Sse2(v7, mul), add);
    }
    state = LastStoredWord(out + blocks * kLanes * 4);
  }
  const size_t done = blocks * kLanes;
  return FillWordsScalar(state, out + done * 4, words - done);
}

struct CpuFeatures {
  bool sse2 = false;
  bool sse41 = false;
  bool avx2 = false;
};

void Cpuid(unsigned leaf, unsigned subleaf, unsigned regs[4]) {
#if defined(_MSC_VER) && !defined(__clang__)
  int r[4];
  __cpuidex(r, static_cast<int>(leaf), static_cast<int>(subleaf));
  for (int i = 0; i < 4; ++i) regs[i] = static_cast<unsigned>(r[i]);
#else
  regs[0] = regs[1] = regs[2] = regs[3] = 0;
  __get_cpuid_count(leaf, subleaf, &regs[0], &regs[1], &regs[2], &regs[3]);
#endif
}

BPRIV_TARGET("xsave")
unsigned long long EnabledXState() { return _xgetbv(0); }

CpuFeatures DetectCpu() {
  CpuFeatures f;
  unsigned regs[4];
  Cpuid(0, 0, regs);
  const unsigned max_leaf = regs[0];
  Cpuid(1, 0, regs);
  f.sse2 = (regs[3] >> 26) & 1u;
  f.sse41 = (regs[2] >> 19) & 1u;
  const bool osxsave = (regs[2] >> 27) & 1u;
  const bool avx = (regs[2] >> 28) & 1u;
  // AVX registers are usable only when the OS saves their upper halves.
  const bool ymm_saved = osxsave && avx && (EnabledXState() & 6u) == 6u;
  if (max_leaf >= 7 && ymm_saved) {
    Cpuid(7, 0, regs);
    f.avx2 = (regs[1] >> 5) & 1u;
  }
  return f;
}

const CpuFeatures& Cpu() {
  static const CpuFeatures features = DetectCpu();
  return features;
}

#endif  // BPRIV_X86

}  // namespace

bool IsLanePathSupported(LanePath path) {
  switch (path) {
    case LanePath::kScalar:
      return true;
#if BPRIV_X86
    case LanePath::kSse2:
      return Cpu().sse2;
    case LanePath::kSse41:
      return Cpu().sse41;
    case LanePath::kAvx2:
      return Cpu().avx2;
#endif
    default:
      return false;
  }
}

LanePath BestLanePath() {
  static const LanePath best = [] {
    for (LanePath p : {LanePath::kAvx2, LanePath::kSse41, LanePath::kSse2}) {
      if (IsLanePathSupported(p)) return p;
    }
    return LanePath::kScalar;
  }();
  return best;
}

uint32_t FillWords(LanePath path, uint32_t state, uint8_t* out, size_t words) {
  if (!IsLanePathSupported(path)) path = LanePath::kScalar;
  // Vector stores that straddle cache lines cost a third of the speed: step
  // single words up to a 32-byte boundary first when the words allow it.
  const size_t misalign = static_cast<size_t>(reinterpret_cast<uintptr_t>(out) % 32);
  if (path != LanePath::kScalar && misalign != 0 && misalign % 4 == 0) {
    const size_t head = (32 - misalign) / 4 < words ? (32 - misalign) / 4 : words;
    state = FillWordsScalar(state, out, head);
    out += 4 * head;
    words -= head;
  }
  switch (path) {
#if BPRIV_X86
    case LanePath::kAvx2:
      return FillWordsAvx2(state, out, words);
    case LanePath::kSse41:
      return FillWordsSse41(state, out, words);
    case LanePath::kSse2:
      return FillWordsSse2(state, out, words);
#endif
    default:
      return FillWordsScalar(state, out, words);
  }
}

}  // namespace bpriv
