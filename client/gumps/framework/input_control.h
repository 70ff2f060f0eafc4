/** @file The 8-bit text field (text, number and drop-down modes), its login-screen look, and picking a mobile into a field. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <string>

struct EditListRow;

/** Special keys reach the typed-character slot as this base plus the virtual-key code. */
inline constexpr uint16_t kSpecialKeyBase = 0xE000;
inline constexpr uint16_t kKeyEnd = 0xE023, kKeyHome = 0xE024, kKeyLeft = 0xE025, kKeyUp = 0xE026,
                          kKeyRight = 0xE027, kKeyDown = 0xE028, kKeyDelete = 0xE02E;

/**
 * The 8-bit code of a typed UTF-16 unit, or -1 when it has none. In the 8-bit mode (UnicodeSpeech
 * off) the units map to the Windows-1252 code page the fonts are drawn in; in the 16-bit mode a
 * unit is its own code, so only units up to 255 have one.
 */
int EightBitCodeOfTypedChar(uint16_t unit);

/**
 * The text field. It holds at most kTextSize - 1 characters, and never more than its limit (in
 * the number modes the limit is the largest value instead). Keys arrive through the typed
 * character slot while it holds the keyboard focus; Tab, Enter and Escape go to the parent;
 * every kept change redraws it and calls the parent's child-changed slot last, so that the
 * parent may even delete the field there. A new field, a new text, a key and the loss of the
 * focus only mark the picture stale:
 * it is painted when the field is drawn (or its picture read), so a burst of keys between two
 * frames paints it once. A new field's frame and bitmap are made at its first painting; until
 * then the hit test uses the size the constructor gave it. A field closed unseen makes neither.
 */
class CInputControlGump : public CGump, public CFocusedControl {
public:
    static constexpr int kTextSize = 188;
    enum Mode { ModeText = 0, ModeNumber = 1, ModeDropDown = 2 };
    /** The background of a field drawn on art: the normal art and the read-only art. */
    struct Art {
        int background = 0;
        int readOnly = 0;
    };

    /** A field of its own size, without background. */
    CInputControlGump(int x, int y, CGump* owner, int width, int height, int mode, int limit, int font, int colour,
                      int editable, int dropDownLook, int barBackground);
    /** A field on background art (sized by it, 1 pixel taller); a non-zero width stretches the art as a bar. */
    CInputControlGump(int x, int y, CGump* owner, Art art, int mode, int limit, int font, int colour, int editable, int dropDownLook, int width);
    ~CInputControlGump() override;

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnMouseTick() override;
    void OnChar(uint16_t character) override;
    int IsInputControl() override { return 1; }
    void EndEditOnFocusLoss() override;
    CFocusedControl* AsFocusedControl() override { return this; }

