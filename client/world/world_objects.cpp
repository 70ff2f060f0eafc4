/** @file The world object classes: construction, pools, placing in and removing from the world, destruction. */
#include "client/world/world_objects.h"

#include "client/world/body_kind.h"
#include "client/world/map_cell_source.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_services.h"

#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/data/def_tables.h"
#include "client/data/seasonal_art.h"

#include <cstdlib>
#include <new>
#include <vector>

// GCC names an AddressSanitizer build with a macro, clang through __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KZ_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KZ_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#define KZ_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define KZ_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define KZ_POISON(p, n) ((void)(p), (void)(n))
#define KZ_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

/**
 * Blocks of N slots whose memory is reused and never returned. A slot is constructed when handed
 * out and destroyed when given back (so every destructor unlinks exactly as for heap objects);
 * last given back, first handed out. Under AddressSanitizer a free slot is poisoned, so any use
 * of a released object is reported.
 */
template <class T, size_t N>
class ObjectPool {
public:
    T* take()
    {
        if (freeCount_ == 0) grow();
        void* slot = freeSlots_[--freeCount_];
        KZ_UNPOISON(slot, sizeof(T));
        ++counts_.handedOut;
        return new (slot) T();
    }
    void give(T* object)
    {
        object->~T();
        KZ_POISON(static_cast<void*>(object), sizeof(T));
        // Every slot ever made fits: the list only grows with the blocks.
        freeSlots_[freeCount_++] = object;
        --counts_.handedOut;
    }
    PoolCounts counts() const { return counts_; }

private:
    void grow()
    {
        // Never freed: the pools live as long as the program.
        auto* block = static_cast<unsigned char*>(::operator new(sizeof(T) * N, std::align_val_t{alignof(T)}));
        counts_.made += N;
        // The free list holds every slot made: it is made longer with each block, and is empty here.
        void** longer = new void*[counts_.made];
        delete[] freeSlots_;
        freeSlots_ = longer;
        for (size_t i = N; i-- > 0;) {
            void* slot = block + i * sizeof(T);
            KZ_POISON(slot, sizeof(T));
            freeSlots_[freeCount_++] = slot;
        }
        blocks_.push_back(block);
    }
    // A plain array taken from the top: the pools hand out and take back thousands of land tiles
    // for each view built, so each step is kept to a load and a store.
    void** freeSlots_ = nullptr;
    size_t freeCount_ = 0;
    std::vector<unsigned char*> blocks_;
    PoolCounts counts_;
};

// Made once and never destroyed, so no pooled object outlives its pool at exit.
ObjectPool<CObj, 512>& staticPool()
{
    static auto* pool = new ObjectPool<CObj, 512>();
    return *pool;
}
ObjectPool<CDynamicObj, 64>& dynamicPool()
{
    static auto* pool = new ObjectPool<CDynamicObj, 64>();
    return *pool;
}
ObjectPool<CLandTile, 128>& landPool()
{
    static auto* pool = new ObjectPool<CLandTile, 128>();
    return *pool;
}
ObjectPool<CSlopedLandTile, 128>& slopedPool()
{
    static auto* pool = new ObjectPool<CSlopedLandTile, 128>();
    return *pool;
}

bool inRange(int32_t v, int32_t lo, int32_t hi)
{
    return v >= lo && v <= hi;
}

} // namespace

void ReleaseHeldObject(CObj* item)
{
    if (item == nullptr) return;
    item->parent = nullptr;
    item->worldLinks = {};
    item->offMap = 1;
    item->Release();
}

PoolCounts StaticPoolCounts()
{
    return staticPool().counts();
}

PoolCounts DynamicPoolCounts()
{
    return dynamicPool().counts();
}

uint16_t NormalizeHue(uint16_t hue)
{
    const uint16_t index = hue & 0x3fff;
    if (index == 0) return hue & 0x8000;
    if (index >= 3000) return static_cast<uint16_t>((hue & 0xc000) | 1);
    return hue;
}

bool IsPileGraphicId(int32_t graphic)
{
    return graphic == 654 || graphic == 3821 || graphic == 3824;
}

