#include "render_fixture.h"

#include <algorithm>
#include <random>
#include <string>

namespace {

using rendertest::pending;
using rendertest::pixelsOf;
using rendertest::show;

class DirtyRectTest : public rendertest::RingTest {};

TEST_F(DirtyRectTest, NewRectanglesStoreOnlyWhatNoPendingOneCovers)
{
    struct Case {
        const char* name;
        std::vector<BlitRect> before;
        BlitRect add;
        std::vector<BlitRect> after;
    };
    const std::vector<Case> cases = {
        {"inside adds nothing", {{2, 2, 10, 10}}, {3, 3, 5, 5}, {{2, 2, 10, 10}}},
        {"overlap: side within the pending rows, then a full-width band",
         {{2, 2, 6, 6}}, {4, 4, 8, 8}, {{2, 2, 6, 6}, {6, 4, 8, 6}, {4, 6, 8, 8}}},
        {"surrounding: left, right, top, bottom",
         {{4, 4, 6, 6}}, {2, 2, 8, 8}, {{4, 4, 6, 6}, {2, 4, 4, 6}, {6, 4, 8, 6}, {2, 2, 8, 4}, {2, 6, 8, 8}}},
        {"touching edges do not overlap", {{0, 0, 4, 4}}, {4, 0, 8, 4}, {{0, 0, 4, 4}, {4, 0, 8, 4}}},
        {"pieces skip later pending rectangles too",
         {{0, 0, 4, 4}, {8, 0, 12, 4}}, {2, 0, 10, 4}, {{0, 0, 4, 4}, {8, 0, 12, 4}, {4, 0, 8, 4}}},
        {"clamped to the play area", {}, {-5, -5, 3, 3}, {{0, 0, 3, 3}}},
        {"clamped to the back buffer", {}, {10, 8, 100, 100}, {{10, 8, 16, 12}}},
        {"right of the area", {}, {16, 0, 20, 4}, {}},
        {"above the area", {}, {0, -4, 4, 0}, {}},
        {"empty", {}, {3, 3, 3, 5}, {}},
    };
    for (const Case& c : cases) {
        DrawManager::ResetDirtyState();
        for (const BlitRect& r : c.before)
            mark(r);
        mark(c.add);
        EXPECT_EQ(show(pending()), show(c.after)) << c.name;
    }
}

TEST_F(DirtyRectTest, RandomMarksLeaveADisjointListCoveringExactlyTheMarkedPixelsOnOneSideOfTheWrap)
{
    std::mt19937 random(17);
    for (uint32_t offset : {0u, 1u, 57u, 106u, 191u}) {
        ViewBufferOffset = offset;
        DrawManager::ResetDirtyState();
        std::set<std::pair<int32_t, int32_t>> marked;
        for (int i = 0; i < 40; ++i) {
            std::uniform_int_distribution<int32_t> coord(-4, 20);
            BlitRect r{coord(random), coord(random), 0, 0};
            r.right = r.left + std::uniform_int_distribution<int32_t>(0, 9)(random);
            r.bottom = r.top + std::uniform_int_distribution<int32_t>(0, 7)(random);
            mark(r);
            for (auto p : pixelsOf(r))
                if (p.first >= 0 && p.first < W && p.second >= 0 && p.second < H)
                    marked.insert(p);
        }
        ASSERT_FALSE(DrawManager::FullRedrawPending());
        std::set<std::pair<int32_t, int32_t>> covered;
        const int64_t wrap = W * H - static_cast<int64_t>(offset);
        for (const BlitRect& r : pending()) {
            const bool before = static_cast<int64_t>(W) * r.top + r.left < wrap;
            for (auto p : pixelsOf(r)) {
                EXPECT_TRUE(covered.insert(p).second) << "pixel drawn twice, offset " << offset;
                EXPECT_EQ(static_cast<int64_t>(W) * p.second + p.first < wrap, before) << "piece crosses the wrap point";
            }
        }
        EXPECT_EQ(covered, marked) << "offset " << offset;
    }
}

TEST_F(DirtyRectTest, ARectangleAcrossTheWrapPointIsCutIntoTwoOrFourPieces)
{
    ViewBufferOffset = W * H - (5 * W + 6); // the wrap point is row 5, column 6
    struct Case {
        BlitRect add;
        std::vector<BlitRect> pieces;
    };
    const std::vector<Case> cases = {
        {{2, 3, 10, 8}, {{2, 3, 6, 6}, {6, 3, 10, 5}, {6, 5, 10, 8}, {2, 6, 6, 8}}},
        {{8, 3, 12, 8}, {{8, 3, 12, 5}, {8, 5, 12, 8}}},
        {{0, 3, 4, 8}, {{0, 3, 4, 6}, {0, 6, 4, 8}}},
        {{0, 0, 4, 4}, {{0, 0, 4, 4}}},
    };
    for (const Case& c : cases) {
        DrawManager::ResetDirtyState();
        mark(c.add);
        EXPECT_EQ(show(pending()), show(c.pieces));
    }
}

TEST_F(DirtyRectTest, AFullListRedrawsTheWholeViewInstead)
{
    useRing(64, 48);
    for (int32_t i = 0; i < DrawManager::kNormalCapacity; ++i)
        mark({(i % 32) * 2, (i / 32) * 2, (i % 32) * 2 + 1, (i / 32) * 2 + 1});
    ASSERT_EQ(pending().size(), 256u);
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{7});
    ViewBufferOffset = 0;

    mark({1, 1, 2, 2});
    EXPECT_EQ(show(pending()), show({{0, 0, 64, 48}}));
    EXPECT_TRUE(DrawManager::FullRedrawPending());
    EXPECT_TRUE(std::all_of(BackBuffer.begin(), BackBuffer.end(), [](uint16_t p) { return p == 0; }));

