/** @file The sample install's kz.cfg and login.cfg read back through the configuration reader. */
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "platform/platform.h"
#include "tests/core/report_sandbox.h"
#include "tools/sample_install/write_config_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SampleInstallConfig, BothFilesReadBackAndStayAsTheFirstRunSavesThem)
{
    testsupport::ReportSandbox sandbox;
    platform::ScopedPlatform platform;
    const sampleinstall::Layout layout(sandbox.dir().file("sample"));
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
    ASSERT_TRUE(sampleinstall::writeConfigFiles(layout, error)) << error;
    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", (layout.install / "client").string());
    FileManager::startup();
    ResetConfigStore();
    ResetConfigRunState();
    const std::string written = readFile(layout.install / "kz.cfg");

    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    ASSERT_TRUE(ReadConfig("login.cfg", false));

    EXPECT_EQ(HdUsage, 1);
    EXPECT_EQ(Sound, 1);
    EXPECT_EQ(SoundVol, 200);
    EXPECT_EQ(ShowIntroAnim, 0);
    EXPECT_EQ(ClientFirstLaunch, 0);
    EXPECT_STREQ(GamePlayWindowSize, "640x480");
    EXPECT_STREQ(Password, "");
    EXPECT_STREQ(AcctPassword, "");
    char language[16] = {};
    ASSERT_TRUE(getKZCfgDirective(CFG_UserLanguageCodeString, language, sizeof language));
    EXPECT_STREQ(language, "enu");
    ASSERT_EQ(LoginServers.count, 1);
    EXPECT_EQ(LoginServers.entries[0].address, 0x7F000001u);
    EXPECT_EQ(LoginServers.entries[0].port, sampleinstall::kSampleLoginPort);

    // The first run saves the obscenity filter off: the file already says so, byte for byte.
    EXPECT_EQ(readFile(layout.install / "kz.cfg"), written);
    EXPECT_EQ(written.find('\n'), written.find("\r\n") + 1) << "lines end in CR LF";

    FileManager::shutdown();
    ResetConfigStore();
}

} // namespace
