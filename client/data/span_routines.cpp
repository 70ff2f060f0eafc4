/** @file The span routines and the process-wide state they read (hue table, span hue, blend table, layout). */
#include "client/data/span_routines.h"

#include "client/data/hue_manager.h"
#include "client/data/span_routines_simd.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The seven blend modes' tables have closed forms. A table installed with one of those exact
// contents is blended by arithmetic, which the compiler turns into vector code; any other table
// is looked up channel by channel.
enum class BlendKind { Lookup, Multiply, Add, AddMultiply, HalfAddMultiply, QuarterAddMultiply, SubtractSource, SubtractDestination };

template <BlendKind K>
constexpr uint32_t blendChannel(uint32_t a, uint32_t k)
{
    if constexpr (K == BlendKind::Multiply) return a * k >> 5;
    if constexpr (K == BlendKind::Add) return std::min(a + k, 31u);
    if constexpr (K == BlendKind::AddMultiply) return std::min(a + k + (a * k >> 5), 31u);
    if constexpr (K == BlendKind::HalfAddMultiply) return std::min(((a + k) >> 1) + (a * k >> 5), 31u);
    if constexpr (K == BlendKind::QuarterAddMultiply) return std::min(((a + k) >> 2) + (a * k >> 5), 31u);
    if constexpr (K == BlendKind::SubtractSource) return a > k ? a - k : 0;
    if constexpr (K == BlendKind::SubtractDestination) return k > a ? k - a : 0;
    return 0;
}

template <BlendKind K>
constexpr std::array<uint16_t, 32 * 32> makeBlendTable()
{
    std::array<uint16_t, 32 * 32> table{};
    for (uint32_t a = 0; a < 32; ++a) {
        for (uint32_t k = 0; k < 32; ++k) table[a * 32 + k] = static_cast<uint16_t>(blendChannel<K>(a, k));
    }
    return table;
}

constexpr std::array<uint16_t, 32 * 32> kMultiplyTable = makeBlendTable<BlendKind::Multiply>();

template <BlendKind K>
bool tableIs(const uint16_t* table)
{
    static constexpr std::array<uint16_t, 32 * 32> kForm = makeBlendTable<K>();
    return std::equal(kForm.begin(), kForm.end(), table);
}

BlendKind classifyBlendTable(const uint16_t* table)
{
    if (table == kMultiplyTable.data() || tableIs<BlendKind::Multiply>(table)) return BlendKind::Multiply;
    if (tableIs<BlendKind::Add>(table)) return BlendKind::Add;
    if (tableIs<BlendKind::AddMultiply>(table)) return BlendKind::AddMultiply;
    if (tableIs<BlendKind::HalfAddMultiply>(table)) return BlendKind::HalfAddMultiply;
    if (tableIs<BlendKind::QuarterAddMultiply>(table)) return BlendKind::QuarterAddMultiply;
    if (tableIs<BlendKind::SubtractSource>(table)) return BlendKind::SubtractSource;
    if (tableIs<BlendKind::SubtractDestination>(table)) return BlendKind::SubtractDestination;
    return BlendKind::Lookup;
}

const SpanKernels* kernelsFor(SpanPath path)
{
    switch (path) {
    case SpanPath::Ssse3: return ssse3SpanKernels();
    case SpanPath::Avx2: return avx2SpanKernels();
    case SpanPath::Scalar: break;
    }
    return nullptr;
}

SpanPath fastestSpanPath()
{
    static const SpanPath fastest = avx2SpanKernels() != nullptr    ? SpanPath::Avx2
                                    : ssse3SpanKernels() != nullptr ? SpanPath::Ssse3
                                                                    : SpanPath::Scalar;
    return fastest;
}

struct SpanState {
    const uint16_t* hueWords = nullptr;
    int32_t hueEntries = 0;
    int32_t hue = 0;
    const uint16_t* blendTable = kMultiplyTable.data();
    BlendKind blendKind = BlendKind::Multiply;
    SpanPixelLayout layout;
    uint16_t censoredBlood = 0x03E0;
    // Chosen on first use: g_span stays constant-initialised, so code that runs before main
    // cannot see it overwritten later by its own initialiser.
    bool pathChosen = false;
    SpanPath path = SpanPath::Scalar;
    const SpanKernels* kernels = nullptr;  // null on the scalar path
};

