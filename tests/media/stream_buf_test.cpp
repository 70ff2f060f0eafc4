/** @file A channel's first fill from the write cursor, its half refills, its end, and a lost buffer, against the fake buffer. */
#include "tests/media/sound_fixtures.h"

namespace {

using mediatest::SoundTable;
using platform::AudioResult;
using platform::FakeAudioBuffer;

class StreamBufTest : public mediatest::SoundTest {
protected:
    StreamBufTest() : channel(device), buffer(*device.buffers.at(0)) {}

    /** Expects buffer bytes [from, from + count) to be sound's samples from sample byte first on. */
    void expectSamples(uint32_t from, uint32_t count, int32_t sound, uint32_t first)
    {
        for (uint32_t i = 0; i < count; ++i)
            ASSERT_EQ(buffer.bytes[from + i], SoundTable::sampleByte(sound, first + i)) << "at " << from + i;
    }
    void expectSilence(uint32_t from, uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            ASSERT_EQ(buffer.bytes[from + i], 0) << "at " << from + i;
    }
    void playAt(uint32_t play) { buffer.setPlayCursor(play); }

    CStreamBuf channel;
    FakeAudioBuffer& buffer;
};

TEST_F(StreamBufTest, ANewChannelLoopsSilence)
{
    EXPECT_EQ(buffer.size(), 65536u);
    EXPECT_EQ(buffer.format().sampleRate, 22048u);
    EXPECT_TRUE(buffer.playing);
    EXPECT_TRUE(buffer.looping);
    EXPECT_EQ(channel.soundNumber, 0xffffu);
    EXPECT_EQ(channel.Update(), 0xffffu);
}

TEST_F(StreamBufTest, AOneShotStartsAtTheWriteCursorAndThePaddingIsSilence)
{
    table.add(5, 1000);
    playAt(100);
    buffer.writeLead = 900; // write cursor at 1000
    channel.Play(5, 0, 0, 0, 0);
    expectSilence(0, 1000);
    expectSamples(1000, 1000, 5, 0);
    expectSilence(2000, 65536 - 2000);
    EXPECT_EQ(channel.readPosition, 1000u);
    EXPECT_EQ(channel.dataEnd, 1000u);
    EXPECT_EQ(channel.nextHalf, 1) << "the play cursor is in the first half";
    EXPECT_EQ(channel.secondHalfSilent, 0);
    EXPECT_EQ(channel.soundNumber, 5u);
    EXPECT_EQ(buffer.locksHeld, 0);
}

TEST_F(StreamBufTest, ALoopingSoundBehindThePlayCursorRepeatsUpToIt)
{
    table.add(9, 3000);
    playAt(40000);
    buffer.writeLead = 65536 - 39900; // write cursor at 100, behind the play cursor
    channel.Play(9, 0, 0, 1, 0);
    for (uint32_t at = 100; at < 40000; ++at)
        ASSERT_EQ(buffer.bytes[at], SoundTable::sampleByte(9, (at - 100) % 3000)) << at;
    expectSilence(40000, 65536 - 40000);
    EXPECT_EQ(channel.readPosition, 39900u % 3000u);
    EXPECT_EQ(channel.nextHalf, 0);
    EXPECT_EQ(channel.firstHalfSilent, 0);
}

TEST_F(StreamBufTest, HalvesAreRefilledOnlyOutsideThePlayCursorUntilBothHoldSilence)
{
    table.add(3, 80000);
    channel.Play(3, 0, 0, 0, 0); // play and write cursors at 0: the whole ring is filled
    expectSamples(0, 65536, 3, 0);
    EXPECT_EQ(channel.readPosition, 65536u);

    EXPECT_EQ(channel.Update(), 0u);
    EXPECT_EQ(buffer.lockCalls, 2) << "the first half is playing: nothing is filled"; // construction + Play

    playAt(40000);
    EXPECT_EQ(channel.Update(), 0u);
    expectSamples(0, 80000 - 65536, 3, 65536);
    expectSilence(80000 - 65536, 32768 - (80000 - 65536));
    EXPECT_EQ(channel.firstHalfSilent, 0);
    EXPECT_EQ(channel.nextHalf, 0);

    playAt(1000);
    EXPECT_EQ(channel.Update(), 0u);
    expectSilence(32768, 32768);
    EXPECT_EQ(channel.secondHalfSilent, 1);
    EXPECT_EQ(channel.soundNumber, 3u);

    playAt(40000);
    EXPECT_EQ(channel.Update(), 0xffffu);
    EXPECT_EQ(channel.soundNumber, 0xffffu);
    EXPECT_EQ(channel.loop, 0);
    EXPECT_EQ(buffer.frequencyLog.back(), 0u) << "the buffer's own rate again";
}

TEST_F(StreamBufTest, ALoopingRefillJumpsFromTheLoopEndToItsStart)
{
    table.add(4, 50000);
    channel.Play(4, 0, 0, 1, 0);
    expectSamples(0, 50000, 4, 0);
    expectSamples(50000, 15536, 4, 0);
    playAt(40000);
    channel.Update();
    expectSamples(0, 32768, 4, 15536);
    playAt(1000);
    channel.Update();
    expectSamples(32768, 50000 - 48304, 4, 48304);
    expectSamples(32768 + 1696, 32768 - 1696, 4, 0);
    EXPECT_EQ(channel.readPosition, 32768u - 1696u);
    EXPECT_EQ(channel.soundNumber, 4u);
}

TEST_F(StreamBufTest, ALostBufferIsRestoredSilencedAndIdle)
{
    table.add(2, 70000);
    channel.Play(2, 0, 0, 1, 0);
    buffer.lose();
    buffer.playing = false;
    EXPECT_EQ(channel.Update(), 0xffffu);
    EXPECT_EQ(buffer.restoreCalls, 1);
    EXPECT_FALSE(buffer.lost);
    EXPECT_TRUE(buffer.playing && buffer.looping);
    expectSilence(0, 65536);
    EXPECT_EQ(channel.soundNumber, 0xffffu);
    EXPECT_EQ(channel.loop, 0);
    EXPECT_EQ(channel.nextHalf, 1);
    EXPECT_EQ(channel.firstHalfSilent + channel.secondHalfSilent, 2);
}

TEST_F(StreamBufTest, AMissingOrHeaderOnlyRecordPlaysNothing)
{
    table.records[7] = std::vector<uint8_t>(40, 0xEE);
    for (int32_t sound : {7, 8 /* absent */, -1, 0xffff}) {
        channel.Play(sound, 0, 0, 0, 0);
        EXPECT_EQ(channel.soundNumber, 0xffffu) << sound;
    }
    EXPECT_EQ(buffer.lockCalls, 1) << "only the construction's";
    expectSilence(0, 65536);
}

TEST_F(StreamBufTest, ARecordThatShrinksIsNeverReadPastItsEnd)
{
    table.add(6, 100000);
    channel.Play(6, 0, 0, 0, 0);
    table.add(6, 70000); // a patched record, shorter than the one the sound started with
    playAt(40000);
    channel.Update();
    expectSamples(0, 70000 - 65536, 6, 65536);
    expectSilence(70000 - 65536, 32768 - (70000 - 65536));
}

TEST_F(StreamBufTest, AFailedSettingIsShownAndTheSoundIsNotStarted)
{
    table.add(1, 5000);
    struct Case {
        platform::FakeAudioCall call;
        const char* text;
    };
    for (const Case& c : {Case{platform::FakeAudioCall::SetPan, "DirectSound SetPan failed. (DSERR_INVALIDPARAM) "},
                          Case{platform::FakeAudioCall::SetVolume, "DirectSound SetVolume failed. (DSERR_INVALIDPARAM) "},
                          Case{platform::FakeAudioCall::SetFrequency,
                               "DirectSound SetFrequency failed. (DSERR_INVALIDPARAM) "}}) {
        boxes.clear();
        const int locks = buffer.lockCalls;
        buffer.failNext(c.call, AudioResult::InvalidParam);
        channel.Play(1, 0, 0, 0, 0);
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.boxes()[0].caption, "DirectSound Error");
        EXPECT_EQ(boxes.boxes()[0].text, c.text);
        EXPECT_EQ(buffer.lockCalls, locks) << c.text;
    }
    expectSilence(0, 65536);
}

