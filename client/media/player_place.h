/** @file Where the player stands, as sound and music ask for it. */
#pragma once

#include "client/data/map_manager.h"

#include <functional>

/**
 * Installs another answer (tests); null goes back to the world's player, which answers false
 * while there is no player.
 */
void SetPlayerPlace(std::function<bool(MapPoint&)> place);
/** The player's cell; false (leaving at as it was) while there is no player. */
bool PlayerPlace(MapPoint& at);
