/** @file What the application core asks of the mouse manager: pointer, buttons and the software cursor. */
#pragma once

/**
 * The mouse manager's operations that the start-up, the window procedure, the mouse timer and
 * the game tick call. The gump framework installs its manager when the mouse manager starts;
 * until then every call does nothing. The mouse timer thread calls GetPosition,
 * UpdateCursorShape, OnMouseMove and DrawCursor, so an implementation guards its own state
 * (its locks come after the display lock); the others run on the main thread.
 */
class MouseServices {
public:
    virtual ~MouseServices() = default;
    /** The interface pass of the game tick. */
    virtual void Update() {}
    virtual void EnableSoftwareCursor(int /*on*/) {}
    /** Requests a cursor kind (17 normal, 19 target); drawn at the next cursor draw. */
    virtual void SetCursor(int /*kind*/) {}
    virtual void OnLButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnLButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnRButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnRButtonUp(int /*x*/, int /*y*/) {}
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    /** Chooses the cursor kind; true when it differs from the one drawn last. */
    virtual bool UpdateCursorShape() { return false; }
    /** The stored pointer position; left as given when there is none. */
    virtual void GetPosition(int& /*x*/, int& /*y*/) {}
    /** The mouse timer asks for the cursor to be drawn again (any thread). */
    virtual void DrawCursor(int /*flag*/) {}
    /** Takes the mark that DrawCursor set (main thread). */
    virtual bool TakeCursorRedraw() { return false; }
    /** At the start and the end of a presented frame: the cursor goes into the back buffer, then out. */
    virtual void PollCursor() {}
    virtual void FlushCursor() {}
    /** False while the cursor cannot be drawn into the frame (no cursor art): the system pointer shows. */
    virtual bool DrawsCursor() const { return true; }
};

/** Installs the mouse manager; null puts back the one that does nothing. Install before the mouse timer runs. */
void SetMouseServices(MouseServices* services);
MouseServices& mouseManager();
