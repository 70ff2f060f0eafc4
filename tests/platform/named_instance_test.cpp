/** @file Tests of named single-instance objects, with a second process contending for the name. */
#include "platform/instance/named_instance.h"

#include <gtest/gtest.h>

#include "platform/process/process.h"
#include "tests/platform/platform_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

class NamedInstanceTest : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
    std::string runtime_ = dir_.file("run");
    platformtest::ScopedEnv env_{"KZ_RUNTIME_DIR", runtime_};
};

} // namespace

TEST_F(NamedInstanceTest, HeldUntilTheObjectDies)
{
    bool existed = true;
    auto first = platform::NamedInstance::create("KzClientApp", &existed);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(existed);
    EXPECT_TRUE(first->holdsName());
    EXPECT_TRUE(platform::NamedInstance::exists("KzClientApp"));
    EXPECT_FALSE(platform::NamedInstance::exists("KzPatchApp"));

    auto second = platform::NamedInstance::create("KzClientApp", &existed);
    ASSERT_NE(second, nullptr); // reports that it already existed, yet gives an object
    EXPECT_TRUE(existed);
    EXPECT_FALSE(second->holdsName());

    first.reset();
    EXPECT_FALSE(platform::NamedInstance::exists("KzClientApp"));
    auto third = platform::NamedInstance::create("KzClientApp", nullptr);
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(third->holdsName());
}

TEST_F(NamedInstanceTest, NamesBecomeDistinctSafeFileNames)
{
    const std::string a = platform::NamedInstance::lockFilePath("KZReport::startup/1");
    const std::string b = platform::NamedInstance::lockFilePath("KZReport__startup_1");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(runtime_ + "/", 0), 0u);
    EXPECT_EQ(a.find('/', runtime_.size() + 1), std::string::npos) << a;
    EXPECT_EQ(platform::NamedInstance::lockFilePath(".."), runtime_ + "/%2E%2E.lock");
}

TEST_F(NamedInstanceTest, AnotherProcessHoldsTheNameUntilItEnds)
{
    platform::PosixProcessLauncher launcher;
    for (const bool killIt : {false, true}) {
        SCOPED_TRACE(killIt ? "holder killed" : "holder exits");
        const std::string ready = dir_.file(killIt ? "ready-kill" : "ready-exit");
        const std::string release = dir_.file(killIt ? "release-kill" : "release-exit");
        auto child = launcher.spawn({KZ_PLATFORM_TEST_HELPER, "hold", runtime_, "KzClientApp", ready, release}, "");
        ASSERT_TRUE(child);
        ASSERT_TRUE(platformtest::waitForFile(ready));
        EXPECT_EQ(platformtest::readFile(ready), "held");

        EXPECT_TRUE(platform::NamedInstance::exists("KzClientApp"));
        bool existed = false;
        auto mine = platform::NamedInstance::create("KzClientApp", &existed);
        ASSERT_NE(mine, nullptr);
        EXPECT_TRUE(existed);
        EXPECT_FALSE(mine->holdsName());

        if (killIt) {
            EXPECT_TRUE(launcher.terminate(*child));
        } else {
            std::FILE* f = std::fopen(release.c_str(), "w");
            ASSERT_NE(f, nullptr);
            std::fclose(f);
        }
        launcher.wait(*child);
        EXPECT_FALSE(platform::NamedInstance::exists("KzClientApp"));
        mine = platform::NamedInstance::create("KzClientApp", &existed);
        EXPECT_FALSE(existed);
        EXPECT_TRUE(mine->holdsName());
        mine.reset();
    }
}
