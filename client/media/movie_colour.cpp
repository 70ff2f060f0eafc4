/** @file The pixel arithmetic of the movie frames: the inverse block transform, the colour tables, the macroblock writers and the palettised picture's expansion. */
#include "client/media/movie_codec.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace movie {

DisplayFormat DisplayFormat::rgb555()
{
    return DisplayFormat{};
}

DisplayFormat DisplayFormat::rgb565()
{
    DisplayFormat f;
    f.greenBits = 6;
    f.redShift = 11;
    f.bitsPerPixel = 16;
    return f;
}

namespace {

int32_t floorShift16(int64_t v)
{
    // Arithmetic shift: floor of v / 65536.
    return static_cast<int32_t>(v >> 16);
}

uint32_t field(int value, int bits, int shift)
{
    return (static_cast<uint32_t>(value) & ((1u << bits) - 1u)) << shift;
}

/** Two's complement wrap of an intermediate to 32 bits, as the transform's registers would hold it. */
inline int32_t wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

/** t divided by the square root of two in fixed point: 2 * floor(t * 1518500250 / 2^32). */
inline int32_t halfRoot(int32_t t)
{
    return wrap(2 * ((static_cast<int64_t>(t) * 1518500250LL) >> 32));
}

/**
 * Rounds to the nearest integer, ties to even (the default rounding mode). Values outside the
 * 32-bit range give INT32_MIN, as a floating-point unit's integer store does.
 */
inline int32_t roundToInt(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(r);
}

// The three rotations in single precision; the products and sums are taken in double.
const double kC1 = static_cast<double>(0.3826834f);
const double kC2 = static_cast<double>(1.3065630f);
const double kC3 = static_cast<double>(0.5411961f);

inline void transform8(const int32_t* x, int32_t* y)
{
    const int32_t a0 = wrap(int64_t{x[0]} + x[4]);
    const int32_t a4 = wrap(int64_t{x[0]} - x[4]);
    const int32_t a2 = wrap(int64_t{x[2]} + x[6]);
    const int32_t a6 = halfRoot(wrap(int64_t{x[2]} - x[6]));
    const int32_t a1 = wrap(int64_t{x[1]} + x[7]);
    const int32_t a7 = wrap(int64_t{x[1]} - x[7]);
    const int32_t a5 = wrap(int64_t{x[5]} + x[3]);
    const int32_t a3 = wrap(int64_t{x[5]} - x[3]);
    const double z = static_cast<double>(wrap(int64_t{a7} + a3)) * kC1;
    const int32_t A = roundToInt(static_cast<double>(a7) * kC2 - z);
    const int32_t B = roundToInt(static_cast<double>(a3) * kC3 + z);
    const int32_t t = halfRoot(wrap(int64_t{a1} - a5));
    const int32_t b0 = wrap(int64_t{A} + a1 + a5);
    const int32_t b1 = wrap(int64_t{A} + t);
    const int32_t b2 = wrap(int64_t{B} + t);
    const int32_t b3 = B;
    const int64_t even0 = int64_t{a0} + a2 + a6;
    const int64_t even3 = int64_t{a0} - a2 - a6;
    y[0] = wrap(even0 + b0);
    y[1] = wrap(int64_t{a4} + a6 + b1);
    y[2] = wrap(int64_t{a4} - a6 + b2);
    y[3] = wrap(even3 + b3);
    y[4] = wrap(even3 - b3);
    y[5] = wrap(int64_t{a4} - a6 - b2);
    y[6] = wrap(int64_t{a4} + a6 - b1);
    y[7] = wrap(even0 - b0);
}

} // namespace

void InverseTransformPass1(const int32_t* coefficients, int32_t* scratch)
{
    int32_t y[8];
    for (int r = 0; r < 8; ++r) {
        const int32_t* x = coefficients + 8 * r;
        if ((x[1] | x[2] | x[3] | x[4] | x[5] | x[6] | x[7]) == 0) {
            for (int n = 0; n < 8; ++n) scratch[8 * n + r] = x[0];
            continue;
        }
        transform8(x, y);
        for (int n = 0; n < 8; ++n) scratch[8 * n + r] = y[n];
    }
}

void InverseTransformPass2(const int32_t* scratch, int32_t* samples, int samplePitch)
{
    int32_t y[8];
    for (int n = 0; n < 8; ++n) {
        transform8(scratch + 8 * n, y);
        for (int m = 0; m < 8; ++m) samples[n * samplePitch + m] = y[m] >> 17;
    }
}

void InverseTransform(const int32_t coefficients[64], int32_t* samples, int samplePitch)
{
    int32_t scratch[64];
    InverseTransformPass1(coefficients, scratch);
    InverseTransformPass2(scratch, samples, samplePitch);
}

