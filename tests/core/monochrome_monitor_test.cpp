/** @file Tests of the in-memory 80x25 debug text screen. */
#include "client/core/monochrome_monitor.h"

#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::ReportSandbox;

namespace {

/** The characters of one row, without attributes. */
std::string row(int index)
{
    std::string text;
    const uint8_t* cells = MonochromeMonitor::screen() + index * MonochromeMonitor::SCREEN_WIDTH * 2;
    for (int i = 0; i < MonochromeMonitor::SCREEN_WIDTH; ++i)
        text.push_back(static_cast<char>(cells[i * 2]));
    return text;
}

std::string padded(const std::string& text)
{
    return text + std::string(MonochromeMonitor::SCREEN_WIDTH - text.size(), ' ');
}

void write(const std::string& text)
{
    for (char c : text)
        MonochromeMonitor::putchar(c);
}

} // namespace

TEST(MonochromeMonitor, StartupClearsOnceAndHomesTheCursor)
{
    ReportSandbox sandbox;
    MonochromeMonitor::startup();
    EXPECT_TRUE(MonochromeMonitor::isStarted());
    for (int i = 0; i < MonochromeMonitor::SCREEN_BYTES; i += 2) {
        ASSERT_EQ(MonochromeMonitor::screen()[i], ' ') << i;
        ASSERT_EQ(MonochromeMonitor::screen()[i + 1], 7) << i;
    }
    write("ab");
    MonochromeMonitor::startup();
    EXPECT_EQ(row(0), padded("ab"));
    EXPECT_EQ(MonochromeMonitor::cursorColumn(), 2);
}

TEST(MonochromeMonitor, NewlineAndColumnWrapMoveToTheNextRow)
{
    ReportSandbox sandbox;
    MonochromeMonitor::startup();
    write("hi\n" + std::string(80, 'x') + "z");
    EXPECT_EQ(row(0), padded("hi"));
    EXPECT_EQ(row(1), std::string(80, 'x'));
    EXPECT_EQ(row(2), padded("z"));
    EXPECT_EQ(MonochromeMonitor::cursorRow(), 2);
    EXPECT_EQ(MonochromeMonitor::cursorColumn(), 1);
}

TEST(MonochromeMonitor, PastTheLastRowScrollsOrWrapsByMode)
{
    struct Case {
        int mode;
        std::string firstRow;
        std::string lastRow;
        int cursorRow;
    };
    const Case cases[] = {
        {2, padded("line 1"), padded(""), 24},  // scrolled up one row, last row cleared
        {1, padded("line 0"), padded("line 24"), 0}, // cursor back home, nothing moved
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ReportSandbox sandbox;
        MonochromeMonitor::startup();
        MonochromeMonitor::setMode(c.mode);
        for (int i = 0; i < 25; ++i)
            write("line " + std::to_string(i) + "\n");
        EXPECT_EQ(row(0), c.firstRow);
        EXPECT_EQ(row(24), c.lastRow);
        EXPECT_EQ(MonochromeMonitor::cursorRow(), c.cursorRow);
        EXPECT_EQ(MonochromeMonitor::cursorColumn(), 0);
    }
}

TEST(MonochromeMonitor, SetModeSelectsLevelAndScrolling)
{
    ReportSandbox sandbox;
    MonochromeMonitor::setMode(2);
    EXPECT_EQ(MonochromeMonitor::debugLevel(), 2);
    EXPECT_TRUE(MonochromeMonitor::scrollMode());
    MonochromeMonitor::setMode(0); // only the level changes
    EXPECT_EQ(MonochromeMonitor::debugLevel(), 0);
    EXPECT_TRUE(MonochromeMonitor::scrollMode());
    MonochromeMonitor::setMode(1);
    EXPECT_EQ(MonochromeMonitor::debugLevel(), 1);
    EXPECT_FALSE(MonochromeMonitor::scrollMode());
}
