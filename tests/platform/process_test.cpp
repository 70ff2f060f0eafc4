/** @file Tests of the process launchers; the real one starts the test helper program. */
#include "platform/process/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "tests/platform/platform_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> splitNul(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

} // namespace

TEST(PosixProcessLauncher, ArgumentsAndFolderArriveExactly)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.path() / "Work Folder");
    const std::string out = dir.file("args.out");
    const std::vector<std::string> args = {"two words", "\"quoted\"", "$HOME", "a;b", "", "*", "back\\slash", "'single'"};
    std::vector<std::string> argv = {KZ_PLATFORM_TEST_HELPER, "args", out};
    argv.insert(argv.end(), args.begin(), args.end());

    platform::PosixProcessLauncher launcher;
    // The folder is found whatever the case it is given in.
    auto id = launcher.spawn(argv, dir.path().string() + "/work folder");
    ASSERT_TRUE(id);
    EXPECT_EQ(launcher.wait(*id), 0);
    EXPECT_EQ(launcher.wait(*id), 0); // asking again gives the same answer
    EXPECT_FALSE(launcher.isRunning(*id));

    const auto parts = splitNul(platformtest::readFile(out));
    ASSERT_EQ(parts.size(), args.size() + 1);
    EXPECT_EQ(parts[0], (dir.path() / "Work Folder").string());
    EXPECT_EQ(std::vector<std::string>(parts.begin() + 1, parts.end()), args);
}

TEST(PosixProcessLauncher, ReportsExitCodesAndTermination)
{
    platform::PosixProcessLauncher launcher;
    auto id = launcher.spawn({KZ_PLATFORM_TEST_HELPER, "exit", "5"}, "");
    ASSERT_TRUE(id);
    EXPECT_EQ(launcher.wait(*id), 5);

    // Found through PATH: "sleep" has no "/".
    auto sleeper = launcher.spawn({"sleep", "30"}, "");
    ASSERT_TRUE(sleeper);
    EXPECT_TRUE(launcher.isRunning(*sleeper));
    EXPECT_TRUE(launcher.terminate(*sleeper));
    EXPECT_EQ(launcher.wait(*sleeper), 128 + 15);
    EXPECT_FALSE(launcher.terminate(*sleeper)); // never signals an id it has seen end
    EXPECT_EQ(launcher.wait(424242), std::nullopt);
}

TEST(PosixProcessLauncher, ANewProcessGroupIsLedByTheChild)
{
    platform::PosixProcessLauncher launcher;
    for (const bool newGroup : {false, true}) {
        SCOPED_TRACE(newGroup);
        platform::SpawnOptions options;
        options.newProcessGroup = newGroup;
        auto id = launcher.spawn({"sleep", "30"}, "", options);
        ASSERT_TRUE(id);
        // The group is set before the program runs, so it holds as soon as spawn returns.
        const pid_t group = ::getpgid(static_cast<pid_t>(*id));
        EXPECT_EQ(group, newGroup ? static_cast<pid_t>(*id) : ::getpgrp());
        EXPECT_TRUE(launcher.terminate(*id));
        EXPECT_EQ(launcher.wait(*id), 128 + 15);
    }
}

TEST(PosixProcessLauncher, AProgramThatCannotStartGivesNoProcess)
{
    testsupport::TempDir dir;
    const std::string notExecutable = dir.write("plain.txt", "not a program");
    platform::PosixProcessLauncher launcher;
    EXPECT_EQ(launcher.spawn({"kz-no-such-program-anywhere"}, ""), std::nullopt);
    EXPECT_EQ(launcher.spawn({dir.file("missing")}, ""), std::nullopt);
    EXPECT_EQ(launcher.spawn({notExecutable}, ""), std::nullopt);
    EXPECT_EQ(launcher.spawn({KZ_PLATFORM_TEST_HELPER, "exit", "0"}, dir.file("no-folder")), std::nullopt);
    EXPECT_EQ(launcher.spawn({}, ""), std::nullopt);
}

TEST(FakeProcessLauncher, RecordsRequestsAndFollowsItsScript)
{
    platform::FakeProcessLauncher launcher;
    EXPECT_FALSE(launcher.startsRealProcesses());
    auto a = launcher.spawn({"client"}, "/opt/tv", platform::SpawnOptions{.newProcessGroup = true});
    ASSERT_TRUE(a);
    EXPECT_TRUE(launcher.isRunning(*a));
    launcher.setExitCode(3);
    auto b = launcher.spawn({"xdg-open", "http://example.invalid/"}, "");
    launcher.setSpawnFails(true);
    EXPECT_EQ(launcher.spawn({"client"}, ""), std::nullopt);

    const auto spawns = launcher.spawns();
    ASSERT_EQ(spawns.size(), 3u);
    EXPECT_EQ(spawns[0].argv, std::vector<std::string>{"client"});
    EXPECT_EQ(spawns[0].workingDirectory, "/opt/tv");
    EXPECT_TRUE(spawns[0].options.newProcessGroup);
    EXPECT_FALSE(spawns[1].options.newProcessGroup);
    EXPECT_EQ(spawns[1].argv[1], "http://example.invalid/");
    EXPECT_EQ(spawns[2].id, std::nullopt);

    EXPECT_EQ(launcher.wait(*b), 3);
    EXPECT_FALSE(launcher.isRunning(*b));
    launcher.finish(*a, 9);
    EXPECT_EQ(launcher.wait(*a), 9);
    EXPECT_FALSE(launcher.terminate(*a));
}
