/** @file The world object classes: land tiles, statics, objects with a serial, containers, map items, corpses, mobiles, the player and preview pieces. */
#pragma once

#include "client/world/draw_item.h"
#include "client/world/object_lists.h"

#include "client/data/anim_data.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CGump;
class CBarkGump;
class CMultiCompList;
class CBigMobComponent;
class CContainerObj;
class CMobile;
class CObj;

inline constexpr uint32_t kItemSerialBit = 0x40000000;
inline constexpr uint32_t kDyingSerialBit = 0x80000000;
inline constexpr int32_t kMobileLayers = 30;
inline constexpr int32_t kCorpseLayers = 26;
inline constexpr int32_t kMoveQueueSize = 4;

/** index = hue & 0x3fff; index 0 keeps bit 15 only; 3000 or more gives (hue & 0xc000) | 1. */
uint16_t NormalizeHue(uint16_t hue);
bool IsPileGraphicId(int32_t graphic);
/** Light sources by flag 0x800000 or by graphic (15874..15883, 14612..14633). */
bool IsLightSourceGraphic(int32_t graphic, uint32_t flags);
bool IsFleshGraphic(int32_t graphic);
bool IsBloodGraphic(int32_t graphic);
bool IsSpellScrollGraphic(int32_t graphic);
/** The art remap of a graphic: its display graphic, and the remap entry's hue (0 when none). */
uint16_t DisplayGraphicOf(uint16_t graphic, uint16_t* remapHue = nullptr);

/** Flat land: one map cell. */
class CLandTile : public CDrawItem {
public:
    void Release() override;
    void DrawClip(const WorldRect& clip) override;
    void CalcScreenRect() override;
    void AddToDrawList() override;
    void RemoveFromDrawList() override;
    int IsLand() const override { return 1; }
    int IsHidden() const override;
    int32_t DrawOrderKey() const override;

    uint16_t landGraphic = 0;
    uint8_t pooled = 0;
};

/** Land with four corner heights (in the order of MapManager::GetCornerHeights). */
class CSlopedLandTile : public CLandTile {
public:
    void Release() override;
    int IsSlopedLand() const override { return 1; }
    int32_t GetTopZ() const override;
    int32_t GetBottomZ() const override;
    int32_t GetZAt(int32_t point) const override;

    std::array<int8_t, 4> corners{};
    /** The light level (0..15) of each corner, worked out by the renderer when the tile is listed. */
    std::array<uint8_t, 4> cornerLights{};
};

CLandTile* NewLandTile(uint16_t graphic, int32_t x, int32_t y, int32_t z);
CSlopedLandTile* NewSlopedLandTile(uint16_t graphic, int32_t x, int32_t y, const int8_t corners[4]);

/** A static item of a map block; the base of everything with a graphic. */
class CObj : public CDrawItem {
public:
    CObj() = default;
    explicit CObj(uint16_t graphic_);
    ~CObj() override;

    // Draw item slots.
    void Release() override;
    void DrawClip(const WorldRect& clip) override;
    void CalcScreenRect() override;
    void AddToDrawList() override;
    void RemoveFromDrawList() override;
    int IsObject() const override { return 1; }
    int IsPurgeable() const override { return 0; }
    int IsHidden() const override;
    uint32_t GetTileFlags() const override;
    int32_t GetTopZ() const override;
    void RemoveFromWorld() override;
    int IsWithinRange(int32_t range, int32_t x, int32_t y) const override;
    int32_t DrawOrderKey() const override;

    // Object slots.
    /** Puts the object into the world at (x, y, z). */
    virtual void PlaceAt(int32_t x, int32_t y, int32_t zz);
    void MoveTo(int32_t x, int32_t y, int32_t zz);
    virtual int IsCorpse() const { return 0; }
    virtual int IsWorn() const { return 0; }
    virtual int IsMovable() const { return 0; }
    virtual int IsMapItem() const { return 0; }
    virtual int IsSpellbook() const { return 0; }
    virtual int IsContainer() const { return 0; }
    virtual uint32_t GetSerial() const { return 0; }
    int IsMultiComponent() const { return (multiFlags & 1) != 0; }
    void SetMultiComponent() { multiFlags |= 1; }
    virtual int32_t GetHeight() const;
    virtual int32_t GetLightId() const;
    /** The art id drawn (art id + 0x4000 space), or -1 for none. */
    virtual int32_t GetArtImage() const;
    int IsDrawnAsStack() const;
    int IsPileGraphic() const { return IsPileGraphicId(graphic) ? 1 : 0; }

