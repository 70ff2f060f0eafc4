/** @file The drag gump: the picture of the lifted item, following the pointer, the paperdoll preview and the drop rules. */
#include "client/gumps/game/drag_gump.h"

#include "client/gumps/game/container_gump.h"

#include "client/core/config_store.h"
#include "client/data/art_image.h"
#include "client/data/map_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/packet_builders.h"
#include "client/world/line_of_sight.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"

#include <algorithm>
#include <cstdlib>

namespace {

CDragGump* g_current = nullptr;
constexpr uint32_t kNoItem = 0xFFFFFFFF;

/** The world view among the top-level gumps, or null. */
CGump* findWorldView()
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (g->IsMapGump() != 0 && !g->closing)
            return g;
    return nullptr;
}

bool isGamePiece(uint16_t graphic)
{
    return graphic >= 13700 && graphic <= 13729;
}

/** A container in the world or in a gump takes an item only when its content area holds the picture. */
bool contentHolds(const CObj& container, const CGump& drag)
{
    const GumpRect content = CGumpManager::GetContainerContentRect(CGumpManager::GetContainerGumpId(container.graphic));
    return content.width() >= drag.width && content.height() >= drag.height;
}

} // namespace

void SendDropPacket(uint32_t serial, uint16_t x, uint16_t y, int8_t z, uint32_t target)
{
    uint8_t packet[14];
    BuildDropItemPacket(packet, serial, x, y, static_cast<uint8_t>(z), target);
    SendOnMainConnection(packet);
    // The item is the server's to place now: the next pick-up may start.
    World().pickUpPending = false;
}

void PlayGumpSound(int sound)
{
    worldSound().PlaySound(sound);
}

bool StacksWithDragged(const CObj& object)
{
    const PickUpRecord& p = World().pickUp;
    if (object.graphic != p.graphic || object.hue != p.hue)
        return false;
    if ((object.GetTileFlags() & TILE_STACKABLE) == 0 || (p.tileFlags & TILE_STACKABLE) == 0)
        return false;
    return object.amount != 0 && p.amount != 0;
}

int PaperdollLayerAt(const CMobile& mobile, int x, int y, bool includeLayer21)
{
    static constexpr int kOrder[] = {20, 5, 4, 3, 24, 13, 17, 8, 9, 14, 15, 19, 7, 23, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21, 25};
    if (x <= 7 || y <= 18)
        return -1;
    for (int i = static_cast<int>(std::size(kOrder)) - 1; i >= 0; --i) {
        const int layer = kOrder[i];
        if (layer == 11 || layer == 16 || (layer == 21 && !includeLayer21))
            continue;
        const CObj* item = mobile.layers[static_cast<size_t>(layer)];
        if (item == nullptr)
            continue;
        const uint16_t animation = TileData::Item(item->TileId()).animationId;
        if (animation == 0 || animation >= 0xFFF6)
            continue;
        if (GetGumpArtPixel(animation + 50000, x - 8, y - 19) != 0)
            return layer;
    }
    return -1;
}

CDragGump* CDragGump::Current()
{
    return g_current;
}

