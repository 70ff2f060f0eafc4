/** @file The walk rules' view of the map files. */
#include "client/world/map_cell_source.h"

#include "client/data/map_manager.h"

#include <algorithm>
#include <cstdlib>

namespace {

int64_t cellKey(int32_t x, int32_t y)
{
    return static_cast<int64_t>(x) << 32 | static_cast<uint32_t>(y);
}

} // namespace

int32_t SlopedTopZ(const int8_t c[4])
{
    if (std::abs(c[1] - c[3]) >= std::abs(c[0] - c[2])) return (c[0] + c[2]) >> 1;
    return (c[1] + c[3]) >> 1;
}

int32_t SlopedBottomZ(const int8_t c[4])
{
    return std::min(std::min(c[0], c[1]), std::min(c[2], c[3]));
}

int32_t SlopedZAt(const int8_t c[4], int32_t k)
{
    k &= 7;
    if ((k & 1) != 0) return c[((k >> 1) + 1) & 3];
    return (c[k >> 1] + c[((k >> 1) + 1) & 3]) >> 1;
}

namespace {

/** The heights straight from the map manager, a data cache lookup a read. */
struct MapHeights {
    static int8_t LandZ(int32_t x, int32_t y) { return MapManager::GetLandZ(x, y); }
    static void CornerHeights(int32_t x, int32_t y, int8_t out[4]) { MapManager::GetCornerHeights(x, y, out); }
};

template <class Heights>
LandShape landShape(Heights& heights, int32_t x, int32_t y, uint16_t tileId, bool textured)
{
    LandShape shape;
    shape.id = static_cast<uint16_t>(tileId & 0x7FFF);
    heights.CornerHeights(x, y, shape.corners);
    const int8_t own = MapManager::InMap(x, y) ? heights.LandZ(x, y) : 0;
    shape.z = own;
    if (!textured) return shape;
    const int8_t* c = shape.corners;
    bool sloped = c[0] != c[1] || c[0] != c[2] || c[0] != c[3];
    for (int32_t ny = y - 1; !sloped && ny <= y + 2; ++ny) {
        for (int32_t nx = x - 1; nx <= x + 2; ++nx) {
            if (!MapManager::InMap(nx, ny)) return shape;
            if (heights.LandZ(nx, ny) != own) {
                sloped = true;
                break;
            }
        }
    }
    if (sloped) {
        shape.sloped = true;
        shape.z = static_cast<int8_t>((c[0] + c[1] + c[2] + c[3]) >> 2);
    }
    return shape;
}

} // namespace

LandShape GetLandShape(int32_t x, int32_t y, uint16_t tileId, bool textured)
{
    MapHeights heights;
    return landShape(heights, x, y, tileId, textured);
}

LandShape GetLandShape(LandCellReader& cells, int32_t x, int32_t y, uint16_t tileId, bool textured)
{
    return landShape(cells, x, y, tileId, textured);
}

CellThing LandThing(const LandShape& shape, uint32_t flags)
{
    CellThing t;
    t.kind = CellThing::Kind::Land;
    t.graphic = shape.id;
    t.flags = flags;
    if (shape.sloped) {
        t.bottom = SlopedBottomZ(shape.corners);
        t.top = SlopedTopZ(shape.corners);
        for (int32_t k = 0; k < 8; ++k) t.zAt[k] = static_cast<int8_t>(SlopedZAt(shape.corners, k));
    } else {
        t.bottom = t.top = shape.z;
        std::fill(t.zAt, t.zAt + 8, shape.z);
    }
    return t;
}

const std::vector<StaticsRecord>& MapCellSource::blockStatics(int32_t block)
{
    auto it = statics_.find(block);
    if (it == statics_.end()) it = statics_.emplace(block, MapManager::ReadStatics(block)).first;
    return it->second;
}

void MapCellSource::AddThing(int32_t x, int32_t y, const CellThing& thing)
{
    added_[cellKey(x, y)].push_back(thing);
}

void MapCellSource::VisitCell(int32_t x, int32_t y, CellVisitor& visitor)
{
    const uint16_t id = MapManager::GetLandTileId(x, y);
    const uint16_t landId = static_cast<uint16_t>(id & 0x3FFF);
    const LandShape shape = GetLandShape(x, y, id, tiles_.LandTexture(landId) != 0);
    if (!visitor.Visit(LandThing(shape, tiles_.LandFlags(landId)))) return;

    if (MapManager::InMap(x, y)) {
        for (const StaticsRecord& r : blockStatics(MapManager::BlockNumber(x, y))) {
            if (r.x != (x & 7) || r.y != (y & 7)) continue;
            const uint16_t graphic = r.graphic < 0x4000 ? r.graphic : 1;
            CellThing t;
            t.graphic = graphic;
            t.flags = tiles_.ItemFlags(graphic);
            t.height = tiles_.ItemHeight(graphic);
            t.bottom = r.z;
            t.top = r.z + ((t.flags & kTileBridge) != 0 ? t.height / 2 : t.height);
            t.object = &r;
            if (!visitor.Visit(t)) return;
        }
    }
    const auto it = added_.find(cellKey(x, y));
    if (it == added_.end()) return;
    for (const CellThing& t : it->second)
        if (!visitor.Visit(t)) return;
}
