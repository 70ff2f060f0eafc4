/** @file Walkable maps for the walk and path tests: land heights, walls, floors and stairs written as map and statics files. */
#pragma once

#include "client/world/map_cell_source.h"
#include "tests/support/data_fixtures.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace testsupport {

/** Tile data from two small tables; anything not set is plain ground or a flat item. */
class TileTable final : public TileDataView {
public:
    struct Land {
        uint32_t flags = 0;
        uint16_t texture = 0;
    };
    struct Item {
        uint32_t flags = 0;
        int32_t height = 0;
    };
    TileTable();
    void setLand(uint16_t id, Land land) { land_[id] = land; }
    void setItem(uint16_t graphic, Item item) { items_[graphic] = item; }

    uint32_t LandFlags(uint16_t id) const override;
    uint16_t LandTexture(uint16_t id) const override;
    uint32_t ItemFlags(uint16_t graphic) const override;
    int32_t ItemHeight(uint16_t graphic) const override;

private:
    std::map<uint16_t, Land> land_;
    std::map<uint16_t, Item> items_;
};

/**
 * A walk map on disk: the map file (2 block columns unless told), statics in real records,
 * and tile data for the graphics below. Land ids 0 (cells with no block) and 1 (cells outside
 * the map) are impassable, so the world ends where the drawn cells end.
 */
class WalkMap {
public:
    static constexpr uint16_t kGround = 3;      // flat untextured ground
    static constexpr uint16_t kHill = 4;        // textured ground: slopes between heights
    static constexpr uint16_t kWater = 168;     // impassable and wet
    static constexpr uint16_t kWall = 0x0080;   // impassable, 20 high
    static constexpr uint16_t kFloor = 0x0500;  // a surface, 0 high
    static constexpr uint16_t kStair = 0x0700;  // surface and bridge, 5 high

    explicit WalkMap(std::filesystem::path folder, uint32_t blockColumns = 2);

    void land(uint32_t x, uint32_t y, int8_t z, uint16_t tile = kGround);
    void fillLand(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, int8_t z, uint16_t tile = kGround);
    void addStatic(uint32_t x, uint32_t y, uint16_t graphic, int8_t z);
    void wallLine(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1);

    TileTable& tiles() { return tiles_; }
    DataInstall& install() { return install_; }

    /** Writes the files, starts the data cache and installs a cell source over them. */
    void open();
    /** Stops the data cache and removes the cell source. */
    void close();
    MapCellSource& source() { return *source_; }
    ~WalkMap();

private:
    DataInstall install_;
    TileTable tiles_;
    uint32_t blocksHigh_;
    std::map<uint32_t, std::vector<formats::StaticRecord>> statics_;
    std::unique_ptr<ScopedDataCache> cache_;
    std::unique_ptr<MapCellSource> source_;
};

} // namespace testsupport
