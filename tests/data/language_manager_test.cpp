/** @file LanguageManager and LanguageSection: language list, user language, section files, lookups and damaged files. */
#include "tests/data/language_test_fixture.h"

#include <functional>

namespace {

using formats::Bytes;
using testsupport::exitCodeOf;
using testsupport::LanguageSectionSpec;
using testsupport::text;
namespace iff = testsupport::iff;

class LanguageManagerTest : public testsupport::LanguageTest {};

TEST_F(LanguageManagerTest, StartupChoosesTheUserLanguage)
{
    struct Case {
        const char* name;
        const char* system;
        const char* configured; // UserLanguageCodeString in kz.cfg, or null
        const char* user;
        uint8_t id;
        bool unsupportedWarning;
    };
    const Case cases[] = {
        {"system language listed", "deu", nullptr, "deu", 7, false},
        {"listed in other case", "DEU", nullptr, "DEU", 7, false},
        {"'?' id is stored as 0", "fra", nullptr, "fra", 0, false},
        {"unlisted falls back to enu", "xyz", nullptr, "enu", 101, true},
        {"nothing said: 'default' is unlisted", "default", nullptr, "enu", 101, true},
        {"configuration overrides the system", "deu", "fra-ignored", "fra", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeStandardCodes();
        setSystemLanguage(c.system);
        if (c.configured)
            write("kz.cfg", std::string("UserLanguageCodeString=") + c.configured + "\r\n");
        else
            std::filesystem::remove(hd_ + "kz.cfg");
        KZReport::resetForTests();
        LanguageManager::startup();
        EXPECT_STREQ(LanguageManager::getUserLanguageCode(), c.user);
        ASSERT_NE(LanguageManager::getCurrentLanguage(), nullptr);
        EXPECT_EQ(LanguageManager::getCurrentLanguage()->id, c.id);
        EXPECT_EQ(LanguageManager::getLanguageId(nullptr), c.id);
        EXPECT_EQ(logHas("Your O.S. is currently running in a language not supported"), c.unsupportedWarning);
        EXPECT_STREQ(LanguageTranslationServer::userLanguageCode(), c.user);
        LanguageManager::shutdown();
    }
}

TEST_F(LanguageManagerTest, LanguageListLookups)
{
    writeStandardCodes();
    LanguageManager::startup();
    // Newest first: the file's records, then the built-in default.
    const auto languages = LanguageManager::languages();
    ASSERT_EQ(languages.size(), 4u);
    EXPECT_STREQ(languages[0]->code, "fra");
    EXPECT_STREQ(languages[1]->code, "deu"); // lower-cased when stored
    EXPECT_EQ(languages[1]->languageName, "German");
    EXPECT_EQ(languages[1]->countryName, "Germany");
    EXPECT_STREQ(languages[3]->code, "enu");

    EXPECT_EQ(LanguageManager::getLanguageId("DeU"), 7);
    EXPECT_EQ(LanguageManager::getLanguageId("zzz"), 101);
    EXPECT_STREQ(LanguageManager::getLanguageName(), "English");
    EXPECT_STREQ(LanguageManager::getDefaultFileExtension(), "enu");
    LanguageManager::startup(); // a second start changes nothing
    EXPECT_EQ(LanguageManager::languages().size(), 4u);
}

TEST_F(LanguageManagerTest, LanguageCodeFileIsFoundOrMissed)
{
    struct Case {
        const char* where; // null: no file at all
        size_t languages;
    };
    for (const Case& c : {Case{"language/langcode.iff", 4}, Case{"langcode.iff", 4}, Case{nullptr, 1}}) {
        SCOPED_TRACE(c.where ? c.where : "none");
        std::filesystem::remove_all(hd_ + "language");
        std::filesystem::remove(hd_ + "langcode.iff");
        if (c.where)
            writeStandardCodes(c.where);
        // The file manager remembers files it opened: start it afresh on the changed folder.
        FileManager::shutdown();
        KZReport::resetForTests();
        FileManager::startup();
        LanguageManager::startup();
        EXPECT_EQ(LanguageManager::languages().size(), c.languages);
        EXPECT_EQ(logHas("file 'langcode.iff'. no bytes read."), c.where == nullptr);
        LanguageManager::shutdown();
    }
}

TEST_F(LanguageManagerTest, UnexpectedPartsOfTheCodeFileAreSkipped)
{
    const Bytes big(1100, 'x');
    const Bytes codes = iff::form(
        "DATA", {iff::form("LANG", {iff::form("WIN3", {iff::chunk("CODE", iff::ChunkData().str("deu").i32(7).str("German").str("Germany").take()),
                                                       iff::chunk("JUNK", {1, 2}),
                                                       iff::form("NEST", {}),
                                                       iff::chunk("CODE", big),
                                                       iff::chunk("CODE", iff::ChunkData().str("ita").i32(16).str("Italian").str("Italy").take()),
                                                       Bytes(8, 0)})})});
    write("language/langcode.iff", codes);
    LanguageManager::startup();
    const auto languages = LanguageManager::languages();
    ASSERT_EQ(languages.size(), 3u);
    EXPECT_STREQ(languages[0]->code, "ita");
    EXPECT_STREQ(languages[1]->code, "deu");
    EXPECT_TRUE(logHas("Ignoring Unexpected FORM or CHUNK."));
    EXPECT_TRUE(logHas("Ignoring Unusually large CHUNK CODE."));
    EXPECT_TRUE(logHas("Very Strange Error. Maybe Premature EOF?"));
}

TEST_F(LanguageManagerTest, SectionTablesAndLookups)
{
    writeStandardCodes();
    LanguageSectionSpec spec = section("enu", "intro", {u"zero", u"one", u"\u00e9t\u00e9"}, 1);
    spec.colours = {0x102030, 0xFFFFFF, 0};
    spec.fonts = {1, 2, 3};
    spec.positions = {{10, 20}, {30, 40}, {50, 60}};
    spec.frames = {{0, 9}, {10, 19}, {15, 30}};
    spec.extraChunks = {iff::chunk("ZZZZ", {1, 2, 3})};
    writeSection("language/intro.enu", spec);
    writeSection("wide.enu", section("enu", "wide", {u"\u4e2d\u6587", u""}, 2));
    LanguageManager::startup();

    LanguageSection* intro = LanguageManager::loadSection("intro", "enu", "intro");
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->getCount(), 3);
    EXPECT_EQ(text(intro->getStr(2)), u"\u00e9t\u00e9");
    EXPECT_EQ(intro->colours(), (std::vector<uint32_t>{0x102030, 0xFFFFFF, 0}));
    EXPECT_EQ(intro->fonts()[2], 3);
    EXPECT_EQ(intro->xs()[1], 30);
    EXPECT_EQ(intro->ys()[2], 60);
    EXPECT_TRUE(logHas("Ignoring Unexpected FORM or CHUNK."));

    struct FrameCase {
        int32_t frame;
        int32_t index;
    };
    for (const FrameCase& c : {FrameCase{0, 0}, FrameCase{9, 0}, FrameCase{15, 1}, FrameCase{20, 2}, FrameCase{31, -1}}) {
        int32_t index = 99;
        const CUnicodeString* s = intro->getStrForFrame(c.frame, index);
        EXPECT_EQ(index, c.index) << c.frame;
        EXPECT_EQ(s == nullptr, c.index < 0) << c.frame;
    }

    KZReport::resetForTests();
    EXPECT_EQ(intro->getStr(3, true), nullptr);
    EXPECT_EQ(intro->getStr(-1, true), nullptr);
    EXPECT_FALSE(logHas("out of range"));
    EXPECT_EQ(intro->getStr(3), nullptr);
    EXPECT_TRUE(logHas("given string number (3) out of range (0-2)"));

    LanguageSection* wide = LanguageManager::loadSection("wide", "enu", "wide");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->charSize(), 2);
    EXPECT_EQ(text(wide->getStr(0)), u"\u4e2d\u6587");
    EXPECT_EQ(text(wide->getStr(1)), u"");
    int32_t index = 0;
    EXPECT_EQ(wide->getStrForFrame(0, index), nullptr);
    EXPECT_TRUE(logHas("no frame timing information"));
}

