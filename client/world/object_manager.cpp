/** @file The object manager: tile data loading and write-back, object records, look-up by serial, the world reset, movement, pick-up and use. */
#include "client/world/object_manager.h"

#include "client/world/multi.h"
#include "client/world/path_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_services.h"

#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/data/anim_data.h"
#include "client/data/map_manager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

WorldState g_world;

struct DeathLink {
    uint32_t corpse = 0;
    uint32_t marked = 0;
    uint32_t direction = 0;
    uint32_t flag = 0;
};
std::vector<DeathLink> g_deathLinks;

bool g_movesPerTileShown = false;

/** A new object of the kind its serial and graphic ask for, linked in the global list. */
CDynamicObj* makeObject(uint32_t serial, uint16_t graphic, int8_t offset)
{
    if ((serial & kItemSerialBit) == 0) return new CMobile(serial, graphic, offset);
    if ((graphic & 0x3fff) == 0x2006) return new CCorpse(serial, graphic);
    const uint32_t flags = TileData::ItemFlags(graphic);
    if ((flags & TILE_MAP) != 0) return new CMapObj(serial, graphic, offset, true);
    if ((flags & TILE_CONTAINER) != 0) return new CContainerObj(serial, graphic, offset, true);
    return NewDynamicObj(serial, graphic, offset);
}

/** Writes one group of the server into tiledata.mul at its place; false when the file cannot be opened. */
bool writeGroup(size_t offset, const uint8_t* data, size_t size)
{
    FILE* file = FileManager::open("tiledata.mul", "r+b");
    if (file == nullptr) {
        KZReport::error("CObjectManager::SetItemTileData: cannot open '%s'.\n", "tiledata.mul");
        return false;
    }
    bool ok = FileManager::seek(file, static_cast<long>(offset), SEEK_SET) == 0;
    ok = ok && FileManager::write(data, 1, size, file) == size;
    FileManager::close(file);
    return ok;
}

/** The light and animated lists rebuilt from the world list after a tile data change. */
void rebuildLightAndAnimLists()
{
    WorldState& w = g_world;
    std::vector<CObj*> placed;
    for (CObj* o = w.world.head; o != nullptr; o = o->worldLinks.next) placed.push_back(o);
    for (CObj* o : placed) {
        // Taking an object out of the world and back re-decides its light and animation lists.
        const int32_t x = o->locX, y = o->locY, zz = o->z;
        o->CObj::RemoveFromWorld();
        o->CObj::PlaceAt(x, y, zz);
    }
}

/** Wraps a record's coordinate near the world's seam, only while the map centre is inside the wrap width. */
int32_t wrapNearSeam(int32_t v, int32_t centre, int32_t wrap, bool active)
{
    if (!active) return v;
    if (centre < 18 && v > wrap - 18) return v - wrap;
    if (centre >= wrap - 18 && v <= 18) return v + wrap;
    return v;
}

void setDisplayAndHue(CObj* o, uint16_t hue)
{
    o->hue = NormalizeHue(hue);
    o->UpdateDisplayHue();
}

/** Step pixel offsets of a mobile with n frames left of c, by direction. */
void stepOffsets(CMobile* m, int32_t n, int32_t c)
{
    static const int32_t ox[8] = {22, 44, 22, 0, -22, -44, -22, 0};
    static const int32_t oy[8] = {-22, 0, 22, 44, 22, 0, -22, -44};
    const size_t d = m->direction & 7;
    m->stepOffsetX = ox[d] * n / c;
    m->stepOffsetY = oy[d] * n / c;
}

void advanceWalkFrame(CMobile* m)
{
    const bool listed = m->inList != 0;
    if (listed) m->RemoveFromDrawList();
    ++m->walkFrame;
    if (listed) m->AddToDrawList();
}

bool bodyAdvancesWhileIdle(const CMobile* m)
{
    const int32_t body = m->graphic;
    if (body == 13 || body == 15 || body == 16 || body == 574) return true;
    const CObj* held = m->layers[2];
    return body >= 400 && held != nullptr && IsLightSourceGraphic(held->graphic, held->GetTileFlags());
}

