/** @file Tests of the graphic effects: missiles to places and to moving mobiles, fixed and attached animations, lightning, the scroll and the map change. */
#include "client/render/effect_sequence.h"
#include "client/render/effects.h"

#include "client/render/draw_grid.h"
#include "client/data/map_manager.h"
#include "tests/world/world_test_fixture.h"

#include "platform/random/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using testsupport::WorldTest;

class EffectsTest : public WorldTest {
protected:
    EffectsTest()
    {
        DrawGrid::scrollX = 0;
        DrawGrid::scrollY = 0;
        SetEffectMaker(nullptr);
    }
    ~EffectsTest() override
    {
        DestroyMissileGumps();
        Sequences::Reset();
        SetEffectRandom(nullptr);
    }

    static EffectRequest moving(int32_t sx, int32_t sy, int32_t tx, int32_t ty, uint8_t speed)
    {
        EffectRequest r;
        r.type = 0;
        r.graphic = 0x36D4;
        r.sourceX = sx;
        r.sourceY = sy;
        r.targetX = tx;
        r.targetY = ty;
        r.speed = speed;
        return r;
    }
    static EffectRequest fixedAt(uint16_t graphic, uint8_t speed, uint8_t duration)
    {
        EffectRequest r;
        r.type = 2;
        r.graphic = graphic;
        r.sourceX = 101;
        r.sourceY = 102;
        r.speed = speed;
        r.duration = duration;
        return r;
    }
    /** Ticks until the effect ends; the number of ticks, or -1 after limit ticks. */
    static int ticksUntilGone(MissileEffect* e, int limit = 500)
    {
        for (int t = 1; t <= limit; ++t) {
            TickEffects();
            const auto& live = LiveEffects();
            if (std::find(live.begin(), live.end(), e) == live.end()) return t;
        }
        return -1;
    }
    static MissileEffect* onlyEffect()
    {
        return LiveEffects().size() == 1 ? LiveEffects().front() : nullptr;
    }
};

TEST_F(EffectsTest, AMissileToAPlaceTakesItsStepsAndExplodesThere)
{
    // 20 cells down the screen: 440 pixels; speed 0 moves 10 pixels a step: 44 steps, 45 ticks.
    EffectRequest r = moving(100, 100, 110, 110, 0);
    r.explode = 1;
    r.hue = 33;
    r.renderMode = 3;
    MissileEffect* e = CreateEffect(r);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ticksLeft, 45);
    EXPECT_DOUBLE_EQ(e->stepX, 0.0);
    EXPECT_DOUBLE_EQ(e->stepY, 10.0);
    EXPECT_EQ(e->screenSpeed, 6);
    ASSERT_NE(e->drawItem, nullptr);
    EXPECT_EQ(e->drawItem->IsEffect(), 1);
    EXPECT_EQ(e->drawItem->inList, 1);
    const int32_t startY = e->screenY;

    for (int t = 0; t < 44; ++t) TickEffects();
    ASSERT_EQ(onlyEffect(), e);
    EXPECT_EQ(e->screenY, startY + 440);
    EXPECT_EQ(e->drawItem->locX, 110);
    EXPECT_EQ(e->drawItem->locY, 110);

    TickEffects();
    MissileEffect* blast = onlyEffect();
    ASSERT_NE(blast, nullptr);
    EXPECT_NE(blast, e);
    EXPECT_TRUE(blast->fixed);
    EXPECT_EQ(blast->baseGraphic, 14001);
    EXPECT_EQ(blast->ticksLeft, 13);
    EXPECT_EQ(blast->frameInterval, 1);
    EXPECT_EQ(blast->hue, 33u);
    EXPECT_EQ(blast->renderMode, 3u);
    EXPECT_EQ(blast->drawItem->locX, 110);
    EXPECT_EQ(ticksUntilGone(blast), 13);
}

