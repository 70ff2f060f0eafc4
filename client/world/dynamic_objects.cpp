/** @file Objects with a serial: generic items, containers, map items, corpses, mobiles and the player. */
#include "client/world/world_objects.h"

#include "client/world/body_kind.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/pace_table.h"
#include "client/world/tile_data.h"
#include "client/world/walk.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_services.h"

#include "client/core/effect_services.h"
#include "client/data/def_tables.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------- CDynamicObj

CDynamicObj::CDynamicObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed) : CObj(graphic_)
{
    serial = serial_;
    graphicOffset = offset;
    if (stayListed) linkGlobal();
}

CDynamicObj::~CDynamicObj()
{
    retireDynamic();
}

void CDynamicObj::retireDynamic()
{
    text.clear();
    price = 0;
    priceText.clear();
    delete multiComponents;
    multiComponents = nullptr;
    gumps[0] = gumps[1] = nullptr;
    worldGumps().ForgetObject(*this);
    WorldState& w = World();
    if (w.remembered == this) w.remembered = nullptr;
    // Taken out as a removal takes it: the open gump of its container no longer shows it.
    CDynamicObj::RemoveFromWorld();
    removeFromWorldLists();
    unlinkGlobal();
    retire();
}

void CDynamicObj::linkGlobal()
{
    if (inObjectList) return;
    WorldState& w = World();
    lists::pushHead(w.objects, &CDynamicObj::objectLinks, this);
    inObjectList = true;
    w.bySerial[serial] = this;
}

void CDynamicObj::unlinkGlobal()
{
    if (!inObjectList) return;
    WorldState& w = World();
    lists::unlink(w.objects, &CDynamicObj::objectLinks, this);
    inObjectList = false;
    auto it = w.bySerial.find(serial);
    if (it != w.bySerial.end() && it->second == this) w.bySerial.erase(it);
}

void CDynamicObj::SetSerial(uint32_t s)
{
    if (inObjectList) {
        WorldState& w = World();
        auto it = w.bySerial.find(serial);
        if (it != w.bySerial.end() && it->second == this) w.bySerial.erase(it);
        serial = s;
        w.bySerial[serial] = this;
    } else {
        serial = s;
    }
}

void CDynamicObj::RemoveFromWorld()
{
    if (live == 0) return;
    if (parent != nullptr)
        parent->Invalidate();
    else
        Invalidate();
    CObj* holder = parent;
    if (IsPlayer() != 0 && offMap == 0 && parent == nullptr && lightLevel != 0) worldDraw().AddSceneLight(-lightLevel);
    removeFromWorldLists();
    if (holder != nullptr && holder->IsContainer() != 0 && holder->IsMobile() == 0)
        worldGumps().ContentsChanged(*static_cast<CContainerObj*>(holder), this);
}

int CDynamicObj::IsWorn() const
{
    if (parent == nullptr || parent->IsMobile() == 0) return 0;
    const auto* mobile = static_cast<const CMobile*>(parent);
    return std::find(mobile->layers.begin(), mobile->layers.end(), this) != mobile->layers.end() ? 1 : 0;
}

int CDynamicObj::IsMovable() const
{
    return (statusFlags & 0x20) != 0 || TileData::Item(TileId()).weight <= 90 ? 1 : 0;
}

void CDynamicObj::GetAnchor(int32_t& x, int32_t& y) const
{
    GetRectCentre(x, y);
}

// ---------------------------------------------------------------- containers

CContainerObj::CContainerObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed)
    : CDynamicObj(serial_, graphic_, offset, stayListed)
{
}

CContainerObj::~CContainerObj()
{
    retireContainer();
}

void CContainerObj::retireContainer()
{
    removeFromWorldLists();
    while (bigMobComponents != nullptr) bigMobComponents->Release(); // each unlinks itself from the chain
    if (openGump != nullptr) worldGumps().DeleteGump(openGump);
    openGump = nullptr;
    DeleteContents();
}

void CContainerObj::DeleteContents()
{
    while (contents.head != nullptr) {
        CObj* item = contents.head;
        lists::unlink(contents, &CObj::worldLinks, item);
        if (IsCorpse() != 0)
            for (CObj*& slot : static_cast<CCorpse*>(this)->layers)
                if (slot == item) slot = nullptr;
        ReleaseHeldObject(item);
    }
}

CMapObj::CMapObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed)
    : CDynamicObj(serial_, graphic_, offset, stayListed)
{
}

CMapObj::~CMapObj()
{
    if (courseGump != nullptr) worldGumps().DeleteGump(courseGump);
    courseGump = nullptr;
}

