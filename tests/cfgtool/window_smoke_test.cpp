/** @file The settings editor opens its real window on an X display and closes it again. */
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(CfgtoolWindow, OpensAndClosesUnderXvfb)
{
    if (testsupport::findXvfb().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    const char* binaries = std::getenv("KZ_TEST_BINARY_DIR");
    ASSERT_NE(binaries, nullptr);
    testsupport::XvfbDisplay display;
    ASSERT_TRUE(display.ready());
    testsupport::TempDir dir;
    // A complete start folder, so no message box waits for a user before the window shows.
    dir.write("kz.cfg", "Sound=on\r\n");
    dir.write("kzedit.ini", "\r\n" + dir.file("kz.cfg") + "\r\n\r\n\r\nhints=on\r\n");
    const auto code = display.run({std::string(binaries) + "/cfgtool/cfgtool"}, dir.path().string(),
                                  {{"KZ_FORMS_SMOKE", "1"},
                                   {"NO_AT_BRIDGE", "1"},
                                   // The toolkit keeps caches until exit; our own leaks are checked headless.
                                   {"ASAN_OPTIONS", "detect_leaks=0"}},
                                  30000);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(dir.read("KZcfg.bak"), "Sound=on\r\n");
}

} // namespace
