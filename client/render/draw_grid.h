/** @file The draw grid's drawing and picking: one dirty rectangle painted back to front, the front-most item under a point, and the world's dirty marks made play-area rectangles. */
#pragma once

#include "client/data/art_blit.h"
#include "client/world/draw_item.h"
#include "client/world/world_draw_services.h"

#include <cstdint>
#include <functional>

// The grid's cell lists live in the world model (DrawMapThingie); the renderer walks them. Points
// and rectangles given here are play-area pixels (relative to the game area's corner); the view
// scroll turns them into world pixels.
class DrawGrid {
public:
    /** The world pixel of the play area's top-left corner. */
    static int32_t scrollX;
    static int32_t scrollY;

    /**
     * The world pass of one dirty rectangle: every item of the visible cells, back to front and
     * each cell list head to tail, whose rectangle touches the dirty one (edges included) is
     * drawn through its DrawClip with the rectangle in world pixels. A hidden object whose
     * graphic is translucent foliage (tile flag 0x20000) is drawn all the same, with
     * DrawingTranslucent() true for the length of its DrawClip; other hidden items are skipped.
     */
    static void DrawRect(const BlitRect& rect);
    /** True while DrawRect draws hidden foliage: the item's drawing then uses its translucent span. */
    static bool DrawingTranslucent();

    /**
     * What picking asks of the per-class drawing; each defaults to "yes" (or, for the circle,
     * "no") while empty.
     */
    struct PickHooks {
        /** The pixel test of an object at a world point (art pixel, animation frame pixels). */
        std::function<bool(const CDrawItem& item, int32_t worldX, int32_t worldY)> objectHit;
        /** False for land above the cut level in z-cut mode. */
        std::function<bool(const CDrawItem& land)> landPickable;
        /** True for an object inside the see-through circle while the circle is on. */
        std::function<bool(const CDrawItem& object)> insideSeeThroughCircle;
    };
    static PickHooks& pickHooks();
    /** The hooks of the world's classes (pixel tests, the z-cut rule); what pickHooks starts with. */
    static PickHooks worldPickHooks();

    /**
     * The front-most item under a play-area point: visible cells front to back, each list tail
     * to head; hidden items, wide-sprite bands and effects never count; land only without
     * excludeLand and only inside its diamond; objects by their pixel test. Null when none.
     */
    static CDrawItem* PickAt(int32_t x, int32_t y, bool excludeLand);
    /**
     * Among the land items whose rectangle holds the point, the one whose rectangle centre is
     * nearest by |dx| + |dy| (the first found, front to back, on a tie). Null when none.
     */
    static CDrawItem* PickNearestLand(int32_t x, int32_t y);

    /**
     * What the art updates ask of an item: the map land graphic of a land item and the art id
     * (graphic plus offset) of an object; -1 for an item that has none. The world's classes
     * answer unless others are installed (tests).
     */
    struct ArtHooks {
        std::function<int32_t(const CDrawItem& land)> landGraphicOf;
        std::function<int32_t(const CDrawItem& object)> itemArtOf;
    };
    static ArtHooks& artHooks();
    static ArtHooks worldArtHooks();
    /** Marks dirty every listed land item whose land graphic equals the id on its low 15 bits. */
    static void InvalidateLandGraphic(int32_t landId);
    /** Removes and adds again every listed non-mobile object showing the item art id. */
    static void ReinsertItemsWithArt(int32_t itemArtId);

    /** A world rectangle made play-area pixels and marked dirty. */
    static void InvalidateWorldRect(const WorldRect& rect);
};

/**
 * The renderer's side of the world model's drawing services: per-class placement, listing, hidden
 * rules and drawing (see world_drawing.h), dirty marks, whole-view redraws and the pick.
 */
class RenderWorldServices : public WorldDrawServices {
public:
    void CalcScreenRect(CDrawItem& item) override;
    void DrawClip(CDrawItem& item, const WorldRect& clip) override;
    int32_t OrderKey(const CDrawItem& item) override;
    int IsHidden(const CDrawItem& item) override;
    void AddToDrawList(CDrawItem& item) override;
    void RemoveFromDrawList(CDrawItem& item) override;
    void InvalidateWorldRect(const WorldRect& rect) override { DrawGrid::InvalidateWorldRect(rect); }
    void RedrawAll() override;
    CDrawItem* PickAt(int32_t x, int32_t y, int excludeLand) override { return DrawGrid::PickAt(x, y, excludeLand != 0); }
    void InvalidateLightArea(const CDrawItem& item) override;
    void AddSceneLight(int32_t delta) override;
    void InvalidateMobileLights(CMobile& mobile) override;
    /** While the player's steps are being shown the view stays on the player, not on the acknowledged centre. */
    void ViewCentred(int32_t x, int32_t y) override;
    void FollowPlayerStep(int32_t x, int32_t y, int32_t offsetX, int32_t offsetY, bool moved) override;
    void AnimatedListAdd(CMobile& mobile) override;
    /** The world stops an animation when the mobile walks or goes away: a pending death keeps the mobile. */
    void AnimatedListRemove(CMobile& mobile) override;
};
/** The instance the start-up installs (SetWorldDrawServices). */
RenderWorldServices& renderWorldServices();
