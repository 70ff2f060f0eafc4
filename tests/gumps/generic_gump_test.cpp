/** @file Tests of the server-described gump: layouts and the controls they build, malformed layouts, input, and the reply byte for byte. */
#include "client/core/gump_services.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/generic_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/gump_pixels.h"
#include "client/gumps/framework/html_box.h"
#include "client/gumps/framework/message_gumps.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/unicode_font_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testsupport::buildServerGumpPacket;
using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::ScopedUnicodeFonts;
using testsupport::TestImage;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kPicture = 0x0101;
constexpr uint16_t kUp = 0x0202;
constexpr uint16_t kDown = 0x0303;
constexpr uint16_t kOff = 0x0404;
constexpr uint16_t kOn = 0x0505;

class GenericGumpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addGumpArt(100, TestImage::solid(10, 10, kPicture).hole(0, 0, 1, 1));
        harness.addGumpArt(200, TestImage::solid(8, 8, kUp));
        harness.addGumpArt(201, TestImage::solid(8, 8, kDown));
        harness.addGumpArt(300, TestImage::solid(6, 6, kOff));
        harness.addGumpArt(301, TestImage::solid(6, 6, kOn));
        for (int i = 0; i < 9; ++i)
            harness.addGumpArt(400 + i, TestImage::solid(2, 2, static_cast<uint16_t>(0x0600 + i)));
        harness.start();
    }

    GenericGump* open(const std::string& layout, const std::vector<std::u16string>& lines = {}, uint32_t serial = 0x11,
                      uint32_t id = 0x22)
    {
        const Bytes packet = buildServerGumpPacket(serial, id, 100, 50, layout, lines);
        gumpManager().OnServerGumpPacket(packet.data(), packet.size());
        return front();
    }
    /** The front-most open generic gump, or null. */
    static GenericGump* front()
    {
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (g->IsGenericGump() != 0 && !g->closing)
                return static_cast<GenericGump*>(g);
        return nullptr;
    }
    std::vector<Bytes>& sent() { return harness.packets().packets; }

    ScopedUnicodeFonts fonts{1, 1, 1};
    GumpHarness harness;
    GumpEventDriver driver{harness};
};

GenericGump* build(const std::string& layout, const std::vector<std::u16string>& lines = {})
{
    ServerGumpDescription d;
    d.serial = 1;
    d.gumpId = 2;
    d.layout = layout;
    d.lines = lines;
    return new GenericGump(d);
}

TEST_F(GenericGumpTest, LayoutsBuildTheirControls)
{
    struct Case {
        const char* name;
        std::string layout;
        int width;
        int height;
        std::vector<std::tuple<int, int, uint16_t>> pixels;
    };
    const Case cases[] = {
        {"no records", "", 1, 1, {}},
        {"picture", "{gumppic 5 6 100}", 15, 16, {{5, 6, 0}, {6, 6, kPicture}, {14, 15, kPicture}, {0, 0, 0}}},
        {"page switch in capitals and blanks", "{  PAGE 2  }{gumppic 0 0 100}", 1, 1, {}},
        {"page 0 shows on every page", "{page 2}{page 0}{gumppic 0 0 100}", 10, 10, {{1, 0, kPicture}}},
        {"unknown keywords are skipped", "{sparkle 1 2 3}{gumppic 0 0 100}", 10, 10, {}},
        {"text after the numbers is ignored", "{gumppic 0 0 100 and more}", 10, 10, {}},
        {"numbers past those a record takes are ignored", "{gumppic 0 0 100 4 5 6 7 8 9 10}", 10, 10, {}},
        {"button, check box and radio", "{button 0 0 200 201 1 0 7}{checkbox 10 0 300 301 1 8}{radio 20 0 300 301 0 9}", 26, 8,
         {{0, 0, kUp}, {10, 0, kOn}, {20, 0, kOff}}},
        {"framed background", "{resizepic 1 1 400 6 4}", 7, 5,
         {{1, 1, 0x0600}, {3, 1, 0x0601}, {5, 1, 0x0602}, {1, 3, 0x0606}, {6, 4, 0x0608}, {0, 0, 0}}},
        {"framed background whose pieces' ids would pass the largest number draws nothing", "{resizepic 0 0 2147483647 4 4}", 4, 4,
         {{0, 0, 0}, {3, 3, 0}}},
        {"framed background over a picture, cut at the gump's left and top", "{gumppic 0 0 100}{resizepic -1 -1 400 4 4}", 10, 10,
         {{0, 0, 0x0600}, {1, 0, 0x0602}, {0, 2, 0x0606}, {2, 2, 0x0608}, {3, 3, kPicture}, {3, 0, kPicture}}},
        {"text with its outline", "{text 0 0 0 0}", 4, 20, {{1, 1, 0x7FFF}, {2, 1, 1}, {0, 0, 1}, {3, 2, 0}}},
        {"cropped text", "{croppedtext 0 0 10 1 0 1}", 12, 3, {{1, 1, 0x7FFF}, {3, 1, 0x7FFF}, {7, 1, 0x7FFF}, {9, 1, 0}, {11, 1, 0}}},
        {"a switch's larger on-art is cut at what the gump reached when it was drawn", "{checkbox 0 0 300 100 1 1}{gumppic 20 0 300}",
         26, 6, {{5, 5, kPicture}, {6, 2, 0}, {9, 2, 0}, {20, 0, kOff}}},
        {"group of radios", "{group 1}{radio 0 0 300 301 1 1}{group 2}{radio 6 0 300 301 1 2}", 12, 6,
         {{0, 0, kOn}, {6, 0, kOn}}},
    };
    for (const Case& c : cases) {
        GenericGump* g = build(c.layout, {u"a", u"abcdefghijkl"});
        ASSERT_FALSE(g->Failed()) << c.name << ": " << g->Error();
        EXPECT_EQ(g->width, c.width) << c.name;
        EXPECT_EQ(g->height, c.height) << c.name;
        for (const auto& [px, py, colour] : c.pixels)
            EXPECT_EQ(g->Frame(0)->pixel(px, py), colour) << c.name << " at " << px << "," << py;
        delete g;
    }
}

