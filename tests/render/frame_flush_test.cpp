#include "render_fixture.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/core/main_window.h"
#include "client/gumps/framework/gump_manager.h"
#include "platform/platform.h"
#include "platform/window/null_window.h"

#include <random>
#include <string>

namespace {

using rendertest::pending;

/** A world whose pixel at world (x, y) tells where it is, painted through the blit target. */
struct SelfDescribingWorld {
    int32_t scrollX = 100;
    int32_t scrollY = 200;
    std::vector<BlitRect> drawn;
    int32_t lit = 0;

    static uint16_t value(int32_t worldX, int32_t worldY)
    {
        return static_cast<uint16_t>(((worldY & 0x7F) << 8 | (worldX & 0xFF)) | 0x8000);
    }

    void install()
    {
        DrawManager::hooks().drawWorld = [this](const BlitRect& r) {
            drawn.push_back(r);
            uint16_t* base = GetBlitTarget();
            const int32_t pitch = GetBlitPitch();
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x)
                    base[y * pitch + x] = value(x + scrollX, y + scrollY);
        };
        DrawManager::hooks().lights = [this](const BlitRect&) { ++lit; };
    }

    /** The view moves so that the content moves by (dx, dy) on the screen. */
    void scroll(int32_t dx, int32_t dy)
    {
        scrollX -= dx;
        scrollY -= dy;
        DrawManager::ScrollView(dx, dy);
    }
};

class FlushTest : public rendertest::RingTest {
protected:
    void expectWholeView(const SelfDescribingWorld& world, const std::string& when)
    {
        for (int32_t y = 0; y < H; ++y)
            for (int32_t x = 0; x < W; ++x)
                ASSERT_EQ(at(x, y), SelfDescribingWorld::value(x + world.scrollX, y + world.scrollY))
                    << when << " at " << x << ", " << y;
    }
};

TEST_F(FlushTest, EachPendingRectangleIsClearedDrawnAndLitOnceThenTheListIsEmpty)
{
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{0x1234});
    ViewBufferOffset = W * H - (5 * W + 6); // a rectangle across the wrap point is drawn in pieces
    int32_t calls = 0;
    DrawManager::hooks().drawWorld = [&](const BlitRect& r) {
        ++calls;
        // Paints only the rectangle's first row: the rest must come out cleared, not stale.
        uint16_t* base = GetBlitTarget();
        for (int32_t x = r.left; x < r.right; ++x)
            base[r.top * GetBlitPitch() + x] = 0x7FFF;
    };
    mark({2, 3, 10, 8});
    ASSERT_EQ(pending().size(), 4u);
    DrawManager::RedrawDirtyRects();
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(pending().empty());
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            const bool inside = x >= 2 && x < 10 && y >= 3 && y < 8;
            const bool firstRowOfAPiece = (y == 3) || (y == 5 && x >= 6) || (y == 6 && x < 6);
            const uint16_t expected = !inside ? 0x1234 : firstRowOfAPiece ? 0x7FFF : 0;
            ASSERT_EQ(at(x, y), expected) << x << ", " << y;
        }
    }
}

TEST_F(FlushTest, AfterAnySeriesOfScrollsAndMarksTheRingHoldsTheWholeViewAsIfDrawnFromScratch)
{
    SelfDescribingWorld world;
    world.install();
    DrawManager::RedrawAll();
    DrawManager::RedrawDirtyRects();
    expectWholeView(world, "first frame");

    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> step(-7, 7);
    std::uniform_int_distribution<int32_t> coord(-3, 18);
    for (int frame = 0; frame < 200; ++frame) {
        const int scrolls = frame % 3;
        for (int s = 0; s < scrolls; ++s)
            world.scroll(step(random), step(random));
        // Marks that change nothing in the world must not disturb the view either.
        for (int m = 0; m < frame % 4; ++m) {
            const int32_t left = coord(random);
            const int32_t top = coord(random);
            mark({left, top, left + 5, top + 4});
        }
        DrawManager::RedrawDirtyRects();
        expectWholeView(world, "frame " + std::to_string(frame));
    }
    EXPECT_GT(world.lit, 0);
}

TEST_F(FlushTest, ThePreviewIsPlacedBeforeTheRectanglesAndClearedAfterWithTheBigList)
{
    std::vector<std::string> calls;
    DrawManager::FlushHooks& h = DrawManager::hooks();
    h.previewActive = [] { return true; };
    h.placePreview = [&] { calls.push_back("place"); };
    h.drawWorld = [&](const BlitRect&) { calls.push_back("draw"); };
    h.clearPreview = [&] {
        calls.push_back(DrawManager::BigListFlag() ? "clear with the big list" : "clear");
        mark({1, 1, 2, 2}); // the preview's own rectangles are drawn in the next frame
    };
    mark({0, 0, 4, 4});
    DrawManager::RedrawDirtyRects();
    EXPECT_EQ(calls, (std::vector<std::string>{"place", "draw", "clear with the big list"}));
    EXPECT_FALSE(DrawManager::BigListFlag());
    EXPECT_EQ(pending().size(), 1u);
}

