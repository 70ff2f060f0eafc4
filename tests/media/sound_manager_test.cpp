/** @file Channel choice, refusals, sounds placed in the world, the looping sound's fades and the sound switch, against the fake device. */
#include "tests/media/sound_fixtures.h"

#include "client/media/player_place.h"
#include "platform/random/random.h"

namespace {

using platform::FakeAudioBuffer;

class SoundManagerTest : public mediatest::SoundTest {
protected:
    SoundManagerTest()
    {
        for (int32_t sound = 1; sound <= 12; ++sound)
            table.add(sound, 4000);
        SoundManager::CSoundManager();
        SoundManager::InitDirectSound(&device);
    }
    ~SoundManagerTest() override
    {
        SetPlayerPlace(nullptr);
        SoundManager::shutdown();
    }

    FakeAudioBuffer& buffer(int channel) { return *device.buffers.at(static_cast<size_t>(channel)); }
    uint32_t soundOn(int channel) { return SoundManager::Channel(channel)->soundNumber; }
};

TEST_F(SoundManagerTest, StartsEightLoopingSilentChannelsAndThePrimaryOutput)
{
    ASSERT_EQ(device.buffers.size(), 8u);
    EXPECT_TRUE(device.primary);
    for (FakeAudioBuffer* b : device.buffers)
        EXPECT_TRUE(b->playing && b->looping);
    EXPECT_EQ(SoundManager::Device(), &device);
}

TEST_F(SoundManagerTest, ANinthSoundReplacesTheQuietestChannelThatIsNotTheLoopingSounds)
{
    for (int32_t sound = 1; sound <= 8; ++sound)
        EXPECT_EQ(SoundManager::PlaySound(sound, 0, 0, 0, 0, 0), sound - 1) << "the lowest idle channel";
    SoundManager::SetLoopSound(9); // no idle channel: takes the quietest (all at 0: the last)
    ASSERT_EQ(SoundManager::CurrentLoop().channel, 7);
    EXPECT_EQ(soundOn(7), 9u);
    buffer(7).volumeValue = -2500; // the loop channel is skipped however quiet it is
    buffer(2).volumeValue = -1800;
    buffer(5).volumeValue = -1800;
    buffer(4).volumeValue = -1000;
    EXPECT_EQ(SoundManager::PlaySound(10, 0, 0, 0, 0, 0), 5) << "the last of the equally quietest";
    EXPECT_EQ(soundOn(5), 10u);
}

TEST_F(SoundManagerTest, ASoundAlreadyPlayingKeepsItsChannelUnlessRestarted)
{
    EXPECT_EQ(SoundManager::PlaySound(3, 0, 0, 0, 0, 0), 0);
    const int locks = buffer(0).lockCalls;
    EXPECT_EQ(SoundManager::PlaySound(3, 0, -500, 0, 0, 0), 0);
    EXPECT_EQ(buffer(0).lockCalls, locks) << "not started over";
    EXPECT_EQ(SoundManager::PlaySound(3, 0, 0, 0, 0, 1), 1) << "restart takes another channel";
}

TEST_F(SoundManagerTest, RefusedRequestsPlayNothing)
{
    table.records[20] = std::vector<uint8_t>(40, 0);
    table.add(1145, 100);
    EXPECT_EQ(SoundManager::PlaySound(1146, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(SoundManager::PlaySound(-1, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(SoundManager::PlaySound(20, 0, 0, 0, 0, 0), -1) << "a record of 40 bytes";
    EXPECT_EQ(SoundManager::PlaySound(21, 0, 0, 0, 0, 0), -1) << "an absent record";
    EXPECT_EQ(SoundManager::PlaySound(1145, 0, 0, 0, 0, 0), 0);
    SoundManager::Enable(0);
    EXPECT_EQ(SoundManager::PlaySound(1, 0, 0, 0, 0, 0), -1) << "sound off";
    SoundManager::PlaySoundIfOn(2, 0, 0);
    SoundManager::Enable(1);
    EXPECT_EQ(soundOn(1), 0xffffu);
    SoundManager::shutdown();
    EXPECT_EQ(SoundManager::PlaySound(1, 0, 0, 0, 0, 0), -1) << "no device";
}

TEST_F(SoundManagerTest, SoundsInTheWorldTakePanAndVolumeFromThePlayersPlace)
{
    SetPlayerPlace([](MapPoint& at) {
        at = MapPoint{100, 100};
        return true;
    });
    struct Case {
        MapPoint at;
        float factor;
        bool reversed;
        int32_t pan;
        int32_t volume;
    };
    const Case cases[] = {
        {{100, 100}, 1.0f, false, 0, 0},          // at the player: full volume, centred
        {{109, 100}, 1.0f, false, 625, -1250},    // 9 tiles east: half way, a quarter to the side
        {{118, 100}, 0.5f, false, 1250, -1250},   // 18 tiles: factor x -2500
        {{150, 100}, 1.0f, false, 2500, -2500},   // beyond: clamped
        {{100, 118}, 1.0f, false, -1250, -2500},  // south pans the other way
        {{109, 100}, 1.0f, true, -625, -1250},    // ReverseSpeakers swaps the sides
        {{103, 101}, 1.0f, false, 138, -416},     // fractions are cut, not rounded
    };
    for (const Case& c : cases) {
        ReverseSpeakers = c.reversed ? 1 : 0;
        const int32_t channel = SoundManager::PlaySoundAt(1, c.at, c.factor, 0, 0, 1);
        ASSERT_GE(channel, 0);
        EXPECT_EQ(buffer(channel).panValue, c.pan) << c.at.x << "," << c.at.y;
        EXPECT_EQ(buffer(channel).volumeValue, c.volume) << c.at.x << "," << c.at.y;
        SoundManager::Channel(channel)->Stop();
    }
}

TEST_F(SoundManagerTest, PitchVariationMovesTheFrequencyWithinThePercentage)
{
    platform::srand(77);
    platform::Random expected(77);
    const int r = expected.next() % 14;
    int32_t delta = static_cast<int32_t>(r * 0.01 * 22048);
    if (expected.next() % 2 == 0)
        delta = -delta;
    const int32_t channel = SoundManager::PlaySound(1, 0, -1000, 0, 14, 1);
    EXPECT_EQ(buffer(channel).frequencyValue, static_cast<uint32_t>(22048 + delta));
    EXPECT_EQ(buffer(SoundManager::PlaySound(2, 0, 0, 0, 0, 1)).frequencyValue, 0u) << "no variation: own rate";
}

TEST_F(SoundManagerTest, TheLoopingSoundFadesInToItsCeilingAndTheOldOneOutThenEnds)
{
    SoundManager::SetLoopSound(4);
    const int32_t first = SoundManager::CurrentLoop().channel;
    ASSERT_EQ(first, 0);
    EXPECT_EQ(buffer(first).volumeValue, -2500);
    EXPECT_TRUE(SoundManager::Channel(first)->loop);
    for (int i = 0; i < 5; ++i)
        SoundManager::Update();
    EXPECT_EQ(SoundManager::CurrentLoop().level, -2400);
    EXPECT_EQ(buffer(first).volumeValue, -2400);
    for (int i = 0; i < 30; ++i)
        SoundManager::Update();
    EXPECT_EQ(SoundManager::CurrentLoop().level, -2200) << "never louder than the ceiling";

    SoundManager::SetLoopSound(5);
    const int32_t second = SoundManager::CurrentLoop().channel;
    EXPECT_EQ(SoundManager::FadingLoop().sound, 4);
    SoundManager::Update();
    SoundManager::Update();
    EXPECT_EQ(SoundManager::FadingLoop().level, -2240);
    EXPECT_EQ(SoundManager::CurrentLoop().level, -2460);

    // Back to the sound fading out: both fades turn round from where they are.
    SoundManager::SetLoopSound(4);
    EXPECT_EQ(SoundManager::CurrentLoop().sound, 4);
    EXPECT_EQ(SoundManager::CurrentLoop().level, -2240);
    EXPECT_EQ(SoundManager::FadingLoop().sound, 5);
    EXPECT_EQ(SoundManager::FadingLoop().level, -2460);
    SoundManager::Update();
    EXPECT_EQ(buffer(first).volumeValue, -2220);
    EXPECT_EQ(buffer(second).volumeValue, -2480);

    // Sound 0: the present loop fades out and nothing starts.
    for (int i = 0; i < 5; ++i)
        SoundManager::Update();
    EXPECT_EQ(SoundManager::FadingLoop().channel, -1) << "the faded sound ended and the fade is at rest";
    EXPECT_EQ(soundOn(second), 0xffffu) << "its channel is idle, not resumed by the refill";
    SoundManager::SetLoopSound(0);
    EXPECT_EQ(SoundManager::CurrentLoop().channel, -1);
    EXPECT_EQ(SoundManager::FadingLoop().sound, 4);
    for (int i = 0; i < 20; ++i)
        SoundManager::Update();
    EXPECT_EQ(SoundManager::FadingLoop().sound, 0);
    EXPECT_EQ(SoundManager::FadingLoop().level, -10000);
    EXPECT_EQ(soundOn(first), 0xffffu);
    // The refill finds every channel idle and keeps it so.
    SoundManager::Update();
    EXPECT_EQ(soundOn(first), 0xffffu);
}

TEST_F(SoundManagerTest, SwitchingSoundOffAndOnRestartsTheLoopOnlyWhenItHasNoChannel)
{
    SoundManager::SetLoopSound(6);
    const int32_t channel = SoundManager::CurrentLoop().channel;
    SoundManager::Enable(0);
    EXPECT_FALSE(device.primary);
    EXPECT_FALSE(buffer(channel).playing);
    EXPECT_EQ(SoundManager::CurrentLoop().level, -2500);
    const int locks = buffer(channel).lockCalls;
    SoundManager::Enable(1);
    EXPECT_TRUE(device.primary);
    EXPECT_EQ(buffer(channel).lockCalls, locks) << "the loop kept its channel: not played again";
    SoundManager::Update();
    EXPECT_TRUE(buffer(channel).playing) << "the refill starts the paused channel";

    // A loop asked for while sound was off has no channel: it starts when sound comes back.
    SoundManager::Enable(0);
    SoundManager::SetLoopSound(7);
    EXPECT_EQ(SoundManager::CurrentLoop().channel, -1);
    SoundManager::Enable(1);
    EXPECT_GE(SoundManager::CurrentLoop().channel, 0);
    EXPECT_EQ(soundOn(SoundManager::CurrentLoop().channel), 7u);
}

TEST_F(SoundManagerTest, TheMasterVolumeRescalesEveryChannelFromItsPresentVolume)
{
    const int32_t channel = SoundManager::PlaySound(1, 0, -1000, 0, 0, 0);
    EXPECT_EQ(buffer(channel).volumeValue, -1000);
    SoundManager::SetVolume(0);
    EXPECT_EQ(buffer(channel).volumeValue, -2500);
    SoundManager::SetVolume(255);
    EXPECT_EQ(buffer(channel).volumeValue, -2500) << "lowering then raising compounds";
    SoundManager::SetVolume(51);
    EXPECT_EQ(SoundManager::Channel(3)->masterFactor, 0.2f);
    EXPECT_EQ(buffer(SoundManager::PlaySound(2, 0, 0, 0, 0, 0)).volumeValue, -2000) << "a new sound at a fifth";
}

TEST_F(SoundManagerTest, FootstepsAsTheWorldAsksForThem)
{
    WorldSoundServices& steps = SoundManager::worldSounds();
    Footsteps = 0;
    EXPECT_FALSE(steps.FootstepsOn());
    Footsteps = 1;
    EXPECT_TRUE(steps.FootstepsOn());
    steps.PlaySound(1);
    EXPECT_EQ(buffer(0).volumeValue, -1000);
    EXPECT_EQ(buffer(0).panValue, 0);
    const uint32_t hz = buffer(0).frequencyValue;
    EXPECT_TRUE(hz == 0 || (hz >= 22048 - 22048 * 14 / 100 && hz <= 22048 + 22048 * 14 / 100)) << hz;
    steps.PlaySound(1);
    EXPECT_EQ(soundOn(1), 1u) << "a step is restarted on another channel";
}

TEST(SoundManagerWithoutDevice, EveryRequestFailsQuietly)
{
    SoundManager::CSoundManager();
    SoundManager::InitDirectSound(nullptr);
    EXPECT_EQ(SoundManager::PlaySound(1, 0, 0, 0, 0, 0), -1);
    SoundManager::SetLoopSound(3);
    SoundManager::Update();
    SoundManager::Enable(0);
    SoundManager::Enable(1);
    EXPECT_EQ(SoundManager::Channel(0), nullptr);
    SoundManager::shutdown();
}

} // namespace
