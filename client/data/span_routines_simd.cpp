/** @file SSSE3 and AVX2 kernels of the hued and censored-blood span routines, each compiled for its instruction set and offered only when the CPU has it. */
#include "client/data/span_routines_simd.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <utility>

// The rest of the program is built for the x86-64 baseline (SSE2). Each kernel carries a target
// attribute for its own instruction set instead, so one binary runs everywhere and uses byte
// shuffles (SSSE3) or twice as wide vectors (AVX2) where the CPU has them.

namespace {

// The pixels left over after the last whole vector, one at a time, as the vector code computes them.
template <uint32_t Mode>
inline uint16_t huePixel(uint16_t d, uint16_t s, const SpanHueParams& p)
{
    uint32_t c = p.ramp[(static_cast<uint32_t>(s) >> p.indexShift) & 31];
    if constexpr ((Mode & kHueThreeQuarter) != 0) {
        const uint32_t q = p.quarterMask;
        c = ((((d & q) + (c & q)) >> 1) + (c & p.halfMask)) >> 1 | 1;
    }
    if constexpr ((Mode & kHueGreyOnly) != 0) c = (static_cast<uint32_t>(s) >> p.greenShift) == (s & 0x3FFu) ? c : s;
    if constexpr ((Mode & kHueSkipZero) != 0) c = s != 0 ? c : d;
    return static_cast<uint16_t>(c);
}

inline uint16_t censoredBloodPixel(uint16_t s, const SpanBloodParams& p)
{
    const uint32_t r = (static_cast<uint32_t>(s) >> p.redShift) & 31;
    const uint32_t g = (static_cast<uint32_t>(s) >> p.greenShift) & 31;
    const uint32_t b = s & 31u;
    if (r <= g + b) return s;
    auto scaled = [r](uint32_t channel) { return (channel & 31) * (r + 1) >> 5; };
    return static_cast<uint16_t>(scaled(p.color >> p.redShift) << p.redShift | scaled(p.color >> p.greenShift) << p.greenShift
                                 | scaled(p.color));
}

namespace ssse3 {

#define KZ_SPAN_TARGET __attribute__((target("ssse3")))

using Vec = __m128i;

KZ_SPAN_TARGET inline Vec loadVec(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
KZ_SPAN_TARGET inline void storeVec(uint16_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
KZ_SPAN_TARGET inline Vec table16(__m128i bytes) { return bytes; }
KZ_SPAN_TARGET inline Vec splat16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
KZ_SPAN_TARGET inline Vec splat8(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
KZ_SPAN_TARGET inline Vec andV(Vec a, Vec b) { return _mm_and_si128(a, b); }
KZ_SPAN_TARGET inline Vec andNotV(Vec mask, Vec b) { return _mm_andnot_si128(mask, b); }
KZ_SPAN_TARGET inline Vec orV(Vec a, Vec b) { return _mm_or_si128(a, b); }
KZ_SPAN_TARGET inline Vec xorV(Vec a, Vec b) { return _mm_xor_si128(a, b); }
KZ_SPAN_TARGET inline Vec add16(Vec a, Vec b) { return _mm_add_epi16(a, b); }
KZ_SPAN_TARGET inline Vec add8(Vec a, Vec b) { return _mm_add_epi8(a, b); }
KZ_SPAN_TARGET inline Vec shiftRight16(Vec v, uint32_t n) { return _mm_srl_epi16(v, _mm_cvtsi32_si128(static_cast<int>(n))); }
KZ_SPAN_TARGET inline Vec shiftLeft16(Vec v, uint32_t n) { return _mm_sll_epi16(v, _mm_cvtsi32_si128(static_cast<int>(n))); }
KZ_SPAN_TARGET inline Vec multiplyLow16(Vec a, Vec b) { return _mm_mullo_epi16(a, b); }
KZ_SPAN_TARGET inline Vec equal16(Vec a, Vec b) { return _mm_cmpeq_epi16(a, b); }
KZ_SPAN_TARGET inline Vec greater16(Vec a, Vec b) { return _mm_cmpgt_epi16(a, b); }
KZ_SPAN_TARGET inline Vec pack8(Vec a, Vec b) { return _mm_packus_epi16(a, b); }
KZ_SPAN_TARGET inline Vec unpackLow8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
KZ_SPAN_TARGET inline Vec unpackHigh8(Vec a, Vec b) { return _mm_unpackhi_epi8(a, b); }
KZ_SPAN_TARGET inline Vec shuffle8(Vec table, Vec indices) { return _mm_shuffle_epi8(table, indices); }

#include "client/data/span_routines_simd.inc"

#undef KZ_SPAN_TARGET

} // namespace ssse3

namespace avx2 {

#define KZ_SPAN_TARGET __attribute__((target("avx2")))

using Vec = __m256i;

// The 256-bit shuffles, packs and unpacks work within each 128-bit half, so a 16-byte table is
// repeated in both halves and a pack followed by the unpacks gives the pixels back in order.
KZ_SPAN_TARGET inline Vec loadVec(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
KZ_SPAN_TARGET inline void storeVec(uint16_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
KZ_SPAN_TARGET inline Vec table16(__m128i bytes) { return _mm256_broadcastsi128_si256(bytes); }
KZ_SPAN_TARGET inline Vec splat16(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
KZ_SPAN_TARGET inline Vec splat8(uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
KZ_SPAN_TARGET inline Vec andV(Vec a, Vec b) { return _mm256_and_si256(a, b); }
KZ_SPAN_TARGET inline Vec andNotV(Vec mask, Vec b) { return _mm256_andnot_si256(mask, b); }
KZ_SPAN_TARGET inline Vec orV(Vec a, Vec b) { return _mm256_or_si256(a, b); }
KZ_SPAN_TARGET inline Vec xorV(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
KZ_SPAN_TARGET inline Vec add16(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
KZ_SPAN_TARGET inline Vec add8(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
KZ_SPAN_TARGET inline Vec shiftRight16(Vec v, uint32_t n) { return _mm256_srl_epi16(v, _mm_cvtsi32_si128(static_cast<int>(n))); }
KZ_SPAN_TARGET inline Vec shiftLeft16(Vec v, uint32_t n) { return _mm256_sll_epi16(v, _mm_cvtsi32_si128(static_cast<int>(n))); }
KZ_SPAN_TARGET inline Vec multiplyLow16(Vec a, Vec b) { return _mm256_mullo_epi16(a, b); }
KZ_SPAN_TARGET inline Vec equal16(Vec a, Vec b) { return _mm256_cmpeq_epi16(a, b); }
KZ_SPAN_TARGET inline Vec greater16(Vec a, Vec b) { return _mm256_cmpgt_epi16(a, b); }
KZ_SPAN_TARGET inline Vec pack8(Vec a, Vec b) { return _mm256_packus_epi16(a, b); }
KZ_SPAN_TARGET inline Vec unpackLow8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
KZ_SPAN_TARGET inline Vec unpackHigh8(Vec a, Vec b) { return _mm256_unpackhi_epi8(a, b); }
KZ_SPAN_TARGET inline Vec shuffle8(Vec table, Vec indices) { return _mm256_shuffle_epi8(table, indices); }

#include "client/data/span_routines_simd.inc"

#undef KZ_SPAN_TARGET

} // namespace avx2

} // namespace

const SpanKernels* ssse3SpanKernels()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? &ssse3::kKernels : nullptr;
}

const SpanKernels* avx2SpanKernels()
{
    // The check includes the operating system's saving of the 256-bit registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? &avx2::kKernels : nullptr;
}

#else

const SpanKernels* ssse3SpanKernels() { return nullptr; }
const SpanKernels* avx2SpanKernels() { return nullptr; }

#endif
