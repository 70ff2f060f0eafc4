/** @file The speech input line gump: the line the player types, shown at the bottom of the game area. */
#include "client/gumps/game/input_gump.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/game/bark_gump.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/font_manager.h"
#include "client/data/unicode_font.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::vector<uint16_t> g_pixelFrameMemory;

} // namespace

CInputGump::CInputGump(const char* text, int32_t hue, int32_t font)
{
    SetFrameCount(1);
    x = 0;
    AttachToParent(nullptr);
    Redraw(text, hue, font);
}

CInputGump::CInputGump(const char16_t* text, int32_t hue)
{
    SetFrameCount(1);
    x = 0;
    AttachToParent(nullptr);
    RedrawUnicode(text, hue);
}

const std::vector<uint16_t>& CInputGump::PixelFrameMemory()
{
    return g_pixelFrameMemory;
}

uint16_t* CInputGump::Prepare(int w, int h, bool unicode)
{
    CGumpManager::AddDirty(ScreenRect());
    int playWidth = 640, playHeight = 480;
    GetPlaySize(playWidth, playHeight);
    width = w;
    height = h;
    x = 0;
    y = playHeight - h;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (g_pixelFrameMemory.size() < pixels + 2) {
        g_pixelFrameMemory.resize(pixels + 2);
        const int bytes = static_cast<int>(g_pixelFrameMemory.size() * 2);
        void* address = static_cast<void*>(g_pixelFrameMemory.data());
        if (unicode)
            KZReport::message("CInputGump::RedrawUnicode: %d bytes of pixelFrameMemory at address %p\n", bytes, address);
        else
            KZReport::message("CInputGump::Redraw: %d bytes of pixelFrameMemory at address %p\n", bytes, address);
    }
    std::fill(g_pixelFrameMemory.begin(), g_pixelFrameMemory.begin() + static_cast<std::ptrdiff_t>(pixels),
              uint16_t{0});
    CGumpManager::AddDirty(ScreenRect());
    return g_pixelFrameMemory.data();
}

void CInputGump::Redraw(const char* text, int32_t hue, int32_t font)
{
    BringToFront(true);
    std::string shown = text != nullptr ? text : "";
    if (FrameCounter != 0) {
        const uint32_t now = platform::current().clock->tickCount();
        const uint32_t passed = now - lastRedraw_;
        lastRedraw_ = now;
        char line[320];
        std::snprintf(line, sizeof line, "%3d fps %s", passed != 0 ? static_cast<int>(1000 / passed) : 0,
                      shown.c_str());
        shown = line;
    }
    int32_t w = 0, h = 0, baseline = 0;
    FontManager::GetStringExtent(font, shown.c_str(), &w, &h, &baseline);
    w = std::max(w, 2);
    h = std::max(h, 1);
    uint16_t* pixels = Prepare(w, h, false);
    const PixelSurface surface{pixels, w, w, h};
    FontManager::DrawString(0, 0, font, hue, shown.c_str(), surface, BlitRect{0, 0, w, h});
}

void CInputGump::RedrawUnicode(const char16_t* text, int32_t hue)
{
    BringToFront(true);
    const char16_t* shown = text != nullptr ? text : u"";
    const int32_t saved = UnicodeGetFont();
    UnicodeSetFont(BarkUnicodeFont());
    int32_t w = 0, h = 0, baseline = 0;
    UnicodeCalcInfo(shown, &w, &h, &baseline);
    w = std::max(w + 2, 2);
    h = std::max(h + 2, 1);
    uint16_t* pixels = Prepare(w, h, true);
    const PixelSurface surface{pixels, w, w, h};
    UnicodeDrawString(surface, shown, 1, baseline + 1, UnicodeTextColour(hue), BlitRect{0, 0, w, h});
    UnicodeSetFont(saved);
    OutlineTextPixels(pixels, w, h, w, 1);
}

void CInputGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing || g_pixelFrameMemory.size() < static_cast<size_t>(width) * height)
        return;
    const GumpRect screen = ScreenRect();
    if (screen.intersect(canvas.clip).empty())
        return;
    canvas.drawImage(CopySpanTransparent, g_pixelFrameMemory.data(), width, height, width, screen.left, screen.top);
}

void CInputGump::ReleaseCapture()
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CInputGump::OnLButtonDown(int, int) { ReleaseCapture(); }
void CInputGump::OnLButtonUp(int, int) { ReleaseCapture(); }
void CInputGump::OnRButtonDown(int, int) { ReleaseCapture(); }
void CInputGump::OnRButtonUp(int, int) { ReleaseCapture(); }
