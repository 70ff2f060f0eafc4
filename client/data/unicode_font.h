/** @file The three 1-bit Unicode fonts, the process-wide text state, and measuring, wrapping and drawing of 16-bit text. */
#pragma once

#include "client/core/unicode_string.h"
#include "client/data/font_manager.h"
#include "client/data/unicode_font_pixels.h"

#include <cstddef>
#include <cstdint>

// Font file (little-endian): 65536 u32 glyph offsets from the file start (0 = no glyph), and at
// each glyph s8 x offset, s8 y offset, s8 width, s8 height, then height rows of ceil(width / 8)
// bytes, bit 7 of a row's first byte the leftmost pixel. A glyph whose header or rows lie outside
// the file, or whose width or height is not positive, is absent.
//
// The text state (current font, style, spacing, colour codes) is one process-wide instance used
// by the game thread only. Every line is 18 pixels high; the underline lies 14 pixels below the
// line top. Drawing clips each pixel to the clip rectangle and to the surface.

constexpr int32_t kUnicodeFontCount = 3;
constexpr int32_t kUnicodeLineHeight = 18;

constexpr uint32_t kUnicodeStyleItalic = 0x1048;
constexpr uint32_t kUnicodeStyleBold = 0xB90;
constexpr uint32_t kUnicodeStyleUnderline = 0x10120;

/** Maps "unifont.mul", "unifont1.mul" and "unifont2.mul" found through FileManager; a missing file is fatal. */
void LoadUnicodeFont();
bool UnicodeFontsLoaded();
/**
 * Uses a font image held by the caller (not copied; must outlive its use) as font 0..2 and marks
 * the fonts loaded; null removes it. For tests and tools that have no installed files.
 */
void setUnicodeFontData(int32_t font, const uint8_t* data, size_t size);
/** Forgets every font and mapping and restores the default text state. */
void unloadUnicodeFonts();

int32_t UnicodeGetFont();
void UnicodeSetFont(int32_t font);
void UnicodeSetStyle(uint32_t style);
void UnicodeRestoreStyle();
uint32_t UnicodeGetStyle();
bool UnicodeStyleIsItalic();
bool UnicodeStyleIsBold();
bool UnicodeStyleIsUnderlined();
bool UnicodeStyleTestBit14();
bool UnicodeStyleTestBit15();
int32_t UnicodeGetSpaceWidth();
void UnicodeSetSpaceWidth(int32_t width);
bool UnicodeGetCompactSpacing();
void UnicodeSetCompactSpacing(bool on);
/** The "^" colour codes of the draws; a caller switches them on around one draw. */
void setUnicodeColorCodes(bool on);

/** The glyph rows of a character in the current font, or null; for the space only *width (the space width) is set. */
const uint8_t* UnicodeGetGlyph(WideChar character, int32_t* xOffset, int32_t* yOffset, int32_t* width, int32_t* height);
bool UnicodeHasGlyph(WideChar character);
int32_t UnicodeGetCharWidth(WideChar character);
/** The advance of each of count characters, as UnicodeGetCharWidth gives it, into widths. */
void UnicodeGetCharWidths(const WideChar* text, size_t count, int32_t* widths);
int32_t UnicodeGetStringWidth(const WideChar* text);
int32_t UnicodeGetWordWidth(const WideChar* text);
int32_t UnicodeGetStringWidthN(int32_t n, const WideChar* text);
int32_t UnicodeGetCharIndexAtX(const WideChar* text, int32_t x);
void UnicodeCalcInfo(const WideChar* text, int32_t* width, int32_t* height, int32_t* third);
void UnicodeCalcInfoWrap(const WideChar* text, int32_t wrapWidth, int32_t* widest, int32_t* height, int32_t* third);
void UnicodeGetStringWrapEndXY(int32_t n, const WideChar* text, int32_t wrapWidth, int32_t* x, int32_t* y);
int32_t UnicodeGetWrapIndexAtXY(const WideChar* text, int32_t wrapWidth, int32_t x, int32_t y);

void UnicodeDrawString(const PixelSurface& surface, const WideChar* text, int32_t x, int32_t y, uint16_t colour, const BlitRect& clip);
/**
 * As UnicodeDrawString; characters whose index lies in first..last (both included) use the second
 * colour. Rows, when given, grows to hold every row the draw may have written.
 */
void UnicodeDrawStringHighlighted(const PixelSurface& surface, const WideChar* text, int32_t x, int32_t y, uint16_t colour,
                                  const BlitRect& clip, uint16_t selectedColour, int32_t first, int32_t last,
                                  InkRows* rows = nullptr);
/**
 * A rectangle (right and bottom excluded) holding every pixel UnicodeDrawString(text, x, y, colour) can
 * set with the current font and style, before clipping; empty (left == right) when it sets none.
 */
BlitRect UnicodeGetStringInk(const WideChar* text, int32_t x, int32_t y, uint16_t colour);
/** Draws line by line, 18 pixels apart; returns the height used. */
int32_t UnicodeDrawStringWrapped(const PixelSurface& surface, int32_t wrapWidth, const WideChar* text, int32_t x, int32_t y,
                                 uint16_t colour, const BlitRect& clip, bool centre);
int32_t UnicodeDrawStringWrappedHighlighted(const PixelSurface& surface, int32_t wrapWidth, const WideChar* text, int32_t x,
                                            int32_t y, uint16_t colour, const BlitRect& clip, bool centre,
                                            uint16_t selectedColour, int32_t first, int32_t last);

/** True when a line may break between the two characters (the CJK rule; Latin text breaks at spaces). */
bool UnicodeCanBreakBetween(WideChar previous, WideChar next);
