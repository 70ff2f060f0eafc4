/** @file One sound channel: a 64 KB looping buffer refilled half by half from a sound's samples, and where sound records come from. */
#pragma once

#include "platform/audio/audio.h"

#include <cstdint>
#include <memory>

/**
 * Where the sound records come from: entry n of the sound index and data files through the data
 * cache, unless a test installs a table. A record is a 40-byte header followed by 16-bit mono
 * samples at 22048 per second. Main thread only.
 */
class SoundRecords {
public:
    virtual ~SoundRecords() = default;
    /** The sound's index record; false when the index holds no such entry. An absent sound has offset -1. */
    virtual bool IndexRecord(int32_t sound, int32_t& offset, int32_t& length) = 0;
    /** The whole record (header first) and its length; null when it cannot be had. Valid until the next call. */
    virtual const uint8_t* Record(int32_t sound, int32_t& length) = 0;
};

/** The records in use: the data cache's unless SetSoundRecords installed others. */
SoundRecords& soundRecords();
/** Installs a source of records (not owned); null goes back to the data cache. */
void SetSoundRecords(SoundRecords* records);

/**
 * One of the eight channels. Its buffer plays looped all the time (silence while idle); a sound
 * is written from the write cursor on and then refilled by Update, one 32 KB half at a time,
 * while the other half plays. The channel is idle again once both halves hold silence.
 */
class CStreamBuf {
public:
    static constexpr uint32_t kBufferBytes = 65536;
    static constexpr uint32_t kHalfBytes = 32768;
    static constexpr uint32_t kSampleRate = 22048;
    static constexpr uint32_t kRecordHeaderBytes = 40;
    static constexpr uint32_t kIdle = 0xffff;

    /**
     * Creates the channel's buffer on the device (mono, 16-bit, 22048 Hz), zero-fills it and
     * plays it looped. When the buffer cannot be made the failure is reported and the channel
     * has no buffer: it plays nothing.
     */
    explicit CStreamBuf(platform::AudioDevice& device);
    ~CStreamBuf();
    CStreamBuf(const CStreamBuf&) = delete;
    CStreamBuf& operator=(const CStreamBuf&) = delete;

    /**
     * Loads a sound and starts it: pan and volume in hundredths of a decibel (volume on the
     * -2500..0 scale, scaled by the master factor), frequency 0 for the buffer's own rate.
     * A sound whose record cannot be had, or is 40 bytes or less, leaves the channel as it was.
     */
    void Play(int32_t sound, int32_t pan, int32_t volume, int32_t loop, uint32_t frequency);
    /** Refills the half that is not playing; 0xffff when the channel is (or became) idle, else 0. */
    uint32_t Update();
    /**
     * Ends the sound at once: the buffer is silenced and the channel idle. (A buffer that is
     * only stopped is played again by the next refill, and a looping sound would go on.)
     */
    void Stop();

    platform::AudioBuffer* buffer() const { return buffer_.get(); }
    /** The buffer volume for a requested volume v: -2500 x (1 - (1 + v / 2500) x master). */
    static int32_t ScaledVolume(int32_t volume, float master);

    // Channel state, in the order the game keeps it.
    uint32_t startTime = 0;
    int32_t nextHalf = 1;      // 1: the first half is the next to fill; 0: the second
    uint32_t readPosition = 0; // next byte to copy, from the start of the samples
    uint32_t dataEnd = 0;      // bytes of samples
    int32_t loop = 0;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    uint32_t soundNumber = kIdle;
    int32_t firstHalfSilent = 1;
    int32_t secondHalfSilent = 1;
    float masterFactor = 1.0f;

private:
    /** Copies samples into dest from the read position on, looping or padding with silence. */
    void fill(const uint8_t* samples, uint8_t* dest, uint32_t bytes);
    void makeIdle();
    void zeroBuffer();

    std::unique_ptr<platform::AudioBuffer> buffer_;
};
