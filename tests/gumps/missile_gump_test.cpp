/** @file Tests of the effect gumps: made at the front of the gump list, ticked by its interface pass, gone with the list. */
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/missile_gump.h"
#include "client/render/effect_sequence.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

namespace {

EffectRequest fixedEffect(uint8_t duration)
{
    EffectRequest r;
    r.type = 2;
    r.graphic = 0x3000;
    r.sourceX = 100;
    r.sourceY = 100;
    r.speed = 10;
    r.duration = duration;
    return r;
}

TEST(MissileGump, EffectsLiveInTheGumpListWhichTicksThemUntilTheyEnd)
{
    testsupport::GumpHarness h;
    h.start();
    InstallMissileGumps(true);
    auto* front = new CGump(0, 0, 0, nullptr, 1, 10, 10);
    front->AttachToParent(nullptr);

    MissileEffect* effect = CreateEffect(fixedEffect(2));
    auto* gump = dynamic_cast<CMissileGump*>(effect);
    ASSERT_NE(gump, nullptr);
    EXPECT_EQ(CGumpManager::First(), gump);
    EXPECT_EQ(gump->IsMissileGump(), 1);
    EXPECT_STREQ(gump->name, "missile gump");
    EXPECT_EQ(front->IsMissileGump(), 0);

    CGumpManager::Update();
    EXPECT_TRUE(IsLiveGump(gump));
    CGumpManager::Update();
    EXPECT_FALSE(IsLiveGump(gump));
    EXPECT_TRUE(LiveEffects().empty());
    EXPECT_EQ(CGumpManager::First(), front);

    // A replayed effect whose gump the list deletes does not move its sequence on.
    ASSERT_TRUE(Sequences::StartRecording());
    CreateEffect(fixedEffect(50));
    ASSERT_TRUE(Sequences::StopRecording(3));
    ASSERT_EQ(LiveEffects().size(), 1u);
    CGumpManager::DestroyGump(dynamic_cast<CMissileGump*>(LiveEffects().front()));
    EXPECT_TRUE(LiveEffects().empty());
    EXPECT_EQ(Sequences::LiveCount(), 0u);

    InstallMissileGumps(false);
    Sequences::Reset();
}

} // namespace