/**
 * The bitmap of a gump of text elements only (all on page 0), each drawn the plain way: its text
 * in a blank image of the element's full size, pen at (1, 1), outlined, every non-blank pixel copied.
 */
GumpBitmap textsDrawnInFullImages(const GenericGump& g)
{
    GumpBitmap out(g.width, g.height);
    int reachedW = 1, reachedH = 1;
    for (const auto& e : g.Elements()) {
        const int w = e->width, h = e->height;
        if (w <= 0 || h <= 0)
            continue;
        reachedW = std::max(reachedW, std::clamp(e->x + w, 1, 2 * GenericGump::kMaxExtent));
        reachedH = std::max(reachedH, std::clamp(e->y + h, 1, 2 * GenericGump::kMaxExtent));
        std::u16string text = e->text;
        if (e->type == GenericElement::CroppedText && UnicodeGetStringWidth(text.c_str()) > w - 2) {
            while (!text.empty() && UnicodeGetStringWidth((text + u"...").c_str()) >= w - 2)
                text.pop_back();
            text += u"...";
        }
        if (e->type == GenericElement::TextEntry && e->state != 0)
            text += u"_";
        const auto image = BlankPixels(w, h);
        UnicodeDrawString(PixelSurface{image.get(), w, w, h}, text.c_str(), 1, 1, HueTextColour(e->art), BlitRect{0, 0, w, h});
        OutlineDrawnPixels(image.get(), w, h);
        CopyNonZeroPixels(out, reachedW, reachedH, image.get(), w, w, h, e->x, e->y);
    }
    return out;
}

