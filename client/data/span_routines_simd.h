/** @file Vector kernels of the hued and censored-blood span routines for SSSE3 and AVX2, chosen at run time by span_routines.cpp. */
#pragma once

#include <cstdint>

// Only span_routines.cpp (and its tests, through setSpanPath) use these. Every kernel writes
// exactly what the scalar routine of the same settings writes; the scalar loops stay the
// reference and the fallback for CPUs and layouts the kernels do not cover.

/** What a hue kernel reads besides the pixels. Both shifts lie in 0..15. */
struct SpanHueParams {
    const uint16_t* ramp = nullptr;  // 32 colours
    uint32_t indexShift = 10;        // colour = ramp[(s >> indexShift) & 31]
    uint32_t greenShift = 5;         // for the grey test
    uint16_t halfMask = 0x7BDE;
    uint16_t quarterMask = 0x739C;
};

/** What the censored-blood kernel reads besides the pixels. Both shifts lie in 0..15. */
struct SpanBloodParams {
    uint32_t redShift = 10;
    uint32_t greenShift = 5;
    uint16_t color = 0x03E0;
};

// A hue kernel's mode is a combination of these bits; together they cover every hued routine:
// the ramp colour c of each source pixel s is first mixed three-quarter over the destination
// (when asked), then kept only for grey s (others write s), then skipped where s is 0.
constexpr uint32_t kHueThreeQuarter = 1;
constexpr uint32_t kHueGreyOnly = 2;
constexpr uint32_t kHueSkipZero = 4;
constexpr uint32_t kHueModes = 8;

using SpanHueKernel = void (*)(uint16_t* destination, const uint16_t* source, int32_t count, const SpanHueParams& params);
using SpanBloodKernel = void (*)(uint16_t* destination, const uint16_t* source, int32_t count, const SpanBloodParams& params);

/** The kernels of one instruction set. */
struct SpanKernels {
    SpanHueKernel hue[kHueModes];
    SpanBloodKernel censoredBlood;
};

/** The kernels for SSSE3 and for AVX2; null when this CPU (or a build for another architecture) lacks the instruction set. */
const SpanKernels* ssse3SpanKernels();
const SpanKernels* avx2SpanKernels();