uint32_t PackTableColour(int red, int green, int blue, const DisplayFormat& format)
{
    const int bits[3] = {format.redBits, format.greenBits, format.blueBits};
    const int x[3] = {red, green, blue};
    int low[3];
    int high[3];
    for (int i = 0; i < 3; ++i) {
        const int n = bits[i];
        const int step = 1 << (8 - n);
        const int half = 1 << (7 - n);
        int v = x[i] >= 0 ? (x[i] + half) / step : (x[i] - half) / step;
        const int limit = (1 << n) - 1;
        low[i] = std::clamp(v, -limit, limit);
        high[i] = x[i] / step;
    }
    // Borrows: a negative field, once masked, takes one from the field above it.
    if (low[2] < 0) --low[1];
    if (low[1] < 0) --low[0];
    if (low[0] < 0) --high[2];
    if (high[2] < 0) --high[1];
    if (high[1] < 0) --high[0];
    uint32_t entry = field(low[0], bits[0], format.redShift) | field(low[1], bits[1], format.greenShift) |
                     field(low[2], bits[2], format.blueShift);
    entry += field(high[0], bits[0], format.redShift + 16) | field(high[1], bits[1], format.greenShift + 16) |
             field(high[2], bits[2], format.blueShift + 16);
    if (bits[0] + bits[1] + bits[2] == 15)
        entry |= 0x80008000u;
    return entry;
}

void BuildMovieColourTables(ColourTables& t, const DisplayFormat& format)
{
    for (int h = 0; h < 128; ++h) {
        const int s = h >= 64 ? h - 128 : h;
        const int y = 2 * s + 129;
        t.luma[static_cast<size_t>(h)] = PackTableColour(y, y, y, format);
        const int64_t c = 2 * s + 1;
        t.cb[static_cast<size_t>(h)] =
            PackTableColour(0, floorShift16(c * -22550 + 32768), floorShift16(c * 116129 + 32768), format);
        t.cr[static_cast<size_t>(h)] =
            PackTableColour(floorShift16(c * 91881 + 32768), floorShift16(c * -46799 + 32768), 0, format);
    }
    const int bits[3] = {format.redBits, format.greenBits, format.blueBits};
    const int shifts[3] = {format.redShift, format.greenShift, format.blueShift};
    std::array<uint32_t, 512>* levels[3] = {&t.redLevel, &t.greenLevel, &t.blueLevel};
    for (int k = 0; k < 512; ++k) {
        int v = static_cast<int>(std::trunc((2.0 * k - 383.0) * 1.164));
        v = v * format.brightness / 100;
        v = std::clamp(v, 0, 255);
        for (int i = 0; i < 3; ++i) {
            const int n = bits[i];
            uint32_t entry = static_cast<uint32_t>(v >> (8 - n)) << shifts[i];
            if (format.wide) {
                const int right = std::min(v + (1 << (7 - n)), 255);
                entry |= static_cast<uint32_t>(right >> (8 - n)) << (shifts[i] + 16);
            }
            (*levels[i])[static_cast<size_t>(k)] = entry;
        }
    }
    constexpr double kInverseLuma = 0.859106529209622;
    for (int i = -128; i < 128; ++i) {
        const size_t at = static_cast<size_t>(i & 0xFF);
        t.redFromCr[at] = static_cast<int32_t>(std::trunc(i * 1.596 * kInverseLuma));
        t.blueFromCb[at] = static_cast<int32_t>(std::trunc(i * 2.018 * kInverseLuma));
        t.greenFromCb[at] = static_cast<int32_t>(std::trunc(i * 0.391 * kInverseLuma));
        t.greenFromCr[at] = static_cast<int32_t>(std::trunc(i * -0.813 * kInverseLuma));
    }
}

namespace {

inline uint32_t fastSum(const ColourTables& t, int32_t y, int32_t u, int32_t v)
{
    return t.luma[static_cast<size_t>(y & 0x7F)] + t.cb[static_cast<size_t>(u & 0x7F)] +
           t.cr[static_cast<size_t>(v & 0x7F)];
}

inline size_t sampleIndex(int32_t s)
{
    return static_cast<size_t>(std::clamp(s, 0, 127));
}

inline uint32_t clampedSum(const ColourTables& t, int32_t ys, int32_t us, int32_t vs)
{
    const int y = static_cast<int>(sampleIndex(ys));
    const size_t u = sampleIndex(us);
    const size_t v = sampleIndex(vs);
    return t.redLevel[static_cast<size_t>(y + 96 + t.redFromCr[v])] +
           t.greenLevel[static_cast<size_t>(y + 250 + t.greenFromCr[v] - t.greenFromCb[u])] +
           t.blueLevel[static_cast<size_t>(y + 73 + t.blueFromCb[u])];
}

template <bool Wide, bool Clamped>
void convertRow(const ColourTables& t, const int32_t* luma, const int32_t* cb, const int32_t* cr, uint16_t* dst)
{
    for (int c = 0; c < 16; ++c) {
        const uint32_t sum = Clamped ? clampedSum(t, luma[c], cb[c / 2], cr[c / 2]) : fastSum(t, luma[c], cb[c / 2], cr[c / 2]);
        if (Wide) {
            dst[2 * c] = static_cast<uint16_t>(sum);
            dst[2 * c + 1] = static_cast<uint16_t>(sum >> 16);
        } else {
            dst[c] = static_cast<uint16_t>(sum);
        }
    }
}

template <bool Wide, bool Clamped>
void convertBlock(const ColourTables& t, const MacroblockSamples& s, uint16_t* dst, int pitch)
{
    for (int r = 0; r < 16; ++r) {
        const int chroma = (r / 2) * 8;
        convertRow<Wide, Clamped>(t, s.luma + r * 16, s.cb + chroma, s.cr + chroma, dst);
        dst += pitch;
    }
}

} // namespace

