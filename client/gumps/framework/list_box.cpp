/** @file The drop-down list box and the yes/no question window. */
#include "client/gumps/framework/list_box.h"

#include "client/core/display_mode.h"
#include "client/data/font_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_drawing.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/mouse_manager.h"

#include <algorithm>

namespace {

constexpr int kHighlightArt = 5109;
constexpr int kMoreAboveArt = 2435;
constexpr int kMoreBelowArt = 2437;
constexpr int kHoverHue = 33;

} // namespace

// ---- The list box -----------------------------------------------------------------------------

CListBoxControlGump::CListBoxControlGump(int x0, int y0, int art, int, int, int font0, int colour0, int visibleRows0)
{
    name = "ListBoxControl gump";
    x = x0;
    y = y0;
    artId = art;
    font = font0;
    colour = colour0;
    visibleRows = std::max(visibleRows0, 0);
    scrolling = visibleRows > 0 ? 1 : 0;
    visible = 0;
    const ArtSize top = GumpArtExtent(art), bottom = GumpArtExtent(art + 4);
    width = std::max(top.w, 1);
    height = std::max(top.h + bottom.h, 1);
    SetFrameCount(1);
    Redraw();
}

CListBoxControlGump::CListBoxControlGump(int x0, int y0, int art, int w, int h, CGump* owner, int font0, int colour0,
                                         int visibleRows0)
{
    name = "ListBoxControl gump";
    x = x0;
    y = y0;
    artId = art;
    sized = 1;
    font = font0;
    colour = colour0;
    visibleRows = std::max(visibleRows0, 0);
    scrolling = visibleRows > 0 ? 1 : 0;
    visible = 0;
    width = std::max(w, 1);
    height = std::max(h, 1);
    SetFrameCount(1);
    Redraw();
    if (owner != nullptr)
        AttachToParent(owner);
}

const std::string& CListBoxControlGump::ItemText(int index) const
{
    static const std::string none;
    return index >= 0 && index < count ? texts[static_cast<size_t>(index)] : none;
}

int CListBoxControlGump::itemTop() const
{
    return sized != 0 ? 0 : GumpArtExtent(artId).h;
}

int CListBoxControlGump::itemBottom() const
{
    return sized != 0 ? height : height - GumpArtExtent(artId + 4).h;
}

int CListBoxControlGump::shownRows() const
{
    return scrolling != 0 ? std::min(visibleRows, count - firstShown) : count;
}

int CListBoxControlGump::textX() const
{
    const int middle = GumpArtExtent(artId + 1).w;
    return middle >= width ? 6 : (width - middle) / 2 + 6;
}

void CListBoxControlGump::AddItem(int id, const char* text)
{
    if (count >= kMaxItems)
        return;
    std::string item = text != nullptr ? text : "";
    if (item.size() > static_cast<size_t>(kMaxItemText))
        item.resize(static_cast<size_t>(kMaxItemText));
    ids[static_cast<size_t>(count)] = id;
    texts[static_cast<size_t>(count)] = item;
    ++count;
    if (scrolling == 0 || count <= visibleRows)
        height += kRowHeight;
    const int screenBottom = scrolling != 0 ? 460 : 480;
    if (y + height > screenBottom)
        y = screenBottom - height;
    y = std::max(y, 0);
    const int textWidth = FontManager::GetStringWidthN(font, static_cast<int32_t>(item.size()), item.c_str());
    if (textWidth > width - 12) {
        const int growth = textWidth + 12 - width;
        width += growth;
        x -= growth / 2;
    }
    Redraw();
}

void CListBoxControlGump::Redraw()
{
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    if (bitmap == nullptr)
        return;
    const PixelSurface surface = BitmapSurface(*bitmap);
    const int top = itemTop();
    const int rows = shownRows();
    if (sized != 0) {
        DrawGumpArtFrame(artId, *bitmap, 0);
        const BlitRect clip{0, 0, width, height};
        for (int i = 0; i < rows; ++i) {
            const int item = firstShown + i;
            const int hue = item == hoveredItem ? kHoverHue : colour;
            FontManager::DrawStringBufEllips(6, i * kRowHeight, font, hue, texts[static_cast<size_t>(item)].c_str(),
                                             surface, clip);
        }
    } else {
        DrawTiledColumnArt(artId, 3, *bitmap, 0, 0);
        const int tx = textX();
        if (hoveredItem >= firstShown && hoveredItem < firstShown + rows)
            DrawHighlightBar(tx, top + (hoveredItem - firstShown) * kRowHeight, width - 2 * tx, kHighlightArt, *bitmap);
        const BlitRect clip{tx, top, width - 6, itemBottom()};
        for (int i = 0; i < rows; ++i)
            FontManager::DrawStringBufEllips(tx, top + i * kRowHeight, font, colour,
                                             texts[static_cast<size_t>(firstShown + i)].c_str(), surface, clip);
        if (scrolling != 0) {
            if (firstShown > 0)
                DrawGumpArtAt(kMoreAboveArt, *bitmap, width - 6 - GumpArtExtent(kMoreAboveArt).w, top);
            if (firstShown + rows < count)
                DrawGumpArtAt(kMoreBelowArt, *bitmap, width - 6 - GumpArtExtent(kMoreBelowArt).w,
                          itemBottom() - GumpArtExtent(kMoreBelowArt).h);
        }
    }
    CGumpManager::AddDirty(ScreenRect());
}

