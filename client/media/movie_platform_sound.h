/** @file The movie's stream buffer on the platform's sound device. */
#pragma once

#include "client/media/movie_sound.h"
#include "platform/audio/audio.h"

namespace movie {

/**
 * Makes the movie's looping stereo stream buffers on a platform audio device (not owned): a
 * buffer at the stream's rate and frequency, playing looped; writes go through lock and unlock,
 * restoring a lost buffer once.
 */
class PlatformMovieSound final : public MovieSoundDevice {
public:
    explicit PlatformMovieSound(platform::AudioDevice& device) : device_(device) {}
    std::unique_ptr<MovieSoundBuffer> createStreamBuffer(int rate, uint32_t bytes) override;

private:
    platform::AudioDevice& device_;
};

} // namespace movie
