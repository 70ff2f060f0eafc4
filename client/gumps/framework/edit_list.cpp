/** @file The editable list of names. */
#include "client/gumps/framework/edit_list.h"

#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_drawing.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/mouse_manager.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kRowTop = 3;
constexpr int kRowArt = 5031;

} // namespace

CEditListGump::CEditListGump(int x0, int y0, int, int, int backgroundArt, int rowLimit0)
{
    name = "edit list gump";
    x = x0;
    y = y0;
    artId = backgroundArt;
    rowLimit = std::max(rowLimit0, 0);
    const ArtSize size = GumpArtExtent(backgroundArt);
    width = std::max(size.w, 1);
    height = std::max(size.h, 1);
    SetFrameCount(1);
    MakeFrame(0, width, height);
    scrollUpButton = new CButtonGump(width - 14, 8, this, CButtonGump::Repeat, 0,
                                     static_cast<ButtonCallback>(&CEditListGump::ScrollUp), 2435, 2435, 0);
    scrollUpButton->hoverArt = 2436;
    scrollUpButton->visible = 0;
    scrollDownButton = new CButtonGump(width - 14, height - 20, this, CButtonGump::Repeat, 0,
                                       static_cast<ButtonCallback>(&CEditListGump::ScrollDown), 2437, 2437, 0);
    scrollDownButton->hoverArt = 2438;
    scrollDownButton->visible = 0;
    Redraw();
}

CEditListGump::~CEditListGump()
{
    // The row fields are children and go with the base; only the records are freed here.
    for (EditListRow* row = firstRow; row != nullptr;) {
        EditListRow* next = row->next;
        if (row->control != nullptr && IsLiveGump(row->control))
            row->control->row = nullptr;
        delete row;
        row = next;
    }
}

int CEditListGump::rowHeight() const
{
    return GumpArtExtent(kRowArt).h + 1;
}

EditListRow* CEditListGump::RowOf(const CGump* control) const
{
    for (EditListRow* row = firstRow; row != nullptr; row = row->next)
        if (row->control == control)
            return row;
    return nullptr;
}

void CEditListGump::Redraw()
{
    if (Frame(0) == nullptr)
        return;
    stale_ = true;
    CGumpManager::AddDirty(OwnScreenRect());
}

void CEditListGump::paint()
{
    stale_ = false;
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr)
        return;
    bitmap->clear();
    DrawGumpArtAt(artId, *bitmap, 0, 0);
    if (rowCount > 0)
        DrawGumpArtAt(artId + 1, *bitmap, 0, 0, std::max((rowCount - topIndex) * kRowPitch + 9, 0));
}

void CEditListGump::Draw(const GumpCanvas& canvas)
{
    if (stale_ && visible != 0 && !closing)
        paint();
    CGump::Draw(canvas);
}

bool CEditListGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CEditListGump::AddEntry(const std::string& text, int value)
{
    if (rowCount >= rowLimit)
        return;
    int rowY = kRowTop + kRowPitch * (rowCount - topIndex);
    if (rowY == 37)
        rowY = 38;
    else if (rowY == 54)
        rowY = 55;
    else if (rowY == 71)
        rowY = 73;
    const int oldCount = rowCount++;
    if (topIndex < oldCount)
        scrollDownButton->visible = 1;
    auto* control = new CInputControlGump(rowX, rowY, nullptr, kRowWidth, kRowPitch, CInputControlGump::ModeText,
                                          rowTextLimit, kRowFont, kNormalColour, 1, 0, 0);
    if (newRowMode != 0) {
        control->editable = 0;
        control->pickMobile = 1;
    }
    if (rowY < kRowTop || rowY + kRowPitch > height)
        control->visible = 0;
    control->AttachToParent(this);
    control->value = value;
    control->SetText(text);
    auto* row = new EditListRow{control, nullptr, lastRow};
    control->row = row;
    if (lastRow != nullptr)
        lastRow->next = row;
    else
        firstRow = firstVisibleRow = row;
    lastRow = row;
    Redraw();
}

void CEditListGump::shiftRows(EditListRow* from, int dy, bool scrolled, int rh)
{
    for (EditListRow* row = from; row != nullptr; row = row->next) {
        CInputControlGump* c = row->control;
        c->y += dy;
        if (scrolled)
            c->visible = c->y >= kRowTop && c->y + rh <= height ? 1 : 0;
        else if (c->y + rh < height)
            c->visible = 1;
    }
    CGumpManager::AddDirty(OwnScreenRect());
}

void CEditListGump::deleteRow(EditListRow* row, int rh)
{
    if (selectedRow == row)
        selectedRow = nullptr;
    if (firstVisibleRow == row)
        firstVisibleRow = row->next;
    EditListRow* following = row->next;
    // The field may be the one whose report led here: it is deleted when the event is over.
    row->control->row = nullptr;
    CGumpManager::DestroyGump(row->control);
    (row->prev != nullptr ? row->prev->next : firstRow) = row->next;
    (row->next != nullptr ? row->next->prev : lastRow) = row->prev;
    delete row;
    shiftRows(following, -rh, false, rh);
    --rowCount;
    if (topIndex + 1 >= rowCount)
        scrollDownButton->visible = 0;
    Redraw();
    if (CGump* owner = Parent())
        owner->OnChildChanged(this);
}

