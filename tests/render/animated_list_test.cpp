#include "world_scene.h"

#include "client/render/animated_list.h"

#include <gtest/gtest.h>

namespace {

using namespace rendertest;

class AnimatedListTest : public WorldScene {
protected:
    /** The frame shown after each of n steps of the list, and -1 once the animation ended. */
    std::vector<int32_t> run(CMobile& m, int32_t steps)
    {
        std::vector<int32_t> shown;
        for (int32_t i = 0; i < steps; ++i) {
            AnimatedList::Update();
            shown.push_back(m.playingAction != 0 ? m.frameCounter : -1);
        }
        return shown;
    }
};

TEST_F(AnimatedListTest, FramesAdvanceAfterTheDelayThroughPassesAndBackAndThenEnd)
{
    CMobile* m = addMobile(40, B_HUMAN, 101, 100, 3);
    // 3 frames, delay 0: each frame lasts 2 steps; then the standing frame.
    m->SetAnimation(12, 3, 0, 1, 0, 0);
    EXPECT_EQ(run(*m, 7), (std::vector<int32_t>{0, 1, 1, 2, 2, -1, -1}));
    EXPECT_TRUE(AnimatedList::Entries().empty());

    // Three passes play actions 12, 13 and 14, each through its frames.
    m->SetAnimation(12, 2, 0, 3, 0, 0);
    std::vector<int32_t> actions;
    for (int32_t i = 0; i < 12 && m->playingAction != 0; ++i) {
        int32_t act = 0, frame = 0;
        m->StateAction(act, frame);
        if (actions.empty() || actions.back() != act) actions.push_back(act);
        AnimatedList::Update();
    }
    EXPECT_EQ(actions, (std::vector<int32_t>{12, 13, 14}));

    // With the reverse flag: forwards, then back down to 0, then the end.
    m->SetAnimation(12, 3, 0, 1, 0, 1);
    EXPECT_EQ(run(*m, 12), (std::vector<int32_t>{0, 1, 1, 2, 2, 1, 1, 0, 0, -1, -1, -1}));

    // A longer delay holds each frame delay + 2 steps; adding again changes nothing.
    m->SetAnimation(12, 2, 2, 1, 0, 0);
    AnimatedList::Add(*m);
    EXPECT_EQ(AnimatedList::Entries().size(), 1u);
    EXPECT_EQ(run(*m, 9), (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 1, -1, -1}));
}

TEST_F(AnimatedListTest, AFrameChangeRedrawsTheOldAndNewPlaces)
{
    CMobile* m = addMobile(40, B_HUMAN, 101, 100, 3);
    m->SetAnimation(0, 3, 0, 1, 0, 0);
    DrawManager::ResetDirtyState();
    AnimatedList::Update();
    EXPECT_TRUE(pending().empty());
    AnimatedList::Update(); // the frame changes: out of the grid and back in
    EXPECT_FALSE(pending().empty());
}

TEST_F(AnimatedListTest, ADyingMobileThatGoesAwayIsNotReleasedTwice)
{
    CMobile* m = addMobile(40, B_HUMAN, 101, 100, 3);
    m->PlayDeathAnimation(0, 0);
    ASSERT_EQ(AnimatedList::Entries().size(), 1u);
    // The object goes while its death animation plays: it leaves the list once, nothing else frees it.
    EXPECT_TRUE(CObjectManager::DeleteObject(m->serial));
    EXPECT_TRUE(AnimatedList::Entries().empty());
}

TEST(RadiansToAngle256, ScalesAndTruncatesTowardZero)
{
    EXPECT_EQ(RadiansToAngle256(3.14152f), 128);
    EXPECT_EQ(RadiansToAngle256(-1.0f), -40);
    EXPECT_EQ(RadiansToAngle256(0.0f), 0);
    EXPECT_EQ(RadiansToAngle256(1.0f), 40);
}

} // namespace
