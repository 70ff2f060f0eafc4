/** @file Tests of what the world drawing, the view scroll and the animated list do with effects, seats, heights and replayed animations. */
#include "world_scene.h"

#include "client/render/effect_sequence.h"
#include "client/render/effects.h"
#include "client/render/seated_figure.h"
#include "client/world/weather_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rendertest;

constexpr uint16_t G_SPARKLE = 0x3000; // effect art, 10 x 12
constexpr uint16_t G_CHAIR = 2862;     // a seat for facing 4 only, 6 lower
constexpr uint16_t G_THRONE = 2896;    // a seat for facing 0 only whose back is painted over the figure
constexpr uint16_t kSparkleBase = 0x700;
constexpr uint16_t kThroneBase = 0x600;

/** Drops made by the weather, kept by handle. */
class RainServices : public WeatherServices {
public:
    WeatherRect PlayWindow() override { return {0, 0, 176, 132}; }
    int32_t CreateParticle(bool, int32_t, int32_t) override { return next++; }
    bool ParticleInList(int32_t) override { return true; }
    int32_t next = 1;
};

class WorldEffectsTest : public WorldScene {
protected:
    void SetUp() override
    {
        SkipDrawHandler::BuildSeatTables(); // the start-up builds them before the first frame
        WorldScene::SetUp();
    }

    void writeData(testsupport::DataInstall& data) override
    {
        WorldScene::writeData(data);
        auto& art = data.indexed(FILE_ART);
        art.add(0x4000 + G_SPARKLE, itemArt(10, 12, kSparkleBase));
        art.add(0x4000 + G_CHAIR, itemArt(2, 2, 0x680));
        art.add(0x4000 + G_THRONE, itemArt(8, 40, kThroneBase));
        auto& anim = data.indexed(FILE_ANIM);
        // Seated human, facing 4 (action 4, stored direction 1): 3 x 4 pixels 41 to 44 above the feet.
        anim.add(35000 + 4 * 5 + 1, formats::encodeBodyAnimation(indexPalette(), {numberedFrame(1, 40, 3, 4, 1)}));
        // Facing 0 (action 25, stored direction 3): 20 x 50 from the feet up.
        anim.add(35000 + 25 * 5 + 3, formats::encodeBodyAnimation(indexPalette(), {numberedFrame(10, 0, 20, 50, 1)}));
    }

    void TearDown() override
    {
        DestroyMissileGumps();
        Sequences::Reset();
        sequenceHooks() = {};
        SetEffectServices(nullptr);
        WorldScene::TearDown();
    }

    /** The world point of a play-area pixel. */
    static int32_t worldX(int32_t x) { return x + DrawGrid::scrollX; }
    static int32_t worldY(int32_t y) { return y + DrawGrid::scrollY; }
};

TEST_F(WorldEffectsTest, AnEffectOnAMobileWidensItsRectangleAndIsDrawnOverIt)
{
    CMobile* m = addMobile(60, B_HUMAN, 101, 101, 3);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(show(play(m->rect)), show({88, 102, 92, 108}));

    EffectRequest r;
    r.type = 3;
    r.sourceSerial = 60;
    r.graphic = G_SPARKLE;
    r.speed = 10;
    r.duration = 5;
    ASSERT_NE(CreateEffect(r), nullptr);
    // The 10 x 12 frame is 6 wider and 6 taller than the 4 x 6 figure: 3 more on each side.
    EXPECT_EQ(show(play(m->rect)), show({85, 99, 95, 111}));
    redraw();
    EXPECT_EQ(at(85, 99), kSparkleBase);
    EXPECT_EQ(at(90, 105), kSparkleBase + 6 * 10 + 5) << "drawn over the figure";
    EXPECT_EQ(at(94, 110), kSparkleBase + 11 * 10 + 9);

    DestroyMissileGumps();
    EXPECT_EQ(show(play(m->rect)), show({88, 102, 92, 108}));
    redraw();
    EXPECT_NE(at(90, 105), kSparkleBase + 6 * 10 + 5);
}

TEST_F(WorldEffectsTest, AMobileOnASeatIsSizedDrawnAndHitAsTheSeatedFigure)
{
    addStatic(G_CHAIR, 101, 100, 0);
    CMobile* m = addMobile(50, B_HUMAN, 101, 100, 1); // facing 1 sits facing 4
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(IsSeated(*m), 1);
    // Anchor (111, 86); the frame's box 110..113 x 42..46, widened by 16 and 32 below.
    EXPECT_EQ(show(play(m->rect)), show({94, 26, 129, 78}));
    redraw();
    // Buffer (36, 31) through the facing-4 table is box (48, 31); the box is at (79, 12).
    EXPECT_EQ(at(110, 60), 1);
    EXPECT_EQ(at(112, 63), 12);
    EXPECT_TRUE(WorldDrawing::ObjectHit(*m, worldX(110), worldY(60)));
    EXPECT_FALSE(WorldDrawing::ObjectHit(*m, worldX(111), worldY(83))) << "where the standing figure would be";

    // Facing 0 on a seat with a back: the seat is painted again left of its middle + 1.
    addStatic(G_THRONE, 102, 100, 0); // 8 x 40 at 128..136 x 91..131
    CMobile* king = addMobile(51, B_HUMAN, 102, 100, 0);
    ASSERT_NE(king, nullptr);
    ASSERT_EQ(IsSeated(*king), 1);
    redraw();
    EXPECT_EQ(at(130, 100), kThroneBase + 9 * 8 + 2);
    EXPECT_EQ(at(132, 100), kThroneBase + 9 * 8 + 4);
    const uint16_t front = at(134, 100);
    EXPECT_NE(front, 0);
    EXPECT_LT(front, 0x100) << "the figure, in front of the seat's back";

    // Standing up (a step begins): the standing frame again.
    m->framesLeft = 2;
    m->RemoveFromDrawList();
    m->AddToDrawList();
    EXPECT_EQ(show(play(m->rect)), show({108, 80, 112, 86}));
    m->framesLeft = 0;
}

