/** @file Line of sight between two map points. */
#include "client/world/line_of_sight.h"

#include "client/world/terrain.h"

#include <algorithm>
#include <cstdlib>

namespace {

class SpanFinder final : public CellVisitor {
public:
    explicit SpanFinder(int32_t z) : z_(z) {}
    bool Visit(const CellThing& t) override
    {
        if (t.kind == CellThing::Kind::Item && t.bottom <= z_ && z_ < t.bottom + t.height) flags = t.flags;
        return true;
    }
    uint32_t flags = 0;

private:
    int32_t z_;
};

} // namespace

uint32_t FlagsOfObjectSpanningZ(int32_t x, int32_t y, int32_t z)
{
    CellSource* source = Terrain::Source();
    if (source == nullptr) return 0;
    SpanFinder finder(z);
    source->VisitCell(x, y, finder);
    return finder.flags;
}

bool HasLineOfSight(MapPoint a, int32_t za, MapPoint b, int32_t zb, uint32_t mask)
{
    if (a.x == b.x && a.y == b.y) return true;
    const int32_t steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
    const int64_t stepX = static_cast<int64_t>(b.x - a.x) * 65536 / steps;
    const int64_t stepY = static_cast<int64_t>(b.y - a.y) * 65536 / steps;
    const int64_t stepZ = static_cast<int64_t>(zb - za) * 65536 / steps;
    int64_t x = static_cast<int64_t>(a.x) * 65536, y = static_cast<int64_t>(a.y) * 65536,
            z = static_cast<int64_t>(za) * 65536;
    for (int32_t i = 1; i < steps; ++i) {
        x += stepX;
        y += stepY;
        z += stepZ;
        // Arithmetic shifts: a point left of or above the origin lies in the cell below it.
        const uint32_t flags = FlagsOfObjectSpanningZ(static_cast<int32_t>(x >> 16), static_cast<int32_t>(y >> 16),
                                                      static_cast<int32_t>(z >> 16));
        if ((flags & mask) != 0) return false;
    }
    return true;
}
