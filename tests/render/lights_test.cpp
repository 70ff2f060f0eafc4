#include "world_scene.h"

#include "client/core/config_store.h"
#include "client/render/lights.h"

#include <gtest/gtest.h>

namespace {

using namespace rendertest;

enum LightGraphic : uint16_t {
    G_LAMP = 0x0B10,    // white light
    G_ORANGE = 4012,    // colour 30
    G_GLOW = 3629,      // colour 62
    G_TORCH = 0x0B11,   // carried: tile-data light 1
};

/** Lights 0 (4 x 4 of 20), 1 (2 x 2 of 31), 2 without data, 3 reaching past light.mul. */
class LightsTest : public WorldScene {
protected:
    void SetUp() override
    {
        WorldScene::SetUp();
        formats::LightSprite none;
        none.absent = true;
        lights_ = formats::encodeLights({{4, 4, std::vector<int8_t>(16, 20)}, {2, 2, std::vector<int8_t>(4, 31)}, none,
                                          {8, 8, std::vector<int8_t>(4, 5)}});
        // Light 3 says 8 x 8 but holds 4 bytes, at the end of the data.
        thelightthingie::UseFiles(lights_.index.data(), lights_.index.size(), lights_.data.data(), lights_.data.size());
        target_.assign(static_cast<size_t>(RW * RH), 0x7FFF);
        SetBlitTarget(target_.data(), RW, RW, RH);
        Lights::globalLevel = 31;
        Lights::personalLevel = 0;
        DarkNights = 0;
        ColoredLighting = 0;
        const formats::Bytes bytes = tiles().bytes();
        TileData::LoadFrom(bytes.data(), bytes.size());
    }
    void TearDown() override
    {
        thelightthingie::UseFiles(nullptr, 0, nullptr, 0);
        SetBlitTarget(nullptr, 0, 0, 0);
        Lights::globalLevel = Lights::personalLevel = 0;
        DarkNights = 0;
        ColoredLighting = 0;
        WorldScene::TearDown();
    }
    formats::TileDataWriter tiles() const
    {
        formats::TileDataWriter t = tileData();
        for (uint16_t g : {G_LAMP, G_ORANGE, G_GLOW}) t.item(g, {.flags = 0x800000, .name = "light"});
        t.item(G_TORCH, {.flags = 0x800000 | 0x400000, .quality = 2, .light = 1, .name = "torch"});
        return t;
    }
    CObj* lamp(uint16_t graphic, int32_t x, int32_t y, int32_t z, uint8_t id)
    {
        CObj* o = NewStaticObj(graphic);
        o->direction = id;
        o->PlaceAt(x, y, z);
        return o;
    }
    uint16_t px(int32_t x, int32_t y) const { return target_[static_cast<size_t>(y * RW + x)]; }
    void mono() { Lights::DrawLightsMono({0, 0, RW, RH}); }