    bool IsSingleLine() const override { return multiLine == 0; }
    bool IsMultiLine() const override { return multiLine != 0; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    void Draw(const GumpCanvas& canvas) override;

    /** Paints the bitmap from the fields now. */
    void Redraw();
    /** Marks the bitmap stale and its screen area dirty; it is painted when next drawn or read. */
    void RedrawLater();
    /** The field's picture, painted first when stale. */
    const GumpBitmap* Picture();

    std::string Text() const { return std::string(text, static_cast<size_t>(Length())); }
    int Length() const;
    /** Replaces the text (cut to the room the field has), puts the caret at its end and redraws. */
    void SetText(const std::string& value);
    /** The owner's highlight flag (the active field of a pair), with a redraw. */
    void SetHighlighted(int on);
    /** The limit after the cap: at most kTextSize - 1 characters in the text modes. */
    int Limit() const { return limit_; }
    void SetLimit(int newLimit);
    bool Focused() const;

    int moved = 0;
    int pressed = 0;
    uint32_t clickTime = 0;
    int clickState = 0;
    int editable = 0;
    int password = 0;
    int readOnly = 0;
    int dropDownLook = 0;
    int lettersAndDigitsOnly = 0;
    int nameCharactersOnly = 0;
    int barBackground = 0;
    int noBackground = 0;
    int multiLine = 0;
    int stopWhenFull = 0;
    int pickMobile = 0;
    int hovered = 0;
    int highlighted = 0;
    int emptyArt = 0;
    int hoverArt = 0;
    int highlightArt = 0;
    int leftMargin = 3;
    int topMargin = 2;
    int mode = ModeText;
    int value = 0;
    char text[kTextSize] = {};
    int readOnlyArt = 0;
    int caret = 0;
    int firstShown = 0;
    int font = 0;
    int colour = 0;
    /** The edit list row that owns the field, or null. */
    EditListRow* row = nullptr;

    /** The world view calls this with the clicked object (or null) while a field picks a mobile. */
    static void PickCallback(CObj* object);
    /** The field waiting for a picked mobile's name, or null. */
    static CInputControlGump* PendingPickField();
    /** The name of the picked mobile arrived: it replaces the pending field's "(mobile)". */
    static void TakePickedName(const std::string& name);

protected:
    /** The colour the text is drawn in. */
    virtual int TextColour() const { return colour; }
    /** True when a hover changes the look (a redraw is needed on entering and leaving). */
    virtual bool ShowsHover() const { return hoverArt != 0; }
    virtual void PaintBackground(GumpBitmap& bitmap);
    void PaintText(GumpBitmap& bitmap);
    /** What a look draws over the text (the login look's icon). */
    virtual void PaintOver(GumpBitmap&) {}

private:
    int limit_ = 0;
    bool stale_ = false;
    /**
     * The size of the field's bitmap, or, from the construction to the first painting (which makes
     * the frame and its bitmap), the size it will be made at.
     */
    uint16_t pictureWidth_ = 0;
    uint16_t pictureHeight_ = 0;

    /** Paints the bitmap (made again at the field's size when needed) without marking anything dirty. */
    void paint();
    /** Marks the bitmap to be made at the present size when first painted (constructors only). */
    void promisePicture();

    void init(int x, int y, int mode, int limit, int font, int colour, int editable, int dropDownLook);
    bool numeric() const { return mode != ModeText && mode != ModeDropDown; }
    /** The text as shown: stars in password mode. */
    std::string shown() const;
    /** Writes the shown text and its terminator to out (room for kTextSize + 1 bytes); returns its length. */
    int shownInto(char* out) const;
    /** The text modes' shown text of the text's first n characters, with its terminator, into out. */
    void shownTextInto(char* out, int n) const;
    int shownWidth(int from, int count) const;
    /** The width of count characters of s (n long) from from, both clamped to s. */
    int widthIn(const char* s, int n, int from, int count) const;
    bool acceptsCharacter(int code) const;
    /** Returns true when the text or value changed. */
    bool backspace();
    /** Inserts code at the caret; length: the text's, as the key found it. */
    bool insert(int code, int length);
    /** Whether the text modes' text (n long) fits the field as shown with the caret after it. */
    bool fits(int n) const;
    /** Scrolls the text modes' shown part so that the caret is within width - 12 of its start; length: the text's. */
    void keepCaretShown(int length);
    void placeCaret(int x, int y);
    /** Redraws and calls the parent's child-changed slot; the field may be gone afterwards. */
    void changed();
};

/**
 * The text field of the login screens: a frame of art 3000 as background, hover and highlight
 * colours for the text, and an icon drawn at the right end.
 */
class CLoginInputControlGump : public CInputControlGump {
public:
    CLoginInputControlGump(int x, int y, CGump* owner, int width, int height, int mode, int limit, int font, int colour,
                           int editable, int dropDownLook, int barBackground);

    int iconArt = -1;
    int hoverColour = 0;
    int highlightColour = 0;

protected:
    int TextColour() const override;
    bool ShowsHover() const override { return hoverArt != 0 || hoverColour != 0; }
    void PaintBackground(GumpBitmap& bitmap) override;
    void PaintOver(GumpBitmap& bitmap) override;
};

/** The world view's target callback and kind (2: a field picks a mobile); the world view calls and clears it. */
using WorldTargetCallback = void (*)(CObj* object);
extern WorldTargetCallback g_worldTargetCallback;
extern int g_worldTargetKind;
