#include "client/render/graphic_manager.h"
#include "client/render/startup_tables.h"
#include "client/render/textured_triangles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint16_t kUnwritten = 0xFFFF;

/** A 100 x 100 target of unwritten pixels and a 64 x 64 texture whose texel (u, v) is v << 6 | u. */
class TexturedTriangleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildLightTables();
        GraphicManager::BuildGreyTable();
        target.assign(100 * 100, kUnwritten);
        SetBlitTarget(target.data(), 100, 100, 100);
        for (uint16_t v = 0; v < 64; ++v)
            for (uint16_t u = 0; u < 64; ++u) texture.push_back(static_cast<uint16_t>(v << 6 | u));
    }
    void TearDown() override { SetBlitTarget(nullptr, 0, 0, 0); }

    uint16_t at(int32_t x, int32_t y) const { return target[static_cast<size_t>(y * 100 + x)]; }
    int32_t written() const
    {
        int32_t n = 0;
        for (uint16_t p : target) n += p != kUnwritten ? 1 : 0;
        return n;
    }

    std::vector<uint16_t> target;
    std::vector<uint16_t> texture;
    const BlitRect all{0, 0, 100, 100};
};

TEST_F(TexturedTriangleTest, ARightTriangleOfTheTexturesSizeCopiesItsUpperRightHalfTexelForTexel)
{
    // Corners 1, 2, 3 ((0,0), (63,0), (63,63)) on (10,10), (74,10), (74,74), all unlit.
    DrawTexturedTriangle(texture.data(), 0, {10, 10, 1, 0}, {74, 10, 2, 0}, {74, 74, 3, 0}, all);
    int32_t checked = 0;
    for (int32_t y = 10; y < 74; ++y)
        for (int32_t x = 10; x < 74; ++x) {
            if (at(x, y) == kUnwritten) continue;
            const int32_t u = at(x, y) & 63;
            const int32_t v = at(x, y) >> 6;
            // Each written pixel shows a texel of the upper-right half near its own place: the
            // span step (difference x (4096 / (length + 1)) >> 12) falls short by up to 3 texels.
            EXPECT_LE(std::abs(u - (x - 10)), 3) << x << "," << y;
            EXPECT_LE(std::abs(v - (y - 10)), 3) << x << "," << y;
            EXPECT_GE(u + 1, v);
            ++checked;
        }
    EXPECT_GT(checked, 64 * 63 / 2 - 64);
    EXPECT_EQ(at(10, 10), 0);                  // texel (0, 0) at the first corner
    EXPECT_NE(at(73, 10), kUnwritten);         // the top row runs up to the right edge,
    EXPECT_EQ(at(74, 10), kUnwritten);         // which is not written
}

TEST_F(TexturedTriangleTest, LightDarkensAndBlackensAndEdgeCasesWriteNothing)
{
    const TexVertex a{10, 10, 1, 31}, b{40, 10, 2, 31}, c{10, 40, 4, 31};
    DrawTexturedTriangle(texture.data(), 0, a, b, c, all);
    EXPECT_GT(written(), 400);
    for (uint16_t p : target) EXPECT_TRUE(p == kUnwritten || p == 0);

    target.assign(target.size(), kUnwritten);
    DrawTexturedTriangle(texture.data(), 0, {10, 10, 1, 0}, {90, 10, 2, 0}, {50, 10, 3, 0}, all); // zero height
    DrawTexturedTriangle(texture.data(), 0, {10, 10, 1, 0}, {10, 10, 2, 0}, {10, 10, 3, 0}, all);  // a point
    DrawTexturedTriangle(texture.data(), 0, {10, 10, 1, 0}, {40, 10, 2, 0}, {10, 40, 4, 0}, {50, 50, 100, 100});
    DrawTexturedTriangle(texture.data(), 0, {-500, -500, 1, 0}, {-400, -500, 2, 0}, {-500, -400, 4, 0}, all);
    EXPECT_EQ(written(), 0);

    // A clip rectangle cuts rows and columns; the grey twin writes the grey of each texel.
    DrawTexturedTriangle(texture.data(), 0, a, b, c, {15, 15, 20, 20});
    EXPECT_EQ(written(), 25);
    target.assign(target.size(), kUnwritten);
    DrawTexturedTriangleGrey(texture.data(), 0, {10, 10, 1, 0}, {40, 10, 2, 0}, {10, 40, 4, 0}, all);
    for (int32_t y = 10; y < 40; ++y)
        for (int32_t x = 10; x < 40; ++x)
            if (at(x, y) != kUnwritten) {
                const uint16_t p = at(x, y);
                EXPECT_EQ((p >> 10) & 31, p & 31);
                EXPECT_EQ((p >> 5) & 31, p & 31);
            }
}

} // namespace
