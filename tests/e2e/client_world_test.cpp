/** @file The whole client against the scripted shard: logged in through the login screens with typed keys and mouse clicks, in the world with its frame pinned; a line said comes back over the player's head; the backpack opened with a double click, an item dragged out onto the ground and back, a stack split through the amount gump; walking with the right button held. */
#include "tests/e2e/client_harness.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/container_gump.h"
#include "client/gumps/game/drag_gump.h"
#include "client/gumps/game/stack_amount_gump.h"
#include "client/render/graphic_manager.h"
#include "client/render/text_manager.h"
#include "client/render/draw_grid.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint32_t kBackpack = 0x40000001;
constexpr uint32_t kCoins = 0x40000002;
constexpr uint32_t kBottle = 0x40000005;
constexpr uint16_t kCoinGraphic = 0x0EED;

struct Point {
    int x = -1, y = -1;
    bool found() const { return x >= 0; }
};

template <typename Gump> Gump* openGump()
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (auto* found = dynamic_cast<Gump*>(g); found != nullptr && !g->closing)
            return found;
    return nullptr;
}

/** A world pixel as the window sees it. */
Point onScreen(int32_t worldX, int32_t worldY)
{
    int32_t left = 0, top = 0;
    GraphicManager::GetGameAreaCorner(left, top);
    return {worldX - DrawGrid::scrollX + left, worldY - DrawGrid::scrollY + top};
}

/** A window point over the item of this serial inside the open container gump. */
Point onItemInGump(CContainerGump& gump, uint32_t serial)
{
    for (int y = 0; y < gump.height; ++y)
        for (int x = 0; x < gump.width; ++x)
            if (CObj* item = gump.GetItemAt(x, y); item != nullptr && item->GetSerial() == serial)
                return {gump.x + x, gump.y + y};
    return {};
}

/** A window point inside the container's content area with no item under it and none within 20 pixels. */
Point emptyPointInGump(CContainerGump& gump)
{
    const GumpRect area = CGumpManager::GetContainerContentRect(gump.artId);
    for (int y = area.bottom - 21; y > area.top + 20; y -= 5)
        for (int x = area.right - 21; x > area.left + 20; x -= 5) {
            bool clear = true;
            for (int dy = -20; dy <= 20 && clear; dy += 2)
                for (int dx = -20; dx <= 20 && clear; dx += 2)
                    clear = gump.GetItemAt(x + dx, y + dy) == nullptr;
            if (clear)
                return {gump.x + x, gump.y + y};
        }
    return {};
}

/** A window point over the world object of this serial (its front-most pixel there). */
Point onWorldObject(uint32_t serial)
{
    const CDynamicObj* object = CObjectManager::FindObject(serial);
    if (object == nullptr)
        return {};
    int32_t left = 0, top = 0;
    GraphicManager::GetGameAreaCorner(left, top);
    for (int32_t y = object->rect.top; y <= object->rect.bottom; ++y)
        for (int32_t x = object->rect.left; x <= object->rect.right; ++x) {
            const Point p = onScreen(x, y);
            if (CObj* hit = CObjectManager::GetObjAtScreenLoc(p.x - left, p.y - top); hit != nullptr && hit->GetSerial() == serial)
                return p;
        }
    return {};
}

/** Where to let go of the dragged item so that its foot lands on the centre of a map cell. */
Point dropOnCell(int32_t cellX, int32_t cellY)
{
    const CDragGump* drag = CDragGump::Current();
    for (CDrawItem* d = DrawMapThingie::GetTopItem(cellX, cellY); d != nullptr; d = d->prevDraw)
        if (d->IsLand() != 0 && d->locX == cellX && d->locY == cellY) {
            int32_t cx = 0, cy = 0;
            d->GetRectCentre(cx, cy);
            const Point centre = onScreen(cx, cy);
            return {centre.x - (drag->width / 2 - 22), centre.y - (drag->height / 2 - 22)};
        }
    return {};
}

/** The open container gump's picture. */
std::vector<uint16_t> packPicture()
{
    const GumpBitmap* frame = openGump<CContainerGump>()->Frame(0);
    return frame != nullptr ? std::vector<uint16_t>(frame->pixels.begin(), frame->pixels.end()) : std::vector<uint16_t>{};
}

