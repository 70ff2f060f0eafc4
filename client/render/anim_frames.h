/** @file Animation records of bodies and worn items: reading and checking a record, choosing a record and frame, and a frame's runs. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Record layout (little-endian): 256 palette colours (u16), u32 frame count, one u32 offset per
// frame counted from the end of the palette (0: no frame), and at each frame a header of four
// u16 (centre x, centre y (signed), width, height) followed by runs: a u32 header (bits 0-11 the
// length, bits 12-21 a signed row offset from the foot line, bits 22-31 a signed x offset from the
// sprite x) and one palette index a pixel; the list ends with 0x7FFF7FFF.
//
// A record is read once into host-order colours. Anything that reaches outside the record (the
// offset table, a frame header, a run or its pixels, a missing end mark) makes the whole record
// damaged: it draws nothing and is logged once.

struct AnimRun {
    int16_t x = 0;      // from the sprite x
    int16_t row = 0;    // from the foot line
    uint16_t length = 0;
    uint32_t pixel = 0; // first colour in AnimRecord::colors
};

struct AnimFrame {
    bool present = false;
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<AnimRun> runs;
};

struct AnimRecord {
    std::vector<AnimFrame> frames;
    /** Every run's pixels as 5-5-5 colours from the record's palette, run after run. */
    std::vector<uint16_t> colors;
};

/** Reads a record; null when it is damaged. */
std::unique_ptr<AnimRecord> ParseAnimRecord(const uint8_t* data, size_t size);

/** The record through the data cache (animation index and data files), parsed once and kept; null when absent or damaged. */
const AnimRecord* GetAnimRecord(int32_t record);
/** Forgets every kept record (tests, another install). */
void ClearAnimRecordCache();

/** The frame of a record, or null when the record or the frame is missing. */
const AnimFrame* GetAnimFrame(int32_t record, int32_t frame);

/** Where a body's frames are: the record number of an action and direction, and the mirror flag. */
struct AnimChoice {
    int32_t record = -1;
    int32_t frame = 0;
    bool mirrored = false;
};

/** Direction 0-7 to the stored direction 0-4, and whether the frame is mirrored (directions 0-2). */
int32_t AnimDirection(int32_t direction);
bool AnimMirrored(int32_t direction);

/** The layout of a body: base record, records per body, first body, actions. */
struct AnimLayout {
    int32_t base = 0;
    int32_t perBody = 110;
    int32_t firstBody = 0;
    int32_t actions = 22;
};
/** The layout of a body after substitution (kind 1 and most kind 0: 110; alt bodies and kind 2: 65; kinds 3, 4 and body 574: 175). */
AnimLayout LayoutOfBody(int32_t body);
/**
 * A body passed through the body substitution table (body.def): the first alternate of its
 * entry, else the body; 402 and 403 are drawn as 400 and 401. The entry's hue goes to *hue (0
 * when none).
 */
int32_t SubstituteBody(int32_t body, uint16_t* hue = nullptr);
/**
 * The record of (body, action, direction) after substitution; an action above 34 gives action 0
 * (and the caller frame 0); an action beyond the layout's actions gives -1.
 */
int32_t AnimRecordOf(int32_t body, int32_t action, int32_t direction);
/** The death action and its frame of a corpse of this body (amount) and direction (top bit running). */
void CorpseAction(int32_t body, int32_t direction, int32_t& action, int32_t& frame);
