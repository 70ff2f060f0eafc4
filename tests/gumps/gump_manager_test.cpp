/** @file Tests of the gump manager: draw passes over the back buffer, hit tests, opening by id, texts and tooltips. */
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/unicode_string.h"
#include "client/gumps/framework/gump_manager.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpHarness;
using testsupport::RecordingGump;
using testsupport::TestImage;

constexpr uint16_t kWorld = 0x0001;
constexpr uint16_t kRed = 0x7C00;

/** A gump answering the kind questions the manager treats specially. */
class KindGump : public RecordingGump {
public:
    KindGump(int id, int w, int h) : RecordingGump(0, 0, w, h, 0x0300), openedAs(id) {}
    int IsOptionsGump() override { return openedAs == 5000; }
    int IsRadarGump() override { return openedAs == 5010 || openedAs == 5011; }
    int IsBarkGump() override { return bark; }
    bool HasSpeaker() override { return speaker; }
    int openedAs;
    int bark = 0;
    bool speaker = false;
};

std::u16string text(const CUnicodeString* s)
{
    return s != nullptr && s->GetStringBuffer() != nullptr
               ? std::u16string(s->GetStringBuffer(), static_cast<size_t>(s->GetLength()))
               : u"(none)";
}

TEST(GumpManagerDraw, TheFrameShowsTheGumpsAndTheBackBufferKeepsTheWorldAlone)
{
    GumpHarness h;
    h.addGumpArt(700, TestImage::solid(10, 10, 0x03E0).hole(0, 0, 5, 5));
    h.start();
    h.fillWorld(kWorld);
    new RecordingGump(20, 20, 30, 30, kRed);
    auto* art = new CGump(100, 100, 0, nullptr, 1, 10, 10);
    art->artId = 700;
    art->AttachToParent(nullptr);
    h.drawFrame();
    EXPECT_EQ(h.framePixel(20, 20), kRed);
    EXPECT_EQ(h.framePixel(49, 49), kRed);
    EXPECT_EQ(h.framePixel(50, 50), kWorld);
    EXPECT_EQ(h.framePixel(107, 107), 0x03E0);
    EXPECT_EQ(h.framePixel(101, 101), kWorld); // transparent art pixel
    EXPECT_EQ(h.pixel(20, 20), kWorld);
    EXPECT_EQ(h.pixel(107, 107), kWorld);
    EXPECT_EQ(CGumpManager::SavedRectCount(), 0u);
    EXPECT_EQ(h.window().presentCount(), 1);
}

TEST(GumpManagerDraw, AGumpAcrossTheRingsWrapRowAndColumnLandsWhereTheScreenShowsIt)
{
    GumpHarness h;
    h.start();
    h.fillWorld(kWorld);
    ViewBufferOffset = 100 * 640 + 37; // the screen starts inside a row: wrap column 603, wrap rows 380 and 379
    new RecordingGump(590, 370, 30, 20, kRed);
    h.drawFrame();
    for (int y = 365; y < 395; ++y)
        for (int x = 585; x < 625; ++x) {
            const bool inside = x >= 590 && x < 620 && y >= 370 && y < 390;
            ASSERT_EQ(h.framePixel(x, y), inside ? kRed : kWorld) << x << "," << y;
            ASSERT_EQ(h.pixel(x, y), kWorld) << x << "," << y;
        }
}

TEST(GumpManagerDraw, AGumpWithoutItsArtIsAbsentAndLoggedOnce)
{
    GumpHarness h;
    h.start();
    h.fillWorld(kWorld);
    auto* gump = new CGump(0, 0, 0, nullptr, 1, 10, 10);
    gump->artId = 999;
    gump->AttachToParent(nullptr);
    h.drawFrame();
    h.drawFrame();
    EXPECT_EQ(h.framePixel(0, 0), kWorld);
    EXPECT_EQ(h.logCount("gump art 999"), 1u);
    EXPECT_EQ(CGumpManager::GetGumpAt(1, 1, nullptr, 0), nullptr);
}

class GumpManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addGumpArt(5000, TestImage::solid(100, 80, 1));
        harness.addGumpArt(5001, TestImage::solid(10, 10, 1));
        harness.addGumpArt(5010, TestImage::solid(50, 50, 1));
        harness.addGumpArt(5011, TestImage::solid(90, 90, 1));
        harness.addGumpArt(60, TestImage::solid(200, 150, 1));
        harness.addGumpArt(1200, TestImage::solid(120, 60, 0x1111));
    }
    void registerKinds()
    {
        for (int id : {5000, 5010, 5011})
            CGumpManager::RegisterGumpFactory(id, [](const GumpOpenRequest& r) {
                auto* gump = new KindGump(r.gumpId, r.artWidth, r.artHeight);
                gump->AttachToParent(nullptr);
                return gump;
            });
    }
    GumpHarness harness;
};

TEST_F(GumpManagerTest, OpensThroughTheRegistryAndRaisesTheSingleWindows)
{
    harness.start();
    registerKinds();
    CGump* options = CGumpManager::OpenGump(nullptr, 5000, nullptr, 0, 0);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(CGumpManager::First(), options);
    new RecordingGump(0, 0, 10, 10, 0x1111);
    options->x = 900; // off the screen: raising clamps it back
    EXPECT_EQ(CGumpManager::OpenGump(nullptr, 5000, nullptr, 0, 0), options);
    EXPECT_EQ(CGumpManager::First(), options);
    EXPECT_EQ(options->x, 640 - 500);

    CGump* radar = CGumpManager::OpenGump(nullptr, 5010, nullptr, 0, 0);
    ASSERT_NE(radar, nullptr);
    auto* larger = dynamic_cast<KindGump*>(CGumpManager::OpenGump(nullptr, 5010, nullptr, 0, 0));
    ASSERT_NE(larger, nullptr);
    EXPECT_FALSE(IsLiveGump(radar));
    EXPECT_EQ(larger->openedAs, 5011);
    EXPECT_EQ(larger->width, 90);

    // An id of its own with art and no window class: a plain gump at the right edge.
    CGump* plain = CGumpManager::OpenGump(nullptr, 1200, nullptr, 0, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->artId, 1200);
    EXPECT_EQ(plain->x, 640 - 120);
    EXPECT_EQ(plain->y, 0);

    // A window class that no later part has registered yet opens nothing.
    EXPECT_EQ(CGumpManager::OpenGump(nullptr, 7, nullptr, 0, 0), nullptr);
    EXPECT_EQ(CGumpManager::OpenGump(nullptr, 48, nullptr, 0, 0), nullptr);
    EXPECT_NE(harness.log().find("Prevented client crash by not calling 'NEW CShopGump"), std::string::npos);
}

TEST(GumpManagerOpen, OptionsWithoutTheirSecondArtShowTheMissingArtBox)
{
    GumpHarness h;
    h.addGumpArt(5000, TestImage::solid(100, 80, 1));
    h.start();
    CGumpManager::RegisterGumpFactory(5000, [](const GumpOpenRequest&) -> CGump* {
        ADD_FAILURE() << "made without its art";
        return nullptr;
    });
    EXPECT_EQ(CGumpManager::OpenGump(nullptr, 5000, nullptr, 0, 0), nullptr);
    const auto boxes = h.sandbox().boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Missing ClientCfg GUMP art!");
    CGumpManager::UnregisterGumpFactory(5000);
}

TEST_F(GumpManagerTest, ContainersCascadeAndStartAgainBeforeTheEdges)
{
    harness.start();
    CGumpManager::RegisterGumpFactory(CGumpManager::kContainerFactory, [](const GumpOpenRequest& r) {
        return new RecordingGump(r.x, r.y, r.artWidth, r.artHeight, 0x1111);
    });
    std::vector<int> xs, ys;
    for (int i = 0; i < 30; ++i) {
        CGump* container = CGumpManager::OpenGump(nullptr, 60, nullptr, 1, 0);
        ASSERT_NE(container, nullptr);
        xs.push_back(container->x);
        ys.push_back(container->y);
    }
    EXPECT_EQ(xs[0], 32);
    EXPECT_EQ(ys[0], 32);
    // 32 + 16k + 200 reaches 624 = W - 16 at k = 24.5: the 25th opening (x = 432) is the last.
    EXPECT_EQ(xs[24], 416);
    EXPECT_EQ(xs[25], 16);
    // y: 32 + 16k + 150 reaches 464 = H - 16 at k = 17.6.
    EXPECT_EQ(ys[17], 304);
    EXPECT_EQ(ys[18], 16);

    OffsetGumps = 0;
    CGump* fixed = CGumpManager::OpenGump(nullptr, 60, nullptr, 1, 0);
    EXPECT_EQ(fixed->x, 640 - 200 - 10);
    EXPECT_EQ(fixed->y, 10);
}

