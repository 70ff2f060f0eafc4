/** @file Heights a mobile can stand on: the surfaces of a cell, the step bounds and the choice of the walking height. */
#pragma once

#include <cstdint>

/** Directions 0..7 clockwise from north. */
inline constexpr int32_t kDirDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr int32_t kDirDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

/** Tile flags the walk rules read. */
inline constexpr uint32_t kTileImpassable = 0x40;
inline constexpr uint32_t kTileWet = 0x80;
inline constexpr uint32_t kTileSurface = 0x200;
inline constexpr uint32_t kTileBridge = 0x400;
inline constexpr uint32_t kTileGhostPassable = 0x20000000;

/** Kind bits of a surface entry. */
inline constexpr uint16_t kSurfaceBlocks = 1;
inline constexpr uint16_t kSurfaceStand = 2;
inline constexpr uint16_t kSurfaceBridge = 4;

/** Movement classes: 0 walking, 1 a ghost, 2 anything goes, 3 on a sea mount. */
inline constexpr int32_t kMoveWalk = 0, kMoveGhost = 1, kMoveFree = 2, kMoveSea = 3;

inline constexpr int32_t kMaxSurfaces = 256;

/** One thing standing in a cell, as the walk rules see it. */
struct CellThing {
    enum class Kind : uint8_t { Land, Item, Mobile };
    Kind kind = Kind::Item;
    uint16_t graphic = 0;      // land tile id or item graphic
    uint32_t flags = 0;        // tile flags of the land tile or the item
    int32_t bottom = 0;        // GetBottomZ (items and mobiles: their z)
    int32_t top = 0;           // GetTopZ
    int32_t height = 0;        // items: GetHeight
    int8_t zAt[8] = {};        // land: GetZAt of the eight points of the diamond
    bool serverObject = false; // an item with a serial (not a static)
    bool movable = false;      // IsMovable
    bool ghost = false;        // a mobile that IsGhost
    bool effect = false;       // IsEffect: never a surface
    const void* object = nullptr;
};

/** Receives the things of a cell one by one; false stops the walk through the cell. */
class CellVisitor {
public:
    virtual ~CellVisitor() = default;
    virtual bool Visit(const CellThing& thing) = 0;
};

/**
 * Where the walk rules find the world: the things of a cell (its land first, then its items in
 * draw-list order, then the mobiles standing there) and the state of the player. The world
 * installs one over its draw grid; tests and tools use one over the map files.
 */
class CellSource {
public:
    virtual ~CellSource() = default;
    virtual void VisitCell(int32_t x, int32_t y, CellVisitor& visitor) = 0;
    /** The player's movement class. */
    virtual int32_t PlayerMovementClass() { return kMoveWalk; }
    /** The player's two values of its third attribute pair are equal: other mobiles do not block. */
    virtual bool ThirdPairEqual() { return false; }
};

struct SurfaceEntry {
    uint16_t kind = 0;
    int16_t bottom = 0;
    int16_t top = 0;
    int16_t height = 0;
    bool land = false;
    int8_t zAt[8] = {};
    const void* object = nullptr;
};

namespace Terrain {
/** The source the walk rules read; null leaves every cell empty. */
void SetCellSource(CellSource* source);
CellSource* Source();
/** The debug setting that lets the player walk through mobiles. */
extern bool WalkThroughMobiles;
} // namespace Terrain

/** Fills at most 256 entries for the cell; returns their count. */
int32_t GatherSurfaces(SurfaceEntry* out, int32_t x, int32_t y, int32_t movementClass);
/** The floor and reach bounds at the cell behind (x, y) for a step in the direction. */
void GetStepHeights(int32_t* low, int32_t* high, int32_t x, int32_t y, int32_t z, int32_t direction,
                    int32_t movementClass);
/** The height to stand on at (x, y) arriving from height z in the direction; false when none. */
bool ChooseWalkZ(int32_t x, int32_t y, int32_t z, int32_t direction, int32_t* outZ);