/** One tick of a mobile other than the player. */
void moveMobile(CMobile* m)
{
    bool takenOut = false;
    bool stepped = false;
    if (m->framesLeft > 0 || m->queueCount > 0) {
        m->lastMoveTime = WorldNow();
        if (m->inList != 0) {
            worldDraw().InvalidateMobileLights(*m);
            m->RemoveFromDrawList();
            takenOut = true;
        }
        m->StopAction();
        ++m->walkFrame;
    } else if (m->idle != 0) {
        if (m->warMode == 0 && m->playingAction == 0) m->PlayIdleAnimation();
        if (bodyAdvancesWhileIdle(m)) advanceWalkFrame(m);
    } else if (WorldNow() - m->lastMoveTime > 2000 || m->graphic == 80 || m->graphic == 81) {
        m->idle = 1;
        m->walkFrame = 3;
    }
    if (m->framesLeft > 0) {
        --m->framesLeft;
        stepped = true;
    } else if (m->queueCount > 0) {
        const MoveStep step = m->moveQueue[0];
        std::copy(m->moveQueue.begin() + 1, m->moveQueue.end(), m->moveQueue.begin());
        --m->queueCount;
        m->direction = step.direction & 0x7f;
        m->running = (step.direction & 0x80) != 0 ? 1 : 0;
        m->stepDrop = 0;
        if (m->z - step.z > 21) {
            m->stepDrop = 1;
            m->dropAmount = m->z - step.z;
        }
        m->prevX = m->locX;
        m->prevY = m->locY;
        m->prevZ = m->z;
        const int32_t dx = step.x - m->locX;
        const int32_t dy = step.y - m->locY;
        m->SetGraphic(step.graphic);
        m->locX = step.x;
        m->locY = step.y;
        m->z = step.z;
        m->statusFlags = step.statusFlags;
        if (std::abs(dx) <= 1 && std::abs(dy) <= 1 && (dx != 0 || dy != 0))
            m->framesLeft = m->MovesPerTile() - 1;
        else
            m->framesLeft = 0; // a jump: no step frames
        stepped = true;
    }
    int32_t c = m->MovesPerTile();
    if (c == 0) {
        if (!g_movesPerTileShown) {
            g_movesPerTileShown = true;
            KZReport::error("UpdateMovement: MovesPerTile()==0\n");
        }
        c = 1;
    }
    stepOffsets(m, std::max(m->framesLeft, 0), c);
    if (takenOut) {
        m->UpdateDrawZ();
        m->AddToDrawList();
        if (stepped) {
            worldDraw().InvalidateMobileLights(*m);
            if (m->overheadMessages != nullptr) worldGumps().RepositionOverheadMessages(*m);
        }
    }
}

/** The player follows this mobile: a new path to where it is going once it is more than 3 cells away. */
void followMobile(CMobile* m)
{
    CPlayerMobile* player = g_world.player;
    if (player == nullptr || m == player || player->following == 0 || player->followedSerial != m->serial) return;
    if (m->IsWithinRangeOfPlayer(3) != 0) return;
    int32_t x = 0, y = 0, z = 0;
    m->LastQueuedPosition(x, y, z);
    PathManager::FreeLists(); // drops the current path
    PathNode* goal = PathManager::FindPath(player->locX, player->locY, player->z, x, y, z, 100, 1);
    PathState& path = PathManager::State();
    if (goal == nullptr) {
        worldGumps().ShowSystemMessage("Can't get there (follow)");
        path = PathState{};
        return;
    }
    path.goal = goal;
    LinkPathBackward();
    PathNode* start = goal;
    while (start->parent != nullptr) start = start->parent;
    path.current = start;
    path.x = player->locX;
    path.y = player->locY;
    path.z = player->z;
    path.active = true;
}

} // namespace

WorldState& World()
{
    return g_world;
}

