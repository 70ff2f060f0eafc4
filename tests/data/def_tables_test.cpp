/** @file Tests of the .def remap tables and the seasonal substitution. */
#include "client/data/def_tables.h"
#include "client/data/data_settings.h"
#include "client/data/seasonal_art.h"
#include "platform/exit/exit.h"
#include "platform/random/random.h"
#include "tests/core/report_sandbox.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseDefLine, Grammar)
{
    struct Case {
        const char* line;
        bool valid;
        uint16_t id;
        std::vector<uint16_t> alternates;
        int32_t number;
    };
    const Case cases[] = {
        {"100 {101, 102} 0 # a comment\n", true, 100, {101, 102}, 0},
        {"100 {} 5\n", true, 100, {}, 5},
        {"  \t7 {8,9,10} -3   \r\n", true, 7, {8, 9, 10}, -3},
        {"100 {101} 0 x\n", false, 0, {}, 0},
        {"# just a comment\n", false, 0, {}, 0},
        {"   \n", false, 0, {}, 0},
        {"100 101 0\n", false, 0, {}, 0},    // no braces
        {"100 {101, 102\n", false, 0, {}, 0}, // unclosed
        {"100 {101}\n", false, 0, {}, 0},     // no number
        {"abc {1} 2\n", false, 0, {}, 0},     // no id
    };
    for (const Case& c : cases) {
        uint16_t id = 0;
        DefEntry entry;
        ASSERT_EQ(ParseDefLine(c.line, id, entry), c.valid) << c.line;
        if (!c.valid) continue;
        EXPECT_EQ(id, c.id) << c.line;
        EXPECT_EQ(entry.alternates, c.alternates) << c.line;
        EXPECT_EQ(entry.number, c.number) << c.line;
    }
}

TEST(DefTable, FirstLineWinsAndPicksRepeat)
{
    DefTable table;
    table.LoadText("100 {101, 102, 103} 7\n100 {200} 9\n5 {} 1\nbad line\n");
    EXPECT_EQ(table.ValidLines(), 3);
    ASSERT_NE(table.Find(100), nullptr);
    EXPECT_EQ(table.Find(100)->number, 7);
    EXPECT_EQ(table.PickAlternate(5, 0), 5);   // empty list
    EXPECT_EQ(table.PickAlternate(42, 0), 42); // no entry
    const uint16_t first = table.PickAlternate(100, 1234);
    EXPECT_TRUE(first >= 101 && first <= 103);
    EXPECT_EQ(table.PickAlternate(100, 1234), first);
    // The pick is the project's generator seeded with the seed: index rand() mod count.
    for (uint32_t seed : {0u, 1u, 1234u, 99999u}) {
        platform::srand(seed);
        EXPECT_EQ(table.PickAlternate(100, seed), 101 + platform::rand() % 3) << seed;
    }
}

TEST(DefTables, LoadsAllNineAndEndsWhenOneIsMissing)
{
    testsupport::TempDir dir;
    const char* names[] = {"sound.def", "music.def", "anim1.def", "anim2.def", "anim3.def",
                           "anim4.def", "art.def",   "body.def",  "corpse.def"};
    for (const char* n : names) dir.write(n, "");
    dir.write("ART.DEF", "16484 {16485} 33\n"); // letter case differs on disk
    std::filesystem::remove(dir.path() / "art.def");
    kzdata::dataSettings().hdPath = dir.path().string();
    ASSERT_TRUE(DefTables::Load());
    ASSERT_NE(DefTables::Get(DEF_ART), nullptr);
    EXPECT_EQ(DefTables::Get(DEF_ART)->Find(0x4000 + 100)->number, 33);
    DefTables::Unload();
    EXPECT_EQ(DefTables::Get(DEF_ART), nullptr);

    // A missing table, or a folder in its place, ends the start-up and tells the user which.
    testsupport::ReportSandbox sandbox;
    std::filesystem::remove(dir.path() / "corpse.def");
    std::filesystem::remove(dir.path() / "body.def");
    std::filesystem::create_directory(dir.path() / "body.def");
    for (const char* name : {"body.def", "corpse.def"}) {
        sandbox.boxes().clear();
        EXPECT_EQ(testsupport::exitCodeOf([] { DefTables::Load(); }), 1) << name;
        const auto boxes = sandbox.boxes().boxes();
        ASSERT_EQ(boxes.size(), 1u) << name;
        EXPECT_NE(boxes[0].text.find(std::string("'") + name + "' is missing"), std::string::npos) << boxes[0].text;
        EXPECT_NE(sandbox.read("KZReport0.log").find(name), std::string::npos) << name;
        std::filesystem::remove(dir.path() / name);
        dir.write(name, "");
    }
    // Empty tables load, each with a line in the log.
    EXPECT_TRUE(DefTables::Load());
    EXPECT_NE(sandbox.read("KZReport0.log").find("music.def' is empty"), std::string::npos);
    DefTables::Unload();
    kzdata::dataSettings() = kzdata::DataSettings{};
}

TEST(SeasonalArt, LandAndStaticsFollowTheSeason)
{
    struct Case {
        int32_t season;
        uint16_t land, landExpected;
        uint16_t graphic, graphicExpected;
    };
    const Case cases[] = {
        {3, 1534, 284, 3239, 3239},
        {3, 206, 1472, 3278, 3278},
        {2, 1534, 1534, 3278, 3279},
        {2, 804, 804, 3212, 3270},
        {0, 1534, 1534, 3342, 3262},
        {4, 1534, 1534, 3233, 7086},
        {4, 196, 196, 3258, 7053},
        {1, 196, 196, 3239, 3239},
        {3, 20000, 20000, 1, 1},
    };
    for (const Case& c : cases) {
        SeasonValue = c.season;
        EXPECT_EQ(RemapSeasonalLand(c.land), c.landExpected) << "season " << c.season << " land " << c.land;
        EXPECT_EQ(RemapSeasonalGraphic(c.graphic), c.graphicExpected) << "season " << c.season;
    }
    SeasonValue = 0;
}

} // namespace
