/** @file The span routines and the process-wide state they read (hue table, span hue, blend table, layout). */
#include "client/data/span_routines.h"

#include "client/data/hue_manager.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<uint16_t, 32 * 32> makeMultiplyTable()
{
    std::array<uint16_t, 32 * 32> table{};
    for (int a = 0; a < 32; ++a) {
        for (int k = 0; k < 32; ++k) table[static_cast<size_t>(a * 32 + k)] = static_cast<uint16_t>(a * k / 32);
    }
    return table;
}

constexpr std::array<uint16_t, 32 * 32> kMultiplyTable = makeMultiplyTable();

struct SpanState {
    const uint16_t* hueWords = nullptr;
    int32_t hueEntries = 0;
    int32_t hue = 0;
    const uint16_t* blendTable = kMultiplyTable.data();
    SpanPixelLayout layout;
    uint16_t censoredBlood = 0x03E0;
};

SpanState g_span;

inline bool isGrey(uint32_t s, const SpanPixelLayout& layout)
{
    return (s >> layout.greenShift) == (s & 0x3FF);
}

// Pixels with bit 15 set would index past the 32-word ramp; the ramp index keeps 5 bits.
inline uint32_t redIndex(uint32_t s, const SpanPixelLayout& layout)
{
    return (s >> layout.redShift) & 31;
}

inline uint16_t threeQuarter(uint32_t d, uint32_t s, uint32_t half, uint32_t quarter)
{
    return static_cast<uint16_t>((((((d & quarter) + (s & quarter)) >> 1) + (s & half)) >> 1) | 1);
}

inline uint16_t blendWith(const uint16_t* table, uint32_t d, uint32_t s, int32_t redShift, int32_t greenShift)
{
    const uint32_t r = table[((d >> redShift) & 31) * 32 + ((s >> redShift) & 31)];
    const uint32_t g = table[((d >> greenShift) & 31) * 32 + ((s >> greenShift) & 31)];
    const uint32_t b = table[(d & 31) * 32 + (s & 31)];
    return static_cast<uint16_t>((r << redShift) | (g << greenShift) | b);
}

} // namespace

void setSpanHueTable(const uint16_t* words, int32_t entries)
{
    g_span.hueWords = entries > 0 ? words : nullptr;
    g_span.hueEntries = words != nullptr && entries > 0 ? entries : 0;
}

void setSpanHue(int32_t hueIndex) { g_span.hue = hueIndex; }
int32_t spanHue() { return g_span.hue; }

const uint16_t* spanHueRamp(int32_t hueIndex)
{
    if (g_span.hueWords == nullptr) {
        if (hueIndex < 0 || hueIndex >= kHueCount) return nullptr;
        return HueManager::Entry(hueIndex).colors.data();
    }
    if (hueIndex < 0 || hueIndex >= g_span.hueEntries) return nullptr;
    return g_span.hueWords + static_cast<size_t>(hueIndex) * kHueEntryWords;
}

void setSpanBlendTable(const uint16_t* table) { g_span.blendTable = table != nullptr ? table : kMultiplyTable.data(); }
const uint16_t* spanBlendTable() { return g_span.blendTable; }
void setSpanPixelLayout(const SpanPixelLayout& layout) { g_span.layout = layout; }
const SpanPixelLayout& spanPixelLayout() { return g_span.layout; }
void setCensoredBloodColor(uint16_t color) { g_span.censoredBlood = color; }
uint16_t censoredBloodColor() { return g_span.censoredBlood; }
void resetSpanState() { g_span = SpanState{}; }

uint16_t blendPixel(uint16_t destination, uint16_t source)
{
    return blendWith(g_span.blendTable, destination, source, g_span.layout.redShift, g_span.layout.greenShift);
}

uint16_t threeQuarterPixel(uint16_t destination, uint16_t source)
{
    return threeQuarter(destination, source, g_span.layout.halfMask, g_span.layout.quarterMask);
}

void CopySpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    if (count > 0) std::memcpy(destination, source, static_cast<size_t>(count) * sizeof(uint16_t));
}

void CopySpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    // Written as a select so the compiler can vectorise it.
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        destination[i] = s != 0 ? s : destination[i];
    }
}