CDragGump::CDragGump()
{
    name = "drag gump";
    const PickUpRecord& p = World().pickUp;
    serial_ = p.serial;
    MouseManager::SetCapture(this);
    const bool stacked = p.amount > 1 && (p.tileFlags & TILE_STACKABLE) != 0 && !IsPileGraphicId(p.graphic);
    int32_t w = 0, h = 0;
    if (isGamePiece(p.graphic)) {
        GetGumpArtSize(p.graphic - 11369, &w, &h);
        SetFrameCount(1);
        width = w;
        height = h;
        if (GumpBitmap* b = MakeFrame(0, w, h); b != nullptr && h > 0)
            DrawGumpArt(CopySpanTransparent, p.graphic - 11369, 0, 0, b->pixels.data(), b->stride(), b->height);
    } else {
        const uint16_t shown = p.displayGraphic != 0 ? p.displayGraphic : p.graphic;
        int32_t art = ItemArtFor(shown, p.amount, IsFleshGraphic(p.graphic));
        const ArtImage* image = GetArtImage(art);
        if (image == nullptr) {
            art = 0x4000;
            image = GetArtImage(art);
        }
        if (image != nullptr) {
            w = image->width;
            h = image->height;
        }
        const int extra = stacked ? 5 : 0;
        SetFrameCount(1);
        width = w + extra;
        height = h + extra;
        if (GumpBitmap* b = MakeFrame(0, width, height); b != nullptr && height > 0) {
            DrawItemArtInto(*b, art, p.hue, p.tileFlags, false, IsBloodGraphic(p.graphic), false, stacked, 0, 0);
            if (use565 != 0)
                for (uint16_t& px : b->pixels)
                    if (px != 0)
                        px = Convert555To565(px);
        }
    }
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    x = px - width / 2;
    y = py - height / 2;
    g_current = this;
    AttachToParent(nullptr);
    MouseManager::SetCursor(0);
    OnDrag(px - x, py - y);
}

CDragGump::CDragGump(int art)
{
    name = "generic drag gump";
    serial_ = kNoItem;
    MouseManager::SetCapture(this);
    artId = art;
    int32_t w = 0, h = 0;
    GetGumpArtSize(art, &w, &h);
    width = w;
    height = h;
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    x = px - width / 2;
    y = py - height / 2;
    g_current = this;
    AttachToParent(nullptr);
    MouseManager::SetCursor(0);
}

CDragGump::~CDragGump()
{
    if (g_current == this)
        g_current = nullptr;
    MouseManager::SetCapture(nullptr);
    if (highlightedPaperdoll != nullptr && IsLiveGump(highlightedPaperdoll))
        CGumpManager::AddDirty(highlightedPaperdoll->ScreenRect());
    highlightedPaperdoll = nullptr;
    highlightedLayer = -1;
}

void CDragGump::centreOnPointer()
{
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    const int dx = px - width / 2 - x;
    const int dy = py - height / 2 - y;
    if (dx != 0 || dy != 0)
        MoveBy(dx, dy, true, nullptr, false);
}

CGump* CDragGump::worldViewUnderPointer(int& gx, int& gy) const
{
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    CGump* under = CGumpManager::GetGumpAt(px, py, const_cast<CDragGump*>(this), 1);
    if (under == nullptr || under->IsMapGump() == 0)
        return nullptr;
    gx = px;
    gy = py;
    under->ScreenToGumpCoords(gx, gy);
    return under;
}

void CDragGump::updateHighlight(int sx, int sy)
{
    if (serial_ == kNoItem)
        return;
    CGump* now = nullptr;
    int layer = -1;
    CGump* under = CGumpManager::GetGumpAt(sx, sy, this, 1);
    const PickUpRecord& p = World().pickUp;
    if (under != nullptr && under->IsPaperdollGump() != 0 && (p.tileFlags & TILE_WEARABLE) != 0) {
        if (const auto* mobile = dynamic_cast<const CMobile*>(under->object)) {
            const int wanted = TileData::Item(p.graphic + p.graphicOffset).quality;
            if (wanted > 0 && wanted < kMobileLayers && mobile->layers[static_cast<size_t>(wanted)] == nullptr) {
                now = under;
                layer = wanted;
            }
        }
    }
    if (now == highlightedPaperdoll && layer == highlightedLayer)
        return;
    if (highlightedPaperdoll != nullptr && IsLiveGump(highlightedPaperdoll))
        CGumpManager::AddDirty(highlightedPaperdoll->ScreenRect());
    if (now != nullptr)
        CGumpManager::AddDirty(now->ScreenRect());
    highlightedPaperdoll = now;
    highlightedLayer = layer;
}

