/** @file Small gumps the framework itself uses: the message gump, the plain picture gump and the sign gump. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <functional>
#include <string>

class CButtonGump;

/** The colour 16-bit text takes for a hue: its word 30, white when the table lacks the hue. */
uint16_t HueTextColour(int hue);

/**
 * The press-to-drag, drag-move, drag-end and close-on-right-click handlers that small windows
 * share. Press: the gump comes to the front (unless it is the modal gump), starts dragging and
 * keeps the grab point. Move: while dragging the gump follows the pointer and stays on screen.
 * End: dragging stops and the mouse is let go. Right release: the mouse is let go and the gump closes.
 */
namespace gumpdrag {
void PressToDrag(CGump& gump, bool& dragging, int x, int y);
void DragMove(CGump& gump, bool dragging, int x, int y);
void DragEnd(CGump& gump, bool& dragging);
void CloseOnRightClick(CGump& gump);
} // namespace gumpdrag

/**
 * The message gump: a framed text with one button, made by the manager's ShowMessageGump and by
 * the login side's progress notices. It takes the keyboard focus while it lives and gives it back
 * to the gump that had it (when that one still lives). A blocking one is large, never moves and,
 * as the modal gump, takes every click; a small one is dragged by its opaque pixels. Button kind
 * 0 is the OK button; kind 1 the progress button, which on a blocking gump also shows the wait
 * cursor for the gump's life. The button and Enter run the OK handler.
 */
class CWaitingGump : public CGump, public CFocusedControl {
public:
    static constexpr int kFrameArt = 2600;
    static constexpr int kTextHue = 902;

    /** The OK of a message gump: (the message gump, its owner or null, the value given at construction). */
    using OkHandler = std::function<void(CGump* message, CGump* owner, int value)>;
    /** Installs the OK handler (the login side's); null puts back the default, which closes the gump. */
    static void SetOkHandler(OkHandler handler);
    /** The font of blocking message gumps' 8-bit text. */
    static int messageFont;

    /** x and y are not used: the gump centres itself. */
    CWaitingGump(int x, int y, const char* text, CGump* owner, int buttonKind, int blocking, int callbackValue,
                 int unicode);
    ~CWaitingGump() override;

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnChar(uint16_t character) override;
    int IsGameAreaRelative() override { return 1; }
    int IsClosable() override { return 0; }
    int IsWaitingGump() override { return 1; }
    void ForgetGump(CGump* dying) override;
    CFocusedControl* AsFocusedControl() override { return this; }

    bool IsSingleLine() const override { return false; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    /** The button's callback and Enter: runs the OK handler. */
    void Ok();

    CGump* Owner() const { return owner_; }
    CGump* PreviousFocus() const { return previousFocus_; }
    CButtonGump* Button() const { return button_; }
    const std::string& Text() const { return text_; }
    const std::u16string& WideText() const { return wideText_; }

    bool dragging = false;
    int blocking = 0;
    int callbackValue = 0;
    int unicode = 0;
    int waitMode = 0;

private:
    void drawText(GumpBitmap& bitmap);

    std::string text_;
    std::u16string wideText_;
    CGump* owner_ = nullptr;
    CGump* previousFocus_ = nullptr;
    CButtonGump* button_ = nullptr;
};

/**
 * Installs the message gump as the manager's: ShowMessageGump makes a blocking message gump with
 * the OK button (okButton set) or the progress button, the flag as the OK handler's value. Off
 * puts back no message gump.
 */
void InstallMessageGumps(bool on);

/**
 * A plain picture: drawn, never hit (clicks pass through to what lies under it). It draws its
 * frame (transparent, or half blended with what lies under it when blend is set), or in art mode
 * the art image of an art id.
 */
class CDumbGump : public CGump {
public:
    /** A width x height frame holding the pixels (when given, rows of width), then the gump art (when not -1). */
    CDumbGump(int x, int y, int ignored, int width, int height, int art, const uint16_t* pixels, int gumpArt);

    void Draw(const GumpCanvas& canvas) override;
    bool HitTest(int, int) override { return false; }
    int IsClosable() override { return 0; }

    int artMode = 0;
    int blend = 0;
    /** The art id drawn in art mode (an item's is its graphic + 0x4000). */
    int art = 0;
};

/** The sign: a gump art with a text drawn inside the art's content rectangle; dragged, closed by the right button. */
class CSignGump : public CGump {
public:
    CSignGump(int x, int y, int gumpArt, int ignored, const char* text, CObj* object);

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    int IsSignGump() override { return 1; }

    bool dragging = false;
};
