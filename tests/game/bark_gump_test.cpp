/** @file Tests of texts over objects: lifetimes, stacking and its limits, placement, the journal prefix, drawing over other texts, the outline, and speech from the handlers shown over its speaker. */
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/speech_display.h"
#include "client/net/text_services.h"
#include "client/net/world_handlers.h"
#include "client/render/draw_grid.h"
#include "client/render/text_manager.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;

class Barks : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.useFixedWidthFonts(6, 10, 4);
        harness.start();
        TextManager::startup();
        InstallSpeechDisplay(true);
        DrawGrid::scrollX = DrawGrid::scrollY = 0;
    }
    void TearDown() override
    {
        for (auto& o : objects)
            o.reset();
        CObjectManager::shutdown();
        InstallSpeechDisplay(false);
        TextManager::shutdown();
    }
    /** A static object whose screen rectangle's top centre is (x, top). */
    CObj* objectAt(int x, int top)
    {
        objects.push_back(std::make_unique<CObj>(uint16_t{0x0A22}));
        CObj* o = objects.back().get();
        o->rect = {x - 20, top, x + 20, top + 40};
        return o;
    }
    CBarkGump* say(CObj* speaker, const std::string& text) { return new CBarkGump(speaker, text.c_str(), 0, 3, nullptr, 0); }
    int chainHeight(CObj* speaker)
    {
        int sum = 0;
        for (CBarkGump* b = speaker->overheadMessages; b != nullptr; b = b->Older())
            sum += b->height;
        return sum;
    }

    GumpHarness harness;
    GumpEventDriver driver{harness};
    std::vector<std::unique_ptr<CObj>> objects;
};

TEST(BarkLifetime, GrowsWithTheLinesAndTheModifier)
{
    const struct {
        int lines;
        int modifier;
        uint8_t scale;
        uint32_t ms;
    } cases[] = {
        {1, 100, 1, 4000}, {3, 100, 1, 12000}, {3, 100, 0, 4000}, {1, 50, 1, 2000}, {3, 50, 1, 6000}, {3, 50, 0, 2000},
    };
    for (const auto& c : cases) {
        BarkTimeModifier = c.modifier;
        ScaleBarkTimes = c.scale;
        EXPECT_EQ(BarkLifetime(c.lines), c.ms) << c.lines << " lines, modifier " << c.modifier << ", scale " << int(c.scale);
    }
    BarkTimeModifier = 100;
    ScaleBarkTimes = 1;
}

TEST_F(Barks, TextsOverAnObjectStackUpwardNewestJustAboveTheHead)
{
    CObj* o = objectAt(220, 100); // anchor (220, 104)
    CBarkGump* first = say(o, "one");
    CBarkGump* second = say(o, "two");
    CBarkGump* third = say(o, "three");
    EXPECT_EQ(o->overheadMessages, third);
    EXPECT_EQ(third->y, 104 - third->height);
    EXPECT_EQ(second->y, third->y - second->height);
    EXPECT_EQ(first->y, second->y - first->height);
    EXPECT_EQ(third->x, 220 - third->width / 2);
    // A closed text leaves the chain at once; the chain closes up around it.
    second->Close();
    EXPECT_FALSE(IsLiveGump(second));
    EXPECT_EQ(third->Older(), first);
    EXPECT_EQ(first->Newer(), third);
}

TEST_F(Barks, AStackTallerThanTheGameAreaLosesItsOldestTexts)
{
    CObj* o = objectAt(320, 470);
    const std::string longText(200, 'w');
    std::vector<CBarkGump*> barks;
    for (int i = 0; i < 10; ++i)
        barks.push_back(say(o, longText));
    EXPECT_FALSE(IsLiveGump(barks[0]));
    EXPECT_TRUE(IsLiveGump(barks[9]));
    EXPECT_LE(chainHeight(o), 479);
    EXPECT_GT(chainHeight(o) + barks[9]->height, 479) << "only as many as needed went";
    EXPECT_EQ(barks[9]->y, 474 - barks[9]->height);
}

TEST_F(Barks, AStackAtTheTopEdgeIsPushedDownFromYZero)
{
    CObj* o = objectAt(100, 20); // anchor y 24
    CBarkGump* a = say(o, "a");
    CBarkGump* b = say(o, "b");
    CBarkGump* c = say(o, "c");
    ASSERT_GT(3 * c->height, 24) << "the stack must reach past the top";
    EXPECT_EQ(a->y, 0);
    EXPECT_EQ(b->y, a->y + a->height);
    EXPECT_EQ(c->y, b->y + b->height);
}

