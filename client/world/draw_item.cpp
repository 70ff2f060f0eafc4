/** @file The draw item base, its list rules, and the draw grid's cells, re-centring and purges. */
#include "client/world/draw_item.h"

#include "client/world/world_draw_services.h"

#include "client/core/kz_report.h"
#include "client/data/map_manager.h"

#include <algorithm>
#include <cstdlib>

std::array<CDrawItem*, DrawMapThingie::kCells> DrawMapThingie::table{};
int32_t DrawMapThingie::cornerX = -128;
int32_t DrawMapThingie::cornerY = -128;
int32_t DrawMapThingie::wrappedCornerX = 0;
int32_t DrawMapThingie::wrappedCornerY = 0;
std::array<uint8_t, DrawMapThingie::kCells> DrawMapThingie::visited{};
std::array<int32_t, DrawMapThingie::kCells> DrawMapThingie::visibleOrder{};
int32_t DrawMapThingie::visibleCount = 0;
std::array<uint8_t, DrawMapThingie::kCells> DrawMapThingie::boundsStale = [] {
    std::array<uint8_t, DrawMapThingie::kCells> all{};
    all.fill(1);
    return all;
}();

namespace {

const CDrawItem* g_rangePlayer = nullptr;

} // namespace

int RectsOverlap(const WorldRect& a, const WorldRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom ? 1 : 0;
}

void SetRangePlayer(const CDrawItem* player)
{
    g_rangePlayer = player;
}

const CDrawItem* GetRangePlayer()
{
    return g_rangePlayer;
}

CDrawItem::~CDrawItem()
{
    // Derived destructors have run, so only the base unlink is safe here; the world classes
    // take themselves out of the list in their own destructors first.
    if (inList != 0) UnlinkFromDrawList();
    validTag = 0;
    rect = {};
    nextDraw = prevDraw = nullptr;
    inList = 0;
}

void CDrawItem::Release()
{
    delete this;
}

void CDrawItem::AddToDrawList()
{
    LinkIntoDrawList();
}

void CDrawItem::RemoveFromDrawList()
{
    UnlinkFromDrawList();
}

int CDrawItem::IsWithinRange(int32_t range, int32_t x, int32_t y) const
{
    return std::abs(locX - x) <= range && std::abs(locY - y) <= range ? 1 : 0;
}

int CDrawItem::IsWithinRangeOfPlayer(int32_t range) const
{
    const CDrawItem* player = g_rangePlayer;
    if (player == nullptr) return 0;
    return IsWithinRange(range, player->locX, player->locY);
}

int CDrawItem::IsInUpdateRange() const
{
    const CDrawItem* player = g_rangePlayer;
    return IsWithinRangeOfPlayer(player != nullptr ? player->GetUpdateRange() : 18);
}

// The list steps below run for every land cell of every view built: each field is read once.

void CDrawItem::LinkIntoDrawList()
{
    if (inList != 0) RemoveFromDrawList();
    orderKey = DrawOrderKey();
    const int32_t x = locX;
    const int32_t y = locY;
    rowKey = x + y;
    columnKey = x + MapManager::MapWidth() - y;
    const int32_t shift = HasCellShift() != 0 ? cellShift : 0;
    LinkIntoCell(x + shift, y - shift);
}

void CDrawItem::LinkIntoCell(int32_t cellX, int32_t cellY)
{
    if (inList != 0) UnlinkFromDrawList();
    const int32_t cell = DrawMapThingie::CellIndex(cellX, cellY);
    listCell = cell;
    CDrawItem*& head = DrawMapThingie::table[static_cast<size_t>(cell)];
    DrawMapThingie::boundsStale[static_cast<size_t>(cell)] = 1;
    CDrawItem* before = nullptr; // the last item passed
    CDrawItem* r = head;
    if (r != nullptr) {
        const int32_t key = orderKey;
        const bool land = IsLand() != 0;
        while (r != nullptr) {
            const int32_t other = r->orderKey;
            if (key < other || (key == other && land && r->IsLand() == 0)) break;
            before = r;
            r = r->nextDraw;
        }
    }
    prevDraw = before;
    nextDraw = r;
    if (before != nullptr)
        before->nextDraw = this;
    else
        head = this;
    if (r != nullptr) r->prevDraw = this;
    inList = 1;
    CalcScreenRect();
    if (IsHidden() == 0) worldDraw().InvalidateWorldRect(rect);
}

void CDrawItem::UnlinkFromDrawList()
{
    unlink(true);
}

void CDrawItem::UnlinkQuietly()
{
    unlink(false);
}

void CDrawItem::unlink(bool markDirty)
{
    const bool listed = inList != 0;
    if (markDirty && listed && IsHidden() == 0) worldDraw().InvalidateWorldRect(rect);
    const int32_t listedCell = listCell;
    if (listedCell >= 0) DrawMapThingie::boundsStale[static_cast<size_t>(listedCell)] = 1;
    CDrawItem* const next = nextDraw;
    CDrawItem* const prev = prevDraw;
    if (next != nullptr) next->prevDraw = prev;
    if (prev != nullptr) {
        prev->nextDraw = next;
    } else {
        const int32_t cell = listedCell >= 0 ? listedCell : DrawMapThingie::CellIndex(ListCellX(), ListCellY());
        CDrawItem*& head = DrawMapThingie::table[static_cast<size_t>(cell)];
        DrawMapThingie::boundsStale[static_cast<size_t>(cell)] = 1;
        if (head == this) {
            head = next;
        } else if (listed) {
            KZReport::error("CDrawItem::RemoveFromDrawList(): code would have asserted because "
                            "'DrawMapThingie::table[locY][locX] == this' evaluates to 0. Repairing the cell heads.\n");
            for (CDrawItem*& slot : DrawMapThingie::table)
                if (slot == this) slot = next;
        }
    }
    inList = 0;
    listCell = -1;
    prevDraw = nextDraw = nullptr;
}

