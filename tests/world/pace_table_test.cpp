/** @file Tests of the pace table read from animinfo.mul. */
#include "client/world/pace_table.h"

#include "tools/formats/world_formats.h"
#include "tests/world/world_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(PaceTableTest, ReadsPairsAndKeepsDefaultsPastAShortFile)
{
    testsupport::InstallSandbox install;
    // Three bodies only, and half a pair: the rest of the table stays 4, 2.
    formats::Bytes file = formats::encodePaceTable({{1, 1}, {8, 4}, {-3, 6}});
    file.push_back(9);
    install.write("animinfo.mul", file);
    ASSERT_TRUE(PaceTable::Load());
    struct Case {
        int32_t body;
        int32_t walk, run;
    };
    const Case cases[] = {{0, 1, 1}, {1, 8, 4}, {2, -3, 6}, {3, 4, 2}, {999, 4, 2}, {50, 4, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(PaceTable::GetWalkPace(c.body), c.walk) << c.body;
        EXPECT_EQ(PaceTable::GetRunPace(c.body), c.run) << c.body;
    }
    EXPECT_EQ(PaceTable::GetPace(1, true), 4);
    PaceTable::Reset();
}

TEST(PaceTableTest, LargeAndNegativeBodiesUseBody50)
{
    std::vector<std::pair<int8_t, int8_t>> pairs(51, {4, 2});
    pairs[50] = {7, 3};
    const formats::Bytes file = formats::encodePaceTable(pairs);
    PaceTable::LoadFrom(file.data(), file.size());
    for (int32_t body : {1000, 1999, 65535, -1}) {
        EXPECT_EQ(PaceTable::GetWalkPace(body), 7) << body;
        EXPECT_EQ(PaceTable::GetRunPace(body), 3) << body;
    }
    PaceTable::Reset();
}

TEST(PaceTableTest, MissingFileGivesTheDefaults)
{
    testsupport::InstallSandbox install;
    const formats::Bytes file = formats::encodePaceTable({{9, 9}});
    PaceTable::LoadFrom(file.data(), file.size());
    EXPECT_FALSE(PaceTable::Load());
    EXPECT_EQ(PaceTable::GetWalkPace(0), 4);
    EXPECT_EQ(PaceTable::GetRunPace(0), 2);
    EXPECT_NE(install.log().find("cannot open 'animinfo.mul'"), std::string::npos);
}

} // namespace