uint32_t WorldNow()
{
    return g_world.clock ? g_world.clock() : 0;
}

namespace CObjectManager {

void startup()
{
    DebugTrace(__FILE__, __LINE__, "CObjectManager::startup: begin.\n");
    shutdown();
    LoadTileData();
}

void shutdown()
{
    WorldState& w = g_world;
    ClearPreviewObjects();
    if (w.player != nullptr) {
        CPlayerMobile* player = w.player;
        player->Release();
    }
    DeleteAllButPlayer();
    while (w.objects.head != nullptr) w.objects.head->Release();
    while (w.multiComponents.head != nullptr) w.multiComponents.head->Release();
    while (w.world.head != nullptr) w.world.head->Release();
    g_deathLinks.clear();
    MarkedMobileList::Reset();
    w.pickUp = PickUpRecord{};
    w.pickUpPending = false;
    w.remembered = nullptr;
    w.lastUsedSerial = 0;
    w.lastUsedGraphic = 0;
    w.opponentSerial = 0;
    SetRangePlayer(nullptr);
}

bool LoadTileData()
{
    TileData::Clear();
    FILE* file = FileManager::open("tiledata.mul", "rb");
    if (file == nullptr) {
        KZReport::error("CObjectManager::SetItemTileData: cannot open '%s'.\n", "tiledata.mul");
        return false;
    }
    std::vector<uint8_t> bytes(TileData::kFileSize);
    const size_t got = FileManager::read(bytes.data(), 1, bytes.size(), file);
    FileManager::close(file);
    TileData::LoadFrom(bytes.data(), got);
    return true;
}

bool SetItemTileData(int32_t group, const uint8_t* data, size_t size)
{
    if (group >= 0 && group < TileData::kGroupsPerPart) return SetLandTileData(group, data, size);
    // Group numbers outside 0..1023 come from a damaged packet: nothing is written.
    if (group < TileData::kGroupsPerPart || group >= 2 * TileData::kGroupsPerPart || data == nullptr ||
        size < TileData::kItemGroupSize)
        return false;
    const int32_t g = group - TileData::kGroupsPerPart;
    bool lightOrAnimChanged = false;
    std::vector<ItemTileEntry> before(32);
    for (int32_t i = 0; i < 32; ++i) before[static_cast<size_t>(i)] = TileData::Item(32 * g + i);
    TileData::SetItemGroup(g, data, size);
    for (int32_t i = 0; i < 32; ++i) {
        const ItemTileEntry& old = before[static_cast<size_t>(i)];
        const ItemTileEntry& now = TileData::Item(32 * g + i);
        if (((old.flags ^ now.flags) & (TILE_LIGHT_SOURCE | TILE_ANIMATED)) != 0) lightOrAnimChanged = true;
        if (old.flags != now.flags || old.hue != now.hue) worldDraw().RedrawItemsWithArt(static_cast<uint16_t>(32 * g + i));
    }
    writeGroup(TileData::kItemPartOffset + static_cast<size_t>(g) * TileData::kItemGroupSize, data, TileData::kItemGroupSize);
    if (lightOrAnimChanged) rebuildLightAndAnimLists();
    return true;
}

bool SetLandTileData(int32_t group, const uint8_t* data, size_t size)
{
    if (group < 0 || group >= TileData::kGroupsPerPart || data == nullptr || size < TileData::kLandGroupSize) return false;
    std::vector<uint16_t> textures(32);
    for (int32_t i = 0; i < 32; ++i) textures[static_cast<size_t>(i)] = TileData::Land(32 * group + i).textureId;
    TileData::SetLandGroup(group, data, size);
    for (int32_t i = 0; i < 32; ++i) {
        const uint16_t now = TileData::Land(32 * group + i).textureId;
        if (now != textures[static_cast<size_t>(i)]) worldDraw().RedrawLandWithTexture(now);
    }
    writeGroup(static_cast<size_t>(group) * TileData::kLandGroupSize, data, TileData::kLandGroupSize);
    return true;
}

CDynamicObj* FindObject(uint32_t serial)
{
    WorldState& w = g_world;
    if (w.player != nullptr && w.player->serial == serial) return w.player;
    auto it = w.bySerial.find(serial);
    return it != w.bySerial.end() ? it->second : nullptr;
}

CPlayerMobile* CreatePlayer(uint32_t serial, uint16_t body)
{
    WorldState& w = g_world;
    if (w.player != nullptr) w.player->Release();
    w.player = new CPlayerMobile(serial, body, 0);
    SetRangePlayer(w.player);
    return w.player;
}

CDynamicObj* HandleMove(const ObjectRecord& r)
{
    WorldState& w = g_world;
    const bool wrapActive = MapManager::CenterX < MapManager::WrapWidth();
    const int32_t x = wrapNearSeam(r.x, MapManager::CenterX, MapManager::WrapWidth(), wrapActive);
    const int32_t y = wrapNearSeam(r.y, MapManager::CenterY, MapManager::WrapHeight(), wrapActive);
    int32_t multiId = -1;
    uint16_t graphic = r.graphic;
    if (graphic >= 0x4000) {
        multiId = graphic - 0x4000;
        graphic = 1;
    }
    CDynamicObj* o = FindObject(r.serial);
    bool isNew = false;
    if (o != nullptr && o->IsMobile() == 0 && o->multiComponents == nullptr) o->RemoveFromWorld();
    if (o == nullptr) {
        isNew = true;
        o = makeObject(r.serial, graphic, r.graphicOffset);
        if (o->IsMobile() == 0) {
            o->direction = r.direction;
            setDisplayAndHue(o, r.hue);
            o->amount = r.amount;
            SetStatusFlags(o, r.statusFlags);
        } else {
            auto* m = static_cast<CMobile*>(o);
            m->stepOffsetX = m->stepOffsetY = 0;
            m->running = (r.direction & 0x80) != 0 ? 1 : 0;
            m->direction = r.direction & 0x7f;
            setDisplayAndHue(m, r.hue);
            m->PlaceAt(x, y, r.z);
            SetStatusFlags(m, r.statusFlags);
            m->idle = 0;
        }
    }
    if (o->IsMobile() != 0) {
        auto* m = static_cast<CMobile*>(o);
        m->lastMoveTime = WorldNow();
        if (m->queueCount >= kMoveQueueSize) {
            const bool listed = m->inList != 0;
            if (listed) m->RemoveFromDrawList();
            m->locX = static_cast<int16_t>(x);
            m->locY = static_cast<int16_t>(y);
            m->z = r.z;
            m->framesLeft = 1;
            m->SetGraphic(r.graphic);
            m->direction = r.direction & 0x7f;
            setDisplayAndHue(m, r.hue);
            m->queueCount = 0;
            SetStatusFlags(m, r.statusFlags);
            m->idle = 0;
            if (listed) m->AddToDrawList();
        } else {
            if (m->idle != 0) {
                m->idle = 0;
                if (m->inList != 0) m->AddToDrawList();
            }
            MoveStep last{m->locX, m->locY, m->z, m->graphic,
                          static_cast<uint8_t>((m->direction & 0x7f) | (m->running != 0 ? 0x80 : 0)), m->statusFlags};
            if (m->queueCount > 0) last = m->moveQueue[static_cast<size_t>(m->queueCount - 1)];
            const MoveStep step{static_cast<int16_t>(x), static_cast<int16_t>(y), r.z,
                                static_cast<uint16_t>(r.graphic & 0x3fff), r.direction, r.statusFlags};
            const bool same = step.x == last.x && step.y == last.y && step.z == last.z &&
                              (step.direction & 0x7f) == (last.direction & 0x7f) &&
                              (step.direction & 0x80) == (last.direction & 0x80) && step.graphic == last.graphic &&
                              step.statusFlags == last.statusFlags;
            if (!same) m->moveQueue[static_cast<size_t>(m->queueCount++)] = step;
        }
        followMobile(m);
    } else {
        o->graphicOffset = r.graphicOffset;
        o->direction = r.direction;
        o->amount = r.amount;
        SetStatusFlags(o, r.statusFlags);
        o->hue = NormalizeHue(r.hue);
        if (multiId < 0) {
            o->SetGraphic(r.graphic);
            o->PlaceAt(x, y, r.z);
        } else {
            PlaceMulti(o, x, y, r.z, multiId);
        }
        o->UpdateDisplayHue();
    }
    (void)isNew; // saved overhead messages come back here once the windows keep them
    if (o != w.player && o->IsInUpdateRange() == 0 && o->IsMultiComponent() == 0) {
        o->Release();
        return nullptr;
    }
    return o;
}

CDynamicObj* HandleContainerItem(const ContainerItemRecord& r)
{
    WorldState& w = g_world;
    CDynamicObj* container = FindObject(r.container);
    if (container == nullptr || container->HasCellShift() == 0) return nullptr;
    // The record may not name the player, the container itself or one of its holders: releasing
    // it would free the container or the player, and moving it would make the chain a cycle.
    if (w.player != nullptr && r.serial == w.player->serial) return nullptr;
    for (const CObj* c = container; c != nullptr; c = c->parent)
        if (c->GetSerial() == r.serial) return nullptr;
    if (CDynamicObj* old = FindObject(r.serial)) old->Release();
    CDynamicObj* o = makeObject(r.serial, r.graphic, r.graphicOffset);
    setDisplayAndHue(o, r.hue);
    o->amount = r.amount;
    o->AddToContainer(static_cast<CContainerObj*>(container), r.x, r.y, 0);
    return o;
}

CDynamicObj* FindOrMakeObject(uint32_t serial, uint16_t graphic, uint16_t hue)
{
    CDynamicObj* o = FindObject(serial);
    if (o == nullptr) o = makeObject(serial, graphic, 0);
    setDisplayAndHue(o, hue);
    return o;
}

bool DeleteObject(uint32_t serial)
{
    WorldState& w = g_world;
    CDynamicObj* o = FindObject(serial);
    if (o == nullptr || o == w.player) return false;
    o->Release();
    return true;
}

void DeleteAllButPlayer()
{
    WorldState& w = g_world;
    CPlayerMobile* player = w.player;
    if (player != nullptr) {
        player->RemoveFromWorld();
        for (size_t l = 0; l <= 25; ++l) {
            CObj* item = player->layers[l];
            if (item == nullptr) continue;
            player->layers[l] = nullptr;
            ReleaseHeldObject(item);
        }
    }
    for (CDynamicObj* o = w.objects.head; o != nullptr; o = o->objectLinks.next)
        if (o->multiComponents != nullptr) o->multiComponents->SetKeepComponents(true);
    for (;;) {
        CObj* o = w.world.head;
        if (o != nullptr && o == player) o = o->worldLinks.next;
        if (o == nullptr) break;
        o->Release();
    }
}

void UpdateMovement()
{
    WorldState& w = g_world;
    // Multi pieces come and go with the update range.
    for (CObj* c = w.multiComponents.head; c != nullptr; c = c->multiCompLinks.next) {
        const bool inRange = c->IsInUpdateRange() != 0;
        if (inRange && c->offMap != 0)
            c->PlaceAt(c->locX, c->locY, c->z);
        else if (!inRange && c->offMap == 0)
            c->RemoveFromWorld();
    }
    const auto nextTopLevel = [](CDynamicObj* o) {
        while (o != nullptr && o->parent != nullptr) o = o->objectLinks.next;
        return o;
    };
    CDynamicObj* next = nullptr;
    for (CDynamicObj* o = w.objects.head; o != nullptr; o = next) {
        next = nextTopLevel(o->objectLinks.next);
        if (o->live == 0) continue;
        if (o->parent == nullptr && o != w.player && o->IsInUpdateRange() == 0) {
            if (o->IsMobile() != 0 && o->IsPartyMember() != 0) {
                o->RemoveFromWorld();
                o->live = 0;
            } else {
                o->Release();
            }
            continue;
        }
        if (o->IsMobile() == 0) continue;
        auto* m = static_cast<CMobile*>(o);
        if (m == w.player) {
            if (m->offMap == 0 && m->idle != 0) {
                if (bodyAdvancesWhileIdle(m)) advanceWalkFrame(m);
                if (m->warMode == 0 && m->playingAction == 0) m->PlayIdleAnimation();
            }
            continue;
        }
        moveMobile(m);
    }
    animCrap::Update();
}

void GetObject(CObj* object, uint16_t amount)
{
    WorldState& w = g_world;
    auto* o = dynamic_cast<CDynamicObj*>(object);
    if (o == nullptr || o == w.player || !IsObjectInReach(o)) return;
    const uint32_t flags = o->GetTileFlags();
    if (amount == 0 && (flags & TILE_STACKABLE) != 0 && o->amount >= 2) {
        if (!worldGumps().OpenStackGump(*o))
            KZReport::error("CObjectManager::GetObject: Prevented client crash by testing for return value from "
                            "'(CStackGump*)CGumpManager::OpenGump(pObj, 49, NULL, FALSE);'. It is NULL! Returning from "
                            "function.\n");
        return;
    }
    PickUpRecord& p = w.pickUp;
    p = PickUpRecord{};
    p.serial = o->serial;
    p.x = o->locX;
    p.y = o->locY;
    p.z = o->z;
    p.graphic = o->graphic;
    p.displayGraphic = o->displayGraphic;
    p.graphicOffset = o->graphicOffset;
    p.hue = o->hue;
    p.displayHue = o->displayHue;
    p.amount = amount != 0 ? amount : o->amount;
    p.statusFlags = o->statusFlags;
    p.tileFlags = flags;
    if (o->parent != nullptr) {
        if (o->parent->IsMobile() != 0 && o->IsWorn() != 0) {
            p.wornOn = o->parent->GetSerial();
            p.layer = o->layer;
        } else {
            p.container = o->parent->GetSerial();
        }
    }
    const uint32_t serial = o->serial;
    o->Release();
    worldGumps().ClearPendingObject();
    w.pickUpPending = true;
    worldNet().SendPickUp(serial, p.amount);
    worldGumps().CreateDragGump();
}

void DoubleClick(CObj* object)
{
    WorldState& w = g_world;
    auto* o = dynamic_cast<CDynamicObj*>(object);
    if (o == nullptr) return;
    w.lastUsedSerial = o->serial;
    w.lastUsedGraphic = o->graphic;
    if (o->IsMapItem() != 0) {
        if (CGump* gump = worldGumps().FindCourseGump(*o)) {
            worldGumps().BringToFront(gump);
            return;
        }
    }
    switch (o->graphic) {
    case 899:
    case 3831:
    case 3832: worldGumps().StartScrollTarget(2); return;
    case 3827:
    case 3828: worldGumps().StartScrollTarget(1); return;
    case 3829:
    case 3830:
    case 3833: worldGumps().StartScrollTarget(0); return;
    default: worldNet().SendUseObject(o->serial); return;
    }
}

CObj* GetObjAtScreenLoc(int32_t x, int32_t y)
{
    CDrawItem* item = worldDraw().PickAt(x, y, 1);
    if (item == nullptr) return nullptr;
    if (!item->IsValid() || item->IsObject() == 0) {
        KZReport::error("CObjectManager::GetObjAtScreenLoc: either pointer 'pItem' is not valid, or the data it points to "
                        "is not valid. setting 'pItem = 0'.\n");
        return nullptr;
    }
    return static_cast<CObj*>(item);
}

CObj* FindObjectSpanningZ(int32_t x, int32_t y, int32_t zz)
{
    CObj* found = nullptr;
    for (CObj* o = g_world.world.head; o != nullptr; o = o->worldLinks.next)
        if (o->locX == x && o->locY == y && zz >= o->z && zz < o->z + o->GetHeight()) found = o;
    return found;
}

int32_t GetHighestZAt(int32_t x, int32_t y)
{
    int8_t corners[4] = {};
    MapManager::GetCornerHeights(x, y, corners);
    int32_t top = (corners[1] + corners[3]) / 2;
    for (CObj* o = g_world.world.head; o != nullptr; o = o->worldLinks.next)
        if (o->locX == x && o->locY == y && o->IsHidden() == 0) top = std::max(top, o->z + o->GetHeight());
    return top == -127 ? 0 : top;
}

bool IsContainerGraphic(int32_t graphic)
{
    return (TileData::ItemFlags(graphic) & TILE_CONTAINER) != 0;
}

bool IsMapGraphic(int32_t graphic)
{
    return (TileData::ItemFlags(graphic) & TILE_MAP) != 0;
}

bool IsPileGraphic(int32_t graphic)
{
    return IsPileGraphicId(graphic);
}

bool IsSpellScrollGraphic(int32_t graphic)
{
    return ::IsSpellScrollGraphic(graphic);
}

} // namespace CObjectManager

