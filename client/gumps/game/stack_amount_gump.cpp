/** @file The stack amount gump: slider, typed digits within 1 and the stack's amount, OK lifts. */
#include "client/gumps/game/stack_amount_gump.h"

#include "client/data/font_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "client/world/object_manager.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int kBackgroundArt = 2140;
constexpr int kTextFont = 1;
constexpr int kTextHue = 902;
constexpr int kTextX = 29;
constexpr int kBaseline = 42;
constexpr int kTrackStart = 28;
constexpr int kTrackLength = 136;

} // namespace

CStackGump::CStackGump(int x0, int y0, CObj* item)
{
    name = "stack gump";
    x = x0;
    y = y0;
    object = item;
    itemSerial = item != nullptr ? item->GetSerial() : 0;
    int32_t w = 0, h = 0;
    GetGumpArtSize(kBackgroundArt, &w, &h);
    width = (w + 7) & ~7;
    height = h;
    SetFrameCount(1);
    MakeFrame(0, width, height);
    maximum = item != nullptr ? item->amount : 0;
    amount = maximum;
    amountText = std::to_string(amount);
    CGumpManager::SetFocus(this);
    DrawAmount();
    slider = new CThumbGump(kTrackStart, 16, this, 0, kTrackStart + kTrackLength, 2117);
    slider->hoverArt = 2118;
    slider->SetPosition(amount, std::max(maximum, 1));
    okButton = new CButtonGump(102, 37, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CStackGump::pressOk),
                               2141, 2142, 0);
    AttachToParent(nullptr);
}

CStackGump::~CStackGump()
{
    object = nullptr;
}

void CStackGump::DrawAmount()
{
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr || bitmap->height == 0)
        return;
    std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
    DrawGumpArt(CopySpanTransparent, kBackgroundArt, 0, 0, bitmap->pixels.data(), bitmap->stride(), bitmap->height);
    int32_t w = 0, h = 0, baseline = 0;
    FontManager::GetStringExtent(kTextFont, "Aq", &w, &h, &baseline);
    const PixelSurface surface{bitmap->pixels.data(), bitmap->stride(), bitmap->width, bitmap->height};
    const BlitRect clip{0, 0, bitmap->width, bitmap->height};
    const int top = kBaseline - baseline;
    FontManager::DrawString(kTextX, top, kTextFont, kTextHue, amountText.c_str(), surface, clip);
    if (CGumpManager::Focus() == this) {
        const int textWidth = FontManager::GetStringWidthN(kTextFont, static_cast<int32_t>(amountText.size()),
                                                           amountText.c_str());
        FontManager::DrawString(30 + textWidth, top, kTextFont, kTextHue, "_", surface, clip);
    }
    int sx = 0, sy = 0;
    GumpToScreenCoords(sx, sy);
    CGumpManager::AddDirty({sx, sy, sx + width, sy + height});
}

void CStackGump::OnThumbMove(int position, int range, CGump* /*thumb*/)
{
    // An empty track has no position but its start; the amount never falls below 1.
    const int64_t chosen = range > 0 ? static_cast<int64_t>(position) * maximum / range : maximum;
    amount = static_cast<int>(std::clamp<int64_t>(chosen, std::min(1, maximum), maximum));
    amountText = std::to_string(amount);
    DrawAmount();
}

void CStackGump::OnChar(uint16_t c)
{
    if (c == 13) {
        Accept();
        return;
    }
    if (c != 8 && (c < '0' || c > '9'))
        return;
    std::string text = textReplaced == 0 ? std::string() : amountText;
    textReplaced = 1;
    if (c == 8) {
        if (!text.empty())
            text.pop_back();
    } else if (c != '0' || !text.empty()) { // no leading zero
        const std::string longer = text + static_cast<char>(c);
        if (std::stol(longer) <= maximum) // a digit past the stack's amount is dropped
            text = longer;
    }
    amountText = text;
    const int typed = text.empty() ? 0 : static_cast<int>(std::stol(text));
    amount = std::clamp(typed, std::min(1, maximum), maximum);
    if (slider != nullptr)
        slider->SetPosition(amount, std::max(maximum, 1));
    DrawAmount();
}

void CStackGump::Accept()
{
    const uint32_t serial = itemSerial;
    const int chosen = amount;
    CGumpManager::DestroyGump(this);
    if (serial == 0 || chosen <= 0)
        return;
    // The item is asked for again: it may have gone while the gump was open.
    if (CDynamicObj* item = CObjectManager::FindObject(serial))
        CObjectManager::GetObject(item, static_cast<uint16_t>(std::min(chosen, static_cast<int>(item->amount))));
}

void CStackGump::Update()
{
    if (itemSerial != 0 && !closing && CObjectManager::FindObject(itemSerial) == nullptr)
        CGumpManager::DestroyGump(this);
}

void CStackGump::OnLButtonDown(int px, int py)
{
    pressX_ = px;
    pressY_ = py;
    held_ = 1;
    BringToFront(false);
    CGumpManager::SetFocus(this);
    DrawAmount();
}

void CStackGump::OnLButtonUp(int /*px*/, int /*py*/)
{
    held_ = 0;
    MouseManager::SetCapture(nullptr);
}

void CStackGump::OnRButtonUp(int /*px*/, int /*py*/)
{
    MouseManager::SetCapture(nullptr);
    CGumpManager::DestroyGump(this);
}

void CStackGump::OnDrag(int px, int py)
{
    if (held_ != 0)
        MoveBy(px - pressX_, py - pressY_, true, nullptr, true);
}
