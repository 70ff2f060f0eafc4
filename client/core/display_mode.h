/** @file The display: the 16-bit back buffer, its row copiers, the full-screen mode and the intro movie. */
#pragma once

#include "platform/window/window.h"

#include <cstdint>
#include <vector>

// The client draws every frame into a 16-bit back buffer in memory (5-5-5, or 5-6-5 with use565)
// and presents it on the main window. The back buffer is a wrap-around buffer: the screen's first
// pixel is at ViewBufferOffset minus the view scroll, wrapped by its size.

extern int ScreenWidth;
extern int ScreenHeight;
/** The back buffer, ScreenWidth x ScreenHeight pixels, top row first. */
extern std::vector<uint16_t> BackBuffer;
/** A plain buffer of at least ScreenWidth x ScreenHeight x 2 bytes for the renderer's own use. */
extern std::vector<uint8_t> SecondBuffer;
/** Start offset of the wrap-around view in BackBuffer. */
extern uint32_t ViewBufferOffset;
/** The view scroll in pixels: columns and rows. */
extern int ViewScrollX;
extern int ViewScrollY;
/** Set while the window shows a full-screen mode. */
extern uint8_t FullScreenActive;
/** Set when the full-screen mode's surface takes 5-6-5 pixels. */
extern uint8_t SurfaceIs565;
/** Set when PageFlip asked for a flip chain; SDL always presents whole frames. */
extern uint8_t PageFlipActive;
/** Set while the intro movie plays. */
extern uint8_t IntroPlaying;

/** The window frames are presented on; null before it exists and after it is gone. */
void SetDisplayWindow(platform::Window* window);
platform::Window* DisplayWindow();

/** The play size from GamePlayWindowSize ("%dx%d"), 640 x 480 when it cannot be read. */
void GetPlaySize(int& width, int& height);

/** A back buffer of width x height pixels; returns its pixels. */
uint16_t* CreateBackBufferDIB(int width, int height);
/**
 * A back buffer of the present screen size, the second buffer grown to fit, the view offset at
 * 0, and the window's frame surface made to match (the full-screen mode's layout, else 5-5-5 or
 * 5-6-5 as use565 says). False when the window could not make that frame surface.
 */
bool RecreateBackBuffer();
void DeleteBackBufferBitmap();

/**
 * Copies count back-buffer pixels from buffer[start] into a locked surface, starting at the
 * screen position destIndex (row destIndex / width) and going to the next surface row where the
 * run crosses the screen width. The first converts 5-5-5 to 5-6-5 (red and green up one bit,
 * blue kept), the second copies as is. Runs that would leave the surface are cut.
 */
void CopyRows555To565(const platform::FrameSurface& surface, uint32_t destIndex, const uint16_t* buffer,
                      uint32_t start, uint32_t count);
void CopyRows(const platform::FrameSurface& surface, uint32_t destIndex, const uint16_t* buffer, uint32_t start,
              uint32_t count);

/**
 * Switches the window to full screen: in game the FullScreenRes mode, else 640 x 480, falling
 * back to 640 x 480; the screen size follows the mode. False when no mode could be set (the
 * window left as it was), and false after "Failed to create primary surface." when the mode was
 * set but its frame surface could not be made (the screen size back as it was; the caller
 * returns the window to its frame).
 */
bool CreateFullScreenSurfaces(bool inGame);
void ReleaseFullScreenSurfaces();

/**
 * Plays music/intro.wve, then music/intro.mpg, each from the data path or else the data-source
 * path, when it exists (both when both exist).
 */
void PlayIntroMovie();
/**
 * The intro of the start-up: played when ShowIntroAnim or ClientFirstLaunch is on; after a
 * first launch kz.cfg gets ClientFirstLaunch=no, so it plays only once.
 */
void PlayStartupIntro();
