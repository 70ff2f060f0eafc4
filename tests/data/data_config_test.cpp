/** @file The data settings taken from the configuration store and the file manager. */
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/data/data_config.h"
#include "client/data/data_settings.h"
#include "client/data/hue_manager.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

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

} // namespace
