/** @file The movie's stream buffer on the platform's sound device. */
#include "client/media/movie_platform_sound.h"

#include <algorithm>
#include <cstring>

namespace movie {

namespace {

class PlatformStreamBuffer final : public MovieSoundBuffer {
public:
    explicit PlatformStreamBuffer(std::unique_ptr<platform::AudioBuffer> buffer) : buffer_(std::move(buffer)) {}
    ~PlatformStreamBuffer() override { buffer_->stop(); }

    uint32_t size() const override { return buffer_->size(); }

    uint32_t playPosition() override
    {
        uint32_t play = 0;
        uint32_t write = 0;
        return buffer_->positions(play, write) == platform::AudioResult::Ok ? play : 0;
    }

    void write(uint32_t offset, const uint8_t* data, uint32_t len) override
    {
        platform::AudioLock lock;
        platform::AudioResult result = buffer_->lock(offset, len, lock);
        if (result == platform::AudioResult::BufferLost) {
            buffer_->restore();
            result = buffer_->lock(offset, len, lock);
        }
        if (result != platform::AudioResult::Ok)
            return;
        const uint32_t first = std::min(lock.firstBytes, len);
        std::memcpy(lock.first, data, first);
        if (lock.second != nullptr)
            std::memcpy(lock.second, data + first, std::min(lock.secondBytes, len - first));
        buffer_->unlock(lock);
    }

private:
    std::unique_ptr<platform::AudioBuffer> buffer_;
};

} // namespace

std::unique_ptr<MovieSoundBuffer> PlatformMovieSound::createStreamBuffer(int rate, uint32_t bytes)
{
    if (rate < static_cast<int>(platform::kAudioFrequencyMin) || rate > static_cast<int>(platform::kAudioFrequencyMax))
        return nullptr;
    platform::AudioFormat format;
    format.channels = 2;
    format.sampleRate = static_cast<uint32_t>(rate);
    std::unique_ptr<platform::AudioBuffer> buffer;
    if (device_.createBuffer(format, bytes, buffer) != platform::AudioResult::Ok || buffer == nullptr)
        return nullptr;
    if (buffer->setFrequency(static_cast<uint32_t>(rate)) != platform::AudioResult::Ok ||
        buffer->play(true) != platform::AudioResult::Ok)
        return nullptr;
    return std::make_unique<PlatformStreamBuffer>(std::move(buffer));
}

} // namespace movie
