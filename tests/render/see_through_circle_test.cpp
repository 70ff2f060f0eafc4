/** @file Tests of the see-through circle: radius and centre limits, the occlusion rule, the mix and the circle blit pixel for pixel. */
#include "client/render/see_through_circle.h"

#include "client/render/draw_grid.h"
#include "client/render/graphic_manager.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

/** An image of w x h pixels in one run a row; pixel (x, y) is 0x0400 * (y % 32) | 0x20 * (x % 32) | 7. */
ArtImage solidImage(int32_t w, int32_t h)
{
    ArtImage image;
    image.width = w;
    image.height = h;
    for (int32_t y = 0; y < h; ++y) {
        image.rowStart.push_back(static_cast<uint32_t>(image.runs.size()));
        image.runs.push_back({0, static_cast<uint16_t>(w), static_cast<uint32_t>(image.pixels.size())});
        for (int32_t x = 0; x < w; ++x)
            image.pixels.push_back(static_cast<uint16_t>((y % 32) << 10 | (x % 32) << 5 | 7));
    }
    image.rowStart.push_back(static_cast<uint32_t>(image.runs.size()));
    return image;
}

class SeeThroughCircleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GraphicManager::SetPlaySize(640, 480);
        SeeThroughCircle::startup();
    }
    void TearDown() override
    {
        SetBlitTarget(nullptr, 0, 0, 0);
        SeeThroughCircle::startup();
    }
};

TEST_F(SeeThroughCircleTest, RadiusAndCentreAreHeldToTheirRangesAndChooseTheMixForm)
{
    EXPECT_EQ(SeeThroughCircle::Radius(), 64);
    EXPECT_EQ(SeeThroughCircle::CenterX(), 320);
    EXPECT_EQ(SeeThroughCircle::CenterY(), 240);
    EXPECT_EQ(SeeThroughCircle::Shift(), 12);
    struct Case {
        int32_t asked, radius, shift;
    };
    for (const Case c : {Case{0, 2, 2}, Case{1, 2, 2}, Case{-5, 2, 2}, Case{300, 256, 16}, Case{100, 100, 0},
                         Case{128, 128, 14}, Case{3, 3, 0}}) {
        SeeThroughCircle::SetRadius(c.asked);
        EXPECT_EQ(SeeThroughCircle::Radius(), c.radius) << c.asked;
        EXPECT_EQ(SeeThroughCircle::RadiusSquared(), c.radius * c.radius) << c.asked;
        EXPECT_EQ(SeeThroughCircle::Shift(), c.shift) << c.asked;
    }
    SeeThroughCircle::SetRadius(10);
    SeeThroughCircle::SetCenter(-10, 5000);
    EXPECT_EQ(SeeThroughCircle::CenterX(), 0);
    EXPECT_EQ(SeeThroughCircle::CenterY(), 479);
    const BlitRect r = SeeThroughCircle::Rect();
    EXPECT_EQ(r.left, -11);
    EXPECT_EQ(r.top, 468);
    EXPECT_EQ(r.right, 11);
    EXPECT_EQ(r.bottom, 490);
}

TEST_F(SeeThroughCircleTest, TheMixShowsTheBackgroundAtTheCentreAndTheItemOnTheRim)
{
    const uint16_t item = 0x7C1F;       // red 31, green 0, blue 31
    const uint16_t background = 0x03E0; // green 31
    for (int32_t radius : {8, 10}) {
        SeeThroughCircle::SetRadius(radius);
        const int32_t r2 = radius * radius;
        EXPECT_EQ(SeeThroughCircle::Mix(item, background, 0), background) << radius;
        EXPECT_EQ(SeeThroughCircle::Mix(item, background, r2), item) << radius;
        const int32_t d2 = r2 / 4;
        const int32_t a = 31 * d2 / r2;
        const int32_t b = 31 * (r2 - d2) / r2;
        EXPECT_EQ(SeeThroughCircle::Mix(item, background, d2), static_cast<uint16_t>(a << 10 | b << 5 | a)) << radius;
    }
}

