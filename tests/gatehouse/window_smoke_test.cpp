/** @file The launcher opens its real window on an X display and closes it again. */
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_display.h"

#include <gtest/gtest.h>

namespace {

TEST(GatehouseWindow, OpensAndClosesUnderXvfb)
{
    if (testsupport::findXvfb().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    testsupport::XvfbDisplay display;
    ASSERT_TRUE(display.ready());
    testsupport::TempDir dir;
    EXPECT_EQ(display.runToolSmoke("gatehouse/gatehouse", dir.path().string(),
                                   {{"KZ_CONFIG_HOME", dir.path().string()}}),
              0);
}

} // namespace
