/**
 * @file The movie's video codecs: colour tables and macroblock writers, block transform frames
 * (kinds 3 and 4) and palettised key and delta frames (kinds 1 and 2).
 *
 * Every decoder takes the payload as a pointer and a length and never reads past it; a damaged
 * frame is cut or refused (the decoders answer false), never trusted.
 */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace movie {

/** The 16-bit display pixel format the frames are written in, and the options that shape them. */
struct DisplayFormat {
    int redBits = 5;
    int greenBits = 5;
    int blueBits = 5;
    int redShift = 10;
    int greenShift = 5;
    int blueShift = 0;
    int bitsPerPixel = 15;
    int brightness = 100; // percent
    bool wide = false;    // every decoded pixel becomes two display pixels

    static DisplayFormat rgb555();
    static DisplayFormat rgb565();

    bool operator==(const DisplayFormat&) const = default;
};

/** A frame surface: 16-bit pixels, rows pitch pixels apart (width, or twice it when wide). */
struct FrameTarget {
    uint16_t* pixels = nullptr;
    int pitch = 0;  // in 16-bit pixels
    int width = 0;  // frame width in decoded pixels
    int height = 0;
};

/** The colour tables of the transform frames, built once per movie. */
struct ColourTables {
    std::array<uint32_t, 128> luma{};
    std::array<uint32_t, 128> cb{};
    std::array<uint32_t, 128> cr{};
    std::array<uint32_t, 512> redLevel{};
    std::array<uint32_t, 512> greenLevel{};
    std::array<uint32_t, 512> blueLevel{};
    std::array<int32_t, 256> redFromCr{};
    std::array<int32_t, 256> blueFromCb{};
    std::array<int32_t, 256> greenFromCb{};
    std::array<int32_t, 256> greenFromCr{};
};

/** Two 16-bit pixels from signed component contributions: low half rounded, high half truncated. */
uint32_t PackTableColour(int red, int green, int blue, const DisplayFormat& format);
void BuildMovieColourTables(ColourTables& tables, const DisplayFormat& format);

/** The samples of one decoded macroblock: 16 x 16 luma, 8 x 8 Cb and Cr. */
struct MacroblockSamples {
    int32_t luma[256];
    int32_t cb[64];
    int32_t cr[64];
};

/** The 16 rows of a macroblock into pixels at dst (pitch in 16-bit pixels). */
void ConvertMacroblock(const ColourTables& tables, const MacroblockSamples& samples, uint16_t* dst, int pitch);
void ConvertMacroblockWide(const ColourTables& tables, const MacroblockSamples& samples, uint16_t* dst, int pitch);
void ConvertMacroblockClamped(const ColourTables& tables, const MacroblockSamples& samples, uint16_t* dst, int pitch);
void ConvertMacroblockClampedWide(const ColourTables& tables, const MacroblockSamples& samples, uint16_t* dst,
                                  int pitch);
/** One row: the building block of the above (chroma rows of the row pair). */
void ConvertMacroblockRow(const ColourTables& tables, const int32_t* luma, const int32_t* cb, const int32_t* cr,
                          uint16_t* dst);
void ConvertMacroblockRowWide(const ColourTables& tables, const int32_t* luma, const int32_t* cb, const int32_t* cr,
                              uint16_t* dst);
void ConvertMacroblockRowClamped(const ColourTables& tables, const int32_t* luma, const int32_t* cb,
                                 const int32_t* cr, uint16_t* dst);
void ConvertMacroblockRowClampedWide(const ColourTables& tables, const int32_t* luma, const int32_t* cb,
                                     const int32_t* cr, uint16_t* dst);

/** The table index of a flat value: ((v * q0 + 32768) >> 16 >> 1) & 0x7F. */
int FlatIndex(int value, int32_t q0);
/** values: luma of the four quarters (top-left, top-right, bottom-left, bottom-right), Cb, Cr. */
void FillFlatMacroblock(const ColourTables& tables, const int8_t values[6], int32_t q0, uint16_t* dst, int pitch);
void FillFlatMacroblockWide(const ColourTables& tables, const int8_t values[6], int32_t q0, uint16_t* dst, int pitch);
/**
 * Copies the previous frame's 16 x 16 pixels at (x0 - x, y0 - y) to (x0, y0) of the current one;
 * false (nothing copied) when the source reaches outside the frame.
 */
bool CopyMacroblock(const FrameTarget& current, const uint16_t* previous, int x0, int y0, int x, int y, bool wide);

// ---- Transform frames (kinds 3 and 4) -------------------------------------------------------

/** The constant tables of the transform frames. */
const std::array<int32_t, 64>& TransformBaseTable();   // T, by position 8r + c
const std::array<uint8_t, 64>& TransformScanOrder();   // scan index -> position
const std::array<uint8_t, 64>& DefaultIntraMatrix();   // M, by position

void BuildKind3Quantiser(int quality, int32_t q[64]);
void BuildKind4Quantiser(int quality, int32_t q[64]);

/** The integer transform: coefficients by position in, samples (row n, column m) out. */
void InverseTransformPass1(const int32_t* coefficients, int32_t* scratch);
void InverseTransformPass2(const int32_t* scratch, int32_t* samples, int samplePitch);
void InverseTransform(const int32_t coefficients[64], int32_t* samples, int samplePitch);

/** The codec's work area: one per decoder. */
struct MovieCodecWorkArea {
    int32_t coefficients[64];
    int32_t q[64];
    MacroblockSamples samples;
    ColourTables colour;
    int32_t predictors[3];
};

struct TransformHeader {
    int width = 0;
    int height = 0;
    int quality = 0;
    int flags = 0; // kind 4: bit 0 no copy bits, bit 1 clamped conversion
};

/** Reads the header of a kind 3 or 4 frame; false when the payload is shorter than 8 bytes. */
bool ReadTransformHeader(const uint8_t* payload, size_t length, TransformHeader& header);
/**
 * Decodes the macroblocks of a kind 3 frame into current (sized to the header's frame; widths and
 * heights not multiples of 16 are refused). False for a refused frame.
 */
bool DecodeTransformFrame(MovieCodecWorkArea& work, const uint8_t* payload, size_t length,
                          const FrameTarget& current, bool wide);
/** Kind 4; previous is the other frame surface, same size and pitch. */
bool DecodeIntraFrame(MovieCodecWorkArea& work, const uint8_t* payload, size_t length, const FrameTarget& current,
                      const uint16_t* previous, bool wide);

/** The kind 3 block reader over one macroblock's bytes (bits from the least significant up). */
class LsbBitReader {
public:
    LsbBitReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    /** The next 16 bits, first bit lowest; zero bits past the end. */
    uint32_t peek16() const;
    void skip(unsigned bits) { position_ += bits; }
    size_t position() const { return position_; }

private:
    const uint8_t* data_;
    size_t length_;
    size_t position_ = 0;
};
/** One kind 3 block into the coefficient block (by position). */
void ReadTransformBlock(LsbBitReader& reader, const int32_t q[64], int32_t coefficients[64]);

/** The kind 4 bit stream: 32-bit little-endian words read from their top bit; zero past the end. */
class MsbBitReader {
public:
    MsbBitReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    uint32_t peek32() const;
    uint32_t read(unsigned bits);
    void skip(unsigned bits) { position_ += bits; }
    size_t position() const { return position_; }
    /** True once every bit of the data was used (or more). */
    bool exhausted() const { return position_ >= length_ * 8; }

private:
    uint32_t word(size_t index) const;
    const uint8_t* data_;
    size_t length_;
    size_t position_ = 0;
};
/** 1 with the copy vector, or 0 when the macroblock is coded. */
int ReadMacroblockCopy(MsbBitReader& reader, int& x, int& y);
/** The six blocks of a kind 4 macroblock into the macroblock samples. */
void ReadIntraBlocks(MsbBitReader& reader, MovieCodecWorkArea& work);
/** The AC part of one kind 4 block; positions 1..63 are set. */
void ReadIntraCoefficients(MsbBitReader& reader, const int32_t q[64], int32_t coefficients[64]);
/** The DC size of a luma or chroma block; 0 for the pattern that begins no code. */
int ReadDcSize(MsbBitReader& reader, bool chroma);

// ---- Palettised frames (kinds 1 and 2) ------------------------------------------------------

/** The 8-bit pictures and tables of the palettised frames, one per decoder. */
struct PaletteFrameState {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pictures[2];
    int current = 0;
    std::vector<int32_t> rowOffsets;
    std::vector<uint32_t> blockMap;
    std::vector<int32_t> vectorOffsets;
    std::vector<uint8_t> blocks;
    uint8_t palette[768] = {};
    uint32_t colourTable[256] = {};
    bool haveKeyFrame = false;

    uint8_t* currentPicture() { return pictures[current].data(); }
    const uint8_t* currentPicture() const { return pictures[current].data(); }
};

struct KeyFrameHeader {
    int width = 0;
    int height = 0;
    int paletteCount = 0;
    size_t pictureOffset = 0; // where the compressed picture starts
};

/** Reads a kind 1 header; false when the payload is too short for it or its palette. */
bool ReadKeyFrameHeader(const uint8_t* payload, size_t length, KeyFrameHeader& header);
/** Copies the header's palette, scaled by the brightness and capped at 255. */
void ApplyKeyFramePalette(PaletteFrameState& state, const uint8_t* payload, const KeyFrameHeader& header,
                          int brightness);
/** Allocates the work buffers for the header's size and unpacks the picture. */
bool DecodeKeyFrame(PaletteFrameState& state, const uint8_t* payload, size_t length, const KeyFrameHeader& header);
/** Swaps the pictures and rebuilds the current one from the previous; false for a refused frame. */
bool DecodeDeltaFrame(PaletteFrameState& state, const uint8_t* payload, size_t length);
/** Reads count entries of w bits (bit 0 upwards) from bits; zero bits past the end. */
void UnpackBlockMap(uint32_t* map, const uint8_t* bits, size_t length, size_t count, int w);
/**
 * Unpacks the LZ stream into out (capacity bytes; the output is cut there and the input read
 * no further than length). Returns the size announced in the header (0 when no header).
 * With decode false only the header is read.
 */
size_t UnpackLz(const uint8_t* source, size_t length, uint8_t* out, size_t capacity, bool decode,
                size_t* written = nullptr);
void BuildColourTable(PaletteFrameState& state, const DisplayFormat& format);
/** The current 8-bit picture into the frame surface (rows packed, pairs when wide). */
void ExpandPicture(const PaletteFrameState& state, uint16_t* pixels, bool wide);

} // namespace movie
