/** @file Tests of the message gump, the plain picture gump and the sign gump, driven through the window procedure. */
#include "client/core/app.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"
#include "tests/support/unicode_font_builder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::RecordingGump;
using testsupport::TestImage;

constexpr uint16_t kWorld = 0x0001;
constexpr uint16_t kFramePiece = 0x0100;
constexpr uint16_t kOkArt = 0x0200;
constexpr uint16_t kProgressArt = 0x0300;
constexpr uint16_t kPicture = 0x0444;

struct OkCall {
    CGump* message;
    CGump* owner;
    int value;
};

class MessageGumpsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Frame pieces 10 x 10; the top-left corner has a transparent pixel at (0, 0).
        harness.addGumpArt(CWaitingGump::kFrameArt, TestImage::solid(10, 10, kFramePiece).hole(0, 0, 1, 1));
        for (int i = 1; i < 9; ++i)
            harness.addGumpArt(CWaitingGump::kFrameArt + i, TestImage::solid(10, 10, static_cast<uint16_t>(kFramePiece + i)));
        for (int i = 0; i < 3; ++i) {
            harness.addGumpArt(1150 + i, TestImage::solid(20, 8, static_cast<uint16_t>(kProgressArt + i)));
            harness.addGumpArt(1153 + i, TestImage::solid(20, 8, static_cast<uint16_t>(kOkArt + i)));
        }
        // The sign: 60 x 40 with a transparent left column, content rectangle (0, 0)-(200, 200).
        harness.addGumpArt(900, TestImage::solid(60, 40, 0x0500).hole(0, 0, 1, 40));
        harness.addStaticArt(0x20, TestImage::solid(4, 3, 0x0600));
        harness.addCursorArt(8, 8, 0, 0);
        harness.useFixedWidthFonts(4, 6, 2);
        harness.start();
        harness.fillWorld(kWorld);
        InstallMessageGumps(true);
        CWaitingGump::SetOkHandler([this](CGump* message, CGump* owner, int value) {
            oks.push_back({message, owner, value});
            CGumpManager::DestroyGump(message);
        });
    }
    void TearDown() override
    {
        CWaitingGump::SetOkHandler(nullptr);
        InstallMessageGumps(false);
    }

    uint16_t shown(int x, int y)
    {
        harness.drawFrame();
        return harness.framePixel(x, y);
    }

    GumpHarness harness;
    GumpEventDriver driver{harness};
    std::vector<OkCall> oks;
};

TEST_F(MessageGumpsTest, TheManagersMessageIsBlockingCentredModalAndClosesOnEnterOrItsButton)
{
    g_bInGame = false;
    auto* owner = new RecordingGump(0, 0, 640, 480, 0x0700);
    auto* message = static_cast<CWaitingGump*>(CGumpManager::ShowMessageGump("Bogus return ping", owner, 1, 7, 0));
    ASSERT_NE(message, nullptr);
    EXPECT_STREQ(message->name, "waiting gump");
    EXPECT_EQ(message->width, 2 * 10 + 268);
    EXPECT_EQ(message->height, 2 * 10 + 124);
    const GumpRect rect = message->ScreenRect();
    EXPECT_EQ(rect.left, 320 - 144);
    EXPECT_EQ(rect.top, 240 - 72);
    EXPECT_EQ(CGumpManager::Modal(), message);
    EXPECT_EQ(CGumpManager::First(), message);
    EXPECT_EQ(MouseManager::WaitCount(), 0);

    // The OK button is centred at height - 2 x its height; a click anywhere else hits the message.
    CButtonGump* button = message->Button();
    EXPECT_EQ(button->artId, 1153);
    EXPECT_EQ(button->x, (message->width - 20) / 2);
    EXPECT_EQ(button->y, message->height - 16);
    EXPECT_EQ(shown(rect.left + 5, rect.top + 5), kFramePiece);
    EXPECT_EQ(shown(rect.left + button->x + 1, rect.top + button->y + 1), kOkArt);
    EXPECT_EQ(CGumpManager::GetGumpAt(5, 5, nullptr, 0), message);

    // A blocking message does not move; the world behind gets no click.
    driver.drag(rect.left + 50, rect.top + 5, rect.left + 90, rect.top + 25);
    EXPECT_EQ(message->ScreenRect().left, rect.left);
    driver.click(5, 5);
    EXPECT_TRUE(owner->events.empty());

    driver.typeChar(13);
    ASSERT_EQ(oks.size(), 1u);
    EXPECT_EQ(oks[0].message, message);
    EXPECT_EQ(oks[0].owner, owner);
    EXPECT_EQ(oks[0].value, 7);
    EXPECT_FALSE(IsLiveGump(message));
    EXPECT_EQ(CGumpManager::Modal(), nullptr);

    message = static_cast<CWaitingGump*>(CGumpManager::ShowMessageGump("Again", nullptr, 1, 0, 0));
    const GumpRect second = message->ScreenRect();
    driver.click(second.left + message->Button()->x + 2, second.top + message->Button()->y + 2);
    ASSERT_EQ(oks.size(), 2u);
    EXPECT_FALSE(IsLiveGump(message));
}