void ConvertMacroblockRow(const ColourTables& t, const int32_t* luma, const int32_t* cb, const int32_t* cr,
                          uint16_t* dst)
{
    convertRow<false, false>(t, luma, cb, cr, dst);
}

void ConvertMacroblockRowWide(const ColourTables& t, const int32_t* luma, const int32_t* cb, const int32_t* cr,
                              uint16_t* dst)
{
    convertRow<true, false>(t, luma, cb, cr, dst);
}

void ConvertMacroblockRowClamped(const ColourTables& t, const int32_t* luma, const int32_t* cb, const int32_t* cr,
                                 uint16_t* dst)
{
    convertRow<false, true>(t, luma, cb, cr, dst);
}

void ConvertMacroblockRowClampedWide(const ColourTables& t, const int32_t* luma, const int32_t* cb,
                                     const int32_t* cr, uint16_t* dst)
{
    convertRow<true, true>(t, luma, cb, cr, dst);
}

void ConvertMacroblock(const ColourTables& t, const MacroblockSamples& s, uint16_t* dst, int pitch)
{
    convertBlock<false, false>(t, s, dst, pitch);
}

void ConvertMacroblockWide(const ColourTables& t, const MacroblockSamples& s, uint16_t* dst, int pitch)
{
    convertBlock<true, false>(t, s, dst, pitch);
}

void ConvertMacroblockClamped(const ColourTables& t, const MacroblockSamples& s, uint16_t* dst, int pitch)
{
    convertBlock<false, true>(t, s, dst, pitch);
}

void ConvertMacroblockClampedWide(const ColourTables& t, const MacroblockSamples& s, uint16_t* dst, int pitch)
{
    convertBlock<true, true>(t, s, dst, pitch);
}

int FlatIndex(int value, int32_t q0)
{
    const int64_t scaled = static_cast<int64_t>(value) * q0 + 32768;
    return static_cast<int>((scaled >> 16) >> 1) & 0x7F;
}

namespace {

template <bool Wide>
void fillFlat(const ColourTables& t, const int8_t values[6], int32_t q0, uint16_t* dst, int pitch)
{
    const uint32_t chroma = t.cb[static_cast<size_t>(FlatIndex(values[4], q0))] +
                            t.cr[static_cast<size_t>(FlatIndex(values[5], q0))];
    for (int quarter = 0; quarter < 4; ++quarter) {
        const uint32_t sum = t.luma[static_cast<size_t>(FlatIndex(values[quarter], q0))] + chroma;
        const int unit = Wide ? 2 : 1;
        uint16_t* at = dst + (quarter / 2) * 8 * pitch + (quarter % 2) * 8 * unit;
        for (int r = 0; r < 8; ++r, at += pitch) {
            for (int c = 0; c < 8; ++c) {
                if (Wide) {
                    at[2 * c] = static_cast<uint16_t>(sum);
                    at[2 * c + 1] = static_cast<uint16_t>(sum >> 16);
                } else {
                    at[c] = static_cast<uint16_t>(sum);
                }
            }
        }
    }
}

} // namespace

void FillFlatMacroblock(const ColourTables& t, const int8_t values[6], int32_t q0, uint16_t* dst, int pitch)
{
    fillFlat<false>(t, values, q0, dst, pitch);
}

void FillFlatMacroblockWide(const ColourTables& t, const int8_t values[6], int32_t q0, uint16_t* dst, int pitch)
{
    fillFlat<true>(t, values, q0, dst, pitch);
}

void ExpandPicture(const PaletteFrameState& s, uint16_t* pixels, bool wide)
{
    const size_t count = static_cast<size_t>(s.width) * static_cast<size_t>(s.height);
    const uint8_t* picture = s.currentPicture();
    if (wide) {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t pair = s.colourTable[picture[i]];
            pixels[2 * i] = static_cast<uint16_t>(pair);
            pixels[2 * i + 1] = static_cast<uint16_t>(pair >> 16);
        }
    } else {
        for (size_t i = 0; i < count; ++i) pixels[i] = static_cast<uint16_t>(s.colourTable[picture[i]]);
    }
}

} // namespace movie
