/** @file The whole client against the scripted shard: logged in through the login screens with typed keys and mouse clicks, in the world, its frame pinned. */
#include "tests/e2e/client_harness.h"

#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientInTheWorld, LogsInThroughTheScreensAndShowsTheWorld)
{
    testsupport::ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    e2e::ClientRun client(settings);
    int settled = 0;

    client.enterWorld(u"tester", u"secret");
    client.then("settled", [&] { return ++settled > 30; });

    const int code = client.run(3000);
    EXPECT_EQ(client.stoppedAt(), "") << client.log();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(client.shard().failures(), std::vector<std::string>{});
    EXPECT_EQ(client.boxes(), std::vector<std::string>{});
    EXPECT_NE(client.log().find("WinMain: main program loop ended with code 0."), std::string::npos);
    // The last frame: the sample world around the player, the player and the other mobile. A change
    // to what the world shows changes it: look at the picture, then pin the new checksum.
    const platform::NullWindow& window = client.window();
    EXPECT_EQ(testsupport::checkGoldenFrame("client_in_world", window.lastFrame(), window.surfaceWidth(),
                                            window.surfaceHeight(),
                                            window.surfaceLayout() == platform::PixelLayout::Rgb565,
                                            0x6a0bf3d8fb294f4cull),
              "");
}

} // namespace
