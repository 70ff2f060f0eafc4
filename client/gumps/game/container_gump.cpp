/** @file The container gump: drawing the items, the click machine (name, use, lift), drops into it, opening and closing. */
#include "client/gumps/game/container_gump.h"

#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/drag_gump.h"
#include "client/gumps/game/stack_amount_gump.h"
#include "client/gumps/game/world_view.h"

#include "client/core/config_store.h"
#include "client/data/art_blit.h"
#include "client/data/art_image.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/game_handlers.h"
#include "client/net/game_state.h"
#include "client/net/packet_builders.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kHoverHue = 53;
constexpr int kFleshArt = 0x2127;
constexpr int kBoardArtBase = 11369;

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

bool isBoard(int art)
{
    return art == 2330 || art == 2350;
}

bool playerIsGhost()
{
    const CPlayerMobile* p = World().player;
    return p != nullptr && p->IsGhost() != 0;
}

/** Worn-type items on the hair and beard layers are never shown in a container. */
bool hiddenInContainer(const CObj& item)
{
    const auto* d = dynamic_cast<const CDynamicObj*>(&item);
    if (d == nullptr || (item.GetTileFlags() & TILE_WEARABLE) == 0)
        return false;
    return d->layer == 11 || d->layer == 16;
}

uint32_t serialOf(const CObj* o)
{
    return o != nullptr ? o->GetSerial() : 0;
}

/** The art-9 animation: every such gump waits for one shared, random threshold. */
int g_animationThreshold = 20;
std::minstd_rand& animationRandom()
{
    static std::minstd_rand random(20);
    return random;
}

/** The stack amount gump factory's and the container factory's registration. */
CGump* makeContainerGump(const GumpOpenRequest& request)
{
    auto* container = dynamic_cast<CContainerObj*>(request.object);
    if (container == nullptr)
        return nullptr;
    if (container->openGump != nullptr && IsLiveGump(container->openGump)) {
        container->openGump->BringToFront(false);
        return nullptr;
    }
    int frames = 1;
    return new CContainerGump(request.x, request.y, 0, container, frames, request.artWidth, request.artHeight,
                              request.gumpId);
}

CGump* makeStackGump(const GumpOpenRequest& request)
{
    if (request.object == nullptr)
        return nullptr;
    return new CStackGump(request.x, request.y, request.object);
}

} // namespace

int ContainerOpenSound(int art)
{
    switch (art) {
    case 60: case 61: return 72;
    case 62: case 72: case 77: case 81: return 47;
    case 63: case 65: return 79;
    case 66: case 67: case 68: case 73: case 74: case 75: case 76: case 78: case 79: return 45;
    default: return 0;
    }
}

int ContainerCloseSound(int art)
{
    switch (art) {
    case 60: case 61: case 63: case 65: return 88;
    case 62: case 72: case 77: case 81: return 46;
    case 66: case 67: case 68: case 73: case 74: case 75: case 76: case 78: case 79: return 44;
    default: return 0;
    }
}

int32_t ItemArtFor(uint16_t graphic, uint16_t amount, bool flesh)
{
    if (flesh && CensorFlesh != 0)
        return kFleshArt + 0x4000;
    int32_t art = graphic;
    if (IsPileGraphicId(graphic))
        art += amount < 2 ? 0 : amount <= 5 ? 1 : 2;
    return (art & 0x3FFF) + 0x4000;
}

