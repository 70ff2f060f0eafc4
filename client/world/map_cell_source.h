/** @file The walk rules' view of the map files: land cells and their slopes, statics, and things added by hand. */
#pragma once

#include "client/data/map_manager.h"
#include "client/world/terrain.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

/** The tile data the map's things need. */
class TileDataView {
public:
    virtual ~TileDataView() = default;
    virtual uint32_t LandFlags(uint16_t id) const = 0;
    /** Non-zero when the land tile names a texture (such land may be drawn sloped). */
    virtual uint16_t LandTexture(uint16_t id) const = 0;
    virtual uint32_t ItemFlags(uint16_t graphic) const = 0;
    virtual int32_t ItemHeight(uint16_t graphic) const = 0;
};

/** A land cell as the map makes it: flat at its own z, or sloped over its four corner heights. */
struct LandShape {
    uint16_t id = 0; // the tile id & 0x7FFF
    bool sloped = false;
    int8_t z = 0;
    int8_t corners[4] = {};
};

/**
 * The shape of the land of cell (x, y) (already wrapped): textured land is sloped when its corners
 * differ or any cell of the 4 x 4 around it has another height; a neighbour outside the map ends
 * the look as flat. A sloped cell's z is the mean of its corners.
 */
LandShape GetLandShape(int32_t x, int32_t y, uint16_t tileId, bool textured);
/** The same with the heights read through a reader of the pass (the view's land). */
LandShape GetLandShape(LandCellReader& cells, int32_t x, int32_t y, uint16_t tileId, bool textured);

/** Heights of a sloped cell over its corners (top, right, bottom, left). */
int32_t SlopedTopZ(const int8_t corners[4]);
int32_t SlopedBottomZ(const int8_t corners[4]);
/** Point k of the diamond: odd points are corners, even points the mean of two. */
int32_t SlopedZAt(const int8_t corners[4], int32_t k);

/** The land thing of a shape. */
CellThing LandThing(const LandShape& shape, uint32_t flags);

/**
 * A cell source over the map and statics files read through MapManager and the data cache,
 * with tile data from a view. Things added by hand (server items, mobiles) stand after the
 * statics of their cell. Statics are decoded once per block.
 */
class MapCellSource final : public CellSource {
public:
    explicit MapCellSource(const TileDataView& tiles) : tiles_(tiles) {}

    void VisitCell(int32_t x, int32_t y, CellVisitor& visitor) override;
    int32_t PlayerMovementClass() override { return movementClass_; }
    bool ThirdPairEqual() override { return thirdPairEqual_; }

    void SetMovementClass(int32_t cls) { movementClass_ = cls; }
    void SetThirdPairEqual(bool equal) { thirdPairEqual_ = equal; }
    void AddThing(int32_t x, int32_t y, const CellThing& thing);
    void ClearThings() { added_.clear(); }
    /** Forgets the decoded statics (after the files changed). */
    void ForgetStatics() { statics_.clear(); }

private:
    const std::vector<StaticsRecord>& blockStatics(int32_t block);

    const TileDataView& tiles_;
    int32_t movementClass_ = kMoveWalk;
    bool thirdPairEqual_ = false;
    std::unordered_map<int32_t, std::vector<StaticsRecord>> statics_;
    std::unordered_map<int64_t, std::vector<CellThing>> added_;
};
