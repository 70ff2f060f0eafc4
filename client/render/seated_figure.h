/** @file Seated figures: a human on a seat is composed into one 64 x 128 buffer and copied to the screen through a seated pose's remap table. */
#pragma once

#include "client/data/art_blit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class CMobile;
class CObj;

/** One seat: the graphic, the facings it allows, the vertical offsets, the back overlay. */
struct SeatRow {
    int32_t graphic = 0;
    /** 0x1 facing 0, 0x2 facing 2, 0x4 facing 4, 0x8 facing 6; 0x10 only an idle mobile sits. */
    int32_t facingMask = 0;
    /** Moves the figure down: for seated facings 2 and 4, and for 0 and 6. */
    int32_t offset24 = 0;
    int32_t offset06 = 0;
    /** 0 none; 1 or 3: the seat is painted again over the figure's front. */
    int32_t backOverlay = 0;
};

/** Frame 0 of an animation record as the seated figure uses it. */
struct SeatedFrame {
    std::array<uint16_t, 256> palette{};
    int16_t centreX = 0;
    int16_t centreY = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    /** The run list after the frame header, up to the end of the record. */
    std::span<const uint8_t> runs;
};

/**
 * The composition of seated figures. One shared buffer and scratch state: every call composes
 * from scratch (main thread only). The remap tables are built before the first frame.
 */
class SkipDrawHandler {
public:
    static constexpr int32_t kWidth = 64;
    static constexpr int32_t kHeight = 128;
    static constexpr int32_t kSeatRows = 71;

    static void startup();
    /** The four remap tables (facings 0-1, 2-3, 4-5, 6-7); built once, idempotent. */
    static void BuildSeatTables();

    static const std::array<SeatRow, kSeatRows>& SeatTable();
    /** The row of a seat graphic, or -1. */
    static int32_t FindSeatRow(int32_t graphic);
    /** The row remembered by the last IsSeated that found a seat. */
    static int32_t RememberedRow();
    static void RememberRow(int32_t row);

    /**
     * The first of d, d + 1, d - 1, d + 2, d - 2, d + 3, d - 3 (mod 8) whose facing bit the
     * remembered seat has; d + 4 when none has.
     */
    static void SnapSeatDirection(int32_t& facing);

    /** Empties the buffer and sets the mirror flag for the next ComposeFrame. */
    static void ClearBuffer(bool mirrored);
    /**
     * Composes one frame's runs into the buffer (row y + 80, column x + 32 + i, mirrored
     * 32 - x - count onwards reversed); rows and columns outside the buffer are dropped. The
     * colour comes from the palette, through the hue of the hue word when it has one.
     */
    static void ComposeFrame(uint16_t hueWord, const std::array<uint16_t, 256>& palette, std::span<const uint8_t> runs);
    /**
     * Copies the buffer to the blit target through the remap table of the facing's pair: the
     * buffer's column 32 at anchorX and row 80 at footY + offset. Entries that are 0 leave the
     * screen unchanged; only pixels inside the clip are written.
     */
    static void BlitComposite(int32_t facing, int32_t anchorX, int32_t footY, int32_t offset, const BlitRect& clip);
    /** The composed pixel the remap table puts at (x, y) for the last BlitComposite's place; 0 for none. */
    static uint16_t GetCompositePixel(int32_t x, int32_t y);

    static const std::array<uint16_t, kWidth * kHeight>& Buffer();
    /** The buffer index that table t puts at (row, column). */
    static uint16_t RemapEntry(int32_t table, int32_t row, int32_t column);
    /** The vertical offset of the remembered row for a seated facing. */
    static int32_t SeatOffset(int32_t row, int32_t facing);
};

/** Reads frame 0 of an animation record; false when the record has no frames or is damaged. */
bool ReadSeatedFrame(std::span<const uint8_t> record, SeatedFrame& frame);

/**
 * 1 when the mobile sits: listed, a human body (400-999) that is not a ghost, not mid-step,
 * not mounted and (the player) without pending walk requests, standing within one z of a seat
 * in its own cell; an idle-only seat needs the idle flag. Remembers the seat row.
 */
int IsSeated(const CMobile& mobile, bool walkPending = false);
/** The seat IsSeated finds (its row remembered), or null when the mobile does not sit. */
CObj* SeatOf(const CMobile& mobile, bool walkPending = false);

/** The worn-layer order of a seated facing: 24 layers, the alternative order or the normal one. */
const std::array<uint8_t, 24>& SeatedLayerOrder(int32_t facing, bool alternative);

/** What the seated drawing asks of the data and of the mobile drawing. */
struct SeatedDrawHooks {
    /** The bytes of an animation record; empty when absent. Default: the animation files through the data cache. */
    std::function<std::span<const uint8_t>(int32_t record)> animationRecord;
    /** A worn layer another worn item hides. Default: the worn items' own rule (WorldDrawing::IsLayerHidden). */
    std::function<bool(const CMobile& mobile, int32_t layer)> isLayerHidden;
};
SeatedDrawHooks& seatedDrawHooks();

/** The record of frame 0 of a seated body: 35000 + (body - 400) x 175 + action x 5 + stored direction. */
int32_t SeatedRecordIndex(int32_t body, int32_t seatedFacing);

/**
 * Composes the seated mobile into the buffer: the facing snapped to the remembered seat, the
 * body and then its worn layers in the seated order, each through the body substitution.
 * forcedHue (0 for none) colours everything; ghostDiffers colours everything in hue 995.
 * Returns the seated facing.
 */
int32_t ComposeSeatedFigure(const CMobile& mobile, uint16_t forcedHue, bool ghostDiffers);
/**
 * Composes and copies the figure with its column 32 at anchorX and row 80 at footY (moved down
 * by the seat's offset). Returns the seated facing.
 */
int32_t DrawSeatedFigure(const CMobile& mobile, int32_t anchorX, int32_t footY, const BlitRect& clip, uint16_t forcedHue,
                         bool ghostDiffers);
/** Composes the figure as for drawing and answers the pixel at (x, y): 0 outside it. Nothing is drawn. */
uint16_t HitTestSeatedFigure(const CMobile& mobile, int32_t anchorX, int32_t footY, int32_t x, int32_t y);
/**
 * The seated mobile's rectangle: the union of the frames of the body and of worn layers 1-25
 * (not 21; the player leaves out hidden ones) at the anchor, widened by 16 on the left, right
 * and top and 32 below, then by half the excess of any attached effect's art that is larger.
 * Without a frame: the anchor point.
 */
BlitRect CalcSeatedRect(const CMobile& mobile, int32_t anchorX, int32_t footY);
