/** @file The draw item base of everything in the world view, and the draw grid: 64 x 64 cell lists around the view centre. */
#pragma once

#include <array>
#include <cstdint>

/** A rectangle of world pixels {left, top, right, bottom}; right and bottom are exclusive. */
struct WorldRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/** 1 when the rectangles overlap with open bounds (touching edges do not overlap). */
int RectsOverlap(const WorldRect& a, const WorldRect& b);

/** The word every live draw item carries; 0 after its destructor ran. */
inline constexpr uint32_t VALID_OBJECT_BIT_PATTERN = 0xFEEDBEEF;

/**
 * Everything drawn in the world view: land, statics, items, corpses, mobiles, pieces of wide
 * sprites, effects. An item stands in at most one cell list of the draw grid; the grid does not
 * own it (the map blocks own land and statics, the object manager owns objects with a serial)
 * and hands items back through Release. The destructor unlinks a listed item, so a freed item
 * is never left in a cell list. Main thread only.
 *
 * The world classes forward their drawing questions (screen rectangle, order key, hidden rules,
 * drawing, their own list insertion) to the installed WorldDrawServices; classes of the renderer
 * (effects) override the virtuals directly.
 */
class CDrawItem {
public:
    CDrawItem() = default;
    virtual ~CDrawItem();
    CDrawItem(const CDrawItem&) = delete;
    CDrawItem& operator=(const CDrawItem&) = delete;

    /** Hands the item back to its owner: the base deletes it; pooled classes return to their pool. */
    virtual void Release();
    /** Paints the part of the item inside the clip rectangle (world pixels). */
    virtual void DrawClip(const WorldRect& clip) = 0;
    /** Computes rect from the item's place. */
    virtual void CalcScreenRect() = 0;
    /** Links the item into its cell list by the base rule (see LinkIntoDrawList). */
    virtual void AddToDrawList();
    /** Unlinks the item from its cell list (see UnlinkFromDrawList). */
    virtual void RemoveFromDrawList();
    virtual int IsObject() const { return 0; }
    virtual int IsLand() const { return 0; }
    virtual int IsSlopedLand() const { return 0; }
    virtual int IsMobile() const { return 0; }
    virtual int IsPlayer() const { return 0; }
    virtual int IsPurgeable() const { return 1; }
    virtual int HasCellShift() const { return 0; }
    virtual int IsEffect() const { return 0; }
    virtual int IsBigMobComponent() const { return 0; }
    /** 1 when the item is not drawn; the base: not listed. */
    virtual int IsHidden() const { return inList == 0; }
    virtual uint32_t GetTileFlags() const { return 0; }
    virtual int32_t GetTopZ() const { return z; }
    virtual int32_t GetBottomZ() const { return z; }
    /** Height at a corner (odd point) or edge midpoint (even point) 0..7. */
    virtual int32_t GetZAt(int32_t /*point*/) const { return z; }
    virtual void RemoveFromWorld() {}
    virtual int IsWithinRange(int32_t range, int32_t x, int32_t y) const;
    int IsWithinRangeOfPlayer(int32_t range) const;
    /** Within the player's update range (18 when there is no player). */
    int IsInUpdateRange() const;
    /** A mobile that the purge of a cell only unlinks because it is in the party. */
    virtual int IsPartyMember() const { return 0; }
    /** The update range a player answers with; other items are never asked. */
    virtual int32_t GetUpdateRange() const { return 18; }

    /** The order key this item sorts by in its cell list; the base: z. */
    virtual int32_t DrawOrderKey() const { return z; }

    /**
     * The base insertion: unlinks first when listed; sets the three keys; links the item into
     * cell (locX, locY), or (locX + cellShift, locY - cellShift) for a class with a cell shift,
     * before the first item R with key < R's key or with an equal key when this is land and R
     * is not (equal keys keep their arrival order); sets the in-list flag, computes the screen
     * rectangle and marks it dirty unless hidden.
     */
    void LinkIntoDrawList();
    /**
     * The base unlink: marks the rectangle dirty unless hidden; fixes the neighbours' links or
     * the cell head. An item that is neither linked from a neighbour nor the head of its cell is
     * logged and removed from every head that holds it.
     */
    void UnlinkFromDrawList();
    /** Unlinks without marking dirty (the purge). */
    void UnlinkQuietly();
    /**
     * The link step of LinkIntoDrawList into a given cell, with the keys already set: for classes
     * whose list cell the renderer works out itself.
     */
    void LinkIntoCell(int32_t cellX, int32_t cellY);