void CDragGump::OnDrag(int gx, int gy)
{
    int sx = gx, sy = gy;
    GumpToScreenCoords(sx, sy);
    centreOnPointer();
    updateHighlight(sx, sy);
    if (rightHeld != 0) {
        int vx = 0, vy = 0;
        if (CGump* view = worldViewUnderPointer(vx, vy))
            view->OnDrag(vx, vy);
    }
}

void CDragGump::OnMouseOver(int gx, int gy)
{
    int sx = gx, sy = gy;
    GumpToScreenCoords(sx, sy);
    centreOnPointer();
    updateHighlight(sx, sy);
}

void CDragGump::forwardRightButton(bool down)
{
    rightHeld = down ? 1 : 0;
    int vx = 0, vy = 0;
    if (CGump* view = worldViewUnderPointer(vx, vy)) {
        view->OnMouseOver(vx, vy);
        if (!IsLiveGump(view))
            return;
        if (down)
            view->OnRButtonDown(vx, vy);
        else
            view->OnRButtonUp(vx, vy);
    }
}

void CDragGump::OnRButtonDown(int /*gx*/, int /*gy*/)
{
    forwardRightButton(true);
}

void CDragGump::OnRButtonUp(int /*gx*/, int /*gy*/)
{
    forwardRightButton(false);
}

void CDragGump::OnMouseTick()
{
    if (CGump* view = findWorldView())
        view->OnMouseTick();
}

void CDragGump::Update()
{
    // The server refused the pick-up (the item went back where it was): the drag is over.
    if (serial_ != kNoItem && !ended_ && (!World().pickUpPending || World().pickUp.serial != serial_))
        End();
}

void CDragGump::Refuse()
{
    PlayGumpSound(kDropRefusedSound);
}

void CDragGump::End()
{
    if (ended_)
        return;
    ended_ = true;
    MouseManager::SetCapture(nullptr);
    CGumpManager::DestroyGump(this);
}

bool CDragGump::groundDrop(int vx, int vy)
{
    CDrawItem* item = worldDraw().PickAt(vx + width / 2 - 22, vy + height / 2 - 22, 0);
    if (item == nullptr)
        return true; // nothing there: nothing happens, and it is no refusal
    const int32_t tx = item->locX, ty = item->locY;
    const CPlayerMobile* p = World().player;
    if (std::abs(tx - MapManager::CenterX) > 3 || std::abs(ty - MapManager::CenterY) > 3 || p == nullptr)
        return false;
    int32_t z = 0;
    if (item->IsLand() != 0) {
        int8_t corners[4] = {};
        MapManager::GetCornerHeights(tx, ty, corners);
        z = (corners[1] + corners[3]) / 2;
    } else {
        for (CDrawItem* d = item; d != nullptr; d = d->prevDraw) {
            if (d->locX != tx || d->locY != ty)
                continue;
            if (d->IsLand() != 0) {
                int8_t corners[4] = {};
                MapManager::GetCornerHeights(tx, ty, corners);
                z = (corners[1] + corners[3]) / 2;
                break;
            }
            const uint32_t flags = d->GetTileFlags();
            if ((flags & TILE_SURFACE) != 0) {
                const auto* o = static_cast<const CObj*>(d);
                z = d->z + (d->IsObject() != 0 ? o->GetHeight() : 0);
                break;
            }
            if ((flags & TILE_IMPASSABLE) != 0)
                return false;
        }
    }
    if (!HasLineOfSight({p->locX, p->locY}, p->z + 12, {tx, ty}, z, TILE_IMPASSABLE))
        return false;
    SendDropPacket(serial_, static_cast<uint16_t>(tx), static_cast<uint16_t>(ty), static_cast<int8_t>(z), 0xFFFFFFFF);
    End();
    return true;
}

