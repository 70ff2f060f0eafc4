/** @file The HTML text box: a document of styled runs and links drawn in a frame, scrolled, selected, edited and followed. */
#pragma once

#include "client/core/gump_services.h"
#include "client/data/unicode_font_pixels.h"
#include "client/gumps/framework/gump.h"
#include "client/gumps/framework/html_document.h"

#include <functional>
#include <string>
#include <vector>

class HTMLBox;

/**
 * What a box asks of windows and services outside the framework. Each has a sound default:
 * addresses open in the browser after leaving full screen, message-line commands and the owner's
 * remembered place are dropped until their windows install them.
 */
struct HtmlBoxHooks {
    /** Opens an address in the web browser; the default leaves full screen and calls OpenWebPage. */
    std::function<void(const std::string& address)> openWebPage;
    /** Sends a command to the message server (an internal link's target as type 1). */
    std::function<void(int type, const std::u16string& text)> sendMessageCommand;
    /** The owner remembers the box's size after a resize, and its place after a move. */
    std::function<void(HTMLBox* box)> rememberPlacement;
    /** The game-master context menu of a box whose owner set gmMenu. */
    std::function<void(HTMLBox* box, int x, int y)> gmContextMenu;
};
HtmlBoxHooks& HtmlHooks();

/** The scroll bar of a box: told (position, range) after every change, placed along the box's right edge. */
class HtmlScrollBar : public CGump {
public:
    HtmlScrollBar();
    void SetPosition(int position, int range);
    int position = 0;
    int range = 0;
};

/** The addresses followed from any box (a ring of 500, the oldest dropped), and the shared clipboard. */
std::vector<std::u16string>& HtmlVisitedAddresses();
std::u16string& HtmlClipboard();

class HTMLBox : public CGump, public CFocusedControl {
public:
    static constexpr int kLineHeight = 18;
    static constexpr int kScrollStep = 18;
    static constexpr size_t kMaxText = 30000;
    static constexpr size_t kMaxShortText = 100;
    static constexpr int kMinSize = 30;
    static constexpr int kScrollBarArt = 252;

    /** A 1 x 1 box at (0, 0); its scroll bar unless flag 0x4; attached to parent when attach is set. */
    HTMLBox(CGump* parent, int id, uint32_t flags, bool tabToParent, bool attach);
    ~HTMLBox() override;

    void BeginEdit();
    void SetText(std::u16string_view text, int32_t textColour);
    /** Moves to the rectangle's corner with its size, lays out the text area and the scroll bar, redraws. */
    void ResizeTo(const GumpRect& rect);
    /** Lays the text out in the text area again and draws the box. */
    void Redraw();
    void SetScroll(int position, int range);
    void ScrollBy(bool down);

    const HtmlDocument& Document() const { return document_; }
    /** The editable text (the first run). */
    std::u16string Text() const;
    GumpRect TextArea() const { return area_; }
    int ScrollPosition() const { return scrollPosition_; }
    int ScrollRange() const { return scrollRange_; }
    int Caret() const { return caret_; }
    int SelectionEnd() const { return selectionEnd_; }
    HtmlScrollBar* ScrollBar() const { return scrollBar_; }

    // Slots.
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;
    void OnChar(uint16_t character) override;
    int IsChatFramed() override { return 1; }
    int IsTransparent() override { return 0; }
    void EndEditOnFocusLoss() override {}
    CFocusedControl* AsFocusedControl() override { return this; }

