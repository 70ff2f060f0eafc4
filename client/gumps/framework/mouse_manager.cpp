/** @file The mouse manager: for now the least the application core asks of it. */
#include "client/gumps/framework/mouse_manager.h"

#include <atomic>
#include <mutex>

namespace MouseManager {

namespace {

std::mutex g_positionLock; // after the core's display lock
std::atomic<int> g_x{0};
std::atomic<int> g_y{0};
std::atomic<int> g_cursor{17};
std::atomic<int> g_drawnCursor{17};
std::atomic<int> g_softwareCursor{0};
std::atomic<int> g_waitCount{0};
std::atomic<bool> g_redraw{false};

class CoreMouseServices final : public MouseServices {
public:
    void Update() override { MouseManager::Update(); }
    void EnableSoftwareCursor(int on) override { MouseManager::EnableSoftwareCursor(on); }
    void SetCursor(int kind) override { MouseManager::SetCursor(kind); }
    void OnLButtonDown(int x, int y) override { MouseManager::OnLButtonDown(x, y); }
    void OnLButtonUp(int x, int y) override { MouseManager::OnLButtonUp(x, y); }
    void OnRButtonDown(int x, int y) override { MouseManager::OnRButtonDown(x, y); }
    void OnRButtonUp(int x, int y) override { MouseManager::OnRButtonUp(x, y); }
    void OnMouseMove(int x, int y) override { MouseManager::OnMouseMove(x, y); }
    bool UpdateCursorShape() override { return MouseManager::UpdateCursorShape(); }
    void GetPosition(int& x, int& y) override { MouseManager::GetPosition(x, y); }
    void DrawCursor(int flag) override { MouseManager::DrawCursor(flag); }
    bool TakeCursorRedraw() override { return MouseManager::TakeCursorRedraw(); }
    void PollCursor() override { MouseManager::PollCursor(); }
    void FlushCursor() override { MouseManager::FlushCursor(); }
};

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

// No gumps yet to deliver a button to.
void OnLButtonDown(int, int) {}
void OnLButtonUp(int, int) {}
void OnRButtonDown(int, int) {}
void OnRButtonUp(int, int) {}

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

MouseServices& services()
{
    static CoreMouseServices services;
    return services;
}

} // namespace MouseManager
