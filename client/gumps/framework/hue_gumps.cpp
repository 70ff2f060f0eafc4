/** @file The hue pickers. */
#include "client/gumps/framework/hue_gumps.h"

#include "client/core/app.h"
#include "client/core/display_mode.h"
#include "client/data/art_blit.h"
#include "client/data/art_image.h"
#include "client/data/font_manager.h"
#include "client/data/gump_art.h"
#include "client/data/hue_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "client/net/packet_builders.h"
#include "client/world/tile_data.h"

#include <algorithm>

namespace {

/** Colour 16 of a table entry (hue index + 1), in the display's format; never 0. */
uint16_t swatchColour(int entryIndex)
{
    const HueEntry* entry = HueManager::GetHue(entryIndex + 1);
    uint16_t colour = entry != nullptr ? entry->colors[16] : 1;
    if (FontManager::use565())
        colour = Convert555To565(colour);
    return colour != 0 ? colour : 1;
}

void fillRect(GumpBitmap& bitmap, int left, int top, int w, int h, uint16_t colour)
{
    const int l = std::max(left, 0), t = std::max(top, 0);
    const int r = std::min<int>(left + w, bitmap.width), b = std::min<int>(top + h, bitmap.height);
    for (int row = t; row < b; ++row)
        for (int col = l; col < r; ++col)
            bitmap.row(row)[col] = colour;
}

/** Draws an art image into a bitmap through a span routine, clipped to rect; the blit target is put back after. */
void blitInto(GumpBitmap& bitmap, const ArtImage* image, SpanRoutine span, const BlitRect& rect, int x, int y)
{
    uint16_t* target = GetBlitTarget();
    const int32_t pitch = GetBlitPitch();
    const BlitRect previous = GetBlitTargetRect();
    SetBlitTarget(bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height);
    BlitArtClipped(span, image, rect, x, y);
    SetBlitTarget(target, pitch, previous.right, previous.bottom);
}

constexpr int kSliderX = 38;
constexpr int kSliderY = 142;
constexpr int kSliderLength = 186;
constexpr int kShades = 5;

} // namespace

// ---- The colour grid ------------------------------------------------------------------------

CHueControl::CHueControl(int x0, int y0, int w, int h, int controlKind, CGump* ownerGump, int surface, int random)
    : CDumbGump(x0, y0, 0, w, h, 0, nullptr, -1), owner(ownerGump), surfaceArgument(surface)
{
    name = "hue control";
    kind = controlKind >= 0 && controlKind <= 5 ? controlKind : 0;
    if (kind == 0) {
        rows = 8, columns = 8, firstValue = 1001, lastValue = 1057;
    } else if (kind <= 2) {
        rows = 8, columns = 6, firstValue = 1101, lastValue = 1148;
    } else {
        rows = 50, columns = 20, firstValue = 1, lastValue = 1001;
    }
    values.assign(static_cast<size_t>(rows * columns), lastValue);
    if (kind <= 2) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                values[static_cast<size_t>(r * columns + c)] = std::min(firstValue + r + c * rows, lastValue);
    } else {
        int f = 1, g = 100;
        for (int r = 0; r < rows; ++r) {
            g *= 2;
            int start = f + g;
            if (start > 1001) {
                start = f + 101;
                ++f;
                g = 100;
            }
            for (int c = 0; c < columns; ++c)
                values[static_cast<size_t>(r * columns + c)] = std::min(start + 5 * c, 1001);
        }
    }
    cellWidth = width / columns;
    cellHeight = height / rows;
    marginLeft = (width % columns) / 2;
    marginTop = (height % rows) / 2;
    usedWidth = columns * cellWidth;
    usedHeight = rows * cellHeight;
    if (random != 0) {
        selectedRow = RandomBelow(rows);
        selectedColumn = RandomBelow(columns);
    }
    selectedValue = Value(selectedRow, selectedColumn);
    DrawSwatches();
    if (owner != nullptr)
        AttachToParent(owner);
}

void CHueControl::DrawSwatches()
{
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr || cellWidth <= 0 || cellHeight <= 0)
        return;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            fillRect(*bitmap, marginLeft + c * cellWidth, marginTop + r * cellHeight, cellWidth, cellHeight,
                     swatchColour(Value(r, c)));
    fillRect(*bitmap, marginLeft + selectedColumn * cellWidth + cellWidth / 2,
             marginTop + selectedRow * cellHeight + cellHeight / 2, 1, 1, 0x7FFF);
    CGumpManager::AddDirty(ScreenRect());
}

void CHueControl::selectAt(int px, int py)
{
    const int cw = std::max(cellWidth, 1), ch = std::max(cellHeight, 1);
    selectedColumn = std::clamp((px - marginLeft) / cw, 0, columns - 1);
    selectedRow = std::clamp((py - marginTop) / ch, 0, rows - 1);
    selectedValue = Value(selectedRow, selectedColumn);
}

