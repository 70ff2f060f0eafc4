/** @file Fuzz target: one video frame of each kind (the first byte picks the kind and the pixel format). */
#include "client/media/movie_codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Frames up to 256 pixels a side: every block and row path of the decoders is reached well below
// this, and larger frames would spend each run clearing their pictures.
constexpr int kMaxSide = 256;

movie::PaletteFrameState keyFrameOf32()
{
    // A 32 x 32 key frame for the delta frames to work against: 16 literal bytes, then a match
    // of 1008 bytes from 16 back repeats them over the whole picture.
    std::vector<uint8_t> payload = {32, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 4, 0, 0xE3,
                                    1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0xCC, 0, 15, 0xEB, 0xFC};
    movie::KeyFrameHeader h;
    movie::PaletteFrameState s;
    if (movie::ReadKeyFrameHeader(payload.data(), payload.size(), h))
        movie::DecodeKeyFrame(s, payload.data(), payload.size(), h);
    return s;
}

/** The colour tables of the eight display formats the selector picks, built once for the whole run. */
const movie::ColourTables& colourTablesOf(int formatBits, const movie::DisplayFormat& format)
{
    static std::array<movie::ColourTables, 8> tables;
    static std::array<bool, 8> built{};
    if (!built[static_cast<size_t>(formatBits)]) {
        movie::BuildMovieColourTables(tables[static_cast<size_t>(formatBits)], format);
        built[static_cast<size_t>(formatBits)] = true;
    }
    return tables[static_cast<size_t>(formatBits)];
}

/**
 * The two frame surfaces of the largest frame, allocated once for the whole run: a decoder only
 * writes the current one and only reads the previous one, so neither is cleared between inputs.
 */
std::vector<uint16_t>& currentSurface()
{
    static std::vector<uint16_t> pixels(static_cast<size_t>(kMaxSide * kMaxSide * 2));
    return pixels;
}

std::vector<uint16_t>& previousSurface()
{
    static std::vector<uint16_t> pixels(static_cast<size_t>(kMaxSide * kMaxSide * 2), uint16_t{0x4321});
    return pixels;
}

/** A frame of count pixels placed at the end of the surface: a write or read past the frame meets the allocation's end. */
uint16_t* surfaceEndingAt(std::vector<uint16_t>& surface, size_t count)
{
    return surface.data() + (surface.size() - count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t selector = data[0];
    const uint8_t* payload = data + 1;
    const size_t length = size - 1;
    movie::DisplayFormat format = (selector & 0x10) ? movie::DisplayFormat::rgb565() : movie::DisplayFormat::rgb555();
    format.wide = (selector & 0x20) != 0;
    format.brightness = (selector & 0x40) ? 150 : 100;
    const int unit = format.wide ? 2 : 1;
    switch (selector & 3) {
    case 0: {
        movie::KeyFrameHeader h;
        movie::PaletteFrameState s;
        if (!movie::ReadKeyFrameHeader(payload, length, h) || h.width > kMaxSide || h.height > kMaxSide)
            return 0;
        movie::ApplyKeyFramePalette(s, payload, h, format.brightness);
        if (!movie::DecodeKeyFrame(s, payload, length, h))
            return 0;
        movie::BuildColourTable(s, format);
        movie::ExpandPicture(s, surfaceEndingAt(currentSurface(), static_cast<size_t>(h.width * h.height * unit)),
                             format.wide);
        return 0;
    }
    case 1: {
        static const movie::PaletteFrameState keyFrame = keyFrameOf32();
        movie::PaletteFrameState s = keyFrame;
        if (movie::DecodeDeltaFrame(s, payload, length)) {
            movie::BuildColourTable(s, format);
            movie::ExpandPicture(s, surfaceEndingAt(currentSurface(), static_cast<size_t>(32 * 32 * unit)), format.wide);
        }
        return 0;
    }
    default: {
        movie::TransformHeader h;
        if (!movie::ReadTransformHeader(payload, length, h) || h.width <= 0 || h.height <= 0 || h.width > kMaxSide ||
            h.height > kMaxSide)
            return 0;
        static movie::MovieCodecWorkArea work{};
        work.colour = colourTablesOf((selector >> 4) & 7, format);
        const size_t count = static_cast<size_t>(h.width * h.height * unit);
        uint16_t* current = surfaceEndingAt(currentSurface(), count);
        const movie::FrameTarget target{current, h.width * unit, h.width, h.height};
        if ((selector & 3) == 2)
            movie::DecodeTransformFrame(work, payload, length, target, format.wide);
        else
            movie::DecodeIntraFrame(work, payload, length, target, surfaceEndingAt(previousSurface(), count),
                                    format.wide);
        return 0;
    }
    }
}