bool IsLightSourceGraphic(int32_t graphic, uint32_t flags)
{
    return (flags & TILE_LIGHT_SOURCE) != 0 || inRange(graphic, 15874, 15883) || inRange(graphic, 14612, 14633);
}

bool IsFleshGraphic(int32_t g)
{
    return g == 6941 || g == 6942 || inRange(g, 7389, 7408) || inRange(g, 7583, 7588) || inRange(g, 7597, 7602);
}

bool IsBloodGraphic(int32_t g)
{
    return g == 3616 || g == 3618 || g == 3619 || inRange(g, 4379, 4385) || inRange(g, 4622, 4630) ||
           inRange(g, 4650, 4656) || inRange(g, 4677, 4685) || inRange(g, 4702, 4705) || inRange(g, 4719, 4722) ||
           inRange(g, 4728, 4731) || inRange(g, 7367, 7388) || inRange(g, 7409, 7442) || inRange(g, 7570, 7582);
}

bool IsSpellScrollGraphic(int32_t g)
{
    return inRange(g, 3827, 3833) || inRange(g, 7981, 8044);
}

uint16_t DisplayGraphicOf(uint16_t graphic, uint16_t* remapHue)
{
    graphic &= 0x3fff;
    if (remapHue != nullptr) *remapHue = 0;
    const DefTable* art = DefTables::Get(DEF_ART);
    if (art == nullptr) return graphic;
    const auto key = static_cast<uint16_t>(graphic + 0x4000);
    if (remapHue != nullptr)
        if (const DefEntry* e = art->Find(key)) *remapHue = static_cast<uint16_t>(e->number);
    return static_cast<uint16_t>(art->PickAlternate(key, 0) & 0x3fff);
}

// ---------------------------------------------------------------- land

void CLandTile::Release()
{
    if (pooled != 0)
        landPool().give(this);
    else
        delete this;
}

void CLandTile::DrawClip(const WorldRect& clip)
{
    worldDraw().DrawClip(*this, clip);
}

void CLandTile::CalcScreenRect()
{
    worldDraw().CalcScreenRect(*this);
}

void CLandTile::AddToDrawList()
{
    worldDraw().AddToDrawList(*this);
}

void CLandTile::RemoveFromDrawList()
{
    worldDraw().RemoveFromDrawList(*this);
}

int CLandTile::IsHidden() const
{
    return worldDraw().IsHidden(*this);
}

int32_t CLandTile::DrawOrderKey() const
{
    return worldDraw().OrderKey(*this);
}

void CSlopedLandTile::Release()
{
    if (pooled != 0)
        slopedPool().give(this);
    else
        delete this;
}

int32_t CSlopedLandTile::GetTopZ() const
{
    return SlopedTopZ(corners.data());
}

int32_t CSlopedLandTile::GetBottomZ() const
{
    return SlopedBottomZ(corners.data());
}

int32_t CSlopedLandTile::GetZAt(int32_t point) const
{
    return SlopedZAt(corners.data(), point & 7);
}

CLandTile* NewLandTile(uint16_t graphic, int32_t x, int32_t y, int32_t zz)
{
    CLandTile* tile = landPool().take();
    tile->pooled = 1;
    tile->landGraphic = graphic;
    tile->locX = static_cast<int16_t>(x);
    tile->locY = static_cast<int16_t>(y);
    tile->z = static_cast<int16_t>(zz);
    return tile;
}

CSlopedLandTile* NewSlopedLandTile(uint16_t graphic, int32_t x, int32_t y, const int8_t corners[4])
{
    CSlopedLandTile* tile = slopedPool().take();
    tile->pooled = 1;
    tile->landGraphic = graphic;
    tile->locX = static_cast<int16_t>(x);
    tile->locY = static_cast<int16_t>(y);
    for (size_t i = 0; i < 4; ++i) tile->corners[i] = corners[i];
    tile->z = static_cast<int16_t>(tile->GetTopZ());
    return tile;
}

// ---------------------------------------------------------------- CObj

CObj::CObj(uint16_t graphic_)
{
    SetGraphic(graphic_);
    locX = locY = -1;
}

CObj::~CObj()
{
    retire();
}