void CDrawItem::Invalidate() const
{
    if (IsValid() && inList != 0) worldDraw().InvalidateWorldRect(rect);
}

void CDrawItem::Invalidate(const CDrawItem* item)
{
    if (item != nullptr) item->Invalidate();
}

void CDrawItem::GetRectCentre(int32_t& x, int32_t& y) const
{
    x = (rect.left + rect.right) / 2;
    y = (rect.top + rect.bottom) / 2;
}

void DrawMapThingie::Clear()
{
    table = {};
    boundsStale.fill(1);
    visited.fill(0);
    wrappedCornerX = wrappedCornerY = 0;
    cornerX = cornerY = -128;
}

void DrawMapThingie::BuildVisibleOrder()
{
    visibleCount = 0;
    for (int32_t sum = 31; sum <= 97; ++sum)
        for (int32_t dx = 0; dx < 64; ++dx) {
            const int32_t dy = sum - dx;
            if (dy < 0 || dy >= 64 || dx - dy < -29 || dx - dy > 29) continue;
            visibleOrder[static_cast<size_t>(visibleCount++)] = dy * 64 + dx;
        }
}

int32_t DrawMapThingie::CellOfOffset(int32_t offset)
{
    return ((wrappedCornerY + (offset >> 6)) & 63) * 64 + ((wrappedCornerX + offset) & 63);
}

void DrawMapThingie::Recenter()
{
    int32_t newX = MapManager::CenterX - 32;
    int32_t newY = MapManager::CenterY - 32;
    if (newX == cornerX && newY == cornerY) return;
    int32_t oldX = cornerX;
    int32_t oldY = cornerY;
    const int32_t wrapW = MapManager::WrapWidth();
    const int32_t wrapH = MapManager::WrapHeight();
    if (oldX + 32 < wrapW) {
        if (oldX >= wrapW - 64 && newX < 0) oldX -= wrapW;
        if (oldX < 0 && newX > wrapW - 64) oldX += wrapW;
    }
    if (oldY + 32 < wrapH) {
        if (oldY >= wrapH - 64 && newY < 0) oldY -= wrapH;
        if (oldY < 0 && newY > wrapH - 64) oldY += wrapH;
    }
    const int32_t dx = newX - oldX;
    const int32_t dy = newY - oldY;
    if (std::abs(dx) >= 64 || std::abs(dy) >= 64) {
        PurgeAll();
    } else {
        const auto purgeColumn = [](int32_t x) {
            for (int32_t y = 0; y < 64; ++y) PurgeCell(y * 64 + (x & 63));
        };
        const auto purgeRow = [](int32_t y) {
            for (int32_t x = 0; x < 64; ++x) PurgeCell((y & 63) * 64 + x);
        };
        for (int32_t x = std::min(oldX, newX); x < std::max(oldX, newX); ++x) purgeColumn(x);
        for (int32_t y = std::min(oldY, newY); y < std::max(oldY, newY); ++y) purgeRow(y);
    }
    cornerX = newX;
    cornerY = newY;
    wrappedCornerX = newX & 63;
    wrappedCornerY = newY & 63;
}

void DrawMapThingie::PurgeAll()
{
    // Two thirds of the cells lie outside any view and are empty: only listed cells are walked.
    const CDrawItem* const* heads = table.data();
    for (int32_t i = 0; i < kCells; ++i)
        if (heads[i] != nullptr) PurgeCell(i);
}

namespace {

/** The purge walk of one cell; landOnly restricts it to land items. */
void purge(int32_t index, bool landOnly)
{
    CDrawItem* player = nullptr;
    CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(index)];
    while (item != nullptr) {
        CDrawItem* next = item->nextDraw; // read before the item may go
        const bool take = landOnly ? item->IsLand() != 0 : item->IsPurgeable() != 0 || item->IsLand() != 0;
        if (take) {
            item->UnlinkQuietly();
            if (item->IsPlayer() != 0) {
                worldDraw().RedrawAll();
                player = item;
            } else if (item->IsMobile() == 0 || item->IsPartyMember() == 0) {
                item->Release();
            }
        }
        item = next;
    }
    if (player != nullptr) player->AddToDrawList();
}

} // namespace

void DrawMapThingie::PurgeCell(int32_t index)
{
    purge(index, false);
}

void DrawMapThingie::PurgeCellLand(int32_t x, int32_t y)
{
    purge(CellIndex(x, y), true);
}

CDrawItem* DrawMapThingie::GetTopItem(int32_t x, int32_t y)
{
    CDrawItem* item = table[static_cast<size_t>(CellIndex(x, y))];
    while (item != nullptr && item->nextDraw != nullptr) item = item->nextDraw;
    return item;
}

int32_t DrawMapThingie::CountListed()
{
    int32_t n = 0;
    for (const CDrawItem* head : table)
        for (const CDrawItem* item = head; item != nullptr; item = item->nextDraw) ++n;
    return n;
}
