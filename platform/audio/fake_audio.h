/** @file The audio device's test twin: buffers whose cursors tests move by hand, with every call recorded. */
#pragma once

#include "platform/audio/audio.h"

#include <cstdint>
#include <map>
#include <vector>

namespace platform {

class FakeAudioDevice;

/** The calls of a fake buffer that tests can make fail. */
enum class FakeAudioCall : uint8_t { Lock, Play, Stop, Restore, Positions, SetPan, SetVolume, SetFrequency };

/**
 * A buffer that never plays by itself: the play cursor stays where setPlayCursor() puts it,
 * and the write cursor leads it by writeLead bytes (0 at first). lose() makes it lost until
 * restore(). Every setting call is logged, even those that fail.
 */
class FakeAudioBuffer final : public AudioBuffer {
public:
    FakeAudioBuffer(FakeAudioDevice* device, const AudioFormat& format, uint32_t bytes);
    ~FakeAudioBuffer() override;

    const AudioFormat& format() const override { return format_; }
    uint32_t size() const override { return static_cast<uint32_t>(bytes.size()); }
    AudioResult lock(uint32_t offset, uint32_t bytes, AudioLock& out) override;
    AudioResult unlock(const AudioLock& lock) override;
    AudioResult play(bool looping) override;
    AudioResult stop() override;
    uint32_t status() override;
    AudioResult restore() override;
    AudioResult positions(uint32_t& play, uint32_t& write) override;
    AudioResult setPan(int32_t pan) override;
    AudioResult pan(int32_t& out) override;
    AudioResult setVolume(int32_t volume) override;
    AudioResult volume(int32_t& out) override;
    AudioResult setFrequency(uint32_t hz) override;
    AudioResult frequency(uint32_t& out) override;

    void setPlayCursor(uint32_t play) { playCursor = play % size(); }
    void lose() { lost = true; }
    /** The next call of that kind answers result (and does nothing else). */
    void failNext(FakeAudioCall call, AudioResult result) { failures_[call] = result; }

    // State, open to tests.
    std::vector<uint8_t> bytes;
    uint32_t playCursor = 0;
    uint32_t writeLead = 0;
    bool playing = false;
    bool looping = false;
    bool lost = false;
    int32_t panValue = 0;
    int32_t volumeValue = 0;
    uint32_t frequencyValue = 0; // 0: the format's rate
    int locksHeld = 0;
    int lockCalls = 0;
    int restoreCalls = 0;
    int playCalls = 0;
    int stopCalls = 0;
    std::vector<int32_t> panLog;
    std::vector<int32_t> volumeLog;
    std::vector<uint32_t> frequencyLog;

private:
    bool failing(FakeAudioCall call, AudioResult& result);

    FakeAudioDevice* device_;
    AudioFormat format_;
    std::map<FakeAudioCall, AudioResult> failures_;
};

/** A device that makes fake buffers; createBuffer can be made to fail. Sources are rendered by renderSources(). */
class FakeAudioDevice final : public AudioDevice {
public:
    bool isReal() const override { return false; }
    uint32_t sampleRate() const override { return 44100; }
    AudioResult createBuffer(const AudioFormat& format, uint32_t bytes, std::unique_ptr<AudioBuffer>& out) override;
    AudioResult startPrimary() override;
    AudioResult stopPrimary() override;
    bool primaryPlaying() const override { return primary; }
    void addSource(AudioSource* source) override;
    void removeSource(AudioSource* source) override;

    /** The sum of every source over frames stereo frames. */
    std::vector<int16_t> renderSources(uint32_t frames);

    /** Buffers alive, in the order they were made. */
    std::vector<FakeAudioBuffer*> buffers;
    std::vector<AudioSource*> sources;
    bool primary = false;
    int startPrimaryCalls = 0;
    int stopPrimaryCalls = 0;
    /** Answered by createBuffer (which then makes nothing) while not Ok. */
    AudioResult createResult = AudioResult::Ok;
    AudioResult startPrimaryResult = AudioResult::Ok;
};

} // namespace platform
