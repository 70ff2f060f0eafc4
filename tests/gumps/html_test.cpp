/** @file Tests of the HTML text box: the document a text parses into, colours, layout pixel for pixel, links, scrolling and editing. */
#include "client/data/unicode_font.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/html_box.h"
#include "client/gumps/framework/html_document.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/unicode_font_builder.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;
using testsupport::ScopedUnicodeFonts;
using testsupport::TestImage;
namespace style = html_style;

// The document.

struct TextRun {
    std::u16string text;
    uint32_t style;
    int32_t colour;
    int32_t link;
};

std::vector<TextRun> runs(const HtmlDocument& doc)
{
    std::vector<TextRun> out;
    for (const HtmlElement& e : doc.elements)
        out.push_back({e.text, e.style, e.colour, e.link});
    return out;
}

bool operator==(const TextRun& a, const TextRun& b)
{
    return a.text == b.text && a.style == b.style && a.colour == b.colour && a.link == b.link;
}

void PrintTo(const TextRun& r, std::ostream* os)
{
    std::string text;
    for (char16_t c : r.text)
        text += c == u'\n' ? std::string("\\n") : std::string(1, static_cast<char>(c));
    *os << "{" << text << ", 0x" << std::hex << r.style << ", " << std::dec
        << r.colour << ", " << r.link << "}";
}