/** The circle blit against a pixel-by-pixel reference, for the shift and the division forms. */
TEST_F(SeeThroughCircleTest, TheCircleBlitMatchesAPerPixelReference)
{
    constexpr int32_t W = 64;
    const ArtImage image = solidImage(40, 36);
    struct Case {
        const char* label;
        int32_t radius;
        SpanRoutine span;
    };
    const Case cases[] = {{"shift, copy", 8, CopySpan},
                          {"division, copy", 10, CopySpan},
                          {"division, half blend", 10, BlendSpanHalf}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SeeThroughCircle::SetRadius(c.radius);
        SeeThroughCircle::SetCenter(30, 25);
        std::vector<uint16_t> target(W * W);
        for (size_t i = 0; i < target.size(); ++i) target[i] = static_cast<uint16_t>(0x1111 + i * 13) & 0x7FFF;
        const std::vector<uint16_t> background = target;
        SetBlitTarget(target.data(), W, W, W);
        const BlitRect clip{12, 10, 50, 44};
        SeeThroughCircle::BlitArt(c.span, &image, clip, 10, 8);

        const int32_t r2 = c.radius * c.radius;
        for (int32_t y = 0; y < W; ++y) {
            for (int32_t x = 0; x < W; ++x) {
                const uint16_t under = background[static_cast<size_t>(y * W + x)];
                uint16_t expected = under;
                const int32_t ix = x - 10;
                const int32_t iy = y - 8;
                const bool drawn = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom && ix >= 0 &&
                                   ix < image.width && iy >= 0 && iy < image.height;
                if (drawn) {
                    const uint16_t source = image.pixels[static_cast<size_t>(iy * image.width + ix)];
                    uint16_t top = under;
                    c.span(&top, &source, 1);
                    const int32_t d2 = (x - 30) * (x - 30) + (y - 25) * (y - 25);
                    expected = d2 > r2 ? top : SeeThroughCircle::Mix(top, under, d2);
                }
                ASSERT_EQ(target[static_cast<size_t>(y * W + x)], expected) << "(" << x << ", " << y << ")";
            }
        }
        // The centre pixel shows the background alone.
        EXPECT_EQ(target[25 * W + 30], background[25 * W + 30]);
    }
}

class CircleOcclusionTest : public testsupport::WorldTest {
protected:
    CircleOcclusionTest()
    {
        DrawGrid::scrollX = 1000;
        DrawGrid::scrollY = 2000;
        GraphicManager::SetPlaySize(640, 480);
        SeeThroughCircle::startup(); // rectangle 255..385 x 175..305
        TileData::MutableItem(6040).height = 30;
        TileData::MutableItem(0x2000).height = 10;
    }
    ~CircleOcclusionTest() override
    {
        DrawGrid::scrollX = 0;
        DrawGrid::scrollY = 0;
    }
    /** Places the item's rectangle at a play-area rectangle (moved into world pixels). */
    static void at(CDrawItem& item, int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        item.rect = {left + 1000, top + 2000, right + 1000, bottom + 2000};
    }
};

TEST_F(CircleOcclusionTest, OnlyStaticSceneryRisingAboveThePlayerInsideTheCircleIsFaded)
{
    CObj wall(0x2000);
    at(wall, 300, 200, 340, 260);
    struct Case {
        const char* label;
        int32_t wallZ;
        int32_t playerZ;
        int expected;
    };
    // The wall's top is z + 10; the player's head counts as z + 5.
    const Case cases[] = {{"top exactly 5 above", -5, 0, 0},
                          {"one unit higher", -4, 0, 1},
                          {"player higher", 10, 20, 0},
                          {"player lower", 10, 5, 1}};
    for (const Case& c : cases) {
        wall.z = static_cast<int16_t>(c.wallZ);
        player->z = static_cast<int16_t>(c.playerZ);
        EXPECT_EQ(SeeThroughCircle::Occludes(wall), c.expected) << c.label;
    }

    wall.z = 20;
    at(wall, 385, 200, 400, 260); // touches the right edge only
    EXPECT_EQ(SeeThroughCircle::Occludes(wall), 0);
    at(wall, 384, 305 - 1, 400, 320);
    EXPECT_EQ(SeeThroughCircle::Occludes(wall), 1);

    CObj exempt(6040);
    exempt.z = 20;
    at(exempt, 300, 200, 340, 260);
    EXPECT_EQ(SeeThroughCircle::Occludes(exempt), 0);

    CDynamicObj* dynamic = CObjectManager::HandleMove(item(0x10, 0x2000, 101, 101));
    ASSERT_NE(dynamic, nullptr);
    dynamic->z = 40;
    at(*dynamic, 300, 200, 340, 260);
    EXPECT_EQ(SeeThroughCircle::Occludes(*dynamic), 0);
    auto* m = CObjectManager::HandleMove(mobile(0x11, 17, 101, 101));
    m->z = 40;
    at(*m, 300, 200, 340, 260);
    EXPECT_EQ(SeeThroughCircle::Occludes(*m), 0);
}

} // namespace