void CObj::retire()
{
    if (retired_) return;
    retired_ = true;
    removeFromWorldLists();
    if (inMultiCompList != 0) {
        lists::unlink(World().multiComponents, &CObj::multiCompLinks, this);
        inMultiCompList = 0;
    }
    if (overheadMessages != nullptr) worldGumps().DeleteAllOverheadMessages(*this);
    overheadMessages = nullptr;
}

void CObj::Release()
{
    if (pool == 1)
        staticPool().give(this);
    else
        delete this;
}

void CObj::SetGraphic(uint16_t g)
{
    graphic = g & 0x3fff;
    displayGraphic = DisplayGraphicOf(graphic);
}

void CObj::UpdateDisplayHue()
{
    uint16_t remapHue = 0;
    DisplayGraphicOf(graphic, &remapHue);
    displayHue = remapHue != 0 && hue == 0 ? remapHue : hue;
}

void CObj::DrawClip(const WorldRect& clip)
{
    worldDraw().DrawClip(*this, clip);
}

void CObj::CalcScreenRect()
{
    worldDraw().CalcScreenRect(*this);
}

void CObj::AddToDrawList()
{
    worldDraw().AddToDrawList(*this);
}

void CObj::RemoveFromDrawList()
{
    worldDraw().RemoveFromDrawList(*this);
}

int CObj::IsHidden() const
{
    return worldDraw().IsHidden(*this);
}

int32_t CObj::DrawOrderKey() const
{
    return worldDraw().OrderKey(*this);
}

uint32_t CObj::GetTileFlags() const
{
    return TileData::ItemFlags(TileId());
}

int32_t CObj::GetHeight() const
{
    return TileData::Item(TileId()).height;
}

int32_t CObj::GetTopZ() const
{
    const int32_t h = GetHeight();
    return z + ((GetTileFlags() & TILE_BRIDGE) != 0 ? h / 2 : h);
}

int32_t CObj::GetLightId() const
{
    return TileData::Item(TileId()).lightId;
}

int32_t CObj::GetArtImage() const
{
    if (displayGraphic > 0x4000) return -1;
    int32_t art = displayGraphic + graphicOffset + 0x4000;
    if (IsPileGraphicId(graphic)) art = displayGraphic + 0x4000 + (amount < 2 ? 0 : amount <= 5 ? 1 : 2);
    return art;
}

int CObj::IsDrawnAsStack() const
{
    return (GetTileFlags() & TILE_STACKABLE) != 0 && !IsPileGraphicId(graphic) && amount > 1 ? 1 : 0;
}

const char* CObj::GetTileName() const
{
    return FormatTileName(TileId(), (GetTileFlags() & TILE_STACKABLE) != 0 && amount > 1);
}

bool CObj::IsInside(const CObj* container) const
{
    // Bounded: the container chain never holds a cycle, but a bound keeps a damaged chain from hanging.
    int32_t hops = 0;
    for (const CObj* p = parent; p != nullptr && hops < 1 << 16; p = p->parent, ++hops)
        if (p == container) return true;
    return false;
}

const CObj* CObj::Outermost() const
{
    const CObj* o = this;
    int32_t hops = 0;
    while (o->parent != nullptr && hops++ < 1 << 16) o = o->parent;
    return o;
}

int CObj::IsWithinRange(int32_t range, int32_t x, int32_t y) const
{
    return CDrawItem::IsWithinRange(range, x, y);
}

int CDynamicObj::IsWithinRange(int32_t range, int32_t x, int32_t y) const
{
    // A multi reaches as far as its pieces; a held object is where its outermost holder is.
    if (multiComponents != nullptr) range += multiComponents->extent;
    const CObj* outer = Outermost();
    if (outer != this) return outer->IsWithinRange(range, x, y);
    return CDrawItem::IsWithinRange(range, x, y);
}