int32_t CMapObj::EditPins(int32_t operation, int32_t index, int32_t x, int32_t y)
{
    const Pin pin{static_cast<uint16_t>(x), static_cast<uint16_t>(y)};
    const auto valid = [&] { return index >= 0 && static_cast<size_t>(index) < pins.size(); };
    switch (operation) {
    case 1: pins.push_back(pin); return static_cast<int32_t>(pins.size());
    case 2:
        pins.insert(pins.begin() + std::clamp<int32_t>(index, 0, static_cast<int32_t>(pins.size())), pin);
        return static_cast<int32_t>(pins.size());
    case 3:
        if (valid()) pins[static_cast<size_t>(index)] = pin;
        return index;
    case 4:
        if (valid()) pins.erase(pins.begin() + index);
        return static_cast<int32_t>(pins.size());
    case 5: pins.clear(); return 0;
    default: return operation - 1;
    }
}

CCorpse::CCorpse(uint32_t serial_, uint16_t graphic_) : CContainerObj(serial_, graphic_, 0, true)
{
    direction = 0;
}

CCorpse::~CCorpse()
{
    if (inList != 0) CCorpse::RemoveFromDrawList();
    layers.fill(nullptr);
}

void CCorpse::DrawClip(const WorldRect& clip)
{
    worldDraw().DrawClip(*this, clip);
}

void CCorpse::AddToDrawList()
{
    worldDraw().AddToDrawList(*this);
}

void CCorpse::RemoveFromDrawList()
{
    worldDraw().RemoveFromDrawList(*this);
}

// ---------------------------------------------------------------- mobiles

CMobile::CMobile(uint32_t serial_, uint16_t graphic_, int8_t offset) : CContainerObj(serial_, graphic_, offset, true)
{
    WorldState& w = World();
    lists::pushHead(w.mobiles, &CMobile::mobileLinks, this);
    lastMoveTime = WorldNow();
}

CMobile::~CMobile()
{
    retireMobile();
}

void CMobile::retireMobile()
{
    WorldState& w = World();
    RemoveDeathLink(0, serial, true);
    if (inList != 0) CMobile::RemoveFromDrawList();
    effectId = -1;
    if (playingAction != 0) StopAction();
    if (tradeGump != nullptr) {
        worldNet().SendTradeClose(tradePartner);
        worldGumps().DeleteGump(tradeGump);
        tradeGump = nullptr;
    }
    if (mark != 0) MarkedMobileList::RemoveMobile(this);
    if (w.player != nullptr && w.player != this && w.player->following != 0 && w.player->followedSerial == serial)
        w.player->following = 0;
    removeFromWorldLists();
    for (CObj*& slot : layers) {
        CObj* item = slot;
        slot = nullptr;
        // An item worn twice (never made by EquipOn) is released once.
        if (item != nullptr && std::find(layers.begin(), layers.end(), item) == layers.end()) ReleaseHeldObject(item);
    }
    lists::unlink(w.mobiles, &CMobile::mobileLinks, this);
}

void CMobile::DrawClip(const WorldRect& clip)
{
    worldDraw().DrawClip(*this, clip);
}

void CMobile::AddToDrawList()
{
    worldDraw().AddToDrawList(*this);
}

void CMobile::RemoveFromDrawList()
{
    if (inList == 0) return;
    worldDraw().RemoveFromDrawList(*this);
}

int CMobile::IsPartyMember() const
{
    return worldGumps().IsPartyMember(serial) ? 1 : 0;
}

void CMobile::LastQueuedPosition(int32_t& x, int32_t& y, int32_t& zz) const
{
    if (queueCount > 0) {
        const MoveStep& s = moveQueue[static_cast<size_t>(queueCount - 1)];
        x = s.x;
        y = s.y;
        zz = s.z;
    } else {
        x = locX;
        y = locY;
        zz = z;
    }
}

int CMobile::IsWithinRange(int32_t range, int32_t x, int32_t y) const
{
    int32_t ox = 0, oy = 0, oz = 0;
    LastQueuedPosition(ox, oy, oz);
    return std::abs(x - ox) <= range && std::abs(y - oy) <= range ? 1 : 0;
}

int32_t CMobile::GetArtImage() const
{
    static const int32_t figures[][2] = {{5, 24861},   {6, 24858},   {200, 24863}, {201, 24859}, {204, 24868}, {205, 24869},
                                         {211, 24856}, {212, 24862}, {214, 24857}, {217, 24860}, {225, 24866}, {226, 24864},
                                         {228, 24865}, {238, 24867}, {291, 24870}, {292, 24871}};
    for (const auto& f : figures)
        if (f[0] == graphic) return f[1];
    return -1;
}

