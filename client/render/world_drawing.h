/** @file Per-class drawing of the world: where land, items, corpses and mobiles stand on screen, how they are listed, cut away, painted and hit by the pointer. */
#pragma once

#include "client/data/art_blit.h"
#include "client/world/draw_item.h"

#include <cstdint>
#include <vector>

class CObj;
class CContainerObj;
class CMobile;
class CLandTile;
class CSlopedLandTile;
struct AnimFrame;
struct AnimRecord;
struct ArtImage;

// Screen geometry in world pixels: a cell is a 44 x 44 diamond; with column key
// K = x - y + map width and row key R = x + y, cell (x, y, z) has its top corner at
// (K x 22, R x 22 - z x 4). Sprites stand on the anchor (K x 22 + 1, R x 22 - z x 4 + 20).

/** The cut-away state of the world view: the roof cut-off and the z-cut mode. */
class WorldView {
public:
    /** 127 when nothing covers the player; items and mobiles at or above it are not drawn. */
    static int32_t roofCutoff;
    /** The cut-off before it was raised to the player's z + 16 (a change redraws the view). */
    static int32_t rawRoof;
    /** While on, each dirty rectangle is cleared to black and what lies at or above the cut level is cut away. */
    static bool zCutMode;
    static int32_t zCutLevel;
    /** Set by the walk: the next roof update also recomputes which foliage hides the player. */
    static bool foliageUpdate;
    /** The object under the pointer in the world view, drawn with hue index 53 (null: none). */
    static const CDrawItem* hoveredObject;
    /** True while the roof update recomputes the stored foliage-hidden flags. */
    static bool recomputingFoliage;

    /** Clears everything above to its start (cut-off 127, no z cut, no hovered object). */
    static void Reset();
    /** Clears the z-cut mode (the start-up sequence, beside DrawManager::startup). */
    static void startup();
    /** Turns the z-cut mode on at a level, or off; redraws the view when it changes. */
    static void SetZCut(bool on, int32_t level);
    /**
     * The roof cut-off from the items over the player's cell and the roof flood from the cell
     * down-right of it; foliage whose hidden state changed is redrawn; a change of the cut-off
     * redraws the whole view.
     */
    static void UpdateRoofCutoff();
    /**
     * Keeps the view on a cell and the walk's pixel offsets: the view scroll puts the cell's top
     * corner, moved by the offsets, at the middle of the play area. The ring scrolls by the
     * change and only the uncovered strips are redrawn; a jump of a whole play area or more
     * redraws the view.
     */
    static void FollowCell(int32_t x, int32_t y, int32_t offsetX, int32_t offsetY);
};

/** A piece of a body sprite: one animation frame with the hue it is drawn in. */
struct SpritePiece {
    const AnimRecord* record = nullptr;
    const AnimFrame* frame = nullptr;
    uint16_t hue = 0;
    bool mirrored = false;
    /** A darkening pass under the frame's runs precedes the frame. */
    bool shadow = false;
    /** The mount (layer 25): its width widens the rectangle by half again. */
    bool mount = false;
};

/** The sprite of a corpse, mobile or player: its anchor and its pieces in drawing order. */
struct Sprite {
    int32_t x = 0;
    int32_t foot = 0;
    std::vector<SpritePiece> pieces;
};

namespace WorldDrawing {

/** The column and row keys of a cell (map width from the map manager). */
int32_t ColumnKey(int32_t x, int32_t y);
int32_t RowKey(int32_t x, int32_t y);

/** The order key of an item by its class. */
int32_t OrderKey(const CDrawItem& item);
/** Computes the rectangle (and the cell shift) of an item by its class. */
void CalcScreenRect(CDrawItem& item);
/** The hidden rules of an item's class. */
int IsHidden(const CDrawItem& item);
/** Paints an item clipped to a rectangle of world pixels into the blit target (play-area pixels). */
void DrawClip(CDrawItem& item, const WorldRect& clip);
/** Lists and unlists items of every class (corpses and mobiles by their own rule, with their bands). */
void AddToDrawList(CDrawItem& item);
void RemoveFromDrawList(CDrawItem& item);
/** The pixel test of an object at a world point: art pixels for items, frame runs for bodies; true for other items. */
bool ObjectHit(const CDrawItem& item, int32_t worldX, int32_t worldY);

/** The anchor of a mobile's sprite: x, and the foot line's y (world pixels). */
void GetSpriteAnchor(const CMobile& mobile, int32_t& x, int32_t& foot);
/** The sprite of a corpse, mobile or player with its pieces (empty when it has no frame). */
Sprite SpriteOf(const CContainerObj& body);
/** The rectangle of a sprite: every piece's frame box, a mount widened; the empty one at the anchor without pieces. */
WorldRect SpriteRect(const Sprite& sprite);
/** The art image an item shows (coins by amount, flesh censored), or -1. */
int32_t ItemArtId(const CObj& item);
/** Drawn twice, the second 5 pixels right and down: stackable, not a coin, more than one. */
bool IsDrawnDoubled(const CObj& item);

/** The notoriety hue of a class 0..6 (0, 89, 63, 946, 946, 144, 34); 0 for none or another class. */
uint16_t GetNotorietyHue(const CMobile* mobile);
/** 1 when another worn item hides the layer. */
int IsLayerHidden(int32_t layer, const CObj* const* slots);
/** 1 when the item's tile layer is hair or facial hair. */
int IsHairItem(const CObj* item);
/** The mount animation of a mount item graphic (200 when not listed). */
int32_t MountAnimation(int32_t graphic);
/** The tree range (0..8) of a graphic, or -1. */
int32_t TreeRange(int32_t graphic);
/** The worn-layer drawing order of a direction (25 layers). */
const int32_t* LayerOrder(int32_t direction);

/** Frame pixel test: a point on a run of the frame drawn at (x, foot). */
bool FrameHit(const AnimFrame& frame, int32_t x, int32_t foot, bool mirrored, int32_t px, int32_t py);
/**
 * Draws a frame of a record at (x, foot) into the blit target, clipped to a rectangle of the
 * target's pixels, in the colour mode of the hue word; with shadow, first halves every target
 * pixel under the runs.
 */
void DrawFrame(const AnimRecord& record, const AnimFrame& frame, int32_t x, int32_t foot, bool mirrored, uint16_t hue,
               bool shadow, const BlitRect& clip);

/** The four corner light levels (0..15) of a sloped cell from the corner heights of the 3 x 3 cells around it. */
void SlopedCornerLights(int32_t x, int32_t y, uint8_t out[4]);

} // namespace WorldDrawing