constinit SpanState g_span;

void usePath(SpanPath path)
{
    g_span.path = path;
    g_span.kernels = kernelsFor(path);
    g_span.pathChosen = true;
}

// The current path's kernels, or null for the scalar loops.
const SpanKernels* spanKernels()
{
    if (!g_span.pathChosen) usePath(fastestSpanPath());
    return g_span.kernels;
}

// The hued routines look their colours up a block at a time into a small buffer, then combine
// the block in a second loop free of lookups, which the compiler can vectorise.
constexpr int32_t kBlock = 256;

inline uint16_t threeQuarter(uint32_t d, uint32_t s, uint32_t half, uint32_t quarter)
{
    return static_cast<uint16_t>((((((d & quarter) + (s & quarter)) >> 1) + (s & half)) >> 1) | 1);
}

// The same in W-bit arithmetic. 16 bits are exact when both masks leave bit 15 clear (no sum can
// carry out), and let the compiler put twice as many pixels in a vector.
template <typename W>
inline uint16_t threeQuarterIn(W d, W s, W half, W quarter)
{
    const W sum = static_cast<W>((d & quarter) + (s & quarter));
    const W mixed = static_cast<W>((sum >> 1) + (s & half));
    return static_cast<uint16_t>((mixed >> 1) | 1);
}

inline bool narrowMasks(uint32_t half, uint32_t quarter) { return half < 0x8000 && quarter < 0x8000; }

// destination = three-quarter source of (destination, colour), where `keep` (when given) is 0.
template <typename W>
void threeQuarterLoop(uint16_t* __restrict destination, const uint16_t* __restrict colour, const uint16_t* __restrict keep,
                      int32_t count, uint32_t half, uint32_t quarter)
{
    const auto h = static_cast<W>(half);
    const auto q = static_cast<W>(quarter);
    if (keep == nullptr) {
        for (int32_t i = 0; i < count; ++i) destination[i] = threeQuarterIn<W>(destination[i], colour[i], h, q);
    } else {
        for (int32_t i = 0; i < count; ++i) {
            const uint16_t d = destination[i];
            const uint16_t mixed = threeQuarterIn<W>(d, colour[i], h, q);
            destination[i] = keep[i] != 0 ? mixed : d;
        }
    }
}

void threeQuarterRun(uint16_t* __restrict destination, const uint16_t* __restrict colour, const uint16_t* __restrict keep,
                     int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    const uint32_t q = g_span.layout.quarterMask;
    if (narrowMasks(h, q))
        threeQuarterLoop<uint16_t>(destination, colour, keep, count, h, q);
    else
        threeQuarterLoop<uint32_t>(destination, colour, keep, count, h, q);
}

inline uint16_t blendWith(const uint16_t* table, uint32_t d, uint32_t s, int32_t redShift, int32_t greenShift)
{
    const uint32_t r = table[((d >> redShift) & 31) * 32 + ((s >> redShift) & 31)];
    const uint32_t g = table[((d >> greenShift) & 31) * 32 + ((s >> greenShift) & 31)];
    const uint32_t b = table[(d & 31) * 32 + (s & 31)];
    return static_cast<uint16_t>((r << redShift) | (g << greenShift) | b);
}

// Fixed shifts (the 5-5-5 layout) let the compiler vectorise; 0 for both means the layout's own.
// Always inlined, so that the AVX2 copy below is vectorised for AVX2.
template <BlendKind K, uint32_t FixedRed, uint32_t FixedGreen>
[[gnu::always_inline]] inline void blendFormula(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, uint32_t rs, uint32_t gs)
{
    if constexpr (FixedRed != 0) {
        rs = FixedRed;
        gs = FixedGreen;
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t d = destination[i];
        const uint32_t s = source[i];
        const uint32_t r = blendChannel<K>((d >> rs) & 31, (s >> rs) & 31);
        const uint32_t g = blendChannel<K>((d >> gs) & 31, (s >> gs) & 31);
        const uint32_t b = blendChannel<K>(d & 31, s & 31);
        destination[i] = static_cast<uint16_t>(r << rs | g << gs | b);
    }
}