bool CDragGump::dropOnWorld(CGump* view, int sx, int sy)
{
    int vx = sx, vy = sy;
    view->ScreenToGumpCoords(vx, vy);
    CObj* target = CObjectManager::GetObjAtScreenLoc(vx, vy);
    if (target != nullptr) {
        if (!IsObjectInReach(target))
            return false;
        if (target->IsMobile() != 0) {
            SendDropPacket(serial_, 0xFFFF, 0xFFFF, 0, target->GetSerial());
            End();
            return true;
        }
        if (target->IsContainer() != 0) {
            if (!contentHolds(*target, *this))
                return false;
            SendDropPacket(serial_, 0xFFFF, 0xFFFF, 0, target->GetSerial());
            End();
            return true;
        }
        if (target->GetSerial() != 0 && StacksWithDragged(*target)) {
            SendDropPacket(serial_, static_cast<uint16_t>(target->locX), static_cast<uint16_t>(target->locY),
                           static_cast<int8_t>(target->z), target->GetSerial());
            End();
            return true;
        }
        if ((target->GetTileFlags() & TILE_SURFACE) == 0)
            return false;
    }
    return groundDrop(vx, vy);
}

bool CDragGump::dropOnPaperdoll(CGump* doll, int sx, int sy)
{
    auto* mobile = dynamic_cast<CMobile*>(doll->object);
    if (mobile == nullptr)
        return false;
    int gx = sx, gy = sy;
    doll->ScreenToGumpCoords(gx, gy);
    const int layer = PaperdollLayerAt(*mobile, gx, gy, true);
    if (layer > 0) {
        const CObj* worn = mobile->layers[static_cast<size_t>(layer)];
        if (worn != nullptr && worn->IsContainer() != 0) {
            SendDropPacket(serial_, 0xFFFF, 0xFFFF, 0, worn->GetSerial());
            End();
            return true;
        }
    }
    if (doll != highlightedPaperdoll)
        return false;
    CGumpManager::AddDirty(doll->ScreenRect());
    highlightedPaperdoll = nullptr;
    uint8_t packet[10];
    BuildEquipItemPacket(packet, serial_, static_cast<uint8_t>(highlightedLayer), mobile->serial);
    highlightedLayer = -1;
    SendOnMainConnection(packet);
    World().pickUpPending = false;
    End();
    return true;
}

void CDragGump::OnLButtonUp(int gx, int gy)
{
    if (ended_)
        return;
    int sx = gx, sy = gy;
    GumpToScreenCoords(sx, sy);
    // The drag keeps only the serial: an item the server has placed again, or whose pick-up
    // record is gone, leaves the pointer without a drop.
    if (serial_ != kNoItem &&
        (World().pickUp.serial != serial_ || CObjectManager::FindObject(serial_) != nullptr)) {
        End();
        return;
    }
    CGump* target = CGumpManager::GetGumpAt(sx, sy, this, 1);
    if (target == nullptr || target->AcceptsDrop() == 0)
        return;
    if (serial_ == kNoItem) {
        if (target->IsMapGump() != 0) {
            int vx = sx, vy = sy;
            target->ScreenToGumpCoords(vx, vy);
            if (worldDraw().PickAt(vx + width / 2 - 22, vy + height / 2 - 22, 0) != nullptr)
                End();
        }
        return;
    }
    bool done = false;
    if (target->IsMapGump() != 0) {
        done = dropOnWorld(target, sx, sy);
    } else if (target->IsPaperdollGump() != 0) {
        done = dropOnPaperdoll(target, sx, sy);
    } else if (target->IsContainerGump() != 0) {
        auto* gump = static_cast<CContainerGump*>(target);
        if (gump->container() != nullptr && IsObjectInReach(gump->container())) {
            int cx = sx, cy = sy;
            gump->ScreenToGumpCoords(cx, cy);
            if (gump->DropDraggedItem(cx, cy) == 1) {
                End();
                done = true;
            }
        }
    } else if (target->IsSpellbookGump() != 0 && IsSpellScrollGraphic(World().pickUp.graphic) &&
               target->object != nullptr) {
        SendDropPacket(serial_, 0xFFFF, 0xFFFF, 0, target->object->GetSerial());
        End();
        done = true;
    }
    if (!done)
        Refuse();
}
