/** @file Line of sight between two map points over the objects standing in the cells between them. */
#pragma once

#include "client/data/map_manager.h"

#include <cstdint>

/**
 * The flags of the last-placed object at (x, y) whose extent [z, z + height) holds z; 0 when
 * none. Reads the cell source of the walk rules.
 */
uint32_t FlagsOfObjectSpanningZ(int32_t x, int32_t y, int32_t z);

/**
 * True when no object met on the straight line from a to b shares a tile flag with the mask:
 * the line advances in 16.16 fixed point one cell of the longer axis per step, and each point
 * strictly between the ends is tested at its height. Equal cells always see each other.
 */
bool HasLineOfSight(MapPoint a, int32_t za, MapPoint b, int32_t zb, uint32_t mask);