template <BlendKind K>
void blendFormula(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, uint32_t rs, uint32_t gs)
{
    if (rs == 10 && gs == 5) return blendFormula<K, 10, 5>(destination, source, count, rs, gs);
    blendFormula<K, 0, 0>(destination, source, count, rs, gs);
}

#if defined(__x86_64__)
#define KZ_AVX2_TARGET __attribute__((target("avx2")))
#else
#define KZ_AVX2_TARGET
#endif

// The same loops compiled with AVX2 allowed, where the vectoriser takes twice the pixels a step.
// Only the AVX2 path runs them.
template <BlendKind K>
KZ_AVX2_TARGET void blendFormulaAvx2(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, uint32_t rs,
                                     uint32_t gs)
{
    if (rs == 10 && gs == 5) return blendFormula<K, 10, 5>(destination, source, count, rs, gs);
    blendFormula<K, 0, 0>(destination, source, count, rs, gs);
}

template <BlendKind K>
void blendFormulaOnPath(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, uint32_t rs, uint32_t gs)
{
    if (spanPath() == SpanPath::Avx2) return blendFormulaAvx2<K>(destination, source, count, rs, gs);
    blendFormula<K>(destination, source, count, rs, gs);
}

// destination = blend(destination, source) through the current table.
void blendRun(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const auto rs = static_cast<uint32_t>(g_span.layout.redShift);
    const auto gs = static_cast<uint32_t>(g_span.layout.greenShift);
    switch (g_span.blendKind) {
    case BlendKind::Multiply: return blendFormulaOnPath<BlendKind::Multiply>(destination, source, count, rs, gs);
    case BlendKind::Add: return blendFormulaOnPath<BlendKind::Add>(destination, source, count, rs, gs);
    case BlendKind::AddMultiply: return blendFormulaOnPath<BlendKind::AddMultiply>(destination, source, count, rs, gs);
    case BlendKind::HalfAddMultiply: return blendFormulaOnPath<BlendKind::HalfAddMultiply>(destination, source, count, rs, gs);
    case BlendKind::QuarterAddMultiply: return blendFormulaOnPath<BlendKind::QuarterAddMultiply>(destination, source, count, rs, gs);
    case BlendKind::SubtractSource: return blendFormulaOnPath<BlendKind::SubtractSource>(destination, source, count, rs, gs);
    case BlendKind::SubtractDestination: return blendFormulaOnPath<BlendKind::SubtractDestination>(destination, source, count, rs, gs);
    case BlendKind::Lookup: break;
    }
    const uint16_t* table = g_span.blendTable;
    for (int32_t i = 0; i < count; ++i) destination[i] = blendWith(table, destination[i], source[i], g_span.layout.redShift, g_span.layout.greenShift);
}

// out[i] = ramp[(source[i] >> shift) & 31].
inline void lookUpRamp(uint16_t* __restrict out, const uint16_t* __restrict source, int32_t count, const uint16_t* __restrict ramp,
                       uint32_t shift)
{
    // Four at a time: the loads of a group are independent, which keeps more lookups in flight.
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const uint16_t c0 = ramp[(source[i] >> shift) & 31];
        const uint16_t c1 = ramp[(source[i + 1] >> shift) & 31];
        const uint16_t c2 = ramp[(source[i + 2] >> shift) & 31];
        const uint16_t c3 = ramp[(source[i + 3] >> shift) & 31];
        out[i] = c0;
        out[i + 1] = c1;
        out[i + 2] = c2;
        out[i + 3] = c3;
    }
    for (; i < count; ++i) out[i] = ramp[(source[i] >> shift) & 31];
}

// The vector kernels shift within a 16-bit lane; a layout that shifts further stays scalar.
bool shiftsFitLane(uint32_t a, uint32_t b) { return a < 16 && b < 16; }