TEST_F(EffectsTest, AMissileNearerThanOneStepEndsOnItsFirstTickWithoutDividingByZero)
{
    EffectRequest r = moving(100, 100, 100, 100, 5);
    r.explode = 1;
    MissileEffect* e = CreateEffectBasic(r);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ticksLeft, 1);
    EXPECT_TRUE(std::isfinite(e->stepX) && std::isfinite(e->stepY));
    const int32_t x = e->screenX;
    TickEffects();
    MissileEffect* blast = onlyEffect();
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(blast->baseGraphic, 14001);
    EXPECT_EQ(blast->screenX, x);
    EXPECT_EQ(blast->hue, 0u);
}

TEST_F(EffectsTest, AMissileBendsTowardAWalkingMobileAndEndsWithinReach)
{
    auto* target = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x50, 17, 108, 100)));
    ASSERT_NE(target, nullptr);
    EffectRequest r = moving(100, 100, 0, 0, 2);
    r.targetSerial = 0x50;
    r.explode = 1;
    MissileEffect* e = CreateEffect(r);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->targetSerial, 0x50u);
    EXPECT_EQ(e->screenSpeed, 10);
    TickEffects();
    TickEffects();
    const double beforeX = e->stepX;

    // The mobile walks down the screen: the missile turns toward it at its screen speed.
    target->MoveTo(108, 108, 0);
    TickEffects();
    EXPECT_EQ(e->targetMapY, 108);
    EXPECT_NE(e->stepX, beforeX);
    EXPECT_NEAR(std::hypot(e->stepX, e->stepY), 10.0, 1e-9);
    int32_t cx = 0;
    int32_t cy = 0;
    target->GetRectCentre(cx, cy);
    EXPECT_EQ(e->targetScreenX, cx);
    EXPECT_EQ(e->targetScreenY, cy);

    // It ends on the tick that finds it within 24 pixels of the mobile on both axes.
    double lastDx = 0;
    double lastDy = 0;
    bool gone = false;
    for (int t = 0; t < 100 && !gone; ++t) {
        lastDx = e->targetScreenX - e->posX;
        lastDy = e->targetScreenY - e->posY;
        TickEffects();
        gone = std::find(LiveEffects().begin(), LiveEffects().end(), e) == LiveEffects().end();
        if (!gone) {
            EXPECT_FALSE(std::abs(lastDx) <= 24 && std::abs(lastDy) <= 24);
        }
    }
    ASSERT_TRUE(gone);
    EXPECT_LE(std::abs(lastDx), 24);
    EXPECT_LE(std::abs(lastDy), 24);
    MissileEffect* blast = onlyEffect();
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(blast->baseGraphic, 14027);
    EXPECT_EQ(blast->ticksLeft, 9);
    EXPECT_EQ(blast->drawItem->locX, 108);
    EXPECT_EQ(blast->drawItem->locY, 108);
    EXPECT_EQ(blast->drawItem->z, 1);
}

TEST_F(EffectsTest, MissilesToAStandingMobileEndEvenWhenTooNearOrTooFast)
{
    // Three cells away, nearer than one step at speed 250: no step at all, so it ends at once.
    CObjectManager::HandleMove(mobile(0x51, 17, 103, 100));
    EffectRequest r = moving(100, 100, 0, 0, 250);
    r.targetSerial = 0x51;
    MissileEffect* near = CreateEffect(r);
    ASSERT_NE(near, nullptr);
    EXPECT_EQ(ticksUntilGone(near, 5), 1);

    // Far away, then the mobile steps once: re-aimed at 506 pixels a tick, the missile would
    // pass the 48-pixel window around the mobile; it ends when the next step would carry it past.
    auto* far = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x52, 17, 116, 100)));
    r.targetSerial = 0x52;
    MissileEffect* fast = CreateEffect(r);
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(far, nullptr);
    far->MoveTo(117, 100, 0);
    EXPECT_GT(ticksUntilGone(fast, 50), 0);
    EXPECT_TRUE(LiveEffects().empty());
}