void CEditListGump::OnChildChanged(CGump* child)
{
    EditListRow* row = RowOf(child);
    if (row != nullptr) {
        // Runs for every kept key: the field's length and whether it is the last row are read once.
        CInputControlGump* control = row->control;
        const bool last = row == lastRow;
        const int length = control->Length();
        if (last && length > 0) {
            AddEntry(newRowMode != 0 ? "(new)" : "", 0);
            showNormal(control);
        } else if (!last && length == 0) {
            // The row height is looked up once for the scroll and the rows moving up.
            const int rh = rowHeight();
            if (EditListRow* to = row->prev != nullptr ? row->prev : row->next) {
                CInputControlGump* toControl = to->control;
                CGumpManager::SetFocus(toControl);
                toControl->OnChar(kKeyEnd);
                toControl->RedrawLater();
                if (toControl->y < 8)
                    scrollUp(rh);
            }
            deleteRow(row, rh);
        } else {
            showNormal(control);
        }
    }
    if (CGump* owner = Parent())
        owner->OnChildChanged(this);
}

void CEditListGump::showNormal(CInputControlGump* control)
{
    // A row that changed marked itself before it told the list: it is marked again only when
    // its colour changes here (a selected row typed into).
    if (control->colour == kNormalColour)
        return;
    control->colour = kNormalColour;
    control->RedrawLater();
}

void CEditListGump::OnChildPress(CGump* child)
{
    EditListRow* row = RowOf(child);
    if (row == nullptr)
        return;
    if (selectedRow != nullptr) {
        selectedRow->control->colour = savedColour;
        selectedRow->control->RedrawLater();
    }
    selectedRow = row;
    savedColour = row->control->colour;
    row->control->colour = kSelectedColour;
    row->control->RedrawLater();
    CGumpManager::SetFocus(this);
}

void CEditListGump::OnChar(uint16_t character)
{
    if (newRowMode != 0 && character == kKeyDelete && selectedRow != nullptr && selectedRow != lastRow)
        deleteRow(selectedRow, rowHeight());
}

void CEditListGump::OnChildTab()
{
    EditListRow* row = RowOf(CGumpManager::Focus());
    if (row == nullptr || row->next == nullptr)
        return;
    CInputControlGump* next = row->next->control;
    CGumpManager::SetFocus(next);
    next->RedrawLater();
    if (const int rh = rowHeight(); next->y + rh > height)
        scrollDown(rh);
}

void CEditListGump::ScrollUp()
{
    scrollUp(0);
}

void CEditListGump::ScrollDown()
{
    scrollDown(0);
}

void CEditListGump::scrollUp(int rh)
{
    if (topIndex <= 0)
        return;
    --topIndex;
    if (firstVisibleRow != nullptr && firstVisibleRow->prev != nullptr)
        firstVisibleRow = firstVisibleRow->prev;
    if (rh <= 0)
        rh = rowHeight();
    shiftRows(firstRow, rh, true, rh);
    if (topIndex == 0)
        scrollUpButton->visible = 0;
    scrollDownButton->visible = 1;
    Redraw();
}

void CEditListGump::scrollDown(int rh)
{
    if (topIndex + 1 >= rowCount)
        return;
    ++topIndex;
    if (firstVisibleRow != nullptr && firstVisibleRow->next != nullptr)
        firstVisibleRow = firstVisibleRow->next;
    if (rh <= 0)
        rh = rowHeight();
    shiftRows(firstRow, -rh, true, rh);
    if (topIndex >= rowCount - 1)
        scrollDownButton->visible = 0;
    scrollUpButton->visible = 1;
    Redraw();
}

// ---- Dragging the window by the list ----------------------------------------------------------

void CEditListGump::OnLButtonDown(int px, int py)
{
    grabX = px;
    grabY = py;
    pressed = 1;
    BringToFront(false);
    if (clickState == 1) {
        clickState = 2;
    } else {
        clickState = 1;
        clickTime = platform::current().clock->tickCount();
    }
}

void CEditListGump::OnDrag(int px, int py)
{
    if (pressed == 0)
        return;
    if (clickState == 1 && (std::abs(px - grabX) > 4 || std::abs(py - grabY) > 4)) {
        moved = 1;
        clickState = 0;
    }
    if (CGump* owner = Parent(); owner != nullptr && (px != grabX || py != grabY))
        owner->MoveBy(px - grabX, py - grabY, owner->Parent() == nullptr, nullptr, true);
}

void CEditListGump::OnMouseTick()
{
    if (clickState == 1 && platform::current().clock->tickCount() - clickTime > MouseManager::DoubleClickTime()) {
        clickState = 0;
        if (pressed != 0)
            moved = 1;
    }
}

void CEditListGump::OnLButtonUp(int, int)
{
    pressed = 0;
    moved = 0;
    if (clickState == 2)
        clickState = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CEditListGump::OnRButtonUp(int, int)
{
    if (CGump* owner = Parent())
        owner->OnRButtonUp(0, 0);
}
