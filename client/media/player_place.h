/** @file Where the player stands, as sound and music ask for it: the world installs the answer. */
#pragma once

#include "client/data/map_manager.h"

#include <functional>

/**
 * Installs the question (null removes it). It answers false while there is no player; until the
 * world installs it there is none.
 */
void SetPlayerPlace(std::function<bool(MapPoint&)> place);
/** The player's cell; false (leaving at as it was) while there is no player. */
bool PlayerPlace(MapPoint& at);
