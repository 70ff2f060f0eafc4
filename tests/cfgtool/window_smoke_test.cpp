/** @file The settings editor opens its real window on an X display and closes it again. */
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_display.h"

#include <gtest/gtest.h>

namespace {

TEST(CfgtoolWindow, OpensAndClosesUnderXvfb)
{
    if (testsupport::findXvfb().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    testsupport::XvfbDisplay display;
    ASSERT_TRUE(display.ready());
    testsupport::TempDir dir;
    // A complete start folder, so no message box waits for a user before the window shows.
    dir.write("kz.cfg", "Sound=on\r\n");
    dir.write("kzedit.ini", "\r\n" + dir.file("kz.cfg") + "\r\n\r\n\r\nhints=on\r\n");
    EXPECT_EQ(display.runToolSmoke("cfgtool/cfgtool", dir.path().string()), 0);
    EXPECT_EQ(dir.read("KZcfg.bak"), "Sound=on\r\n");
}

} // namespace
