/** @file The check box. */
#include "client/gumps/framework/toggle_control_gump.h"

#include "client/data/art_blit.h"
#include "client/data/font_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/mouse_manager.h"

#include <algorithm>

CToggleControlGump::CToggleControlGump(int x0, int y0, CGump* owner, int uncheckedArt, int checkedArt, int font,
                                       int labelColour, const char* label, int initiallyTicked, int disabled0,
                                       int disabledTicked)
{
    name = "ToggleControl gump";
    x = x0;
    y = y0;
    uncheckedArt_ = uncheckedArt;
    tickedArt = checkedArt;
    disabledArt = disabled0;
    disabledTickedArt = disabledTicked;
    ticked = initiallyTicked != 0 ? 1 : 0;
    GetGumpArtSize(uncheckedArt, &boxWidth_, &boxHeight_);
    int32_t textWidth = 0, textHeight = 0, baseline = 0;
    if (label != nullptr)
        FontManager::GetStringExtent(font, label, &textWidth, &textHeight, &baseline);
    width = (boxWidth_ + textWidth + 4 + 1) & ~1;
    height = boxHeight_;
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    if (label != nullptr && bitmap != nullptr && bitmap->height > 0) {
        PixelSurface surface{bitmap->pixels.data(), bitmap->stride(), bitmap->width, bitmap->height};
        const BlitRect clip{0, 0, bitmap->width, bitmap->height};
        // The label's baseline sits at (box height - text height) / 2 + its baseline + 2; DrawString
        // takes the line's top, which is that less the baseline.
        FontManager::DrawString(boxWidth_ + 4, (boxHeight_ - textHeight) / 2 + 2, font, labelColour, label, surface,
                                clip);
    }
    Redraw();
    if (owner != nullptr)
        AttachToParent(owner);
}

void CToggleControlGump::Redraw()
{
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr)
        return;
    const int boxW = std::min<int>(boxWidth_, bitmap->width);
    for (int row = 0; row < bitmap->height; ++row)
        std::fill_n(bitmap->row(row), boxW, 0);
    int art = 0;
    if (hovered != 0 && hoverArt != 0)
        art = ticked != 0 ? hoverTickedArt : hoverArt;
    else if (disabled != 0)
        art = ticked != 0 ? disabledTickedArt : disabledArt;
    else
        art = ticked != 0 ? tickedArt : uncheckedArt_;
    if (art > 0)
        DrawGumpArt(CopySpanTransparent, art, 0, 0, bitmap->pixels.data(), bitmap->stride(), bitmap->height);
}

bool CToggleControlGump::HitTest(int px, int py)
{
    GumpBitmap* bitmap = Frame(0);
    return bitmap != nullptr && px >= 0 && py >= 0 && px < bitmap->width && py < bitmap->height;
}

void CToggleControlGump::OnLButtonDown(int px, int py)
{
    if (CGump* owner = Parent())
        owner->BringToFront(false);
    pressed = 1;
    grabX = px;
    grabY = py;
}

void CToggleControlGump::OnLButtonUp(int, int)
{
    pressed = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (disabled != 0)
        return;
    ticked = ticked != 0 ? 0 : 1;
    Redraw();
    if (CGump* owner = Parent())
        owner->OnChildChanged(this);
}

void CToggleControlGump::OnRButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (CGump* owner = Parent())
        owner->OnRButtonUp(px, py);
}

void CToggleControlGump::OnMouseOver(int, int)
{
    if (hovered == 0) {
        hovered = 1;
        if (hoverArt != 0)
            Redraw();
    }
    if (disabled == 0)
        MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CToggleControlGump::OnMouseLeave()
{
    hovered = 0;
    if (hoverArt != 0)
        Redraw();
}