TEST_F(GenericGumpTest, TextsDrawAsInImagesOfTheirElementsFullSize)
{
    using testsupport::inkBlock;
    // Glyphs that reach left of, above, below and far right of the pen, lean far in italics, move
    // the pen back, or are wider than the elements.
    std::map<char16_t, testsupport::UnicodeGlyphSpec> glyphs;
    glyphs[u'a'] = inkBlock(3, 5, 0, 2);
    glyphs[u'b'] = {-3, -2, {"#.#", ".#.", "#.#"}};
    glyphs[u'c'] = inkBlock(2, 17, 0, 1);
    glyphs[u'd'] = inkBlock(3, 3, 30, 12);
    glyphs[u'e'] = inkBlock(2, 2, -20, 0);
    glyphs[u'T'] = inkBlock(2, 60, 1, -20);
    glyphs[u'W'] = inkBlock(40, 2, 0, 4);
    glyphs[u'.'] = inkBlock(1, 1, 0, 13);
    glyphs[u'_'] = inkBlock(5, 1, 0, 15);
    glyphs[u'^'] = inkBlock(1, 2);
    glyphs[u'L'] = inkBlock(2, 2);
    const std::vector<uint8_t> font = testsupport::buildUnicodeFont(glyphs);
    for (int i = 0; i < kUnicodeFontCount; ++i)
        setUnicodeFontData(i, font.data(), font.size());
    const std::vector<std::u16string> lines = {u"abc", u"bcd a", u"WWWW", u"", std::u16string(u"a b\0cd", 6), u"cTe a", u"ee a^Lb",
                                               u"d",   u"   ", u" b"};
    struct Case {
        const char* name;
        std::string layout;
        int clickX = -1;  // an entry clicked here gets the caret
        int clickY = -1;
    };
    const Case cases[] = {
        {"text", "{text 0 0 0 0}"},
        {"text of another hue, ink left of and above the pen", "{text 5 3 33 1}"},
        {"text with nothing but blanks and an empty text", "{text 0 0 0 8}{text 9 9 0 3}"},
        {"ink left of the pen after a blank", "{text 0 0 0 9}"},
        {"cropped to \"...\"", "{croppedtext 0 0 10 1 0 2}"},
        {"cropped, with ink past the element's right", "{croppedtext 2 1 41 1 0 2}"},
        {"cropped where one character and \"...\" are exactly as wide as its inside", "{croppedtext 0 0 47 18 0 2}"},
        {"cropped with a zero character inside", "{croppedtext 0 0 9 18 0 4}{croppedtext 0 30 30 18 0 4}"},
        {"cropped, partly outside the gump at its left and top", "{croppedtext -4 -6 60 30 0 1}"},
        {"element smaller than the text", "{croppedtext 3 2 1 1 0 5}"},
        {"element larger than the text, far out", "{croppedtext 100 200 4000 300 0 7}"},
        {"pen moved back past the element's left", "{text 30 0 0 5}{croppedtext 50 0 20 20 0 6}"},
        {"entry larger than its text", "{textentry 2 2 100 40 0 7 0}"},
        {"entry with the caret", "{textentry 1 1 30 20 0 7 5}", 101, 51},
        {"empty entry with the caret", "{textentry 0 0 4 4 0 7 3}", 101, 51},
        {"overlapping texts: one's outline over the other's ink", "{text 0 0 0 0}{text 2 1 0 2}{text 1 0 0 5}"},
    };
    const uint32_t styles[] = {0, kUnicodeStyleItalic, kUnicodeStyleBold, kUnicodeStyleUnderline,
                               kUnicodeStyleItalic | kUnicodeStyleBold | kUnicodeStyleUnderline};
    size_t inked = 0;
    for (const uint32_t style : styles)
        for (const bool compact : {false, true})
            for (const Case& c : cases) {
                const std::string name = std::string(c.name) + ", style " + std::to_string(style) + (compact ? ", compact" : "");
                UnicodeSetStyle(style);
                UnicodeSetCompactSpacing(compact);
                setUnicodeColorCodes(compact);
                GenericGump* g = c.clickX < 0 ? build(c.layout, lines) : open(c.layout, lines);
                ASSERT_TRUE(g != nullptr && !g->Failed()) << name << ": " << (g != nullptr ? g->Error() : "not opened");
                if (c.clickX >= 0)
                    driver.click(c.clickX, c.clickY);
                const GumpBitmap expected = textsDrawnInFullImages(*g);
                const GumpBitmap& drawn = *g->Frame(0);
                ASSERT_EQ(drawn.width, expected.width) << name;
                ASSERT_EQ(drawn.height, expected.height) << name;
                const auto differ = std::mismatch(drawn.pixels.begin(), drawn.pixels.end(), expected.pixels.begin());
                EXPECT_TRUE(differ.first == drawn.pixels.end())
                    << name << ": first difference at pixel " << (differ.first - drawn.pixels.begin());
                inked += static_cast<size_t>(std::count_if(drawn.pixels.begin(), drawn.pixels.end(), [](uint16_t p) { return p > 1; }));
                if (c.clickX < 0) {
                    delete g;
                } else {
                    CGumpManager::DestroyGump(g);
                    driver.pass();
                }
                setUnicodeColorCodes(false);
                UnicodeSetCompactSpacing(false);
                UnicodeRestoreStyle();
            }
    EXPECT_GT(inked, 5000u);
}

