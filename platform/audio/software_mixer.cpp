/** @file The software mixer: buffers resampled, panned and scaled into one stereo output, with cursors that the output moves. */
#include "platform/audio/software_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

double audioGain(int32_t hundredthsOfDecibel)
{
    if (hundredthsOfDecibel <= kAudioVolumeMin)
        return 0.0;
    if (hundredthsOfDecibel >= 0)
        return 1.0;
    return std::pow(10.0, hundredthsOfDecibel / 2000.0);
}

AudioResult lockRing(uint8_t* data, uint32_t size, uint32_t offset, uint32_t bytes, AudioLock& out)
{
    out = AudioLock{};
    if (offset >= size || bytes == 0 || bytes > size)
        return AudioResult::InvalidParam;
    out.first = data + offset;
    out.firstBytes = std::min(bytes, size - offset);
    if (out.firstBytes < bytes) {
        out.second = data;
        out.secondBytes = bytes - out.firstBytes;
    }
    return AudioResult::Ok;
}

class SoftwareMixer::Buffer final : public AudioBuffer {
public:
    Buffer(SoftwareMixer& mixer, const AudioFormat& format, uint32_t bytes)
        : mixer_(mixer), format_(format), bytes_(bytes, 0), frames_(bytes / format.bytesPerFrame())
    {
        // The write cursor leads by 10 ms, as a sound card's does.
        lead_ = std::max<uint32_t>(1, format.sampleRate / 100) * format.bytesPerFrame();
        lead_ = std::min(lead_, bytes - format.bytesPerFrame());
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        mixer_.buffers_.push_back(this);
    }

    ~Buffer() override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        std::erase(mixer_.buffers_, this);
    }

    const AudioFormat& format() const override { return format_; }
    uint32_t size() const override { return static_cast<uint32_t>(bytes_.size()); }

    AudioResult lock(uint32_t offset, uint32_t bytes, AudioLock& out) override
    {
        return lockRing(bytes_.data(), size(), offset, bytes, out);
    }

    AudioResult unlock(const AudioLock&) override { return AudioResult::Ok; }

    AudioResult play(bool looping) override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        playing_ = true;
        looping_ = looping;
        return AudioResult::Ok;
    }

    AudioResult stop() override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        playing_ = false;
        return AudioResult::Ok;
    }

    uint32_t status() override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        return (playing_ ? kAudioStatusPlaying : 0u) | (playing_ && looping_ ? kAudioStatusLooping : 0u);
    }

    AudioResult restore() override { return AudioResult::Ok; }

    AudioResult positions(uint32_t& play, uint32_t& write) override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        play = static_cast<uint32_t>(position_ >> 32) * format_.bytesPerFrame();
        write = (play + lead_) % size();
        return AudioResult::Ok;
    }

    AudioResult setPan(int32_t pan) override
    {
        if (pan < kAudioPanLeft || pan > kAudioPanRight)
            return AudioResult::InvalidParam;
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        pan_ = pan;
        updateGains();
        return AudioResult::Ok;
    }

    AudioResult pan(int32_t& out) override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        out = pan_;
        return AudioResult::Ok;
    }

    AudioResult setVolume(int32_t volume) override
    {
        if (volume < kAudioVolumeMin || volume > kAudioVolumeMax)
            return AudioResult::InvalidParam;
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        volume_ = volume;
        updateGains();
        return AudioResult::Ok;
    }

    AudioResult volume(int32_t& out) override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        out = volume_;
        return AudioResult::Ok;
    }

    AudioResult setFrequency(uint32_t hz) override
    {
        if (hz != 0 && (hz < kAudioFrequencyMin || hz > kAudioFrequencyMax))
            return AudioResult::InvalidParam;
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        frequency_ = hz == 0 ? format_.sampleRate : hz;
        return AudioResult::Ok;
    }

    AudioResult frequency(uint32_t& out) override
    {
        std::lock_guard<std::mutex> hold(mixer_.mutex_);
        out = frequency_;
        return AudioResult::Ok;
    }

    // Under the mixer's lock: adds frames output frames of this buffer to sum.
    void mixInto(float* sum, uint32_t frames, uint32_t deviceRate)
    {
        if (!playing_ || frames_ == 0)
            return;
        const uint64_t end = static_cast<uint64_t>(frames_) << 32;
        const uint64_t step = (static_cast<uint64_t>(frequency_) << 32) / deviceRate;
        const int16_t* samples = reinterpret_cast<const int16_t*>(bytes_.data());
        const uint32_t channels = format_.channels;
        for (uint32_t i = 0; i < frames; ++i) {
            if (position_ >= end) {
                if (!looping_) {
                    playing_ = false;
                    position_ = 0;
                    return;
                }
                position_ %= end;
            }
            const uint32_t at = static_cast<uint32_t>(position_ >> 32);
            uint32_t next = at + 1;
            if (next >= frames_)
                next = looping_ ? 0 : at;
            const float fraction = static_cast<float>(position_ & 0xFFFFFFFFu) / 4294967296.0f;
            const float left0 = sampleAt(samples, at * channels);
            const float left1 = sampleAt(samples, next * channels);
            const float left = left0 + (left1 - left0) * fraction;
            float right = left;
            if (channels == 2) {
                const float right0 = sampleAt(samples, at * 2 + 1);
                const float right1 = sampleAt(samples, next * 2 + 1);
                right = right0 + (right1 - right0) * fraction;
            }
            sum[i * 2] += left * leftGain_;
            sum[i * 2 + 1] += right * rightGain_;
            position_ += step;
        }
    }

