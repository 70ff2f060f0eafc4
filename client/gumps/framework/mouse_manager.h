/** @file The mouse manager: for now the least the application core asks of it (pointer, cursor kind, redraw mark). */
#pragma once

#include "client/core/mouse_services.h"

// Only what the start-up, the window procedure, the mouse timer and the game tick need until
// the gump framework brings the full manager: it keeps the pointer position and the requested
// cursor kind, and marks the cursor when it must be drawn again. Its position lock comes after
// the core's display lock (client/core/display_lock.h) in the lock order.
namespace MouseManager {

/** Clears the state. */
void startup();
void shutdown();
void LoadCursors();
/** The interface pass of the game tick. */
void Update();
void EnableSoftwareCursor(int on);
bool SoftwareCursorEnabled();
/** Requests a cursor kind (17 normal, 19 target); drawn at the next cursor draw. */
void SetCursor(int kind);
int CurrentCursor();
void BeginWait();
void EndWait();
int WaitCount();

void OnLButtonDown(int x, int y);
void OnLButtonUp(int x, int y);
void OnRButtonDown(int x, int y);
void OnRButtonUp(int x, int y);
void OnMouseMove(int x, int y);
/** Chooses the cursor kind; true when it differs from the one drawn last. */
bool UpdateCursorShape();
void GetPosition(int& x, int& y);

/**
 * Called by the mouse timer thread when the pointer moved or the cursor changed. Only the main
 * thread may present, so this marks the cursor; the main loop presents when it finds the mark.
 */
void DrawCursor(int flag);
/** Takes the mark that DrawCursor set (main thread). */
bool TakeCursorRedraw();
/** At the start and the end of a presented frame: the cursor goes into the back buffer, then out. */
void PollCursor();
void FlushCursor();

/** The manager as the application core calls it; installed by the start-up. */
MouseServices& services();

} // namespace MouseManager
