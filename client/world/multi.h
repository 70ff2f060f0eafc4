/** @file Multis (houses and ships drawn as many static pieces), wide-sprite bands, the placement preview and the marked-mobile list. */
#pragma once

#include "client/world/draw_item.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CObj;
class CDynamicObj;
class CContainerObj;
class CMobile;

/** One 12-byte multi record: graphic u16, x, y, z offsets s16, flags u32. */
struct MultiRecord {
    uint16_t graphic = 0;
    int16_t x = 0;
    int16_t y = 0;
    int16_t z = 0;
    uint32_t flags = 0;
};
inline constexpr size_t kMultiRecordSize = 12;

/** Little-endian records of multi.mul; a trailing part record is dropped. */
std::vector<MultiRecord> DecodeMultiRecords(const uint8_t* data, size_t size);
/** The same records in network order (packet 0x92). */
std::vector<MultiRecord> ConvertMultiRecords(const uint8_t* data, size_t byteLength);
/** A multi's records through the data cache (multi.idx, multi.mul); empty when absent. */
std::vector<MultiRecord> ReadMultiRecords(int32_t multiId);

/** The pieces of one multi object, each a static object placed at the multi's position plus its offsets. */
class CMultiCompList {
public:
    struct Node {
        CObj* object = nullptr;
        int16_t dx = 0;
        int16_t dy = 0;
        int16_t dz = 0;
    };
    explicit CMultiCompList(int32_t id) : multiId(id) {}
    /** Releases every component unless keep is set; the nodes go either way. */
    ~CMultiCompList();
    CMultiCompList(const CMultiCompList&) = delete;
    CMultiCompList& operator=(const CMultiCompList&) = delete;

    void SetKeepComponents(bool keepThem) { keep = keepThem; }
    /** Releases every component unless keep is set, frees the nodes; placed := 0, id := -1. */
    void Clear();

    std::vector<Node> nodes;
    int32_t multiId = -1;
    bool keep = false;
    /** The largest map distance of a component's offset from the centre. */
    int32_t extent = 0;
    bool placed = false;
};

/** Pushes a component on the global multi-component list. */
void AddMultiComp(CObj* object);
/** Moves a multi object to (x, y, z), building or rebuilding its pieces for the multi id. */
void PlaceMulti(CDynamicObj* object, int32_t x, int32_t y, int32_t z, int32_t multiId);

/** A band of a wide mobile's or corpse's sprite, drawn in the cell list of its own cell. */
class CBigMobComponent : public CDrawItem {
public:
    CBigMobComponent(int32_t x, int32_t y, int32_t bandTop_, int32_t bandBottom_, CContainerObj* owner_);
    ~CBigMobComponent() override;
    void DrawClip(const WorldRect& clip) override;
    void CalcScreenRect() override {}
    int IsBigMobComponent() const override { return 1; }
    int IsHidden() const override;
    int32_t DrawOrderKey() const override;

    int32_t bandTop = 0;
    int32_t bandBottom = 0;
    CContainerObj* owner = nullptr;
    CBigMobComponent* next = nullptr;
    CBigMobComponent* prev = nullptr;
};

/** True while a band's DrawClip runs its owner's drawing. */
extern bool g_drawingBigMobComponent;

/** The preview that follows the cursor while the server asks the player to place a multi or objects. */
class CPlacementPreview {
public:
    struct Piece {
        int16_t dx = 0;
        int16_t dy = 0;
        int16_t dz = 0;
        uint16_t graphic = 0;
        int16_t extra = 0;
    };
    /** Packet 0x99: the multi's records less (dx, dy, dz); false when the multi has none. */
    bool LoadMulti(int32_t multiId, int32_t dx, int32_t dy, int32_t dz);
    /** Packet 0xB4: count records of five little-endian... 32-bit values {graphic, extra, x, y, z} (low 16 bits used). */
    bool LoadObjectList(int32_t count, const int32_t* records, int32_t dx, int32_t dy, int32_t dz);
    /** The cursor cell changed: a preview object for each piece. */
    void PlaceAt(int32_t x, int32_t y);
    /** Frees the piece list when active; true when it was. */
    bool Cancel();

    int32_t cursorX = -1;
    int32_t cursorY = 0;
    int32_t baseZ = 0;
    int32_t second = -1;
    int32_t zOffset = 0;
    int32_t pieceZ = 0;
    bool active = false;
    std::string listName;
    std::vector<Piece> pieces;
};
CPlacementPreview& PlacementPreview();
/** Deletes every preview object, dirtying each first. */
void ClearPreviewObjects();

/** Mobiles marked by the war-mode display; nothing adds to it. */
namespace MarkedMobileList {
void Reset();
bool Find(const CMobile* mobile);
void RemoveMobile(CMobile* mobile);
void Clear();
size_t Count();
} // namespace MarkedMobileList

namespace MdavaVenager {
void startup();
} // namespace MdavaVenager
