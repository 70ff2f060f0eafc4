/** @file Fuzz support for the world handler targets: the handlers installed once, a player in the world per input, everything let go after it. */
#pragma once

#include "fuzz/net/net_fuzz_setup.h"

#include "client/data/map_manager.h"
#include "client/net/world_handlers.h"
#include "client/world/draw_item.h"
#include "client/world/map_view.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"

namespace worldfuzz {

/**
 * Once per process: the client's set-up for direct handler calls, the world handlers, an empty
 * draw grid. A view builds the land of 5 x 5 cells, not 37 x 37: the same steps (wrapping, the
 * map's edges, purges as the view moves) at a fiftieth of the cost, as a view is built in most
 * inputs.
 */
inline void installOnce(const char* folder)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    netfuzz::installClientOnce(folder);
    InstallWorldHandlers();
    DrawMapThingie::Clear();
    MapView::SetLandRadius(2);
}

/**
 * A game connection and a player (serial 1) standing at (100, 100) in a world just entered. The
 * draw grid and the objects are empty: the first input finds them so, and each input leaves them so.
 */
inline CClientSock* enterWorld()
{
    CClientSock* connection = netfuzz::keptConnection(true);
    ResetWorldHandlerState();
    Walk::State() = WalkState{};
    MapManager::SetMap(0);
    MapManager::CenterX = 100;
    MapManager::CenterY = 100;
    CObjectManager::CreatePlayer(1, 400)->PlaceAt(100, 100, 0);
    WorldEntered = true;
    return connection;
}

/** A mobile of the server's (body 400) standing at (x, y). */
inline void placeMobile(uint32_t serial, uint16_t x, uint16_t y)
{
    ObjectRecord r;
    r.serial = serial;
    r.graphic = 400;
    r.x = x;
    r.y = y;
    CObjectManager::HandleMove(r);
}

/**
 * Whatever the input made is let go before the next, as a new login lets go of the world: the land
 * and statics around the player go back to their pools. Only a view that was built (the block
 * window or the draw grid moved) has land to purge; the grid's 4,096 cells are left alone otherwise.
 */
inline void leaveWorld()
{
    const bool viewBuilt = MapManager::WindowCornerX != -9999 || DrawMapThingie::cornerX != -128 ||
                           DrawMapThingie::cornerY != -128;
    CObjectManager::DeleteAllButPlayer();
    if (viewBuilt)
        MapView::ResetBlockWindow();
    CObjectManager::shutdown();
    if (viewBuilt)
        DrawMapThingie::Clear();
    ResetConnectionState();
    ResetWorldHandlerState();
    netfuzz::configFiles().clear();
}

/**
 * One input to the world handlers of `ids`: byte 0 goes to `setUp` with the connection, once the
 * player is in the world; the packets follow (see forEachSelectedPacket).
 */
template <size_t N, typename SetUp>
void readWorldInput(const char* folder, const uint8_t* data, size_t size, const uint8_t (&ids)[N], SetUp&& setUp)
{
    if (size == 0)
        return;
    installOnce(folder);
    setUp(enterWorld(), data[0]);
    netfuzz::forEachSelectedPacket(data + 1, size - 1, ids, [](const uint8_t* packet, size_t length) {
        if (PacketHandler handler = GetPacketHandler(packet[0]))
            handler(packet, length);
    });
    leaveWorld();
}

} // namespace worldfuzz
