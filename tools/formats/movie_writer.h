/**
 * @file A movie encoder: the chunked container, sound chunks of kinds 0, 7 and 10, and video
 * frames of kinds 1 to 4. Shared by the test fixtures and the sample install (its intro).
 */
#pragma once

#include "tools/formats/le_writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace formats {

/** One chunk: the 4-byte tag as stored, the 32-bit size including the header, the payload. */
Bytes movieChunk(const char* tag, const Bytes& payload);
/** A "SCHl" header payload: 4 skipped bytes, one record before 0xFD, then the format records. */
Bytes movieAudioHeader(int channels, int rate, int compression, int sampleSize = 16);

// ---- sound ----

/** Kind 0: the frame count, then the 16-bit samples as given (interleaved when stereo). */
Bytes encodePcmChunk(const std::vector<int16_t>& samples, int channels);

struct BlockAdpcmEncoder {
    int32_t leftCurrent = 0, leftPrevious = 0, rightCurrent = 0, rightPrevious = 0;
};
/**
 * Kind 7: the count, the predictor state, then blocks of 28 frames (30 bytes stereo, 15 mono),
 * each with the filter and shift that code it best. Samples interleaved when stereo; a short
 * last block is padded with its last frame.
 */
Bytes encodeBlockAdpcmChunk(const std::vector<int16_t>& samples, int channels, BlockAdpcmEncoder& state);

struct ImaEncoder {
    uint32_t left = 0;  // sample low 16 bits, step index high 16
    uint32_t right = 0;
};
/** Kind 10: one byte per stereo frame (high nibble left). */
Bytes encodeImaChunk(const std::vector<int16_t>& stereo, ImaEncoder& state);

// ---- palettised frames ----

/** The LZ stream of a picture: literal runs and back references found greedily. */
Bytes packLz(const std::vector<uint8_t>& data);
/** Kind 1: header, palette (3 bytes an entry; empty keeps the old one), packed picture. */
Bytes encodeKeyFrame(int width, int height, const std::vector<uint8_t>& palette, const std::vector<uint8_t>& picture);
/**
 * Kind 2 against the previous picture: each 4 x 4 block is copied by a vector found among small
 * moves, else a pattern block when it has at most four colours, else a plain block.
 */
Bytes encodeDeltaFrame(int width, int height, const std::vector<uint8_t>& previous, const std::vector<uint8_t>& current);

/** Explicit delta frame parts, for crafted frames. */
struct DeltaFrameParts {
    std::vector<std::pair<int, int>> vectors;       // dx, dy
    std::vector<std::array<uint8_t, 16>> plain;      // rows of four indexes
    std::vector<std::pair<std::array<uint8_t, 4>, uint32_t>> patterns; // colours, pattern
    std::vector<uint32_t> map;                       // one entry a block
    int mapBits = 8;
};
Bytes encodeDeltaFrame(const DeltaFrameParts& parts);

// ---- transform frames ----

/** A picture in 4:2:0: luma width x height, chroma (width / 2) x (height / 2), values 0..255. */
struct YuvPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> y, cb, cr;
};

/** How a kind 3 macroblock is coded; automatic picks flat for uniform quarters, else coded. */
enum class Kind3Mode : uint8_t { Automatic, Coded, Flat3, Flat6, Flat12, Skip };
/** Kind 3 frame of the picture at the quality; modes per macroblock (row-major) or empty. */
Bytes encodeKind3Frame(const YuvPicture& picture, int quality, const std::vector<Kind3Mode>& modes = {});

/** A kind 4 macroblock: coded, or copied from the previous frame by (x, y) in -8..7. */
struct Kind4Macroblock {
    bool copy = false;
    int x = 0;
    int y = 0;
};
/** Kind 4 frame; flags bit 0 = no copy bits, bit 1 = clamped conversion. */
Bytes encodeKind4Frame(const YuvPicture& picture, int quality, int flags,
                       const std::vector<Kind4Macroblock>& macroblocks = {});

/** The quantiser tables the decoder builds, for the encoder's own use. */
void movieKind3Quantiser(int quality, int32_t q[64]);
void movieKind4Quantiser(int quality, int32_t q[64]);

// ---- a whole movie ----

/** A movie built chunk by chunk. */
class MovieWriter {
public:
    void audioHeader(int channels, int rate, int compression) { add("SCHl", movieAudioHeader(channels, rate, compression)); }
    void add(const char* tag, const Bytes& payload);
    void end() { add("SEND", {}); }
    const Bytes& bytes() const { return bytes_; }
    bool save(const std::string& path) const;

private:
    Bytes bytes_;
};

/**
 * The short intro of the sample install: a 640 x 480 movie of about three seconds at 15 frames
 * a second, a key frame and delta frames with IMA sound.
 */
Bytes sampleIntroMovie();

} // namespace formats