TEST_F(GenericGumpTest, MalformedLayoutsMakeNothing)
{
    std::string deep;
    for (int i = 1; i <= 40; ++i)
        deep += "{group " + std::to_string(i) + "}";
    const std::pair<const char*, std::string> cases[] = {
        {"too few numbers", "{gumppic 1 2}"},
        {"a button without its id", "{button 0 0 200 201 1 0}"},
        {"a text line past the table", "{text 0 0 0 2}"},
        {"a negative text line", "{htmlgump 0 0 10 10 -1 0 0}"},
        {"a framed background past the scratch bitmap", "{resizepic 0 0 400 1000 1000}"},
        {"a place far outside", "{gumppic 5000 0 100}"},
        {"a size far outside", "{croppedtext 0 0 100000 1 0 0}"},
        {"a size at the largest number, before its margin", "{croppedtext 0 0 2147483647 1 0 0}"},
        {"an entry's height at the largest number", "{textentry 0 0 10 99999999999 0 0 0}"},
        {"a record longer than 1023 characters", "{gumppic 0 0 100" + std::string(1100, ' ') + "x}"},
        {"groups nested too deep", deep},
    };
    for (const auto& [name, layout] : cases) {
        GenericGump* g = build(layout, {u"a", u"b"});
        EXPECT_TRUE(g->Failed()) << name;
        delete g;
    }
    // Through the packet: nothing is shown and the reason is logged.
    EXPECT_EQ(open("{gumppic 1 2}"), nullptr);
    EXPECT_EQ(harness.logCount("dropped: 'gumppic' with 2 numbers"), 1u);
    const Bytes damaged = {0xB0, 0x00, 0x40, 1, 2};
    gumpManager().OnServerGumpPacket(damaged.data(), damaged.size());
    EXPECT_EQ(harness.logCount("Server gump packet dropped"), 1u);
}

TEST_F(GenericGumpTest, GroupsNestInTheOrderOfTheirRecords)
{
    // Each group record makes its element under the previous current group's; "group 0" too,
    // after which elements go to the top level again.
    GenericGump* g = build("{group 1}{group 2}{gumppic 0 0 100}{group 0}{gumppic 20 0 100}");
    ASSERT_FALSE(g->Failed());
    const auto& top = g->Elements();
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0]->type, GenericElement::Group);
    EXPECT_EQ(top[1]->type, GenericElement::Picture);
    ASSERT_EQ(top[0]->children.size(), 1u);
    const GenericElement& two = *top[0]->children[0];
    EXPECT_EQ(two.group, 2);
    ASSERT_EQ(two.children.size(), 2u);
    EXPECT_EQ(two.children[0]->type, GenericElement::Picture);
    EXPECT_EQ(two.children[1]->group, 0);
    EXPECT_EQ(g->width, 30);
    delete g;
}

TEST_F(GenericGumpTest, TheReplyListsSwitchesAndEntriesInTreeOrder)
{
    GenericGump* g = build("{checkbox 0 0 300 301 1 5}{group 1}{radio 0 10 300 301 1 6}{radio 0 20 300 301 0 7}"
                           "{textentry 0 30 20 10 0 9 0}{group 0}{checkbox 0 40 300 301 0 8}{textentry 0 50 20 10 0 3 1}",
                           {u"hi", std::u16string(300, u'x')});
    ASSERT_FALSE(g->Failed()) << g->Error();
    Bytes expected = {0xB1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 4};
    // Switches on: 5 (top), then the group's children before the group: 6.
    expected.insert(expected.end(), {0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 6});
    expected.insert(expected.end(), {0, 0, 0, 2, 0, 9, 0, 2, 0, 'h', 0, 'i', 0, 3, 0, 239});
    for (int i = 0; i < 239; ++i)
        expected.insert(expected.end(), {0, 'x'});
    expected[1] = static_cast<uint8_t>(expected.size() >> 8);
    expected[2] = static_cast<uint8_t>(expected.size());
    EXPECT_EQ(g->BuildReply(4), expected);
    delete g;
}

TEST_F(GenericGumpTest, ButtonsReplyOrTurnPages)
{
    GenericGump* g = open("{button 0 0 200 201 0 2 0}{button 10 0 200 201 1 0 44}{page 2}{gumppic 0 10 100}");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->height, 8);
    // A page button shows its page and sends nothing.
    driver.click(101, 51);
    EXPECT_EQ(g->currentPage, 2);
    EXPECT_EQ(g->height, 20);
    EXPECT_TRUE(sent().empty());
    // Pressed and released outside: nothing, and the button shows its up art again.
    driver.leftDown(111, 51);
    harness.drawFrame();
    EXPECT_EQ(harness.framePixel(111, 51), kDown);
    driver.leftUp(150, 150);
    harness.drawFrame();
    EXPECT_EQ(harness.framePixel(111, 51), kUp);
    EXPECT_TRUE(sent().empty());
    driver.click(111, 51);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0], (Bytes{0xB1, 0, 23, 0, 0, 0, 0x11, 0, 0, 0, 0x22, 0, 0, 0, 44, 0, 0, 0, 0, 0, 0, 0, 0}));
    driver.pass();
    EXPECT_EQ(front(), nullptr) << "the gump closed";
}

