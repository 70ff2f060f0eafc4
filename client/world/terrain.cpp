/** @file Heights a mobile can stand on. */
#include "client/world/terrain.h"

#include <algorithm>
#include <cstdlib>

bool Terrain::WalkThroughMobiles = false;

namespace {

CellSource* g_source = nullptr;

/** Land tiles that are holes in the world: nothing stands on them. */
bool isVoidLand(uint16_t id)
{
    return id == 2 || (id >= 430 && id <= 437) || id == 475;
}

bool ghostPassesGraphic(uint16_t g)
{
    return g == 1682 || g == 1781 || g == 1782 || g == 2118 || g == 2163;
}

uint16_t landKind(const CellThing& t, int32_t cls)
{
    if (cls == kMoveFree) return kSurfaceStand | kSurfaceBridge;
    if (cls == kMoveSea) return (t.flags & kTileWet) != 0 ? 7 : kSurfaceBlocks;
    return (t.flags & kTileImpassable) != 0 ? kSurfaceBlocks : 7;
}

/** Kind of an item; 0 gives no entry. Sea mounts skip dry items (-1). */
int32_t itemKind(const CellThing& t, int32_t cls)
{
    if (cls == kMoveFree) return kSurfaceStand | kSurfaceBridge;
    if (cls == kMoveSea) return (t.flags & kTileWet) != 0 ? (kSurfaceStand | kSurfaceBridge) : -1;
    int32_t kind = 0;
    if ((t.flags & (kTileImpassable | kTileSurface)) != 0) kind |= kSurfaceBlocks;
    if ((t.flags & kTileImpassable) == 0) {
        if ((t.flags & kTileSurface) != 0) kind |= kSurfaceStand;
        if ((t.flags & kTileBridge) != 0) kind |= kSurfaceBridge;
    }
    if (cls == kMoveGhost) {
        const bool passes = t.serverObject ? (t.movable || (t.flags & kTileGhostPassable) != 0)
                                           : (t.flags & kTileGhostPassable) != 0;
        if (ghostPassesGraphic(t.graphic) || passes) kind &= ~kSurfaceBlocks;
    }
    if (t.serverObject && ((t.graphic >= 14662 && t.graphic <= 14692) || t.graphic == 130)) kind &= ~kSurfaceBlocks;
    return kind;
}

class Gatherer final : public CellVisitor {
public:
    Gatherer(SurfaceEntry* out, int32_t cls) : out_(out), cls_(cls) {}
    bool Visit(const CellThing& t) override
    {
        if (count_ >= kMaxSurfaces) return false;
        SurfaceEntry e;
        e.object = t.object;
        switch (t.kind) {
        case CellThing::Kind::Land:
            if (isVoidLand(t.graphic)) return true;
            e.kind = landKind(t, cls_);
            e.land = true;
            std::copy(t.zAt, t.zAt + 8, e.zAt);
            e.bottom = static_cast<int16_t>(t.bottom);
            e.top = static_cast<int16_t>(t.top);
            e.height = static_cast<int16_t>(t.top - t.bottom);
            break;
        case CellThing::Kind::Item: {
            if (t.effect) return true;
            const int32_t kind = itemKind(t, cls_);
            if (kind <= 0) return true;
            e.kind = static_cast<uint16_t>(kind);
            e.bottom = static_cast<int16_t>(t.bottom);
            e.top = static_cast<int16_t>(t.top);
            e.height = static_cast<int16_t>(t.height);
            break;
        }
        case CellThing::Kind::Mobile:
            if (Terrain::WalkThroughMobiles || cls_ == kMoveGhost || cls_ == kMoveFree) return true;
            if (cls_ == kMoveWalk && (t.ghost || g_source->ThirdPairEqual())) return true;
            e.kind = cls_ == kMoveWalk ? kSurfaceBlocks : 0;
            e.bottom = static_cast<int16_t>(t.bottom);
            e.top = static_cast<int16_t>(t.bottom + 16);
            e.height = 16;
            break;
        }
        out_[count_++] = e;
        return count_ < kMaxSurfaces;
    }
    int32_t count() const { return count_; }

private:
    SurfaceEntry* out_;
    int32_t cls_;
    int32_t count_ = 0;
};

} // namespace