TEST_F(MessageGumpsTest, AProgressMessageShowsTheWaitCursorWhileItLives)
{
    CGump* message = CGumpManager::ShowMessageGump("Connecting... ", nullptr, 0, 0, 0);
    auto* waiting = static_cast<CWaitingGump*>(message);
    EXPECT_EQ(waiting->Button()->artId, 1150);
    EXPECT_EQ(waiting->Button()->hoverArt, 1151);
    EXPECT_EQ(waiting->waitMode, 1);
    EXPECT_EQ(MouseManager::WaitCount(), 1);
    CGumpManager::DestroyGump(message);
    EXPECT_EQ(MouseManager::WaitCount(), 0);
    EXPECT_EQ(MouseManager::RequestedCursor(), MouseManager::kNormalCursor);

    // A small one with the progress button does not wait.
    auto* small = new CWaitingGump(0, 0, "x", nullptr, 1, 0, 0, 0);
    EXPECT_EQ(small->waitMode, 0);
    delete small;
    EXPECT_EQ(MouseManager::WaitCount(), 0);
}

TEST_F(MessageGumpsTest, InTheGameTheMessageIsCentredOnTheGameArea)
{
    CGumpManager::SetGameArea({100, 50, 500, 350});
    CGump* message = CGumpManager::ShowMessageGump("In game", nullptr, 1, 0, 0);
    EXPECT_EQ(message->ScreenRect().left, 100 + (400 - 288) / 2);
    EXPECT_EQ(message->ScreenRect().top, 50 + (300 - 144) / 2);
}

TEST_F(MessageGumpsTest, ASmallMessageIsDraggedByItsOpaquePixelsOnly)
{
    auto* below = new RecordingGump(0, 0, 640, 480, 0x0700);
    auto* message = new CWaitingGump(0, 0, "Small", nullptr, 0, 0, 0, 0);
    message->AttachToParent(nullptr);
    EXPECT_EQ(message->width, 20 + 115);
    EXPECT_EQ(message->height, 20 + 33);
    const GumpRect rect = message->ScreenRect();
    EXPECT_EQ(CGumpManager::GetGumpAt(rect.left, rect.top, nullptr, 0), below); // the transparent corner pixel
    EXPECT_EQ(CGumpManager::GetGumpAt(rect.left + 3, rect.top + 3, nullptr, 0), message);

    driver.drag(rect.left + 3, rect.top + 3, rect.left + 23, rect.top + 13);
    EXPECT_EQ(message->ScreenRect().left, rect.left + 20);
    EXPECT_EQ(message->ScreenRect().top, rect.top + 10);
    EXPECT_FALSE(message->dragging);
    EXPECT_EQ(MouseManager::Capture(), nullptr);
    // Not closable: the right button leaves it open.
    driver.rightClick(rect.left + 23, rect.top + 13);
    EXPECT_TRUE(IsLiveGump(message));
}

TEST_F(MessageGumpsTest, TheFocusGoesBackToTheFieldThatHadItUnlessItDied)
{
    auto* window = new RecordingGump(10, 10, 200, 60, 0x0700);
    auto* field = new CInputControlGump(10, 10, window, 120, 20, CInputControlGump::ModeText, 30, 0, 902, 1, 0, 0);
    CGumpManager::SetFocus(field);
    driver.typeChar('a');
    CGump* message = CGumpManager::ShowMessageGump("Unacceptable name.", nullptr, 1, 0, 0);
    EXPECT_EQ(CGumpManager::Focus(), message);
    driver.typeChar('b'); // the message takes the keys while it is open
    driver.typeChar(13);
    EXPECT_EQ(CGumpManager::Focus(), field);
    driver.typeChar('c');
    EXPECT_EQ(field->Text(), "ac");

    // The field dies while the message is open: the focus is dropped, nothing dangles.
    auto* message2 = static_cast<CWaitingGump*>(CGumpManager::ShowMessageGump("Again", window, 1, 0, 0));
    EXPECT_EQ(message2->PreviousFocus(), field);
    CGumpManager::DestroyGump(window);
    EXPECT_EQ(message2->PreviousFocus(), nullptr);
    EXPECT_EQ(message2->Owner(), nullptr);
    driver.typeChar(13);
    ASSERT_EQ(oks.size(), 2u);
    EXPECT_EQ(oks[1].owner, nullptr);
    EXPECT_EQ(CGumpManager::Focus(), nullptr);
}