// Runs the current path's hue kernel of `mode` (see span_routines_simd.h) with the current
// layout; false when there is none and the scalar loops must draw.
bool hueOnVectors(uint32_t mode, uint16_t* destination, const uint16_t* source, int32_t count, const uint16_t* ramp, uint32_t indexShift)
{
    const SpanPixelLayout& layout = g_span.layout;
    const auto gs = static_cast<uint32_t>(layout.greenShift);
    const SpanKernels* kernels = spanKernels();
    if (kernels == nullptr || !shiftsFitLane(indexShift, gs)) return false;
    kernels->hue[mode](destination, source, count, SpanHueParams{ramp, indexShift, gs, layout.halfMask, layout.quarterMask});
    return true;
}

bool hueOnVectors(uint32_t mode, uint16_t* destination, const uint16_t* source, int32_t count, const uint16_t* ramp)
{
    return hueOnVectors(mode, destination, source, count, ramp, static_cast<uint32_t>(g_span.layout.redShift));
}

} // namespace

bool spanPathAvailable(SpanPath path) { return path == SpanPath::Scalar || kernelsFor(path) != nullptr; }
SpanPath spanPath()
{
    spanKernels();
    return g_span.path;
}

bool setSpanPath(SpanPath path)
{
    if (!spanPathAvailable(path)) return false;
    usePath(path);
    return true;
}

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

void setSpanBlendTable(const uint16_t* table)
{
    g_span.blendTable = table != nullptr ? table : kMultiplyTable.data();
    g_span.blendKind = classifyBlendTable(g_span.blendTable);
}
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

// The loops below are written as selects over whole spans, without early exits, so that the
// compiler can vectorise them.

void CopySpanTransparent(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        destination[i] = s != 0 ? s : destination[i];
    }
}

void hueSpanByGreen(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    if (hueOnVectors(0, destination, source, count, ramp, 5)) return;
    lookUpRamp(destination, source, count, ramp, 5);
}

void hueBlendSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return blendSpan(destination, source, count);
    uint16_t hued[kBlock];
    for (int32_t at = 0; at < count; at += kBlock) {
        const int32_t n = std::min(kBlock, count - at);
        if (!hueOnVectors(0, hued, source + at, n, ramp, 5)) lookUpRamp(hued, source + at, n, ramp, 5);
        blendRun(destination + at, hued, n);
    }
}

void blendSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    blendRun(destination, source, count);
}

void hueSpanByRed(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const int32_t hue = g_span.hue > kHueTableEntries - 1 ? 0 : g_span.hue;
    const uint16_t* ramp = spanHueRamp(hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    if (hueOnVectors(0, destination, source, count, ramp)) return;
    lookUpRamp(destination, source, count, ramp, static_cast<uint32_t>(g_span.layout.redShift));
}

// Hued pixels a block at a time: the ramp colours of the block are looked up first, then
// `pick` chooses per pixel between colour, source and destination in a loop free of lookups.
template <typename Pick>
void hueBlocks(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, const uint16_t* ramp, Pick pick)
{
    const auto rs = static_cast<uint32_t>(g_span.layout.redShift);
    uint16_t hued[kBlock];
    for (int32_t at = 0; at < count; at += kBlock) {
        const int32_t n = std::min(kBlock, count - at);
        uint16_t* __restrict d = destination + at;
        const uint16_t* __restrict s = source + at;
        lookUpRamp(hued, s, n, ramp, rs);
        for (int32_t i = 0; i < n; ++i) d[i] = pick(d[i], s[i], hued[i]);
    }
}

void HueSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpanTransparent(destination, source, count);
    if (hueOnVectors(kHueSkipZero, destination, source, count, ramp)) return;
    // Through the block buffer, so that the skip is a select in a loop free of lookups rather
    // than a branch per pixel, which mispredicts on art with scattered transparent pixels.
    hueBlocks(destination, source, count, ramp, [](uint16_t d, uint16_t s, uint16_t c) { return s != 0 ? c : d; });
}

void partialHueSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpan(destination, source, count);
    if (hueOnVectors(kHueGreyOnly, destination, source, count, ramp)) return;
    const auto gs = static_cast<uint32_t>(g_span.layout.greenShift);
    if (gs == 5) {
        hueBlocks(destination, source, count, ramp,
                  [](uint16_t, uint16_t s, uint16_t c) { return static_cast<uint32_t>(s >> 5) == (s & 0x3FFu) ? c : s; });
    } else {
        hueBlocks(destination, source, count, ramp,
                  [gs](uint16_t, uint16_t s, uint16_t c) { return static_cast<uint32_t>(s >> gs) == (s & 0x3FFu) ? c : s; });
    }
}

void partialHueSpanTransparent(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return CopySpanTransparent(destination, source, count);
    if (hueOnVectors(kHueGreyOnly | kHueSkipZero, destination, source, count, ramp)) return;
    const auto gs = static_cast<uint32_t>(g_span.layout.greenShift);
    auto pick = [gs](uint16_t d, uint16_t s, uint16_t c) {
        const uint16_t v = static_cast<uint32_t>(s >> gs) == (s & 0x3FFu) ? c : s;
        return s != 0 ? v : d;
    };
    if (gs == 5) {
        hueBlocks(destination, source, count, ramp, [](uint16_t d, uint16_t s, uint16_t c) {
            const uint16_t v = static_cast<uint32_t>(s >> 5) == (s & 0x3FFu) ? c : s;
            return s != 0 ? v : d;
        });
    } else {
        hueBlocks(destination, source, count, ramp, pick);
    }
}

template <uint32_t FixedRed, uint32_t FixedGreen>
void censoredBloodLoop(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, uint32_t rs, uint32_t gs)
{
    if constexpr (FixedRed != 0) {
        rs = FixedRed;
        gs = FixedGreen;
    }
    // Channel x strength is at most 31 x 32, so 16-bit products are exact.
    const uint32_t c = g_span.censoredBlood;
    const auto cr = static_cast<uint16_t>((c >> rs) & 31);
    const auto cg = static_cast<uint16_t>((c >> gs) & 31);
    const auto cb = static_cast<uint16_t>(c & 31);
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t s = source[i];
        const auto r = static_cast<uint16_t>((s >> rs) & 31);
        const auto g = static_cast<uint16_t>((s >> gs) & 31);
        const auto b = static_cast<uint16_t>(s & 31);
        const auto strength = static_cast<uint16_t>(r + 1);
        const auto br = static_cast<uint16_t>(static_cast<uint16_t>(cr * strength) >> 5);
        const auto bg = static_cast<uint16_t>(static_cast<uint16_t>(cg * strength) >> 5);
        const auto bb = static_cast<uint16_t>(static_cast<uint16_t>(cb * strength) >> 5);
        const auto blood = static_cast<uint16_t>(br << rs | bg << gs | bb);
        destination[i] = r > g + b ? blood : s;
    }
}

void censoredBloodSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const auto rs = static_cast<uint32_t>(g_span.layout.redShift);
    const auto gs = static_cast<uint32_t>(g_span.layout.greenShift);
    if (const SpanKernels* kernels = spanKernels(); kernels != nullptr && shiftsFitLane(rs, gs))
        return kernels->censoredBlood(destination, source, count, SpanBloodParams{rs, gs, g_span.censoredBlood});
    if (rs == 10 && gs == 5)
        censoredBloodLoop<10, 5>(destination, source, count, rs, gs);
    else
        censoredBloodLoop<0, 0>(destination, source, count, rs, gs);
}

void threeQuarterSourceSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    threeQuarterRun(destination, source, nullptr, count);
}

void threeQuarterSourceSpanTransparent(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    threeQuarterRun(destination, source, source, count);
}

template <typename W>
void threeQuarterDestinationLoop(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count, W h, W q)
{
    for (int32_t i = 0; i < count; ++i) destination[i] = threeQuarterIn<W>(source[i], destination[i], h, q);
}

void threeQuarterDestinationSpan(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    const uint32_t q = g_span.layout.quarterMask;
    if (narrowMasks(h, q))
        threeQuarterDestinationLoop<uint16_t>(destination, source, count, static_cast<uint16_t>(h), static_cast<uint16_t>(q));
    else
        threeQuarterDestinationLoop<uint32_t>(destination, source, count, h, q);
}

