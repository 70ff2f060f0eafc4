/** @file Tests of map blocks: geometry and distances, heights and tiles, statics records and the block digest check. */
#include "client/data/data_files.h"
#include "client/data/map_manager.h"
#include "client/data/seasonal_art.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> g_reported;
void recordReport(int32_t block, const uint8_t*)
{
    g_reported.push_back(block);
}

class MapManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MapManager::startup();
        g_reported.clear();
        MapManager::SetBlockReportSink(recordReport);
        install.map().setCell(0, 0, 3, 10);
        install.map().setCell(1, 0, 3, 12);
        install.map().setCell(1, 1, 3, -4);
        install.map().setCell(0, 1, 3, 6);
        install.map().setCell(3, 4095, 1534, 9);
        install.map().setCell(9, 2, 77, -20); // block 512 (second column)
        install.indexed(FILE_STATICS0).add(0, formats::encodeStatics({{0x0F00, 1, 2, 3, 0x21}, {0x4005, 7, 7, -5, 0}}));
        formats::Bytes ragged = formats::encodeStatics({{0x0123, 0, 0, 0, 0}});
        ragged.resize(10);
        install.indexed(FILE_STATICS0).add(1, ragged);
    }
    void TearDown() override
    {
        MapManager::SetBlockReportSink(nullptr);
        MapManager::LoadDigestTableFrom(nullptr, 0);
        SeasonValue = 0;
    }
    testsupport::TempDir dir;
    testsupport::DataInstall install{dir.path()};
};

TEST_F(MapManagerTest, DistancesFollowTheWrapRules)
{
    struct Case {
        MapPoint a, b;
        int32_t expected;
    };
    const Case cases[] = {
        {{5119, 10}, {5120, 10}, 9999},  // either side of the wrap edge
        {{5200, 10}, {100, 10}, 9999},
        {{0, 10}, {5119, 10}, 1},        // across the wrap
        {{10, 0}, {10, 4095}, 1},
        {{5200, 0}, {5300, 4000}, 4000}, // the non-wrapping region does not wrap
        {{3, 4}, {7, 6}, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapManager::GetDistance(c.a, c.b), c.expected) << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y;
    MapManager::SetMap(2);
    EXPECT_EQ(MapManager::WrapWidth(), 2304);
    EXPECT_EQ(MapManager::GetDistanceXY({0, 0}, 2303, 1599), 1);
    EXPECT_EQ(MapManager::BlockNumber(9, 17), 200 + 2);
    MapManager::SetMap(7); // any index other than 2 is map 0
    EXPECT_EQ(MapManager::MapWidth(), 6144);
}

TEST_F(MapManagerTest, HeightsAndTilesComeFromTheBlocks)
{
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    EXPECT_EQ(MapManager::GetLandZ(0, 0), 10);
    EXPECT_EQ(MapManager::GetLandZ(9, 2), -20);
    EXPECT_EQ(MapManager::GetLandZ(3, -1), 9);       // wraps to y 4095
    EXPECT_EQ(MapManager::GetLandZ(100, 100), 0);    // no block in the file there
    EXPECT_EQ(MapManager::GetLandZ(-20000, 5), 0);   // still outside after one wrap
    EXPECT_EQ(MapManager::GetLandZ(5, 4096 * 3), 0);

    int8_t corners[4] = {1, 1, 1, 1};
    MapManager::GetCornerHeights(0, 0, corners);
    EXPECT_EQ(std::vector<int>(corners, corners + 4), (std::vector<int>{10, 12, -4, 6}));
    MapManager::GetCornerHeights(-1, 0, corners);
    EXPECT_EQ(std::vector<int>(corners, corners + 4), (std::vector<int>{0, 0, 0, 0}));

    EXPECT_EQ(MapManager::GetLandTileId(9, 2), 77);
    EXPECT_EQ(MapManager::GetLandTileId(6144, 0), 0x8001);
    EXPECT_EQ(MapManager::GetLandTileId(3, 4095), 1534);
    SeasonValue = 3;
    EXPECT_EQ(MapManager::GetLandTileId(3, 4095), 284);
}

TEST_F(MapManagerTest, AReaderOfOnePassAnswersAsTheMapDoes)
{
    install.map().setCell(1, 66, 88, 30); // block 8 shares the reader's slot with block 0
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    const MapPoint points[] = {{0, 0},   {1, 66},   {1, 0},       {9, 2},   {1, 65},     {3, -1},   {-1, 0},
                               {3, 4095}, {100, 100}, {-20000, 5}, {5, 4096 * 3}, {6143, 0}, {6144, 0}, {0, -1}};
    for (const int32_t season : {0, 3}) {
        SeasonValue = season;
        LandCellReader reader;
        for (const MapPoint& p : points) {
            EXPECT_EQ(reader.LandZ(p.x, p.y), MapManager::GetLandZ(p.x, p.y)) << p.x << "," << p.y;
            EXPECT_EQ(reader.LandTileId(p.x, p.y), MapManager::GetLandTileId(p.x, p.y)) << p.x << "," << p.y;
            int8_t mine[4] = {}, theirs[4] = {};
            reader.CornerHeights(p.x, p.y, mine);
            MapManager::GetCornerHeights(p.x, p.y, theirs);
            EXPECT_EQ(std::vector<int>(mine, mine + 4), std::vector<int>(theirs, theirs + 4)) << p.x << "," << p.y;
        }
    }
}

TEST_F(MapManagerTest, StaticsAreReadAsWholeRecords)
{
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    const auto records = MapManager::ReadStatics(0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].graphic, 0x0F00);
    EXPECT_EQ(records[0].x, 1);
    EXPECT_EQ(records[0].y, 2);
    EXPECT_EQ(records[0].z, 3);
    EXPECT_EQ(records[0].hue, 0x21);
    EXPECT_EQ(records[1].graphic, 0x4005);
    EXPECT_EQ(records[1].z, -5);
    int32_t size = -1;
    EXPECT_NE(MapManager::GetStaticsBlock(1, &size, nullptr), nullptr);
    EXPECT_EQ(size, 7); // ten bytes: one whole record
    EXPECT_TRUE(MapManager::ReadStatics(2).empty());
}

