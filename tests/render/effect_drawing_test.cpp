/** @file Tests of effect drawing: the frame's rectangle on the effect's point, and the routine chosen by hue, mode and angle. */
#include "client/render/effects.h"

#include "client/data/art_blit.h"
#include "client/data/data_files.h"
#include "client/data/span_routines.h"
#include "client/data/art_image.h"
#include "client/render/draw_grid.h"
#include "client/render/sprite_blits.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr uint16_t kGraphic = 0x3000;
constexpr int32_t W = 40;

class EffectDrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DrawGrid::scrollX = 0;
        DrawGrid::scrollY = 0;
        testsupport::DataInstall install(dir_.path());
        // A 4 x 3 frame: pixel (x, y) has green x + 4y + 1 and red 1.
        std::vector<uint16_t> bitmap;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) bitmap.push_back(static_cast<uint16_t>(0x0400 | (x + 4 * y + 1) << 5));
        install.indexed(FILE_ART).add(kGraphic + 0x4000, testsupport::buildArtRecordFromBitmap(4, 3, bitmap));
        install.write();
        cache_ = std::make_unique<testsupport::ScopedDataCache>(dir_.path());
        surface_.assign(W * W, 0x001F);
        SetBlitTarget(surface_.data(), W, W, W);
    }
    void TearDown() override
    {
        DestroyMissileGumps();
        SetBlitTarget(nullptr, 0, 0, 0);
        setSpanHueTable(nullptr, 0);
        cache_.reset();
    }

    uint16_t px(int x, int y) const { return surface_[static_cast<size_t>(y * W + x)]; }
    static WorldRect all() { return {0, 0, W, W}; }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedDataCache> cache_;
    std::vector<uint16_t> surface_;
};

TEST_F(EffectDrawingTest, TheFrameStandsOnTheEffectsPointAndIsDrawnByHueAndMode)
{
    MissileEffect effect;
    effect.currentGraphic = kGraphic;
    effect.screenX = 10;
    effect.screenY = 20;
    DrawGrid::scrollX = 5;
    DrawGrid::scrollY = 7;
    const WorldRect r = effect.ScreenRect();
    EXPECT_EQ(r.left, 8 + 5);
    EXPECT_EQ(r.top, 17 + 7);
    EXPECT_EQ(r.right, 12 + 5);
    EXPECT_EQ(r.bottom, 20 + 7);

    // Plain: the frame copied at (8, 17) in play-area pixels.
    const WorldRect clip{5, 7, W + 5, W + 7};
    DrawEffectArt(kGraphic, 0, r, clip, 0, 0);
    EXPECT_EQ(px(8, 17), 0x0400 | 1 << 5);
    EXPECT_EQ(px(11, 19), 0x0400 | 12 << 5);
    EXPECT_EQ(px(12, 19), 0x001F);

    // Hued: each pixel becomes its hue's entry by green.
    std::vector<uint16_t> hues(static_cast<size_t>(10 * kHueEntryWords), 0);
    for (int i = 0; i < 32; ++i) hues[static_cast<size_t>(4 * kHueEntryWords + i)] = static_cast<uint16_t>(0x7000 + i);
    setSpanHueTable(hues.data(), 10);
    DrawEffectArt(kGraphic, 0, r, clip, 5, 0);
    EXPECT_EQ(px(8, 17), 0x7001);
    EXPECT_EQ(px(11, 19), 0x7000 + 12);

    // Turned: the rotated copy of the whole frame at the same corner.
    std::fill(surface_.begin(), surface_.end(), uint16_t{0x001F});
    DrawEffectArt(kGraphic, 128, r, clip, 0, 0);
    std::vector<uint16_t> turned = surface_;
    std::fill(surface_.begin(), surface_.end(), uint16_t{0x001F});
    BlitRotated(RotatedPixel::Copy, GetArtImage(kGraphic + 0x4000), BlitRect{0, 0, W, W}, 8, 17, 128);
    EXPECT_EQ(turned, surface_);
    EXPECT_NE(px(8, 17), 0x0400 | 1 << 5);

    // A blend mode mixes with what lies below instead of covering it.
    std::fill(surface_.begin(), surface_.end(), uint16_t{0x001F});
    DrawEffectArt(kGraphic, 0, r, clip, 0, 1);
    EXPECT_NE(px(8, 17), 0x0400 | 1 << 5);
    EXPECT_NE(px(8, 17), 0x001F);
    EXPECT_EQ(px(12, 19), 0x001F);

    // A clip that cuts the frame.
    std::fill(surface_.begin(), surface_.end(), uint16_t{0x001F});
    DrawEffectArt(kGraphic, 0, r, WorldRect{5, 7, 10 + 5, W + 7}, 0, 0);
    EXPECT_EQ(px(9, 17), 0x0400 | 2 << 5);
    EXPECT_EQ(px(10, 17), 0x001F);
}

TEST_F(EffectDrawingTest, AFixedEffectsDrawItemPaintsItsFrameInTheGrid)
{
    EffectRequest r;
    r.type = 2;
    r.graphic = kGraphic;
    r.sourceX = 10;
    r.sourceY = 10;
    r.speed = 10;
    r.duration = 5;
    MissileEffect* e = CreateEffect(r);
    ASSERT_NE(e, nullptr);
    ASSERT_NE(e->drawItem, nullptr);
    // Put it where the surface can show it.
    e->screenX = 20;
    e->screenY = 30;
    e->drawItem->CalcScreenRect();
    EXPECT_EQ(e->drawItem->rect.left, 18);
    EXPECT_EQ(e->drawItem->rect.bottom, 30);
    e->drawItem->DrawClip(all());
    EXPECT_EQ(px(18, 27), 0x0400 | 1 << 5);
}

} // namespace
