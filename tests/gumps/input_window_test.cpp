/** @file Tests of the typed-input line: speech modes chosen by the first characters, the length and width limits, recall, party lines, prompt answers and command mode. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "client/gumps/framework/input_window.h"
#include "client/net/game_state.h"
#include "client/render/text_manager.h"
#include "client/world/object_manager.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::GumpEventDriver;
using testsupport::GumpHarness;

struct Spoken {
    int mode;
    std::u16string text;
};

class InputLine : public ::testing::Test {
protected:
    void start(int glyphWidth)
    {
        harness.useFixedWidthFonts(glyphWidth, 10, 4);
        harness.start();
        TextManager::startup();
        Game() = GameState{};
        sharedFunctionHooks().sendUnicodeSpeech = [this](const WideChar* text, int32_t length, int mode) {
            spoken.push_back({mode, std::u16string(text, static_cast<size_t>(length))});
        };
        line = std::make_unique<CInputWindow>();
        g_pInputWindow = line.get();
        SetInputLineServices(line.get());
    }
    void TearDown() override
    {
        SetInputLineServices(nullptr);
        g_pInputWindow = nullptr;
        sharedFunctionHooks().sendUnicodeSpeech = nullptr;
        Game() = GameState{};
        TextManager::shutdown();
    }
    void type(const std::string& text)
    {
        for (char c : text)
            driver.typeChar(static_cast<uint8_t>(c));
    }
    std::vector<std::vector<uint8_t>> sentWithId(uint8_t id)
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& p : harness.packets().packets)
            if (!p.empty() && p[0] == id)
                out.push_back(p);
        return out;
    }
    std::string newestJournalLine() { return TextManager::Newest() != nullptr ? TextManager::Newest()->text : ""; }

    GumpHarness harness;
    GumpEventDriver driver{harness};
    std::unique_ptr<CInputWindow> line;
    std::vector<Spoken> spoken;
};

TEST_F(InputLine, TheFirstCharactersChooseTheSpeechMode)
{
    start(6);
    const struct {
        const char* typed;
        int mode;
        std::u16string text;
    } cases[] = {
        {"! hello", 9, u"hello"},   {"!hello", 0, u"!hello"}, {": waves", 2, u"waves"},
        {"; psst", 8, u"psst"},     {"' plain", 0, u"plain"}, {"a b", 0, u"a b"},
        {"x\b\bhi", 0, u"hi"},
    };
    for (const auto& c : cases) {
        spoken.clear();
        type(c.typed);
        driver.typeChar(13);
        ASSERT_EQ(spoken.size(), 1u) << c.typed;
        EXPECT_EQ(spoken[0].mode, c.mode) << c.typed;
        EXPECT_EQ(spoken[0].text, c.text) << c.typed;
        EXPECT_EQ(line->SpeechMode(), 0) << c.typed;
        EXPECT_TRUE(line->Line().empty()) << c.typed;
    }
    // An empty line sends nothing.
    spoken.clear();
    driver.typeChar(13);
    EXPECT_TRUE(spoken.empty());
}

TEST_F(InputLine, TheShownLineCarriesTheModePrefixAndTheCaret)
{
    start(6);
    type("; ab");
    EXPECT_EQ(line->ShownText(), u"Whisper: ab_");
    driver.typeChar(8);
    driver.typeChar(8);
    EXPECT_EQ(line->SpeechMode(), 0) << "an emptied line returns to say";
    EXPECT_EQ(line->ShownText(), u"_");
    type(": x");
    EXPECT_EQ(line->ShownText(), u"Emote: x_");
    EXPECT_EQ(line->ShownHue(), CurrentEmoteHue);
}

TEST_F(InputLine, TheLineHoldsAtMost128Characters)
{
    start(4); // 128 glyphs of 4 pixels stay under the width limit
    type(std::string(130, 'a'));
    EXPECT_EQ(line->Line().size(), 128u);
}

TEST_F(InputLine, ACharacterThatWouldMakeTheLine600PixelsWideIsRefused)
{
    start(6); // the 100th glyph would reach 600 pixels
    type(std::string(120, 'a'));
    EXPECT_EQ(line->Line().size(), 99u);
}

TEST_F(InputLine, CtrlQRecallsTheLastLineInItsModeAndSwallowsTheQ)
{
    start(6);
    type("! run");
    driver.typeChar(13);
    harness.window().setModifiers({true, false, false});
    driver.keyDown('Q', true);
    driver.typeChar(17);
    harness.window().setModifiers({});
    EXPECT_EQ(line->ShownText(), u"Yell: run_");
    driver.typeChar(13);
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_EQ(spoken[1].mode, 9);
    EXPECT_EQ(spoken[1].text, u"run");
}

TEST_F(InputLine, PartyLinesGoToTheMemberNumberedOrTheWholeParty)
{
    start(6);
    PartyState& party = Game().party;
    party.members[0] = {0x101, "Tessa"};
    party.members[1] = {0x202, "Bram"};
    type("/2 hello");
    EXPECT_EQ(line->ShownText(), u"Tell [Bram]: hello_");
    EXPECT_EQ(line->ShownHue(), 1153);
    driver.typeChar(13);
    type("/all of you");
    EXPECT_EQ(line->ShownText(), u"Party: all of you_");
    driver.typeChar(13);
    EXPECT_TRUE(spoken.empty());
    const auto party0 = sentWithId(0xBF);
    ASSERT_EQ(party0.size(), 2u);
    // Sub-command 6; the private message names member 2's serial and carries only the word.
    EXPECT_EQ(party0[0][4], 6);
    EXPECT_EQ(party0[0][5], 3);
    EXPECT_EQ((party0[0][6] << 24) | (party0[0][7] << 16) | (party0[0][8] << 8) | party0[0][9], 0x202);
    EXPECT_EQ(party0[0].size(), 10u + 2 * 6);
    EXPECT_EQ(party0[1][5], 4);
}

TEST(TypedCommandWords, AreFoundWithoutRegardToCaseAndOnlyWhole)
{
    const struct {
        std::u16string word;
        int number;
    } cases[] = {
        {u"who", 10}, {u"WHO", 10}, {u"ExportTileDataAdvanced", 241}, {u"10", 236}, {u" ", 225},
        // A unit past 255 is not read by its low byte (0x4F is 'O', 0x57 'W').
        {u"wh", -1},  {u"whom", -1}, {u"", -1}, {u"who?", -1}, {u"wh\u014F", -1}, {u"\u0157ho", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindTypedCommand(c.word), c.number);
        // The byte form: units past 255 read as '?', as the line is narrowed for sending.
        std::string bytes;
        for (char16_t unit : c.word)
            bytes.push_back(unit < 256 ? static_cast<char>(unit) : '?');
        EXPECT_EQ(FindTypedCommand(bytes), c.number);
    }
}

TEST_F(InputLine, PartyWordsOutsideAPartyAnswerWithTheirNotices)
{
    start(6);
    const struct {
        const char* typed;
        const char* notice;
    } cases[] = {
        {"/rem", "You are not in a party."},
        {"/accept", "No one has invited you to be in a party."},
        {"/decline", "No one has invited you to be in a party."},
        {"/3 remember this", "Note to self: remember this"},
        {"/just me", "Note to self: just me"},
    };
    for (const auto& c : cases) {
        type(c.typed);
        driver.typeChar(13);
        EXPECT_EQ(newestJournalLine(), c.notice) << c.typed;
    }
    EXPECT_TRUE(sentWithId(0xBF).empty());
}

TEST_F(InputLine, AnOpenPromptTakesTheLineAndEscapeCancelsIt)
{
    start(6);
    Game().prompt = {true, false, 0x40000010, 7};
    type("yes\xe9");
    driver.typeChar(13);
    ASSERT_EQ(sentWithId(0x9A).size(), 1u);
    const auto reply = sentWithId(0x9A)[0];
    EXPECT_EQ(reply[6], 0x10);
    EXPECT_EQ(reply[10], 7);
    EXPECT_EQ(reply[14], 1) << "sent, not cancelled";
    EXPECT_EQ(std::string(reply.begin() + 15, reply.end()), std::string("yes\0", 4)) << "no character of 128 and above";
    EXPECT_FALSE(Game().prompt.active);
    EXPECT_TRUE(spoken.empty());

    Game().prompt = {true, true, 0x40000011, 8};
    type("abc");
    driver.typeChar(27);
    ASSERT_EQ(sentWithId(0xC2).size(), 1u);
    EXPECT_EQ(sentWithId(0xC2)[0][14], 0) << "cancelled";
    EXPECT_FALSE(Game().prompt.active);
    EXPECT_TRUE(line->Line().empty());
}

TEST_F(InputLine, CommandModeNeedsTheCommandBody)
{
    start(6);
    type(".x");
    EXPECT_EQ(line->SpeechMode(), 0) << "without the body the dot is typed";
    driver.typeChar(13);
    ASSERT_EQ(spoken.size(), 1u);
    EXPECT_EQ(spoken[0].text, u".x");

    CObjectManager::CreatePlayer(0x101, 987);
    type(".next page two");
    EXPECT_EQ(line->ShownText(), u"C: next page two_");
    driver.typeChar(13);
    const auto commands = sentWithId(0x12);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0][3], 218);
    EXPECT_EQ(std::string(commands[0].begin() + 4, commands[0].end()), std::string("page two\0", 9));
    type("=hello");
    driver.typeChar(13);
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_EQ(spoken[1].text, u"=hello");
    EXPECT_EQ(spoken[1].mode, 0);
    CObjectManager::shutdown();
}

TEST_F(InputLine, OutsideTheGameNothingIsTyped)
{
    start(6);
    g_bInGame = false;
    type("abc");
    EXPECT_TRUE(line->Line().empty());
    g_bInGame = true;
}

} // namespace
