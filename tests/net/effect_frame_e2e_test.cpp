/** @file End to end over loopback: an effect packet from the scripted shard becomes an effect in the world view and its frame reaches the back buffer. */
#include "client/core/display_mode.h"
#include "client/data/data_files.h"
#include "client/render/draw_grid.h"
#include "client/render/draw_manager.h"
#include "client/render/effect_sequence.h"
#include "client/render/effects.h"
#include "tests/net/game_handler_fixture.h"
#include "tests/net/login_fixture.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"

#include <memory>

namespace {

using testsupport::ScriptedShard;
using testsupport::ShardSettings;

constexpr uint16_t kGraphic = 0x3000;
constexpr int32_t W = 160;
constexpr int32_t H = 120;

class EffectFrameEndToEnd : public nettest::LoginWorld {
protected:
    EffectFrameEndToEnd()
    {
        InstallGameHandlers();
        SetEffectMaker(nullptr);
        SetEffectServices(&effectServicesOfRenderer());
        // The effect's frame: 4 x 3 pixels of a colour the view shows nowhere else.
        testsupport::DataInstall art(artDir_.path());
        art.indexed(FILE_ART).add(kGraphic + 0x4000,
                                  testsupport::buildArtRecordFromBitmap(4, 3, std::vector<uint16_t>(12, kColour)));
        art.write();
        cache_ = std::make_unique<testsupport::ScopedDataCache>(artDir_.path());
        ScreenWidth = W;
        ScreenHeight = H;
        CreateBackBufferDIB(W, H);
        ViewBufferOffset = 0;
        DrawManager::ResetDirtyState();
    }
    ~EffectFrameEndToEnd() override
    {
        DestroyMissileGumps();
        Sequences::Reset();
        SetEffectServices(nullptr);
        DrawManager::ResetDirtyState();
        DrawGrid::scrollX = 0;
        DrawGrid::scrollY = 0;
        ScreenWidth = 0;
        ScreenHeight = 0;
        DeleteBackBufferBitmap();
        cache_.reset();
    }

    static uint16_t at(int32_t x, int32_t y)
    {
        const uint64_t total = BackBuffer.size();
        return BackBuffer[(ViewBufferOffset + static_cast<uint64_t>(y) * ScreenWidth + x) % total];
    }

    static constexpr uint16_t kColour = 0x7C1F;
    testsupport::TempDir artDir_;
    std::unique_ptr<testsupport::ScopedDataCache> cache_;
};

TEST_F(EffectFrameEndToEnd, AnEffectPacketFromTheShardIsDrawnIntoTheFrame)
{
    ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    ScriptedShard shard(settings);
    ASSERT_TRUE(enterWorld(shard, [] { return World().player != nullptr; }));

    // The view scrolled so that the player's cell (30, 24, 0) stands at (80, 60) of the play area.
    int32_t sx = 0;
    int32_t sy = 0;
    EffectScreenPoint(30, 24, 0, false, sx, sy);
    DrawGrid::scrollX = sx - 80;
    DrawGrid::scrollY = sy - 60;

    // A fixed effect at the player's cell (0x70, type 2), lasting 20 ticks.
    const gametest::Bytes packet = gametest::Pkt(0x70).u8(2).u32(0).u32(0).u16(kGraphic).u16(30).u16(24).u8(0)
                                       .u16(30).u16(24).u8(0).u8(10).u8(20).zeros(4);
    shard.send(ScriptedShard::Role::Game, {packet});
    ASSERT_TRUE(exchange(shard, [&] { return !LiveEffects().empty(); }));
    MissileEffect* e = LiveEffects().front();
    EXPECT_EQ(e->currentGraphic, kGraphic);
    EXPECT_EQ(e->screenX, 80);
    EXPECT_EQ(e->screenY, 60);
    ASSERT_NE(e->drawItem, nullptr);

    // The flush of its rectangle: the frame stands on the effect's point, centred.
    const BlitRect dirty{70, 50, 90, 70};
    // The world pass of the draw grid: the land of the view has no art here, the effect has.
    DrawMapThingie::BuildVisibleOrder();
    MapManager::CenterX = 30;
    MapManager::CenterY = 24;
    DrawMapThingie::Recenter();
    e->drawItem->AddToDrawList();
    DrawManager::ResetDirtyState();
    DrawManager::DirtyRect(&dirty);
    DrawManager::RedrawDirtyRects();
    int shown = 0;
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x)
            if (at(x, y) == kColour) {
                ++shown;
                EXPECT_TRUE(x >= 78 && x < 82 && y >= 57 && y < 60) << x << ", " << y;
            }
    EXPECT_EQ(shown, 12);
    EXPECT_TRUE(shard.failures().empty());
}

} // namespace