void DrawItemArtInto(GumpBitmap& bitmap, int32_t artId, uint16_t hue, uint32_t tileFlags, bool /*flesh*/, bool blood,
                     bool hovered, bool asStack, int x, int y)
{
    const ArtImage* image = GetArtImage(artId);
    if (image == nullptr)
        image = GetArtImage(0x4000);
    if (image == nullptr || bitmap.width == 0 || bitmap.height == 0)
        return;
    // The art blits draw into the global target: keep the renderer's and put it back.
    uint16_t* previous = GetBlitTarget();
    const int32_t previousPitch = GetBlitPitch();
    const BlitRect previousRect = GetBlitTargetRect();
    const int32_t previousHue = spanHue();
    SetBlitTarget(bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height);
    SpanRoutine span = CopySpanTransparent;
    if (hovered) {
        setSpanHue(kHoverHue);
        span = HueSpan;
    } else if (blood && CensorBlood != 0) {
        span = censoredBloodSpan;
    } else if (hue != 0) {
        setSpanHue(hue >= 60001 ? 1 : hue - 1);
        span = (tileFlags & 0x40000) != 0 ? partialHueSpanTransparent : HueSpan;
    }
    const BlitRect clip{0, 0, bitmap.width, bitmap.height};
    BlitArtClipped(span, image, clip, x, y);
    if (asStack)
        BlitArtClipped(span, image, clip, x + 5, y + 5);
    setSpanHue(previousHue);
    if (previous != nullptr)
        SetBlitTarget(previous, previousPitch, previousRect.right, previousRect.bottom);
}

CContainerGump::CContainerGump(int x0, int y0, int /*ignored*/, CContainerObj* shown, int frameCount, int w, int h,
                               int art)
{
    name = "container gump";
    x = x0;
    y = y0;
    object = shown;
    containerSerial_ = shown != nullptr ? shown->serial : 0;
    gumpArt = art;
    topMargin = art == 2330 ? 20 : 0;
    if (shown != nullptr)
        shown->openGump = this;
    width = w;
    height = h + topMargin;
    if (art == 60) {
        SetFrameCount(2);
        int32_t mw = 0, mh = 0;
        GetGumpArtSize(80, &mw, &mh);
        minimizedWidth = mw;
        minimizedHeight = mh;
        if (GumpBitmap* small = MakeFrame(1, mw, mh); small != nullptr && mh > 0)
            DrawGumpArt(CopySpanTransparent, 80, 0, 0, small->pixels.data(), small->stride(), small->height);
        new CButtonGump(103, 161, 123, 180, this, CButtonGump::Push, 0, &CGump::Minimize, 0);
    } else {
        SetFrameCount(std::max(frameCount, 1));
    }
    MakeFrame(0, width, height);
    Redraw({0, 0, width, height});
    if (const CPlayerMobile* p = World().player; shown != nullptr && p != nullptr && shown->parent == p &&
                                                 p->layers[29] == shown)
        bankGump_ = true;
    if (const int sound = ContainerOpenSound(art); sound != 0)
        PlayGumpSound(sound);
}

CContainerGump::~CContainerGump()
{
    // The texts over items inside (labels given with this gump) go with it.
    std::vector<CBarkGump*> texts;
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (g->IsBarkGump() != 0 && !g->closing)
            if (auto* text = dynamic_cast<CBarkGump*>(g); text != nullptr && text->Extra() == this)
                texts.push_back(text);
    for (CBarkGump* text : texts)
        if (IsLiveGump(text) && !text->closing)
            text->Close();
    CContainerObj* c = container();
    if (c != nullptr) {
        c->openGump = nullptr;
        if (c->IsCorpse() == 0) {
            // The contents go without redrawing this gump piece by piece.
            object = nullptr;
            c->DeleteContents();
        }
        const CPlayerMobile* p = World().player;
        if (bankGump_ && p != nullptr && p->layers[29] == c) {
            // The bank box itself is forgotten until the bank is opened again; the release
            // empties the player's layer slot. A box already leaving the player is left alone.
            CObjectManager::DeleteObject(c->serial);
        }
    }
    object = nullptr;
    if (const int sound = ContainerCloseSound(gumpArt); sound != 0)
        PlayGumpSound(sound);
}

CContainerObj* CContainerGump::container() const
{
    // Asked by serial: a container the world has released is never touched.
    if (object == nullptr || CObjectManager::FindObject(containerSerial_) != object)
        return nullptr;
    return static_cast<CContainerObj*>(object);
}