void CMobile::GetAnchor(int32_t& x, int32_t& y) const
{
    // The feet point on screen: the middle bottom of the cell diamond the renderer placed.
    x = (rect.left + rect.right) / 2;
    y = rect.bottom;
}

void CMobile::SetHighlightClass(int32_t value)
{
    highlightClass = value;
    Invalidate();
}

int32_t CMobile::MovesPerTile() const
{
    int32_t body = graphic;
    if (body >= 1000) body = 50;
    if (stepDrop == 0) return PaceTable::GetPace(body, running != 0);
    return PaceTable::GetWalkPace(body) + (dropAmount / 11) * 2;
}

void CMobile::UpdateDrawZ()
{
    const int32_t perTile = std::max(MovesPerTile(), 1);
    const int32_t left = std::clamp(framesLeft, 0, perTile);
    const int32_t done = perTile - left;
    // The first half of a step is seen on the cell it leaves, the rest on the one it reaches,
    // walked backwards.
    int32_t x = locX, y = locY, zz = z;
    int32_t f = direction & 7;
    int32_t phase = 0;
    if (left * 2 > perTile) {
        x = prevX;
        y = prevY;
        zz = prevZ;
        phase = done;
    } else if (left > 0) {
        f = (f + 4) & 7;
        phase = left;
    }
    const CDrawItem* under = nullptr;
    for (const CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))]; i != nullptr;
         i = i->nextDraw) {
        if (i == this || i->IsObject() == 0 || i->locX != x || i->locY != y) continue;
        if (i->GetTopZ() == zz) {
            under = i;
            break;
        }
    }
    const uint32_t flags = under != nullptr ? under->GetTileFlags() : 0;
    if ((flags & TILE_BRIDGE) != 0) {
        drawZ = BridgeDrawZ(under->z, static_cast<const CObj*>(under)->GetHeight(), flags, f, phase);
    } else if (stepDrop != 0) {
        drawZ = FallDrawZ(z, z + dropAmount, done, perTile);
    } else {
        drawZ = under != nullptr ? under->GetTopZ() : zz;
    }
}

void CMobile::SetAnimation(int32_t act, int32_t frames, int32_t value3, int32_t value4, int32_t reverse, int32_t value6)
{
    EffectServices& effects = effectServices();
    if (effects.IsRecordingSequence()) {
        effects.RecordAnimation({serial, act, frames, value3, value4, reverse, value6});
        return;
    }
    lastMoveTime = WorldNow();
    const bool wasListed = inList != 0;
    if (wasListed) RemoveFromDrawList();
    action = static_cast<uint16_t>(act);
    playingAction = 1;
    frameCount = static_cast<uint16_t>(frames > 0 ? frames - 1 : 0);
    frameCounter = reverse != 0 ? frameCount : 0;
    animValues = {static_cast<uint16_t>(act), static_cast<uint16_t>(frames), static_cast<uint16_t>(value3),
                  static_cast<uint16_t>(reverse != 0 ? value4 - 1 : 0), static_cast<uint16_t>(reverse),
                  static_cast<uint16_t>(value6)};
    anim.frames = static_cast<uint16_t>(std::max(frames, 0));
    anim.delay = static_cast<uint16_t>(value3);
    anim.passCount = static_cast<uint16_t>(value4);
    anim.passIndex = static_cast<uint16_t>(reverse != 0 && value4 > 0 ? value4 - 1 : 0);
    anim.backwards = reverse != 0 ? 1 : 0;
    anim.reverse = value6 != 0 ? 1 : 0;
    anim.ticks = 0;
    worldDraw().AnimatedListAdd(*this);
    if (wasListed || offMap == 0) AddToDrawList();
}

void CMobile::StopAction()
{
    if (playingAction == 0) return;
    playingAction = 0;
    worldDraw().AnimatedListRemove(*this);
}

void CMobile::PlayIdleAnimation()
{
    WorldState& w = World();
    if (layers[25] != nullptr || w.mobiles.count > 20) return;
    if (WorldNow() - lastMoveTime < 15000) return;
    const uint32_t r = w.random ? w.random() : 2;
    const uint32_t c = r % (4 * static_cast<uint32_t>(w.mobiles.count) + 120);
    if (c > 1) return;
    const int32_t body = graphic;
    switch (GetBodyKind(body)) {
    case 0: SetAnimation(c == 0 ? 18 : 17, 5, 0, 1, 0, body == 21 ? 6 : 0); break;
    case 1:
        if (c == 0)
            SetAnimation(4, 20, 0, 1, 0, 0);
        else
            SetAnimation(3, 15, 0, 1, 0, 0);
        break;
    case 2:
        if (c == 0 && body != 5)
            SetAnimation(10, 3, 0, 1, 0, 0);
        else
            SetAnimation(9, 5, 0, 1, 0, 0);
        break;
    default: SetAnimation(c == 0 ? 6 : 5, 5, 0, 1, 0, c == 1 ? 6 : 0); break;
    }
}