private:
    static float sampleAt(const int16_t* samples, uint32_t index)
    {
        // The bytes are little-endian whatever the machine.
        const uint8_t* b = reinterpret_cast<const uint8_t*>(samples + index);
        return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8))));
    }

    void updateGains()
    {
        const double base = audioGain(volume_);
        leftGain_ = static_cast<float>(base * (pan_ > 0 ? audioGain(-pan_) : 1.0));
        rightGain_ = static_cast<float>(base * (pan_ < 0 ? audioGain(pan_) : 1.0));
    }

    SoftwareMixer& mixer_;
    const AudioFormat format_;
    std::vector<uint8_t> bytes_;
    const uint32_t frames_;
    uint32_t lead_ = 0;
    uint64_t position_ = 0; // frames, 32.32 fixed point
    bool playing_ = false;
    bool looping_ = false;
    int32_t pan_ = 0;
    int32_t volume_ = 0;
    uint32_t frequency_ = format_.sampleRate;
    float leftGain_ = 1.0f;
    float rightGain_ = 1.0f;
};

SoftwareMixer::SoftwareMixer(uint32_t sampleRate) : sampleRate_(sampleRate) {}

SoftwareMixer::~SoftwareMixer() = default;

AudioResult SoftwareMixer::createBuffer(const AudioFormat& format, uint32_t bytes, std::unique_ptr<AudioBuffer>& out)
{
    out.reset();
    if (format.channels < 1 || format.channels > 2 || format.sampleRate < kAudioFrequencyMin ||
        format.sampleRate > kAudioFrequencyMax)
        return AudioResult::BadFormat;
    if (bytes < 2 * format.bytesPerFrame() || bytes % format.bytesPerFrame() != 0)
        return AudioResult::InvalidParam;
    out = std::make_unique<Buffer>(*this, format, bytes);
    return AudioResult::Ok;
}

AudioResult SoftwareMixer::startPrimary()
{
    std::lock_guard<std::mutex> hold(mutex_);
    primary_ = true;
    return AudioResult::Ok;
}

AudioResult SoftwareMixer::stopPrimary()
{
    std::lock_guard<std::mutex> hold(mutex_);
    primary_ = false;
    return AudioResult::Ok;
}

bool SoftwareMixer::primaryPlaying() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return primary_;
}

void SoftwareMixer::addSource(AudioSource* source)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
        sources_.push_back(source);
}

void SoftwareMixer::removeSource(AudioSource* source)
{
    std::lock_guard<std::mutex> hold(mutex_);
    std::erase(sources_, source);
}

void SoftwareMixer::mix(int16_t* stereo, uint32_t frames)
{
    std::lock_guard<std::mutex> hold(mutex_);
    sum_.assign(static_cast<size_t>(frames) * 2, 0.0f);
    if (primary_)
        for (Buffer* buffer : buffers_)
            buffer->mixInto(sum_.data(), frames, sampleRate_);
    if (!sources_.empty()) {
        sourceScratch_.resize(static_cast<size_t>(frames) * 2);
        for (AudioSource* source : sources_) {
            std::fill(sourceScratch_.begin(), sourceScratch_.end(), int16_t{0});
            source->render(sourceScratch_.data(), frames);
            for (size_t i = 0; i < sourceScratch_.size(); ++i)
                sum_[i] += sourceScratch_[i];
        }
    }
    for (size_t i = 0; i < sum_.size(); ++i)
        stereo[i] = static_cast<int16_t>(std::clamp(std::lround(sum_[i]), -32768L, 32767L));
}

} // namespace platform
