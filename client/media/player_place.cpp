/** @file Where the player stands, as sound and music ask for it: the world installs the answer. */
#include "client/media/player_place.h"

namespace {

std::function<bool(MapPoint&)> g_place;

} // namespace

void SetPlayerPlace(std::function<bool(MapPoint&)> place)
{
    g_place = std::move(place);
}

bool PlayerPlace(MapPoint& at)
{
    return g_place && g_place(at);
}
