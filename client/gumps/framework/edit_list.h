/** @file The editable list of names: one text field per row, scroll buttons, a "(new)" row to fill by picking a player. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <string>

class CButtonGump;
class CInputControlGump;

/** One row of an edit list: its text field and its neighbours. */
struct EditListRow {
    CInputControlGump* control = nullptr;
    EditListRow* next = nullptr;
    EditListRow* prev = nullptr;
};

/**
 * A list of text rows 17 pixels apart (the row pitch when scrolling and deleting is the height
 * of art 5031 plus 1). In new-row mode the list ends with a "(new)" row whose field is filled by
 * picking a player; a row that gets text at the end adds a new last row, and a row that is
 * emptied elsewhere is deleted. Edits are reported to the parent's child-changed slot.
 * Redraw only marks the background stale (rows come and go with every key in a burst): it is
 * painted from the art, the row count and the top row when the list is next drawn.
 */
class CEditListGump : public CGump, public CFocusedControl {
public:
    static constexpr int kRowPitch = 17;
    static constexpr int kRowX = 10;
    static constexpr int kRowWidth = 136;
    static constexpr int kRowTextLimit = 29;
    static constexpr int kNormalColour = 902;
    static constexpr int kSelectedColour = 88;
    static constexpr int kRowFont = 1;

    CEditListGump(int x, int y, int ignored1, int ignored2, int backgroundArt, int rowLimit);
    ~CEditListGump() override;

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;
    void OnChar(uint16_t character) override;
    void OnChildChanged(CGump* child) override;
    void OnChildTab() override;
    void OnChildPress(CGump* child) override;
    void Draw(const GumpCanvas& canvas) override;
    int IsEditListGump() override { return 1; }
    CFocusedControl* AsFocusedControl() override { return this; }

    // While the list holds the focus (a row was selected) it takes the Delete key.
    bool IsSingleLine() const override { return false; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    /** Adds a row at the end; nothing at the row limit. */
    void AddEntry(const std::string& text, int value);
    void ScrollUp();
    void ScrollDown();
    /** Marks the background stale and the list's area dirty. */
    void Redraw();

    EditListRow* FirstRow() const { return firstRow; }
    EditListRow* LastRow() const { return lastRow; }
    int RowCount() const { return rowCount; }
    /** The row whose field is control, or null. */
    EditListRow* RowOf(const CGump* control) const;

    CButtonGump* scrollUpButton = nullptr;
    CButtonGump* scrollDownButton = nullptr;
    int moved = 0;
    int pressed = 0;
    uint32_t clickTime = 0;
    int clickState = 0;
    int newRowMode = 1;
    EditListRow* firstRow = nullptr;
    EditListRow* lastRow = nullptr;
    EditListRow* firstVisibleRow = nullptr;
    EditListRow* selectedRow = nullptr;
    int savedColour = kNormalColour;
    int rowX = kRowX;
    int rowCount = 0;
    int rowLimit = 0;
    int topIndex = 0;
    int rowTextLimit = kRowTextLimit;

private:
    bool stale_ = false;

    /** Paints the background: the art, and the rows' art down to the last row. */
    void paint();
    /** Art 5031's height plus 1, looked up in the art (once per row change or scroll step). */
    int rowHeight() const;
    /** Deletes the row; the rows below move up by rh, the row height the caller looked up. */
    void deleteRow(EditListRow* row, int rh);
    /** Gives a row that changed the normal colour, marking it again only if that changed its colour. */
    void showNormal(CInputControlGump* control);
    /** The scroll steps, by rh when the caller has looked the row height up, else (rh 0) looking it up. */
    void scrollUp(int rh);
    void scrollDown(int rh);
    /**
     * Moves every row from `from` on by dy; after a scroll only rows wholly inside are shown,
     * else those that now fit are (rh: the row height the caller looked up).
     */
    void shiftRows(EditListRow* from, int dy, bool scrolled, int rh);
};