TEST(HtmlDocument, TagsMakeRunsOfTheirStyles)
{
    struct Case {
        const char16_t* text;
        std::vector<TextRun> expected;
    };
    const Case cases[] = {
        {u"plain", {{u"plain", 0, -1, -1}}},
        {u"a<b>b<i>c</i></B>d", {{u"a", 0, -1, -1}, {u"b", style::Bold, -1, -1}, {u"c", style::Bold | style::Italic, -1, -1}, {u"d", 0, -1, -1}}},
        {u"<EM>a<STRONG>b</STRONG></EM>", {{u"a", style::Emphasis, -1, -1}, {u"b", style::Strong, -1, -1}}},
        {u"<BIG>a<SMALL>b</SMALL></BIG>", {{u"a", style::Big, -1, -1}, {u"b", style::Small, -1, -1}}},
        {u"<H1>a<H3>b</H3></H1>", {{u"a", 0x100, -1, -1}, {u"b", 0x400, -1, -1}}},
        // Markup in quotes and after a backslash is text.
        {u"\"<B>\"\\<I>x", {{u"\"<B>\"<I>x", 0, -1, -1}}},
        {u"ab\\\\c\\\"d\"e\"<B>f\\", {{u"ab\\c\"d\"e\"", 0, -1, -1}, {u"f\\", style::Bold, -1, -1}}},
        // Text before BODY and after /BODY is not shown.
        {u"<TITLE>t</TITLE>head<BODY TEXT=RED>body</BODY>tail", {{u"body", 0, -1, -1}}},
        {u"a<CENTER>b</CENTER>c", {{u"a", 0, -1, -1}, {u"\nb\n", style::Centre, -1, -1}, {u"c", 0, -1, -1}}},
        {u"<P ALIGN=RIGHT>a</P><DIV ALIGN=LEFT>b", {{u"\na\n", style::Right, -1, -1}, {u"\nb", 0, -1, -1}}},
        {u"a<BR>b<UNKNOWN x=1>c", {{u"a\nbc", 0, -1, -1}}},
        {u"<BQ>q</BQ>", {{u"\nq\n", 0, 480, -1}}},
        // BASEFONT lasts to the end of its element; a /BASEFONT at the top ends the text.
        {u"<B><BASEFONT COLOR=#00FF00 SIZE=5>a</BASEFONT>b</B>", {{u"a", style::Bold | style::Big, 0x03E0, -1}, {u"b", 0, -1, -1}}},
        {u"<BASEFONT SIZE=2>a</BASEFONT>b", {{u"a", style::Small, -1, -1}}},
        // Links: a target gives the link style; a name alone does not; nested links are ignored.
        {u"<A HREF=\"http://x\">a<A HREF=y>b</A></A>c<A NAME=n>d</A>",
         {{u"ab", style::Link, -1, 0}, {u"c", 0, -1, -1}, {u"d", 0, -1, 1}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runs(ParseHtmlDocument(c.text, 0, 5)), c.expected) << std::u16string(c.text).size();
}

TEST(HtmlDocument, HeaderAndFlags)
{
    HtmlDocument doc = ParseHtmlDocument(u"<TITLE>Tt</TITLE><BODY TEXT=RED BGCOLOR=#0000FF LINK=1 VLINK=-3 LEFTMARGIN=4 TOPMARGIN=x>b", 0, 5);
    EXPECT_EQ(doc.title, u"Tt");
    EXPECT_EQ(doc.textColour, 0x7C00);
    EXPECT_EQ(doc.backgroundColour, 0x001F);
    EXPECT_EQ(doc.linkColour, 1);
    EXPECT_EQ(doc.visitedLinkColour, 0x7C00);
    EXPECT_EQ(doc.leftMargin, 4);
    EXPECT_EQ(doc.topMargin, 0);
    // No markup: one run as it stands; no links: A tags and the header ignored; all bold.
    EXPECT_EQ(runs(ParseHtmlDocument(u"<B>a</B>", html_flags::NoMarkup, 0)), (std::vector<TextRun>{{u"<B>a</B>", 0, -1, -1}}));
    doc = ParseHtmlDocument(u"x<BODY><A HREF=y>a</A>", html_flags::NoLinks | html_flags::AllBold, 0);
    EXPECT_TRUE(doc.links.empty());
    EXPECT_EQ(runs(doc), (std::vector<TextRun>{{u"xa", style::Bold, -1, -1}}));
}

TEST(HtmlDocument, ElementsAndLinksAreBounded)
{
    std::u16string text;
    for (int i = 0; i < 2001; ++i)
        text += u"<B>x</B>";
    EXPECT_EQ(ParseHtmlDocument(text, 0, 0).elements.size(), 2000u);
    text.clear();
    for (int i = 0; i < 501; ++i)
        text += u"<A HREF=h>x</A>";
    const HtmlDocument doc = ParseHtmlDocument(text, 0, 0);
    EXPECT_EQ(doc.links.size(), 500u);
    EXPECT_EQ(doc.elements.back().link, -1);
}

TEST(HtmlDocument, Colours)
{
    EXPECT_EQ(HtmlColorByName(u"red"), 0x7C00);
    EXPECT_EQ(HtmlParseColor(u"#FF0000"), HtmlColorByName(u"RED"));
    EXPECT_EQ(HtmlColorByName(u"Grey"), 0x3DEF);
    EXPECT_EQ(HtmlColorByName(u"orange"), -1);
    EXPECT_EQ(HtmlParseColor(u"#0a1B2c"), (0x0a >> 3) << 10 | (0x1b >> 3) << 5 | (0x2c >> 3));
    EXPECT_EQ(HtmlParseColor(u"1234"), 1234);
    EXPECT_EQ(HtmlParseColor(u"-5"), -1);
    EXPECT_EQ(HtmlParseColor(u"#12345"), -1);
    EXPECT_EQ(HtmlParseColor(u"#12345G"), -1);
    EXPECT_EQ(HtmlParseColor(u"blue"), -1);
}

// The box.

constexpr int32_t kInk = 0x0111;
constexpr uint32_t kPlain = html_flags::NoFrame | html_flags::NoScrollBar | html_flags::ReadOnly;

class HtmlBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.start();
        // Every character one pixel of ink and an advance of 2; the blank 2 wide.
        UnicodeSetSpaceWidth(2);
    }
    void TearDown() override
    {
        UnicodeSetSpaceWidth(8);
        HtmlHooks() = {};
        HtmlVisitedAddresses().clear();
    }

    HTMLBox* box(uint32_t flags, int w, int h, std::u16string_view text, int atX = 0, int atY = 0)
    {
        auto* b = new HTMLBox(nullptr, 3, flags, false, false);
        b->AttachToParent(nullptr);
        b->ResizeTo({atX, atY, atX + w, atY + h});
        b->SetText(text, kInk);
        return b;
    }

    /** Row y of the box's bitmap: '#' ink, 'L' link, 'V' visited link, 'R' red, 'Q' quote colour, '.' nothing. */
    static std::string row(HTMLBox* b, int y)
    {
        GumpBitmap* bitmap = b->Frame(0);
        std::string out;
        for (int x = 0; x < b->width; ++x) {
            const uint16_t p = bitmap->pixel(x, y);
            out += p == 0 ? '.' : p == kInk ? '#' : p == 0x001F ? 'L' : p == 0x7C00 ? 'R' : p == 480 ? 'Q' : p == 0x3DE0 ? 'V' : '?';
        }
        return out;
    }
    static int inkPixels(HTMLBox* b)
    {
        GumpBitmap* bitmap = b->Frame(0);
        int count = 0;
        for (int y = 0; y < b->height; ++y)
            for (int x = 0; x < b->width; ++x)
                count += bitmap->pixel(x, y) != 0;
        return count;
    }

    ScopedUnicodeFonts fonts{1, 1, 1};
    GumpHarness harness;
    GumpEventDriver driver{harness};
};