TEST_F(EffectsTest, FixedFramesRunForwardBackwardAndPingPongAtTheirInterval)
{
    TileData::MutableItem(0x3000).quality = 4; // frames 0x3000 .. 0x3003
    struct Case {
        const char* label;
        uint8_t reverse;
        uint8_t pingPong;
        std::vector<int> frames; // offsets after each tick
    };
    const Case cases[] = {
        {"forward", 0, 0, {1, 2, 3, 0, 1}},
        {"backward", 1, 0, {3, 2, 1, 0, 3}},
        {"ping-pong", 0, 1, {1, 2, 3, 2, 1, 0, 1}},
        {"ping-pong backward", 1, 1, {1, 2, 3, 2, 1}}, // below the first frame it turns round
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EffectRequest r = fixedAt(0x3000, 10, 50); // interval 11 - 10 = 1
        r.option1 = c.reverse;
        r.option2 = c.pingPong;
        MissileEffect* e = CreateEffect(r);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->frameInterval, 1);
        std::vector<int> seen;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            TickEffects();
            seen.push_back(e->currentGraphic - 0x3000);
        }
        EXPECT_EQ(seen, c.frames);
        DestroyMissileGumps();
    }

    // Speed 8: a new frame every third tick. Speeds of 11 and up keep one tick.
    MissileEffect* slow = CreateEffect(fixedAt(0x3000, 8, 50));
    TickEffects();
    TickEffects();
    EXPECT_EQ(slow->currentGraphic, 0x3000);
    TickEffects();
    EXPECT_EQ(slow->currentGraphic, 0x3001);
    EXPECT_EQ(CreateEffect(fixedAt(0x3000, 11, 5))->frameInterval, 1);
    EXPECT_EQ(CreateEffect(fixedAt(0x3000, 200, 5))->frameInterval, 1);
}

TEST_F(EffectsTest, FixedEffectsLiveTheirDurationAndAnimationDataDrivesTheirFrames)
{
    EXPECT_EQ(ticksUntilGone(CreateEffect(fixedAt(0x3000, 10, 1))), 1);
    EXPECT_EQ(ticksUntilGone(CreateEffect(fixedAt(0x3000, 10, 0))), 1);
    EXPECT_EQ(ticksUntilGone(CreateEffect(fixedAt(0x3000, 10, 7))), 7);

    // An animation-data record: offsets 0, 5, 9, a start delay of 2 and a frame interval of 1.
    std::vector<uint8_t> image(4 + 8 * 68, 0);
    uint8_t* record = image.data() + 4 + 68 * (0x3100 % 8);
    record[0] = 0;
    record[1] = 5;
    record[2] = 9;
    record[65] = 3;
    record[66] = 1;
    record[67] = 2;
    animCrap::ApplyGroup(0x3100 / 8, image.data());
    MissileEffect* e = CreateEffect(fixedAt(0x3100, 10, 50));
    ASSERT_TRUE(e->animData);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        TickEffects();
        seen.push_back(e->currentGraphic - 0x3100);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 5, 9, 0, 5}));
    animCrap::LoadAnimDataFrom(nullptr, 0);
}