void CObj::PlaceAt(int32_t x, int32_t y, int32_t zz)
{
    if (offMap == 0) removeFromWorldLists(); // never twice in the world list
    WorldState& w = World();
    lists::pushTail(w.world, &CObj::worldLinks, this);
    locX = static_cast<int16_t>(x);
    locY = static_cast<int16_t>(y);
    z = static_cast<int16_t>(zz);
    offMap = 0;
    AddToDrawList();
    const uint32_t flags = TileData::ItemFlags(TileId());
    if ((flags & TILE_ANIMATED) != 0 && !inAnimList_) {
        animCrap::AddObject(&animHook_);
        inAnimList_ = true;
    }
    if ((GetTileFlags() & TILE_FOLIAGE) != 0 && inFoliageList == 0) {
        lists::pushHead(w.foliage, &CObj::foliageLinks, this);
        inFoliageList = 1;
        if ((SeasonValue == 3 || SeasonValue == 4) && TreeCanopies == 0 && graphic != 1 &&
            !inRange(graphic, 15935, 16108) && inList != 0)
            RemoveFromDrawList();
    }
    if (IsLightSourceGraphic(graphic, flags) && inLightList == 0) {
        inLightList = 1;
        lists::pushHead(w.lights, &CObj::lightLinks, this);
        worldDraw().InvalidateLightArea(*this);
    }
    if (IsPlayer() != 0) {
        const auto* self = static_cast<const CDynamicObj*>(this);
        if (self->lightLevel != 0) {
            worldDraw().AddSceneLight(self->lightLevel);
            worldGumps().RenderRadar();
            worldDraw().RedrawAll();
        }
    }
}

void CObj::MoveTo(int32_t x, int32_t y, int32_t zz)
{
    if (offMap == 0) RemoveFromWorld();
    PlaceAt(x, y, zz);
}

void CObj::RemoveFromWorld()
{
    removeFromWorldLists();
}

void CObj::removeFromWorldLists()
{
    WorldState& w = World();
    if (inList != 0) RemoveFromDrawList();
    if (inAnimList_) {
        animCrap::RemoveObject(&animHook_);
        inAnimList_ = false;
    }
    if (inLightList != 0) {
        lists::unlink(w.lights, &CObj::lightLinks, this);
        inLightList = 0;
        worldDraw().InvalidateLightArea(*this);
    }
    if (inFoliageList != 0) {
        lists::unlink(w.foliage, &CObj::foliageLinks, this);
        inFoliageList = 0;
    }
    if (parent != nullptr) {
        CObj* holder = parent;
        parent = nullptr;
        bool worn = false;
        if (holder->IsMobile() != 0) {
            auto* mobile = static_cast<CMobile*>(holder);
            for (size_t l = 0; l < mobile->layers.size(); ++l)
                if (mobile->layers[l] == this) {
                    worn = true;
                    mobile->layers[l] = nullptr;
                    if (l == 1 || l == 2) mobile->handsBusy = 0;
                    if (l == 25) mobile->mounted = 0;
                }
            if (worn) worldGumps().RefreshPaperdolls(*mobile);
        }
        // A mobile is a container too: what it holds without wearing is in its contents.
        if (!worn && holder->IsContainer() != 0) {
            auto* container = static_cast<CContainerObj*>(holder);
            lists::unlink(container->contents, &CObj::worldLinks, this);
            if (holder->IsCorpse() != 0)
                for (CObj*& slot : static_cast<CCorpse*>(holder)->layers)
                    if (slot == this) slot = nullptr;
            if (holder->graphic == 11000) worldGumps().ContentsChanged(*container, nullptr);
        }
    } else if (offMap == 0) {
        lists::unlink(w.world, &CObj::worldLinks, this);
    }
    worldLinks = {};
    offMap = 1;
}

