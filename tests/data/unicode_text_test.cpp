/** @file Tests of the 16-bit text helpers: folding and search, hex and markup colours, UTF-8, the wide censor, speech keywords and held-back speech. */
#include "client/data/unicode_text.h"

#include "client/core/app.h"
#include "client/core/player_files.h"
#include "client/data/language_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WideText, FoldCharMapsCodePageAndCapitalsDown)
{
    const std::vector<std::pair<char16_t, char16_t>> cases = {
        {u'A', u'a'}, {u'Z', u'z'}, {u'a', u'a'}, {u'@', u'@'}, {u'[', u'['},
        {128, 231},  // code-page capital C cedilla: to Latin-1 199, then to lower case
        {129, 252}, {142, 228}, {144, 235}, {154, 252}, {134, 134}, {155, 155},
        {192, 224}, {221, 253}, {222, 222}, {191, 191},
        {256, 257}, {257, 257}, {374, 375}, {375, 375}, {376, 376},
        {377, 378}, {378, 378}, {381, 382}, {382, 382}, {0x4E00, 0x4E00},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(WideFoldChar(in), out) << "character " << int(in);
}

TEST(WideText, FindNoCaseGivesTheFirstFoldedMatch)
{
    struct Case {
        std::u16string pattern;
        std::u16string text;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {u"abc", u"xxABCxx", 2},
        {u"ABC", u"abd", -1},
        {u"aab", u"aaab", 1},
        {u"abcab", u"xabcabcab", 1},
        {u"ana", u"bananas", 1},
        {u"long pattern", u"short", -1},
        {u"", u"abc", -1},
        {u"\u00c7x", u"a\u0080X", 1},  // both sides fold to c cedilla
        {u"\u0179", u"ab\u017a", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(WideFindNoCase(c.pattern.c_str(), c.text.c_str()), c.expected) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(WideFindNoCase(nullptr, u"abc"), -1);
    EXPECT_EQ(WideFindNoCase(u"a", nullptr), -1);
}

TEST(WideText, FindNoCaseAgreesWithAPlainSearchOnRepetitiveTexts)
{
    // Small alphabets make many partial matches, which exercise both shift tables.
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const char16_t alphabet[] = {u'a', u'B', u'b', u'c'};
    for (int round = 0; round < 2000; ++round) {
        std::u16string pattern(1 + next(5), u'a');
        std::u16string text(next(24), u'a');
        for (char16_t& c : pattern) c = alphabet[next(4)];
        for (char16_t& c : text) c = alphabet[next(4)];
        std::u16string fp = pattern, ft = text;
        for (char16_t& c : fp) c = WideFoldChar(c);
        for (char16_t& c : ft) c = WideFoldChar(c);
        const size_t plain = ft.find(fp);
        const int32_t expected = plain == std::u16string::npos ? -1 : static_cast<int32_t>(plain);
        ASSERT_EQ(WideFindNoCase(pattern.c_str(), text.c_str()), expected)
            << std::string(pattern.begin(), pattern.end()) << " in " << std::string(text.begin(), text.end());
    }
}

TEST(WideText, HexAndMarkupColourValues)
{
    const std::vector<std::pair<std::u16string, int32_t>> hex = {
        {u"1F", 31}, {u"-1f", -31}, {u"--10", 16}, {u"+a", 10}, {u"1g2", 1}, {u"0x10", 0}, {u"", 0}, {u"ffffffff", -1},
    };
    for (const auto& [text, value] : hex) EXPECT_EQ(ParseHexWide(text.c_str()), value) << std::string(text.begin(), text.end());

    const std::vector<std::pair<std::u16string, int32_t>> names = {
        {u"black", 0x0001},   {u"RedText", 0x7C00}, {u"darkred", 0x3C00}, {u"Greenish", 0x01E0}, {u"DarkGreen", 0x0168},
        {u"grey", 0x3DEF},    {u"GRAY", 0x3DEF},    {u"aqua", 0x03FF},    {u"navy", 0x000F},     {u"gre", -1},
        {u"orange", -1},      {u"", -1},            {u" red", -1},
    };
    for (const auto& [text, value] : names) EXPECT_EQ(MarkupColorByName(text.c_str()), value) << std::string(text.begin(), text.end());

    const std::vector<std::pair<std::u16string, int32_t>> values = {
        {u"#FF8000", 31 << 10 | 16 << 5}, {u"#ffffff", 0x7FFF}, {u"#000008", 1}, {u"123", 123},
        {u"12-3", -123}, {u"1+2", 12}, {u"7 px", 7}, {u"x", -1}, {u"-5", -1}, {u"", -1},
    };
    for (const auto& [text, value] : values) EXPECT_EQ(MarkupColorValue(text.c_str()), value) << std::string(text.begin(), text.end());
    EXPECT_EQ(MarkupColorByName(nullptr), -1);
    EXPECT_EQ(MarkupColorValue(nullptr), -1);
}

TEST(WideText, Utf8EncodingCountsAndWrites)
{
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"A", "A"},
        {u"\u007f\u0080", "\x7f\xc2\x80"},
        {u"\u07ff\u0800", "\xdf\xbf\xe0\xa0\x80"},
        {u"A\u00e9\u4e00", "A\xc3\xa9\xe4\xb8\x80"},
        {u"\xd83d\xde00", "\xed\xa0\xbd\xed\xb8\x80"},  // a surrogate pair stays two three-byte forms
        {u"", ""},
    };
    for (const auto& [text, bytes] : cases) {
        const auto count = static_cast<int32_t>(text.size());
        ASSERT_EQ(EncodeUtf8(nullptr, text.c_str(), count), static_cast<int32_t>(bytes.size()));
        std::string out(bytes.size() + 2, '\x55');
        EXPECT_EQ(EncodeUtf8(out.data(), text.c_str(), count), static_cast<int32_t>(bytes.size()));
        EXPECT_EQ(out.substr(0, bytes.size()), bytes);
        EXPECT_EQ(out[bytes.size()], '\0');
        EXPECT_EQ(out[bytes.size() + 1], '\x55');
    }
}

class WideCensor : public ::testing::Test {
protected:
    void SetUp() override { ResetPlayerFiles(); }
    void TearDown() override { ResetPlayerFiles(); }
    static void addWord(const std::u16string& word)
    {
        WideStrCpyBounded(ObsceneWords[ObsceneWordCount++], kObsceneWordLength + 1, word.c_str());
    }
};

TEST_F(WideCensor, NarrowPassSeesWideCharactersAsBlanksAndKeepsThem)
{
    addWord(u"a b");       // matches "a\u00e9b" only in the narrow pass, where the e acute is a blank
    addWord(u"\u00e9t\u00e9");  // a wide word, found by the wide pass
    std::u16string text = u"xa\u00e9b \u00e9t\u00e9!";
    CensorWideText(text.data());
    // Masks come from "!@#$%&*" at code mod 7: 'a' 97 -> '*', 'b' 98 -> '!', 0xE9 -> '#', 't' 116 -> '%'.
    EXPECT_EQ(text, u"x*\u00e9! #%#!");
    CensorWideText(nullptr);
}

// Collects what the keyword search sends.
class RecordingSink : public CPacketSink {
public:
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        packets.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return true; }
    std::vector<std::vector<uint8_t>> packets;
};

class SpeechKeywordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetPlayerFiles();
        SpeechKeywords = {{"bank", 0x002}, {"*guard*", 0x007}, {"*help*", 0x007}, {"*bye", 0x010}, {"hail*", 0x020},
                          {"*vendor buy*", 0x3C}};
        CurrentSpeechHue = 0x02B2;
        CurrentEmoteHue = 0x0225;
        setSpeechFonts(3, 9);
        LanguageManager::setUserLanguageCodeString("enu");
        SetMainConnection(&sink_);
    }
    void TearDown() override
    {
        SetMainConnection(nullptr);
        setSpeechFonts(3, 3);
        LanguageManager::setUserLanguageCodeString("");
        ResetPlayerFiles();
    }
    // The ids of the single packet sent for the text, unpacked from their 12-bit block.
    std::vector<uint16_t> idsFor(const std::u16string& text)
    {
        sink_.packets.clear();
        const int32_t found = FindSpeechKeywords(text.c_str(), static_cast<int32_t>(text.size()), 0);
        std::vector<uint16_t> ids;
        if (found == 0) {
            EXPECT_TRUE(sink_.packets.empty());
            return ids;
        }
        EXPECT_EQ(sink_.packets.size(), 1u);
        const std::vector<uint8_t>& p = sink_.packets.at(0);
        const int count = p.at(12) << 4 | p.at(13) >> 4;
        EXPECT_EQ(count, found);
        for (int i = 1; i <= count; ++i) {
            const size_t bit = 12 * 8 + static_cast<size_t>(i) * 12;  // bit offset of value i
            const size_t byte = bit / 8;
            ids.push_back(static_cast<uint16_t>(bit % 8 == 0 ? (p.at(byte) << 4 | p.at(byte + 1) >> 4)
                                                             : ((p.at(byte) & 0xF) << 8 | p.at(byte + 1))));
        }
        return ids;
    }
    RecordingSink sink_;
};