void SetStatusFlags(CObj* object, uint8_t flags)
{
    auto* o = dynamic_cast<CDynamicObj*>(object);
    if (o == nullptr) return;
    if (o->IsMobile() != 0) {
        auto* m = static_cast<CMobile*>(o);
        if (m != g_world.player && (flags & 0x80) != 0 && (m->statusFlags & 0x80) == 0) worldGumps().DeleteGumpsOfMobile(*m);
        m->warMode = m->IsGhost() != 0 ? 0 : (flags & 0x40) != 0 ? 1 : 0;
    }
    o->statusFlags = flags;
}

bool IsObjectInReach(const CObj* object)
{
    const WorldState& w = g_world;
    if (object == nullptr || w.player == nullptr) return false;
    const CObj* outer = object->Outermost();
    if (outer->IsWithinRangeOfPlayer(3) == 0) return false;
    return !w.lineOfSight || w.lineOfSight(*w.player, *outer);
}

void AddDeathLink(uint32_t corpseSerial, uint32_t markedSerial, uint32_t direction, uint32_t flag)
{
    for (const DeathLink& l : g_deathLinks)
        if (l.corpse == corpseSerial) return;
    g_deathLinks.push_back({corpseSerial, markedSerial, direction, flag});
}

CObj* FindDyingMobileCorpse(uint32_t markedSerial)
{
    for (const DeathLink& l : g_deathLinks)
        if (l.marked == markedSerial) return CObjectManager::FindObject(l.corpse);
    return nullptr;
}

bool IsDeathLinked(uint32_t corpseSerial, uint32_t markedSerial)
{
    for (const DeathLink& l : g_deathLinks)
        if (l.corpse == corpseSerial || l.marked == markedSerial) return true;
    return false;
}

void RemoveDeathLink(uint32_t corpseSerial, uint32_t markedSerial, bool keepMobile)
{
    std::vector<DeathLink> removed;
    auto keep = std::remove_if(g_deathLinks.begin(), g_deathLinks.end(), [&](const DeathLink& l) {
        if (l.corpse != corpseSerial && l.marked != markedSerial) return false;
        removed.push_back(l);
        return true;
    });
    g_deathLinks.erase(keep, g_deathLinks.end());
    for (const DeathLink& l : removed) {
        if (CDynamicObj* corpse = CObjectManager::FindObject(l.corpse)) {
            corpse->direction = static_cast<uint8_t>((l.flag == 0 ? 0x80 : 0) | (l.direction & 7));
            if (corpse->inList != 0) corpse->AddToDrawList();
        }
        if (!keepMobile)
            if (CDynamicObj* mobile = CObjectManager::FindObject(l.marked)) mobile->Release();
    }
}

size_t DeathLinkCount()
{
    return g_deathLinks.size();
}