TEST_F(MapManagerTest, DifferingBlocksAreReportedOnceAfterTheCheckIsOn)
{
    formats::Bytes digest = formats::buildDigestTable(install.map().bytes());
    digest[256] ^= 0x0F; // block 513 (odd: low nibble) no longer matches
    install.setDigestTable(digest);
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    ASSERT_TRUE(MapManager::LoadDigestTable());

    MapManager::GetLandZ(9, 10); // block 513 read before the server asked: not compared
    EXPECT_TRUE(g_reported.empty());
    MapManager::EnableBlockCheck();
    for (int i = 0; i < 3; ++i) {
        MapManager::GetLandZ(0, 0);  // block 0 matches
        MapManager::GetLandZ(9, 10); // block 513
        MapManager::GetLandZ(9, 2);  // block 512 matches
    }
    EXPECT_EQ(g_reported, (std::vector<int32_t>{513}));

    // A reader checks a block on its first height read, as the map does: tile reads do not check.
    MapManager::LoadDigestTableFrom(digest.data(), digest.size()); // nothing compared yet
    g_reported.clear();
    LandCellReader reader;
    reader.LandTileId(9, 10);
    EXPECT_TRUE(g_reported.empty());
    reader.LandZ(9, 10);
    reader.LandZ(8, 11);
    EXPECT_EQ(g_reported, (std::vector<int32_t>{513}));
    LandCellReader().LandZ(9, 10);
    EXPECT_EQ(g_reported, (std::vector<int32_t>{513})) << "a block is compared once in a run";
}

TEST_F(MapManagerTest, WithoutTheDigestFileNoBlockIsReported)
{
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    EXPECT_FALSE(MapManager::LoadDigestTable());
    MapManager::EnableBlockCheck();
    MapManager::GetLandZ(0, 0);
    MapManager::GetLandZ(9, 10);
    EXPECT_TRUE(g_reported.empty());
}

} // namespace
