/** @file Tables built once at start-up: sine and cosine, the channel blend tables, the grey level table, the land diamond rows and the light and shading tables. */
#pragma once

#include <array>
#include <cstdint>

/** Builds every table below and the draw grid's visible-cell order; run once at start-up, after the pixel layout is known. */
void BuildStartupTables();

/** cos and sin of angle i x 2 pi / 256 in 16.16 fixed point, truncated toward zero. */
const std::array<int32_t, 256>& CosTable();
const std::array<int32_t, 256>& SinTable();

/**
 * The channel blend table of a mode, 32 x 32 entries [destination x 32 + source] (modes 1-7;
 * 8-15 give mode 1's table; mode 0, plain, has none and gives null). Taken modulo 16.
 */
const uint16_t* BlendTable(int32_t mode);
/** Makes the mode's table the one the blend span routines and rotated blends use. */
void SetBlendMode(int32_t mode);
/** True when mode & 15 is 0: no blending, an opaque loop. */
bool IsPlainBlendMode(int32_t mode);

/**
 * The grey level of a 5-5-5 pixel, 0..25: (green + top four bits of red + blue) / 3. Indexed by
 * the whole 16-bit pixel, so every value is a valid index.
 */
uint8_t GreyLevel(uint16_t pixel);

/** One of the 44 rows of a land diamond: where it starts, how wide it is and where its pixels are stored. */
struct DiamondRow {
    int32_t start = 0;
    int32_t width = 0;
    int32_t end = 0;
    int32_t source = 0;
};
const std::array<DiamondRow, 44>& DiamondRows();

/** The light and shading tables of BuildLightTables. */
struct LightTables {
    std::array<int32_t, 32 * 32> multiply{};      // [a x 32 + k] = a x k / 32
    std::array<uint8_t, 32 * 32> saturatingAdd{}; // [i x 32 + j] = min(i + j, 31)
    std::array<uint8_t, 32 * 32> shade{};         // [level x 32 + c] = c x (32 - level) / 32
    std::array<int32_t, 32 * 32> shadeBlue{};     // the shaded values unshifted,
    std::array<int32_t, 32 * 32> shadeGreen{};    // shifted by the green shift,
    std::array<int32_t, 32 * 32> shadeRed{};      // and by the red shift
    std::array<uint16_t, 32768> darkened{};       // each channel of a 15-bit pixel shaded at level 4
};
/** Builds the light tables with the pixel layout's shifts. */
void BuildLightTables(int32_t redShift = 10, int32_t greenShift = 5);
const LightTables& GetLightTables();

/** 1 when |h1 - h3| >= |h0 - h2|: the cell is split along the other diagonal. */
int IsSteeperDiagonal(int8_t h0, int8_t h1, int8_t h2, int8_t h3);
