/** @file The draw grid's drawing and picking: one dirty rectangle painted back to front, the front-most item under a point, and the world's dirty marks made play-area rectangles. */
#include "client/render/draw_grid.h"

#include "client/render/animated_list.h"
#include "client/render/draw_manager.h"
#include "client/render/see_through_circle.h"
#include "client/core/config_store.h"
#include "client/render/lights.h"
#include "client/render/world_drawing.h"
#include "client/world/world_objects.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

int32_t DrawGrid::scrollX = 0;
int32_t DrawGrid::scrollY = 0;

namespace {

bool g_translucent = false;

constexpr uint32_t kTranslucentFoliage = 0x20000;

/** Touching counts: apart only when one lies strictly beyond the other. */
bool touches(const WorldRect& item, const WorldRect& dirty)
{
    return !(dirty.bottom < item.top || item.bottom < dirty.top || dirty.right < item.left || item.right < dirty.left);
}

bool contains(const WorldRect& r, int32_t x, int32_t y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

/** The union of the rectangles of each cell's items, worked out again when the cell's list changed. */
std::array<WorldRect, DrawMapThingie::kCells> g_cellBounds;

/** The cell's bounds; only for a cell whose list is not empty. */
const WorldRect& cellBounds(int32_t cell)
{
    const auto c = static_cast<size_t>(cell);
    if (DrawMapThingie::boundsStale[c] != 0) {
        const CDrawItem* item = DrawMapThingie::table[c];
        WorldRect u = item->rect;
        for (item = item->nextDraw; item != nullptr; item = item->nextDraw) {
            u.left = std::min(u.left, item->rect.left);
            u.top = std::min(u.top, item->rect.top);
            u.right = std::max(u.right, item->rect.right);
            u.bottom = std::max(u.bottom, item->rect.bottom);
        }
        g_cellBounds[c] = u;
        DrawMapThingie::boundsStale[c] = 0;
    }
    return g_cellBounds[c];
}

/** Items that picking never returns. */
bool neverPicked(const CDrawItem& item)
{
    return item.IsHidden() != 0 || item.IsBigMobComponent() != 0 || item.IsEffect() != 0;
}

/**
 * Calls visit for every listed item front to back until it returns true; returns that item.
 * Cells whose bounds accept refuses are passed over.
 */
template <class Accept, class Visit>
CDrawItem* walkFrontToBack(Accept accept, Visit visit)
{
    for (int32_t i = DrawMapThingie::visibleCount - 1; i >= 0; --i) {
        const int32_t cell = DrawMapThingie::CellOfOffset(DrawMapThingie::visibleOrder[static_cast<size_t>(i)]);
        CDrawItem* tail = DrawMapThingie::table[static_cast<size_t>(cell)];
        if (tail == nullptr || !accept(cellBounds(cell)))
            continue;
        while (tail != nullptr && tail->nextDraw != nullptr)
            tail = tail->nextDraw;
        for (CDrawItem* item = tail; item != nullptr; item = item->prevDraw)
            if (visit(*item))
                return item;
    }
    return nullptr;
}

} // namespace

void DrawGrid::DrawRect(const BlitRect& rect)
{
    if (WorldView::zCutMode) {
        uint16_t* base = GetBlitTarget();
        const BlitRect surface = GetBlitTargetRect();
        for (int32_t y = std::max(rect.top, surface.top); base != nullptr && y < std::min(rect.bottom, surface.bottom); ++y)
            for (int32_t x = std::max(rect.left, surface.left); x < std::min(rect.right, surface.right); ++x)
                base[static_cast<ptrdiff_t>(y) * GetBlitPitch() + x] = 0;
    }
    const WorldRect dirty{rect.left + scrollX, rect.top + scrollY, rect.right + scrollX, rect.bottom + scrollY};
    for (int32_t i = 0; i < DrawMapThingie::visibleCount; ++i) {
        const int32_t cell = DrawMapThingie::CellOfOffset(DrawMapThingie::visibleOrder[static_cast<size_t>(i)]);
        // A cell none of whose items touches the rectangle is passed over whole.
        if (DrawMapThingie::table[static_cast<size_t>(cell)] == nullptr || !touches(cellBounds(cell), dirty))
            continue;
        for (CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(cell)]; item != nullptr;) {
            // Read before drawing: nothing may unlink during the pass, but the walk never relies on it.
            CDrawItem* next = item->nextDraw;
            if (touches(item->rect, dirty)) {
                if (item->IsHidden() == 0) {
                    item->DrawClip(dirty);
                } else if (item->IsObject() != 0 && (item->GetTileFlags() & kTranslucentFoliage) != 0) {
                    g_translucent = true;
                    item->DrawClip(dirty);
                    g_translucent = false;
                }
            }
            item = next;
        }
    }
}