TEST_F(HtmlBoxTest, SmallDocumentsLayOutPixelForPixel)
{
    struct Case {
        const char* name;
        uint32_t flags;
        int width;
        const char16_t* text;
        std::vector<std::string> lines; // the first pixel row of each line
        const char* underline = nullptr; // row 14 of the first line
    };
    const Case cases[] = {
        {"words", 0, 16, u"ab cd", {"#.#...#.#......."}},
        {"wrapping at blanks", 0, 12, u"abcd efgh ij", {"#.#.#.#.....", "#.#.#.#.....", "#.#........."}},
        {"no wrapping", html_flags::NoWrap, 12, u"abcd efgh", {"#.#.#.#...#."}},
        {"centred", 0, 16, u"<CENTER>ab</CENTER>c", {"................", "......#.#.......", "#..............."}},
        {"right aligned", 0, 16, u"<DIV ALIGN=RIGHT>ab</DIV>", {"................", "............#.#."}},
        {"line break", 0, 8, u"a<BR>b", {"#.......", "#......."}},
        {"bold doubles and widens", 0, 8, u"<B>a</B>b", {"##.#...."}},
        {"colours and the end of the text", 0, 8, u"<BASEFONT COLOR=RED>ab</BASEFONT>c", {"R.R....."}},
        {"block quote", 0, 24, u"<BQ>a</BQ>", {"........................", "....................Q..."}},
        {"link, underlined", 0, 8, u"<A HREF=x>ab</A>c", {"L.L.#..."}, "LLLL...."},
        {"ellipsis", html_flags::Ellipsis, 12, u"abcdefghijk", {"#.#.#.#.#.#."}},
        {"margins", 0, 12, u"<BODY LEFTMARGIN=3 TOPMARGIN=18>ab", {"............", "...#.#......"}},
    };
    for (const Case& c : cases) {
        HTMLBox* b = box(kPlain | c.flags, c.width, 18 * 4, c.text);
        int expectedInk = 0;
        for (size_t line = 0; line < c.lines.size(); ++line) {
            EXPECT_EQ(row(b, static_cast<int>(line) * 18), c.lines[line]) << c.name << " line " << line;
            expectedInk += static_cast<int>(c.width - std::count(c.lines[line].begin(), c.lines[line].end(), '.'));
        }
        if (c.underline != nullptr) {
            EXPECT_EQ(row(b, 14), c.underline) << c.name;
            expectedInk += static_cast<int>(c.width - std::count(c.underline, c.underline + c.width, '.'));
        }
        EXPECT_EQ(inkPixels(b), expectedInk) << c.name;
        CGumpManager::DestroyGump(b);
    }
}

TEST_F(HtmlBoxTest, TheEllipsisEndsTheRun)
{
    HTMLBox* b = box(kPlain | html_flags::Ellipsis, 12, 36, u"abcdefghijk<BR>xy");
    // "abc" and three dots fill the first line; the rest of the run is dropped; the next line shows.
    EXPECT_EQ(row(b, 18), "#.#.........");
}

TEST_F(HtmlBoxTest, LinksOpenAddressesSendCommandsAndScrollToAnchors)
{
    std::vector<std::string> opened;
    std::vector<std::u16string> commands;
    HtmlHooks().openWebPage = [&](const std::string& address) { opened.push_back(address); };
    HtmlHooks().sendMessageCommand = [&](int type, const std::u16string& text) {
        EXPECT_EQ(type, 1);
        commands.push_back(text);
    };
    HTMLBox* b = box(kPlain, 40, 36,
                     u"<A HREF=\"http://a.b/\">web</A> <A HREF=cmd INT>in</A> <A NAME=top>no</A><BR><A HREF=#END>down</A>"
                     u"<BR><BR><BR><BR><A NAME=end>e</A>",
                     100, 100);
    driver.click(100, 100);
    ASSERT_EQ(opened, std::vector<std::string>{"http://a.b/"});
    EXPECT_EQ(row(b, 0).substr(0, 6), "R.R.R."); // the visited colour
    driver.click(100 + 8, 100);
    EXPECT_EQ(commands, std::vector<std::u16string>{u"cmd"});
    // A link with a name alone is no target.
    driver.click(100 + 14, 100);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(commands.size(), 1u);
    ASSERT_EQ(b->ScrollPosition(), 0);
    driver.click(100, 118);
    EXPECT_EQ(b->ScrollPosition(), b->ScrollRange());
    EXPECT_EQ(b->ScrollRange(), 6 * 18 - 36);
    EXPECT_EQ(HtmlVisitedAddresses(), std::vector<std::u16string>({u"http://a.b/", u"cmd"}));
}

