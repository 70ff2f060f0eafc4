/** @file The four strips around the game area: their tiled art and dragging the game area across the screen. */
#include "client/gumps/game/world_view.h"

#include "client/core/display_mode.h"
#include "client/data/gump_art.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/render/draw_manager.h"
#include "client/render/graphic_manager.h"

#include <array>

namespace {

constexpr int kAcrossArt = 2700;
constexpr int kDownArt = 2701;

std::array<GameAreaEdgeGump*, 4> g_edges{};

/** Moves the game area's corner on the screen; the framework and the whole screen follow. */
void moveGameArea(int left, int top)
{
    GraphicManager::SetGameAreaCorner(left, top);
    CGumpManager::SetGameArea(
        {left, top, left + GraphicManager::GetPlayWidth(), top + GraphicManager::GetPlayHeight()});
    DrawManager::RedrawAll();
    CGumpManager::AddDirty({0, 0, ScreenWidth, ScreenHeight});
}

} // namespace

GameAreaEdgeGump::GameAreaEdgeGump(int which0) : which(which0)
{
    name = "GameAreaEdgeGump";
    SetFrameCount(1);
    const ArtSize across = GumpArtExtent(kAcrossArt);
    const ArtSize down = GumpArtExtent(kDownArt);
    const int w = GraphicManager::GetPlayWidth(), h = GraphicManager::GetPlayHeight();
    switch (which) {
    case 0:
    case 1:
        width = w + 2 * down.w;
        height = across.h;
        x = -down.w;
        y = which == 0 ? -across.h : h;
        break;
    default:
        width = down.w;
        height = h;
        x = which == 2 ? -down.w : w;
        y = 0;
        break;
    }
    if (width > 0 && height > 0) {
        GumpBitmap* bitmap = MakeFrame(0, width, height);
        const ClipRect clip{0, 0, width, height};
        const bool horizontal = which < 2;
        const int art = horizontal ? kAcrossArt : kDownArt;
        const int step = horizontal ? across.w : down.h;
        for (int at = 0; step > 0 && at < (horizontal ? width : height); at += step)
            DrawGumpArtClipped(CopySpanTransparent, art, clip, horizontal ? at : 0, horizontal ? 0 : at,
                               bitmap->pixels.data(), bitmap->stride(), bitmap->height);
    }
    AttachToParent(nullptr);
}

GameAreaEdgeGump::~GameAreaEdgeGump()
{
    for (GameAreaEdgeGump*& edge : g_edges)
        if (edge == this)
            edge = nullptr;
}

void GameAreaEdgeGump::OnLButtonDown(int px, int py)
{
    GumpToScreenCoords(px, py);
    const GumpRect area = CGumpManager::GameArea();
    dragging = 1;
    grabOffsetX = px - area.left;
    grabOffsetY = py - area.top;
}

void GameAreaEdgeGump::OnLButtonUp(int, int)
{
    dragging = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void GameAreaEdgeGump::OnDrag(int px, int py)
{
    if (dragging == 0)
        return;
    GumpToScreenCoords(px, py);
    const GumpRect area = CGumpManager::GameArea();
    const int w = GraphicManager::GetPlayWidth(), h = GraphicManager::GetPlayHeight();
    int dx = px - area.left - grabOffsetX;
    int dy = py - area.top - grabOffsetY;
    if (area.left + dx < 0)
        dx = -area.left;
    if (area.top + dy < 0)
        dy = -area.top;
    if (area.left + dx + w > ScreenWidth)
        dx = ScreenWidth - area.left - w;
    if (area.top + dy + h > ScreenHeight)
        dy = ScreenHeight - area.top - h;
    if (dx == 0 && dy == 0)
        return;
    moveGameArea(area.left + dx, area.top + dy);
}

GameAreaEdgeGump* GameAreaEdge(int which)
{
    return which >= 0 && which < 4 ? g_edges[static_cast<size_t>(which)] : nullptr;
}

void CreateGameAreaEdgeGumps()
{
    for (int which = 0; which < 4; ++which)
        g_edges[static_cast<size_t>(which)] = new GameAreaEdgeGump(which);
}

void RebuildGameAreaEdgeGumps()
{
    for (GameAreaEdgeGump* edge : g_edges)
        if (edge != nullptr && IsLiveGump(edge))
            CGumpManager::DestroyGump(edge);
    g_edges = {};
    DrawManager::RedrawAll();
    CreateGameAreaEdgeGumps();
    CGumpManager::AddDirty({0, 0, ScreenWidth, ScreenHeight});
}
