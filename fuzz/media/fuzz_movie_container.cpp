/** @file Fuzz target: arbitrary bytes played as a movie, headless, on a manual clock. */
#include "client/core/kz_report.h"
#include "client/media/movie_codec.h"
#include "client/media/movie_player.h"
#include "platform/clock/clock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxSide = 512;

/**
 * True when no video chunk of the file declares a frame wider or taller than kMaxSide. The frame
 * kinds themselves are fuzzed up to any size by the frames target; here a declared size of
 * thousands of pixels would only spend each run clearing tens of megabytes of frame memory.
 */
bool framesOfModestSize(const uint8_t* data, size_t size)
{
    static const char* const kKeyTags[] = {"kVGT", "TGVk"};
    static const char* const kTransformTags[] = {"pQGT", "MVQf", "pIQT", "VQ2f"};
    for (size_t at = 0; size - at >= 8;) {
        const uint32_t length = static_cast<uint32_t>(data[at + 4]) | static_cast<uint32_t>(data[at + 5]) << 8 |
                                static_cast<uint32_t>(data[at + 6]) << 16 | static_cast<uint32_t>(data[at + 7]) << 24;
        if (length < 8)
            return true;
        const uint8_t* payload = data + at + 8;
        const size_t payloadSize = std::min<size_t>(length - 8, size - at - 8);
        for (const char* tag : kKeyTags) {
            movie::KeyFrameHeader h;
            if (std::memcmp(data + at, tag, 4) == 0 && movie::ReadKeyFrameHeader(payload, payloadSize, h) &&
                (h.width > kMaxSide || h.height > kMaxSide))
                return false;
        }
        for (const char* tag : kTransformTags) {
            movie::TransformHeader h;
            if (std::memcmp(data + at, tag, 4) == 0 && movie::ReadTransformHeader(payload, payloadSize, h) &&
                (h.width > kMaxSide || h.height > kMaxSide))
                return false;
        }
        if (length > size - at)
            return true;
        at += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    if (!framesOfModestSize(data, size))
        return 0;
    // The movie is read from memory through a stream, as a file given by the caller.
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    // The bytes are in memory already: no stream buffer to allocate and fill for each input.
    std::setvbuf(file, nullptr, _IONBF, 0);
    platform::ManualClock clock;
    // A megabyte of read-ahead rings: allocated once for the run, not once per input.
    static movie::MovieBuffers buffers;
    movie::MoviePlayer player;
    player.buffers = &buffers;
    player.flags = movie::kMovieMemoryOnly | movie::kMovieFileGiven | movie::kMovieFrameCallback;
    player.file = file;
    player.clock = &clock;
    player.inlineSound = true;
    int frames = 0;
    player.callback = [&frames] { return ++frames >= 16 ? 1 : 0; };
    movie::PlayMovie("", nullptr, player);
    std::fclose(file);
    return 0;
}