void CObj::AddToContainer(CContainerObj* container, int32_t x, int32_t y, int32_t zz)
{
    // No move may make the container chain a cycle.
    if (container == nullptr || container == this || container->IsInside(this)) return;
    if (offMap == 0 || parent != nullptr) removeFromWorldLists();
    locX = static_cast<int16_t>(x);
    locY = static_cast<int16_t>(y);
    z = static_cast<int16_t>(zz);
    CObj* before = nullptr;
    bool found = false;
    const auto insertBeforeFirst = [&](auto test) {
        for (CObj* o = container->contents.head; o != nullptr; o = o->worldLinks.next)
            if (test(o)) {
                before = o;
                found = true;
                return;
            }
    };
    if (container->graphic == 11000) {
        insertBeforeFirst([&](const CObj* o) { return o->locX >= x; });
        lists::insertBefore(container->contents, &CObj::worldLinks, static_cast<CObj*>(this), found ? before : nullptr);
    } else if (container->graphic == 4006) {
        insertBeforeFirst([&](const CObj* o) { return o->locY <= y; });
        lists::insertBefore(container->contents, &CObj::worldLinks, static_cast<CObj*>(this), found ? before : nullptr);
    } else if (container->IsSpellbook() != 0) {
        insertBeforeFirst([&](const CObj* o) { return o->amount >= amount; });
        lists::insertBefore(container->contents, &CObj::worldLinks, static_cast<CObj*>(this), found ? before : nullptr);
    } else {
        lists::pushHead(container->contents, &CObj::worldLinks, static_cast<CObj*>(this));
    }
    parent = container;
    offMap = 0;
    worldGumps().ContentsChanged(*container, this);
    if (container->IsCorpse() != 0 && container->parent == nullptr && container->offMap == 0) container->AddToDrawList();
}

void CObj::EquipOn(CMobile* mobile, int32_t layerIndex)
{
    // Layers past the slots are ignored, and no item may hold the mobile it is put on.
    if (mobile == nullptr || layerIndex < 0 || layerIndex >= kMobileLayers || mobile == this || mobile->IsInside(this))
        return;
    if (offMap == 0 || parent != nullptr) removeFromWorldLists();
    CObj*& slot = mobile->layers[static_cast<size_t>(layerIndex)];
    if (slot != nullptr && slot != this) slot->RemoveFromWorld(); // the old item stays known, off the map
    if (auto* self = dynamic_cast<CDynamicObj*>(this)) self->layer = static_cast<uint8_t>(layerIndex);
    slot = this;
    parent = mobile;
    worldLinks = {};
    offMap = 0;
    if (layerIndex == 1 || layerIndex == 2) mobile->handsBusy = 1;
    if (layerIndex == 25) mobile->mounted = 1;
    if (layerIndex == 0) return;
    if (IsLightSourceGraphic(graphic, TileData::ItemFlags(TileId())) && inLightList == 0) {
        inLightList = 1;
        lists::pushHead(World().lights, &CObj::lightLinks, static_cast<CObj*>(this));
        worldDraw().InvalidateLightArea(*this);
    }
    worldGumps().RefreshPaperdolls(*mobile);
}

void CObj::TrimOverheadMessages()
{
    worldGumps().TrimOverheadMessages(*this);
}

void CObj::ClearOverheadMessages()
{
    worldGumps().ClearOverheadMessages(*this);
}

void CObj::AddOverheadMessage(const char* message, int32_t messageHue, int32_t font)
{
    TrimOverheadMessages();
    worldGumps().AddOverheadMessage(*this, message, messageHue, font);
}

void CObj::SetOverheadMessage(const char* message, int32_t messageHue, int32_t font)
{
    ClearOverheadMessages();
    worldGumps().AddOverheadMessage(*this, message, messageHue, font);
}

CObj* NewStaticObj(uint16_t graphic)
{
    CObj* o = staticPool().take();
    o->pool = 1;
    const uint16_t g = RemapSeasonalGraphic(graphic & 0x3fff);
    o->SetGraphic(g);
    const ItemTileEntry& e = TileData::Item(o->graphic);
    o->amount = static_cast<uint16_t>(e.value & 0xffff);
    o->hue = NormalizeHue(e.hue);
    o->UpdateDisplayHue();
    o->locX = o->locY = -1;
    return o;
}

void CDynamicObj::Release()
{
    if (pool == 2)
        dynamicPool().give(this);
    else
        delete this;
}

CDynamicObj* NewDynamicObj(uint32_t serial, uint16_t graphic, int8_t offset)
{
    CDynamicObj* o = dynamicPool().take();
    o->pool = 2;
    o->serial = serial;
    o->SetGraphic(graphic);
    o->graphicOffset = offset;
    o->locX = o->locY = -1;
    o->linkGlobal();
    return o;
}
