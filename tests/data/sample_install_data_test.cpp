/** @file The sample install's data files read back through the data readers. */
#include "client/data/anim_data.h"
#include "client/data/cdhd_cache.h"
#include "client/data/def_tables.h"
#include "client/data/gump_art.h"
#include "client/data/hue_manager.h"
#include "client/data/map_manager.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_install/write_data_files.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t> g_reported;

TEST(SampleInstallData, EveryFileReadsBackAndTheMapMatchesItsDigests)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
    ASSERT_TRUE(sampleinstall::writeDataFiles(layout, error)) << error;

    testsupport::ScopedDataCache cache(layout.install);
    int32_t w = 0, h = 0;
    GetGumpArtSize(2310, &w, &h);
    EXPECT_EQ(w, 260);
    EXPECT_EQ(h, 180);
    EXPECT_NE(GetGumpArtPixel(2310, 0, 0), 0);

    HueManager::startup();
    EXPECT_NE(HueManager::GetHue(1000)->tableEnd, 0);
    animCrap::LoadAnimData();
    EXPECT_EQ(animCrap::Record(0x0B22).count, 3);
    ASSERT_TRUE(DefTables::Load());
    EXPECT_NE(DefTables::Get(DEF_ART)->Find(19658), nullptr);
    DefTables::Unload();

    MapManager::startup();
    ASSERT_TRUE(MapManager::LoadDigestTable());
    g_reported.clear();
    MapManager::SetBlockReportSink([](int32_t block, const uint8_t*) { g_reported.push_back(block); });
    MapManager::EnableBlockCheck();
    for (int32_t x = 0; x < 64; x += 8)
        for (int32_t y = 0; y < 4096; y += 8) MapManager::GetLandZ(x, y);
    EXPECT_TRUE(g_reported.empty());
    EXPECT_EQ(MapManager::GetLandZ(40, 30), -5); // the pond
    EXPECT_FALSE(MapManager::ReadStatics(3 * 512 + 3).empty());
    MapManager::SetBlockReportSink(nullptr);
    MapManager::LoadDigestTableFrom(nullptr, 0);
}

} // namespace