TEST_F(LanguageManagerTest, SectionsAreFoundByFallbackOnceAndReloadedOnlyWhenForced)
{
    writeStandardCodes();
    setSystemLanguage("deu");
    writeSection("language/gt_0000.enu", section("enu", "gt_0000", {u"english"}));
    writeSection("chat.deu", section("deu", "chat", {u"deutsch"}));
    LanguageManager::startup();
    const size_t preloaded = LanguageManager::loadedSectionCount();
    EXPECT_EQ(preloaded, 2u);

    // Asked for deu, served from the enu file; the section carries the language of its file.
    LanguageSection* s = LanguageManager::loadSection("gt_0000", "deu", "gt_0000");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->languageCode(), "enu");
    EXPECT_EQ(s->fileName(), "gt_0000");
    EXPECT_EQ(LanguageManager::loadSection("GT_0000", "ita", "Gt_0000"), s);
    EXPECT_EQ(LanguageManager::loadedSectionCount(), preloaded);

    LanguageSection* chat = LanguageManager::loadSection("chat", "deu", "chat", true);
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(text(chat->getStr(0)), u"deutsch");
    EXPECT_TRUE(logHas("forcing load of section 'chat' from file 'chat'"));
    EXPECT_EQ(LanguageManager::loadedSectionCount(), preloaded);

    EXPECT_EQ(LanguageManager::loadSection("nowhere", "deu", "nowhere"), nullptr);
    EXPECT_TRUE(logHas("LanguageSection::load: cannot load from file 'nowhere'."));
    EXPECT_EQ(exitCodeOf([] { LanguageManager::loadSection("nowhere", "deu", "nowhere", false, true); }), 1);
    EXPECT_TRUE(logHas("no section <nowhere> found for language <deu> in file <nowhere>."));
}

