/** @file Multi pieces, wide-sprite bands, the placement preview and the marked-mobile list. */
#include "client/world/multi.h"

#include "client/world/object_manager.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_objects.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/map_manager.h"

#include <algorithm>

bool g_drawingBigMobComponent = false;

std::vector<MultiRecord> DecodeMultiRecords(const uint8_t* data, size_t size)
{
    std::vector<MultiRecord> out;
    if (data == nullptr) return out;
    out.reserve(size / kMultiRecordSize);
    ByteReader in(data, size - size % kMultiRecordSize);
    while (in.has(kMultiRecordSize)) {
        MultiRecord r;
        r.graphic = in.u16le();
        r.x = in.s16le();
        r.y = in.s16le();
        r.z = in.s16le();
        r.flags = in.u32le();
        out.push_back(r);
    }
    return out;
}

std::vector<MultiRecord> ConvertMultiRecords(const uint8_t* data, size_t byteLength)
{
    std::vector<MultiRecord> out;
    if (data == nullptr) return out;
    ByteReader in(data, byteLength - byteLength % kMultiRecordSize);
    while (in.has(kMultiRecordSize)) {
        MultiRecord r;
        r.graphic = in.u16be();
        r.x = in.s16be();
        r.y = in.s16be();
        r.z = in.s16be();
        r.flags = in.u32be();
        out.push_back(r);
    }
    return out;
}

std::vector<MultiRecord> ReadMultiRecords(int32_t multiId)
{
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_MULTIIDX, FILE_MULTI, multiId, &size, &extra);
    if (data == nullptr || size <= 0) return {};
    return DecodeMultiRecords(data, static_cast<size_t>(size));
}

// ---------------------------------------------------------------- component lists

CMultiCompList::~CMultiCompList()
{
    Clear();
}

void CMultiCompList::Clear()
{
    // With keep set the pieces outlive their multi (the world reset releases them through the
    // world list); the nodes are freed either way.
    std::vector<Node> old;
    old.swap(nodes);
    if (!keep)
        for (Node& n : old)
            if (n.object != nullptr) n.object->Release();
    placed = false;
    multiId = -1;
}

void AddMultiComp(CObj* object)
{
    if (object == nullptr || !object->IsValid()) {
        KZReport::error("AddMultiComp: either pointer 'pObj' is not valid, or the data it points to is not valid. the "
                        "program may crash!\n");
        return;
    }
    if (object->inMultiCompList != 0) return;
    lists::pushHead(World().multiComponents, &CObj::multiCompLinks, object);
    object->inMultiCompList = 1;
}

bool CDynamicObj::LoadMulti(int32_t multiId)
{
    if (multiComponents != nullptr) return true;
    const std::vector<MultiRecord> records = ReadMultiRecords(multiId);
    if (records.empty()) return false;
    multiComponents = new CMultiCompList(multiId);
    SetGraphic(records[0].graphic);
    displayHue = 0;
    for (size_t i = 1; i < records.size(); ++i) {
        const MultiRecord& r = records[i];
        if (r.flags != 1) continue;
        auto* piece = new CObj(r.graphic);
        piece->displayHue = 0;
        piece->SetMultiComponent();
        multiComponents->nodes.push_back({piece, r.x, r.y, r.z});
        AddMultiComp(piece);
        multiComponents->extent =
            std::max(multiComponents->extent, MapManager::GetDistance(MapPoint{0, 0}, MapPoint{r.x, r.y}));
    }
    multiComponents->placed = false;
    return true;
}

void CDynamicObj::PlaceComponents(int32_t x, int32_t y, int32_t zz)
{
    if (multiComponents == nullptr) return;
    for (CMultiCompList::Node& n : multiComponents->nodes) {
        if (n.object->offMap == 0) n.object->RemoveFromWorld();
        n.object->PlaceAt(x + n.dx, y + n.dy, zz + n.dz);
    }
    multiComponents->placed = true;
}

void PlaceMulti(CDynamicObj* object, int32_t x, int32_t y, int32_t z, int32_t multiId)
{
    if (object == nullptr) return;
    if (object->multiComponents != nullptr && object->multiComponents->multiId != multiId) {
        delete object->multiComponents;
        object->multiComponents = nullptr;
    }
    if (!object->LoadMulti(multiId)) {
        object->MoveTo(x, y, z);
        return;
    }
    if (!object->multiComponents->placed || object->inList == 0 || object->offMap != 0 || object->locX != x ||
        object->locY != y || object->z != z) {
        object->MoveTo(x, y, z);
        object->PlaceComponents(x, y, z);
    }
}

// ---------------------------------------------------------------- wide-sprite bands