GumpRect CContainerGump::itemRect(const CObj& item) const
{
    const int x0 = item.locX;
    const int y0 = item.locY + topMargin;
    int w = 0, h = 0;
    if (isBoard(gumpArt)) {
        GetGumpArtSize(item.graphic - kBoardArtBase, &w, &h);
    } else if (const ArtImage* image = GetArtImage(item.GetArtImage() < 0 ? 0x4000 : item.GetArtImage())) {
        w = image->width;
        h = image->height;
    }
    const int extra = item.IsDrawnAsStack() != 0 ? 5 : 0;
    return {x0, y0, x0 + w + extra, y0 + h + extra};
}

void CContainerGump::Redraw(const GumpRect& /*rect*/)
{
    // A container holds few items: the whole bitmap is drawn again, which gives the same
    // pixels as redrawing the rectangle alone.
    GumpBitmap* bitmap = Frame(0);
    CContainerObj* c = container();
    if (bitmap == nullptr || bitmap->height == 0)
        return;
    std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
    // Gump art comes in the display's format; item art in 555, so in 565 mode the items are
    // drawn apart, converted and laid over the background.
    DrawGumpArt(CopySpanTransparent, gumpArt, 0, topMargin, bitmap->pixels.data(), bitmap->stride(), bitmap->height);
    GumpBitmap converted;
    GumpBitmap* items = bitmap;
    if (use565 != 0) {
        converted.width = bitmap->width;
        converted.height = bitmap->height;
        converted.pixels.assign(bitmap->pixels.size(), 0);
        items = &converted;
    }
    if (c != nullptr) {
        for (CObj* item = c->contents.tail; item != nullptr; item = item->worldLinks.prev) {
            if (hiddenInContainer(*item))
                continue;
            const bool hovered = pressedItem != 0 && serialOf(item) == pressedItem;
            if (isBoard(gumpArt)) {
                DrawGumpArt(CopySpanTransparent, item->graphic - kBoardArtBase, item->locX, item->locY + topMargin,
                            bitmap->pixels.data(), bitmap->stride(), bitmap->height);
                continue;
            }
            const int32_t art = item->IsFleshItem() && CensorFlesh != 0 ? kFleshArt + 0x4000 : item->GetArtImage();
            DrawItemArtInto(*items, art, item->hue, item->GetTileFlags(), item->IsFleshItem(), item->IsBloodItem(),
                            hovered, item->IsDrawnAsStack() != 0, item->locX, item->locY + topMargin);
        }
    }
    if (items != bitmap)
        for (size_t i = 0; i < converted.pixels.size(); ++i)
            if (converted.pixels[i] != 0)
                bitmap->pixels[i] = Convert555To565(converted.pixels[i]);
    int sx = 0, sy = 0;
    GumpToScreenCoords(sx, sy);
    CGumpManager::AddDirty({sx, sy, sx + width, sy + height});
}

void CContainerGump::RedrawItem(CObj* item)
{
    if (item == nullptr || container() == nullptr) {
        Redraw({0, 0, width, height});
        return;
    }
    if (!isBoard(gumpArt)) {
        const GumpRect content = CGumpManager::GetContainerContentRect(gumpArt);
        const GumpRect r = itemRect(*item);
        const int w = r.width(), h = r.height();
        if (item->locX + w > content.right)
            item->locX = static_cast<int16_t>(content.right - 1 - w);
        if (item->locX < content.left)
            item->locX = static_cast<int16_t>(content.left + 1);
        if (item->locY + h > content.bottom)
            item->locY = static_cast<int16_t>(content.bottom - 1 - h);
        if (item->locY < content.top)
            item->locY = static_cast<int16_t>(content.top + 1);
    }
    Redraw(itemRect(*item));
}

