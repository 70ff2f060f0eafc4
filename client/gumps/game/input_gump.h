/** @file The speech input line gump: the line the player types, shown at the bottom of the game area. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <vector>

/**
 * Shows the typed line (with its mode prefix and caret) at the left of the game area's bottom
 * edge. All input line gumps draw from one shared pixel buffer, grown when too small and never
 * shrunk. Main thread only.
 */
class CInputGump : public CGump {
public:
    /** A line of 8-bit text in a bitmap font. */
    CInputGump(const char* text, int32_t hue, int32_t font);
    /** A line of UTF-16 text in the Unicode speech font. */
    CInputGump(const char16_t* text, int32_t hue);

    /** Renders the line again; with FrameCounter on, the frame rate goes in front of it. */
    void Redraw(const char* text, int32_t hue, int32_t font);
    void RedrawUnicode(const char16_t* text, int32_t hue);

    void Draw(const GumpCanvas& canvas) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    int IsGameAreaRelative() override { return 1; }
    int IsInputGump() override { return 1; }
    int IsClosable() override { return 0; }

    /** The shared pixels (width x height of the last rendered line, rows width apart). */
    static const std::vector<uint16_t>& PixelFrameMemory();

private:
    /** Sizes the gump, places it on the bottom edge and makes the shared buffer hold it, cleared. */
    uint16_t* Prepare(int w, int h, bool unicode);
    void ReleaseCapture();

    uint32_t lastRedraw_ = 0;
};