TEST_F(HtmlBoxTest, ScrollingKeepsItsRange)
{
    HTMLBox* b = box(kPlain, 20, 36, u"a<BR>b<BR>c<BR>d");
    EXPECT_EQ(b->ScrollRange(), 4 * 18 - 36);
    b->ScrollBy(true);
    EXPECT_EQ(b->ScrollPosition(), 18);
    b->ScrollBy(true);
    b->ScrollBy(true);
    EXPECT_EQ(b->ScrollPosition(), 36);
    EXPECT_EQ(row(b, 0), "#..................."); // "c" at the top
    b->SetScroll(1, 2);
    EXPECT_EQ(b->ScrollPosition(), 18);
    b->SetScroll(5, 0);
    EXPECT_EQ(b->ScrollPosition(), 0);
    b->SetScroll(9, 1);
    EXPECT_EQ(b->ScrollPosition(), 36);
    HTMLBox* bar = box(html_flags::NoFrame, 20, 36, u"a");
    ASSERT_NE(bar->ScrollBar(), nullptr);
    EXPECT_EQ(bar->ScrollBar()->range, 1);
}

TEST_F(HtmlBoxTest, ScrolledDrawsMatchAFreshLayout)
{
    // Scrolling redraws the lines already laid out: the pixels and the links' places must be those
    // a full redraw gives at the same scroll position.
    std::vector<std::string> opened;
    HtmlHooks().openWebPage = [&](const std::string& address) { opened.push_back(address); };
    auto matchesFullRedraw = [](HTMLBox* b) {
        const auto scrolled = b->Frame(0)->pixels;
        b->Redraw();
        return scrolled == b->Frame(0)->pixels;
    };
    // Lines "ab cd", "ef gh" (gh the link), "ij", "k" centred, and the empty line the block ends with.
    HTMLBox* b = box(kPlain, 12, 36, u"ab cd ef <A HREF=x>gh</A> ij<CENTER>k</CENTER>", 100, 100);
    ASSERT_EQ(b->ScrollRange(), 5 * 18 - 36);
    for (const bool down : {true, true, true, false, false}) {
        b->ScrollBy(down);
        EXPECT_TRUE(matchesFullRedraw(b)) << b->ScrollPosition();
    }
    ASSERT_EQ(b->ScrollPosition(), 18);
    EXPECT_EQ(row(b, 0), "#.#...L.L...");
    b->SetScroll(3, 3);
    EXPECT_EQ(row(b, 0), ".....#......");
    EXPECT_TRUE(matchesFullRedraw(b));
    b->SetScroll(1, 3);
    driver.click(100 + 6, 100);
    EXPECT_EQ(opened, std::vector<std::string>{"x"});

    // Typing past the last line scrolls the caret into view.
    HTMLBox* edit = box(html_flags::NoFrame | html_flags::NoScrollBar, 12, 36, u"");
    edit->BeginEdit();
    for (const uint16_t key : {u'a', u'\r', u'b', u'\r', u'c'})
        edit->OnChar(key);
    EXPECT_EQ(edit->ScrollPosition(), 18);
    EXPECT_TRUE(matchesFullRedraw(edit));
}

