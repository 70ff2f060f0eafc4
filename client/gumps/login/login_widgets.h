/** @file Pieces the login screens share: the full-screen gump, drawing into a bitmap, the standard buttons. */
#pragma once

#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump.h"
#include "client/gumps/framework/input_control.h"

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

/** The seven standard buttons of the login screens; the replay-intro button only on an account login gump. */
void AddLoginScreenButtons(CGump* gump);

/** The addresses the web buttons open. */
extern const char* const kHomePageAddress;
extern const char* const kSignUpAddress;
extern const char* const kHelpAddress;
extern const char* const kGameMasterFormAddress;
