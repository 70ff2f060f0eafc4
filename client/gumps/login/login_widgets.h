/** @file Pieces the login screens share: the full-screen gump, drawing into a bitmap, the text field, the description box, the standard buttons. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump.h"

#include <string>

/** Draws gump art into a bitmap with its top-left at (x, y), clipped to it; plain copy with 0 transparent. */
void DrawArtInto(GumpBitmap& bitmap, int art, int x, int y, CombineFunc combine = nullptr);
/** Gump art drawn through a hue ramp (hue id, 0 = a plain copy). */
void DrawHuedArtInto(GumpBitmap& bitmap, int art, int x, int y, int hue);
/** One line of 8-bit text whose top is y. */
void DrawTextInto(GumpBitmap& bitmap, int font, int hue, int x, int y, const char* text);
/** Text wrapped to width; returns the height used. */
int DrawWrappedTextInto(GumpBitmap& bitmap, int font, int hue, int x, int y, int width, const char* text);
/** A frame of nine consecutive art pieces (corners, edges, centre from base) filling the rectangle. */
void DrawFrameInto(GumpBitmap& bitmap, int baseArt, int x, int y, int width, int height);
/** Tiles one art over the whole bitmap. */
void TileArtInto(GumpBitmap& bitmap, int art);
/** Fills a rectangle of the bitmap. */
void FillInto(GumpBitmap& bitmap, int x, int y, int width, int height, uint16_t colour);

/**
 * A 640 x 480 login screen at (0, 0) drawn from its own bitmap (frame 0), hit inside it while
 * visible. A press raises it; a release lets the mouse go. It stays on screen (not closable).
 */
class CLoginScreenGump : public CGump {
public:
    CLoginScreenGump(const char* gumpName, int art);

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    int IsGameAreaRelative() override { return 1; }
    int IsClosable() override { return 0; }
    /** The standard buttons; a screen handles its own ids and passes the others here. */
    void HandleButtonPress(int id) override;
    /** Forwards the interface pass to the children. */
    void Update() override;

    GumpBitmap& Bitmap() { return *Frame(0); }
    /** The art id the screen is known by (its main picture). */
    int screenArt = 0;
    /** Marks the whole gump for redrawing. */
    void Redraw();
};

/** A push button with normal, hover and pressed art that reports its id to its window's HandleButtonPress. */
CButtonGump* AddArtButton(CGump* owner, int x, int y, int normal, int hover, int pressed, int id, int toolTip = -1);

/** The ids of the standard buttons are this base plus 1 to 7. */
inline constexpr int kStandardButtonBase = 9000;
/** Runs standard button n (1-7) of a login screen. */
void RunStandardLoginButton(CGump* gump, int n);

/**
 * A one-line text field: text typed while it has the focus (printable characters up to its limit,
 * Backspace), Tab, Enter and Escape passed to its parent, a masked mode that shows asterisks, a
 * read-only mode, the active mark, and a value for the parent's use. A press tells the parent
 * (child press); a second press within the double-click time tells it of a double click.
 */
class CLoginTextField : public CGump, public CFocusedControl {
public:
    CLoginTextField(int x, int y, int width, int height, CGump* owner, int editable, int limit, int font, int colour);

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    void SetActive(int on);
    void Redraw();

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnChar(uint16_t character) override;
    int IsInputControl() override { return 1; }
    CFocusedControl* AsFocusedControl() override { return this; }

    bool IsSingleLine() const override { return true; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    int editable = 1;
    int limit = 30;
    int font = 1;
    int colour = 902;
    int masked = 0;
    int active = 0;
    int insetX = 2;
    int insetY = 2;
    /** A value the owner keeps with the text (a style's index). */
    int value = 0;

private:
    std::string text_;
    uint32_t lastPress_ = 0;
};

/** The seven standard buttons of the login screens; the replay-intro button only on an account login gump. */
void AddLoginScreenButtons(CGump* gump);

/** The addresses the web buttons open. */
extern const char* const kHomePageAddress;
extern const char* const kSignUpAddress;
extern const char* const kHelpAddress;
extern const char* const kGameMasterFormAddress;
