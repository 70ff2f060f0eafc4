/** @file Standard MPEG movies: a program stream's MPEG-1 or MPEG-2 video decoded picture by picture. */
#pragma once

#include "platform/window/window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

/** One decoded picture in 16-bit pixels, rows width pixels long. */
struct MpegPicture {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels;
};

/**
 * A movie read as an MPEG program stream. The demuxer (MPEG program stream) and the decoder
 * (MPEG-1/2 video) are fixed: nothing is probed, and only files named *.mpg are opened. The
 * first video stream found is decoded; sound and other streams are skipped.
 *
 * Threads: one thread at a time.
 */
class MpegMovie {
public:
    virtual ~MpegMovie() = default;
    /** False for the null twin. */
    virtual bool isReal() const = 0;
    /** Opens the file; false when it is no .mpg file or cannot be opened as a program stream. */
    virtual bool open(const std::string& path, PixelLayout layout) = 0;
    /** The next picture; false at the end of the stream or when it cannot be decoded further. */
    virtual bool nextPicture(MpegPicture& out) = 0;
    /** Pictures a second, once the stream has said (25 until then). */
    virtual double frameRate() const = 0;
    virtual void close() = 0;
};

/** Opens nothing; remembers what it was asked to open. */
class NullMpegMovie final : public MpegMovie {
public:
    bool isReal() const override { return false; }
    bool open(const std::string& path, PixelLayout) override
    {
        opened.push_back(path);
        return false;
    }
    bool nextPicture(MpegPicture&) override { return false; }
    double frameRate() const override { return 25.0; }
    void close() override {}

    std::vector<std::string> opened;
};

/** The decoder of Debian's FFmpeg libraries (libavformat, libavcodec, libswscale). */
std::unique_ptr<MpegMovie> makeFfmpegMpegMovie();

} // namespace platform
