/** @file A test base that gives the configuration code a fresh temporary folder and fresh globals. */
#pragma once

#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace testsupport {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetConfigFolder(dir_.path().string());
        ResetConfigStore();
        ResetOptionsState();
        ResetPlayerFiles();
        // Most tests are about one file; the first-login rule would rewrite it behind their back.
        ResetConfigRunState(true);
        ResetAddressRotation();
        configHooks() = ConfigHooks{};
    }

    void TearDown() override
    {
        configHooks() = ConfigHooks{};
        SetConfigFolder("");
    }

    /** Chooses a character so that the per-character copy paths apply. */
    void chooseCharacter(const char* account, const char* shard, const char* player)
    {
        CopyConfigText(AcctID, account);
        CopyConfigText(ShardName, shard);
        CopyConfigText(PlayerName, player);
    }

    TempDir dir_;
};

} // namespace testsupport