CObj* CContainerGump::GetItemAt(int px, int py)
{
    CContainerObj* c = container();
    if (c == nullptr || px < 0 || py < 0 || px >= width || py >= height)
        return nullptr;
    for (CObj* item = c->contents.head; item != nullptr; item = item->worldLinks.next) {
        if (hiddenInContainer(*item))
            continue;
        const int ix = px - item->locX;
        const int iy = py - item->locY - topMargin;
        if (isBoard(gumpArt)) {
            if (GetGumpArtPixel(item->graphic - kBoardArtBase, ix, iy) != 0)
                return item;
            continue;
        }
        const ArtImage* image = GetArtImage(item->GetArtImage() < 0 ? 0x4000 : item->GetArtImage());
        if (GetArtPixel(image, ix, iy) != 0)
            return item;
        if (item->IsDrawnAsStack() != 0 && GetArtPixel(image, ix - 5, iy - 5) != 0)
            return item;
    }
    return nullptr;
}

CObj* CContainerGump::pressedObject() const
{
    CContainerObj* c = container();
    if (pressedItem == 0 || c == nullptr)
        return nullptr;
    CDynamicObj* o = CObjectManager::FindObject(pressedItem);
    return o != nullptr && o->parent == c ? o : nullptr;
}

void CContainerGump::redrawItemRect(uint32_t serial)
{
    if (serial == 0)
        return;
    if (CDynamicObj* o = CObjectManager::FindObject(serial); o != nullptr && o->parent == container())
        Redraw(itemRect(*o));
}

void CContainerGump::Draw(const GumpCanvas& canvas)
{
    frameIndex = minimized != 0 && FrameCount() > 1 ? 1 : 0;
    CGump::Draw(canvas);
}

void CContainerGump::OnLButtonDown(int px, int py)
{
    (tradeOwner != nullptr ? tradeOwner : this)->BringToFront(false);
    if (clickState == 0) {
        clickState = 1;
        firstPressTime = tickNow();
    } else {
        clickState = 2;
    }
    pressX = px;
    pressY = py;
    // The texts over its items (names asked for with a click) stand at the last press.
    grabX = px;
    grabY = py;
    held = 1;
    if (minimized == 0)
        pressedItem = serialOf(GetItemAt(px, py));
}

void CContainerGump::lift()
{
    CObj* item = pressedObject();
    if (tradeOwner != nullptr) {
        pressedItem = 0;
        return;
    }
    if (item != nullptr && !CDragGump::Lifting() && !playerIsGhost()) {
        pressedItem = 0;
        CObjectManager::GetObject(item, 0);
    }
    held = 0;
    dragFlag = 0;
}

void CContainerGump::OnDrag(int px, int py)
{
    if (pressedItem != 0 && held != 0 && clickState != 0) {
        if (std::abs(px - pressX) > 4 || std::abs(py - pressY) >= 5) {
            dragFlag = 1;
            clickState = 0;
            lift();
        }
        return;
    }
    if (pressedItem == 0 && held != 0)
        (tradeOwner != nullptr ? tradeOwner : this)->MoveBy(px - pressX, py - pressY, true, nullptr, true);
}

void CContainerGump::singleClick()
{
    CObj* item = pressedObject();
    if (item == nullptr)
        return;
    if (TargetCursorUp() && CGumpManager::Modal() == nullptr) {
        CallTargetCallback(item);
        return;
    }
    uint8_t packet[5];
    BuildSingleClickPacket(packet, serialOf(item));
    SendOnMainConnection(packet);
}

void CContainerGump::OnMouseTick()
{
    if (clickState != 1 || tickNow() - firstPressTime <= MouseManager::DoubleClickTime())
        return;
    clickState = 0;
    if (held != 0) {
        // A press held on an item lifts it; one held on the background goes on moving the window.
        if (pressedItem != 0)
            lift();
    } else {
        singleClick();
    }
}

void CContainerGump::OnLButtonUp(int /*px*/, int /*py*/)
{
    held = 0;
    if (dragFlag != 0) {
        dragFlag = 0;
        clickState = 0;
    } else if (clickState == 2) {
        clickState = 0;
        if (!TargetCursorUp()) {
            if (minimized != 0)
                Restore();
            else if (!playerIsGhost())
                if (CObj* item = pressedObject())
                    CObjectManager::DoubleClick(item);
        }
    } else if (clickState == 0 && pressedItem != 0) {
        singleClick();
    }
    MouseManager::SetCapture(nullptr);
}