void CHueControl::OnClick(int px, int py)
{
    selectAt(px, py);
    if (owner != nullptr && IsLiveGump(owner))
        owner->OnChildChanged(this);
    if (IsLiveGump(this))
        DrawSwatches();
}

void CHueControl::OnDrag(int px, int py)
{
    if (pressed == 0)
        return;
    selectAt(px, py);
    DrawSwatches();
    if (owner != nullptr && IsLiveGump(owner))
        owner->OnChildChanged(this);
}

bool CHueControl::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CHueControl::OnLButtonDown(int px, int py)
{
    pressed = 1;
    OnClick(px, py);
}

void CHueControl::OnLButtonUp(int, int)
{
    pressed = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

// ---- The hue picker window ------------------------------------------------------------------

CHueGump::CHueGump()
{
    name = "hue gump";
}

CHueGump::CHueGump(uint32_t itemSerial, uint16_t itemValue, uint16_t itemGraphic) : CHueGump()
{
    packetMode = 1;
    replyOnClose = 1;
    serial = itemSerial;
    value = itemValue;
    graphic = itemGraphic;
    shade = 1;
    hue = 3;
    build();
    x = (ScreenWidth - width) / 2;
    y = (ScreenHeight - height) / 2;
}

CHueGump* CHueGump::CHueGumpWithTitle(int x0, int y0, int preview, CGump* ownerGump, const char* text, int startHue)
{
    auto* gump = new CHueGump();
    gump->x = x0;
    gump->y = y0;
    gump->previewArt = preview;
    gump->owner = ownerGump;
    gump->title = text != nullptr ? text : "";
    gump->hue = startHue;
    gump->shade = (((startHue - 2) % kShades) + kShades) % kShades;
    gump->build();
    return gump;
}

CHueGump* CHueGump::OpenForItem(uint32_t itemSerial, uint16_t itemValue, uint16_t itemGraphic)
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling()) {
        auto* open = dynamic_cast<CHueGump*>(g);
        if (open != nullptr && !open->closing && open->packetMode != 0 && open->serial == itemSerial)
            return open;
    }
    auto* gump = new CHueGump(itemSerial, itemValue, itemGraphic);
    gump->AttachToParent(nullptr);
    return gump;
}

void CHueGump::build()
{
    const ArtSize size = GumpArtExtent(kBackgroundArt);
    width = size.w;
    height = size.h;
    SetFrameCount(1);
    MakeFrame(0, width, height);
    thumb_ = new CThumbGump(kSliderX, kSliderY, this, 0, kSliderX + kSliderLength, 2118);
    new CButtonGump(26, 142, 39, 158, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CHueGump::stepDown), 0);
    new CButtonGump(184, 142, 197, 158, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CHueGump::stepUp), 0);
    auto* ok = new CButtonGump(208, 138, this, CButtonGump::Push, 0, static_cast<ButtonCallback>(&CHueGump::Accept),
                               2311, 2312, 0);
    ok->hoverArt = 2313;
    placeThumb();
    DrawPalette(hue);
}

CHueGump::~CHueGump()
{
    if (packetMode != 0) {
        if (replyOnClose != 0) {
            if (CPacketSink* connection = MainConnection()) {
                uint8_t packet[9];
                BuildHueChoicePacket(packet, serial, value, static_cast<uint16_t>(hue));
                connection->SendPacket(packet, sizeof packet);
            }
        }
    } else if (owner != nullptr && IsLiveGump(owner)) {
        // The owner may have gone meanwhile: only a live window takes the hue.
        if (auto* window = dynamic_cast<HuePickerOwner*>(owner)) {
            if (cancelled == 0 && setFirstField != 0)
                window->SetHueField(0, hue);
            else if (cancelled == 0 && setSecondField != 0)
                window->SetHueField(1, hue);
            if (callApply != 0)
                window->ApplyPickedHue(cancelled != 0 ? -1 : hue);
        }
    }
    cancelled = 0;
}

int CHueGump::HueAt(int px, int py) const
{
    if (px < kPaletteLeft || py < kPaletteTop || px >= kPaletteLeft + kPaletteColumns * kCell ||
        py >= kPaletteTop + kPaletteRows * kCell)
        return 0;
    return 2 + 100 * ((py - kPaletteTop) / kCell) + 5 * ((px - kPaletteLeft) / kCell) + shade;
}

void CHueGump::DrawPalette(int newHue)
{
    hue = newHue;
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr || bitmap->width == 0 || bitmap->height == 0)
        return;
    bitmap->clear();
    DrawGumpArtClipped(CopySpan, kBackgroundArt, ClipRect{0, 0, bitmap->width, bitmap->height}, 0, 0,
                       bitmap->pixels.data(), bitmap->stride(), bitmap->height);
    for (int r = 0; r < kPaletteRows; ++r)
        for (int c = 0; c < kPaletteColumns; ++c)
            fillRect(*bitmap, kPaletteLeft + c * kCell, kPaletteTop + r * kCell, kCell, kCell,
                     swatchColour(2 + 100 * r + 5 * c + shade - 1));
    // The marker: a white plus in the middle of the hue's cell.
    const int cell = hue - 2 - shade;
    if (hue >= 2 && cell >= 0 && cell % 5 == 0 && cell / 100 < kPaletteRows && (cell % 100) / 5 < kPaletteColumns) {
        const int left = kPaletteLeft + ((cell % 100) / 5) * kCell;
        const int top = kPaletteTop + (cell / 100) * kCell;
        fillRect(*bitmap, left + 3, top + 4, 3, 1, 0x7FFF);
        fillRect(*bitmap, left + 4, top + 3, 1, 3, 0x7FFF);
    }
    drawBeside(*bitmap);
    CGumpManager::AddDirty(ScreenRect());
}

