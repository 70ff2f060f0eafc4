/** @file One sound channel: a 64 KB looping buffer refilled half by half from a sound's samples, and where sound records come from. */
#include "client/media/stream_buf.h"

#include "client/media/mouse_timer_hold.h"
#include "client/media/sound_manager.h"

#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t kSoundIndexFile = 7;
constexpr int32_t kSoundDataFile = 8;

class CacheSoundRecords final : public SoundRecords {
public:
    bool IndexRecord(int32_t sound, int32_t& offset, int32_t& length) override
    {
        const uint8_t* r = CDHDCache::GetRecord(kSoundIndexFile, sound);
        if (r == nullptr)
            return false;
        offset = static_cast<int32_t>(r[0] | (r[1] << 8) | (r[2] << 16) | (static_cast<uint32_t>(r[3]) << 24));
        length = static_cast<int32_t>(r[4] | (r[5] << 8) | (r[6] << 16) | (static_cast<uint32_t>(r[7]) << 24));
        return true;
    }

    const uint8_t* Record(int32_t sound, int32_t& length) override
    {
        length = 0;
        return CDHDCache::GetCacheItem(kSoundIndexFile, kSoundDataFile, sound, &length, nullptr);
    }
};

SoundRecords* g_records = nullptr;

/** The samples of a record, or null when it is missing or holds none. */
const uint8_t* samplesOf(int32_t sound, uint32_t& bytes)
{
    int32_t length = 0;
    const uint8_t* record = soundRecords().Record(sound, length);
    if (record == nullptr || length <= static_cast<int32_t>(CStreamBuf::kRecordHeaderBytes))
        return nullptr;
    bytes = static_cast<uint32_t>(length) - CStreamBuf::kRecordHeaderBytes;
    return record + CStreamBuf::kRecordHeaderBytes;
}

} // namespace

SoundRecords& soundRecords()
{
    static CacheSoundRecords cache;
    return g_records != nullptr ? *g_records : cache;
}

void SetSoundRecords(SoundRecords* records)
{
    g_records = records;
}

int32_t CStreamBuf::ScaledVolume(int32_t volume, float master)
{
    // Rounded, not truncated: a level set again at the same master factor stays where it was.
    return static_cast<int32_t>(std::lround(-2500.0 * (1.0 - (1.0 + volume / 2500.0) * static_cast<double>(master))));
}

CStreamBuf::CStreamBuf(platform::AudioDevice& device)
{
    KZReport::message("CStreamBuf::CStreamBuf(): begin.\n");
    const platform::AudioFormat format{1, kSampleRate};
    const platform::AudioResult result = device.createBuffer(format, kBufferBytes, buffer_);
    if (result != platform::AudioResult::Ok || buffer_ == nullptr) {
        buffer_.reset();
        ReportDirectSoundError("Failed to create sound buffer", result, "");
        return;
    }
    zeroBuffer();
    buffer_->play(true);
}

CStreamBuf::~CStreamBuf() = default;

void CStreamBuf::fill(const uint8_t* samples, uint8_t* dest, uint32_t bytes)
{
    while (bytes > 0) {
        if (loop != 0) {
            if (readPosition >= loopEnd)
                readPosition = loopStart;
            const uint32_t take = std::min(bytes, loopEnd - readPosition);
            std::memcpy(dest, samples + readPosition, take);
            readPosition += take;
            dest += take;
            bytes -= take;
            continue;
        }
        const uint32_t take = std::min(bytes, dataEnd - std::min(readPosition, dataEnd));
        std::memcpy(dest, samples + readPosition, take);
        readPosition += take;
        std::memset(dest + take, 0, bytes - take);
        return;
    }
}

void CStreamBuf::makeIdle()
{
    firstHalfSilent = 1;
    secondHalfSilent = 1;
    soundNumber = kIdle;
    readPosition = 0;
    dataEnd = 0;
    loopStart = 0;
    loopEnd = 0;
    nextHalf = 1;
    loop = 0;
}

void CStreamBuf::zeroBuffer()
{
    platform::AudioLock lock;
    if (buffer_->lock(0, kBufferBytes, lock) == platform::AudioResult::Ok) {
        std::memset(lock.first, 0, lock.firstBytes);
        buffer_->unlock(lock);
    }
}