TEST_F(Barks, WidthsAreLimitedAndTextsStayInsideTheGameArea)
{
    const std::string text(100, 'm');
    CBarkGump* over = say(objectAt(630, 200), text);
    EXPECT_LE(over->width, 200);
    EXPECT_LE(over->x + over->width, 639);
    CBarkGump* system = say(nullptr, text);
    EXPECT_LE(system->width, 320);
    EXPECT_GT(system->width, 200);
    EXPECT_EQ(system->x, 0);
    EXPECT_EQ(system->y, 480 - 45 - system->height);
    EXPECT_EQ(CBarkGump::SystemHead(), system);
}

TEST_F(Barks, ThePrefixModeNamesTheJournalLineAndIsConsumed)
{
    TextManager::PrefixMode() = 2;
    TextManager::SpeakerName() = "Tessa";
    CBarkGump* spoken = say(objectAt(100, 100), "hello");
    EXPECT_EQ(TextManager::Newest()->text, "Tessa: hello");
    EXPECT_EQ(TextManager::PrefixMode(), 1);
    EXPECT_TRUE(TextManager::SpeakerName().empty());
    EXPECT_EQ(spoken->width, 5 * 6) << "the bark shows the text without the prefix";

    // A "You see: " name of a ground item shows where the player pressed.
    barkWorldHooks().lastPressPoint = [](int& x, int& y) {
        x = 50;
        y = 300;
        return true;
    };
    TextManager::PrefixMode() = 3;
    CBarkGump* name = say(objectAt(400, 100), "a lamp");
    EXPECT_EQ(TextManager::Newest()->text, "You see: a lamp");
    EXPECT_EQ(name->x, 50 - name->width / 2);
    EXPECT_EQ(name->y, 300 - name->height);
}

TEST_F(Barks, ATextOfAnItemInAClosedContainerDeletesItself)
{
    CObj* box = objectAt(100, 100);
    CObj* item = objectAt(100, 100);
    item->parent = box;
    CBarkGump* bark = say(item, "inside");
    EXPECT_FALSE(IsLiveGump(bark));
    EXPECT_EQ(item->overheadMessages, nullptr);
    EXPECT_EQ(TextManager::Newest()->text, "inside") << "the journal still has it";
    item->parent = nullptr;
}

TEST_F(Barks, ATextCoveringAnotherIsBlendedHalfAndHalf)
{
    // The front text overlaps the upper half of the one behind it; its top row lies over the world.
    CBarkGump* back = say(objectAt(200, 196), "wwwwwwwwww");
    CBarkGump* front = say(objectAt(200, 191), "ww");
    ASSERT_LT(front->y, back->y);
    ASSERT_GT(front->y + front->height, back->y);
    EXPECT_EQ(IsCovered(front), 1);
    EXPECT_EQ(IsCovered(back), 0);
    EXPECT_EQ(IsCovered(nullptr), 0);
    EXPECT_EQ(harness.logCount("IsCovered: pBark == NULL"), 1u);

    const uint16_t world = 0x7C00;
    harness.fillWorld(world);
    harness.drawFrame();
    const GumpBitmap* frontBits = front->Frame(0);
    const GumpRect frontRect = front->ScreenRect();
    const uint16_t s = frontBits->pixel(0, 0);
    ASSERT_NE(s, 0);
    EXPECT_EQ(harness.framePixel(frontRect.left, frontRect.top),
              static_cast<uint16_t>((((world & 0x7BDE) + (s & 0x7BDE)) >> 1) | 1));
    const GumpRect backRect = back->ScreenRect();
    EXPECT_EQ(harness.framePixel(backRect.left, backRect.top), back->Frame(0)->pixel(0, 0)) << "uncovered: copied";
}

TEST_F(Barks, ATextGoesWhenItsLifetimeHasPassed)
{
    CBarkGump* bark = say(nullptr, "short");
    EXPECT_EQ(bark->Lifetime(), 4000u);
    driver.pass(4000);
    EXPECT_TRUE(IsLiveGump(bark));
    driver.pass(1);
    EXPECT_FALSE(IsLiveGump(bark));
    EXPECT_EQ(CBarkGump::SystemHead(), nullptr);
}

TEST_F(Barks, AnObjectDeletedWhileAPassRunsLeavesNoTextPointingAtIt)
{
    CObj* o = objectAt(100, 100);
    CBarkGump* first = say(o, "one");
    CBarkGump* second = say(o, "two");
    {
        CGumpManager::PassGuard pass;
        objects.back().reset();
        EXPECT_FALSE(first->HasSpeaker());
        EXPECT_EQ(first->IsGameAreaRelative(), 1);
        harness.drawFrame();
        driver.pass();
    }
    EXPECT_FALSE(IsLiveGump(first));
    EXPECT_FALSE(IsLiveGump(second));
}