void CHueGump::drawBeside(GumpBitmap& bitmap)
{
    const int32_t previousHue = spanHue();
    setSpanHue(hue > 0 ? hue - 1 : 0);
    const BlitRect whole{0, 0, bitmap.width, bitmap.height};
    const int areaLeft = kPaletteLeft + kPaletteColumns * kCell;
    const int areaWidth = std::max(bitmap.width - areaLeft, 0);
    const int areaTop = kPaletteTop, areaHeight = kPaletteRows * kCell;
    if (packetMode != 0) {
        const ArtImage* image = GetArtImage(graphic + 0x4000);
        if (image == nullptr)
            image = GetArtImage(0x4000);
        if (image != nullptr) {
            const bool greyOnly = (TileData::ItemFlags(graphic) & 0x40000) != 0;
            blitInto(bitmap, image, greyOnly ? partialHueSpanTransparent : HueSpan, whole,
                     areaLeft + (areaWidth - image->width) / 2, areaTop + (areaHeight - image->height) / 2);
        }
    } else if (owner != nullptr) {
        int32_t textWidth = 0, textHeight = 0, baseline = 0;
        FontManager::CalcInfoWrap(3, title.c_str(), 54, &textWidth, &textHeight, &baseline, 0);
        const PixelSurface surface{bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height};
        FontManager::DrawstringBuf(200, 50 + (50 - textHeight) / 2, 3, hue, title.c_str(), 54, surface,
                                   BlitRect{200, 50, std::min<int>(254, bitmap.width), std::min<int>(100, bitmap.height)},
                                   0, 0, 0);
    } else if (previewArt >= 0) {
        const ArtSize size = GumpArtExtent(previewArt);
        const int px = areaLeft + (areaWidth - size.w) / 2, py = areaTop + (areaHeight - size.h) / 2;
        DrawGumpArtClipped(hue > 0 ? HueSpan : CopySpanTransparent, previewArt,
                           ClipRect{0, 0, bitmap.width, bitmap.height}, px, py, bitmap.pixels.data(), bitmap.stride(),
                           bitmap.height);
    }
    setSpanHue(previousHue);
}

void CHueGump::SetShade(int s)
{
    s = std::clamp(s, 0, kShades - 1);
    if (s == shade)
        return;
    const int sameCell = hue - shade + s;
    shade = s;
    DrawPalette(sameCell);
}

void CHueGump::stepShade(int delta)
{
    SetShade(shade + delta);
    placeThumb();
}

void CHueGump::placeThumb()
{
    if (thumb_ != nullptr)
        thumb_->SetPosition(shade, kShades - 1);
}

void CHueGump::Cancel()
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (packetMode != 0)
        return;
    cancelled = 1;
    CGumpManager::DestroyGump(this);
}

void CHueGump::Accept()
{
    CGumpManager::DestroyGump(this);
}

bool CHueGump::HitTest(int px, int py)
{
    const GumpBitmap* frame = Frame(0);
    return visible != 0 && frame != nullptr && px >= 0 && py >= 0 && px < frame->width && py < frame->height &&
           frame->pixel(px, py) != 0;
}

void CHueGump::OnLButtonDown(int px, int py)
{
    pressed = 1;
    BringToFront(false);
    if (const int picked = HueAt(px, py); picked != 0) {
        pressedInPalette = 1;
        DrawPalette(picked);
        return;
    }
    pressedInPalette = 0;
    grabX = px;
    grabY = py;
}

void CHueGump::OnDrag(int px, int py)
{
    if (pressed == 0)
        return;
    if (pressedInPalette != 0) {
        if (const int picked = HueAt(px, py); picked != 0 && picked != hue)
            DrawPalette(picked);
        return;
    }
    if (px != grabX || py != grabY)
        MoveBy(px - grabX, py - grabY, true, nullptr, true);
}

void CHueGump::OnLButtonUp(int, int)
{
    pressed = 0;
    pressedInPalette = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CHueGump::OnRButtonUp(int, int)
{
    Cancel();
}

void CHueGump::OnThumbMove(int position, int range, CGump*)
{
    if (range > 0)
        SetShade(position * (kShades - 1) / range);
}

void CHueGump::OnThumbRelease(int position, int range, CGump* thumb)
{
    OnThumbMove(position, range, thumb);
    placeThumb();
}
