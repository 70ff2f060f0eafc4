/** @file The check box: box art and a label in one bitmap; flips on release and tells its parent. */
#pragma once

#include "client/gumps/framework/gump.h"

/**
 * A check box (or one radio button of a group the parent keeps exclusive). Its bitmap holds the
 * box art at the left and the label beside it; Redraw repaints the box for the present state.
 */
class CToggleControlGump : public CGump {
public:
    CToggleControlGump(int x, int y, CGump* owner, int uncheckedArt, int checkedArt, int font, int labelColour,
                       const char* label, int initiallyTicked, int disabledArt, int disabledTickedArt);

    /** Clears the box part and draws the art of the present state. */
    void Redraw();

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    int IsToggleControl() override { return 1; }

    int tickedArt = 0;
    int disabledArt = 0;
    int disabledTickedArt = 0;
    int hoverArt = 0;
    int hoverTickedArt = 0;
    int pressed = 0;
    uint8_t ticked = 0;
    int disabled = 0;
    int hovered = 0;

private:
    int uncheckedArt_ = 0;
    int boxWidth_ = 0;
    int boxHeight_ = 0;
};
