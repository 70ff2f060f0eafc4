/** @file The mouse manager: pointer, capture, routing of button events to gumps, cursor choice, popup help, the software cursor. */
#pragma once

#include "client/core/mouse_services.h"

#include <cstdint>
#include <functional>

class CGump;
class CObj;

/**
 * Answers the mouse manager needs of the world and the renderer. Each is empty until its
 * subsystem installs it: then nothing lies under the pointer and the map is map 0.
 */
struct MouseWorldHooks {
    /** The front-most world object (not land) at a screen point, or null. */
    std::function<CObj*(int x, int y)> objectAt;
    /** The object's serial (0 when it has none). */
    std::function<uint32_t(CObj*)> serialOf;
    /** The map cell of the nearest land item under a screen point; false when there is none. */
    std::function<bool(int x, int y, int& cellX, int& cellY)> tileAt;
    /** The map the server put the player on. */
    std::function<int()> mapNumber;
    /** A highlighted object under the pointer is drawn plain again when the pointer leaves its gump. */
    std::function<void()> clearHighlight;
};

/**
 * The mouse layer between the window procedure and the gumps (process-wide). The pointer
 * position, the cursor kind and the drawn cursor may be touched by the mouse timer thread and
 * are guarded by locks taken in the order position, cursor, cursor rectangle (after the core's
 * display lock); everything that touches gumps runs on the main thread.
 */
namespace MouseManager {

/** Cursor kinds: war set 0-22, the peace set is the war kind + 23. */
inline constexpr int kCursorKinds = 46;
inline constexpr int kPeaceOffset = 23;
inline constexpr int kNormalCursor = 17;
inline constexpr int kWaitCursor = 20;

void startup();
void shutdown();
/** Reads the 39 cursor images from the static art (art ids 24659-24697) and their hot spots. */
void LoadCursors();
/** The per-tick step: popup help, drag to the capture, mouse-over and leave, ticks. */
void Update();

void OnLButtonDown(int x, int y);
void OnLButtonUp(int x, int y);
void OnRButtonDown(int x, int y);
void OnRButtonUp(int x, int y);
/** Stores the pointer (client pixels) and chooses the cursor shape. */
void OnMouseMove(int x, int y);
/** The pointer position in screen pixels. */
void GetPosition(int& x, int& y);

void SetCapture(CGump* gump);
CGump* Capture();
/** Drops every pointer to a dying gump. */
void ForgetGump(CGump* gump);

/** Requests a cursor kind (0 = the walk arrows apply). */
void SetCursor(int kind);
int GetCursor();
/** The requested kind. */
int RequestedCursor();
bool IsCursorDirty();
void BeginWait();
void EndWait();
int WaitCount();
/** 0-7 clockwise from screen up, by the pointer's place around the game area's centre; -1 outside it unless anyPlace. */
int GetDirection(bool anyPlace);
bool IsNearCenter();
bool GetTileUnderPoint(int x, int y, int& cellX, int& cellY);
/** Chooses the cursor kind from the pointer and the game state; true when it changed. */
bool UpdateCursorShape();
/** The width of the present cursor image (0 before the images are loaded). */
int CursorWidth();
/** The hot spot of a cursor kind. */
void HotSpot(int kind, int& x, int& y);
/** The system's double-click time in milliseconds. */
uint32_t DoubleClickTime();

void EnableSoftwareCursor(int on);
bool SoftwareCursorEnabled();
/** The mouse timer asks for the cursor to be drawn again (any thread). */
void DrawCursor(int flag);
bool TakeCursorRedraw();
/** At present time: the cursor goes into the back buffer (its pixels kept), then out again. */
void PollCursor();
void FlushCursor();

/** Set while the popup help text asks to stay open. */
extern bool HelpHold;
/** The popup help state (0-4). */
int HelpState();
MouseWorldHooks& WorldHooks();

/** The manager as the application core calls it; installed by the start-up. */
MouseServices& services();

} // namespace MouseManager