TEST_F(HtmlBoxTest, EditingKeys)
{
    constexpr uint16_t Home = 0xE024, End = 0xE023, Left = 0xE025, Right = 0xE027, Up = 0xE026, Down = 0xE028,
                       Insert = 0xE02D, Delete = 0xE02E;
    struct Key {
        uint16_t code;
        bool shift = false;
    };
    struct Case {
        const char* name;
        uint32_t flags;
        std::vector<Key> keys;
        std::u16string text;
        int caret;
        int selectionEnd;
    };
    const Case cases[] = {
        {"typing", 0, {{'a'}, {'b'}, {'c'}}, u"abc", 3, 3},
        {"backspace", 0, {{'a'}, {'b'}, {8}, {8}, {8}}, u"", 0, 0},
        {"arrows and home", 0, {{'a'}, {'b'}, {Left}, {'x'}, {Home}, {'y'}, {End}, {'z'}}, u"yaxbz", 5, 5},
        {"shift selects, typing replaces", 0, {{'a'}, {'b'}, {'c'}, {Left, true}, {Left, true}, {'q'}}, u"aq", 2, 2},
        {"shift+delete cuts, shift+insert pastes", 0,
         {{'a'}, {'b'}, {Home, true}, {Delete, true}, {Insert, true}, {Insert, true}}, u"abab", 4, 4},
        {"delete at the caret", 0, {{'a'}, {'b'}, {Home}, {Delete}, {Right}}, u"b", 1, 1},
        {"tab", 0, {{9}}, u"    ", 4, 4},
        {"enter and lines", 0, {{'a'}, {13}, {'b'}, {Up}, {'c'}}, u"ac\nb", 2, 2},
        {"down", 0, {{'a'}, {13}, {'b'}, {Home}, {Down}, {'c'}}, u"a\ncb", 3, 3},
        {"short text takes no enter", html_flags::ShortText, {{'a'}, {13}, {Up}}, u"a", 1, 1},
        {"escape ends the edit", 0, {{'a'}, {27}, {'b'}}, u"a", -1, -1},
        {"read only takes nothing", html_flags::ReadOnly, {{'a'}, {9}}, u"old", -1, -1},
    };
    for (const Case& c : cases) {
        HTMLBox* b = box(html_flags::NoFrame | html_flags::NoScrollBar | c.flags, 60, 60, u"old");
        if ((c.flags & html_flags::ReadOnly) == 0)
            b->BeginEdit();
        for (const Key& k : c.keys) {
            harness.window().setModifiers({false, k.shift, false});
            b->OnChar(k.code);
        }
        harness.window().setModifiers({});
        EXPECT_EQ(b->Text(), c.text) << c.name;
        EXPECT_EQ(b->Caret(), c.caret) << c.name;
        EXPECT_EQ(b->SelectionEnd(), c.selectionEnd) << c.name;
        CGumpManager::DestroyGump(b);
    }
    HtmlClipboard().clear();
}

TEST_F(HtmlBoxTest, InsertionsStopAtTheLimit)
{
    HTMLBox* b = box(html_flags::NoFrame | html_flags::NoScrollBar | html_flags::ShortText, 60, 20, u"");
    b->BeginEdit();
    for (int i = 0; i < 120; ++i)
        b->OnChar('a');
    // Insertions stop once the text holds more than 100 characters.
    EXPECT_EQ(b->Text().size(), 101u);
}

TEST_F(HtmlBoxTest, ClickPlacesTheCaretAndDragSelects)
{
    HTMLBox* b = box(html_flags::NoFrame | html_flags::NoScrollBar, 40, 36, u"gone", 50, 50);
    driver.click(50, 50);
    // The first click empties the text.
    EXPECT_EQ(b->Text(), u"");
    EXPECT_EQ(CGumpManager::Focus(), b);
    for (char c : std::string("abcdef"))
        b->OnChar(static_cast<uint16_t>(c));
    driver.click(50 + 4, 50);
    EXPECT_EQ(b->Caret(), 2);
    driver.drag(50 + 2, 50, 50 + 8, 50);
    EXPECT_EQ(b->Caret(), 1);
    EXPECT_EQ(b->SelectionEnd(), 4);
    // Selected characters are half bright on inverted cells.
    EXPECT_EQ(b->Frame(0)->pixel(2, 0), static_cast<uint16_t>((kInk >> 1) & 0x3DEF));
    EXPECT_EQ(b->Frame(0)->pixel(3, 0), 1);
    EXPECT_EQ(b->Frame(0)->pixel(0, 0), kInk);
}

TEST_F(HtmlBoxTest, ResizingKeepsThirtyPixels)
{
    HTMLBox* b = box(html_flags::NoFrame | html_flags::NoScrollBar, 40, 40, u"a", 100, 100);
    b->resizable = 1;
    harness.window().setModifiers({false, true, false});
    // Narrowing stops at 30 pixels: from there on the box keeps its size.
    driver.drag(110, 110, 90, 130);
    EXPECT_EQ(b->width, 30);
    EXPECT_EQ(b->height, 50);
    driver.drag(110, 110, 124, 100);
    EXPECT_EQ(b->width, 44);
    EXPECT_EQ(b->height, 40);
    harness.window().setModifiers({});
    // Without Shift a drag of a resizable box that moves by drag moves it.
    b->movesByDrag = 1;
    driver.drag(110, 110, 120, 115);
    EXPECT_EQ(b->x, 110);
    EXPECT_EQ(b->y, 105);
}

class HtmlFramedBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 9; ++i)
            harness.addGumpArt(3500 + i, TestImage::solid(2, 2, static_cast<uint16_t>(0x0600 + i)));
        harness.addGumpArt(HTMLBox::kScrollBarArt, TestImage::solid(4, 8, 0x0700));
        harness.start();
        UnicodeSetSpaceWidth(2);
    }
    void TearDown() override { UnicodeSetSpaceWidth(8); }

    ScopedUnicodeFonts fonts{1, 1, 1};
    GumpHarness harness;
};

