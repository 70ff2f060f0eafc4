/** @file Tests of the exit list and the process-exit hook. */
#include "platform/exit/exit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ExitList : public ::testing::Test {
protected:
    void SetUp() override { platform::resetExitList(); }
    void TearDown() override { platform::resetExitList(); }
};

} // namespace

TEST_F(ExitList, RunsNewestFirstAndOnlyOnce)
{
    std::vector<int> order;
    for (int i = 1; i <= 3; ++i)
        platform::atExit([&order, i] { order.push_back(i); });
    platform::runExitList();
    platform::runExitList();
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
}

TEST_F(ExitList, ShutdownsAddedDuringTheRunAreRunToo)
{
    std::vector<std::string> order;
    platform::atExit([&] { order.push_back("first"); });
    platform::atExit([&] {
        order.push_back("second");
        platform::atExit([&] { order.push_back("late"); });
    });
    platform::runExitList();
    EXPECT_EQ(order, (std::vector<std::string>{"second", "late", "first"}));
}

TEST_F(ExitList, ExitInsideAShutdownDoesNotReenterTheList)
{
    // A fatal report raised while shutting down ends the process without running the list again.
    platform::ScopedExitHook hook;
    std::vector<std::string> order;
    platform::atExit([&] { order.push_back("outer"); });
    platform::atExit([&] {
        order.push_back("failing");
        platform::exit(3);
    });
    try {
        platform::exit(1);
        FAIL() << "exit returned";
    } catch (const platform::ExitRequested& request) {
        EXPECT_EQ(request.code, 3);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"failing"}));
    // The list is usable again afterwards; what was left still runs once.
    platform::runExitList();
    EXPECT_EQ(order, (std::vector<std::string>{"failing", "outer"}));
}

TEST(ExitProcess, GoesThroughTheHookWithoutRunningTheList)
{
    platform::resetExitList();
    bool ran = false;
    platform::atExit([&] { ran = true; });
    platform::ScopedExitHook hook;
    try {
        platform::exitProcess(7);
        FAIL() << "exitProcess returned";
    } catch (const platform::ExitRequested& request) {
        EXPECT_EQ(request.code, 7);
    }
    EXPECT_FALSE(ran);
    platform::resetExitList();
}

TEST(ExitProcessDeathTest, AbortsWhenTheHookReturns)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            platform::setExitHook([](int) {});
            platform::exitProcess(0);
        },
        "");
}

TEST(ExitProcessDeathTest, DefaultHookEndsWithTheCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::setExitHook(nullptr);
            platform::exitProcess(42);
        },
        ::testing::ExitedWithCode(42), "");
}