TEST_F(LanguageManagerTest, KeyTableFindsStringsByKeyWithinBounds)
{
    writeStandardCodes();
    LanguageSectionSpec spec = section("enu", "keys", {u"a", u"b", u"c", u"d"});
    std::vector<int32_t> many(1500);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = 5000 + static_cast<int32_t>(i);
    spec.keys = {{2, {100, 200}}, {1, {200, 300}}, {7, {400}}, {3, many}};
    writeSection("keys.enu", spec);
    LanguageManager::startup();
    LanguageSection* s = LanguageManager::loadSection("keys", "enu", "keys");
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->hasKeyTable());

    struct Case {
        int32_t key;
        const char16_t* expected;
    };
    const Case cases[] = {
        {100, u"c"},     {200, u"c"}, // the earlier record wins a shared key
        {300, u"b"},     {0, u"<null>"}, // the position in the section does not count
        {400, u"<null>"}, // its record names a string outside the section
        {5999, u"d"},    {6000, u"<null>"}, // keys past the 1000 a string keeps
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(s->getStr(c.key, true)), c.expected) << c.key;
    EXPECT_EQ(s->keyRecords().size(), 3u);
    EXPECT_EQ(s->keyRecords()[2].keys.size(), LanguageSection::kMaxKeysPerString);
}