TEST_F(SpeechKeywordTest, StarsChooseWholeStartEndOrWordMatches)
{
    using Ids = std::vector<uint16_t>;
    const std::vector<std::pair<std::u16string, Ids>> cases = {
        {u"Bank", {0x002}},
        {u"bank please", {}},
        {u"GUARD!", {0x007}},
        {u"call the guard, quick", {0x007}},
        {u"guardian", {}},
        {u"vanguard", {}},
        {u"guard help", {0x007}},  // two keywords with one id give it once
        {u"Goodbye", {0x010}},
        {u"bye now", {}},
        {u"hail traveller", {0x020}},
        {u"vendor buy", {0x03C}},
        {u"Bank hail", {}},
        {u"hail, guard! goodbye", {0x007, 0x010, 0x020}},
    };
    for (const auto& [text, ids] : cases) EXPECT_EQ(idsFor(text), ids) << std::string(text.begin(), text.end());
}

TEST_F(SpeechKeywordTest, RequestCarriesHueFontLanguageKeywordsAndText)
{
    const std::u16string text = u"Hail guard \u00e9";
    ASSERT_EQ(FindSpeechKeywords(text.c_str(), static_cast<int32_t>(text.size()), 0), 2);
    const std::vector<uint8_t> expected = {
        0xAD, 0x00, 31,                           // id, length
        0xC0,                                     // type 0 with the keyword bits
        0x02, 0xB2, 0x00, 0x03,                   // speech hue, speech font
        'e', 'n', 'u', 0,                         // language
        0x00, 0x20, 0x07, 0x02, 0x00,             // 12-bit values 2, 7, 0x20; the odd last one in a byte and a half
        'H', 'a', 'i', 'l', ' ', 'g', 'u', 'a', 'r', 'd', ' ', 0xC3, 0xA9, 0,  // the text as typed
    };
    ASSERT_EQ(sink_.packets.size(), 1u);
    EXPECT_EQ(sink_.packets[0], expected);

    // An emote uses the emote hue and font; the count stops at a NUL inside it.
    sink_.packets.clear();
    const std::u16string bank(u"bank\0junk", 9);
    ASSERT_EQ(bank.size(), 9u);
    ASSERT_EQ(FindSpeechKeywords(bank.c_str(), 9, 2), 1);
    ASSERT_EQ(sink_.packets.size(), 1u);
    const std::vector<uint8_t>& emote = sink_.packets[0];
    EXPECT_EQ(emote.size(), 12u + 3u + 5u);
    EXPECT_EQ(emote[3], 0xC2);
    EXPECT_EQ(emote[4] << 8 | emote[5], 0x0225);
    EXPECT_EQ(emote[6] << 8 | emote[7], 9);
    EXPECT_EQ(std::vector<uint8_t>(emote.begin() + 12, emote.end()), (std::vector<uint8_t>{0x00, 0x10, 0x02, 'b', 'a', 'n', 'k', 0}));
}

TEST_F(SpeechKeywordTest, NothingIsSentWithoutAMatchOrAConnection)
{
    EXPECT_EQ(FindSpeechKeywords(u"nothing here", 12, 0), 0);
    EXPECT_EQ(FindSpeechKeywords(nullptr, 4, 0), 0);
    EXPECT_EQ(FindSpeechKeywords(u"bank", 0, 0), 0);
    SetMainConnection(nullptr);
    EXPECT_EQ(FindSpeechKeywords(u"bank", 4, 0), 0);
    EXPECT_TRUE(sink_.packets.empty());
}

TEST(HeldBackSpeech, RecordsGoToTheFrontAndAreCounted)
{
    SpeechRecords().clear();
    SpeechRecordCount() = 0;
    PushSpeechRecord(u"first", 5, 0, false);
    PushSpeechRecord(u"second", 6, 2, true);
    PushSpeechRecord(nullptr, 0, 0, false);
    ASSERT_EQ(SpeechRecords().size(), 3u);
    EXPECT_EQ(SpeechRecordCount(), 3);
    EXPECT_EQ(SpeechRecords().front().text, u"");
    const SpeechRecord& second = *std::next(SpeechRecords().begin());
    EXPECT_EQ(second.text, u"second");
    EXPECT_EQ(second.length, 6);
    EXPECT_EQ(second.mode, 2);
    EXPECT_TRUE(second.flag);
    EXPECT_EQ(SpeechRecords().back().text, u"first");
    SpeechRecords().clear();
    SpeechRecordCount() = 0;
}

} // namespace
