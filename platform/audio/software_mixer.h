/** @file The software mixer: buffers resampled, panned and scaled into one stereo output, with cursors that the output moves. */
#pragma once

#include "platform/audio/audio.h"

#include <mutex>
#include <vector>

namespace platform {

/**
 * An audio device whose output is pulled by mix(). The SDL backend calls mix() from its output
 * thread; without one (tests, offline rendering) the caller pulls the frames it wants, and the
 * play cursors move exactly as far as those frames reach.
 *
 * A buffer is read with linear interpolation at its frequency and scaled by its volume and pan;
 * sources are added after the buffers; the sum is clipped to 16 bits. The write cursor leads
 * the play cursor by 10 ms of the buffer's own rate.
 */
class SoftwareMixer : public AudioDevice {
public:
    explicit SoftwareMixer(uint32_t sampleRate);
    ~SoftwareMixer() override;
    SoftwareMixer(const SoftwareMixer&) = delete;
    SoftwareMixer& operator=(const SoftwareMixer&) = delete;

    bool isReal() const override { return false; }
    uint32_t sampleRate() const override { return sampleRate_; }
    AudioResult createBuffer(const AudioFormat& format, uint32_t bytes, std::unique_ptr<AudioBuffer>& out) override;
    AudioResult startPrimary() override;
    AudioResult stopPrimary() override;
    bool primaryPlaying() const override;
    void addSource(AudioSource* source) override;
    void removeSource(AudioSource* source) override;

    /** Writes frames stereo frames of output and moves every playing buffer on by as much. */
    void mix(int16_t* stereo, uint32_t frames);

private:
    class Buffer;
    friend class Buffer;

    const uint32_t sampleRate_;
    // Guards everything below and every buffer's cursor and controls (not its sample bytes:
    // the game writes only where the output is not reading).
    mutable std::mutex mutex_;
    std::vector<Buffer*> buffers_;
    std::vector<AudioSource*> sources_;
    bool primary_ = false;
    std::vector<float> sum_;
    std::vector<int16_t> sourceScratch_;
};

} // namespace platform
