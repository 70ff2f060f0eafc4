/** @file The walk rules' view of the live world: the draw grid's cell lists, the mobiles list and the player. */
#pragma once

#include "client/world/terrain.h"

/**
 * Land and items come from the draw list of the cell (in list order, effects skipped by the walk
 * rules), mobiles other than the player from the mobiles list. The player's movement class and
 * its third attribute pair come from the object manager's player. Installed at start-up.
 */
class WorldCellSource final : public CellSource {
public:
    void VisitCell(int32_t x, int32_t y, CellVisitor& visitor) override;
    int32_t PlayerMovementClass() override;
    bool ThirdPairEqual() override;
};
