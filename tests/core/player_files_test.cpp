/** @file Tests of chardata.mul, ignore.lst, kzbscene.lst, speech.mul, stored-password shifting and the character-name check. */
#include "tests/core/config_test_fixture.h"

#include "platform/fs/path.h"
#include "tests/support/config_fixtures.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using testsupport::ConfigTest;

TEST_F(ConfigTest, CharDataComesFromTheCharacterCopyFirst)
{
    LoadCharData();  // nothing to read: the current hues keep their values
    EXPECT_EQ(CurrentSpeechHue, 995);
    EXPECT_EQ(CharDataSpeechHues[4], 690);
    EXPECT_EQ(CharDataEmoteHues[4], 549);

    dir_.write("chardata.mul", testsupport::charDataBytes({1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}));
    DefaultChar = 1;
    LoadCharData();
    EXPECT_EQ(CurrentSpeechHue, 2);
    EXPECT_EQ(CurrentEmoteHue, 7);

    chooseCharacter("bob", "Lake", "Mary");
    dir_.write("Desktop/bob/Lake/Mary/chardata.mul", testsupport::charDataBytes({11, 12, 13, 14, 15}, {16, 17}));
    LoadCharData();
    EXPECT_EQ(CurrentSpeechHue, 12);
    EXPECT_EQ(CurrentEmoteHue, 17);
    EXPECT_EQ(CharDataEmoteHues[2], 549);  // past the end of the short file

    CharDataSpeechHues[3] = 0xBEEF;
    SaveCharData();
    EXPECT_EQ(dir_.read("Desktop/bob/Lake/Mary/chardata.mul").size(), 20u);
    ResetPlayerFiles();
    LoadCharData();
    EXPECT_EQ(CharDataSpeechHues[3], 0xBEEF);
    EXPECT_EQ(CharDataEmoteHues[2], 549);
}

TEST_F(ConfigTest, IgnoreListKeepsFullNamesTerminated)
{
    const std::string full(30, 'Z');
    auto bytes = testsupport::ignoreListBytes({{"Alice", 0x40000001u}, {full, 0xDEADBEEFu}});
    bytes.insert(bytes.end(), {'x', 'y', 'z'});  // a cut-off record at the end is dropped
    dir_.write("ignore.lst", bytes);
    LoadFilterLists();
    ASSERT_EQ(IgnoreListCount, 2);
    EXPECT_STREQ(IgnoreList[0].name, "Alice");
    EXPECT_EQ(std::string(IgnoreList[1].name), full);
    EXPECT_TRUE(IsSerialIgnored(0xDEADBEEFu));
    EXPECT_FALSE(IsSerialIgnored(0x40000002u));

    ASSERT_EQ(SaveFilterList(1), 1);
    EXPECT_EQ(dir_.read("ignore.lst"), std::string(bytes.begin(), bytes.end() - 3));
    EXPECT_EQ(SaveFilterList(7), 0);
}

TEST_F(ConfigTest, ObsceneWordListRoundTripsAndCutsLongWords)
{
    dir_.write("kzbscene.lst", testsupport::obsceneListBytes({u"alpha", u"", u"beta", std::u16string(40, u'q')}));
    LoadFilterLists();
    ASSERT_EQ(ObsceneWordCount, 3);
    EXPECT_EQ(std::u16string(ObsceneWords[0]), u"alpha");
    EXPECT_EQ(std::u16string(ObsceneWords[1]), u"beta");
    EXPECT_EQ(std::u16string(ObsceneWords[2]), std::u16string(30, u'q'));

    ASSERT_EQ(SaveFilterList(0), 1);
    const std::string written = dir_.read("kzbscene.lst");
    const auto expected = testsupport::obsceneListBytes({u"alpha", u"beta", std::u16string(30, u'q')});
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));
    ObsceneWordCount = 0;
    LoadFilterLists();
    EXPECT_EQ(ObsceneWordCount, 3);
}

TEST_F(ConfigTest, ShiftedLinesPairLineEnds)
{
    struct Case {
        const char* label;
        std::u16string eol;
    };
    const Case cases[] = {{"LF", u"\n"}, {"CR LF", u"\r\n"}, {"LF CR", u"\n\r"}, {"CR", u"\r"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto bytes = testsupport::obsceneListBytes({u"one", u"two"}, c.eol);
        const std::string path = dir_.write("lines.bin", bytes);
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(std::u16string(ReadShiftedWideLine(f)), u"one");
        EXPECT_EQ(std::u16string(ReadShiftedWideLine(f)), u"two");
        EXPECT_EQ(std::u16string(ReadShiftedWideLine(f)), u"");
        EXPECT_TRUE(std::feof(f));
        std::fclose(f);
    }
    // A line longer than the shared buffer is cut and the next line still starts in the right place.
    const auto bytes = testsupport::obsceneListBytes({std::u16string(1000, u'x'), u"next"});
    const std::string path = dir_.write("long.bin", bytes);
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::u16string(ReadShiftedWideLine(f)), std::u16string(kShiftedLineCapacity - 1, u'x'));
    EXPECT_EQ(std::u16string(ReadShiftedWideLine(f)), u"next");
    std::fclose(f);
}