void hueSpanByGreen(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    for (int32_t i = 0; i < count; ++i) destination[i] = ramp[(source[i] >> 5) & 31];
}

void hueBlendSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return blendSpan(destination, source, count);
    const uint16_t* table = g_span.blendTable;
    const int32_t rs = g_span.layout.redShift;
    const int32_t gs = g_span.layout.greenShift;
    for (int32_t i = 0; i < count; ++i) destination[i] = blendWith(table, destination[i], ramp[(source[i] >> 5) & 31], rs, gs);
}

void blendSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* table = g_span.blendTable;
    const int32_t rs = g_span.layout.redShift;
    const int32_t gs = g_span.layout.greenShift;
    for (int32_t i = 0; i < count; ++i) destination[i] = blendWith(table, destination[i], source[i], rs, gs);
}

void hueSpanByRed(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const int32_t hue = g_span.hue > kHueTableEntries - 1 ? 0 : g_span.hue;
    const uint16_t* ramp = spanHueRamp(hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) destination[i] = ramp[redIndex(source[i], layout)];
}

void HueSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpanTransparent(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        if (s != 0) destination[i] = ramp[redIndex(s, layout)];
    }
}

void partialHueSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        destination[i] = isGrey(s, layout) ? ramp[redIndex(s, layout)] : s;
    }
}

void partialHueSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpanTransparent(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        if (s != 0) destination[i] = isGrey(s, layout) ? ramp[redIndex(s, layout)] : s;
    }
}

void censoredBloodSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const SpanPixelLayout layout = g_span.layout;
    const uint32_t c = g_span.censoredBlood;
    const uint32_t cr = (c >> layout.redShift) & 31;
    const uint32_t cg = (c >> layout.greenShift) & 31;
    const uint32_t cb = c & 31;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = source[i];
        const uint32_t r = (s >> layout.redShift) & 31;
        const uint32_t g = (s >> layout.greenShift) & 31;
        const uint32_t b = s & 31;
        if (r > g + b) {
            destination[i] = static_cast<uint16_t>((cr * (r + 1) / 32) << layout.redShift | (cg * (r + 1) / 32) << layout.greenShift
                                                   | cb * (r + 1) / 32);
        } else {
            destination[i] = static_cast<uint16_t>(s);
        }
    }
}

void threeQuarterSourceSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    const uint32_t q = g_span.layout.quarterMask;
    for (int32_t i = 0; i < count; ++i) destination[i] = threeQuarter(destination[i], source[i], h, q);
}

void threeQuarterSourceSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    const uint32_t q = g_span.layout.quarterMask;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        destination[i] = s != 0 ? threeQuarter(destination[i], s, h, q) : destination[i];
    }
}

void threeQuarterDestinationSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    const uint32_t q = g_span.layout.quarterMask;
    for (int32_t i = 0; i < count; ++i) destination[i] = threeQuarter(source[i], destination[i], h, q);
}

void BlendSpanHalf(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = source[i];
        const uint32_t d = destination[i];
        destination[i] = s != 0 ? static_cast<uint16_t>((((d & h) + (s & h)) >> 1) | 1) : static_cast<uint16_t>(d);
    }
}

void hueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return threeQuarterSourceSpan(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        destination[i] = threeQuarter(destination[i], ramp[redIndex(source[i], layout)], layout.halfMask, layout.quarterMask);
    }
}

void hueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return threeQuarterSourceSpanTransparent(destination, source, count);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        if (s != 0) destination[i] = threeQuarter(destination[i], ramp[redIndex(s, layout)], layout.halfMask, layout.quarterMask);
    }
}

void partialHueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        if (!isGrey(s, layout)) {
            destination[i] = s;
        } else {
            const uint16_t c = ramp != nullptr ? ramp[redIndex(s, layout)] : s;
            destination[i] = threeQuarter(destination[i], c, layout.halfMask, layout.quarterMask);
        }
    }
}

void partialHueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    const SpanPixelLayout layout = g_span.layout;
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        if (s == 0) continue;
        if (!isGrey(s, layout)) {
            destination[i] = s;
        } else {
            const uint16_t c = ramp != nullptr ? ramp[redIndex(s, layout)] : s;
            destination[i] = threeQuarter(destination[i], c, layout.halfMask, layout.quarterMask);
        }
    }
}
