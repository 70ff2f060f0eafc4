/** @file Tests of the text field: typing, caret and scroll, limits and paste, number mode, password, filters, mouse, picking a mobile. */
#include "client/core/main_window.h"
#include "client/data/font_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/world/world_objects.h"
#include "platform/window/virtual_keys.h"
#include "tests/gumps/text_entry_fixture.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>

namespace {

using testsupport::TestImage;
using testsupport::TextEntryTest;
using Events = std::vector<std::string>;
namespace vk = platform::vk;

std::string textOf(const CInputControlGump* f)
{
    return f->Text();
}

/** A font of uneven glyphs: widths 1-7, heights 4-8 on verticals 0-2, no 'q' and nothing past 127. */
std::unique_ptr<CFont> unevenFont()
{
    auto uneven = std::make_unique<CFont>();
    for (int c = 32; c < 128; ++c) {
        if (c == 'q')
            continue;
        const int w = c == ' ' ? 3 : 1 + c % 7, h = 4 + c % 5;
        uneven->glyphs[static_cast<size_t>(c - 32)] =
            std::make_unique<FontGlyph>(FontGlyph{w, h, std::vector<uint16_t>(static_cast<size_t>(w * h), 0x0123)});
        uneven->verticals[static_cast<size_t>(c - 32)] = c % 3;
    }
    return uneven;
}

TEST_F(TextEntryTest, TypingEditsAtTheCaretAndReportsEachKeptChange)
{
    CInputControlGump* f = field();
    clickField(f);
    EXPECT_EQ(CGumpManager::Focus(), f);
    EXPECT_EQ(take(), Events{"press"});

    type("abc");
    driver.keyDown(vk::Left);
    driver.keyDown(vk::Left);
    type("X");
    EXPECT_EQ(textOf(f), "aXbc");
    EXPECT_EQ(f->caret, 2);
    driver.keyDown(vk::Home);
    driver.typeChar(8); // Backspace at the start changes nothing
    type("Y");
    driver.keyDown(vk::End);
    driver.keyDown(vk::Delete); // Delete at the end changes nothing
    driver.keyDown(vk::Right);
    EXPECT_EQ(f->caret, 5);
    driver.typeChar(8);
    EXPECT_EQ(textOf(f), "YaXb");
    driver.keyDown(vk::Home);
    driver.keyDown(vk::Delete);
    EXPECT_EQ(textOf(f), "aXb");
    EXPECT_EQ(f->caret, 0);
    // Seven kept edits: a, b, c, X, Y, Backspace, Delete; caret moves are no changes.
    EXPECT_EQ(take(), Events(7, "changed"));

    // Control characters other than the editing ones, and keys without a glyph, are refused.
    driver.typeChar(1);
    driver.typeChar(31);
    driver.keyDown(vk::Prior);
    EXPECT_EQ(textOf(f), "aXb");
    EXPECT_TRUE(take().empty());
}

TEST_F(TextEntryTest, TabEnterAndEscapeGoToTheParentOnly)
{
    CInputControlGump* f = field();
    clickField(f);
    take();
    type("ab");
    take();
    driver.typeChar(9);
    driver.typeChar(13);
    f->OnTypedChar(27); // the window procedure turns Escape into Tab; the field passes both on
    EXPECT_EQ(take(), (Events{"tab", "enter", "escape"}));
    EXPECT_EQ(textOf(f), "ab");

    // A read-only field ignores every key, these too.
    f->readOnly = 1;
    driver.typeChar(9);
    type("z");
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(textOf(f), "ab");
}

TEST_F(TextEntryTest, TheTextNeverOutgrowsItsLimitOrItsBuffer)
{
    CInputControlGump* f = field(120, CInputControlGump::ModeText, 5);
    clickField(f);
    type("abcdefgh");
    EXPECT_EQ(textOf(f), "abcde");

    // A limit beyond the 188-byte buffer (a server's edit limit) is held to the buffer.
    f->SetLimit(100000);
    EXPECT_EQ(f->Limit(), CInputControlGump::kTextSize - 1);
    for (int i = 0; i < 400; ++i)
        driver.typeChar('x');
    EXPECT_EQ(f->Length(), CInputControlGump::kTextSize - 1);
    f->SetText(std::string(500, 'y'));
    EXPECT_EQ(f->Length(), CInputControlGump::kTextSize - 1);
}

TEST_F(TextEntryTest, PasteIsCutToTheFieldsRoom)
{
    struct Case {
        int limit;
        int multiLine;
        std::string clipboard;
        std::string expected;
    } cases[] = {
        {10, 0, "hello\rworld", "hello"},                 // one line stops at the first CR
        {6, 0, "abcdefghij", "abcdef"},                   // cut at the limit
        {187, 0, std::string(120, 'p'), std::string(80, 'p')}, // a single-line paste takes at most 80
    };
    for (const Case& c : cases) {
        CInputControlGump* f = field(2000, CInputControlGump::ModeText, c.limit);
        f->multiLine = c.multiLine;
        clickField(f);
        harness.window().setClipboard(c.clipboard);
        PasteClipboardText();
        EXPECT_EQ(textOf(f), c.expected) << c.clipboard;
        CGumpManager::DestroyGump(f);
    }
}

TEST_F(TextEntryTest, NumberModeTakesDigitsUpToTheLimit)
{
    CInputControlGump* f = field(120, CInputControlGump::ModeNumber, 250);
    EXPECT_EQ(f->caret, 1);
    clickField(f);
    type("2a5-9");
    EXPECT_EQ(f->value, 25); // 259 is above the limit, letters are not digits
    driver.typeChar(8);
    EXPECT_EQ(f->value, 2);
    EXPECT_EQ(f->caret, 1);

    // The product is taken in 64 bits: a digit past the largest limit is refused, not wrapped.
    f->SetLimit(INT_MAX);
    f->value = 214748364;
    type("8");
    EXPECT_EQ(f->value, 214748364);
    type("7");
    EXPECT_EQ(f->value, INT_MAX);

    // Another mode number shows the value but takes no digits.
    CInputControlGump* other = field(120, 5, 100);
    clickField(other);
    type("12");
    EXPECT_EQ(other->value, 0);
}

TEST_F(TextEntryTest, APasswordFieldShowsAStarPerCharacterAndPlacesTheCaretOnThem)
{
    CInputControlGump* secret = field();
    secret->password = 1;
    CInputControlGump* plain = field();
    plain->y = 40;
    plain->SetText("****");
    secret->SetText("abcd");
    EXPECT_EQ(secret->Picture()->pixels, plain->Picture()->pixels);

    // A click 2.5 stars in places the caret after the second character.
    clickField(secret, 2 * kGlyphWidth + 3);
    EXPECT_EQ(secret->caret, 2);
    EXPECT_EQ(textOf(secret), "abcd");
}

TEST_F(TextEntryTest, AStopWhenFullFieldRefusesTheCharacterThatWouldNotFit)
{
    // Text and "_" must stay narrower than width - 6: 40 - 6 = 34 holds "_" and four characters.
    CInputControlGump* f = field(40);
    f->stopWhenFull = 1;
    clickField(f);
    type("abcdef");
    EXPECT_EQ(textOf(f), "abcd");
    EXPECT_EQ(f->firstShown, 0);
    EXPECT_EQ(take(), (Events{"press", "changed", "changed", "changed", "changed"}));
}

TEST_F(TextEntryTest, AFieldThatStopsWhenFullTakesWhatTheWholeRewrapTakes)
{
    FontManager::replaceFont(1, unevenFont());

    // The field's rule: its shown text with "_" after it fits in one line narrower than width - 6,
    // or, multi-line, wraps at width - 6 into lines less tall than the field.
    auto fitsWhole = [](const std::string& shown, int width, int height, bool multiLine) {
        const std::string probe = shown + "_";
        if (!multiLine)
            return FontManager::GetStringWidthN(1, static_cast<int32_t>(probe.size()), probe.c_str()) < width - 6;
        int32_t widest = 0, total = 0, baseline = 0;
        FontManager::CalcInfoWrap(1, probe.c_str(), width - 6, &widest, &total, &baseline, 0);
        return total < height;
    };
    struct Case {
        int width, height, multiLine, password;
        std::string keys; // '^' Home, '>' End
    } cases[] = {
        {40, 24, 1, 0, "aa bb cc dd ee ff gg hh ii jj kk ll mm"},
        {40, 24, 1, 0, " x  y   z    w     v      u       t"},     // leading spaces and runs of them
        {40, 24, 1, 0, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOP"}, // no space: hard breaks
        {40, 20, 1, 0, "gggg jjjj yyyy }}}} ~~~~ ssss gggg jjjj"},   // tall and low glyphs
        {40, 24, 1, 0, "one two^zz y>three four five six"},          // typed at the start too
        {8, 12, 1, 0, "bi A bbb ii AA wwww i b i b"},                 // glyphs wider than the wrap
        {40, 14, 1, 1, "a password typed in stars only, long enough for three lines"},
        {40, 24, 0, 0, "single line q fills up"},
        {40, 24, 0, 1, "a single line of stars, as long as it gets"},
    };
    for (const Case& c : cases) {
        auto* f = new CInputControlGump(10, 10, window, c.width, c.height, CInputControlGump::ModeText, 187, 1, 902, 1, 0, 0);
        f->multiLine = c.multiLine;
        f->stopWhenFull = 1 - c.multiLine;
        f->password = c.password;
        clickField(f);
        std::string model;
        size_t caret = 0, refused = 0;
        for (char k : c.keys) {
            if (k == '^' || k == '>') {
                driver.keyDown(k == '^' ? vk::Home : vk::End);
                caret = k == '^' ? 0 : model.size();
                continue;
            }
            driver.typeChar(static_cast<uint8_t>(k));
            std::string next = model;
            next.insert(caret, 1, k);
            const std::string shown = c.password != 0 ? std::string(next.size(), '*') : next;
            if (FontManager::HasGlyph(1, static_cast<uint8_t>(k)) != 0 && fitsWhole(shown, c.width, c.height, c.multiLine != 0)) {
                model = next;
                ++caret;
            } else {
                ++refused;
            }
        }
        EXPECT_EQ(textOf(f), model) << c.keys;
        EXPECT_EQ(f->caret, static_cast<int>(caret)) << c.keys;
        EXPECT_GT(refused, 1u) << c.keys; // the field filled up
        CGumpManager::DestroyGump(f);
    }
}

TEST_F(TextEntryTest, ALongTextScrollsToKeepTheCaretShown)
{
    CInputControlGump* f = field(40);
    clickField(f);
    type("abcdefghij");
    // The caret stays within width - 12 = 28 pixels of the first shown character.
    EXPECT_EQ(f->firstShown, 6);
    for (int i = 0; i < 4; ++i)
        driver.keyDown(vk::Left);
    EXPECT_EQ(f->firstShown, 6);
    driver.keyDown(vk::Left); // the caret falls before the first shown one: back by 8, not below 0
    EXPECT_EQ(f->caret, 5);
    EXPECT_EQ(f->firstShown, 0);
    driver.keyDown(vk::End);
    type("k");
    driver.keyDown(vk::Home);
    EXPECT_EQ(f->firstShown, 0);
    EXPECT_EQ(f->caret, 0);
}

TEST_F(TextEntryTest, TheScrollAfterEachKeyIsTheOneMeasuredOnTheShownText)
{
    FontManager::replaceFont(1, unevenFont());
    // The scroll as first written: after a typed character the first shown one moves right until
    // the shown text from it to the caret is narrower than width - 12; a caret left of it moves
    // it back by 8 (not below 0).
    auto widthOf = [](const std::string& s) {
        return FontManager::GetStringWidthN(1, static_cast<int32_t>(s.size()), s.c_str());
    };
    struct Case {
        int width, password;
        std::string keys; // '<' Left, '^' Home, '>' End
    } cases[] = {
        {40, 0, "abcdefghijklmnopqrstuvwxyz<<<<<<<<<<<<XY^Z>0123456789"},
        {40, 0, "wwwwwwww  i i i iiiiiii<<<<<<q<<<<<<<<<<<<<<<<mmmmm"},     // wide, narrow and a missing glyph
        {40, 1, "abcdefghijklmnopqrstuvwxyz<<<<<<<<<<<<XY^Z>0123456789"},
        {13, 0, "abcdef<<<gh>ij"},                                         // room for one narrow glyph
        {8, 1, "abc<de^fg>h"},                                             // narrower than the margins
    };
    for (const Case& c : cases) {
        auto* f = new CInputControlGump(10, 10, window, c.width, 16, CInputControlGump::ModeText, 187, 1, 902, 1, 0, 0);
        f->password = c.password;
        clickField(f);
        std::string text;
        int caret = 0, first = 0;
        for (char k : c.keys) {
            if (k == '<') {
                driver.keyDown(vk::Left);
                caret = std::max(caret - 1, 0);
            } else if (k == '^') {
                driver.keyDown(vk::Home);
                caret = first = 0;
            } else if (k == '>') {
                driver.keyDown(vk::End);
                caret = static_cast<int>(text.size());
            } else {
                driver.typeChar(static_cast<uint8_t>(k));
                if (FontManager::HasGlyph(1, static_cast<uint8_t>(k)) != 0) {
                    text.insert(static_cast<size_t>(caret), 1, k);
                    ++caret;
                    const std::string shown = c.password != 0 ? std::string(text.size(), '*') : text;
                    while (first < caret && widthOf(shown.substr(static_cast<size_t>(first), static_cast<size_t>(caret - first))) >= c.width - 12)
                        ++first;
                }
            }
            while (caret < first)
                first = std::max(first - 8, 0);
            ASSERT_EQ(textOf(f), text) << c.keys << " at " << k;
            ASSERT_EQ(f->caret, caret) << c.keys << " at " << k;
            ASSERT_EQ(f->firstShown, first) << c.keys << " at " << k;
        }
        CGumpManager::DestroyGump(f);
    }
}

TEST_F(TextEntryTest, TypedUnitsBecomeTheFontsCodesInBothModes)
{
    struct Case {
        uint8_t unicodeSpeech;
        uint16_t unit;
        int expected; // -1: refused
    } cases[] = {
        {0, u'a', 'a'},  {0, 0x00E9, 0xE9}, {0, 0x20AC, 0x80}, {0, 0x2019, 0x92}, {0, 0x0416, -1}, {0, 0x0081, -1},
        {1, u'a', 'a'},  {1, 0x00E9, 0xE9}, {1, 0x20AC, -1},   {1, 0x0416, -1},
    };
    for (const Case& c : cases) {
        UnicodeSpeech = c.unicodeSpeech;
        CInputControlGump* f = field();
        clickField(f);
        driver.typeChar(c.unit);
        const std::string expected = c.expected < 0 ? "" : std::string(1, static_cast<char>(c.expected));
        EXPECT_EQ(textOf(f), expected) << int(c.unicodeSpeech) << " " << c.unit;
        CGumpManager::DestroyGump(f);
    }
}

TEST_F(TextEntryTest, FiltersRefuseCharactersOutsideTheirSet)
{
    CInputControlGump* alnum = field();
    alnum->lettersAndDigitsOnly = 1;
    clickField(alnum);
    type("a1 -.'B_");
    EXPECT_EQ(textOf(alnum), "a1B");

    CInputControlGump* names = field();
    names->y = 40;
    names->nameCharactersOnly = 1;
    clickField(names);
    type("Jo O'Neil-Sr.!?");
    EXPECT_EQ(textOf(names), "Jo O'Neil-Sr.");
}

TEST_F(TextEntryTest, ClicksMoveTheFocusAndADropDownFieldAsksItsParent)
{
    CInputControlGump* first = field();
    CInputControlGump* second = field();
    second->y = 40;
    second->artId = 2444;
    clickField(second);
    EXPECT_EQ(CGumpManager::Focus(), second);
    clickField(first, 3 * kGlyphWidth);
    EXPECT_EQ(CGumpManager::Focus(), first);
    EXPECT_EQ(second->artId, 2443); // the unfocused look

    CInputControlGump* choice = field(120, CInputControlGump::ModeDropDown);
    choice->y = 70;
    choice->editable = 0;
    take();
    clickField(choice);
    EXPECT_EQ(take(), (Events{"press", "drop-down"}));
    EXPECT_EQ(CGumpManager::Focus(), first);
}

class FakeMobile : public CObj {
public:
    uint32_t GetSerial() const override { return 0x00012345; }
};

TEST_F(TextEntryTest, ADoubleClickOnAPickFieldTargetsAMobileAndAsksItsName)
{
    CInputControlGump* f = field();
    f->pickMobile = 1;
    f->editable = 0;
    CGumpManager::WorldHooks().isMobile = [](CObj* o) { return dynamic_cast<FakeMobile*>(o) != nullptr; };
    clickField(f);
    driver.pass(50);
    clickField(f);
    EXPECT_EQ(take(), (Events{"press", "press", "double-click"}));
    EXPECT_EQ(systemMessages, std::vector<std::string>{"Select a player."});
    EXPECT_TRUE(g_bTargetMode);
    EXPECT_EQ(g_worldTargetKind, 2);
    ASSERT_EQ(g_worldTargetCallback, &CInputControlGump::PickCallback);
    EXPECT_EQ(CInputControlGump::PendingPickField(), f);

    // The ground (no object) is no mobile: the field is left alone and the cursor goes.
    g_worldTargetCallback(nullptr);
    EXPECT_EQ(systemMessages.back(), "Not a mobile.");
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_EQ(textOf(f), "");

    FakeMobile mobile;
    harness.packets().packets.clear();
    CInputControlGump::PickCallback(&mobile);
    EXPECT_EQ(textOf(f), "(mobile)");
    EXPECT_EQ(f->value, 0x12345);
    EXPECT_EQ(take(), Events{"changed"});
    ASSERT_EQ(harness.packets().packets.size(), 1u);
    EXPECT_EQ(harness.packets().packets[0], (std::vector<uint8_t>{0x98, 0x00, 0x07, 0x00, 0x01, 0x23, 0x45}));
    CInputControlGump::TakePickedName("Aldous");
    EXPECT_EQ(textOf(f), "Aldous");
    EXPECT_EQ(CInputControlGump::PendingPickField(), nullptr);
}

TEST_F(TextEntryTest, ADoubleClickWhileATargetIsUpLeavesTheTargetAlone)
{
    CInputControlGump* f = field();
    f->pickMobile = 1;
    g_bTargetMode = true;
    clickField(f);
    clickField(f);
    EXPECT_TRUE(systemMessages.empty());
    EXPECT_EQ(g_worldTargetCallback, nullptr);
    EXPECT_EQ(CInputControlGump::PendingPickField(), nullptr);
    g_bTargetMode = false;
}

TEST_F(TextEntryTest, ASlowSecondClickIsNoDoubleClick)
{
    CInputControlGump* f = field();
    f->pickMobile = 1;
    clickField(f);
    driver.pass(MouseManager::DoubleClickTime() + 100);
    clickField(f);
    EXPECT_EQ(take(), (Events{"press", "press"}));
    EXPECT_FALSE(g_bTargetMode);
}

} // namespace

namespace {

class LoginFieldTest : public TextEntryTest {
protected:
    void addArt() override
    {
        for (int i = 0; i < 9; ++i)
            harness.addGumpArt(3000 + i, TestImage::solid(4, 4, static_cast<uint16_t>(0x0300 + i)));
        harness.addGumpArt(77, TestImage::solid(5, 6, 0x0777));
    }
    CInputControlGump* multiLineField()
    {
        auto* f = new CInputControlGump(10, 10, window, 40, 34, CInputControlGump::ModeText, 40, 1, 902, 1, 0, 0);
        f->multiLine = 1;
        return f;
    }
    CInputControlGump* loginField()
    {
        auto* f = new CLoginInputControlGump(10, 10, window, 100, 20, CInputControlGump::ModeText, 16, 1, 902, 1, 0, 0);
        f->iconArt = 77;
        return f;
    }
};

TEST_F(LoginFieldTest, TheLoginLookHasAFrameAndAnIcon)
{
    auto* f = new CLoginInputControlGump(10, 10, window, 100, 20, CInputControlGump::ModeText, 16, 1, 902, 1, 0, 0);
    f->iconArt = 77;
    f->SetText("name");
    const GumpBitmap& bitmap = *f->Picture();
    EXPECT_EQ(bitmap.pixel(0, 0), 0x0300);
    EXPECT_EQ(bitmap.pixel(99, 19), 0x0308);
    EXPECT_EQ(bitmap.pixel(100 - 5 - 3, 2), 0x0777);

    // The pointer over the field marks it hovered; leaving clears the mark.
    driver.move(kWindowX + 15, kWindowY + 15);
    driver.pass();
    EXPECT_EQ(f->hovered, 1);
    driver.move(kWindowX + 200, kWindowY + 150);
    driver.pass();
    EXPECT_EQ(f->hovered, 0);
}

TEST_F(LoginFieldTest, AFieldsBitmapIsMadeAtItsFirstPaintingAsTheConstructorWouldHaveMadeIt)
{
    // Until its first painting a field has no bitmap and hits at the size the constructor gave
    // it, even when its width changed since; the painting makes the bitmap at the present size,
    // with the pixels a field painted at once has.
    using Art = CInputControlGump::Art;
    struct Case {
        const char* what;
        std::function<CInputControlGump*()> make;
        int madeWidth, madeHeight;
        int widthBeforePainting; // 0: left alone
    } cases[] = {
        {"own size", [&] { return field(60); }, 60, 16, 0},
        {"own size, widened unseen", [&] { return field(60); }, 60, 16, 90},
        {"on art", [&] { return new CInputControlGump(10, 10, window, Art{3004, 3005}, 0, 20, 1, 902, 1, 0, 0); }, 4, 5, 0},
        {"on art as a bar, narrowed unseen",
         [&] { return new CInputControlGump(10, 10, window, Art{3000, 3001}, 0, 20, 1, 902, 1, 0, 50); }, 50, 5, 20},
        {"login look", [&] { return loginField(); }, 100, 20, 0},
    };
    for (const Case& c : cases) {
        CInputControlGump* painted = c.make();
        CInputControlGump* lazy = c.make();
        for (CInputControlGump* f : {painted, lazy}) {
            f->SetText("ab");
            if (c.widthBeforePainting != 0)
                f->width = c.widthBeforePainting;
        }
        painted->Redraw();
        EXPECT_EQ(lazy->FrameCount(), 0) << c.what;
        for (CInputControlGump* f : {lazy, painted}) {
            const bool isLazy = f == lazy;
            const int w = isLazy ? c.madeWidth : f->width, h = isLazy ? c.madeHeight : f->height;
            EXPECT_TRUE(f->HitTest(w - 1, h - 1)) << c.what << (isLazy ? " unpainted" : " painted");
            EXPECT_FALSE(f->HitTest(w, h - 1)) << c.what << (isLazy ? " unpainted" : " painted");
            EXPECT_FALSE(f->HitTest(w - 1, h)) << c.what << (isLazy ? " unpainted" : " painted");
        }
        const GumpBitmap* picture = lazy->Picture();
        ASSERT_NE(picture, nullptr) << c.what;
        EXPECT_EQ(picture->width, lazy->width) << c.what;
        EXPECT_EQ(picture->height, lazy->height) << c.what;
        EXPECT_EQ(picture->pixels, painted->Picture()->pixels) << c.what;
        EXPECT_TRUE(lazy->HitTest(lazy->width - 1, lazy->height - 1)) << c.what;
        EXPECT_FALSE(lazy->HitTest(lazy->width, 0)) << c.what;
        CGumpManager::DestroyGump(painted);
        CGumpManager::DestroyGump(lazy);
    }
    // A field closed unseen never made one; one drawn unseen (hidden) neither.
    CInputControlGump* hidden = field(60);
    hidden->visible = 0;
    harness.drawFrame();
    EXPECT_EQ(hidden->Frame(0), nullptr);
    hidden->visible = 1;
    harness.drawFrame();
    EXPECT_NE(hidden->Frame(0), nullptr);
}

TEST_F(LoginFieldTest, KeysBetweenTwoFramesShowWhatAFrameAfterEachKeyShows)
{
    // Each case is typed twice: once with a frame drawn after every key, once as a burst
    // followed by one frame. The screens must match, and the burst must mark the field dirty.
    struct Case {
        const char* what;
        std::function<CInputControlGump*()> make;
        std::string keys; // '<' Left, '^' Home, '>' End, '~' Backspace
    } cases[] = {
        {"plain", [&] { return field(60); }, "abcdefghijkl<<X~^Y>Z"},
        {"password", [&] {
             CInputControlGump* f = field(60);
             f->password = 1;
             return f;
         }, "secret<<~^!"},
        {"multi-line", [&] { return multiLineField(); }, "one two three four<<~^x"},
        {"number", [&] { return field(60, CInputControlGump::ModeNumber, 99999); }, "12a34~5"},
        {"login look", [&] { return loginField(); }, "name<~e"},
    };
    auto press = [&](char k) {
        switch (k) {
        case '<': driver.keyDown(vk::Left); break;
        case '^': driver.keyDown(vk::Home); break;
        case '>': driver.keyDown(vk::End); break;
        case '~': driver.typeChar(8); break;
        default: driver.typeChar(static_cast<uint8_t>(k)); break;
        }
    };
    for (const Case& c : cases) {
        CInputControlGump* f = c.make();
        clickField(f);
        harness.drawFrame();
        const GumpRect rect = f->ScreenRect();
        const std::vector<uint16_t> before = harness.framePixels(rect);
        for (char k : c.keys) {
            press(k);
            harness.drawFrame();
        }
        const std::vector<uint16_t> afterEachKey = harness.framePixels(rect);
        CGumpManager::DestroyGump(f);

        f = c.make();
        clickField(f);
        harness.drawFrame();
        CGumpManager::TakeDirty();
        for (char k : c.keys)
            press(k);
        const GumpRect dirty = CGumpManager::TakeDirty();
        EXPECT_EQ(dirty.intersect(rect).width() * dirty.intersect(rect).height(), rect.width() * rect.height()) << c.what;
        harness.drawFrame();
        EXPECT_EQ(harness.framePixels(rect), afterEachKey) << c.what;
        EXPECT_NE(afterEachKey, before) << c.what;
        CGumpManager::DestroyGump(f);
    }
}

TEST_F(LoginFieldTest, LosingTheFocusOrANewTextShowsAtTheNextFrameWhatAnImmediatePaintShows)
{
    struct Case {
        const char* what;
        std::function<CInputControlGump*()> make;
    } cases[] = {
        {"plain", [&] { return field(60); }},
        {"multi-line", [&] { return multiLineField(); }},
        {"login look", [&] { return loginField(); }},
    };
    for (const Case& c : cases) {
        CInputControlGump* f = c.make();
        clickField(f);
        type("abc");
        harness.drawFrame();
        const GumpRect rect = f->ScreenRect();
        const std::vector<uint16_t> focused = harness.framePixels(rect);
        const std::function<void()> changes[] = {[&] { CGumpManager::SetFocus(nullptr); }, [&] { f->SetText("xyz"); }};
        for (const auto& change : changes) {
            const std::vector<uint16_t> before = harness.framePixels(rect);
            CGumpManager::TakeDirty();
            change();
            const GumpRect dirty = CGumpManager::TakeDirty();
            EXPECT_EQ(dirty.intersect(rect).width() * dirty.intersect(rect).height(), rect.width() * rect.height()) << c.what;
            harness.drawFrame();
            const std::vector<uint16_t> atNextFrame = harness.framePixels(rect);
            EXPECT_NE(atNextFrame, before) << c.what;
            f->Redraw();
            harness.drawFrame();
            EXPECT_EQ(harness.framePixels(rect), atNextFrame) << c.what;
        }
        EXPECT_NE(harness.framePixels(rect), focused) << c.what;
        CGumpManager::DestroyGump(f);
    }
}

} // namespace
