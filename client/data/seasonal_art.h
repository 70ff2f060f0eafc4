/** @file Seasonal substitution of land tiles and static item graphics. */
#pragma once

#include <cstdint>

/** The current season, 0 to 4, set by the server; 0 at start. */
extern int32_t SeasonValue;

uint16_t RemapSeasonalLand(uint16_t tileId);
uint16_t RemapSeasonalGraphic(uint16_t graphic);