TEST_F(MessageGumpsTest, TheTextIsDrawnInsideItsRectangleInBothWidths)
{
    std::map<char16_t, testsupport::UnicodeGlyphSpec> glyphs;
    for (char16_t c = u'A'; c <= u'z'; ++c)
        glyphs[c] = testsupport::inkBlock(5, 7);
    const std::vector<uint8_t> font = testsupport::buildUnicodeFont(glyphs);
    setUnicodeFontData(0, font.data(), font.size());
    UnicodeSetSpaceWidth(3);
    for (int unicode : {0, 1}) {
        auto* message = new CWaitingGump(0, 0, "A long message that wraps over several lines of the box", nullptr, 0,
                                         1, 0, unicode);
        EXPECT_EQ(message->WideText().empty(), unicode == 0);
        const GumpBitmap* text = message->Frame(0);
        const GumpBitmap* background = message->Frame(1);
        int changed = 0;
        for (int y = 0; y < message->height; ++y)
            for (int x = 0; x < message->width; ++x)
                if (text->pixel(x, y) != background->pixel(x, y)) {
                    ++changed;
                    EXPECT_TRUE(x >= 44 && x < 312 && y >= 44 && y < 168) << x << "," << y;
                }
        EXPECT_GT(changed, 0);
        delete message;
    }
    EXPECT_EQ(UnicodeGetSpaceWidth(), 3);
    unloadUnicodeFonts();
}

TEST_F(MessageGumpsTest, APictureIsDrawnButNeverHit)
{
    auto* below = new RecordingGump(0, 0, 640, 480, 0x0700);
    std::vector<uint16_t> pixels(6 * 4, kPicture);
    pixels[0] = 0;
    auto* picture = new CDumbGump(100, 100, 0, 6, 4, 0, pixels.data(), -1);
    picture->AttachToParent(nullptr);
    EXPECT_STREQ(picture->name, "dumb gump");
    EXPECT_EQ(shown(101, 101), kPicture);
    EXPECT_EQ(shown(100, 100), 0x0700); // transparent
    EXPECT_EQ(CGumpManager::GetGumpAt(101, 101, nullptr, 0), below);
    picture->blend = 1;
    const uint16_t blended = shown(101, 101);
    EXPECT_NE(blended, kPicture);
    EXPECT_NE(blended, 0x0700);

    // Art mode draws the item art at the gump's place.
    picture->artMode = 1;
    picture->art = 0x4000 + 0x20;
    EXPECT_EQ(shown(100, 100), 0x0600);
    EXPECT_EQ(shown(104, 100), 0x0700);

    // A click on it reaches the window below.
    driver.click(101, 101);
    EXPECT_FALSE(below->events.empty());
}

TEST_F(MessageGumpsTest, ASignShowsItsTextIsDraggedAndClosesOnTheRightButton)
{
    auto* sign = new CSignGump(50, 60, 900, 0, "Inn", nullptr);
    sign->AttachToParent(nullptr);
    EXPECT_EQ(sign->width, 60);
    EXPECT_EQ(sign->height, 40);
    EXPECT_EQ(sign->IsSignGump(), 1);
    const GumpBitmap* frame = sign->Frame(0);
    EXPECT_NE(frame->pixel(1, 0), 0x0500); // the first glyph's top-left, at the content corner
    EXPECT_EQ(frame->pixel(30, 30), 0x0500);
    EXPECT_EQ(CGumpManager::GetGumpAt(50, 90, nullptr, 0), nullptr); // the transparent column
    EXPECT_EQ(CGumpManager::GetGumpAt(70, 80, nullptr, 0), sign);

    driver.drag(70, 80, 80, 84);
    EXPECT_EQ(sign->x, 60);
    EXPECT_EQ(sign->y, 64);
    driver.rightClick(85, 90);
    EXPECT_FALSE(IsLiveGump(sign));
}

} // namespace
