/** @file Tests of the region table: the three record layouts, replaced and skipped ids, cut files, the file itself. */
#include "client/world/region_manager.h"

#include "client/core/file_manager.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"
#include "tools/formats/region_formats.h"
#include "tools/sample_install/write_data_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using formats::RegionEntry;

std::vector<RegionEntry> sampleEntries()
{
    std::vector<RegionEntry> e(4);
    e[0] = {"Harbour", 5, {1, 2, 3, 4, -5, 6}, "docks", {7, 8, 9}, 10, 11};
    e[1] = {"Forty characters of name without any end", 9, {-1, -2, -3, -4, -5, -6}, "x", {1, 2, 3}, 255, 65535};
    e[2] = {"Beyond the table", 8192, {}, "", {}, 0, 0};
    e[3] = {"Harbour again", 5, {10, 20, 30, 40, 50, 60}, "quay", {70, 80, 90}, 1, 2};
    return e;
}

class RegionTable : public ::testing::Test {
protected:
    void TearDown() override { RegionManager::shutdown(); }
};

TEST_F(RegionTable, EveryLayoutReadsItsFields)
{
    struct Case {
        int version;
        std::array<uint16_t, 3> extra;
        uint8_t flag;
        uint16_t last;
    };
    const Case cases[] = {{1, {0, 0, 0}, 0, 0}, {2, {70, 80, 0}, 1, 0}, {3, {70, 80, 90}, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        RegionManager::shutdown();
        const formats::Bytes bytes = formats::encodeRegions(c.version, sampleEntries());
        EXPECT_EQ(RegionManager::readRegionsFrom(bytes.data(), bytes.size()), 4);
        EXPECT_EQ(RegionManager::RegionCount(), 2) << "a repeated id keeps one record, an id of 8192 none";
        const CRegionRecord* r = RegionManager::GetRegion(5);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->Name(), "Harbour again") << "the later record of an id wins";
        EXPECT_EQ(r->values[0], 10);
        EXPECT_EQ(r->values[5], 60);
        EXPECT_EQ(r->Text(), c.version == 1 ? "" : "quay");
        EXPECT_EQ((std::array<uint16_t, 3>{r->extra[0], r->extra[1], r->extra[2]}), c.extra);
        EXPECT_EQ(r->flag, c.flag);
        EXPECT_EQ(r->last, c.last);
        const CRegionRecord* full = RegionManager::GetRegion(9);
        ASSERT_NE(full, nullptr);
        EXPECT_EQ(full->Name(), "Forty characters of name without any end") << "a 40-byte name with no NUL";
        EXPECT_EQ(full->values[3], -4);
        EXPECT_EQ(RegionManager::GetRegion(8192), nullptr);
        EXPECT_EQ(RegionManager::GetRegion(-1), nullptr);
    }
}

TEST_F(RegionTable, ReadingStopsAtTheFirstIncompleteRecord)
{
    for (int version = 1; version <= 3; ++version) {
        SCOPED_TRACE(version);
        RegionManager::shutdown();
        formats::Bytes bytes = formats::encodeRegions(version, {sampleEntries()[0], sampleEntries()[1]});
        bytes.pop_back();
        EXPECT_EQ(RegionManager::readRegionsFrom(bytes.data(), bytes.size()), 1);
        EXPECT_NE(RegionManager::GetRegion(5), nullptr);
        EXPECT_EQ(RegionManager::GetRegion(9), nullptr);
    }
    // A first word of 64205 is an ordinary name: the file is version 1 from its first byte.
    RegionManager::shutdown();
    RegionEntry odd{"", 3, {}, "", {}, 0, 0};
    odd.name = std::string("\xCD\xFA", 2) + "name";
    formats::Bytes bytes = formats::encodeRegions(1, {odd});
    EXPECT_EQ(RegionManager::readRegionsFrom(bytes.data(), bytes.size()), 1);
    ASSERT_NE(RegionManager::GetRegion(3), nullptr);
    EXPECT_EQ(RegionManager::GetRegion(3)->Name().substr(2), "name");
    EXPECT_EQ(RegionManager::readRegionsFrom(bytes.data(), 1), 0);
}

TEST_F(RegionTable, TheTableHoldsAtMost8192Records)
{
    std::vector<RegionEntry> many(8200);
    for (size_t i = 0; i < many.size(); ++i) many[i] = {"r", static_cast<uint16_t>(i % 8192), {}, "", {}, 0, 0};
    many.back().id = 8191;
    many.back().name = "past the limit";
    const formats::Bytes bytes = formats::encodeRegions(2, many);
    EXPECT_EQ(RegionManager::readRegionsFrom(bytes.data(), bytes.size()), 8192);
    EXPECT_EQ(RegionManager::GetRegion(8191)->Name(), "r");
}

TEST_F(RegionTable, StartupReadsTheInstalledFileOrLeavesTheTableEmpty)
{
    testsupport::TempDir dir;
    platform::ScopedPlatform platform;
    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", dir.file("client"));
    FileManager::startup();
    RegionManager::startup();
    EXPECT_EQ(RegionManager::RegionCount(), 0) << "no regions.mul";

    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
    ASSERT_TRUE(sampleinstall::writeDataFiles(layout, error)) << error;
    FileManager::shutdown();
    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", (layout.install / "client").string());
    FileManager::startup();
    RegionManager::startup();
    EXPECT_EQ(RegionManager::RegionCount(), 3);
    ASSERT_NE(RegionManager::GetRegion(2), nullptr);
    EXPECT_EQ(RegionManager::GetRegion(2)->Name(), "Stillwater Pond");
    FileManager::shutdown();
}

} // namespace
