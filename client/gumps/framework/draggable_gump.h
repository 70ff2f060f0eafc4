/** @file The common window behaviour: raise on press, the click pattern, drag to move, right-button close. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>

/**
 * The click pattern every in-game window shares. A press starts a click and takes the time; a
 * second press within the double-click time makes a double click; a move of more than 4 pixels
 * in x or y while pressed, or a press held past the double-click time, starts a drag and cancels
 * the click; a lone press fires its single click once the double-click time has passed.
 */
class GumpClickState {
public:
    enum class Event { None, SingleClick, DoubleClick, DragStart };

    /** A left press at (x, y); DoubleClick when it is the second within the time. */
    Event press(int x, int y, uint32_t now, uint32_t doubleClickTime);
    void release();
    /** The pointer at (x, y) while pressed: DragStart once the drag begins. */
    Event move(int x, int y, uint32_t now, uint32_t doubleClickTime);
    /** SingleClick once a lone press's time has passed. */
    Event tick(uint32_t now, uint32_t doubleClickTime);
    bool dragging() const { return dragging_; }
    bool pressed() const { return pressed_; }
    int state() const { return state_; }
    void reset();

private:
    int state_ = 0; // 0 none, 1 pressed once, 2 double click taken
    bool pressed_ = false;
    bool dragging_ = false;
    uint32_t pressTick_ = 0;
    int pressX_ = 0;
    int pressY_ = 0;
};

/**
 * A window that the player moves by dragging it and closes with the right button (when it
 * answers IsClosable). The single and double clicks and the start of a drag reach the virtual
 * operations below; by default a drag moves the window, keeping it on the screen.
 */
class CDraggableGump : public CGump {
public:
    using CGump::CGump;

    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;

    virtual void OnSingleClick(int /*x*/, int /*y*/) {}
    virtual void OnDoubleClick(int /*x*/, int /*y*/) {}
    /** A drag began at the press point; true when the window is moved by it. */
    virtual bool OnDragStart(int /*x*/, int /*y*/) { return true; }

    const GumpClickState& clicks() const { return clicks_; }

protected:
    CDraggableGump() = default;

private:
    GumpClickState clicks_;
    bool moving_ = false;
};