    // Non-virtual operations.
    /** Graphic + signed offset, the id of every tile-data and art look-up. */
    int32_t TileId() const { return graphic + graphicOffset; }
    void SetGraphic(uint16_t g);
    /** Display hue: the remap entry's hue when the graphic has one and the hue is 0, else the hue. */
    void UpdateDisplayHue();
    const char* GetTileName() const;
    bool IsInside(const CObj* container) const;
    /** The outermost holder (container or mobile) of the object, or the object itself. */
    const CObj* Outermost() const;
    bool IsFleshItem() const { return IsFleshGraphic(TileId()); }
    bool IsBloodItem() const { return IsBloodGraphic(TileId()); }
    /** Puts the item into a container at (x, y, z). */
    void AddToContainer(CContainerObj* container, int32_t x, int32_t y, int32_t zz);
    /** Wears the item on a mobile's layer (1..29; 0 only links the parent). */
    void EquipOn(CMobile* mobile, int32_t layer);
    void TrimOverheadMessages();
    void ClearOverheadMessages();
    void AddOverheadMessage(const char* text, int32_t hue, int32_t font);
    void SetOverheadMessage(const char* text, int32_t hue, int32_t font);

    uint16_t graphic = 0;
    uint16_t displayGraphic = 0;
    int8_t graphicOffset = 0;
    uint16_t amount = 0;
    uint16_t hue = 0;
    uint16_t displayHue = 0;
    Links<CObj> worldLinks;
    Links<CObj> lightLinks;
    Links<CObj> foliageLinks;
    Links<CObj> multiCompLinks;
    CBarkGump* overheadMessages = nullptr;
    uint8_t offMap = 1;
    uint8_t inLightList = 0;
    uint8_t inFoliageList = 0;
    uint8_t inMultiCompList = 0;
    /** Foliage: the hidden answer of the last roof update (the world pass then draws it translucent). */
    uint8_t foliageHidden = 0;
    uint8_t direction = 0;
    uint8_t live = 1;
    uint32_t multiFlags = 0;
    /** The container or mobile holding the object; null in the world. Objects with a serial only. */
    CObj* parent = nullptr;
    /** 0 heap, 1 the static pool, 2 the dynamic pool. */
    uint8_t pool = 0;

protected:
    /** The common steps of RemoveFromWorld: lists, parent, world list, off-map flag. */
    void removeFromWorldLists();
    /** Takes the object out of every list and releases what it holds; run once before it goes. */
    void retire();

private:
    /** The animated-tile pass steps placed objects through this hook. */
    class AnimHook : public AnimatedObject {
    public:
        explicit AnimHook(CObj& owner) : owner_(owner) {}
        bool isValidObject() const override { return owner_.IsValid(); }
        bool IsHidden() const override { return owner_.CObj::IsHidden() != 0; }
        uint16_t animGraphic() const override { return static_cast<uint16_t>(owner_.TileId() - owner_.graphicOffset); }
        void removeFromDrawList() override { owner_.RemoveFromDrawList(); }
        void setGraphicOffset(int8_t offset) override { owner_.graphicOffset = offset; }
        void addToDrawList() override { owner_.AddToDrawList(); }

    private:
        CObj& owner_;
    };
    AnimHook animHook_{*this};
    bool inAnimList_ = false;
    bool retired_ = false;
};

/** A static from the static pool: graphic through the seasonal substitution, amount and hue from tile data. */
CObj* NewStaticObj(uint16_t graphic);

/** Any object with a serial; generic items come from the dynamic pool. */
class CDynamicObj : public CObj {
public:
    CDynamicObj() = default;
    /** Links the object at the head of the global object list (the object manager's creation paths). */
    CDynamicObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed);
    ~CDynamicObj() override;

    void Release() override;
    void RemoveFromWorld() override;
    int IsPurgeable() const override { return 1; }
    int IsWorn() const override;
    int IsMovable() const override;
    int IsWithinRange(int32_t range, int32_t x, int32_t y) const override;
    uint32_t GetSerial() const override { return serial; }
    virtual void GetAnchor(int32_t& x, int32_t& y) const;

    /** Changes the serial, keeping the look-up by serial current. */
    void SetSerial(uint32_t s);
    bool IsItemSerial() const { return (serial & kItemSerialBit) != 0; }
    /** Builds the multi's component list when it has none; true when it has one afterwards. */
    bool LoadMulti(int32_t multiId);
    /** Places every component at (x + dx, y + dy, z + dz). */
    void PlaceComponents(int32_t x, int32_t y, int32_t zz);

    uint32_t serial = 0;
    Links<CDynamicObj> objectLinks;
    bool inObjectList = false;
    CGump* gumps[2] = {nullptr, nullptr};
    CMultiCompList* multiComponents = nullptr;
    uint8_t statusFlags = 0;
    uint8_t layer = 0;
    int32_t lightLevel = 0;
    std::string text;
    /** A vendor's price for the item and its text (empty: none), from the buy list. */
    uint32_t price = 0;
    std::string priceText;

    /** Links the object at the head of the global object list and the look-up by serial (once). */
    void linkGlobal();

