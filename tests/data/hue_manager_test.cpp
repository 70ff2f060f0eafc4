/** @file Tests of the hue table: cleaning, nearest hue, colour settings and colour parsing. */
#include "client/data/anim_data.h"
#include "client/data/data_settings.h"
#include "client/data/hue_manager.h"
#include "tests/core/report_sandbox.h"
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(ParseColorValue, ReadsHexDecimalAndHueNumbers)
{
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"#ff8000", 0x7E00},
        {"#FF8000", 0x7E00},
        {"#zz8000", 0x0200}, // a non-hex digit counts as 0
        {"#ff", 0x7C00},     // missing digits count as 0
        {"-5", -5},
        {"16711680", 0x7C00}, // 0xFF0000
        {"255", 0x001F},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColorValue(c.text), c.expected) << c.text;
}

TEST(HueManager, CleaningLeavesNoZeroColour)
{
    std::vector<formats::HueEntry> entries(3);
    entries[0].start = 5;         // a non-zero start: zeros become 1
    entries[0].colors[3] = 0x8000; // out of 15-bit range: becomes 1
    entries[0].colors[4] = 0x7FFF;
    entries[2].colors[0] = 0x0421;
    const formats::Bytes file = formats::encodeHues(entries);
    ASSERT_EQ(file.size(), 265500u);
    HueManager::LoadFrom(file.data(), file.size());
    EXPECT_EQ(HueManager::GetHue(1)->colors[0], 1);
    EXPECT_EQ(HueManager::GetHue(1)->colors[3], 1);
    EXPECT_EQ(HueManager::GetHue(1)->colors[4], 0x7FFF);
    EXPECT_EQ(HueManager::GetHue(2)->colors[0], 1);
    EXPECT_EQ(HueManager::GetHue(3)->colors[0], 0x0421);
    EXPECT_EQ(HueManager::GetHue(0), nullptr);
    EXPECT_EQ(HueManager::GetHue(3001), nullptr);

    HueManager::LoadFrom(nullptr, 0); // a missing file: every colour 1
    EXPECT_EQ(HueManager::GetHue(3000)->colors[31], 1);
}

TEST(HueManager, ALoadBlanksEveryHueTheNewFileDoesNotReach)
{
    std::vector<formats::HueEntry> full(10);
    full[9].colors[0] = 0x1234;
    full[9].end = 0x7C00;
    const formats::Bytes first = formats::encodeHues(full);
    HueManager::LoadFrom(first.data(), first.size());
    formats::HueGroup sent{};
    sent[0].colors[0] = 0x0421;
    sent[0].end = 0x001F;
    HueManager::ApplyGroup(300, formats::encodeHueGroup(sent).data());
    ASSERT_EQ(HueManager::GetHue(2401)->colors[0], 0x0421);

    // A file of one group: the hue of the earlier file and the one the server sent are gone.
    std::vector<formats::HueEntry> shorter(1);
    shorter[0].colors[0] = 0x0042;
    formats::Bytes second = formats::encodeHues(shorter);
    second.resize(4 + 8 * kHueEntryBytes);
    HueManager::LoadFrom(second.data(), second.size());
    EXPECT_EQ(HueManager::GetHue(1)->colors[0], 0x0042);
    for (int32_t hue : {10, 2401, 3000}) {
        const HueEntry* e = HueManager::GetHue(hue);
        EXPECT_EQ(e->tableEnd, 0) << hue;
        for (uint16_t c : e->colors) EXPECT_EQ(c, 1) << hue;
    }
    EXPECT_EQ(HueManager::FindNearestHue(0x7C00), 0);
}

TEST(HueManager, NearestHueAndColourSettings)
{
    std::vector<formats::HueEntry> entries(12);
    entries[0].end = 0x7C00;  // index 0 is never a candidate
    entries[5].end = 0x7C00;  // red
    entries[7].end = 0x7C00;  // same colour later: the first wins
    entries[9].end = 0x001F;  // blue
    entries[11].start = 1;    // black end, non-zero start: a candidate
    const formats::Bytes file = formats::encodeHues(entries);
    HueManager::LoadFrom(file.data(), file.size());

    EXPECT_EQ(HueManager::FindNearestHue(0x7800), 5);
    EXPECT_EQ(HueManager::FindNearestHue(0x001E), 9);
    EXPECT_EQ(HueManager::FindNearestHue(0x0000), 11);

    auto& settings = HueManager::ColorSettings();
    *settings[1].source = -5;
    *settings[2].source = 0x7C00;
    HueManager::ResolveColorSettings();
    EXPECT_EQ(*settings[0].hue, 0);
    EXPECT_EQ(*settings[1].hue, 5);
    EXPECT_EQ(*settings[2].hue, 5);
    EXPECT_EQ(*settings[3].hue, 946);
    EXPECT_EQ(*settings[1].source, 0);
    EXPECT_EQ(*settings[2].source, 0);

    // Hue numbers past the table name no hue; the most negative value must not overflow.
    struct Case {
        int32_t source, hue;
    };
    const Case cases[] = {{-3000, 3000}, {-3001, 0}, {INT32_MIN, 0}};
    for (const Case& c : cases) {
        *settings[4].source = c.source;
        HueManager::ResolveColorSettings();
        EXPECT_EQ(*settings[4].hue, c.hue) << c.source;
        EXPECT_EQ(*settings[4].source, 0);
    }
}

TEST(OptionalTables, MissingOrDamagedHuesAndAnimationsAreLogged)
{
    struct Case {
        const char* file;
        const char* how; // "missing", "empty", "folder", "short"
        const char* line;
    };
    const Case cases[] = {
        {"hues.mul", "missing", "HueManager::CHueManager(): cannot open file"},
        {"hues.mul", "folder", "HueManager::CHueManager(): cannot open file"},
        {"hues.mul", "empty", "'hues.mul' is empty or shorter than one hue group"},
        {"hues.mul", "short", "'hues.mul' is empty or shorter than one hue group"},
        {"animdata.mul", "missing", "'animdata.mul' is missing or not a file"},
        {"animdata.mul", "folder", "'animdata.mul' is missing or not a file"},
        {"animdata.mul", "empty", "'animdata.mul' is empty or shorter than one group"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.how);
        testsupport::ReportSandbox sandbox;
        const std::string how = c.how;
        if (how == "empty") sandbox.dir().write(c.file, std::string());
        if (how == "short") sandbox.dir().write(c.file, std::string(50, 'x'));
        if (how == "folder") std::filesystem::create_directory(sandbox.dir().path() / c.file);
        kzdata::dataSettings().hdPath = sandbox.dir().path().string();
        if (std::string(c.file) == "hues.mul") HueManager::startup();
        else animCrap::LoadAnimData();
        EXPECT_NE(sandbox.read("KZReport0.log").find(c.line), std::string::npos) << sandbox.read("KZReport0.log");
    }
    kzdata::dataSettings() = kzdata::DataSettings{};
}

} // namespace
