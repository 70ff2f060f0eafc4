/** @file The message gump, the plain picture gump and the sign gump. */
#include "client/gumps/framework/message_gumps.h"

#include "client/core/app.h"
#include "client/data/art_image.h"
#include "client/data/font_manager.h"
#include "client/data/gump_art.h"
#include "client/data/hue_manager.h"
#include "client/data/span_routines.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_drawing.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/mouse_manager.h"

#include <algorithm>
#include <cstring>

namespace {

PixelSurface surfaceOf(GumpBitmap& bitmap)
{
    return PixelSurface{bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height};
}

CWaitingGump::OkHandler& okHandler()
{
    static CWaitingGump::OkHandler handler;
    return handler;
}

} // namespace

uint16_t HueTextColour(int hue)
{
    const HueEntry* entry = HueManager::GetHue(hue);
    const uint16_t colour = entry != nullptr ? entry->colors[30] : 0x7FFF;
    return colour != 0 ? colour : 1;
}

// ---- Shared handlers ------------------------------------------------------------------------

namespace gumpdrag {

void PressToDrag(CGump& gump, bool& dragging, int x, int y)
{
    if (CGumpManager::Modal() != &gump)
        gump.BringToFront(false);
    dragging = true;
    gump.grabX = x;
    gump.grabY = y;
}

void DragMove(CGump& gump, bool dragging, int x, int y)
{
    if (dragging && (x != gump.grabX || y != gump.grabY))
        gump.MoveBy(x - gump.grabX, y - gump.grabY, true, nullptr, true);
}

void DragEnd(CGump& gump, bool& dragging)
{
    dragging = false;
    if (MouseManager::Capture() == &gump)
        MouseManager::SetCapture(nullptr);
}

void CloseOnRightClick(CGump& gump)
{
    if (MouseManager::Capture() == &gump)
        MouseManager::SetCapture(nullptr);
    CGumpManager::DestroyGump(&gump);
}

} // namespace gumpdrag

// ---- The message gump -----------------------------------------------------------------------

int CWaitingGump::messageFont = 1;

void CWaitingGump::SetOkHandler(OkHandler handler)
{
    okHandler() = std::move(handler);
}

CWaitingGump::CWaitingGump(int, int, const char* text, CGump* owner, int buttonKind, int isBlocking, int value,
                           int isUnicode)
    : blocking(isBlocking), callbackValue(value), unicode(isUnicode), text_(text != nullptr ? text : ""), owner_(owner)
{
    name = "waiting gump";
    if (unicode != 0)
        for (unsigned char c : text_)
            wideText_.push_back(static_cast<char16_t>(c));

    previousFocus_ = CGumpManager::Focus();
    // A message that closes at the end of this pass hands on the focus it was keeping.
    if (auto* closingMessage = dynamic_cast<CWaitingGump*>(previousFocus_); closingMessage && closingMessage->closing)
        previousFocus_ = closingMessage->previousFocus_;
    CGumpManager::KillFocus();
    CGumpManager::SetFocus(this);

    const ArtSize corner = GumpArtExtent(kFrameArt);
    width = 2 * corner.w + (blocking != 0 ? 268 : 115);
    height = 2 * corner.h + (blocking != 0 ? 124 : 33);
    if (g_bInGame) {
        const GumpRect area = CGumpManager::GameArea();
        x = (area.width() - width) / 2;
        y = (area.height() - height) / 2;
    } else {
        x = 320 - width / 2;
        y = 240 - height / 2;
    }

    SetFrameCount(2);
    GumpBitmap* background = MakeFrame(1, width, height);
    DrawGumpArtFrame(kFrameArt, *background, 0);
    GumpBitmap* shown = MakeFrame(0, width, height);
    shown->pixels = background->pixels;
    drawText(*shown);

    const bool ok = buttonKind == 0;
    const ArtSize buttonSize = GumpArtExtent(ok ? 1153 : 1150);
    const int buttonY = height - 2 * GumpArtExtent(1150).h;
    button_ = new CButtonGump((width - buttonSize.w) / 2, buttonY, this, CButtonGump::Push, 0,
                              static_cast<ButtonCallback>(&CWaitingGump::Ok), ok ? 1153 : 1150, ok ? 1155 : 1152, 0);
    button_->hoverArt = ok ? 1154 : 1151;
    if (!ok && blocking != 0) {
        waitMode = 1;
        MouseManager::BeginWait();
        MouseManager::SetCursor(MouseManager::kNormalCursor);
    }
}