    // CFocusedControl.
    bool IsSingleLine() const override { return (flags_ & html_flags::ShortText) != 0; }
    bool IsMultiLine() const override { return (flags_ & (html_flags::ShortText | html_flags::ReadOnly)) == 0; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    int id = 0;
    bool tabToParent = false;
    uint8_t inverted = 0;
    uint8_t clearOnFirstEdit = 1;
    uint8_t movesByDrag = 0;
    uint8_t resizable = 0;
    uint8_t gmMenu = 0;
    uint32_t Flags() const { return flags_; }

private:
    /**
     * One piece of a run placed on a line (document coordinates, before alignment and scrolling).
     * Its characters and their advances (-1 - width for a character of its own, as the dots of an
     * ellipsis) are length entries of pieceText_ and pieceAdvances_ from start, followed by a 0.
     */
    struct Piece {
        int element = 0;
        /** The index in the run of its first character. */
        int first = 0;
        int start = 0;
        int length = 0;
        int x = 0;
        int line = 0;
        uint32_t style = 0;
    };
    struct Line {
        int indentLeft = 0;
        int width = 0;
        int offset = 0;
        /** The style of its first run, which aligns it. */
        uint32_t style = 0;
    };

    /** The buffers of a layout, kept from a box that went for the next one. */
    struct SpareLayout {
        std::vector<Piece> pieces;
        std::vector<Line> lines;
        std::u16string text;
        std::vector<int> advances;
    };
    static SpareLayout& spareLayout();

    void layOut();
    /** Ends the last piece's characters with a 0. */
    void endPiece();
    /**
     * Shows the laid-out text at the scroll position, tells the scroll bar and marks the box dirty;
     * scrolling changes no line, so it keeps the layout.
     */
    void paint();
    /** Draws frame and text into the bitmap kept at the box's size (null: a new one). */
    void paintBitmap(GumpBitmap* bitmap);
    /** Returns whether any of the frame's pieces was drawn. */
    bool drawFrame(GumpBitmap& bitmap);
    void drawText(GumpBitmap& bitmap);
    bool readOnly() const { return (flags_ & html_flags::ReadOnly) != 0; }
    bool inTextArea(int px, int py) const { return area_.contains(px, py); }
    /** The index in the first run of the character under a box point. */
    int characterAt(int px, int py) const;
    /** The box point (top-left of its cell) of a character of the first run. */
    void characterPoint(int index, int& px, int& py) const;
    void placeCaret(int index, bool extend);
    void replaceSelection(std::u16string_view with);
    void deleteSelection();
    void keepCaretInView();
    void changed();
    void followLink(int px, int py);
    void passToTextParent(bool down, int px, int py);
    std::u16string& editText();
    bool shiftHeld() const;

    uint32_t flags_ = 0;
    int pressX_ = 0;
    int pressY_ = 0;
    bool moving_ = false;
    bool resizing_ = false;
    int scrollRange_ = 1;
    int scrollPosition_ = 0;
    int caret_ = -1;
    int selectionEnd_ = -1;
    int frameArt_ = 3500;
    GumpRect area_;
    HtmlDocument document_;
    HtmlScrollBar* scrollBar_ = nullptr;
    std::vector<Piece> pieces_;
    std::u16string pieceText_;
    std::vector<int> pieceAdvances_;
    std::vector<Line> lines_;
    int contentHeight_ = 0;
    /**
     * What the bitmap was last painted from, with no bitmap when it is not known: a layout since,
     * or links whose colour came from the list of visited addresses, which others fill too. A
     * paint from the same state would draw the same pixels.
     */
    struct PaintedFrom {
        const GumpBitmap* bitmap = nullptr;
        int scrollPosition = 0;
        int caret = 0;
        int selectionEnd = 0;
        int spaceWidth = 0;
        bool compactSpacing = false;
        uint8_t inverted = 0;
        bool operator==(const PaintedFrom&) const = default;
    };
    /** The state a paint into bitmap would draw from now. */
    PaintedFrom paintState(const GumpBitmap* bitmap) const;
    PaintedFrom paintedFrom_;
    bool coloursFromVisitedList_ = false;
    /** The rows of inkedBitmap_ the last paint may have written; the rest of it is blank. */
    InkRows inked_;
    const GumpBitmap* inkedBitmap_ = nullptr;
};
