/** @file What the world model asks of the renderer: per-class drawing of world items, dirty rectangles, lights and the animated-mobile list. */
#pragma once

#include "client/world/draw_item.h"

#include <cstdint>

class CMobile;

/**
 * The renderer installs one of these at start-up. The world classes (land, statics, items,
 * corpses, mobiles, the player, preview pieces, wide-sprite bands) forward their drawing virtuals
 * here; the renderer tells the classes apart through the item's kind questions and casts to the
 * world class it needs. The defaults are what the world needs to run without a renderer (tests,
 * tools): the base list rules of CDrawItem, a rectangle of one 44 x 44 cell diamond, and nothing
 * drawn, dirtied or lit. Main thread only.
 */
class WorldDrawServices {
public:
    virtual ~WorldDrawServices() = default;

    /** Sets item.rect (and item.cellShift for classes with a cell shift). */
    virtual void CalcScreenRect(CDrawItem& item);
    virtual void DrawClip(CDrawItem& /*item*/, const WorldRect& /*clip*/) {}
    /** The order key of the item's class (the base: z). */
    virtual int32_t OrderKey(const CDrawItem& item) { return item.z; }
    /** The hidden rules of the item's class (the base: not listed). */
    virtual int IsHidden(const CDrawItem& item) { return item.inList == 0; }
    /** The insertion and removal of the item's class; the defaults are the base rules. */
    virtual void AddToDrawList(CDrawItem& item) { item.LinkIntoDrawList(); }
    virtual void RemoveFromDrawList(CDrawItem& item) { item.UnlinkFromDrawList(); }

    /** A rectangle in world pixels to redraw; the renderer subtracts its view scroll. */
    virtual void InvalidateWorldRect(const WorldRect& /*rect*/) {}
    /** Redraw the whole view. */
    virtual void RedrawAll() {}

    /** The light area of a light source changed (it joined or left the light list). */
    virtual void InvalidateLightArea(const CDrawItem& /*item*/) {}
    /** Adds to the scene's total light (the player's personal light). */
    virtual void AddSceneLight(int32_t /*delta*/) {}
    /** Re-lights a mobile's attached lights after a step frame. */
    virtual void InvalidateMobileLights(CMobile& /*mobile*/) {}

    /** The list of mobiles playing an action animation. */
    virtual void AnimatedListAdd(CMobile& /*mobile*/) {}
    virtual void AnimatedListRemove(CMobile& /*mobile*/) {}

    /**
     * The view centre moved to a cell (a step, a position reset, a map change): the view follows
     * it and the roof over the player is looked at again.
     */
    virtual void ViewCentred(int32_t /*x*/, int32_t /*y*/) {}
    /**
     * A step frame of the player was shown: the view follows its cell moved by the step's pixel
     * offsets; a changed cell looks at the roof over it again.
     */
    virtual void FollowPlayerStep(int32_t /*x*/, int32_t /*y*/, int32_t /*offsetX*/, int32_t /*offsetY*/, bool /*moved*/) {}

    /** The front-most item under a point of the play area (the draw grid's pick), or null. */
    virtual CDrawItem* PickAt(int32_t /*x*/, int32_t /*y*/, int /*excludeLand*/) { return nullptr; }

    /** The renderer redraws items showing this art id (graphic + offset) after a tile data change. */
    virtual void RedrawItemsWithArt(uint16_t /*artId*/) {}
    /** ... and land cells of this texture id. */
    virtual void RedrawLandWithTexture(uint16_t /*textureId*/) {}
};

/** Installs the renderer's services; null puts back the defaults. */
void SetWorldDrawServices(WorldDrawServices* services);
WorldDrawServices& worldDraw();