CBigMobComponent::CBigMobComponent(int32_t x, int32_t y, int32_t bandTop_, int32_t bandBottom_, CContainerObj* owner_)
    : bandTop(bandTop_), bandBottom(bandBottom_), owner(owner_)
{
    locX = static_cast<int16_t>(x);
    locY = static_cast<int16_t>(y);
    if (owner == nullptr) {
        KZReport::error("CBigMobComponent::CBigMobComponent: myOwner == NULL\n");
        return;
    }
    next = owner->bigMobComponents;
    if (next != nullptr) next->prev = this;
    owner->bigMobComponents = this;
    rect = {owner->rect.left, bandTop, owner->rect.right, bandBottom};
    z = owner->z;
    columnKey = owner->columnKey;
    orderKey = owner->orderKey;
}

CBigMobComponent::~CBigMobComponent()
{
    if (inList != 0) UnlinkFromDrawList();
    if (next != nullptr) next->prev = prev;
    if (prev != nullptr)
        prev->next = next;
    else if (owner != nullptr && owner->bigMobComponents == this)
        owner->bigMobComponents = next;
    next = prev = nullptr;
}

void CBigMobComponent::DrawClip(const WorldRect& clip)
{
    if (owner == nullptr) return;
    // The renderer cuts the clip to the band (less its view scroll) and draws the owner in it.
    g_drawingBigMobComponent = true;
    worldDraw().DrawClip(*this, clip);
    g_drawingBigMobComponent = false;
}

int CBigMobComponent::IsHidden() const
{
    return owner == nullptr ? 1 : owner->IsHidden();
}

int32_t CBigMobComponent::DrawOrderKey() const
{
    return owner != nullptr ? owner->orderKey : z;
}

// ---------------------------------------------------------------- placement preview

CPlacementPreview& PlacementPreview()
{
    static CPlacementPreview preview;
    return preview;
}

bool CPlacementPreview::LoadMulti(int32_t multiId, int32_t dx, int32_t dy, int32_t dz)
{
    const std::vector<MultiRecord> records = ReadMultiRecords(multiId);
    if (records.empty()) return false;
    pieces.clear();
    listName = "multi";
    for (const MultiRecord& r : records)
        pieces.push_back({static_cast<int16_t>(r.x - dx), static_cast<int16_t>(r.y - dy), static_cast<int16_t>(r.z - dz),
                          r.graphic, 0});
    cursorX = -1;
    active = true;
    return true;
}

bool CPlacementPreview::LoadObjectList(int32_t count, const int32_t* records, int32_t dx, int32_t dy, int32_t dz)
{
    pieces.clear();
    listName = "objlist";
    for (int32_t i = 0; records != nullptr && i < count; ++i) {
        const int32_t* r = records + 5 * i;
        pieces.push_back({static_cast<int16_t>((r[2] & 0xffff) - dx), static_cast<int16_t>((r[3] & 0xffff) - dy),
                          static_cast<int16_t>(static_cast<int16_t>(r[4] & 0xffff) - dz), static_cast<uint16_t>(r[0]),
                          static_cast<int16_t>(r[1])});
    }
    cursorX = -1;
    active = true;
    return true;
}

void CPlacementPreview::PlaceAt(int32_t x, int32_t y)
{
    baseZ = CObjectManager::GetHighestZAt(x, y) + zOffset;
    for (const Piece& p : pieces) {
        auto* o = new CPreviewObj(p.graphic, x + p.dx, y + p.dy);
        o->Invalidate();
    }
    cursorX = x;
    cursorY = y;
}

bool CPlacementPreview::Cancel()
{
    if (!active) return false;
    pieces.clear();
    listName.clear();
    zOffset = 0;
    pieceZ = 0;
    active = false;
    return true;
}

void ClearPreviewObjects()
{
    List<CPreviewObj>& list = World().preview;
    while (list.head != nullptr) {
        CPreviewObj* o = list.head;
        o->Invalidate();
        delete o; // unlinks itself
    }
}

// ---------------------------------------------------------------- marked mobiles

namespace {

std::vector<CMobile*> g_marked;

void unmark(CMobile* mobile)
{
    mobile->mark = 0;
    mobile->Invalidate();
}

} // namespace

namespace MarkedMobileList {

void Reset()
{
    g_marked.clear();
}

bool Find(const CMobile* mobile)
{
    return std::find(g_marked.begin(), g_marked.end(), mobile) != g_marked.end();
}

void RemoveMobile(CMobile* mobile)
{
    auto it = std::find(g_marked.begin(), g_marked.end(), mobile);
    if (it == g_marked.end()) return;
    unmark(*it);
    g_marked.erase(it);
}

void Clear()
{
    for (CMobile* m : g_marked) unmark(m);
    g_marked.clear();
}

size_t Count()
{
    return g_marked.size();
}

} // namespace MarkedMobileList

namespace MdavaVenager {

void startup()
{
    DebugTrace(__FILE__, __LINE__, "MdavaVenager::startup: begin.\n");
}

} // namespace MdavaVenager
