/** @file The launcher opens its real window on an X display and closes it again. */
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(GatehouseWindow, OpensAndClosesUnderXvfb)
{
    if (testsupport::findXvfb().empty())
        GTEST_SKIP() << "Xvfb is not installed";
    const char* binaries = std::getenv("KZ_TEST_BINARY_DIR");
    ASSERT_NE(binaries, nullptr);
    testsupport::XvfbDisplay display;
    ASSERT_TRUE(display.ready());
    testsupport::TempDir dir;
    const auto code = display.run({std::string(binaries) + "/gatehouse/gatehouse"}, dir.path().string(),
                                  {{"KZ_FORMS_SMOKE", "1"},
                                   {"KZ_CONFIG_HOME", dir.path().string()},
                                   {"NO_AT_BRIDGE", "1"},
                                   // The toolkit keeps caches until exit; our own leaks are checked headless.
                                   {"ASAN_OPTIONS", "detect_leaks=0"}},
                                  30000);
    EXPECT_EQ(code, 0);
}

} // namespace
