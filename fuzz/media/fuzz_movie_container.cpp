/** @file Fuzz target: arbitrary bytes played as a movie, headless, on a manual clock. */
#include "client/media/movie_player.h"
#include "platform/clock/clock.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The movie is read from memory through a stream, as a file given by the caller.
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    platform::ManualClock clock;
    movie::MoviePlayer player;
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
