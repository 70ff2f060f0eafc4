/** @file The whole client against the scripted shard: logged in through the login screens with typed keys and mouse clicks, in the world with its frame pinned, walking with the right button held. */
#include "tests/e2e/client_harness.h"

#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientInTheWorld, LogsInThroughTheScreensAndShowsTheWorld)
{
    testsupport::ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    e2e::ClientRun client(settings);
    int settled = 0;
    std::vector<uint16_t> firstFrame;

    client.enterWorld(u"tester", u"secret");
    client.then("settled", [&] { return ++settled > 30; }, [&] { firstFrame = client.window().lastFrame(); });
    // The right button held to the right of the player walks; every step is acknowledged.
    client.then("walk", [] { return true; }, [&] { client.rightDown(540, 240); });
    client.then("walked", [&] { return client.shard().stepsAccepted() >= 4; }, [&] { client.rightUp(540, 240); });
    int walkedX = 0, walkedY = 0;
    client.then("stopped", [] { return Walk::State().count == 0 && Walk::State().unacknowledged == 0; }, [&] {
        walkedX = World().player->locX;
        walkedY = World().player->locY;
    });

    const int code = client.run(3000);
    EXPECT_EQ(client.stoppedAt(), "") << client.log();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(client.shard().failures(), std::vector<std::string>{});
    EXPECT_EQ(client.shard().stepsRejected(), 0);
    EXPECT_GE(client.shard().stepsAccepted(), 4);
    EXPECT_EQ(walkedX, client.shard().playerX());
    EXPECT_EQ(walkedY, client.shard().playerY());
    EXPECT_NE(walkedX * 1000 + walkedY, 30 * 1000 + 24) << "the player moved";
    EXPECT_EQ(client.boxes(), std::vector<std::string>{});
    EXPECT_NE(client.log().find("WinMain: main program loop ended with code 0."), std::string::npos);
    // The first frame in the world: the sample world around the player, the player and the other mobile. A change
    // to what the world shows changes it: look at the picture, then pin the new checksum.
    const platform::NullWindow& window = client.window();
    EXPECT_EQ(testsupport::checkGoldenFrame("client_in_world", firstFrame, window.surfaceWidth(),
                                            window.surfaceHeight(),
                                            window.surfaceLayout() == platform::PixelLayout::Rgb565,
                                            0x6a0bf3d8fb294f4cull),
              "");
}

} // namespace
