/** @file The sample install's language files load through the language manager as the client does at start-up. */
#include "tests/data/language_test_fixture.h"

#include "tools/sample_install/write_language.h"

namespace {

using testsupport::text;

class LanguageSampleInstallTest : public testsupport::LanguageTest {};

TEST_F(LanguageSampleInstallTest, StartupFindsEverySectionItPreloads)
{
    // The install folder of the fixture is the sample layout's install folder.
    const sampleinstall::Layout layout(sandbox_.dir().path() / "sample");
    std::string error;
    ASSERT_TRUE(sampleinstall::writeLanguage(layout, error)) << error;
    std::filesystem::remove_all(hd_);
    std::filesystem::rename(layout.install, hd_);

    LanguageManager::startup();
    EXPECT_EQ(LanguageManager::languages().size(), 6u);
    EXPECT_EQ(LanguageManager::loadedSectionCount(), 11u);
    EXPECT_FALSE(logHas("cannot load from file"));

    LanguageSection* intro = LanguageManager::loadSection("intro", "enu", "intro");
    ASSERT_NE(intro, nullptr);
    int32_t index = -1;
    EXPECT_NE(intro->getStrForFrame(160, index), nullptr);
    EXPECT_EQ(index, 1);

    CUnicodeString greeting = GetClilocString(500001);
    FormatClilocArgs(greeting, u"Ana", 500001);
    EXPECT_EQ(text(greeting), u"Ana greets you.");
}

} // namespace
