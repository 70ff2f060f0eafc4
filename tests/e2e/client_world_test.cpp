/** @file The whole client against the scripted shard: logged in through the login screens with typed keys and mouse clicks, in the world with its frame pinned, opening the backpack with a double click, walking with the right button held. */
#include "tests/e2e/client_harness.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/container_gump.h"
#include "client/render/draw_grid.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kBackpack = 0x40000001;

bool containerGumpOpen()
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (dynamic_cast<CContainerGump*>(g) != nullptr && !g->closing)
            return true;
    return false;
}

TEST(ClientInTheWorld, LogsInThroughTheScreensAndShowsTheWorld)
{
    testsupport::ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    e2e::ClientRun client(settings);
    int settled = 0;
    std::vector<uint16_t> firstFrame;

    client.enterWorld(u"tester", u"secret");
    client.then("settled", [&] { return ++settled > 30; }, [&] { firstFrame = client.window().lastFrame(); });
    // A double click on the backpack lying beside the player opens it.
    client.then("open the backpack", [] { return true; }, [&] {
        const CDynamicObj* pack = CObjectManager::FindObject(kBackpack);
        const int x = pack->rect.left + 2 - DrawGrid::scrollX; // its left edge: the other mobile stands in front
        const int y = (pack->rect.top + pack->rect.bottom) / 2 - DrawGrid::scrollY;
        client.click(x, y);
        client.click(x, y);
    });
    client.then("backpack open", [&] { return containerGumpOpen(); });
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
                                            0x05d925c35d053989ull),
              "");
}

} // namespace