TEST_F(EffectsTest, TypesNeedingAnObjectAndUnknownTypesMakeNothing)
{
    CObjectManager::HandleMove(mobile(0x60, 17, 102, 100));
    EffectRequest r = fixedAt(0x3000, 10, 5);
    for (uint8_t type : {1, 3}) {
        r.type = type;
        r.sourceSerial = 0;
        EXPECT_EQ(CreateEffect(r), nullptr) << int(type);
    }
    r.type = 4;
    EXPECT_EQ(CreateEffect(r), nullptr);
    EXPECT_TRUE(LiveEffects().empty());

    // On a mobile: no draw item, listed with the mobile, gone with its ticks.
    r.type = 3;
    r.sourceSerial = 0x60;
    MissileEffect* on = CreateEffect(r);
    ASSERT_NE(on, nullptr);
    EXPECT_EQ(on->drawItem, nullptr);
    EXPECT_EQ(AttachedEffects(0x60), std::vector<MissileEffect*>{on});
    EXPECT_EQ(ticksUntilGone(on), 5);
    EXPECT_TRUE(AttachedEffects(0x60).empty());

    // Lightning on a mobile: six ticks of random gump frames 20000-20009.
    platform::Random random(7);
    SetEffectRandom(&random);
    r.type = 1;
    MissileEffect* bolt = CreateEffect(r);
    ASSERT_NE(bolt, nullptr);
    EXPECT_EQ(bolt->currentGraphic, 20000);
    EXPECT_EQ(bolt->drawItem->locX, 102);
    for (int i = 0; i < 5; ++i) {
        TickEffects();
        EXPECT_GE(bolt->currentGraphic, 20000);
        EXPECT_LE(bolt->currentGraphic, 20009);
    }
    EXPECT_EQ(ticksUntilGone(bolt), 1);
    // The weather's strike starts on a random frame, without the + 43 of other effects.
    MissileEffect* strike = InitWeatherParticle(100, 100, 0);
    int32_t sx = 0, sy = 0;
    EffectScreenPoint(100, 100, 0, false, sx, sy);
    EXPECT_EQ(strike->screenY, sy - 43);
}

TEST_F(EffectsTest, ScrollingMovesEveryFlyingEffectByTheSamePixels)
{
    MissileEffect* a = CreateEffect(moving(100, 100, 110, 110, 0));
    MissileEffect* b = CreateEffect(moving(100, 100, 90, 110, 3));
    const int32_t ax = a->screenX, ay = a->screenY, atx = a->targetScreenX, by = b->screenY;
    ShiftMissileGumps(-22, 44);
    EXPECT_EQ(a->screenX, ax - 22);
    EXPECT_EQ(a->screenY, ay + 44);
    EXPECT_DOUBLE_EQ(a->posX, ax - 22.0);
    EXPECT_EQ(a->targetScreenX, atx - 22);
    EXPECT_EQ(b->screenY, by + 44);
}

TEST_F(EffectsTest, RecordingTakesRequestsInsteadOfShowingThemAndAMapChangeStartsNoFollowUp)
{
    ASSERT_TRUE(Sequences::StartRecording());
    EXPECT_EQ(CreateEffect(moving(100, 100, 110, 110, 0)), nullptr);
    EXPECT_EQ(CreateEffectBasic(fixedAt(0x3000, 10, 3)), nullptr);
    EXPECT_TRUE(LiveEffects().empty());
    ASSERT_TRUE(Sequences::StopRecording(200));
    ASSERT_EQ(LiveEffects().size(), 1u);
    EXPECT_EQ(Sequences::LiveCount(), 1u);

    DestroyMissileGumps();
    EXPECT_TRUE(LiveEffects().empty());
    EXPECT_EQ(Sequences::LiveCount(), 0u);
}


TEST_F(EffectsTest, TheMovingItemOfAnItemMovePacketFliesAtSpeedFiveShowingOneGraphic)
{
    TileData::MutableItem(0x0EED).quality = 3;
    CObjectManager::HandleMove(mobile(0x61, 17, 104, 100));
    EffectRequest r = moving(100, 100, 0, 0, 0);
    r.graphic = 0x0EED;
    r.targetSerial = 0x61;
    r.explode = 1;
    effectServicesOfRenderer().CreateMovingItemEffect(r);
    MissileEffect* e = onlyEffect();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->screenSpeed, 16);
    EXPECT_FALSE(e->explode);
    EXPECT_FALSE(e->rotate);
    EXPECT_EQ(e->angle, 0);
    EXPECT_EQ(e->firstGraphic, e->lastGraphic);
    EXPECT_EQ(e->targetSerial, 0x61u);
}

} // namespace
