/** @file The client program started on a sample install: the core services start, log and stop. */
#include "tools/sample_install/sample_install.h"

#include "platform/process/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

/** Sets an environment variable for the test's lifetime; the started client inherits it. */
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            previous_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

struct ClientRun {
    int exitCode = -1;
    std::string log;
};

/** Starts the client in the install folder with the layout's key store and runtime folder. */
ClientRun runClient(const sampleinstall::Layout& layout)
{
    ScopedEnv config("KZ_CONFIG_HOME", layout.config.string());
    ScopedEnv runtime("KZ_RUNTIME_DIR", layout.run.string());
    platform::PosixProcessLauncher launcher;
    const auto id = launcher.spawn({KZ_CLIENT_BINARY}, layout.install.string());
    EXPECT_TRUE(id.has_value());
    ClientRun run;
    if (!id)
        return run;
    run.exitCode = launcher.wait(*id).value_or(-1);
    const auto logPath = layout.install / "KZReport0.log";
    if (std::filesystem::exists(logPath)) {
        std::ifstream in(logPath, std::ios::binary);
        run.log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return run;
}

TEST(ClientStartup, StartsTheCoreServicesOnTheSampleInstallAndExitsCleanly)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;

    const ClientRun run = runClient(layout);

    EXPECT_EQ(run.exitCode, 0);
    ASSERT_TRUE(std::filesystem::exists(layout.install / "KZReport0.log"));
    // Start-up lines in their order, then the shutdowns in the reverse order.
    const char* const expected[] = {
        "reached winmain!",
        "MemoryManager::started",
        "FileManager::setHDPath: set HDPath to '",
        "FileManager::setCDPath: CDPath not set",
        "FileManager::startup: search paths are:",
        "CVersionManager::startup: begin.",
        "FileManager::shutdown: stopped.",
        "MemoryManager::stopped.",
        "KZReport: stopping...",
    };
    size_t from = 0;
    for (const char* line : expected) {
        const size_t at = run.log.find(line, from);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\nlog:\n" << run.log;
        from = at;
    }
    EXPECT_NE(run.log.find("set HDPath to '" + layout.install.string() + "/'"), std::string::npos) << run.log;
}

TEST(ClientStartup, MissingInstallKeyEndsWithCodeOneAndTheReinstallMessage)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error; // no key store

    const ClientRun run = runClient(layout);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.log.find("Tavorn Vevovo does not appear to be installed correctly on your system. Please "
                           "re-install KZ by running the setup.exe program located on your KZ CD-ROM"),
              std::string::npos)
        << run.log;
    EXPECT_EQ(run.log.find("CVersionManager::startup"), std::string::npos) << run.log;
}

} // namespace