void CListBoxControlGump::Draw(const GumpCanvas& canvas)
{
    CGump::Draw(canvas);
}

bool CListBoxControlGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CListBoxControlGump::OnDrag(int px, int py)
{
    const int before = hoveredItem;
    int hovered = -1;
    const int top = itemTop();
    if (px >= 0 && px < width && py >= top && py < itemBottom()) {
        hovered = firstShown + (py - top) / kRowHeight;
        // Only rows that hold an item can be chosen (a release below the last one chooses nothing).
        if (sized != 0)
            hovered = std::min(hovered, count - 1);
        else if (hovered >= firstShown + shownRows())
            hovered = -1;
    }
    hoveredItem = hovered;
    if (hoveredItem != before)
        Redraw();
}

void CListBoxControlGump::OnMouseTick()
{
    if (scrolling == 0)
        return;
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    ScreenToGumpCoords(px, py);
    if (py < 0 && firstShown > 0)
        --firstShown;
    else if (py >= height && firstShown + visibleRows < count)
        ++firstShown;
    else
        return;
    Redraw();
}

void CListBoxControlGump::choose()
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    CInputControlGump* target = targetField != nullptr && IsLiveGump(targetField) ? targetField : nullptr;
    if (hoveredItem >= 0 && hoveredItem < count && target != nullptr) {
        const int id = ids[static_cast<size_t>(hoveredItem)];
        if (sized == 0 || id != target->value) {
            target->value = id;
            target->SetText(texts[static_cast<size_t>(hoveredItem)]);
            if (CGump* owner = target->Parent())
                owner->OnChildChanged(target);
        }
    }
    CGumpManager::DestroyGump(this);
}

void CListBoxControlGump::OnLButtonDown(int, int)
{
    if (sized != 0)
        choose();
}

void CListBoxControlGump::OnLButtonUp(int, int)
{
    if (sized == 0)
        choose();
}

// ---- The yes/no question ----------------------------------------------------------------------

CYesNoGump::CYesNoGump(const char* question, Action first, Action second, int callerValue0)
    : callerValue(callerValue0), first_(std::move(first)), second_(std::move(second))
{
    name = "YesNo gump";
    artId = 2070;
    const ArtSize size = GumpArtExtent(artId);
    width = std::max(size.w, 1);
    height = std::max(size.h, 1);
    x = ScreenWidth / 2 - width / 2;
    y = ScreenHeight / 2 - height / 2;
    SetFrameCount(1);
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    if (bitmap != nullptr) {
        DrawGumpArtAt(artId, *bitmap, 0, 0);
        const BlitRect clip{33, 30, 148, 63};
        FontManager::DrawstringBuf(33, 30, 1, 902, question != nullptr ? question : "", 115, BitmapSurface(*bitmap), clip,
                                   0, 0, 0);
    }
    auto* yes = new CButtonGump(100, 75, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CYesNoGump::RunFirst),
                                2074, 2075, 0);
    yes->hoverArt = 2076;
    auto* no = new CButtonGump(37, 75, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CYesNoGump::RunSecond),
                               2071, 2072, 0);
    no->hoverArt = 2073;
    AttachToParent(nullptr);
    CGumpManager::SetModal(this);
}

CYesNoGump::~CYesNoGump()
{
    if (CGumpManager::Modal() == this)
        CGumpManager::SetModal(nullptr);
}

void CYesNoGump::RunFirst()
{
    if (first_)
        first_(*this);
}

void CYesNoGump::RunSecond()
{
    if (second_)
        second_(*this);
}

void CYesNoGump::Draw(const GumpCanvas& canvas)
{
    CGump::Draw(canvas);
}

void CYesNoGump::OnLButtonDown(int px, int py)
{
    BringToFront(false);
    dragging = 1;
    grabX = px;
    grabY = py;
}

void CYesNoGump::OnDrag(int px, int py)
{
    if (dragging != 0 && (px != grabX || py != grabY))
        MoveBy(px - grabX, py - grabY, true, nullptr, true);
}

void CYesNoGump::OnLButtonUp(int, int)
{
    dragging = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CYesNoGump::OnRButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}