    mark({3, 3, 4, 4}); // nothing more is recorded this frame
    DrawManager::RedrawAll();
    EXPECT_EQ(pending().size(), 1u);

    DrawManager::ResetDirtyState();
    DrawManager::SetBigListFlag(true); // the preview clean-up may list up to 1024
    for (int32_t i = 0; i < 300; ++i)
        mark({(i % 32) * 2, (i / 32) * 2, (i % 32) * 2 + 1, (i / 32) * 2 + 1});
    EXPECT_EQ(pending().size(), 300u);
    EXPECT_FALSE(DrawManager::FullRedrawPending());
}

TEST_F(DirtyRectTest, RedrawAllStartsTheRingOverAndForceRedrawAllRepeatsIt)
{
    ViewBufferOffset = 40;
    mark({1, 1, 3, 3});
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{9});
    DrawManager::RedrawAll();
    EXPECT_EQ(ViewBufferOffset, 0u);
    EXPECT_EQ(show(pending()), show({{0, 0, W, H}}));
    EXPECT_TRUE(std::all_of(BackBuffer.begin(), BackBuffer.end(), [](uint16_t p) { return p == 0; }));

    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{9});
    DrawManager::RedrawAll(); // already pending: nothing happens
    EXPECT_EQ(BackBuffer[0], 9);
    DrawManager::ForceRedrawAll();
    EXPECT_EQ(BackBuffer[0], 0);
    EXPECT_TRUE(DrawManager::FullRedrawPending());
}

TEST_F(DirtyRectTest, NothingIsMarkedWhileTheDeathFadeRuns)
{
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{9});
    GraphicManager::SetDeathFadeStep(3);
    mark({1, 1, 3, 3});
    DrawManager::RedrawAll();
    DrawManager::ForceRedrawAll();
    EXPECT_TRUE(pending().empty());
    EXPECT_FALSE(DrawManager::FullRedrawPending());
    EXPECT_EQ(BackBuffer[0], 9);
    DrawManager::DirtyRect(nullptr); // logged, nothing else
    DrawManager::DirtyRect_Internal(nullptr);
    EXPECT_TRUE(pending().empty());
}

TEST_F(DirtyRectTest, ScrollingMarksExactlyTheUncoveredStrips)
{
    struct Case {
        int32_t dx;
        int32_t dy;
        std::vector<BlitRect> strips;
    };
    const std::vector<Case> cases = {
        {3, 0, {{0, 0, 3, H}}},
        {-3, 0, {{W - 3, 0, W, H}}},
        {0, 2, {{0, 0, W, 2}}},
        {0, -2, {{0, H - 2, W, H}}},
        {3, 2, {{0, 0, 3, H}, {3, 0, W, 2}}},
        {3, -2, {{0, 0, 3, H}, {3, H - 2, W, H}}},
        {-3, 2, {{W - 3, 0, W, H}, {0, 0, W - 3, 2}}},
        {-3, -2, {{W - 3, 0, W, H}, {0, H - 2, W - 3, H}}},
        {0, 0, {}},
    };
    for (const Case& c : cases) {
        ViewBufferOffset = 0;
        DrawManager::ResetDirtyState();
        DrawManager::ScrollView(c.dx, c.dy);
        std::set<std::pair<int32_t, int32_t>> expected;
        for (const BlitRect& r : c.strips)
            for (auto p : pixelsOf(r))
                expected.insert(p);
        std::set<std::pair<int32_t, int32_t>> got;
        for (const BlitRect& r : pending())
            for (auto p : pixelsOf(r))
                got.insert(p);
        EXPECT_EQ(got, expected) << c.dx << ", " << c.dy;
    }
}

TEST_F(DirtyRectTest, ScrollingMovesTheOffsetAndThePendingRectanglesAndBackAgain)
{
    ViewBufferOffset = 5;
    mark({10, 2, 14, 4});
    mark({0, 8, 4, 12});
    DrawManager::ScrollBuffer(3, 2);
    EXPECT_EQ(ViewBufferOffset, static_cast<uint32_t>(5 - (2 * W + 3) + W * H));
    EXPECT_EQ(show(pending()), show({{13, 4, 16, 6}, {3, 10, 7, 12}})); // clamped at the play area's edge
    DrawManager::ScrollBuffer(-3, -2);
    EXPECT_EQ(ViewBufferOffset, 5u);

    DrawManager::ScrollBuffer(0, -20); // off the view: an empty rectangle stays in the list
    EXPECT_LT(ViewBufferOffset, static_cast<uint32_t>(W * H));
    for (const BlitRect& r : pending())
        EXPECT_TRUE(r.top >= r.bottom);

    DrawManager::ResetDirtyState();
    DrawManager::RedrawAll();
    const uint32_t offset = ViewBufferOffset;
    DrawManager::ScrollView(4, 4); // a whole-view redraw is pending: nothing moves
    EXPECT_EQ(ViewBufferOffset, offset);
    EXPECT_EQ(show(pending()), show({{0, 0, W, H}}));
}

TEST_F(DirtyRectTest, ScrollingClearsTheUncoveredPixelsAndKeepsTheRestInPlace)
{
    for (size_t i = 0; i < BackBuffer.size(); ++i)
        BackBuffer[i] = static_cast<uint16_t>(i + 1); // screen pixel (x, y) holds y x W + x + 1
    DrawManager::ScrollBuffer(2, 1);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            const uint16_t expected = x < 2 || y < 1 ? 0 : static_cast<uint16_t>((y - 1) * W + (x - 2) + 1);
            ASSERT_EQ(at(x, y), expected) << x << ", " << y;
        }
    }
}

} // namespace