protected:
    void unlinkGlobal();
    void retireDynamic();
};

CDynamicObj* NewDynamicObj(uint32_t serial, uint16_t graphic, int8_t offset);

/** An item whose tile data has the container flag; also the base of corpses and mobiles. */
class CContainerObj : public CDynamicObj {
public:
    CContainerObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed);
    ~CContainerObj() override;

    int HasCellShift() const override { return 1; }
    int IsSpellbook() const override { return graphic == 3834 || graphic == 3643 ? 1 : 0; }
    int IsContainer() const override { return 1; }
    /** Releases every contained object. */
    void DeleteContents();

    /** Contained objects, chained through their world links. */
    List<CObj> contents;
    CGump* openGump = nullptr;
    CBigMobComponent* bigMobComponents = nullptr;

protected:
    void retireContainer();
};

/** A map item with a course: pins of (x, y). */
class CMapObj : public CDynamicObj {
public:
    struct Pin {
        uint16_t x = 0;
        uint16_t y = 0;
    };
    CMapObj(uint32_t serial_, uint16_t graphic_, int8_t offset, bool stayListed);
    ~CMapObj() override;
    int IsMapItem() const override { return 1; }
    /** 1 appends, 2 inserts at index, 3 moves pin index (returns it), 4 removes pin index, 5 clears; else operation - 1. */
    int32_t EditPins(int32_t operation, int32_t index, int32_t x, int32_t y);

    std::vector<Pin> pins;
    CGump* courseGump = nullptr;
};

class CCorpse : public CContainerObj {
public:
    CCorpse(uint32_t serial_, uint16_t graphic_);
    ~CCorpse() override;
    void DrawClip(const WorldRect& clip) override;
    void AddToDrawList() override;
    void RemoveFromDrawList() override;
    uint32_t GetTileFlags() const override { return 0; }
    int IsCorpse() const override { return 1; }
    int32_t GetHeight() const override { return 6; }

    std::array<CObj*, kCorpseLayers> layers{};
};

/** One queued step of a mobile. */
struct MoveStep {
    int16_t x = 0;
    int16_t y = 0;
    int16_t z = 0;
    uint16_t graphic = 0;
    /** Bit 7 running. */
    uint8_t direction = 0;
    uint8_t statusFlags = 0;
};

class CMobile : public CContainerObj {
public:
    CMobile(uint32_t serial_, uint16_t graphic_, int8_t offset);
    ~CMobile() override;

    void DrawClip(const WorldRect& clip) override;
    void AddToDrawList() override;
    void RemoveFromDrawList() override;
    int IsMobile() const override { return 1; }
    int IsPartyMember() const override;
    int IsMovable() const override { return 0; }
    uint32_t GetTileFlags() const override { return 0; }
    int IsWithinRange(int32_t range, int32_t x, int32_t y) const override;
    int32_t GetHeight() const override { return 15; }
    int32_t GetLightId() const override { return 1; }
    int32_t GetArtImage() const override;
    void GetAnchor(int32_t& x, int32_t& y) const override;
    virtual int32_t GetActionFrame() const { return playingAction != 0 ? frameCount : -1; }
    /**
     * The height the mobile is drawn at while a step is shown: a bridge on the cell it is seen on
     * bends it up or down by the phase of the step, a long fall brings it down frame by frame;
     * otherwise the top of what it stands on. Equal to z once no step frames are left.
     */
    virtual void UpdateDrawZ();
    virtual int IsGhost() const { return graphic == 402 || graphic == 403 ? 1 : 0; }
    virtual void PlayFootstep();
    virtual void SetHighlightClass(int32_t value);
    virtual int IsOutsideClass1() const { return GetHighlightClass() != 1 ? 1 : 0; }
    virtual int IsOutsideClasses4To6() const
    {
        const int32_t c = GetHighlightClass();
        return c < 4 || c > 6 ? 1 : 0;
    }

