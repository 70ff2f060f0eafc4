/** @file The hue pickers: the colour grid of character creation and the hue picker window. */
#pragma once

#include "client/gumps/framework/message_gumps.h"

#include <cstdint>
#include <string>
#include <vector>

class CThumbGump;

/**
 * A grid of hue swatches. Kind 0: 8 x 8 cells over hues 1001..1057; kinds 1 and 2: 8 x 6 over
 * 1101..1148; kinds 3 to 5: 50 x 20 over 1..1001 (any other kind is taken as 0). The cells fill
 * the control, the remainder split into equal margins. A press or a drag selects the cell under
 * the pointer (kept within the grid) and tells the owner of the change.
 */
class CHueControl : public CDumbGump {
public:
    CHueControl(int x, int y, int width, int height, int kind, CGump* owner, int surfaceArgument, int random);

    /** Paints every cell in colour 16 of its hue and marks the selected cell's centre white. */
    void DrawSwatches();
    /** Selects the cell under (x, y), tells the owner, then paints. */
    void OnClick(int x, int y);
    /** Selects the cell under (x, y) while pressed, paints, then tells the owner. */
    void OnDrag(int x, int y) override;

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    int IsHueGump() override { return 1; }

    int Value(int row, int column) const { return values[static_cast<size_t>(row * columns + column)]; }

    int kind = 0;
    int rows = 0;
    int columns = 0;
    int firstValue = 0;
    int lastValue = 0;
    std::vector<int> values;
    int cellWidth = 0;
    int cellHeight = 0;
    int marginLeft = 0;
    int marginTop = 0;
    int usedWidth = 0;
    int usedHeight = 0;
    int selectedRow = 0;
    int selectedColumn = 0;
    int selectedValue = 0;
    CGump* owner = nullptr;
    int surfaceArgument = 0;
    int pressed = 0;

private:
    void selectAt(int x, int y);
};

/** A window that opens a hue picker in owner mode and takes the hue chosen. */
class HuePickerOwner {
public:
    virtual ~HuePickerOwner() = default;
    /** Hue field 0 or 1 of the window takes the hue. */
    virtual void SetHueField(int field, int hue) = 0;
    /** The window's hue-apply routine: the hue, or -1 when the choice was cancelled. */
    virtual void ApplyPickedHue(int hue) = 0;
};

/**
 * The hue picker window: a palette of 20 x 10 cells of 8 x 8 pixels at (34, 34), each cell
 * hue 2 + 100 row + 5 column + shade, a slider for the shade (0-4), an OK button, and beside the
 * palette the item's art, a preview art or a title in the current hue. Opened for an item by the
 * server (its close sends the choice back), or by a window (its close hands the hue to it).
 */
class CHueGump : public CGump {
public:
    static constexpr int kBackgroundArt = 2310;
    static constexpr int kPaletteLeft = 34;
    static constexpr int kPaletteTop = 34;
    static constexpr int kPaletteColumns = 20;
    static constexpr int kPaletteRows = 10;
    static constexpr int kCell = 8;

    /** Packet mode: the three fields of the server's request; centred, hue 3. */
    CHueGump(uint32_t serial, uint16_t value, uint16_t graphic);
    /** Owner mode (an owner window: its title is shown) or preview mode (no owner: the preview art is shown). */
    static CHueGump* CHueGumpWithTitle(int x, int y, int previewArt, CGump* owner, const char* title, int startHue);
    /** The server's request: the picker already open for the serial, or a new one attached at the top level. */
    static CHueGump* OpenForItem(uint32_t serial, uint16_t value, uint16_t graphic);
    ~CHueGump() override;

    /** Paints the palette, the marker of the hue and the title or the art beside it. */
    void DrawPalette(int hue);
    /** Takes shade s (0-4) keeping the hue's cell. */
    void SetShade(int s);
    /** The close request: nothing in packet mode; otherwise the choice is cancelled and the window closes. */
    void Cancel();
    /** The OK button: the window closes with the hue chosen. */
    void Accept();

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnThumbMove(int position, int range, CGump* thumb) override;
    void OnThumbRelease(int position, int range, CGump* thumb) override;
    int IsHueGump() override { return 1; }

    /** The hue of a palette point (in the window), or 0 outside the palette. */
    int HueAt(int x, int y) const;

    int shade = 0;
    int hue = 0;
    int pressedInPalette = 0;
    int pressed = 0;
    // Packet mode.
    int packetMode = 0;
    uint32_t serial = 0;
    uint16_t value = 0;
    uint16_t graphic = 0;
    int replyOnClose = 0;
    // Owner mode: which of the owner's hue fields take the hue, and whether its apply routine is called.
    CGump* owner = nullptr;
    std::string title;
    int setFirstField = 0;
    int setSecondField = 0;
    int callApply = 0;
    int cancelled = 0;
    // Preview mode.
    int previewArt = -1;

    CThumbGump* Thumb() const { return thumb_; }

private:
    CHueGump();
    void build();
    void stepShade(int delta);
    void stepDown() { stepShade(-1); }
    void stepUp() { stepShade(1); }
    void placeThumb();
    void drawBeside(GumpBitmap& bitmap);

    CThumbGump* thumb_ = nullptr;
};
