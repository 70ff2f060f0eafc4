/** @file The button control: push, toggle and repeat buttons drawn from gump art, or an invisible hot area. */
#pragma once

#include "client/gumps/framework/gump.h"

/** The button's callback: a member function of the owning window, called on the window. */
using ButtonCallback = void (CGump::*)();

/**
 * A button child of a window. Its frame index is its state: 0 up, 1 down (or, for a toggle
 * button, on). A push button acts on release, a toggle button flips on release and then tells
 * its parent, a repeat button acts on press, on the sixth tick while held and on every tick
 * after. Acting means: store the id in the parent's last pressed id (with reportId set), then
 * call the callback.
 */
class CButtonGump : public CGump {
public:
    enum Mode { Push = 0, Toggle = 1, Repeat = 2 };
    static constexpr int kGreyHue = 960;

    /** A button drawn from normalArt (size from it, or from pressedArt when normalArt is 0), attached to owner. */
    CButtonGump(int x, int y, CGump* owner, int mode, int initialState, ButtonCallback callback, int normalArt,
                int pressedArt, int callerValue);
    /** An invisible hot area from (x1, y1) to (x2, y2), inclusive. */
    CButtonGump(int x1, int y1, int x2, int y2, CGump* owner, int mode, int initialState, ButtonCallback callback,
                int callerValue);

    void Draw(const GumpCanvas& canvas) override;
    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnMouseTick() override;
    void Update() override;
    int IsButtonGump() override { return 1; }
    int ActiveState() override { return callerValue; }

    int State() const { return frameIndex; }

    int mode = Push;
    int repeatCountdown = 0;
    int buttonId = 0;
    int pressedArt = 0;
    int hoverArt = 0;
    int blinkOffPeriod = 10;
    int blinkOnPeriod = 1;
    int blinkArt = 0;
    int reportId = 0;
    int disabled = 0;
    int callerValue = 0;
    int ownFrames = 0;
    int hovered = 0;
    int pixelHitTest = 1;
    ButtonCallback callback = nullptr;
    int pressed = 0;
    int blinkPhase = 0;
    int blinkCounter = 0;

private:
    void Act();
};
