/** @file The software mixer's buffers (cursors, locks, resampling, gains) and the SDL device's refusal of the dummy driver. */
#include "platform/audio/software_mixer.h"
#include "platform/sdl/sdl_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using platform::AudioBuffer;
using platform::AudioFormat;
using platform::AudioLock;
using platform::AudioResult;

class MixerTest : public ::testing::Test {
protected:
    // Output at twice the buffers' rate, so every buffer frame lasts two output frames.
    platform::SoftwareMixer mixer{44100};

    std::unique_ptr<AudioBuffer> makeBuffer(const std::vector<int16_t>& samples, uint16_t channels = 1)
    {
        std::unique_ptr<AudioBuffer> buffer;
        EXPECT_EQ(mixer.createBuffer(AudioFormat{channels, 22050}, static_cast<uint32_t>(samples.size() * 2), buffer),
                  AudioResult::Ok);
        AudioLock lock;
        EXPECT_EQ(buffer->lock(0, buffer->size(), lock), AudioResult::Ok);
        std::memcpy(lock.first, samples.data(), lock.firstBytes);
        buffer->unlock(lock);
        return buffer;
    }

    std::vector<int16_t> mix(uint32_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        mixer.mix(out.data(), frames);
        return out;
    }
};

TEST_F(MixerTest, ResamplesLinearlyAndMovesThePlayCursorByTheFramesPlayed)
{
    auto buffer = makeBuffer({0, 1000, 2000, 3000, 4000, 5000, 6000, 7000});
    mixer.startPrimary();
    buffer->play(true);
    const auto out = mix(4);
    // Mono reaches both sides; every second output frame falls halfway between two samples.
    const std::vector<int16_t> expected = {0, 0, 500, 500, 1000, 1000, 1500, 1500};
    EXPECT_EQ(out, expected);
    uint32_t play = 0;
    uint32_t write = 0;
    ASSERT_EQ(buffer->positions(play, write), AudioResult::Ok);
    EXPECT_EQ(play, 4u); // two frames of two bytes
    EXPECT_NE(write, play) << "the write cursor leads the play cursor";

    // Twice the frequency moves twice as fast.
    buffer->setFrequency(44100);
    mix(2);
    buffer->positions(play, write);
    EXPECT_EQ(play, 8u);
}

TEST_F(MixerTest, LoopingWrapsAndAOneShotStopsAtItsEnd)
{
    auto looped = makeBuffer({100, 100, 100, 100});
    auto once = makeBuffer({200, 200, 200, 200});
    mixer.startPrimary();
    looped->play(true);
    once->play(false);
    const auto out = mix(12); // six buffer frames: past the end of both
    EXPECT_EQ(out[0], 300);
    EXPECT_EQ(out[22], 100) << "the looping buffer goes round, the one-shot is silent";
    EXPECT_EQ(once->status() & platform::kAudioStatusPlaying, 0u);
    EXPECT_EQ(looped->status(), platform::kAudioStatusPlaying | platform::kAudioStatusLooping);
}

TEST_F(MixerTest, VolumeAndPanAttenuateInHundredthsOfADecibel)
{
    auto buffer = makeBuffer(std::vector<int16_t>(16, 10000));
    mixer.startPrimary();
    buffer->play(true);
    struct Case {
        int32_t volume;
        int32_t pan;
        int16_t left;
        int16_t right;
    };
    for (const Case& c : {Case{0, 0, 10000, 10000}, Case{-2000, 0, 1000, 1000}, Case{0, 2000, 1000, 10000},
                          Case{0, -4000, 10000, 100}, Case{-10000, 0, 0, 0}}) {
        ASSERT_EQ(buffer->setVolume(c.volume), AudioResult::Ok);
        ASSERT_EQ(buffer->setPan(c.pan), AudioResult::Ok);
        const auto out = mix(1);
        EXPECT_EQ(out[0], c.left) << c.volume << " " << c.pan;
        EXPECT_EQ(out[1], c.right) << c.volume << " " << c.pan;
    }
    EXPECT_EQ(buffer->setVolume(1), AudioResult::InvalidParam);
    EXPECT_EQ(buffer->setPan(10001), AudioResult::InvalidParam);
    EXPECT_EQ(buffer->setFrequency(99), AudioResult::InvalidParam);
}

TEST_F(MixerTest, BuffersRestWhileThePrimaryIsStoppedButSourcesGoOn)
{
    struct Tone final : platform::AudioSource {
        void render(int16_t* stereo, uint32_t frames) override
        {
            for (uint32_t i = 0; i < frames * 2; ++i)
                stereo[i] = 7;
        }
    } tone;
    auto buffer = makeBuffer(std::vector<int16_t>(16, 30000));
    buffer->play(true);
    mixer.addSource(&tone);
    auto out = mix(2);
    EXPECT_EQ(out[0], 7);
    uint32_t play = 0;
    uint32_t write = 0;
    buffer->positions(play, write);
    EXPECT_EQ(play, 0u);

    mixer.startPrimary();
    out = mix(2);
    EXPECT_EQ(out[0], 30007);
    mixer.removeSource(&tone);
    buffer->setVolume(0);
    // The sum is clipped, not wrapped.
    auto second = makeBuffer(std::vector<int16_t>(16, 30000));
    second->play(true);
    out = mix(1);
    EXPECT_EQ(out[0], 32767);
}

TEST_F(MixerTest, LocksComeInTwoPiecesWhenTheyPassTheEnd)
{
    auto buffer = makeBuffer(std::vector<int16_t>(8, 0)); // 16 bytes
    AudioLock lock;
    ASSERT_EQ(buffer->lock(12, 10, lock), AudioResult::Ok);
    EXPECT_EQ(lock.firstBytes, 4u);
    EXPECT_EQ(lock.secondBytes, 6u);
    buffer->unlock(lock);
    EXPECT_EQ(buffer->lock(16, 1, lock), AudioResult::InvalidParam);
    EXPECT_EQ(buffer->lock(0, 17, lock), AudioResult::InvalidParam);
    std::unique_ptr<AudioBuffer> odd;
    EXPECT_EQ(mixer.createBuffer(AudioFormat{2, 22050}, 18, odd), AudioResult::InvalidParam);
    EXPECT_EQ(mixer.createBuffer(AudioFormat{3, 22050}, 24, odd), AudioResult::BadFormat);
}

TEST(SdlAudio, TheDummyDriverCountsAsNoDevice)
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (driver == nullptr || std::strcmp(driver, "dummy") != 0)
        GTEST_SKIP() << "runs under SDL's dummy audio driver";
    std::string why;
    EXPECT_EQ(platform::openSdlAudio(why), nullptr);
    EXPECT_FALSE(why.empty());
}

} // namespace
