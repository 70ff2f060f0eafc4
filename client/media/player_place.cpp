/** @file Where the player stands, as sound and music ask for it. */
#include "client/media/player_place.h"

#include "client/world/object_manager.h"
#include "client/world/world_objects.h"

namespace {

std::function<bool(MapPoint&)> g_place;

} // namespace

void SetPlayerPlace(std::function<bool(MapPoint&)> place)
{
    g_place = std::move(place);
}

bool PlayerPlace(MapPoint& at)
{
    if (g_place)
        return g_place(at);
    const CPlayerMobile* player = World().player;
    if (player == nullptr)
        return false;
    at = MapPoint{player->locX, player->locY};
    return true;
}