    /** Passes the item's rectangle to the dirty list when the item is valid and listed. */
    void Invalidate() const;
    static void Invalidate(const CDrawItem* item);
    void GetRectCentre(int32_t& x, int32_t& y) const;
    bool IsValid() const { return validTag == VALID_OBJECT_BIT_PATTERN; }
    /** The cell whose list holds (or would hold) the item. */
    int32_t ListCellX() const { return HasCellShift() ? locX + cellShift : locX; }
    int32_t ListCellY() const { return HasCellShift() ? locY - cellShift : locY; }

    uint32_t validTag = VALID_OBJECT_BIT_PATTERN;
    WorldRect rect;
    CDrawItem* nextDraw = nullptr;
    CDrawItem* prevDraw = nullptr;
    int32_t inList = 0;
    int16_t locX = 0;
    int16_t locY = 0;
    int16_t z = 0;
    int32_t columnKey = 0;
    int32_t rowKey = 0;
    int32_t orderKey = 0;
    /** Whole 44-pixel columns the image reaches right of its cell (classes with a cell shift). */
    int32_t cellShift = 0;
    /** The table index of the cell list holding the item while listed; unlinking uses it. */
    int32_t listCell = -1;

private:
    void unlink(bool markDirty);
};

/** The player as the range questions see it (null before the player exists); set by the object manager. */
void SetRangePlayer(const CDrawItem* player);
const CDrawItem* GetRangePlayer();

/** The draw grid: one cell list head for each of 64 x 64 map cells around the view centre. */
class DrawMapThingie {
public:
    static constexpr int32_t kCells = 4096;
    /** Cell (x, y) of the map is at (y & 63) * 64 + (x & 63). */
    static int32_t CellIndex(int32_t x, int32_t y) { return (y & 63) * 64 + (x & 63); }

    static std::array<CDrawItem*, kCells> table;
    static int32_t cornerX, cornerY;
    static int32_t wrappedCornerX, wrappedCornerY;
    /**
     * One byte a cell, set whenever an item joins or leaves the cell's list: the renderer keeps
     * the union of each cell's item rectangles and works it out again when this is set.
     */
    static std::array<uint8_t, kCells> boundsStale;
    /** One byte a cell for the roof flood; same indexing as table. */
    static std::array<uint8_t, kCells> visited;
    /** Cell offsets dy * 64 + dx within the window, back to front (see BuildVisibleOrder). */
    static std::array<int32_t, kCells> visibleOrder;
    static int32_t visibleCount;

    /** All heads null, wrapped corner 0, 0, corner -128, -128. */
    static void Clear();
    /**
     * The 1,977 offsets with -29 <= dx - dy <= 29 and 31 <= dx + dy <= 97, sorted by rising
     * dx + dy and then rising dx; built once at start-up.
     */
    static void BuildVisibleOrder();
    /** The table cell an offset of the visible order denotes with the present corner. */
    static int32_t CellOfOffset(int32_t offset);
    /** Moves the window to the map manager's view centre, purging the columns and rows that leave it. */
    static void Recenter();
    /** Purges every cell. */
    static void PurgeAll();
    /**
     * Unlinks every purgeable or land item of the cell and releases it, except the player (left
     * listed, with a full redraw requested) and a party member (only unlinked).
     */
    static void PurgeCell(int32_t index);
    /** The same restricted to land items (the season change). */
    static void PurgeCellLand(int32_t x, int32_t y);
    /** The tail (top-most) item of cell (x & 63, y & 63), or null. */
    static CDrawItem* GetTopItem(int32_t x, int32_t y);
    static int32_t CountListed();
};