TEST_F(WorldEffectsTest, MobilesAreDrawnAtTheirHeight)
{
    const CMobile* high = addMobile(70, B_HUMAN, 100, 101, 3, 5);
    ASSERT_NE(high, nullptr);
    EXPECT_EQ(play(high->rect).bottom, 86 - 5 * 4);
    player->PlaceAt(100, 100, 3);
    EXPECT_EQ(play(player->rect).bottom, 64 - 3 * 4);
}

TEST_F(WorldEffectsTest, ScrollingTheViewCarriesFlyingEffectsAndWeather)
{
    RainServices rain;
    WeatherManager::SetServices(&rain);
    WeatherManager::HandleWeather(0, 5, 60);
    ASSERT_GE(WeatherManager::State().particles[0].handle, 0);
    WorldView::FollowCell(100, 100, 0, 0);
    EffectRequest r;
    r.graphic = G_SPARKLE;
    r.sourceX = 100;
    r.sourceY = 100;
    r.targetX = 110;
    r.targetY = 110;
    MissileEffect* e = CreateEffect(r);
    ASSERT_NE(e, nullptr);
    const int32_t ex = e->screenX, ey = e->screenY, tx = e->targetScreenX;
    const int32_t px = WeatherManager::State().particles[0].x, py = WeatherManager::State().particles[0].y;

    WorldView::FollowCell(101, 100, 0, 0); // 22 right and 22 down
    EXPECT_EQ(e->screenX, ex - 22);
    EXPECT_EQ(e->screenY, ey - 22);
    EXPECT_EQ(e->targetScreenX, tx - 22);
    EXPECT_EQ(WeatherManager::State().particles[0].x, px - 22);
    EXPECT_EQ(WeatherManager::State().particles[0].y, py - 22);
    WeatherManager::Stop();
    WeatherManager::SetServices(nullptr);
}

TEST_F(WorldEffectsTest, RecordedAnimationsReplayAndTheirEndsMoveTheChainOn)
{
    EffectServices& services = effectServicesOfRenderer();
    SetEffectServices(&services);
    std::vector<std::string> sounds;
    sequenceHooks().playSound = [&sounds](const SoundStep& s) { sounds.push_back(std::to_string(s.sound)); };
    CMobile* m = addMobile(80, B_HUMAN, 101, 101, 3);
    ASSERT_NE(m, nullptr);

    ASSERT_TRUE(services.StartSequenceRecording());
    m->SetAnimation(12, 3, 0, 1, 0, 0);
    EXPECT_EQ(m->playingAction, 0) << "recorded, not played";
    services.RecordSound(9, 0, 0, 0);
    m->SetAnimation(13, 2, 0, 1, 0, 0);
    ASSERT_TRUE(services.StopSequenceRecording(1));
    EXPECT_EQ(m->playingAction, 1);
    EXPECT_EQ(m->action, 12);
    int ticks = 0;
    while (sounds.empty() && ++ticks < 50) AnimatedList::Update();
    EXPECT_EQ(sounds, std::vector<std::string>{"9"});
    EXPECT_EQ(m->playingAction, 1);
    EXPECT_EQ(m->action, 13) << "the next node starts when the sound has played";
    while (m->playingAction != 0 && ++ticks < 100) AnimatedList::Update();
    EXPECT_EQ(m->playingAction, 0);
    AnimatedList::Update();
    EXPECT_EQ(Sequences::LiveCount(), 0u);

    // The mobile goes in the middle of its replayed animation: its nodes are skipped, the chain goes on.
    ASSERT_TRUE(services.StartSequenceRecording());
    m->SetAnimation(12, 3, 0, 1, 0, 0);
    m->SetAnimation(13, 3, 0, 1, 0, 0);
    services.RecordSound(7, 0, 0, 0);
    ASSERT_TRUE(services.StopSequenceRecording(1));
    ASSERT_EQ(m->playingAction, 1);
    ASSERT_TRUE(CObjectManager::DeleteObject(80));
    AnimatedList::Update();
    EXPECT_EQ(sounds, (std::vector<std::string>{"9", "7"}));
    EXPECT_EQ(Sequences::LiveCount(), 0u);
}

} // namespace