TEST_F(LanguageManagerTest, DamagedSectionsEndTheProgramWithTheirReason)
{
    writeStandardCodes();
    auto info = [](const std::string& code, int32_t charSize, int32_t count, const Bytes& extra = {}) {
        return iff::chunk("INFO",
                          iff::ChunkData().str(code).i32(charSize).i32(0).str("bad").i32(0).i32(count).raw(extra).take());
    };
    auto file = [](std::vector<Bytes> chunks) { return iff::form("DATA", {iff::form("LANG", std::move(chunks))}); };
    const Bytes twoStrings = iff::chunk("TEXT", {'a', 0, 'b', 0});
    const std::string longCode(700, 'q');
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"extra INFO data", file({info("enu", 1, 2, {9, 9, 9, 9})}), "Extra data in CHUNK INFO."},
        {"character size 3", file({info("enu", 3, 2)}), "Illegal character size."},
        {"no strings", file({info("enu", 1, 0)}), "stringCount <= 0."},
        {"count beyond the file", file({info("enu", 1, 0x7FFFFFFF), twoStrings}), "stringCount larger than the file."},
        {"text too short", file({info("enu", 1, 3), twoStrings}), "NOT ENOUGH DATA! Check string count."},
        {"text too long", file({info("enu", 1, 1), twoStrings}), "TOO MUCH DATA! Check string count."},
        {"odd 16-bit text", file({info("enu", 2, 1), iff::chunk("TEXT", {'a', 0, 0})}), "NOT ENOUGH DATA!"},
        {"colour table short", file({info("enu", 1, 2), twoStrings, iff::chunk("COLR", Bytes(12, 0))}),
         "At end of CHUNK. Not enough data ?"},
        {"font table long", file({info("enu", 1, 2), twoStrings, iff::chunk("FONT", Bytes(12, 0))}),
         "extra data in CHUNK"},
        {"key count past the chunk", file({info("enu", 1, 2), twoStrings, iff::chunk("TKEY", iff::ChunkData().i32(0).i32(1000000).take())}),
         "At end of CHUNK. Not enough data ?"},
        {"INFO string without end", file({iff::chunk("INFO", Bytes(longCode.begin(), longCode.end()))}),
         "At end of CHUNK. Not enough data ?"},
        {"not LANG", iff::form("DATA", {iff::form("XXXX", {})}), "Cannot enter FORM 'LANG'"},
        {"not an IFF file", Bytes{'h', 'e', 'l', 'l', 'o'}, "Cannot enter FORM 'DATA'"},
    };
    LanguageManager::startup();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("bad.enu", c.bytes);
        KZReport::resetForTests();
        EXPECT_EQ(exitCodeOf([] { LanguageManager::loadSection("bad", "enu", "bad"); }), 1);
        EXPECT_TRUE(logHas(c.message)) << log();
        EXPECT_EQ(LanguageManager::loadedSectionCount(), 0u);
    }
}

TEST_F(LanguageManagerTest, InfoStringsAreCutAt511Characters)
{
    writeStandardCodes();
    const std::string longName(600, 'n');
    write("long.enu", iff::form("DATA", {iff::form("LANG", {iff::chunk("INFO", iff::ChunkData().str("enu").i32(1).i32(0).str(longName).i32(0).i32(1).take()),
                                                            iff::chunk("TEXT", {'x', 0})})}));
    LanguageManager::startup();
    LanguageSection section;
    ASSERT_TRUE(section.load("long", "enu", "long"));
    EXPECT_EQ(std::string(section.sectionName()), longName.substr(0, 511));
}

TEST_F(LanguageManagerTest, PreloadReadsTheStartupSections)
{
    writeStandardCodes();
    const char* names[] = {"intro",   "gt_0000", "gt_1010",  "gt_2000", "gt_2310", "gt_2400",
                           "gt_5000", "gt_5400", "skilname", "chat",    "options"};
    for (const char* name : names)
        writeSection(std::string("language/") + name + ".enu", section("enu", name, {u"x"}));
    LanguageManager::startup();
    EXPECT_EQ(LanguageManager::loadedSectionCount(), 11u);
    EXPECT_TRUE(logHas("LanguageManager::startup: user language set to 'enu'."));
}

TEST(LanguageLocaleTest, LocalesMapToLanguageCodes)
{
    struct Case {
        const char* locale;
        const char* code;
    };
    const Case cases[] = {
        {"en_US.UTF-8", "enu"}, {"en_GB", "eng"}, {"en", "enu"},          {"de_DE.UTF-8@euro", "deu"},
        {"de_AT", "dea"},       {"fr_CA", "frc"}, {"pt_BR.UTF-8", "ptb"}, {"pt_PT", "ptg"},
        {"zh_TW", "cht"},       {"zh_CN", "chs"}, {"C", ""},              {"POSIX", ""},
        {"C.UTF-8", ""},        {"xx_YY", ""},    {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(languageCodeForLocale(c.locale), c.code) << c.locale;
}

} // namespace
