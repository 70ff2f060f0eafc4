/** @file Shared set-up of the sound tests: a fake device, a table of sound records and a quiet platform. */
#pragma once

#include "client/core/config_store.h"
#include "client/media/sound_manager.h"
#include "client/media/stream_buf.h"
#include "platform/audio/fake_audio.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace mediatest {

/**
 * Records made by the test: a 40-byte header of 0xEE, then samples whose byte i is
 * (i * 7 + sound) & 0xff (never the header's value at the start), so copied bytes can be told apart.
 */
class SoundTable final : public SoundRecords {
public:
    /** A record of samples bytes of samples (and the header). */
    void add(int32_t sound, uint32_t samples)
    {
        std::vector<uint8_t> record(CStreamBuf::kRecordHeaderBytes, 0xEE);
        for (uint32_t i = 0; i < samples; ++i)
            record.push_back(sampleByte(sound, i));
        records[sound] = std::move(record);
    }
    static uint8_t sampleByte(int32_t sound, uint32_t i) { return static_cast<uint8_t>((i * 7 + static_cast<uint32_t>(sound)) & 0xff); }

    bool IndexRecord(int32_t sound, int32_t& offset, int32_t& length) override
    {
        const auto it = records.find(sound);
        offset = it == records.end() ? -1 : 0;
        length = it == records.end() ? 0 : static_cast<int32_t>(it->second.size());
        return true;
    }
    const uint8_t* Record(int32_t sound, int32_t& length) override
    {
        const auto it = records.find(sound);
        length = it == records.end() ? 0 : static_cast<int32_t>(it->second.size());
        return it == records.end() ? nullptr : it->second.data();
    }

    std::map<int32_t, std::vector<uint8_t>> records;
};

/** Installs the table and a message box recorder; sound on at full volume. */
class SoundTest : public ::testing::Test {
protected:
    SoundTest() : boxScope_(boxes)
    {
        SetSoundRecords(&table);
        Sound = 1;
        SoundVol = 255;
        ReverseSpeakers = 0;
    }
    ~SoundTest() override { SetSoundRecords(nullptr); }

    platform::ScopedPlatform platform_;
    platform::FakeAudioDevice device;
    SoundTable table;
    platform::RecordingMessageBoxSink boxes;

private:
    platform::ScopedMessageBoxSink boxScope_;
};

} // namespace mediatest