void BlendSpanHalf(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint32_t h = g_span.layout.halfMask;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t s = source[i];
        const uint32_t d = destination[i];
        destination[i] = s != 0 ? static_cast<uint16_t>((((d & h) + (s & h)) >> 1) | 1) : static_cast<uint16_t>(d);
    }
}

// Three-quarter source of (d, ramp colour); with skipZero a source 0 leaves the destination.
template <bool skipZero>
void hueThreeQuarter(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp == nullptr) return threeQuarterRun(destination, source, skipZero ? source : nullptr, count);
    if (hueOnVectors(kHueThreeQuarter | (skipZero ? kHueSkipZero : 0), destination, source, count, ramp)) return;
    const auto rs = static_cast<uint32_t>(g_span.layout.redShift);
    uint16_t hued[kBlock];
    for (int32_t at = 0; at < count; at += kBlock) {
        const int32_t n = std::min(kBlock, count - at);
        lookUpRamp(hued, source + at, n, ramp, rs);
        threeQuarterRun(destination + at, hued, skipZero ? source + at : nullptr, n);
    }
}

void hueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    hueThreeQuarter<false>(destination, source, count);
}

void hueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    hueThreeQuarter<true>(destination, source, count);
}

// Grey sources: three-quarter source of (d, colour); other sources are copied; with skipZero a
// source 0 leaves the destination. FixedGreen (when not 0) stands for the layout's green shift.
template <bool skipZero, typename W, uint32_t FixedGreen>
void partialThreeQuarterLoop(uint16_t* __restrict d, const uint16_t* __restrict s, const uint16_t* __restrict colour, int32_t n,
                             uint32_t greenShift, uint32_t half, uint32_t quarter)
{
    if constexpr (FixedGreen != 0) greenShift = FixedGreen;
    const auto h = static_cast<W>(half);
    const auto q = static_cast<W>(quarter);
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t source = s[i];
        const uint16_t destination = d[i];
        const uint16_t mixed = threeQuarterIn<W>(destination, colour[i], h, q);
        const bool grey = static_cast<uint32_t>(source >> greenShift) == (source & 0x3FFu);
        const uint16_t v = grey ? mixed : source;
        d[i] = skipZero && source == 0 ? destination : v;
    }
}

template <bool skipZero>
void partialHueThreeQuarter(uint16_t* __restrict destination, const uint16_t* __restrict source, int32_t count)
{
    const uint16_t* ramp = spanHueRamp(g_span.hue);
    if (ramp != nullptr
        && hueOnVectors(kHueThreeQuarter | kHueGreyOnly | (skipZero ? kHueSkipZero : 0), destination, source, count, ramp))
        return;
    const SpanPixelLayout layout = g_span.layout;
    const uint32_t h = layout.halfMask;
    const uint32_t q = layout.quarterMask;
    const auto gs = static_cast<uint32_t>(layout.greenShift);
    const bool fast = narrowMasks(h, q) && gs == 5;
    uint16_t hued[kBlock];
    for (int32_t at = 0; at < count; at += kBlock) {
        const int32_t n = std::min(kBlock, count - at);
        uint16_t* d = destination + at;
        const uint16_t* s = source + at;
        if (ramp != nullptr)
            lookUpRamp(hued, s, n, ramp, static_cast<uint32_t>(layout.redShift));
        else
            std::memcpy(hued, s, static_cast<size_t>(n) * sizeof(uint16_t));
        if (fast)
            partialThreeQuarterLoop<skipZero, uint16_t, 5>(d, s, hued, n, gs, h, q);
        else
            partialThreeQuarterLoop<skipZero, uint32_t, 0>(d, s, hued, n, gs, h, q);
    }
}

void partialHueThreeQuarterSpan(uint16_t* destination, const uint16_t* source, int32_t count)
{
    partialHueThreeQuarter<false>(destination, source, count);
}

void partialHueThreeQuarterSpanTransparent(uint16_t* destination, const uint16_t* source, int32_t count)
{
    partialHueThreeQuarter<true>(destination, source, count);
}