void CContainerGump::OnMouseOver(int px, int py)
{
    MouseManager::SetCursor(TargetCursorUp() ? 19 : 0);
    if (minimized != 0 || held != 0)
        return;
    const uint32_t now = serialOf(GetItemAt(px, py));
    if (now == pressedItem)
        return;
    const uint32_t old = pressedItem;
    pressedItem = now;
    redrawItemRect(old);
    redrawItemRect(now);
}

void CContainerGump::OnMouseLeave()
{
    if (held != 0 || pressedItem == 0)
        return;
    const uint32_t old = pressedItem;
    pressedItem = 0;
    redrawItemRect(old);
}

void CContainerGump::OnRButtonUp(int px, int py)
{
    if (tradeOwner != nullptr) {
        tradeOwner->OnRButtonUp(px, py);
        return;
    }
    MouseManager::SetCapture(nullptr);
    CGumpManager::DestroyGump(this);
}

CObj* CContainerGump::GetObjectAt(int px, int py)
{
    return GetItemAt(px, py);
}

void CContainerGump::Update()
{
    if (gumpArt != 9)
        return;
    if (++animationCounter < g_animationThreshold)
        return;
    animationCounter = 0;
    g_animationThreshold = 5 + static_cast<int>(animationRandom()() % 20);
    animationFrame ^= 1;
    if (GumpBitmap* bitmap = Frame(0); bitmap != nullptr && bitmap->height > 0) {
        DrawGumpArt(CopySpanTransparent, 69 + animationFrame, 45, 30 + topMargin, bitmap->pixels.data(),
                    bitmap->stride(), bitmap->height);
        int sx = 0, sy = 0;
        GumpToScreenCoords(sx, sy);
        CGumpManager::AddDirty({sx, sy, sx + width, sy + height});
    }
}

int CContainerGump::DropDraggedItem(int px, int py)
{
    CDragGump* drag = CDragGump::Current();
    CContainerObj* c = container();
    (tradeOwner != nullptr ? tradeOwner : this)->BringToFront(false);
    if (drag == nullptr || c == nullptr)
        return 0;
    drag->BringToFront(false);
    const uint32_t serial = drag->serial();
    if (CObj* under = GetItemAt(px, py); under != nullptr) {
        if (under->IsContainer() != 0) {
            const GumpRect content = CGumpManager::GetContainerContentRect(CGumpManager::GetContainerGumpId(under->graphic));
            if (content.width() < drag->width || content.height() < drag->height)
                return 0;
            SendDropPacket(serial, 0xFFFF, 0xFFFF, 0, under->GetSerial());
            return 1;
        }
        if (StacksWithDragged(*under)) {
            SendDropPacket(serial, static_cast<uint16_t>(under->locX), static_cast<uint16_t>(under->locY),
                           static_cast<int8_t>(under->z), under->GetSerial());
            return 1;
        }
    }
    const GumpRect content = CGumpManager::GetContainerContentRect(CGumpManager::GetContainerGumpId(c->graphic));
    int dx = px - drag->width / 2;
    int dy = py - drag->height / 2;
    if (dx + drag->width > content.right)
        dx = content.right - drag->width;
    if (dy + drag->height > content.bottom)
        dy = content.bottom - drag->height;
    dx = std::max(dx, content.left);
    dy = std::max(dy, content.top);
    SendDropPacket(serial, static_cast<uint16_t>(dx), static_cast<uint16_t>(dy), 0, c->serial);
    return 1;
}

void InstallContainerGumps(bool on)
{
    if (on) {
        CGumpManager::RegisterGumpFactory(CGumpManager::kContainerFactory, makeContainerGump);
        CGumpManager::RegisterGumpFactory(49, makeStackGump);
    } else {
        CGumpManager::UnregisterGumpFactory(CGumpManager::kContainerFactory);
        CGumpManager::UnregisterGumpFactory(49);
    }
}
