/** @file Sound output: looping byte-ring buffers with play and write cursors, mixed in software into one device. */
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

/** What an audio call answers; the game names its failures after these. */
enum class AudioResult : uint8_t {
    Ok,
    Generic,
    InvalidParam,
    InvalidCall,
    OutOfMemory,
    BadFormat,
    NoDriver,
    BufferLost,
};

/** Samples are always signed 16-bit little-endian, channels interleaved. */
struct AudioFormat {
    uint16_t channels = 1;    // 1 or 2
    uint32_t sampleRate = 22050;

    uint32_t bytesPerFrame() const { return channels * 2u; }
};

/** A locked region of a buffer: the second piece is empty unless the region wraps past the end. */
struct AudioLock {
    uint8_t* first = nullptr;
    uint32_t firstBytes = 0;
    uint8_t* second = nullptr;
    uint32_t secondBytes = 0;
};

// Status bits of AudioBuffer::status().
inline constexpr uint32_t kAudioStatusPlaying = 0x1;
inline constexpr uint32_t kAudioStatusLost = 0x2;
inline constexpr uint32_t kAudioStatusLooping = 0x4;

// Volume and pan are in hundredths of a decibel. Volume runs from kAudioVolumeMin (silence)
// to 0 (as recorded); a positive pan lowers the left side by that much, a negative one the right.
inline constexpr int32_t kAudioVolumeMin = -10000;
inline constexpr int32_t kAudioVolumeMax = 0;
inline constexpr int32_t kAudioPanLeft = -10000;
inline constexpr int32_t kAudioPanRight = 10000;
// Playback frequencies a buffer accepts; 0 asks for the buffer's own rate.
inline constexpr uint32_t kAudioFrequencyMin = 100;
inline constexpr uint32_t kAudioFrequencyMax = 200000;

/**
 * A ring of sample bytes that the device plays from its play cursor on. Bytes from the write
 * cursor up to the play cursor (going round the ring) are safe to change; those between the play
 * and the write cursor are about to be played. A lost buffer fails lock() and play() with
 * BufferLost until restore() is called; its bytes are then undefined.
 *
 * Threads: a buffer is used by one thread at a time (the device's own output thread is
 * accounted for inside); its device must outlive it.
 */
class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;

    virtual const AudioFormat& format() const = 0;
    virtual uint32_t size() const = 0;

    /**
     * Locks bytes bytes from offset on, going round the ring's end into a second piece.
     * InvalidParam when offset is past the end or bytes is 0 or more than the size.
     */
    virtual AudioResult lock(uint32_t offset, uint32_t bytes, AudioLock& out) = 0;
    virtual AudioResult unlock(const AudioLock& lock) = 0;

    /** Plays from the play cursor on; a looping buffer goes round for ever, another stops at its end. */
    virtual AudioResult play(bool looping) = 0;
    /** Stops; the play cursor stays where it is. */
    virtual AudioResult stop() = 0;
    /** kAudioStatus* bits. */
    virtual uint32_t status() = 0;
    /** Makes a lost buffer usable again. */
    virtual AudioResult restore() = 0;

    /** Byte offsets of the play and write cursors. */
    virtual AudioResult positions(uint32_t& play, uint32_t& write) = 0;

    virtual AudioResult setPan(int32_t pan) = 0;
    virtual AudioResult pan(int32_t& out) = 0;
    virtual AudioResult setVolume(int32_t volume) = 0;
    virtual AudioResult volume(int32_t& out) = 0;
    /** Samples per second to play at (resampled to the device); 0 goes back to the format's rate. */
    virtual AudioResult setFrequency(uint32_t hz) = 0;
    virtual AudioResult frequency(uint32_t& out) = 0;
};

/**
 * Something mixed into the output beside the buffers (a synthesiser). render() is called on the
 * device's output thread and writes frames interleaved stereo frames at the device's rate.
 */
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual void render(int16_t* stereo, uint32_t frames) = 0;
};

/**
 * The sound device: makes buffers and mixes every playing one, and every source, into its
 * stereo output. The primary output is what the buffers play through: while it is stopped
 * the buffers neither sound nor move; sources go on.
 *
 * Threads: one game thread at a time; sources and buffers may be added from any thread.
 */
class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    /** False for twins that never reach a sound card. */
    virtual bool isReal() const = 0;
    /** Output frames per second. */
    virtual uint32_t sampleRate() const = 0;

    /** A silent, stopped buffer of bytes bytes (a whole number of frames). */
    virtual AudioResult createBuffer(const AudioFormat& format, uint32_t bytes, std::unique_ptr<AudioBuffer>& out) = 0;

    virtual AudioResult startPrimary() = 0;
    virtual AudioResult stopPrimary() = 0;
    virtual bool primaryPlaying() const = 0;

    /** Mixes the source (not owned) in from now on. */
    virtual void addSource(AudioSource* source) = 0;
    /** Stops mixing the source; when this returns, its render() is not running and will not be called again. */
    virtual void removeSource(AudioSource* source) = 0;
};

/**
 * The lock of a ring of size bytes at data: bytes bytes from offset on, going round the end into
 * a second piece. InvalidParam when offset is past the end or bytes is 0 or more than the size.
 */
AudioResult lockRing(uint8_t* data, uint32_t size, uint32_t offset, uint32_t bytes, AudioLock& out);

/** Linear gain of a level in hundredths of a decibel (0 is 1.0; kAudioVolumeMin and below is silence). */
double audioGain(int32_t hundredthsOfDecibel);

} // namespace platform