TEST_F(ConfigTest, TheWordListReadsTheSameFromTheFileAndFromMemory)
{
    struct Case {
        const char* label;
        std::vector<unsigned char> bytes;
    };
    std::vector<Case> cases = {
        {"CR LF", testsupport::obsceneListBytes({u"one", u"two"}, u"\r\n")},
        {"LF CR", testsupport::obsceneListBytes({u"one", u"", u"two"}, u"\n\r")},
        {"long", testsupport::obsceneListBytes({std::u16string(1000, u'x'), u"next"})},
        {"cut unit", testsupport::obsceneListBytes({u"one"})},
        {"empty", {}},
    };
    cases[3].bytes.push_back('a' + 13); // half a unit at the end
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dir_.write("kzbscene.lst", c.bytes);
        LoadFilterLists();
        std::vector<std::u16string> fromFile;
        for (int32_t i = 0; i < ObsceneWordCount; ++i) fromFile.emplace_back(ObsceneWords[i]);
        ReadObsceneWords(std::string(c.bytes.begin(), c.bytes.end()));
        std::vector<std::u16string> fromMemory;
        for (int32_t i = 0; i < ObsceneWordCount; ++i) fromMemory.emplace_back(ObsceneWords[i]);
        EXPECT_EQ(fromMemory, fromFile);
        EXPECT_EQ(fromMemory.empty(), c.bytes.size() < 2);
    }
}

TEST_F(ConfigTest, SpeechKeywordsStopAtACutEntry)
{
    auto bytes = testsupport::speechMulBytes({{3, "*bank*"}, {1, "hail"}, {7, "*bank*"}, {2, "cut short"}});
    bytes.resize(bytes.size() - 4);
    dir_.write("speech.mul", bytes);
    LoadSpeechKeywords();
    ASSERT_EQ(SpeechKeywords.size(), 3u);
    EXPECT_EQ(SpeechKeywords.begin()->first, "*bank*");
    EXPECT_EQ(SpeechKeywords.count("*bank*"), 2u);
    EXPECT_EQ(SpeechKeywords.find("hail")->second, 1);

    std::remove(dir_.file("speech.mul").c_str());
    LoadSpeechKeywords();
    EXPECT_TRUE(SpeechKeywords.empty());
}

TEST_F(ConfigTest, PlayerFilesOnTheCDFolderAreReadAndSavedThere)
{
    const std::string cd = useCDFolder("cd");
    dir_.write(cd + "chardata.mul", testsupport::charDataBytes({1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}));
    dir_.write(cd + "ignore.lst", testsupport::ignoreListBytes({{"Alice", 5}}));
    dir_.write(cd + "kzbscene.lst", testsupport::obsceneListBytes({u"alpha"}));
    dir_.write(cd + "speech.mul", testsupport::speechMulBytes({{1, "hail"}}));
    LoadCharData();
    LoadFilterLists();
    LoadSpeechKeywords();
    EXPECT_EQ(CurrentSpeechHue, 1);
    EXPECT_EQ(IgnoreListCount, 1);
    EXPECT_EQ(ObsceneWordCount, 1);
    EXPECT_EQ(SpeechKeywords.size(), 1u);

    CharDataSpeechHues[0] = 42;
    SaveCharData();
    IgnoreListCount = 0;
    ASSERT_EQ(SaveFilterList(1), 1);
    EXPECT_EQ(dir_.read(cd + "chardata.mul").substr(0, 2), std::string("\x2A\0", 2));
    EXPECT_EQ(dir_.read(cd + "ignore.lst"), "");
    EXPECT_EQ(platform::listDirectory(dir_.path().string()), std::vector<std::string>{"cd"});
}

TEST(StoredPasswords, ShiftMapsPrintableTextOneToOne)
{
    const std::pair<int, int> cases[] = {{114, 127}, {115, 33}, {32, 45}, {126, 44}, {65, 78}};
    for (const auto& [plain, stored] : cases) {
        char text[2] = {static_cast<char>(plain), 0};
        EncodeStoredPassword(text);
        EXPECT_EQ(static_cast<unsigned char>(text[0]), stored) << plain;
        DecodeStoredPassword(text);
        EXPECT_EQ(static_cast<unsigned char>(text[0]), plain) << plain;
    }
    for (int c = 32; c <= 126; ++c) {
        char text[2] = {static_cast<char>(c), 0};
        EncodeStoredPassword(text);
        const int stored = static_cast<unsigned char>(text[0]);
        EXPECT_TRUE(stored >= 33 && stored <= 127) << c;
    }
    // Bytes outside printable ASCII do not survive: stored files were written this way.
    char accented[] = "\xE9";
    EncodeStoredPassword(accented);
    DecodeStoredPassword(accented);
    EXPECT_NE(static_cast<unsigned char>(accented[0]), 0xE9);
}

TEST(CharacterNames, FollowTheNamingRules)
{
    const std::pair<const char*, int> cases[] = {
        {"Mary-Ann O'Neil", 0}, {"Mary--Ann", 1}, {"Mary -Ann", 1}, {"Lordan", 1}, {"Mary Lady", 0},
        {"lady Jane", 1},       {"gmBob", 1},     {"Bob", 0},        {"4Bob", 1},   {"Bob3", 1},
        {"", 1},                {"Bob ", 0},      {"Sir Bob", 1},    {"Siren", 0},  {"Bob the King", 1},
        {"Kingsley", 0},        {"Joe.Fuck", 1},  {"Joe-admin", 1},  {"Seerah", 1}, {"Bob_", 1},
        {"Cassandra", 0},       {"Tom Crap", 1},  {"Scrappy", 0},
    };
    for (const auto& [name, rejected] : cases) EXPECT_EQ(IsUnacceptableCharacterName(name), rejected) << name;
    EXPECT_TRUE(IsNamePunctuation('\''));
    EXPECT_FALSE(IsNamePunctuation('_'));
    EXPECT_TRUE(IsInvalidNameChar('_'));
    EXPECT_FALSE(IsInvalidNameChar('z'));
}

} // namespace