    int32_t GetHighlightClass() const { return highlightClass % 100; }
    /** Frames a step of one cell takes (the pace table, the step-drop rule). */
    int32_t MovesPerTile() const;
    void PlayIdleAnimation();
    /** The action drawn and its frame: the playing action's, else the walking or standing one of the body's kind. */
    void StateAction(int32_t& act, int32_t& frame) const;
    void SetAnimation(int32_t action, int32_t frames, int32_t value3, int32_t value4, int32_t reverse, int32_t value6);
    void StopAction();
    void SetPersonalLight(int32_t level);
    void PlayDeathAnimation(uint32_t corpseSerial, uint32_t flag);
    bool IsMounted() const { return mounted != 0; }
    /** The place the mobile is tested at: its last queued step, else its position. */
    void LastQueuedPosition(int32_t& x, int32_t& y, int32_t& zz) const;

    Links<CMobile> mobileLinks;
    std::array<CObj*, kMobileLayers> layers{};
    int32_t framesLeft = 0;
    int32_t stepValue = 0;
    int32_t running = 0;
    int32_t idle = 0;
    uint32_t lastMoveTime = 0;
    int32_t warMode = 0;
    std::array<MoveStep, kMoveQueueSize> moveQueue{};
    int32_t queueCount = 0;
    int32_t prevX = 0;
    int32_t prevY = 0;
    int32_t prevZ = 0;
    int32_t stepOffsetX = 0;
    int32_t stepOffsetY = 0;
    int32_t drawZ = 0;
    uint8_t mounted = 0;
    int32_t stepDrop = 0;
    int32_t dropAmount = 0;
    int32_t handsBusy = 0;
    uint8_t playingAction = 0;
    uint16_t frameCount = 0;
    uint16_t frameDelay = 0;
    uint16_t action = 0;
    uint16_t frameCounter = 0;
    std::array<uint16_t, 6> animValues{};
    /** The action animation as the animated list steps it (see SetAnimation). */
    struct ActionAnimation {
        int32_t listMark = -1;   // 1 while in the animated list
        uint16_t frames = 0;     // frames of one pass
        uint16_t ticks = 0;      // ticks since the last frame change
        uint16_t delay = 0;      // a frame lasts delay + 2 ticks
        uint16_t passCount = 1;  // each pass plays the next action number
        uint16_t passIndex = 0;
        uint8_t backwards = 0;
        uint8_t reverse = 0;     // play backwards once forwards is done
    } anim;
    int32_t walkFrame = 0;
    int32_t mark = 0;
    int32_t effectId = -1;
    CGump* tradeGump = nullptr;
    uint32_t tradePartner = 0;
    int32_t highlightClass = 0;
    int32_t dying = 0;

protected:
    void retireMobile();
};

class CPlayerMobile : public CMobile {
public:
    CPlayerMobile(uint32_t serial_, uint16_t graphic_, int8_t offset);
    ~CPlayerMobile() override;
    int IsPlayer() const override { return 1; }
    int IsWithinRange(int32_t range, int32_t x, int32_t y) const override;
    int32_t GetUpdateRange() const override { return updateRange; }
    void SetHighlightClass(int32_t value) override;
    int IsOutsideClass1() const override { return 1; }
    int IsOutsideClasses4To6() const override { return 1; }
    void SetUpdateRange(int32_t range) { updateRange = static_cast<uint8_t>(range); }
    void ResetUpdateRange() { updateRange = 18; }

    std::array<int32_t, 6> statusPairs{};
    int32_t strength = -1;
    int32_t dexterity = -1;
    int32_t intelligence = -1;
    int32_t following = 0;
    uint32_t followedSerial = 0;
    std::array<uint32_t, 5> walkKeys{};
    uint8_t updateRange = 18;
};

/** One piece of a placement preview. */
class CPreviewObj : public CObj {
public:
    CPreviewObj(uint16_t graphic_, int32_t x, int32_t y);
    ~CPreviewObj() override;
    Links<CPreviewObj> previewLinks;
};

/** Releases an item its holder (container or mobile) lets go of: detached first, so its destructor does not reach back. */
void ReleaseHeldObject(CObj* item);

/** The counts of a pool: objects handed out and objects ever made. */
struct PoolCounts {
    size_t handedOut = 0;
    size_t made = 0;
};
PoolCounts StaticPoolCounts();
PoolCounts DynamicPoolCounts();
