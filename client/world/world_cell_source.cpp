/** @file The walk rules' view of the live world. */
#include "client/world/world_cell_source.h"

#include "client/world/draw_item.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/walk.h"
#include "client/world/world_objects.h"

namespace {

constexpr uint16_t kSeaMountGraphic = 16051;
constexpr size_t kMountLayer = 25;

CellThing landThing(const CDrawItem& item)
{
    const auto& land = static_cast<const CLandTile&>(item);
    CellThing t;
    t.kind = CellThing::Kind::Land;
    t.graphic = land.landGraphic;
    t.flags = TileData::Land(land.landGraphic).flags;
    t.bottom = item.GetBottomZ();
    t.top = item.GetTopZ();
    for (int32_t k = 0; k < 8; ++k) t.zAt[k] = static_cast<int8_t>(item.GetZAt(k));
    t.object = &item;
    return t;
}

CellThing itemThing(const CObj& obj)
{
    CellThing t;
    t.graphic = static_cast<uint16_t>(obj.TileId());
    t.flags = obj.GetTileFlags();
    t.bottom = obj.z;
    t.top = obj.GetTopZ();
    t.height = obj.GetHeight();
    t.serverObject = obj.GetSerial() != 0;
    t.movable = obj.IsMovable() != 0;
    t.effect = obj.IsEffect() != 0;
    t.object = &obj;
    return t;
}

} // namespace

void WorldCellSource::VisitCell(int32_t x, int32_t y, CellVisitor& visitor)
{
    for (CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))];
         item != nullptr; item = item->nextDraw) {
        if (item->locX != x || item->locY != y || item->IsMobile()) continue;
        if (item->IsLand()) {
            if (!visitor.Visit(landThing(*item))) return;
        } else if (item->IsEffect()) {
            CellThing t;
            t.effect = true;
            if (!visitor.Visit(t)) return;
        } else if (item->IsObject()) {
            if (!visitor.Visit(itemThing(static_cast<const CObj&>(*item)))) return;
        }
    }
    const CPlayerMobile* player = World().player;
    for (CMobile* m = World().mobiles.head; m != nullptr; m = m->mobileLinks.next) {
        if (m == player || m->locX != x || m->locY != y) continue;
        CellThing t;
        t.kind = CellThing::Kind::Mobile;
        t.bottom = t.top = m->z;
        t.ghost = m->IsGhost() != 0;
        t.object = m;
        if (!visitor.Visit(t)) return;
    }
}

int32_t WorldCellSource::PlayerMovementClass()
{
    const CPlayerMobile* p = World().player;
    if (p == nullptr) return kMoveWalk;
    WalkPlayer w;
    w.body = p->graphic;
    w.ghost = p->IsGhost() != 0;
    const CObj* mount = p->layers[kMountLayer];
    w.mounted = mount != nullptr;
    w.seaMounted = mount != nullptr && mount->graphic == kSeaMountGraphic;
    return ::PlayerMovementClass(w);
}

bool WorldCellSource::ThirdPairEqual()
{
    const CPlayerMobile* p = World().player;
    return p != nullptr && p->statusPairs[4] == p->statusPairs[5];
}
