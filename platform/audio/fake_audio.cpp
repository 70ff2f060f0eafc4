/** @file The audio device's test twin: buffers whose cursors tests move by hand, with every call recorded. */
#include "platform/audio/fake_audio.h"

#include <algorithm>

namespace platform {

FakeAudioBuffer::FakeAudioBuffer(FakeAudioDevice* device, const AudioFormat& format, uint32_t size)
    : bytes(size, 0), device_(device), format_(format)
{
}

FakeAudioBuffer::~FakeAudioBuffer()
{
    if (device_ != nullptr)
        std::erase(device_->buffers, this);
}

bool FakeAudioBuffer::failing(FakeAudioCall call, AudioResult& result)
{
    const auto it = failures_.find(call);
    if (it == failures_.end())
        return false;
    result = it->second;
    failures_.erase(it);
    return true;
}

AudioResult FakeAudioBuffer::lock(uint32_t offset, uint32_t count, AudioLock& out)
{
    out = AudioLock{};
    ++lockCalls;
    AudioResult result;
    if (failing(FakeAudioCall::Lock, result))
        return result;
    if (lost)
        return AudioResult::BufferLost;
    result = lockRing(bytes.data(), size(), offset, count, out);
    if (result == AudioResult::Ok)
        ++locksHeld;
    return result;
}

AudioResult FakeAudioBuffer::unlock(const AudioLock&)
{
    if (locksHeld == 0)
        return AudioResult::InvalidCall;
    --locksHeld;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::play(bool loop)
{
    ++playCalls;
    AudioResult result;
    if (failing(FakeAudioCall::Play, result))
        return result;
    if (lost)
        return AudioResult::BufferLost;
    playing = true;
    looping = loop;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::stop()
{
    ++stopCalls;
    AudioResult result;
    if (failing(FakeAudioCall::Stop, result))
        return result;
    playing = false;
    return AudioResult::Ok;
}

uint32_t FakeAudioBuffer::status()
{
    return (playing ? kAudioStatusPlaying : 0u) | (playing && looping ? kAudioStatusLooping : 0u) |
           (lost ? kAudioStatusLost : 0u);
}

AudioResult FakeAudioBuffer::restore()
{
    ++restoreCalls;
    AudioResult result;
    if (failing(FakeAudioCall::Restore, result))
        return result;
    if (lost) {
        lost = false;
        playing = false;
    }
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::positions(uint32_t& play, uint32_t& write)
{
    AudioResult result;
    if (failing(FakeAudioCall::Positions, result))
        return result;
    play = playCursor;
    write = (playCursor + writeLead) % size();
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::setPan(int32_t value)
{
    panLog.push_back(value);
    AudioResult result;
    if (failing(FakeAudioCall::SetPan, result))
        return result;
    if (value < kAudioPanLeft || value > kAudioPanRight)
        return AudioResult::InvalidParam;
    panValue = value;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::pan(int32_t& out)
{
    out = panValue;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::setVolume(int32_t value)
{
    volumeLog.push_back(value);
    AudioResult result;
    if (failing(FakeAudioCall::SetVolume, result))
        return result;
    if (value < kAudioVolumeMin || value > kAudioVolumeMax)
        return AudioResult::InvalidParam;
    volumeValue = value;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::volume(int32_t& out)
{
    out = volumeValue;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::setFrequency(uint32_t hz)
{
    frequencyLog.push_back(hz);
    AudioResult result;
    if (failing(FakeAudioCall::SetFrequency, result))
        return result;
    if (hz != 0 && (hz < kAudioFrequencyMin || hz > kAudioFrequencyMax))
        return AudioResult::InvalidParam;
    frequencyValue = hz;
    return AudioResult::Ok;
}

AudioResult FakeAudioBuffer::frequency(uint32_t& out)
{
    out = frequencyValue == 0 ? format_.sampleRate : frequencyValue;
    return AudioResult::Ok;
}

AudioResult FakeAudioDevice::createBuffer(const AudioFormat& format, uint32_t size, std::unique_ptr<AudioBuffer>& out)
{
    out.reset();
    if (createResult != AudioResult::Ok)
        return createResult;
    if (size == 0 || size % format.bytesPerFrame() != 0)
        return AudioResult::InvalidParam;
    auto buffer = std::make_unique<FakeAudioBuffer>(this, format, size);
    buffers.push_back(buffer.get());
    out = std::move(buffer);
    return AudioResult::Ok;
}

AudioResult FakeAudioDevice::startPrimary()
{
    ++startPrimaryCalls;
    if (startPrimaryResult != AudioResult::Ok)
        return startPrimaryResult;
    primary = true;
    return AudioResult::Ok;
}

AudioResult FakeAudioDevice::stopPrimary()
{
    ++stopPrimaryCalls;
    primary = false;
    return AudioResult::Ok;
}

void FakeAudioDevice::addSource(AudioSource* source)
{
    if (std::find(sources.begin(), sources.end(), source) == sources.end())
        sources.push_back(source);
}

void FakeAudioDevice::removeSource(AudioSource* source)
{
    std::erase(sources, source);
}

std::vector<int16_t> FakeAudioDevice::renderSources(uint32_t frames)
{
    std::vector<int32_t> sum(static_cast<size_t>(frames) * 2, 0);
    std::vector<int16_t> scratch(sum.size());
    for (AudioSource* source : sources) {
        std::fill(scratch.begin(), scratch.end(), int16_t{0});
        source->render(scratch.data(), frames);
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] += scratch[i];
    }
    std::vector<int16_t> out(sum.size());
    for (size_t i = 0; i < sum.size(); ++i)
        out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
    return out;
}

} // namespace platform
