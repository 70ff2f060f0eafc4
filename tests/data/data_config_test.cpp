/** @file The data settings taken from the configuration store and the file manager. */
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/options.h"
#include "client/data/data_config.h"
#include "client/data/data_settings.h"
#include "client/data/hue_manager.h"
#include "client/data/span_routines.h"
#include "platform/platform.h"
#include "tests/core/report_sandbox.h"
#include "tests/support/temp_dir.h"
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DataConfiguration, SettingsAndHighlightColoursComeFromTheConfiguration)
{
    testsupport::TempDir dir;
    platform::ScopedPlatform platform;
    const std::string hd = dir.file("hd") + "/";
    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", hd + "client");
    FileManager::startup();
    HdUsage = 1;
    CacheSize = 3;
    UseVerData = 0;
    use565 = 1;
    HighlightColorTable[1].color = -7;
    HighlightColorTable[2].color = 0;

    kzdata::BindDataConfiguration();
    const kzdata::DataSettings& s = kzdata::dataSettings();
    EXPECT_EQ(s.hdPath, hd);
    EXPECT_TRUE(s.cdPath.empty());
    EXPECT_TRUE(s.maxHd);
    EXPECT_EQ(s.cacheSize, 3);
    EXPECT_FALSE(s.useVerData);
    EXPECT_TRUE(s.use565);

    HueManager::ResolveColorSettings();
    EXPECT_EQ(HighlightHueTable[1], 7);
    EXPECT_EQ(HighlightColorTable[1].color, 0);
    EXPECT_EQ(HighlightHueTable[2], 63);

    FileManager::shutdown();
    kzdata::dataSettings() = kzdata::DataSettings{};
}

/**
 * An install whose kz.cfg the configuration reader finds, the data readers bound to the
 * configuration, and a hue table with a red hue 6 (index 5) and a blue hue 10 (index 9).
 */
class ConfiguredDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", sandbox_.dir().file("hd") + "/client");
        FileManager::startup();
        ResetConfigStore();
        ResetConfigRunState(true);
        std::vector<formats::HueEntry> entries(12);
        entries[5].end = 0x7C00;
        entries[9].end = 0x001F;
        const formats::Bytes hues = formats::encodeHues(entries);
        HueManager::LoadFrom(hues.data(), hues.size());
        resetSpanState();
    }
    void TearDown() override
    {
        configHooks() = ConfigHooks{};
        resetSpanState();
        FileManager::shutdown();
        kzdata::dataSettings() = kzdata::DataSettings{};
        ResetConfigStore();
    }
    void writeConfig(const std::string& text) { sandbox_.dir().write("hd/kz.cfg", text); }

    testsupport::ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
};

TEST_F(ConfiguredDataTest, HighlightColoursBecomeHuesAfterEveryReadOfKzCfg)
{
    kzdata::BindDataConfiguration();
    writeConfig("HighlightColorInnocent=-5\r\n"      // a hue number written as -h
                "HighlightColorFriend=#ff0000\r\n"   // a colour, as the settings editor writes it
                "HighlightColorCanAttack=#0000f8\r\n"
                "HighlightColorCriminal=40\r\n"      // a hue, as the options save writes it
                "HighlightColorEnemy=-4000\r\n");   // past the table: no hue
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    const int32_t afterStart[] = {0, 5, 5, 9, 40, 0, 34};
    for (int i = 0; i <= kNotorietyMurderer; ++i) {
        EXPECT_EQ(HighlightHueTable[i], afterStart[i]) << i;
        EXPECT_EQ(HighlightColorTable[i].color, 0) << i;
    }

    // The hues are saved as numbers and read back as the same hues.
    ASSERT_TRUE(SaveConfigOptionsOldWay());
    ResetConfigStore();
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    for (int i = 0; i <= kNotorietyMurderer; ++i) EXPECT_EQ(HighlightHueTable[i], afterStart[i]) << i;

    // A reload resolves again; a later line of the same setting wins, whatever its form.
    writeConfig("HighlightColorInnocent=#0000ff\r\n"
                "HighlightColorFriend=-7\r\nHighlightColorFriend=12\r\n"
                "HighlightColorCanAttack=12\r\nHighlightColorCanAttack=#f80000\r\n");
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(HighlightHueTable[kNotorietyInnocent], 9);
    EXPECT_EQ(HighlightHueTable[kNotorietyFriend], 12);
    EXPECT_EQ(HighlightHueTable[kNotorietyCanAttack], 5);
    EXPECT_EQ(HighlightHueTable[kNotorietyCriminal], 40);
}

TEST_F(ConfiguredDataTest, KzCfgSetsTheSpanRoutinesBloodColourAndKeepsThemOnFiveFiveFive)
{
    setCensoredBloodColor(0x1234);
    kzdata::BindDataConfiguration();
    EXPECT_EQ(censoredBloodColor(), 0x03E0) << "the store and the routines start alike";

    struct Case {
        const char* lines;
        uint16_t blood;
        uint8_t use565;
    };
    const Case cases[] = {
        {"CensoredBloodColor=#f80000\r\n", 0x7C00, 0},
        {"CensoredBloodColor=255\r\n", 0x001F, 0},
        {"CensoredBloodColor=-5\r\n", 0x03E0, 0}, // a hue number is no colour: kept
        {"use565=on\r\n", 0x03E0, 1},
        {"use565=off\r\n", 0x03E0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        setCensoredBloodColor(0x03E0);
        SpanPixelLayout odd;
        odd.redShift = 11;
        odd.halfMask = 0xF7DE;
        setSpanPixelLayout(odd);
        writeConfig(c.lines);
        ASSERT_TRUE(ReadConfig("kz.cfg", true));
        EXPECT_EQ(censoredBloodColor(), c.blood);
        EXPECT_EQ(use565, c.use565);
        // The art and glyph readers hand over 5-5-5 pixels whatever the display is.
        const bool reset = std::string(c.lines).starts_with("use565");
        EXPECT_EQ(spanPixelLayout().redShift, reset ? 10 : 11);
        EXPECT_EQ(spanPixelLayout().halfMask, reset ? 0x7BDE : 0xF7DE);
    }
}

} // namespace
