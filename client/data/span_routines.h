/** @file The span routines: how a piece of source pixels combines with the destination (copy, hue, blend, translucency). */
#pragma once

#include <cstdint>

// A span routine writes `count` pixels at `destination` from `source`. It does no clipping of
// its own: the blits clip once per run and hand over only the visible piece. All routines work
// on 5-5-5 pixels. The hued ones read the ramp (the first 32 words) of the current span hue
// from the hue table given to setSpanHueTable; a hue index outside that table draws unhued,
// i.e. the routine behaves like its plain twin (copy, blend or three-quarter of the source).
// Source and destination must not overlap. State is process-wide and belongs to the drawing thread.
using SpanRoutine = void (*)(uint16_t* destination, const uint16_t* source, int32_t count);

/** Words per hue table entry (32 ramp colours, start, end, 20-byte name) and entries in the table. */
constexpr int32_t kHueEntryWords = 44;
constexpr int32_t kHueTableEntries = 3000;

/** The 5-5-5 channel layout; the configuration may change the shifts and masks. */
struct SpanPixelLayout {
    int32_t redShift = 10;
    int32_t greenShift = 5;
    uint16_t halfMask = 0x7BDE;
    uint16_t quarterMask = 0x739C;
};

/**
 * Replaces the hue table with `entries` hues of kHueEntryWords host-order words each, starting
 * at `words` (not owned; must stay valid while installed). Null goes back to the table of
 * HueManager, which the routines read when nothing else is installed.
 */
void setSpanHueTable(const uint16_t* words, int32_t entries);
/** The current span hue, a 0-based index into the hue table. */
void setSpanHue(int32_t hueIndex);
int32_t spanHue();
/** The ramp of a hue index, or null when the index lies outside the hue table. */
const uint16_t* spanHueRamp(int32_t hueIndex);
/**
 * The current blend table: 32 x 32 entries indexed [destination channel x 32 + source channel]
 * (not owned). Null restores the built-in multiply table (entry a x k / 32). The table is read
 * when it is installed (one holding a blend mode's formula is then blended by arithmetic), so
 * its entries must not change while it is installed: install it again after changing them.
 */
void setSpanBlendTable(const uint16_t* table);
const uint16_t* spanBlendTable();
void setSpanPixelLayout(const SpanPixelLayout& layout);
const SpanPixelLayout& spanPixelLayout();
/** The 15-bit colour that the censored-blood routine scales; 0x03E0 by default. */
void setCensoredBloodColor(uint16_t color);
uint16_t censoredBloodColor();
/**
 * The code the hued and censored-blood routines run on: the portable scalar loops, or vector
 * kernels for SSSE3 or AVX2. The fastest path the CPU offers is used unless another is set; every path
 * writes the same pixels. Layouts whose shifts leave the 16-bit pixel always run scalar.
 */
enum class SpanPath { Scalar, Ssse3, Avx2 };
bool spanPathAvailable(SpanPath path);
SpanPath spanPath();
/** Runs the routines on `path` (tests and benchmarks compare the paths); false, and no change, when the CPU lacks it. */
bool setSpanPath(SpanPath path);
/** Restores every setting above to its start-up value (HueManager's table, hue 0, default blend and layout, fastest path). */
void resetSpanState();

/** Blend of two pixels through the current blend table, channel by channel. */
uint16_t blendPixel(uint16_t destination, uint16_t source);
/** The three-quarter-source mix of the translucent routines; never 0. */
uint16_t threeQuarterPixel(uint16_t destination, uint16_t source);

// The family. "skips 0" means a source pixel 0 leaves the destination unchanged.
/** Writes every source pixel (a block copy). */
void CopySpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes the source; skips 0. */
void CopySpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes ramp[(s >> 5) & 31] for every pixel. */
void hueSpanByGreen(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes blend(d, ramp[(s >> 5) & 31]) for every pixel. */
void hueBlendSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes blend(d, s) for every pixel. */
void blendSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes ramp[s >> red shift] for every pixel; a hue index above 2999 is read as 0. */
void hueSpanByRed(uint16_t* destination, const uint16_t* source, int32_t count);
/** Writes ramp[s >> red shift]; skips 0. */
void HueSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Grey sources (red = green = blue) become ramp[s >> red shift], others are copied; every pixel. */
void partialHueSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** As partialHueSpan; skips 0. */
void partialHueSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count);
/** Reddish sources (red > green + blue) become the censored-blood colour scaled by (red + 1) / 32; others copied. */
void censoredBloodSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Three quarters source, one quarter destination, lowest bit set; every pixel. */
void threeQuarterSourceSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** As threeQuarterSourceSpan; skips 0. */
void threeQuarterSourceSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count);
/** Three quarters destination, one quarter source, lowest bit set; every pixel. */
void threeQuarterDestinationSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** Half destination, half source, lowest bit set; skips 0. */
void BlendSpanHalf(uint16_t* destination, const uint16_t* source, int32_t count);
/** Three-quarter source of (d, ramp[s >> red shift]); every pixel. */
void hueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** As hueThreeQuarterSpan; skips 0. */
void hueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count);
/** Grey sources: three-quarter source of (d, ramp[s >> red shift]); other sources are copied. Every pixel. */
void partialHueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count);
/** As partialHueThreeQuarterSpan; skips 0. */
void partialHueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count);
