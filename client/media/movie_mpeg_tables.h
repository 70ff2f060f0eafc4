/**
 * @file The MPEG-1 intra tables that kind 4 frames borrow (ISO/IEC 11172-2): the DC size codes of
 * luma and chroma, the dct_coeff_next run/level codes, and the default intra matrix.
 */
#pragma once

#include <array>
#include <cstdint>

namespace movie {

/** One variable-length code: its bits (the first bit the most significant of length bits). */
struct VlcCode {
    uint16_t bits;
    uint8_t length;
    uint8_t run;
    uint8_t level;
};

/** Sizes 0..8 of the luma and chroma DC differences (run = size, level unused). */
extern const std::array<VlcCode, 9> kDcSizeLuma;
extern const std::array<VlcCode, 9> kDcSizeChroma;
/** The 111 run/level codes of dct_coeff_next, each followed by a sign bit in the stream. */
extern const std::array<VlcCode, 111> kCoefficientCodes;
/** End of block "10" and escape "000001". */
inline constexpr VlcCode kEndOfBlock{0b10, 2, 0, 0};
inline constexpr VlcCode kEscape{0b000001, 6, 0, 0};
/** The default intra quantiser matrix, row by row. */
extern const std::array<uint8_t, 64> kDefaultIntraMatrix;

} // namespace movie
