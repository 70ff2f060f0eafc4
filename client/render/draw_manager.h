/** @file The world view's dirty rectangles, the scroll of the wrap-around back buffer and the per-frame flush. */
#pragma once

#include "client/data/art_blit.h"

#include <cstdint>
#include <functional>
#include <span>

// The world view is drawn into the core's back buffer (ScreenWidth x ScreenHeight pixels, pitch
// ScreenWidth), which wraps around: play-area pixel (x, y) lives at buffer index
// y x W + x + O, less W x H once that reaches W x H, where O is the core's ViewBufferOffset.
// A scroll of the view moves O instead of copying pixels. The game area's corner on the screen
// (the core's ViewScrollX and ViewScrollY) is applied when the frame is presented, so the
// world is always drawn at the ring's origin. Rectangles here are play-area pixels
// {left, top, right, bottom}, right and bottom exclusive. Main thread only.

class DrawManager {
public:
    /** The list's room, and the capacity in force normally and while the big-list flag is set. */
    static constexpr int32_t kListRoom = 1024;
    static constexpr int32_t kNormalCapacity = 256;

    /**
     * What the flush calls beside the world pass. Each is skipped while empty; the world pass
     * is the draw grid's DrawGrid::DrawRect unless another is installed (tests).
     */
    struct FlushHooks {
        /** Paints the world into one rectangle; the drawing target is set for it. */
        std::function<void(const BlitRect& rect)> drawWorld;
        /** The light pass over the same rectangle (Lights::DrawLights unless another is installed). */
        std::function<void(const BlitRect& rect)> lights;
        /** True while a placement preview follows the pointer. */
        std::function<bool()> previewActive;
        /** Places the preview under the pointer (before the rectangles are drawn). */
        std::function<void()> placePreview;
        /** Deletes the preview objects (after; their rectangles are marked with the big list). */
        std::function<void()> clearPreview;
    };
    static FlushHooks& hooks();

    /** Logs the start and empties the dirty list; once, from the start-up sequence. */
    static void startup();

    /** Marks a rectangle dirty; split where it crosses the buffer's wrap point. Null is logged. */
    static void DirtyRect(const BlitRect* rect);
    /** Inserts a rectangle that lies on one side of the wrap point, keeping the list disjoint. */
    static void DirtyRect_Internal(const BlitRect* rect);
    /** Marks the whole play area dirty and clears the back buffer (once per frame at most). */
    static void RedrawAll();
    /** The same even when a whole-view redraw is already pending. */
    static void ForceRedrawAll();
    /** Moves the wrap offset for a scroll of (dx, dy) (content moves right and down for positive values). */
    static void ScrollBuffer(int32_t dx, int32_t dy);
    /** ScrollBuffer, then marks the uncovered strips dirty. */
    static void ScrollView(int32_t dx, int32_t dy);
    /** The per-frame flush: every pending rectangle cleared, drawn and lit; then the list is emptied. */
    static void RedrawDirtyRects();

    /** The pending rectangles, in list order. */
    static std::span<const BlitRect> DirtyList();
    static bool FullRedrawPending();
    static bool BigListFlag();
    static void SetBigListFlag(bool on);
    /** Empties the list and clears the flags (start-up and tests); the wrap offset is kept. */
    static void ResetDirtyState();

    /**
     * The drawable play area: the play size, cut to the back buffer (a play window larger than
     * the screen draws only what the buffer holds).
     */
    static BlitRect PlayArea();
    /**
     * Points the blit target at the ring for a rectangle that lies on one side of the wrap
     * point: buffer + O, or buffer + O - W x H past the wrap point. The rectangle's pixels are
     * then addressed as y x W + x from that base.
     */
    static void SetTargetFor(const BlitRect& rect);
    /** The base the last SetTargetFor chose, and whether it lies past the wrap point. */
    static uint16_t* TargetBase();
    /** The back buffer's pixel count, W x H; 0 when there is no back buffer. */
    static uint64_t RingSize();
    /**
     * Calls visit for each row of a play-area rectangle (inside the play area) with its pixels
     * in the ring: once, or twice where the row passes the buffer's end.
     */
    static void VisitRows(const BlitRect& rect, const std::function<void(uint16_t* pixels, int32_t count)>& visit);
    /** Cuts a rectangle at the wrap point into up to four pieces (the same cut DirtyRect makes). */
    static int32_t SplitAtWrap(const BlitRect& rect, BlitRect (&pieces)[4]);
};