void CStreamBuf::Stop()
{
    MouseTimerHold hold;
    if (buffer_ == nullptr)
        return;
    zeroBuffer();
    makeIdle();
    buffer_->setFrequency(0);
}

void CStreamBuf::Play(int32_t sound, int32_t pan, int32_t volume, int32_t loopFlag, uint32_t frequency)
{
    MouseTimerHold hold;
    if (sound == static_cast<int32_t>(kIdle) || sound < 0 || buffer_ == nullptr)
        return;
    uint32_t bytes = 0;
    const uint8_t* samples = samplesOf(sound, bytes);
    if (samples == nullptr)
        return;
    soundNumber = static_cast<uint32_t>(sound);

    if ((buffer_->status() & platform::kAudioStatusLost) != 0)
        buffer_->restore();
    dataEnd = bytes;
    loopEnd = bytes;
    loopStart = 0;
    loop = loopFlag;
    readPosition = 0;

    platform::AudioResult result = buffer_->setPan(pan);
    if (result != platform::AudioResult::Ok) {
        ReportDirectSoundError("DirectSound SetPan failed.", result, "");
        return;
    }
    result = buffer_->setVolume(ScaledVolume(volume, masterFactor));
    if (result != platform::AudioResult::Ok) {
        ReportDirectSoundError("DirectSound SetVolume failed.", result, "");
        return;
    }
    result = buffer_->setFrequency(frequency);
    if (result != platform::AudioResult::Ok) {
        ReportDirectSoundError("DirectSound SetFrequency failed.", result, "");
        return;
    }

    startTime = platform::current().clock->tickCount();
    uint32_t play = 0;
    uint32_t write = 0;
    buffer_->positions(play, write);

    // From the write cursor round to the play cursor: everything the device will not play first.
    const uint32_t region = write < play ? play - write : kBufferBytes - write + play;
    platform::AudioLock lock;
    if (buffer_->lock(write, region, lock) != platform::AudioResult::Ok)
        return;
    fill(samples, lock.first, lock.firstBytes);
    if (lock.second != nullptr)
        fill(samples, lock.second, lock.secondBytes);
    if (write < play) {
        nextHalf = 0;
        firstHalfSilent = 0;
    } else if (play < kHalfBytes) {
        nextHalf = 1;
        secondHalfSilent = 0;
    } else {
        nextHalf = 0;
        firstHalfSilent = 0;
    }
    buffer_->unlock(lock);
    if ((buffer_->status() & platform::kAudioStatusPlaying) == 0)
        buffer_->play(true);
}

uint32_t CStreamBuf::Update()
{
    MouseTimerHold hold;
    if (soundNumber == kIdle || buffer_ == nullptr)
        return kIdle;
    uint32_t bytes = 0;
    const uint8_t* samples = samplesOf(static_cast<int32_t>(soundNumber), bytes);
    if (samples == nullptr)
        return 0;
    // The record may have been replaced since the sound started: never read past it.
    dataEnd = std::min(dataEnd, bytes);
    loopEnd = std::min(loopEnd, bytes);

    const uint32_t status = buffer_->status();
    if ((status & platform::kAudioStatusLost) != 0) {
        buffer_->restore();
        zeroBuffer();
        makeIdle();
        buffer_->play(true);
        return kIdle;
    }
    if ((status & platform::kAudioStatusPlaying) == 0)
        buffer_->play(true);

    uint32_t play = 0;
    uint32_t write = 0;
    buffer_->positions(play, write);
    const uint32_t start = nextHalf != 0 ? 0 : kHalfBytes;
    if (play >= start && play < start + kHalfBytes)
        return 0;

    platform::AudioLock lock;
    if (buffer_->lock(start, kHalfBytes, lock) != platform::AudioResult::Ok)
        return 0;
    const bool silent = loop == 0 && readPosition >= dataEnd;
    fill(samples, lock.first, lock.firstBytes);
    buffer_->unlock(lock);
    (nextHalf != 0 ? firstHalfSilent : secondHalfSilent) = silent ? 1 : 0;
    nextHalf = nextHalf != 0 ? 0 : 1;

    if (firstHalfSilent != 0 && secondHalfSilent != 0) {
        loop = 0;
        soundNumber = kIdle;
        buffer_->setFrequency(0);
        return kIdle;
    }
    return 0;
}