bool DrawGrid::DrawingTranslucent()
{
    return g_translucent;
}

DrawGrid::PickHooks DrawGrid::worldPickHooks()
{
    PickHooks hooks;
    hooks.objectHit = [](const CDrawItem& item, int32_t x, int32_t y) { return WorldDrawing::ObjectHit(item, x, y); };
    hooks.landPickable = [](const CDrawItem& land) { return !WorldView::zCutMode || land.z <= WorldView::zCutLevel; };
    hooks.insideSeeThroughCircle = [](const CDrawItem& object) {
        return UseCircleTrans != 0 && SeeThroughCircle::Occludes(object) != 0;
    };
    return hooks;
}

DrawGrid::PickHooks& DrawGrid::pickHooks()
{
    static PickHooks instance = worldPickHooks();
    return instance;
}

CDrawItem* DrawGrid::PickAt(int32_t x, int32_t y, bool excludeLand)
{
    const int32_t wx = x + scrollX;
    const int32_t wy = y + scrollY;
    const PickHooks& h = pickHooks();
    const auto holds = [&](const WorldRect& r) { return contains(r, wx, wy); };
    return walkFrontToBack(holds, [&](const CDrawItem& item) {
        if (!contains(item.rect, wx, wy) || neverPicked(item))
            return false;
        if (item.IsLand() != 0) {
            if (excludeLand || (h.landPickable && !h.landPickable(item)))
                return false;
            const int32_t dx = wx - item.rect.left;
            const int32_t dy = wy - item.rect.top;
            return 20 < dx + dy && dx + dy < 66 && -22 <= dy - dx && dy - dx <= 22;
        }
        if (h.insideSeeThroughCircle && item.IsObject() != 0 && h.insideSeeThroughCircle(item))
            return false;
        return !h.objectHit || h.objectHit(item, wx, wy);
    });
}

CDrawItem* DrawGrid::PickNearestLand(int32_t x, int32_t y)
{
    const int32_t wx = x + scrollX;
    const int32_t wy = y + scrollY;
    CDrawItem* nearest = nullptr;
    int32_t best = 9999;
    walkFrontToBack([&](const WorldRect& r) { return contains(r, wx, wy); }, [&](CDrawItem& item) {
        if (item.IsLand() != 0 && contains(item.rect, wx, wy)) {
            int32_t cx = 0;
            int32_t cy = 0;
            item.GetRectCentre(cx, cy);
            const int32_t distance = std::abs(wx - cx) + std::abs(wy - cy);
            if (distance < best) {
                best = distance;
                nearest = &item;
            }
        }
        return false;
    });
    return nearest;
}

DrawGrid::ArtHooks DrawGrid::worldArtHooks()
{
    ArtHooks hooks;
    hooks.landGraphicOf = [](const CDrawItem& item) -> int32_t {
        const auto* land = dynamic_cast<const CLandTile*>(&item);
        return land != nullptr ? land->landGraphic : -1;
    };
    hooks.itemArtOf = [](const CDrawItem& item) -> int32_t {
        const auto* object = dynamic_cast<const CObj*>(&item);
        return object != nullptr ? object->TileId() : -1;
    };
    return hooks;
}

DrawGrid::ArtHooks& DrawGrid::artHooks()
{
    static ArtHooks instance = worldArtHooks();
    return instance;
}

