/** @file The scroll thumb. */
#include "client/gumps/framework/thumb_gump.h"

#include "client/data/span_routines.h"
#include "client/gumps/framework/mouse_manager.h"

#include <algorithm>

CThumbGump::CThumbGump(int x0, int y0, CGump* owner, int isVertical, int trackEnd, int art)
{
    name = "Thumb gump";
    SetFrameCount(1);
    x = x0;
    y = y0;
    artId = art;
    int32_t w = 0, h = 0;
    GetGumpArtSize(art, &w, &h);
    width = w;
    height = h;
    vertical = isVertical;
    if (vertical != 0) {
        minX = maxX = x0;
        minY = y0;
        maxY = trackEnd - h;
    } else {
        minY = maxY = y0;
        minX = x0;
        maxX = trackEnd - w;
    }
    if (owner != nullptr)
        AttachToParent(owner);
}

void CThumbGump::SetPosition(int position, int range)
{
    int& at = vertical != 0 ? y : x;
    const int low = vertical != 0 ? minY : minX;
    const int high = vertical != 0 ? maxY : maxX;
    // An empty range has no place along the track but its start.
    const int64_t step = range > 0 ? static_cast<int64_t>(position) * (high - low + 1) / range : 0;
    at = static_cast<int>(std::min<int64_t>(low + step, high));
}

void CThumbGump::Report(int& position, int& range) const
{
    position = vertical != 0 ? y - minY : x - minX;
    range = vertical != 0 ? maxY - minY : maxX - minX;
}

void CThumbGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing || ScreenRect().intersect(canvas.clip).empty())
        return;
    int left = 0, top = 0;
    GumpToScreenCoords(left, top);
    const int art = hovered != 0 && hoverArt != 0 ? hoverArt : artId;
    canvas.drawArt(CopySpanTransparent, art, left, top);
}

bool CThumbGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CThumbGump::OnLButtonDown(int px, int py)
{
    dragging = 1;
    grabX = px;
    grabY = py;
}

void CThumbGump::OnDrag(int px, int py)
{
    if (dragging == 0)
        return;
    const int newX = std::clamp(x + (px - grabX), minX, std::max(minX, maxX));
    const int newY = std::clamp(y + (py - grabY), minY, std::max(minY, maxY));
    if (newX != x || newY != y)
        MoveBy(newX - x, newY - y, true, nullptr, true);
    if (CGump* owner = Parent()) {
        int position = 0, range = 0;
        Report(position, range);
        owner->OnThumbMove(position, range, this);
    }
}

void CThumbGump::OnLButtonUp(int, int)
{
    dragging = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (CGump* owner = Parent()) {
        int position = 0, range = 0;
        Report(position, range);
        owner->OnThumbRelease(position, range, this);
    }
}

void CThumbGump::OnRButtonDown(int px, int py)
{
    if (CGump* owner = Parent())
        owner->OnRButtonDown(px, py);
}

void CThumbGump::OnRButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (CGump* owner = Parent())
        owner->OnRButtonUp(px, py);
}

void CThumbGump::OnMouseOver(int, int)
{
    MouseManager::SetCursor(MouseManager::kNormalCursor);
    hovered = 1;
}

void CThumbGump::OnMouseLeave()
{
    hovered = 0;
}