void CWaitingGump::drawText(GumpBitmap& bitmap)
{
    const int right = blocking != 0 ? 312 : 159;
    const int bottom = blocking != 0 ? 168 : 77;
    const int wrap = blocking != 0 ? 268 : 115;
    const BlitRect clip{44, 44, std::min<int>(right, bitmap.width), std::min<int>(bottom, bitmap.height)};
    if (unicode != 0) {
        const int32_t space = UnicodeGetSpaceWidth();
        UnicodeSetSpaceWidth(6);
        UnicodeDrawStringWrapped(surfaceOf(bitmap), wrap, wideText_.c_str(), 44, 44, HueTextColour(kTextHue), clip,
                                 false);
        UnicodeSetSpaceWidth(space);
        return;
    }
    FontManager::DrawstringBuf(44, 44, blocking != 0 ? messageFont : 1, kTextHue, text_.c_str(), wrap,
                               surfaceOf(bitmap), clip, 0, 0, 0);
}

CWaitingGump::~CWaitingGump()
{
    if (waitMode != 0) {
        MouseManager::EndWait();
        MouseManager::SetCursor(MouseManager::kNormalCursor);
    }
    if (CGumpManager::Modal() == this)
        CGumpManager::SetModal(nullptr);
    // The focus goes back to the gump that had it, unless that one died meanwhile; a focus
    // another gump took in between stays where it is.
    if (CGumpManager::Focus() == this) {
        CGump* previous = previousFocus_;
        if (previous != nullptr && IsLiveGump(previous) && !previous->closing) {
            CGumpManager::SetFocus(previous);
            // A text field shows its caret again.
            if (auto* field = dynamic_cast<CInputControlGump*>(previous))
                field->Redraw();
            CGumpManager::AddDirty(previous->ScreenRect());
        } else {
            CGumpManager::KillFocus();
        }
    }
}

void CWaitingGump::ForgetGump(CGump* dying)
{
    if (owner_ == dying)
        owner_ = nullptr;
    if (previousFocus_ == dying)
        previousFocus_ = nullptr;
}

bool CWaitingGump::HitTest(int px, int py)
{
    if (visible == 0)
        return false;
    if (blocking != 0)
        return true;
    const GumpBitmap* frame = Frame(0);
    return frame != nullptr && px >= 0 && py >= 0 && px < frame->width && py < frame->height &&
           frame->pixel(px, py) != 0;
}

void CWaitingGump::OnLButtonDown(int px, int py)
{
    if (blocking == 0)
        gumpdrag::PressToDrag(*this, dragging, px, py);
}

void CWaitingGump::OnLButtonUp(int, int)
{
    gumpdrag::DragEnd(*this, dragging);
}

void CWaitingGump::OnDrag(int px, int py)
{
    gumpdrag::DragMove(*this, dragging, px, py);
}

void CWaitingGump::OnChar(uint16_t character)
{
    if (character == 13)
        Ok();
}

void CWaitingGump::Ok()
{
    if (closing)
        return;
    if (okHandler())
        okHandler()(this, owner_, callbackValue);
    else
        CGumpManager::DestroyGump(this);
}

void InstallMessageGumps(bool on)
{
    if (!on) {
        CGumpManager::SetMessageGumpFactory(nullptr);
        return;
    }
    CGumpManager::SetMessageGumpFactory([](const char* text, CGump* owner, int okButton, int flag, int unicode) {
        return new CWaitingGump(-1, -1, text, owner, okButton != 0 ? 0 : 1, 1, flag, unicode);
    });
}

// ---- The plain picture ----------------------------------------------------------------------

