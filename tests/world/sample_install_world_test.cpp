/** @file The sample install's world files read back through the world's readers. */
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/pace_table.h"
#include "client/world/tile_data.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_install/write_data_files.h"
#include "tools/sample_install/write_world_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

formats::Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return formats::Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(SampleInstallWorld, TileDataMultiAndPaceTableReadBack)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
    ASSERT_TRUE(sampleinstall::writeDataFiles(layout, error)) << error;

    const formats::Bytes tiles = readFile(layout.install / "tiledata.mul");
    ASSERT_EQ(tiles.size(), TileData::kFileSize);
    TileData::LoadFrom(tiles.data(), tiles.size());
    // Every graphic the sample draws has its tile data.
    for (uint16_t land : {3, 113, 168, 220}) EXPECT_NE(TileData::Land(land).name[0], 0) << land;
    for (uint16_t g : {0x0CCA, 0x0CCB, 0x0CCC, 0x0CCD, 0x1363, 0x0B22}) EXPECT_NE(TileData::Item(g).name[0], 0) << g;
    EXPECT_TRUE(CObjectManager::IsContainerGraphic(sampleinstall::kSampleBackpack));
    EXPECT_EQ(TileData::Item(sampleinstall::kSampleBackpack).quality, 21);
    EXPECT_STREQ(FormatTileName(sampleinstall::kSampleBackpack, false), "a backpack");

    testsupport::ScopedDataCache cache(layout.install);
    const std::vector<MultiRecord> house = ReadMultiRecords(sampleinstall::kSampleHouseMulti);
    ASSERT_EQ(house.size(), 50u);
    for (size_t i = 1; i < house.size(); ++i) {
        EXPECT_EQ(house[i].flags, 1u);
        EXPECT_NE(TileData::Item(house[i].graphic).name[0], 0) << house[i].graphic;
    }

    const formats::Bytes pace = readFile(layout.install / "animinfo.mul");
    PaceTable::LoadFrom(pace.data(), pace.size());
    EXPECT_EQ(PaceTable::GetWalkPace(400), 5);
    EXPECT_EQ(PaceTable::GetRunPace(17), 2);
    PaceTable::Reset();
    TileData::Clear();
}

} // namespace