void DrawGrid::InvalidateLandGraphic(int32_t landId)
{
    const ArtHooks& h = artHooks();
    if (!h.landGraphicOf)
        return;
    for (const CDrawItem* head : DrawMapThingie::table)
        for (const CDrawItem* item = head; item != nullptr; item = item->nextDraw)
            if (item->IsLand() != 0) {
                const int32_t graphic = h.landGraphicOf(*item);
                if (graphic >= 0 && (graphic & 0x7FFF) == (landId & 0x7FFF))
                    item->Invalidate();
            }
}

void DrawGrid::ReinsertItemsWithArt(int32_t itemArtId)
{
    const ArtHooks& h = artHooks();
    if (!h.itemArtOf)
        return;
    // Collected first: re-adding an item may put it into a cell the walk has not reached yet.
    std::vector<CDrawItem*> found;
    for (CDrawItem* head : DrawMapThingie::table)
        for (CDrawItem* item = head; item != nullptr; item = item->nextDraw)
            if (item->IsObject() != 0 && item->IsMobile() == 0 && h.itemArtOf(*item) == itemArtId)
                found.push_back(item);
    for (CDrawItem* item : found) {
        item->RemoveFromDrawList();
        item->AddToDrawList();
    }
}

void DrawGrid::InvalidateWorldRect(const WorldRect& rect)
{
    const BlitRect r{rect.left - scrollX, rect.top - scrollY, rect.right - scrollX, rect.bottom - scrollY};
    DrawManager::DirtyRect(&r);
}

void RenderWorldServices::CalcScreenRect(CDrawItem& item)
{
    WorldDrawing::CalcScreenRect(item);
}

void RenderWorldServices::DrawClip(CDrawItem& item, const WorldRect& clip)
{
    WorldDrawing::DrawClip(item, clip);
}

int32_t RenderWorldServices::OrderKey(const CDrawItem& item)
{
    return WorldDrawing::OrderKey(item);
}

int RenderWorldServices::IsHidden(const CDrawItem& item)
{
    return WorldDrawing::IsHidden(item);
}

void RenderWorldServices::AddToDrawList(CDrawItem& item)
{
    WorldDrawing::AddToDrawList(item);
}

void RenderWorldServices::RemoveFromDrawList(CDrawItem& item)
{
    WorldDrawing::RemoveFromDrawList(item);
}

void RenderWorldServices::InvalidateLightArea(const CDrawItem& item)
{
    if (item.IsObject() != 0) Lights::InvalidateLightArea(static_cast<const CObj&>(item));
}

void RenderWorldServices::AddSceneLight(int32_t delta)
{
    Lights::personalLevel += delta;
}

void RenderWorldServices::InvalidateMobileLights(CMobile& mobile)
{
    Lights::InvalidateMobileLights(mobile);
}

void RenderWorldServices::ViewCentred(int32_t x, int32_t y)
{
    const WalkState& walk = Walk::State();
    const CPlayerMobile* p = World().player;
    if (p != nullptr && p->offMap == 0 && walk.count > 0)
        WorldView::FollowCell(p->locX, p->locY, walk.scrollX, walk.scrollY);
    else
        WorldView::FollowCell(x, y, 0, 0);
    WorldView::UpdateRoofCutoff();
}

void RenderWorldServices::FollowPlayerStep(int32_t x, int32_t y, int32_t offsetX, int32_t offsetY, bool moved)
{
    WorldView::FollowCell(x, y, offsetX, offsetY);
    if (moved)
        WorldView::UpdateRoofCutoff();
}

void RenderWorldServices::AnimatedListAdd(CMobile& mobile)
{
    AnimatedList::Add(mobile);
}

void RenderWorldServices::AnimatedListRemove(CMobile& mobile)
{
    AnimatedList::Remove(mobile, true);
}

void RenderWorldServices::RedrawAll()
{
    DrawManager::RedrawAll();
}

RenderWorldServices& renderWorldServices()
{
    static RenderWorldServices instance;
    return instance;
}
