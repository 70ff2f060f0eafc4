/** @file The mouse manager as the application core sees it. */
#include "client/gumps/framework/mouse_manager.h"

#include <atomic>
#include <mutex>

namespace MouseManager {

namespace {

platform::RecursiveLock g_displayLock;
std::mutex g_positionLock; // after the display lock
std::atomic<int> g_x{0};
std::atomic<int> g_y{0};
std::atomic<int> g_cursor{17};
std::atomic<int> g_drawnCursor{17};
std::atomic<int> g_softwareCursor{0};
std::atomic<int> g_waitCount{0};
std::atomic<bool> g_redraw{false};
ButtonCounts g_buttons;

void record(int& counter, int x, int y)
{
    std::lock_guard<std::mutex> lock(g_positionLock);
    ++counter;
    g_buttons.lastX = x;
    g_buttons.lastY = y;
}

} // namespace

void startup()
{
    std::lock_guard<std::mutex> lock(g_positionLock);
    g_x = 0;
    g_y = 0;
    g_cursor = 17;
    g_drawnCursor = 17;
    g_softwareCursor = 0;
    g_waitCount = 0;
    g_redraw = false;
    g_buttons = ButtonCounts{};
}

void shutdown() {}
void LoadCursors() {}
void Update() {}

void EnableSoftwareCursor(int on)
{
    g_softwareCursor = on != 0 ? 1 : 0;
}

bool SoftwareCursorEnabled()
{
    return g_softwareCursor != 0;
}

void SetCursor(int kind)
{
    g_cursor = kind;
}

int CurrentCursor()
{
    return g_cursor;
}

void BeginWait()
{
    ++g_waitCount;
}

void EndWait()
{
    int n = g_waitCount.load();
    while (n > 0 && !g_waitCount.compare_exchange_weak(n, n - 1)) {
    }
}

int WaitCount()
{
    return g_waitCount;
}

void OnLButtonDown(int x, int y) { record(g_buttons.leftDown, x, y); }
void OnLButtonUp(int x, int y) { record(g_buttons.leftUp, x, y); }
void OnRButtonDown(int x, int y) { record(g_buttons.rightDown, x, y); }
void OnRButtonUp(int x, int y) { record(g_buttons.rightUp, x, y); }

void OnMouseMove(int x, int y)
{
    std::lock_guard<std::mutex> lock(g_positionLock);
    g_x = x;
    g_y = y;
}

bool UpdateCursorShape()
{
    return g_cursor.load() != g_drawnCursor.load();
}

void GetPosition(int& x, int& y)
{
    std::lock_guard<std::mutex> lock(g_positionLock);
    x = g_x;
    y = g_y;
}

void DrawCursor(int)
{
    g_drawnCursor = g_cursor.load();
    g_redraw = true;
}

bool TakeCursorRedraw()
{
    return g_redraw.exchange(false);
}

void PollCursor() {}
void FlushCursor() {}

platform::RecursiveLock& DisplayLock()
{
    return g_displayLock;
}

ButtonCounts Buttons()
{
    std::lock_guard<std::mutex> lock(g_positionLock);
    return g_buttons;
}

} // namespace MouseManager
