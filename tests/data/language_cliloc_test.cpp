/** @file Numbered server texts: number to section and entry, lookup with the enu fallback, argument substitution. */
#include "tests/data/language_test_fixture.h"

#include <climits>

namespace {

using testsupport::text;

TEST(ClilocLocationTest, NumbersMapToSectionAndEntry)
{
    struct Case {
        int32_t number;
        const char* section;
        int32_t entry;
    };
    const Case cases[] = {
        {500000, "cliloc-1", 0},      {499999, "cliloc-1", -1},     {999999, "cliloc-1", 499999},
        {1000000, "cliloc00", 0},     {1042971, "cliloc42", 971},   {5000000, "cliloc4000", 0},
        {10500000, "cliloc9500", 0},  {INT_MIN, "cliloc-1", -1},
    };
    for (const Case& c : cases) {
        std::string section;
        int32_t entry = 0;
        ClilocLocation(c.number, section, entry);
        EXPECT_EQ(section, c.section) << c.number;
        EXPECT_EQ(entry, c.entry) << c.number;
    }
}

class ClilocTest : public testsupport::LanguageTest {
protected:
    void start(const char* user)
    {
        writeStandardCodes();
        setSystemLanguage(user);
        writeSection("language/cliloc-1.enu",
                     section("enu", "cliloc-1", {u"first", u"second ~1_NAME~", u"only in english", std::u16string(1024, u'x')}));
        writeSection("cliloc42.enu", section("enu", "cliloc42", std::vector<std::u16string>(972, u"forty-two")));
        writeSection("language/cliloc-1.deu", section("deu", "cliloc-1", {u"erste", u"zweite"}));
        LanguageManager::startup();
    }
};

TEST_F(ClilocTest, TextsComeFromTheUserLanguageWithErrorsSpelledOut)
{
    start("enu");
    struct Case {
        int32_t number;
        const char16_t* expected;
    };
    const Case cases[] = {
        {500000, u"first"},
        {500001, u"second ~1_NAME~"},
        {1042971, u"forty-two"},
        {499999, u"Error (TID): Line number less than zero : 499999"},
        {500009, u"Error (TID): Null string : 500009"},
        {1043000, u"Error (TID): Null string : 1043000"},
        {500003, u"Error (TID): String too Long : 500003"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(GetClilocString(c.number)), c.expected) << c.number;
}

TEST_F(ClilocTest, OtherLanguagesFallBackToEnglishEntryByEntry)
{
    writeSection("cliloc07.deu", section("deu", "cliloc07", {u"nur deutsch"}));
    start("deu");
    EXPECT_EQ(text(GetClilocString(500001)), u"zweite");
    // No English file: the English search finds the German file again, and a missing number asked
    // for again and again must not keep loading more copies of it.
    EXPECT_EQ(text(GetClilocString(1007000)), u"nur deutsch");
    EXPECT_EQ(text(GetClilocString(1007005)), u"Error (TID): Null string : 1007005");
    const size_t loaded = LanguageManager::loadedSectionCount();
    EXPECT_EQ(text(GetClilocString(1007005)), u"Error (TID): Null string : 1007005");
    EXPECT_EQ(LanguageManager::loadedSectionCount(), loaded);
    EXPECT_EQ(text(GetClilocString(500002)), u"only in english");
    // No German file at all: the English one serves.
    EXPECT_EQ(text(GetClilocString(1042000)), u"forty-two");
    EXPECT_EQ(text(GetClilocString(500010)), u"Error (TID): Null string : 500010");
}

TEST_F(ClilocTest, ArgumentsFillTheTemplate)
{
    start("enu");
    const std::u16string long600(600, u'a');
    struct Case {
        const char* name;
        std::u16string templ;
        const char16_t* args;
        std::u16string expected;
    };
    std::u16string manyFields;
    for (int i = 1; i <= 70; ++i)
        manyFields += u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"\t";
    const std::vector<Case> cases = {
        {"two fields", u"~1_NAME~ hits ~2_AMOUNT~!", u"Bob\t5", u"Bob hits 5!"},
        {"field out of range", u"~1~ and ~3~", u"a\tb", u"Error (TID): Token Out of Range : 3 : 42"},
        {"token zero", u"x~~", u"a", u"Error (TID): Token Out of Range : 0 : 42"},
        {"numbered text", u"<~#500000~>", u"a", u"<first>"},
        {"numbered text out of range", u"~#12~", u"a", u"Error (TID): Token Out of Range : 12 : 42"},
        {"escaped tilde", u"50\\~ off ~1~", u"now", u"50\\~ off now"},
        {"empty arguments", u"~1~", u"", u"~1~"},
        {"absent arguments", u"~1~", nullptr, u"~1~"},
        {"trailing tab adds no field", u"~2~", u"a\t", u"Error (TID): Token Out of Range : 2 : 42"},
        {"empty middle field", u"[~2~]", u"a\t\tc", u"[]"},
        {"64 fields at most", u"~64~", manyFields.c_str(), u"f4"},
        {"field 65 is out of range", u"~65~", manyFields.c_str(), u"Error (TID): Token Out of Range : 65 : 42"},
        {"unclosed token", u"a ~1 rest", u"X", u"a X"},
        {"template cut at 511", long600 + u"~1~", u"X", std::u16string(511, u'a')},
    };
    for (const Case& c : cases) {
        CUnicodeString templ(c.templ.c_str());
        FormatClilocArgs(templ, c.args, 42);
        EXPECT_EQ(text(templ), c.expected) << c.name;
    }
}

} // namespace