CDumbGump::CDumbGump(int x0, int y0, int, int w, int h, int artImage, const uint16_t* pixels, int gumpArt)
    : art(artImage)
{
    name = "dumb gump";
    x = x0;
    y = y0;
    width = std::max(w, 0);
    height = std::max(h, 0);
    SetFrameCount(1);
    GumpBitmap* frame = MakeFrame(0, width, height);
    if (pixels != nullptr)
        for (int row = 0; row < height; ++row)
            std::memcpy(frame->row(row), pixels + static_cast<size_t>(row) * width, sizeof(uint16_t) * width);
    if (gumpArt != -1 && width > 0 && height > 0)
        DrawGumpArtClipped(CopySpan, gumpArt, ClipRect{0, 0, width, height}, 0, 0, frame->pixels.data(),
                           frame->stride(), height);
}

void CDumbGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing || ScreenRect().intersect(canvas.clip).empty())
        return;
    int left = 0, top = 0;
    GumpToScreenCoords(left, top);
    if (artMode != 0) {
        const ArtImage* image = GetArtImage(art);
        if (image == nullptr || image->width <= 0 || image->height <= 0)
            return;
        // The image's runs go into a scratch frame first; the gaps between them stay untouched.
        std::vector<uint16_t> scratch(static_cast<size_t>(image->width) * image->height, 0);
        for (int row = 0; row < image->height; ++row)
            for (uint32_t i = image->rowStart[static_cast<size_t>(row)]; i < image->rowStart[static_cast<size_t>(row) + 1]; ++i) {
                const ArtRun& run = image->runs[i];
                std::copy_n(image->pixels.begin() + run.pixel, run.count,
                            scratch.begin() + static_cast<ptrdiff_t>(row) * image->width + run.x);
            }
        canvas.drawImage(CopySpanTransparent, scratch.data(), image->width, image->height, image->width, left, top);
        return;
    }
    const GumpBitmap* frame = Frame(0);
    if (frame == nullptr)
        return;
    canvas.drawImage(blend != 0 ? BlendSpanHalf : CopySpanTransparent, frame->pixels.data(), frame->width,
                     frame->height, frame->stride(), left, top);
}

// ---- The sign -------------------------------------------------------------------------------

CSignGump::CSignGump(int x0, int y0, int gumpArt, int, const char* text, CObj* shown)
{
    name = "sign gump";
    x = x0;
    y = y0;
    object = shown;
    const ArtSize size = GumpArtExtent(gumpArt);
    width = size.w;
    height = size.h;
    SetFrameCount(1);
    GumpBitmap* frame = MakeFrame(0, width, height);
    if (width <= 0 || height <= 0)
        return;
    DrawGumpArtClipped(CopySpan, gumpArt, ClipRect{0, 0, width, height}, 0, 0, frame->pixels.data(), frame->stride(),
                       height);
    const GumpRect content = CGumpManager::GetContainerContentRect(gumpArt);
    const BlitRect clip{std::max(content.left, 0), std::max(content.top, 0), std::min(content.right + 1, width),
                        std::min(content.bottom + 1, height)};
    if (text != nullptr && clip.right > clip.left && clip.bottom > clip.top)
        FontManager::DrawstringBuf(content.left, content.top, 1, CWaitingGump::kTextHue, text,
                                   content.right - content.left + 1, surfaceOf(*frame), clip, 0, 0, 0);
}

bool CSignGump::HitTest(int px, int py)
{
    const GumpBitmap* frame = Frame(0);
    return visible != 0 && frame != nullptr && px >= 0 && py >= 0 && px < frame->width && py < frame->height &&
           frame->pixel(px, py) != 0;
}

void CSignGump::OnLButtonDown(int px, int py)
{
    gumpdrag::PressToDrag(*this, dragging, px, py);
}

void CSignGump::OnLButtonUp(int, int)
{
    gumpdrag::DragEnd(*this, dragging);
}

void CSignGump::OnRButtonUp(int, int)
{
    gumpdrag::CloseOnRightClick(*this);
}

void CSignGump::OnDrag(int px, int py)
{
    gumpdrag::DragMove(*this, dragging, px, py);
}