TEST_F(HtmlFramedBoxTest, TheFrameSurroundsTheTextAreaBesideTheScrollBar)
{
    auto* b = new HTMLBox(nullptr, 0, html_flags::ReadOnly, false, false);
    b->AttachToParent(nullptr);
    b->ResizeTo({10, 10, 30, 30});
    b->SetText(u"ab<BR>c<BR>d", kInk);
    EXPECT_EQ(b->TextArea().left, 2);
    EXPECT_EQ(b->TextArea().top, 2);
    EXPECT_EQ(b->TextArea().right, 20 - 2 - 4);
    EXPECT_EQ(b->TextArea().bottom, 20 - 2);
    GumpBitmap* bitmap = b->Frame(0);
    // Corners, edges and the centre tiled between them; text over the centre.
    const std::tuple<int, int, uint16_t> pixels[] = {{0, 0, 0x0600}, {2, 0, 0x0601}, {19, 0, 0x0602}, {0, 5, 0x0603},
                                                     {5, 5, 0x0604}, {19, 5, 0x0605}, {0, 19, 0x0606}, {9, 19, 0x0607},
                                                     {19, 19, 0x0608}, {2, 2, kInk}, {3, 2, 0x0604}, {4, 2, kInk}};
    for (const auto& [px, py, colour] : pixels)
        EXPECT_EQ(bitmap->pixel(px, py), colour) << px << "," << py;
    // Three lines in a 16-pixel area: the scroll bar is told its range.
    ASSERT_NE(b->ScrollBar(), nullptr);
    EXPECT_EQ(b->ScrollBar()->x, 16);
    EXPECT_EQ(b->ScrollBar()->range, 3 * 18 - 16);
    b->ScrollBy(true);
    EXPECT_EQ(b->ScrollBar()->position, 18);
    EXPECT_EQ(b->Frame(0)->pixel(2, 2), kInk); // "c" at the top now
    EXPECT_EQ(b->Frame(0)->pixel(4, 2), 0x0604);
}


// Boxes given their text before their size and then scrolled, as the windows and the server gumps
// do, in fonts whose glyphs differ in size, offset and shape. Each case is pinned by a digest of
// everything the box shows after each step: pixels, scroll state, scroll bar, links' places and
// the dirty rectangle.
class HtmlBoxStepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.start();
        for (int f = 0; f < 3; ++f) {
            std::map<char16_t, testsupport::UnicodeGlyphSpec> glyphs;
            auto add = [&](char16_t c, int width, int height, int dx, int dy) {
                testsupport::UnicodeGlyphSpec g;
                g.xOffset = static_cast<int8_t>(dx);
                g.yOffset = static_cast<int8_t>(dy);
                for (int r = 0; r < height; ++r) {
                    std::string row;
                    for (int m = 0; m < width; ++m)
                        row += (r + m + c) % 3 != 0 || m == width - 1 ? '#' : '.';
                    g.rows.push_back(row);
                }
                glyphs[c] = g;
            };
            for (char16_t c = u'!'; c <= u'~'; ++c)
                add(c, 1 + (c + f) % 5, 2 + c % 9, c % 3 - 1, c % 7 + 2 * f);
            for (char16_t c = 0x3000; c < 0x3010; ++c)
                add(c, 7 - f, 10, 0, 3);
            for (char16_t c = 0x4E00; c < 0x4E08; ++c)
                add(c, 8 - f, 12, 1, 2);
            fonts_[static_cast<size_t>(f)] = testsupport::buildUnicodeFont(glyphs);
            setUnicodeFontData(f, fonts_[static_cast<size_t>(f)].data(), fonts_[static_cast<size_t>(f)].size());
        }
        UnicodeSetSpaceWidth(3);
    }
    void TearDown() override
    {
        UnicodeSetSpaceWidth(8);
        unloadUnicodeFonts();
        HtmlVisitedAddresses().clear();
    }

    static void add(uint64_t& digest, int64_t value)
    {
        for (int b = 0; b < 8; ++b) {
            digest ^= static_cast<uint8_t>(value >> (8 * b));
            digest *= 0x100000001B3ull;
        }
    }
    static void addState(uint64_t& digest, HTMLBox* b)
    {
        const GumpBitmap* bitmap = b->Frame(0);
        for (int y = 0; y < b->height; ++y)
            for (int x = 0; x < b->width; ++x)
                add(digest, bitmap->pixel(x, y));
        for (const int v : {b->ScrollPosition(), b->ScrollRange(), b->TextArea().left, b->TextArea().top,
                            b->TextArea().right, b->TextArea().bottom})
            add(digest, v);
        if (b->ScrollBar() != nullptr) {
            add(digest, b->ScrollBar()->position);
            add(digest, b->ScrollBar()->range);
        }
        for (const HtmlLink& link : b->Document().links) {
            add(digest, link.documentY);
            for (const HtmlRect& r : link.hotRects)
                for (const int v : {r.left, r.top, r.right, r.bottom})
                    add(digest, v);
        }
        const GumpRect dirty = CGumpManager::TakeDirty();
        for (const int v : {dirty.left, dirty.top, dirty.right, dirty.bottom})
            add(digest, v);
    }

    /** Gives a new box the text, then the size, then takes the steps; adds what it shows after each to the digest. */
    void run(uint64_t& digest, uint32_t flags, int width, int height, std::u16string_view text, const char* steps);

    std::array<std::vector<uint8_t>, 3> fonts_;
    GumpHarness harness;
};