void Terrain::SetCellSource(CellSource* source)
{
    g_source = source;
}

CellSource* Terrain::Source()
{
    return g_source;
}

int32_t GatherSurfaces(SurfaceEntry* out, int32_t x, int32_t y, int32_t movementClass)
{
    if (g_source == nullptr) return 0;
    Gatherer gatherer(out, movementClass);
    g_source->VisitCell(x, y, gatherer);
    return gatherer.count();
}

void GetStepHeights(int32_t* low, int32_t* high, int32_t x, int32_t y, int32_t z, int32_t direction,
                    int32_t movementClass)
{
    direction &= 7;
    int32_t lo = -128, hi = z;
    SurfaceEntry entries[kMaxSurfaces];
    const int32_t n = GatherSurfaces(entries, x - kDirDx[direction], y - kDirDy[direction], movementClass);
    for (int32_t i = 0; i < n; ++i) {
        const SurfaceEntry& e = entries[i];
        if (e.land) {
            if (z >= e.top) {
                lo = std::max(lo, static_cast<int32_t>(e.zAt[direction]));
                hi = std::max(hi, static_cast<int32_t>(e.zAt[direction]));
            }
        } else if ((e.kind & kSurfaceBlocks) != 0 && z >= e.top) {
            lo = std::max(lo, static_cast<int32_t>(e.top));
        }
        if ((e.kind & kSurfaceBridge) != 0 && e.top == z) {
            hi = std::max(hi, e.bottom + e.height);
            lo = std::min(lo, static_cast<int32_t>(e.bottom));
        }
    }
    *low = lo;
    *high = hi + 2;
}

bool ChooseWalkZ(int32_t x, int32_t y, int32_t z, int32_t direction, int32_t* outZ)
{
    const int32_t cls = g_source != nullptr ? g_source->PlayerMovementClass() : kMoveWalk;
    int32_t low = 0, high = 0;
    GetStepHeights(&low, &high, x, y, z, direction, cls);

    SurfaceEntry entries[kMaxSurfaces + 1];
    int32_t n = GatherSurfaces(entries, x, y, cls);
    // By bottom, then by height; equal entries keep their draw order.
    // A cell holds a handful of entries: an insertion sort, stable and without allocation.
    for (int32_t i = 1; i < n; ++i) {
        const SurfaceEntry e = entries[i];
        int32_t j = i;
        for (; j > 0 && (entries[j - 1].bottom > e.bottom ||
                         (entries[j - 1].bottom == e.bottom && entries[j - 1].height > e.height));
             --j)
            entries[j] = entries[j - 1];
        entries[j] = e;
    }
    SurfaceEntry& sentinel = entries[n++];
    sentinel = SurfaceEntry{};
    sentinel.kind = kSurfaceBlocks;
    sentinel.bottom = sentinel.top = sentinel.height = 128;

    const int32_t start = std::max(z, low);
    int32_t floor = low;
    int32_t highest = -128;
    bool found = false;
    int32_t best = 0;
    int32_t bestDistance = 1000000;
    for (int32_t i = 0; i < n; ++i) {
        const SurfaceEntry& b = entries[i];
        if ((b.kind & kSurfaceBlocks) == 0) continue;
        if (b.bottom - floor > 15 && i != 0) {
            for (int32_t j = i - 1; j >= 0; --j) {
                const SurfaceEntry& s = entries[j];
                if ((s.kind & (kSurfaceStand | kSurfaceBridge)) == 0) continue;
                if (s.top < highest || b.bottom - s.top <= 15) continue;
                const bool reachable = ((s.kind & kSurfaceStand) != 0 && s.top <= high) ||
                                       ((s.kind & kSurfaceBridge) != 0 && s.bottom <= high);
                if (!reachable) continue;
                const int32_t distance = std::abs(start - s.top);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = s.top;
                    found = true;
                }
            }
        }
        floor = std::max(floor, static_cast<int32_t>(b.top));
        highest = std::max(highest, static_cast<int32_t>(b.top));
    }
    if (found) *outZ = best;
    return found;
}
