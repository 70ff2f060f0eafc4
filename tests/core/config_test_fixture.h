/** @file A test base that gives the configuration code a fresh temporary install folder and fresh globals. */
#pragma once

#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/file_manager.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

/**
 * The install key names dir_ as the install folder and the file manager is started on it, so
 * the files reach the code through the file manager's search paths as in the client. A test
 * that wants a CD folder sets it with useCDFolder before anything is read.
 */
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", dir_.file("client"));
        FileManager::startup();
        ResetConfigStore();
        ResetOptionsState();
        ResetPlayerFiles();
        // Most tests are about one file; the first-login rule would rewrite it behind their back.
        ResetConfigRunState(true);
        ResetAddressRotation();
        configHooks() = ConfigHooks{};
        FullScreenActive = 0;
    }

    void TearDown() override
    {
        configHooks() = ConfigHooks{};
        sharedFunctionHooks().redrawAll = nullptr;
        FullScreenActive = 0;
        FileManager::shutdown();
    }

    /** Restarts the file manager with "<dir_>/<folder>/client/" as its CD folder; returns that folder. */
    std::string useCDFolder(const std::string& folder)
    {
        FileManager::shutdown();
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "InstCDPath", dir_.file(folder) + "/");
        FileManager::startup();
        return folder + "/client/";
    }

    /** Chooses a character so that the per-character copy paths apply. */
    void chooseCharacter(const char* account, const char* shard, const char* player)
    {
        CopyConfigText(AcctID, account);
        CopyConfigText(ShardName, shard);
        CopyConfigText(PlayerName, player);
    }

    TempDir dir_;
    platform::ScopedPlatform platform_;
};

} // namespace testsupport
