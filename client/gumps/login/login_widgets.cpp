/** @file Pieces the login screens share. */
#include "client/gumps/login/login_widgets.h"

#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/shared_functions.h"
#include "client/data/art_blit.h"
#include "client/data/font_manager.h"
#include "client/data/gump_art.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/login/login_flow.h"
#include "platform/exit/exit.h"
#include "platform/platform.h"

#include <algorithm>

const char* const kHomePageAddress = "https://www.tavorn-vevovo.example/";
const char* const kSignUpAddress = "https://accounts.tavorn-vevovo.example/signup";
const char* const kHelpAddress = "https://www.tavorn-vevovo.example/help";
const char* const kGameMasterFormAddress = "https://support.tavorn-vevovo.example/cgi-bin/gms_web.pl";

namespace {

PixelSurface surfaceOf(GumpBitmap& bitmap)
{
    return PixelSurface{bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height};
}

} // namespace

void DrawArtInto(GumpBitmap& bitmap, int art, int x, int y, CombineFunc combine)
{
    if (art < 0 || bitmap.width == 0 || bitmap.height == 0)
        return;
    const ClipRect clip{0, 0, bitmap.width, bitmap.height};
    DrawGumpArtClipped(combine != nullptr ? combine : CopySpanTransparent, art, clip, x, y, bitmap.pixels.data(),
                       bitmap.stride(), bitmap.height);
}

void DrawHuedArtInto(GumpBitmap& bitmap, int art, int x, int y, int hue)
{
    if (hue <= 0) {
        DrawArtInto(bitmap, art, x, y);
        return;
    }
    const int32_t previous = spanHue();
    setSpanHue(hue - 1);
    DrawArtInto(bitmap, art, x, y, HueSpan);
    setSpanHue(previous);
}

void DrawTextInto(GumpBitmap& bitmap, int font, int hue, int x, int y, const char* text)
{
    if (text == nullptr || bitmap.width == 0)
        return;
    const BlitRect clip{0, 0, bitmap.width, bitmap.height};
    FontManager::DrawString(x, y, font, hue, text, surfaceOf(bitmap), clip);
}

int DrawWrappedTextInto(GumpBitmap& bitmap, int font, int hue, int x, int y, int width, const char* text)
{
    if (text == nullptr || bitmap.width == 0)
        return 0;
    const BlitRect clip{0, 0, bitmap.width, bitmap.height};
    return FontManager::DrawstringBuf(x, y, font, hue, text, width, surfaceOf(bitmap), clip, 0, 0, 0);
}

void FillInto(GumpBitmap& bitmap, int x, int y, int width, int height, uint16_t colour)
{
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min<int>(x + width, bitmap.width), bottom = std::min<int>(y + height, bitmap.height);
    for (int row = top; row < bottom; ++row)
        std::fill(bitmap.row(row) + left, bitmap.row(row) + std::max(left, right), colour);
}

void DrawFrameInto(GumpBitmap& bitmap, int base, int x, int y, int width, int height)
{
    DrawArtFrame(bitmap, base, x, y, width, height, CopySpanTransparent);
}

void TileArtInto(GumpBitmap& bitmap, int art)
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(art, &w, &h);
    if (w <= 0 || h <= 0)
        return;
    for (int y = 0; y < bitmap.height; y += h)
        for (int x = 0; x < bitmap.width; x += w)
            DrawArtInto(bitmap, art, x, y, CopySpan);
}

// ---- The full-screen gump -------------------------------------------------------------------

CLoginScreenGump::CLoginScreenGump(const char* gumpName, int art)
{
    name = gumpName;
    x = 0;
    y = 0;
    width = 640;
    height = 480;
    SetFrameCount(1);
    MakeFrame(0, 640, 480);
    screenArt = art;
}

bool CLoginScreenGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CLoginScreenGump::OnLButtonDown(int, int)
{
    BringToFront(true);
}

void CLoginScreenGump::OnLButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CLoginScreenGump::OnRButtonUp(int px, int py)
{
    OnLButtonUp(px, py);
}

void CLoginScreenGump::HandleButtonPress(int id)
{
    if (id > kStandardButtonBase)
        RunStandardLoginButton(this, id - kStandardButtonBase);
}

void CLoginScreenGump::Update()
{
    for (CGump* child = FirstChild(); child != nullptr; child = child->NextSibling())
        if (!child->closing)
            child->Update();
}

void CLoginScreenGump::Redraw()
{
    CGumpManager::AddDirty(ScreenRect());
}

CButtonGump* AddArtButton(CGump* owner, int x, int y, int normal, int hover, int pressed, int id, int toolTip)
{
    auto* button = new CButtonGump(x, y, owner, CButtonGump::Push, 0, &CGump::ForwardButtonPress, normal, pressed, 0);
    button->hoverArt = hover;
    button->buttonId = id;
    button->reportId = 1;
    if (toolTip >= 0)
        button->toolTipOverride = toolTip;
    return button;
}

// ---- The standard buttons -------------------------------------------------------------------

namespace {

enum StandardButton { kGmForm = 1, kHome, kQuit, kSignUp, kHelp, kReplayIntro, kCredits };

void openAddress(const char* address)
{
    LeaveFullScreen();
    OpenWebPage(address);
}

} // namespace

void RunStandardLoginButton(CGump* gump, int id)
{
    switch (id) {
    case kGmForm:
        openAddress(kGameMasterFormAddress);
        break;
    case kHome:
        openAddress(kHomePageAddress);
        break;
    case kSignUp:
        openAddress(kSignUpAddress);
        break;
    case kHelp:
        openAddress(kHelpAddress);
        break;
    case kQuit:
        // Ends the process at once, without the exit list; the report log is written through.
        KZReport::message("Quit from the login screens.\n");
        KZReport::stop();
        platform::exitProcess(0);
    case kReplayIntro:
        ReplayIntro(gump);
        break;
    case kCredits:
        KZReport::message("The credits roll is not part of this client yet.\n");
        break;
    default:
        break;
    }
}

void AddLoginScreenButtons(CGump* gump)
{
    struct Spec {
        int x, y, normal, hover, pressed, tip, id;
    };
    static constexpr Spec kButtons[] = {
        {14, 268, 5516, 5517, 5518, 100003, kGmForm}, {14, 146, 5519, 5520, 5521, 100000, kHome},
        {555, 4, 5513, 5514, 5515, 100011, kQuit},    {14, 205, 5522, 5523, 5524, 100001, kSignUp},
        {14, 434, 5525, 5526, 5527, 100002, kHelp},   {14, 386, 5510, 5511, 5512, 100005, kReplayIntro},
        {14, 410, 5507, 5508, 5509, 100006, kCredits},
    };
    for (const Spec& spec : kButtons) {
        if (spec.id == kReplayIntro && gump->IsAcctLoginGump() == 0)
            continue;
        AddArtButton(gump, spec.x, spec.y, spec.normal, spec.hover, spec.pressed, kStandardButtonBase + spec.id,
                     spec.tip);
    }
}