TEST_F(StreamBufTest, PanVolumeAndFrequencyReachTheBuffer)
{
    table.add(1, 5000);
    channel.masterFactor = 0.5f;
    channel.Play(1, -1200, -1000, 0, 23000);
    EXPECT_EQ(buffer.panValue, -1200);
    EXPECT_EQ(buffer.volumeValue, -1750); // -2500 x (1 - 0.6 x 0.5)
    EXPECT_EQ(buffer.frequencyValue, 23000u);
}

TEST(StreamBufVolume, TheScaleRunsFromMinus2500ToFullAndMasterZeroIsTheQuietest)
{
    struct Case {
        int32_t volume;
        float master;
        int32_t expected;
    };
    for (const Case& c : {Case{0, 1.0f, 0}, Case{-2500, 1.0f, -2500}, Case{-1000, 1.0f, -1000}, Case{0, 0.0f, -2500},
                          Case{-2500, 0.0f, -2500}, Case{0, 0.5f, -1250}}) {
        EXPECT_EQ(CStreamBuf::ScaledVolume(c.volume, c.master), c.expected) << c.volume << " " << c.master;
    }
}

TEST_F(StreamBufTest, WithoutABufferTheChannelIsSilentAndReportsIt)
{
    platform::FakeAudioDevice broken;
    broken.createResult = AudioResult::OutOfMemory;
    CStreamBuf none(broken);
    EXPECT_EQ(none.buffer(), nullptr);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Failed to create sound buffer (DSERR_OUTOFMEMORY) ");
    table.add(1, 100);
    none.Play(1, 0, 0, 0, 0);
    EXPECT_EQ(none.Update(), 0xffffu);
}

} // namespace
