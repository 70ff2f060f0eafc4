/** @file Tests of the replayed sequences: recording, the chain of effects, sounds and animations, repeats, skipped steps and the cap. */
#include "client/render/effect_sequence.h"
#include "client/render/effects.h"

#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::WorldTest;

class SequenceTest : public WorldTest {
protected:
    SequenceTest()
    {
        SetEffectMaker([this] {
            events.push_back("effect");
            return new MissileEffect();
        });
        sequenceHooks().playSound = [this](const SoundStep& s) {
            events.push_back("sound " + std::to_string(s.sound));
        };
    }
    ~SequenceTest() override
    {
        DestroyMissileGumps();
        Sequences::Reset();
        sequenceHooks() = {};
        SetEffectMaker(nullptr);
    }

    static EffectRequest missile(uint32_t from, uint32_t to)
    {
        EffectRequest r;
        r.graphic = 0x36D4;
        r.sourceSerial = from;
        r.sourceX = 100;
        r.sourceY = 100;
        r.targetSerial = to;
        r.targetX = 101;
        r.targetY = 101;
        r.speed = 10;
        return r;
    }

    /** Ticks the effects until none is left (or limit ticks). */
    static void runEffects(int limit = 200)
    {
        for (int t = 0; t < limit && !LiveEffects().empty(); ++t) TickEffects();
    }

    std::vector<std::string> events;
    EffectServices& services = effectServicesOfRenderer();
};

TEST_F(SequenceTest, AnEffectAndASoundReplayAsAChainTheGivenNumberOfTimes)
{
    ASSERT_TRUE(services.StartSequenceRecording());
    EXPECT_TRUE(services.IsRecordingSequence());
    services.CreateEffectBasic(missile(0, 0));
    services.RecordSound(41, 100, 100, 0);
    EXPECT_TRUE(LiveEffects().empty());
    EXPECT_TRUE(events.empty());

    ASSERT_TRUE(services.StopSequenceRecording(2));
    EXPECT_FALSE(services.IsRecordingSequence());
    // The sound waits for the effect's end; then the chain starts again once.
    EXPECT_EQ(events, (std::vector<std::string>{"effect"}));
    runEffects();
    EXPECT_EQ(events, (std::vector<std::string>{"effect", "sound 41", "effect", "sound 41"}));
    EXPECT_EQ(Sequences::LiveCount(), 0u);
}

TEST_F(SequenceTest, StartAndStopAreRefusedOutOfTurnAndAnEmptySequenceIsDeleted)
{
    EXPECT_FALSE(services.StopSequenceRecording(1)); // "not sequencing!"
    ASSERT_TRUE(services.StartSequenceRecording());
    EXPECT_FALSE(services.StartSequenceRecording()); // "already sequencing!"
    EXPECT_TRUE(services.IsRecordingSequence());
    EXPECT_EQ(Sequences::LiveCount(), 1u);
    ASSERT_TRUE(services.StopSequenceRecording(3));
    EXPECT_EQ(Sequences::LiveCount(), 0u);
    EXPECT_TRUE(LiveEffects().empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(SequenceTest, ANodeNamingAMobileThatLeftIsSkippedWithoutStoppingTheChain)
{
    CObjectManager::HandleMove(mobile(0x70, 17, 102, 100));
    CObjectManager::HandleMove(mobile(0x71, 17, 104, 100));
    ASSERT_TRUE(services.StartSequenceRecording());
    services.RecordSound(1, 0, 0, 0);
    services.CreateEffectBasic(missile(0x70, 0));
    services.RecordSound(2, 0, 0, 0);
    services.CreateEffect(missile(0x71, 0x70));
    services.RecordSound(3, 0, 0, 0);
    ASSERT_TRUE(CObjectManager::DeleteObject(0x70));
    ASSERT_TRUE(services.StopSequenceRecording(1));
    runEffects();
    EXPECT_EQ(events, (std::vector<std::string>{"sound 1", "sound 2", "sound 3"}));
    EXPECT_EQ(Sequences::LiveCount(), 0u);
}

TEST_F(SequenceTest, AReplayedAnimationWaitsForItsEndAndIsNotRecordedAgain)
{
    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x72, 17, 102, 100)));
    ASSERT_TRUE(services.StartSequenceRecording());
    services.RecordAnimation({0x72, 12, 5, 1, 0, 0, 0});
    services.RecordSound(9, 0, 0, 0);
    ASSERT_TRUE(services.StopSequenceRecording(1));

    EXPECT_EQ(m->playingAction, 1);
    EXPECT_EQ(m->action, 12);
    EXPECT_TRUE(events.empty());
    ASSERT_TRUE(services.StartSequenceRecording()); // a new recording while the old one replays
    services.SequenceAnimationEnded(0x99);           // someone else's animation
    EXPECT_TRUE(events.empty());
    services.SequenceAnimationEnded(0x72);
    EXPECT_EQ(events, (std::vector<std::string>{"sound 9"}));
    EXPECT_EQ(Sequences::LiveCount(), 1u); // only the new recording
}

TEST_F(SequenceTest, RecordingIsCapped)
{
    ASSERT_TRUE(services.StartSequenceRecording());
    for (int i = 0; i < 1000; ++i) services.RecordSound(static_cast<uint16_t>(i), 0, 0, 0);
    ASSERT_TRUE(services.StopSequenceRecording(255));
    ASSERT_EQ(events.size(), CSequence::kMaxNodes * 255);
    EXPECT_EQ(events.back(), "sound " + std::to_string(CSequence::kMaxNodes - 1));
    EXPECT_EQ(Sequences::LiveCount(), 0u);
}

} // namespace