/** The amounts of the coin stacks in the backpack as the client has them, smallest first. */
std::vector<uint16_t> coinsInBackpack()
{
    std::vector<uint16_t> amounts;
    auto* pack = dynamic_cast<CContainerObj*>(CObjectManager::FindObject(kBackpack));
    if (pack == nullptr)
        return amounts;
    for (CObj* item = pack->contents.head; item != nullptr; item = item->worldLinks.next)
        if (auto* coins = dynamic_cast<CDynamicObj*>(item); coins != nullptr && coins->graphic == kCoinGraphic)
            amounts.push_back(coins->amount);
    std::sort(amounts.begin(), amounts.end());
    return amounts;
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
    client.then("backpack open", [&] { return openGump<CContainerGump>() != nullptr; });

    // A line typed in the world goes to the shard and comes back over the player's head.
    client.then("say a line", [] { return true; }, [&] { client.type(u"well met\r"); });
    client.then("line over the head", [&] {
        const CBarkGump* text = World().player->overheadMessages;
        const auto* line = TextManager::Newest();
        return client.shard().speechEchoed() == 1 && text != nullptr && text->Speaker() == World().player &&
               line != nullptr && (line->text.ends_with(": well met") || line->wideText.ends_with(u": well met"));
    });

    // The bottle dragged out of the backpack onto the ground beside the player, then back.
    Point press;
    std::vector<uint16_t> withBottle, withoutBottle;
    // A press moved 8 pixels lifts what lies under it; letting go drops what is on the pointer.
    const auto pressAndMove = [&](Point p) {
        client.moveTo(p.x, p.y);
        client.leftDown(p.x, p.y);
        client.moveTo(p.x + 8, p.y);
    };
    const auto letGoAt = [&](Point p) {
        client.moveTo(p.x, p.y);
        client.leftUp(p.x, p.y);
    };
    client.then("lift the bottle", [] { return true; }, [&] {
        withBottle = packPicture();
        press = onItemInGump(*openGump<CContainerGump>(), kBottle);
        pressAndMove(press);
    });
    client.then("bottle on the pointer", [&] { return client.shard().lifted() == kBottle && CDragGump::Current(); },
                [&] {
                    withoutBottle = packPicture();
                    const Point drop = dropOnCell(World().player->locX - 1, World().player->locY + 1);
                    letGoAt(drop);
                });
    client.then("bottle on the ground", [&] {
        const auto* item = client.shard().item(kBottle);
        const CDynamicObj* bottle = CObjectManager::FindObject(kBottle);
        return item->container == 0 && item->x == client.shard().playerX() - 1 && item->y == client.shard().playerY() + 1 &&
               bottle != nullptr && bottle->parent == nullptr && !CDragGump::Current();
    }, [&] {
        press = onWorldObject(kBottle);
        pressAndMove(press);
    });
    client.then("bottle lifted from the ground", [&] { return client.shard().lifted() == kBottle && CDragGump::Current(); },
                [&] {
                    const Point drop = emptyPointInGump(*openGump<CContainerGump>());
                    letGoAt(drop);
                });
    client.then("bottle back in the backpack", [&] {
        const CDynamicObj* bottle = CObjectManager::FindObject(kBottle);
        return client.shard().item(kBottle)->container == kBackpack && bottle != nullptr && bottle->parent != nullptr &&
               bottle->parent->GetSerial() == kBackpack;
    });

    // The coins split: the amount gump asks how many, 50 of the 120 are lifted and put down apart.
    client.then("lift some coins", [] { return true; }, [&] {
        press = onItemInGump(*openGump<CContainerGump>(), kCoins);
        pressAndMove(press);
    });
    client.then("amount asked", [] { return openGump<CStackGump>() != nullptr; }, [&] {
        client.leftUp(press.x + 8, press.y);
        client.type(u"50\r");
    });
    client.then("coins on the pointer", [&] { return client.shard().lifted() == kCoins && CDragGump::Current(); },
                [&] {
                    const Point drop = emptyPointInGump(*openGump<CContainerGump>());
                    letGoAt(drop);
                });
    client.then("stack split", [&] {
        return client.shard().lifted() == 0 && coinsInBackpack() == std::vector<uint16_t>{50, 70};
    });
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
    EXPECT_EQ(client.shard().item(kCoins)->amount, 50);
    EXPECT_NE(withBottle, withoutBottle) << "the backpack no longer shows the lifted bottle";
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