TEST_F(GenericGumpTest, SwitchesAndRadioGroups)
{
    GenericGump* g = open("{checkbox 0 0 300 301 0 1}{group 1}{radio 10 0 300 301 1 2}{radio 20 0 300 301 0 3}"
                          "{group 2}{radio 30 0 300 301 1 4}");
    ASSERT_NE(g, nullptr);
    driver.click(101, 51);
    driver.click(121, 51);
    // Radio 3 turned 2 off; radio 4, in its own group, stays on.
    EXPECT_EQ(g->BuildReply(0), (Bytes{0xB1, 0, 35, 0, 0, 0, 0x11, 0, 0, 0, 0x22, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0,
                                       0, 3, 0, 0, 0, 4, 0, 0, 0, 0}));
}

TEST_F(GenericGumpTest, TextEntriesTakeTypingUpTo239Characters)
{
    GenericGump* g = open("{textentry 0 0 50 10 0 5 0}", {u"ab"});
    ASSERT_NE(g, nullptr);
    driver.click(101, 51);
    EXPECT_EQ(CGumpManager::Focus(), g);
    driver.typeChar('c');
    driver.typeChar(8);
    driver.typeChar(8);
    for (int i = 0; i < 300; ++i)
        driver.typeChar('z');
    const Bytes reply = g->BuildReply(0);
    ASSERT_EQ(reply.size(), 27u + 2 * 239u);
    EXPECT_EQ(reply[25], 0);
    EXPECT_EQ(reply[26], 239);
    EXPECT_EQ(reply[27], 0);
    EXPECT_EQ(reply[28], 'a');
    EXPECT_EQ(reply[30], 'z');
    // Losing the focus ends the edit.
    CGumpManager::KillFocus();
    driver.typeChar('q');
    EXPECT_EQ(g->BuildReply(0), reply);
}

TEST_F(GenericGumpTest, RightClickClosesUnlessNoclose)
{
    GenericGump* kept = open("{noclose}{gumppic 0 0 100}");
    driver.rightClick(105, 55);
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(kept->closing);
    CGumpManager::DestroyGump(kept);
    open("{gumppic 0 0 100}");
    driver.rightClick(105, 55);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0][14], 0);
}

TEST_F(GenericGumpTest, ServerClosesByGumpIdAndNodisposeSurvivesClosing)
{
    GenericGump* a = open("{gumppic 0 0 100}", {}, 1, 7);
    GenericGump* b = open("{nodispose}{gumppic 0 0 100}", {}, 2, 8);
    ASSERT_NE(a, b);
    EXPECT_EQ(b->IsClosable(), 0);
    CGumpManager::CloseAllClosableGumps();
    driver.pass();
    EXPECT_EQ(front(), b);
    gumpManager().CloseGenericGumps(8, 3);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0][6], 2);
    EXPECT_EQ(sent()[0][14], 3);
    // Without a serial nothing is sent, but the gump closes all the same.
    open("{gumppic 0 0 100}", {}, 0, 9);
    gumpManager().CloseGenericGumps(9, 1);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(GenericGumpTest, HtmlBoxesAreChildrenShownWithTheirPage)
{
    GenericGump* g = open("{htmlgump 0 0 40 30 0 1 0}{page 2}{htmlgump 0 40 40 30 0 0 1}", {u"<B>x</B>"});
    ASSERT_NE(g, nullptr);
    const auto& e = g->Elements();
    ASSERT_EQ(e.size(), 2u);
    ASSERT_NE(e[0]->html, nullptr);
    EXPECT_EQ(e[0]->html->Flags(), 0x2002u | 4u);
    EXPECT_EQ(e[1]->html->Flags(), 0x2082u);
    EXPECT_EQ(e[0]->html->visible, 1);
    EXPECT_EQ(e[1]->html->visible, 0);
    EXPECT_EQ(e[0]->html->Document().elements.at(0).text, u"x");
    EXPECT_EQ(e[1]->html->Document().textColour, 0x7BDE);
}

} // namespace
