/** @file The button control. */
#include "client/gumps/framework/button_gump.h"

#include "client/data/span_routines.h"
#include "client/gumps/framework/mouse_manager.h"

CButtonGump::CButtonGump(int x0, int y0, CGump* owner, int buttonMode, int initialState, ButtonCallback onAct,
                         int normalArt, int pressed0, int value)
{
    name = "Button gump";
    SetFrameCount(2);
    x = x0;
    y = y0;
    mode = buttonMode;
    frameIndex = initialState != 0 ? 1 : 0;
    callback = onAct;
    artId = normalArt;
    pressedArt = pressed0;
    callerValue = value;
    int32_t w = 0, h = 0;
    GetGumpArtSize(normalArt != 0 ? normalArt : pressed0, &w, &h);
    width = w;
    height = h;
    if (owner != nullptr)
        AttachToParent(owner);
}

CButtonGump::CButtonGump(int x1, int y1, int x2, int y2, CGump* owner, int buttonMode, int initialState,
                         ButtonCallback onAct, int value)
{
    name = "Button gump";
    SetFrameCount(2);
    x = x1;
    y = y1;
    width = (x2 - x1 + 2) & ~1;
    height = y2 - y1 + 1;
    mode = buttonMode;
    frameIndex = initialState != 0 ? 1 : 0;
    callback = onAct;
    artId = -1;
    pixelHitTest = 0;
    callerValue = value;
    if (owner != nullptr)
        AttachToParent(owner);
}

void CButtonGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing || ScreenRect().intersect(canvas.clip).empty())
        return;
    int left = 0, top = 0;
    GumpToScreenCoords(left, top);
    if (ownFrames != 0) {
        if (GumpBitmap* frame = Frame(frameIndex))
            canvas.drawImage(CopySpanTransparent, frame->pixels.data(), frame->width, frame->height, frame->stride(),
                             left, top);
        return;
    }
    int art = 0;
    bool grey = false;
    if (frameIndex == 1) {
        art = pressedArt;
        grey = disabled != 0;
    } else if (hovered != 0 && disabled == 0 && hoverArt != 0) {
        art = hoverArt;
    } else if (artId > 0) {
        art = blinkPhase != 0 && blinkArt != 0 ? blinkArt : artId;
        grey = disabled != 0 && blinkPhase == 0;
    }
    if (art <= 0)
        return;
    if (!grey) {
        canvas.drawArt(CopySpanTransparent, art, left, top);
        return;
    }
    const int32_t previous = spanHue();
    setSpanHue(kGreyHue - 1);
    canvas.drawArt(HueSpan, art, left, top);
    setSpanHue(previous);
}

bool CButtonGump::HitTest(int px, int py)
{
    if (visible == 0 || px < 0 || py < 0 || px >= width || py >= height)
        return false;
    if (pixelHitTest == 0 || ownFrames != 0)
        return true;
    return GetGumpArtPixel(artId != 0 ? artId : pressedArt, px, py) != 0;
}

void CButtonGump::Act()
{
    CGump* owner = Parent();
    if (owner == nullptr)
        return;
    if (reportId != 0)
        owner->lastPressedId = buttonId;
    if (callback != nullptr)
        (owner->*callback)();
}

void CButtonGump::OnLButtonDown(int, int)
{
    if (CGump* owner = Parent()) {
        owner->BringToFront(false);
        owner->childPressFlag = 0;
    }
    pressed = 1;
    if (disabled != 0)
        return;
    if (mode == Push) {
        frameIndex = 1;
    } else if (mode == Repeat) {
        frameIndex = 1;
        repeatCountdown = 5;
        Act();
    }
}

void CButtonGump::OnLButtonUp(int, int)
{
    pressed = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    CGump* owner = Parent();
    if (owner != nullptr)
        owner->childPressFlag = 0;
    if (disabled != 0)
        return;
    switch (mode) {
    case Push:
        frameIndex = 0;
        Act();
        break;
    case Toggle:
        frameIndex = frameIndex != 0 ? 0 : 1;
        Act();
        // The window may have closed in its callback: it is deleted only after this event.
        if (Parent() != nullptr)
            Parent()->OnChildChanged(this);
        break;
    default:
        frameIndex = 0;
        break;
    }
}

void CButtonGump::OnRButtonDown(int px, int py)
{
    if (CGump* owner = Parent())
        owner->OnRButtonDown(px, py);
}

void CButtonGump::OnRButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (CGump* owner = Parent())
        owner->OnRButtonUp(px, py);
}

void CButtonGump::OnMouseOver(int, int)
{
    hovered = 1;
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CButtonGump::OnMouseLeave()
{
    hovered = 0;
}

void CButtonGump::OnMouseTick()
{
    if (pressed == 0 || mode != Repeat || disabled != 0)
        return;
    if (repeatCountdown > 0)
        --repeatCountdown;
    else
        Act();
}

void CButtonGump::Update()
{
    ++blinkCounter;
    blinkPhase = blinkCounter > blinkOffPeriod ? 1 : 0;
    if (blinkCounter > blinkOffPeriod + blinkOnPeriod)
        blinkCounter = 0;
}