void CMobile::SetPersonalLight(int32_t level)
{
    if (IsPlayer() == 0) return;
    if (level != lightLevel && offMap == 0 && parent == nullptr) {
        worldDraw().AddSceneLight(level - lightLevel);
        worldGumps().RenderRadar();
        worldDraw().RedrawAll();
    }
    lightLevel = level;
}

void CMobile::PlayDeathAnimation(uint32_t corpseSerial, uint32_t flag)
{
    SetSerial(serial | kDyingSerialBit);
    if (corpseSerial != 0) AddDeathLink(corpseSerial, serial, direction, flag);
    switch (GetBodyKind(graphic)) {
    case 0: SetAnimation(flag != 0 ? 2 : 3, 5, 0, 1, 0, 0); break;
    case 1: SetAnimation(8, 15, 0, 1, 0, 0); break;
    case 2: SetAnimation(flag != 0 ? 8 : 12, 5, 0, 1, 0, 0); break;
    default: SetAnimation(flag != 0 ? 21 : 22, 5, 0, 1, 0, 0); break;
    }
    dying = 1;
}

void CMobile::StateAction(int32_t& act, int32_t& frame) const
{
    const int32_t body = graphic;
    const int32_t kind = GetBodyKind(body);
    const bool run = running != 0;
    act = 0;
    int32_t frames = 10;
    if (kind == 0 || kind == 1 || (kind == 2 && BodyUsesCreatureLayout(body))) {
        if (BodyUsesAltLayout(body)) {
            act = run ? 1 : 0;
            frames = 5;
        } else {
            act = run && BodyHasIdleAction19(body) ? 19 : 0;
        }
    } else if (kind == 2) {
        act = run ? 1 : 0;
        frames = 5;
    } else if (IsMounted()) {
        act = run ? 24 : 23;
        frames = 5;
    } else {
        const bool light = layers[1] != nullptr && IsLightSourceGraphic(layers[1]->graphic, layers[1]->GetTileFlags());
        act = run ? (light ? 6 : 4) : (light ? 2 : 0);
    }
    if (playingAction != 0) {
        act = action + anim.passIndex;
        frame = frameCounter;
    } else {
        frame = frames > 1 ? walkFrame % (frames - 1) : 0;
    }
}

void CMobile::PlayFootstep()
{
    const int32_t body = graphic;
    if (body >= 1000 || IsGhost() != 0 || idle != 0 || (statusFlags & 0x80) != 0) return;
    int32_t act = 0;
    int32_t frame = 0;
    StateAction(act, frame);
    if (body < 400 || !worldSound().FootstepsOn()) return;
    int32_t sound = -1;
    if ((act >= 0 && act <= 7) || act == 23) {
        if (frame == 1) sound = 299;
        if (frame == 6) sound = 300;
    } else if (act == 24) {
        if (frame == 1) sound = 297;
        if (frame == 3) sound = 298;
    }
    if (sound < 0) return;
    if (IsPlayer() != 0)
        worldSound().PlaySound(sound);
    else
        worldSound().PlaySoundAt(sound, locX, locY);
}

// ---------------------------------------------------------------- the player

CPlayerMobile::CPlayerMobile(uint32_t serial_, uint16_t graphic_, int8_t offset) : CMobile(serial_, graphic_, offset) {}

CPlayerMobile::~CPlayerMobile()
{
    WorldState& w = World();
    if (offMap == 0 && parent == nullptr && lightLevel != 0) worldDraw().AddSceneLight(-lightLevel);
    if (w.player == this) {
        w.player = nullptr;
        SetRangePlayer(nullptr);
    }
}

int CPlayerMobile::IsWithinRange(int32_t, int32_t, int32_t) const
{
    return 1;
}

void CPlayerMobile::SetHighlightClass(int32_t value)
{
    highlightClass = value;
    for (CMobile* m = World().mobiles.head; m != nullptr; m = m->mobileLinks.next) m->Invalidate();
}

// ---------------------------------------------------------------- preview pieces

CPreviewObj::CPreviewObj(uint16_t graphic_, int32_t x, int32_t y) : CObj(graphic_)
{
    lists::pushHead(World().preview, &CPreviewObj::previewLinks, this);
    displayHue = 0;
    PlaceAt(x, y, CObjectManager::GetHighestZAt(x, y));
}

CPreviewObj::~CPreviewObj()
{
    lists::unlink(World().preview, &CPreviewObj::previewLinks, this);
}