TEST(OutlineTextPixels, RingsLitPixelsWithTheKeyColourOnly)
{
    // 5 x 3 (stride 6): one lit pixel at (1, 1) and a key pixel at (4, 1).
    std::vector<uint16_t> px(18, 0);
    px[1 * 6 + 1] = 0x7FFF;
    px[1 * 6 + 4] = 1;
    OutlineTextPixels(px.data(), 5, 3, 6, 1);
    const std::vector<uint16_t> expected = {1, 1, 1, 0, 0, 0, 1, 0x7FFF, 1, 0, 1, 0, 1, 1, 1, 0, 0, 0};
    EXPECT_EQ(px, expected);
}

TEST_F(Barks, AClickedTextInAnotherLanguageGoesForTranslationAndTheAnswerShowsOverItsSpeaker)
{
    testsupport::ScopedUnicodeFonts fonts(7, 12, 5);
    auto* mobile = new CMobile(0x202, 400, 0);
    mobile->rect = {300, 200, 340, 260};
    DisplayUnicodeSpeech(0x202, 400, 0, 0x0035, 3, "DEU", "Bram", u"hallo");
    CBarkGump* said = mobile->overheadMessages;
    ASSERT_NE(said, nullptr);
    EXPECT_STREQ(said->Language(), "DEU");
    struct Asked {
        std::u16string text;
        std::string language;
        uint32_t serial;
    };
    std::vector<Asked> asked;
    barkWorldHooks().translate = [&](const std::u16string& text, const char* language, uint32_t serial) {
        asked.push_back({text, language, serial});
    };
    const int x = said->x + said->width / 2, y = said->y + said->height / 2;
    driver.click(x, y);
    driver.pass(600);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, u"hallo");
    EXPECT_EQ(asked[0].language, "DEU");
    EXPECT_EQ(asked[0].serial, 0x202u);

    ShowClickedTranslation(nullptr, 0x202, nullptr, u"hello");
    auto* answer = dynamic_cast<CUnicodeBarkGump*>(static_cast<CBarkGump*>(mobile->overheadMessages));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->Text(), u"hello");
    EXPECT_EQ(answer->Hue(), 53);
    ShowClickedTranslation(nullptr, 0x203, nullptr, u"nobody");
    EXPECT_EQ(mobile->overheadMessages, answer) << "an answer for an object that has gone shows nowhere";
}

TEST_F(Barks, SpeechFromTheHandlersShowsOverItsSpeakerOutlined)
{
    testsupport::ScopedUnicodeFonts fonts(7, 12, 5);
    auto* mobile = new CMobile(0x202, 400, 0);
    mobile->rect = {300, 200, 340, 260};
    DisplayUnicodeSpeech(0x202, 400, 0, 0x0035, 3, "ENU", "Bram", u"hello");
    auto* bark = dynamic_cast<CUnicodeBarkGump*>(static_cast<CBarkGump*>(mobile->overheadMessages));
    ASSERT_NE(bark, nullptr);
    EXPECT_EQ(bark->Text(), u"hello");
    EXPECT_EQ(TextManager::Newest()->wideText, u"Bram: hello");
    EXPECT_EQ(bark->y, 204 - bark->height);
    EXPECT_TRUE(bark->HasSpeaker());
    const GumpBitmap* bits = bark->Frame(0);
    int keyed = 0;
    for (int y = 0; y < bits->height; ++y)
        for (int x = 0; x < bits->width; ++x)
            keyed += bits->pixel(x, y) == 1 ? 1 : 0;
    EXPECT_GT(keyed, 0) << "the glyphs are outlined";
    EXPECT_EQ(bits->pixel(0, 0), 1) << "the corner next to the first glyph is outline";

    // 16-bit speech of type 10 is not shown; the next shown line replaces the text.
    DisplayUnicodeSpeech(0x202, 400, 10, 0x0035, 3, "ENU", "Bram", u"hidden");
    EXPECT_EQ(mobile->overheadMessages, bark);
    DisplayUnicodeSpeech(0x202, 400, 0, 0x0035, 3, "ENU", "Bram", u"again");
    EXPECT_FALSE(IsLiveGump(bark));
    mobile->ClearOverheadMessages();
    EXPECT_EQ(mobile->overheadMessages, nullptr);
    // An 8-bit line of type 10 is the persistent kind, which survives the clearing.
    DisplaySpeech(0x202, 400, 10, 0x0035, 3, "Bram", "stays");
    CBarkGump* stays = mobile->overheadMessages;
    ASSERT_NE(stays, nullptr);
    EXPECT_TRUE(stays->persistent);
    mobile->ClearOverheadMessages();
    EXPECT_EQ(mobile->overheadMessages, stays);

    // A system line has no speaker and stacks in the lower left corner.
    CGump* system = TextManager::AddSystemMessage(946, 3, "Welcome!");
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(CBarkGump::SystemHead(), system);
}

} // namespace