TEST_F(GumpManagerTest, BarksOfItemsLetLeftClicksThroughAndAModalGumpTakesAllHits)
{
    harness.start();
    auto* window = new RecordingGump(0, 0, 100, 100, 0x1111);
    auto* bark = new KindGump(0, 50, 20);
    bark->bark = 1;
    bark->AttachToParent(nullptr);
    EXPECT_EQ(CGumpManager::GetGumpAt(10, 10, nullptr, 1), window);
    EXPECT_EQ(CGumpManager::GetGumpAt(10, 10, nullptr, 0), bark);
    bark->speaker = true;
    EXPECT_EQ(CGumpManager::GetGumpAt(10, 10, nullptr, 1), bark);

    auto* modal = new RecordingGump(200, 200, 50, 50, 0x2222);
    CGumpManager::SetModal(modal);
    EXPECT_EQ(CGumpManager::GetGumpAt(10, 10, nullptr, 0), nullptr);
    EXPECT_EQ(CGumpManager::GetGumpAt(210, 210, nullptr, 0), modal);
}

TEST_F(GumpManagerTest, GumpTextsFallThroughToALowerSectionPastTheEnd)
{
    std::vector<std::u16string> gt5400(40, u"5400 entry"), gt5000(451, u"5000 entry");
    gt5000[450] = u"five thousand four hundred fifty";
    harness.addGumpTexts("gt_5400", gt5400);
    harness.addGumpTexts("gt_5000", gt5000);
    harness.addGumpTexts("gt_0000", {u"zero", u"one"});
    harness.addGumpTexts("tooltips", {u"tip zero", u"tip one"});
    harness.start();
    EXPECT_EQ(text(CGumpManager::GetGumpText(5439)), u"5400 entry");
    EXPECT_EQ(text(CGumpManager::GetGumpText(5450)), u"five thousand four hundred fifty");
    EXPECT_EQ(text(CGumpManager::GetGumpText(1)), u"one");
    EXPECT_EQ(text(CGumpManager::GetGumpText(100001)), u"tip one");
    EXPECT_EQ(text(CGumpManager::GetGumpText(2)), u"(none)");
    EXPECT_EQ(text(CGumpManager::GetGumpText(-1)), u"(none)");
}

TEST_F(GumpManagerTest, ATooltipAppearsAfterTheDelayBesideThePointerForOneFrame)
{
    constexpr uint16_t kTip = 0x7FFF;
    harness.addGumpTexts("gt_0000", {u"zero", u"a tip"});
    harness.addCursorArt(8, 8, 0, 0);
    harness.start();
    CGumpManager::SetToolTipFactory([](const CUnicodeString&) { return new RecordingGump(0, 0, 40, 10, kTip); });
    auto* window = new RecordingGump(0, 0, 640, 480, kRed);
    window->toolTipOverride = 1;
    testsupport::GumpEventDriver driver(harness);
    struct Case {
        int x, y;
        int tipLeft, tipTop;
    } const cases[] = {
        {321, 100, 281, 100}, // right half: its right edge at the pointer
        {320, 100, 328, 100}, // left half: right of the pointer by the cursor's width
        {100, 241, 108, 231}, // lower half: above the pointer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        driver.move(c.x, c.y);
        CGumpManager::SetModal(nullptr);
        harness.drawFrame(); // the hover starts
        harness.drawFrame();
        EXPECT_EQ(harness.framePixel(c.tipLeft, c.tipTop), kRed) << "before the delay";
        harness.clock().advance(1001);
        harness.drawFrame();
        EXPECT_EQ(harness.framePixel(c.tipLeft, c.tipTop), kTip);
        EXPECT_EQ(harness.framePixel(c.tipLeft + 39, c.tipTop + 9), kTip);
        EXPECT_EQ(harness.framePixel(c.tipLeft - 1, c.tipTop + 9), kRed); // (the cursor sits at the pointer)
        // Made again every frame while the pointer rests; gone once the gump changes.
        CGumpManager::mouseonGump = nullptr;
        auto* cover = new RecordingGump(0, 0, 640, 480, kWorld);
        harness.drawFrame();
        EXPECT_EQ(harness.framePixel(c.tipLeft, c.tipTop), kWorld);
        delete cover;
        harness.drawFrame(); // the window is hovered anew
    }
}

} // namespace