    formats::LightFiles lights_;
    std::vector<uint16_t> target_;
};

TEST_F(LightsTest, TheAmbientLevelFollowsTheLevelsDarkNightsAndAGhost)
{
    const struct {
        int32_t l, p;
        uint8_t darkNights;
        int32_t level;
    } cases[] = {{7, 7, 0, 0}, {20, 0, 1, 24}, {20, 0, 0, 20}, {40, 0, 0, 31}, {10, 0, 1, 10}, {5, 9, 0, 0}};
    for (const auto& c : cases) {
        Lights::globalLevel = c.l;
        Lights::personalLevel = c.p;
        DarkNights = c.darkNights;
        EXPECT_EQ(Lights::AmbientLevel(), c.level) << c.l << " " << c.p;
    }
    player->SetGraphic(402);
    EXPECT_EQ(Lights::AmbientLevel(), 0);
}

TEST_F(LightsTest, AMonochromeLightBrightensItsBoxOfTheDarkenedView)
{
    Lights::globalLevel = 20;
    lamp(G_LAMP, 100, 100, 0, 0); // box: centre (88, 44 + 43), 22 higher: {86, 63, 90, 67}
    mono();
    EXPECT_EQ(px(86, 63), 0x7FFF);       // darkness 20 - 20
    EXPECT_EQ(px(89, 66), 0x7FFF);
    const uint16_t dim = 11 << 10 | 11 << 5 | 11; // 31 x (32 - 20) / 32
    EXPECT_EQ(px(85, 63), dim);
    EXPECT_EQ(px(90, 66), dim);
    EXPECT_EQ(px(0, 0), dim);
    // With no darkness and no light nothing changes.
    target_.assign(target_.size(), 0x1234);
    Lights::globalLevel = 0;
    thelightthingie::UseFiles(nullptr, 0, nullptr, 0);
    mono();
    EXPECT_EQ(px(88, 65), 0x1234);
}

TEST_F(LightsTest, ColouredLightsLowerEachChannelThroughTheirCurve)
{
    lamp(G_ORANGE, 100, 100, 0, 0);
    lamp(G_GLOW, 101, 101, 0, 0); // one cell down: its box 44 rows lower
    Lights::DrawLightsColored({0, 0, RW, RH});
    // Ambient 31; light 20. Colour 30: red less W(20) = 31, green less 15, blue unchanged.
    EXPECT_EQ(px(87, 64), static_cast<uint16_t>(31 << 10 | 15 << 5 | 0));
    // Colour 62: each channel less X(20) = 9: darkness 22 leaves 31 x 10 / 32 = 9.
    EXPECT_EQ(px(87, 64 + 44), static_cast<uint16_t>(9 << 10 | 9 << 5 | 9));
    EXPECT_EQ(px(0, 0), 0);
}

TEST_F(LightsTest, CoveredHiddenDamagedAndOutOfRangeLightsGiveNoLight)
{
    lamp(G_LAMP, 100, 100, 0, 0);
    addStatic(G_ROOF, 101, 101, 5); // more than 4 above, down-right
    lamp(G_LAMP, 102, 100, 0, 2);   // light without data
    lamp(G_LAMP, 100, 102, 0, 3);   // light reaching past light.mul
    DrawManager::ResetDirtyState();
    lamp(G_LAMP, 104, 100, 0, 100); // no light: marks nothing
    EXPECT_TRUE(pending().empty());
    mono();
    for (uint16_t p : target_) EXPECT_EQ(p, 0);
    // A damaged light is reported once for a set of files, and again once the files are set anew.
    auto reports = [&] {
        const std::string log = install_.log();
        int n = 0;
        for (size_t at = log.find("light 3 reaches past light.mul"); at != std::string::npos;
             at = log.find("light 3 reaches past light.mul", at + 1))
            ++n;
        return n;
    };
    mono();
    EXPECT_EQ(reports(), 1);
    thelightthingie::UseFiles(lights_.index.data(), lights_.index.size(), lights_.data.data(), lights_.data.size());
    mono();
    EXPECT_EQ(reports(), 2);
}

TEST_F(LightsTest, ACarriedTorchLightsAroundItsBearerWithItsTileDataLight)
{
    CDynamicObj* torch = addItem(70, G_TORCH, 100, 101, 0);
    ASSERT_NE(torch, nullptr);
    torch->RemoveFromWorld();
    torch->EquipOn(player, 2);
    Lights::Placement p;
    ASSERT_TRUE(Lights::PlaceLight(*torch, false, p));
    EXPECT_EQ(p.standsAt, player);
    EXPECT_EQ(p.id, 1);
    // The player's anchor (89, 64): a 2 x 2 box from (88, 41).
    EXPECT_EQ(p.box.left, 88);
    EXPECT_EQ(p.box.top, 41);
    DrawManager::ResetDirtyState();
    Lights::InvalidateMobileLights(*player);
    ASSERT_EQ(pending().size(), 1u);
    EXPECT_EQ(rendertest::pixelsOf(pending()[0]), rendertest::pixelsOf({88, 41, 90, 43}));
    mono();
    EXPECT_EQ(px(88, 41), 0x7FFF);
    EXPECT_EQ(px(87, 41), 0);
}

} // namespace
