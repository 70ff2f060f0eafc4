/** @file Walkable maps for the walk and path tests. */
#include "tests/support/terrain_fixtures.h"

#include "client/data/map_manager.h"
#include "client/world/terrain.h"

namespace testsupport {

TileTable::TileTable()
{
    setLand(0, {kTileImpassable, 0});
    setLand(1, {kTileImpassable, 0});
    setLand(WalkMap::kHill, {0, 1});
    setLand(WalkMap::kWater, {kTileImpassable | kTileWet, 0});
    setItem(WalkMap::kWall, {kTileImpassable, 20});
    setItem(WalkMap::kFloor, {kTileSurface, 0});
    setItem(WalkMap::kStair, {kTileSurface | kTileBridge, 5});
}

uint32_t TileTable::LandFlags(uint16_t id) const
{
    const auto it = land_.find(id);
    return it == land_.end() ? 0 : it->second.flags;
}

uint16_t TileTable::LandTexture(uint16_t id) const
{
    const auto it = land_.find(id);
    return it == land_.end() ? 0 : it->second.texture;
}

uint32_t TileTable::ItemFlags(uint16_t graphic) const
{
    const auto it = items_.find(graphic);
    return it == items_.end() ? 0 : it->second.flags;
}

int32_t TileTable::ItemHeight(uint16_t graphic) const
{
    const auto it = items_.find(graphic);
    return it == items_.end() ? 0 : it->second.height;
}

WalkMap::WalkMap(std::filesystem::path folder, uint32_t blockColumns)
    : install_(std::move(folder), blockColumns), blocksHigh_(install_.map().blocksHigh())
{
}

WalkMap::~WalkMap()
{
    close();
}

void WalkMap::land(uint32_t x, uint32_t y, int8_t z, uint16_t tile)
{
    install_.map().setCell(x, y, tile, z);
}

void WalkMap::fillLand(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, int8_t z, uint16_t tile)
{
    for (uint32_t y = y0; y <= y1; ++y)
        for (uint32_t x = x0; x <= x1; ++x) land(x, y, z, tile);
}

void WalkMap::addStatic(uint32_t x, uint32_t y, uint16_t graphic, int8_t z)
{
    const uint32_t block = (x >> 3) * blocksHigh_ + (y >> 3);
    statics_[block].push_back({graphic, static_cast<uint8_t>(x & 7), static_cast<uint8_t>(y & 7), z, 0});
}

void WalkMap::wallLine(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1)
{
    for (uint32_t y = y0; y <= y1; ++y)
        for (uint32_t x = x0; x <= x1; ++x) addStatic(x, y, kWall, 0);
}

void WalkMap::open()
{
    close();
    for (const auto& [block, records] : statics_) install_.indexed(2).add(block, formats::encodeStatics(records));
    install_.write();
    cache_ = std::make_unique<ScopedDataCache>(install_.folder());
    MapManager::startup();
    source_ = std::make_unique<MapCellSource>(tiles_);
    Terrain::SetCellSource(source_.get());
}

void WalkMap::close()
{
    if (source_ != nullptr) Terrain::SetCellSource(nullptr);
    source_.reset();
    cache_.reset();
}

} // namespace testsupport