/** The client's frame path on the null window: the flush, the gump pass that presents, the screen. */
class FrameTest : public ::testing::Test {
protected:
    static constexpr int32_t W = 32;
    static constexpr int32_t H = 24;

    void SetUp() override
    {
        ResetConfigStore();
        AllowWindowResize = 1;
        window_.setDesktop({W, H, 32});
        CopyConfigText(GamePlayWindowSize, "32x24");
        ASSERT_TRUE(CreateMainWindow(window_));
        ASSERT_EQ(BackBuffer.size(), static_cast<size_t>(W * H));
        SetGumpServices(&CGumpManager::services());
        DrawManager::ResetDirtyState();
    }
    void TearDown() override
    {
        SetGumpServices(nullptr);
        SetMainConnection(nullptr);
        DrawManager::ResetDirtyState();
        DrawManager::hooks() = {};
        GraphicManager::hooks() = {};
        GraphicManager::SetDeathFadeStep(0);
        GraphicManager::SetGameAreaCorner(0, 0);
        ReleaseMainWindow();
        DeleteMouseTimerLock();
    }

    platform::ScopedPlatform platform_;
    platform::NullWindow window_;
};

class RecordingConnection final : public CPacketSink {
public:
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        sent.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return true; }
    std::vector<std::vector<uint8_t>> sent;
};

TEST_F(FrameTest, TheFrameReachesTheScreenFromTheRingAtTheGameAreaCorner)
{
    SelfDescribingWorld world;
    world.install();
    DrawManager::RedrawAll();
    world.scroll(5, -3); // the ring's offset is no longer 0
    ASSERT_EQ(GraphicManager::DrawFrame(), 1);
    ASSERT_EQ(window_.presentCount(), 1);
    const std::vector<uint16_t>& frame = window_.lastFrame();
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x)
            ASSERT_EQ(frame[static_cast<size_t>(y * W + x)], SelfDescribingWorld::value(x + world.scrollX, y + world.scrollY))
                << x << ", " << y;

    // The game area moved on the screen: the same world, shifted by the corner.
    GraphicManager::SetGameAreaCorner(3, 2);
    GraphicManager::DrawFrame();
    const std::vector<uint16_t>& moved = window_.lastFrame();
    for (int32_t y = 2; y < H; ++y)
        for (int32_t x = 3; x < W; ++x)
            ASSERT_EQ(moved[static_cast<size_t>(y * W + x)],
                      SelfDescribingWorld::value(x - 3 + world.scrollX, y - 2 + world.scrollY))
                << x << ", " << y;
}

TEST_F(FrameTest, WithoutAGameConnectionNothingIsDrawn)
{
    GraphicManager::hooks().hasGameConnection = [] { return false; };
    EXPECT_EQ(GraphicManager::DrawFrame(), 0);
    EXPECT_EQ(window_.presentCount(), 0);
}

TEST_F(FrameTest, TheDeathFadeDarkensShowsTheTextAtStepFifteenAndReportsAfterTheLastStep)
{
    RecordingConnection connection;
    SetMainConnection(&connection);
    int texts = 0;
    GraphicManager::hooks().showDeathText = [&] { ++texts; };
    int worldDraws = 0;
    DrawManager::hooks().drawWorld = [&](const BlitRect&) { ++worldDraws; };
    ViewBufferOffset = 77;
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{0x7FFF});

    GraphicManager::SetDeathFadeStep(1);
    for (int frame = 1; frame <= 14; ++frame)
        GraphicManager::DrawFrame();
    EXPECT_EQ(texts, 0);
    EXPECT_EQ(BackBuffer[0], (17 << 10) | (17 << 5) | 17);
    GraphicManager::DrawFrame(); // the 15th darkened frame
    EXPECT_EQ(texts, 1);
    for (int frame = 16; frame <= 30; ++frame)
        GraphicManager::DrawFrame();
    EXPECT_TRUE(connection.sent.empty());
    EXPECT_EQ(worldDraws, 0);
    GraphicManager::DrawFrame(); // the 31st: black, then the view is redrawn and the status sent
    EXPECT_EQ(GraphicManager::DeathFadeStep(), 0);
    EXPECT_EQ(connection.sent, (std::vector<std::vector<uint8_t>>{{0x2C, 0x02}}));
    EXPECT_TRUE(DrawManager::FullRedrawPending());
    EXPECT_EQ(window_.presentCount(), 31);
    GraphicManager::DrawFrame();
    EXPECT_EQ(worldDraws, 1);
}

} // namespace