TEST_F(HtmlBoxStepsTest, TextThenSizeThenStepsShowWhatTheyShowed)
{
    using namespace html_flags;
    // Steps: d and u scroll down and up, s scrolls to the middle, i inverts the box, v makes "x" a
    // visited address, e starts an edit (the caret shows), r selects the last two characters.
    struct Case {
        const char* name;
        uint32_t flags;
        int width;
        int height;
        const char16_t* text;
        const char* steps;
        uint64_t digest;
    };
    const Case cases[] = {
        {"plain words, no scroll", NoFrame | ReadOnly, 60, 40, u"The quick brown fox jumps over the lazy dog", "",
         0x16539567accca63f},
        {"wrapped and scrolled down past the end", NoFrame, 50, 30,
         u"The quick brown fox jumps over the lazy dog again and again", "dddd", 0x4b1a9a650a9ad1fb},
        {"down then up", NoFrame | NoScrollBar, 40, 36, u"one two three four five six seven eight", "ddu",
         0xf758fff7126b074d},
        {"up at the top", NoFrame, 40, 36, u"one two three<BR>four", "uu", 0x49dc5ef72cec0c8f},
        {"short text, one line", NoFrame, 20, 18, u"ab", "ddd", 0x4bd81e8757491e07},
        {"styles, alignment, quotes", NoFrame, 90, 60,
         u"<H1>Title</H1><CENTER>mid</CENTER><DIV ALIGN=RIGHT>r<I>i</I><B>b</B><U>u</U></DIV><BQ>quoted "
         u"text here</BQ><SMALL>small</SMALL> <BIG>big</BIG>",
         "dsdu", 0xa8fbee5fe4487ff4},
        {"links, anchors and visited", NoFrame, 70, 40,
         u"<A HREF=x>link one</A> and <A NAME=a>anchor</A><BR><A HREF=y INT>two</A><BR><BR>end", "dvdui",
         0x99159aa3ab7441fa},
        {"visited between still steps", NoFrame | NoScrollBar, 70, 60, u"<A HREF=x>ab</A> cd", "uvu", 0x83ff51aed4d8a9e},
        {"inverted between still steps", NoFrame | NoScrollBar, 30, 30, u"ab cd", "uiu", 0x8af4a6335e33068c},
        {"ellipsis", NoFrame | Ellipsis, 30, 40, u"abcdefghijklmnop<BR>qrstuvwxyz<BR>x", "dd", 0xd475829e0a1de76f},
        {"no wrap, short text", NoFrame | NoWrap | ShortText, 30, 20, u"abcdefghijklmnop qrst", "d", 0x4cfb6f89a9d12237},
        {"shrink to fit", NoFrame | ShrinkToFit, 40, 60, u"<BIG>abcdefghij</BIG> <BIG>ab</BIG> klmnopqrstuvw", "d",
         0x1dbf7ee25f74ea87},
        {"first element, all bold and italic", NoFrame | FirstElementOnly | AllBold | AllItalic, 50, 40,
         u"abc def<BR>ghi", "d", 0x5d967b0c422078c7},
        {"ideographs break anywhere", NoFrame, 30, 40,
         u"\u4E00\u4E01\u300C\u4E02\u4E03\u3002\u4E04\u4E05\u4E06\u3001\u4E07 ab", "ddu", 0x9649ad6b16a446e9},
        {"background colour and margins", NoFrame, 50, 50,
         u"<BODY BGCOLOR=#102030 TEXT=RED LEFTMARGIN=4 TOPMARGIN=7 RIGHTMARGIN=3 BOTTOMMARGIN=5>ab cd ef gh ij kl mn",
         "dddu", 0x99c244782826ff1},
        {"framed box without art", 0, 40, 40, u"framed text that wraps", "dd", 0xd3795c9f1ff63329},
        {"no markup", NoFrame | NoMarkup, 40, 40, u"<B>not bold</B> & more", "d", 0xc5517a5961ac2607},
        {"editing shows the caret", NoFrame, 40, 40, u"abc def ghi jkl mno", "eddu", 0xc66e1337b4ba2b9},
        {"selection", NoFrame, 40, 40, u"abc def ghi jkl mno", "erdu", 0x513ff1bd9bcecd67},
        {"empty box", NoFrame, 1, 1, u"abc", "du", 0xc9581d761adc96ab},
        {"tall glyphs in a low box", NoFrame, 45, 5, u"gjpqy GJPQY", "d", 0xef8d506d7c213d47},
    };
    for (const Case& c : cases) {
        uint64_t digest = 0xCBF29CE484222325ull;
        run(digest, c.flags, c.width, c.height, c.text, c.steps);
        EXPECT_EQ(digest, c.digest) << c.name << " 0x" << std::hex << digest;
    }
}

