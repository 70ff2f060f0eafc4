/** @file MonochromeMonitor: an 80x25 text screen kept in memory for debug output. */
#pragma once

#include <cstdint>

// Cells are two bytes, the character and the attribute 7. Nothing in the client reads the
// screen back; tests look at it through screen().
namespace MonochromeMonitor {

inline constexpr int SCREEN_WIDTH = 80;
inline constexpr int SCREEN_HEIGHT = 25;
inline constexpr int SCREEN_BYTES = SCREEN_WIDTH * SCREEN_HEIGHT * 2;

/** Clears the screen to spaces and homes the cursor; only the first call does anything. */
void startup();
/** Writes one character at the cursor; a newline moves to the start of the next row. */
void putchar(char c);
/** 0: debug level 0; 1: scroll mode off, level 1; 2: scroll mode on, level 2. */
void setMode(int mode);

const uint8_t* screen();
int cursorColumn();
int cursorRow();
int debugLevel();
bool scrollMode();
bool isStarted();

/** Back to the state before startup (tests). */
void resetForTests();

} // namespace MonochromeMonitor
