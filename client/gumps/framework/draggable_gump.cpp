/** @file The common window behaviour. */
#include "client/gumps/framework/draggable_gump.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "platform/platform.h"

#include <cstdlib>

namespace {

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

} // namespace

GumpClickState::Event GumpClickState::press(int x, int y, uint32_t now, uint32_t doubleClickTime)
{
    pressed_ = true;
    dragging_ = false;
    if (state_ == 1 && now - pressTick_ <= doubleClickTime) {
        state_ = 2;
        return Event::DoubleClick;
    }
    state_ = 1;
    pressTick_ = now;
    pressX_ = x;
    pressY_ = y;
    return Event::None;
}

void GumpClickState::release()
{
    pressed_ = false;
    dragging_ = false;
    if (state_ == 2)
        state_ = 0;
}

GumpClickState::Event GumpClickState::move(int x, int y, uint32_t now, uint32_t doubleClickTime)
{
    if (!pressed_ || dragging_ || state_ != 1)
        return Event::None;
    if (std::abs(x - pressX_) > 4 || std::abs(y - pressY_) > 4 || now - pressTick_ > doubleClickTime) {
        dragging_ = true;
        state_ = 0;
        return Event::DragStart;
    }
    return Event::None;
}

GumpClickState::Event GumpClickState::tick(uint32_t now, uint32_t doubleClickTime)
{
    if (state_ != 1 || now - pressTick_ <= doubleClickTime)
        return Event::None;
    if (pressed_) {
        // Held past the double-click time: a drag, not a click.
        dragging_ = true;
        state_ = 0;
        return Event::DragStart;
    }
    state_ = 0;
    return Event::SingleClick;
}

void GumpClickState::reset()
{
    *this = GumpClickState();
}

void CDraggableGump::OnLButtonDown(int px, int py)
{
    BringToFront(false);
    grabX = px;
    grabY = py;
    moving_ = false;
    if (clicks_.press(px, py, tickNow(), MouseManager::DoubleClickTime()) == GumpClickState::Event::DoubleClick)
        OnDoubleClick(px, py);
}

void CDraggableGump::OnLButtonUp(int, int)
{
    clicks_.release();
    moving_ = false;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CDraggableGump::OnRButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (IsClosable() != 0)
        CGumpManager::DestroyGump(this);
}

void CDraggableGump::OnDrag(int px, int py)
{
    if (clicks_.move(px, py, tickNow(), MouseManager::DoubleClickTime()) == GumpClickState::Event::DragStart)
        moving_ = OnDragStart(grabX, grabY);
    if (moving_ && clicks_.dragging() && (px != grabX || py != grabY))
        MoveBy(px - grabX, py - grabY, true, nullptr, true);
}

void CDraggableGump::OnMouseTick()
{
    switch (clicks_.tick(tickNow(), MouseManager::DoubleClickTime())) {
    case GumpClickState::Event::SingleClick:
        OnSingleClick(grabX, grabY);
        break;
    case GumpClickState::Event::DragStart:
        moving_ = OnDragStart(grabX, grabY);
        break;
    default:
        break;
    }
}