TEST_F(HtmlBoxStepsTest, GeneratedDocumentsShowWhatTheyShowed)
{
    // Random mixes of words, tags, ideographs, blanks and line breaks in boxes of random flags and
    // sizes, scrolled a few steps: one digest over them all.
    const char16_t* pieces[] = {u"ab", u"word", u"x", u"longerword", u" ", u"  ", u"\n", u"\r", u"<BR>",
                                u"<B>", u"</B>", u"<I>", u"</I>", u"<U>", u"<BIG>", u"<SMALL>", u"<H2>", u"</H2>",
                                u"<CENTER>", u"</CENTER>", u"<DIV ALIGN=RIGHT>", u"</DIV>", u"<BQ>", u"</BQ>",
                                u"<A HREF=x>", u"<A NAME=n>", u"<A HREF=#n>", u"</A>", u"\u4E00\u4E01",
                                u"\u300C\u4E02", u"\u3002", u"\u3001\u4E03\u4E04", u"\u00A0", u"\u0001",
                                u"<BASEFONT COLOR=RED>", u"</BASEFONT>", u"<BODY LEFTMARGIN=5 RIGHTMARGIN=9>",
                                u"<P>", u"</P>", u"\"q<\"", u"\\<"};
    using namespace html_flags;
    const uint32_t flagChoices[] = {NoFrame,
                                    NoFrame | NoWrap,
                                    NoFrame | Ellipsis,
                                    NoFrame | ShrinkToFit,
                                    NoFrame | ShortText,
                                    NoFrame | AllBold | AllItalic,
                                    0,
                                    NoFrame | FirstElementOnly | NoScrollBar,
                                    NoFrame | NoLinks | ReadOnly};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    uint64_t digest = 0xCBF29CE484222325ull;
    for (int i = 0; i < 150; ++i) {
        std::u16string text;
        const uint32_t count = next(40);
        for (uint32_t k = 0; k < count; ++k)
            text += pieces[next(std::size(pieces))];
        const char* stepChoices[] = {"", "d", "u", "dd", "ddd", "du", "uuu", "dud"};
        run(digest, flagChoices[next(std::size(flagChoices))], 1 + static_cast<int>(next(120)),
            1 + static_cast<int>(next(100)), text, stepChoices[next(std::size(stepChoices))]);
    }
    EXPECT_EQ(digest, 0xe44d0e91d0fb85fbu) << " 0x" << std::hex << digest;
}

void HtmlBoxStepsTest::run(uint64_t& digest, uint32_t flags, int width, int height, std::u16string_view text,
                           const char* steps)
{
    auto* b = new HTMLBox(nullptr, 0, flags, false, false);
    b->AttachToParent(nullptr);
    b->SetText(text, 0x1234);
    b->ResizeTo({5, 7, 5 + width, 7 + height});
    addState(digest, b);
    for (const char* s = steps; *s != 0; ++s) {
        switch (*s) {
        case 'd': b->ScrollBy(true); break;
        case 'u': b->ScrollBy(false); break;
        case 's': b->SetScroll(1, 2); break;
        case 'i': b->inverted = 1; break;
        case 'v': HtmlVisitedAddresses().push_back(u"x"); break;
        case 'e':
            b->clearOnFirstEdit = 0;
            b->BeginEdit();
            break;
        case 'r':
            harness.window().setModifiers({false, true, false});
            b->OnChar(0xE023);
            b->OnChar(0xE025);
            b->OnChar(0xE025);
            harness.window().setModifiers({});
            break;
        default: FAIL() << *s;
        }
        addState(digest, b);
    }
    CGumpManager::DestroyGump(b);
    HtmlVisitedAddresses().clear();
}

} // namespace
