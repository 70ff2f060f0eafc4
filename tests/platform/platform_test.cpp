/** @file Tests of the platform bundle and its process-wide accessor. */
#include "platform/platform.h"

#include <gtest/gtest.h>

TEST(Platform, ScopedPlatformInstallsNullTwinsAndRestores)
{
    platform::Platform& before = platform::current();
    {
        platform::ScopedPlatform scoped;
        platform::Platform& now = platform::current();
        EXPECT_EQ(&now, &scoped.platform());
        EXPECT_FALSE(now.clock->isReal());
        EXPECT_FALSE(now.keyStore->isPersistent());
        EXPECT_FALSE(now.processes->startsRealProcesses());
        scoped.clock().advance(50);
        EXPECT_EQ(now.clock->tickCount(), 50u);
        {
            platform::ScopedPlatform inner;
            EXPECT_EQ(&platform::current(), &inner.platform());
        }
        EXPECT_EQ(&platform::current(), &scoped.platform());
    }
    EXPECT_EQ(&platform::current(), &before);
}

TEST(Platform, DefaultIsTheRealPlatform)
{
    platform::setCurrent(nullptr);
    platform::Platform& real = platform::current();
    EXPECT_TRUE(real.clock->isReal());
    EXPECT_TRUE(real.keyStore->isPersistent());
    EXPECT_TRUE(real.processes->startsRealProcesses());
    EXPECT_NE(real.systemInfo, nullptr);
    EXPECT_EQ(&platform::current(), &real); // created once

    auto null = platform::makeNullPlatform();
    platform::setCurrent(&null->platform());
    EXPECT_FALSE(platform::current().clock->isReal());
    platform::setCurrent(nullptr);
    EXPECT_EQ(&platform::current(), &real);
}
