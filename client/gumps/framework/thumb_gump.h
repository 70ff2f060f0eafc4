/** @file The scroll thumb: dragged along its track, it reports its position to its parent. */
#pragma once

#include "client/gumps/framework/gump.h"

/**
 * A slider thumb kept in a track rectangle (relative to the parent). While dragged it calls the
 * parent's OnThumbMove with (position - track start, track length, thumb) along its axis, and
 * OnThumbRelease with the same values when let go.
 */
class CThumbGump : public CGump {
public:
    /** A thumb of the art's size at (x, y) on a track that ends at trackEnd, attached to owner. */
    CThumbGump(int x, int y, CGump* owner, int vertical, int trackEnd, int art);

    /** Puts the thumb at track start + position x (length + 1) / range, never past the end. */
    void SetPosition(int position, int range);

    void Draw(const GumpCanvas& canvas) override;
    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnDrag(int x, int y) override;
    int IsThumbGump() override { return 1; }

    int vertical = 0;
    int hovered = 0;
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
    uint16_t hoverArt = 0;
    int dragging = 0;

private:
    /** Position along the axis and the track's length. */
    void Report(int& position, int& range) const;
};
