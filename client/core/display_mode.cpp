/** @file The display: back buffer, row copiers, full-screen mode and the intro movie. */
#include "client/core/display_mode.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/gump_services.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"
#include "platform/fs/path.h"
#include "platform/message_box/message_box.h"

#include <cstdio>

int ScreenWidth = 640;
int ScreenHeight = 480;
std::vector<uint16_t> BackBuffer;
std::vector<uint8_t> SecondBuffer;
uint32_t ViewBufferOffset = 0;
int ViewScrollX = 0;
int ViewScrollY = 0;
uint8_t FullScreenActive = 0;
uint8_t SurfaceIs565 = 0;
uint8_t PageFlipActive = 0;
uint8_t IntroPlaying = 0;

namespace {

platform::Window* g_window = nullptr;
platform::PixelLayout g_fullScreenLayout = platform::PixelLayout::Rgb565;

template <bool Convert>
void copyRun(const platform::FrameSurface& surface, uint32_t destIndex, const uint16_t* buffer, uint32_t start,
             uint32_t count)
{
    if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0)
        return;
    const uint64_t total = static_cast<uint64_t>(surface.width) * static_cast<uint64_t>(surface.height);
    if (destIndex >= total)
        return;
    if (count > total - destIndex)
        count = static_cast<uint32_t>(total - destIndex);
    const auto width = static_cast<uint32_t>(surface.width);
    while (count > 0) {
        const uint32_t row = destIndex / width;
        const uint32_t column = destIndex % width;
        const uint32_t run = std::min(count, width - column);
        uint16_t* out = surface.pixels + static_cast<size_t>(row) * static_cast<size_t>(surface.pitchPixels) + column;
        const uint16_t* in = buffer + start;
        for (uint32_t i = 0; i < run; ++i) {
            const uint16_t p = in[i];
            out[i] = Convert ? static_cast<uint16_t>((p & 0x1F) | ((p & 0xFFE0) << 1)) : p;
        }
        destIndex += run;
        start += run;
        count -= run;
    }
}

} // namespace

void SetDisplayWindow(platform::Window* window)
{
    g_window = window;
}

platform::Window* DisplayWindow()
{
    return g_window;
}

void GetPlaySize(int& width, int& height)
{
    width = 640;
    height = 480;
    int w = 0;
    int h = 0;
    if (std::sscanf(GamePlayWindowSize, "%dx%d", &w, &h) == 2 && w > 0 && h > 0 && w <= 4096 && h <= 4096) {
        width = w;
        height = h;
    }
}

uint16_t* CreateBackBufferDIB(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    BackBuffer.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    return BackBuffer.data();
}

bool RecreateBackBuffer()
{
    DeleteBackBufferBitmap();
    CreateBackBufferDIB(ScreenWidth, ScreenHeight);
    const size_t secondBytes = static_cast<size_t>(ScreenWidth) * static_cast<size_t>(ScreenHeight) * 2;
    if (SecondBuffer.size() < secondBytes)
        SecondBuffer.resize(secondBytes);
    ViewBufferOffset = 0;
    if (g_window != nullptr && g_window->isOpen()) {
        const platform::PixelLayout layout = FullScreenActive != 0 ? g_fullScreenLayout
                                             : use565 != 0         ? platform::PixelLayout::Rgb565
                                                                   : platform::PixelLayout::Rgb555;
        return g_window->configureSurface(ScreenWidth, ScreenHeight, layout);
    }
    return true;
}

void DeleteBackBufferBitmap()
{
    BackBuffer.clear();
    BackBuffer.shrink_to_fit();
}

void CopyRows555To565(const platform::FrameSurface& surface, uint32_t destIndex, const uint16_t* buffer,
                      uint32_t start, uint32_t count)
{
    copyRun<true>(surface, destIndex, buffer, start, count);
}

void CopyRows(const platform::FrameSurface& surface, uint32_t destIndex, const uint16_t* buffer, uint32_t start,
              uint32_t count)
{
    copyRun<false>(surface, destIndex, buffer, start, count);
}

bool CreateFullScreenSurfaces(bool inGame)
{
    if (g_window == nullptr || !g_window->isOpen())
        return false;
    int width = 640;
    int height = 480;
    if (inGame) {
        int w = 0;
        int h = 0;
        if (std::sscanf(FullScreenRes, "%dx%d", &w, &h) == 2 && w > 0 && h > 0) {
            width = w;
            height = h;
        }
    }
    platform::PixelLayout layout = platform::PixelLayout::Rgb565;
    if (!g_window->enterFullScreen(width, height, layout)) {
        if (width == 640 && height == 480)
            return false;
        width = 640;
        height = 480;
        if (!g_window->enterFullScreen(width, height, layout))
            return false;
    }
    const int windowedWidth = ScreenWidth;
    const int windowedHeight = ScreenHeight;
    ScreenWidth = width;
    ScreenHeight = height;
    ViewScrollX = 0;
    ViewScrollY = 0;
    g_fullScreenLayout = layout;
    FullScreenActive = 1;
    SurfaceIs565 = layout == platform::PixelLayout::Rgb565 ? 1 : 0;
    PageFlipActive = PageFlip != 0 ? 1 : 0;
    if (!RecreateBackBuffer()) {
        // Without a surface nothing could be shown: the mode is given up.
        platform::showMessageBox("Note!", "Failed to create primary surface.");
        ReleaseFullScreenSurfaces();
        ScreenWidth = windowedWidth;
        ScreenHeight = windowedHeight;
        return false;
    }
    gumpManager().ResetDC();
    return true;
}

void ReleaseFullScreenSurfaces()
{
    PageFlipActive = 0;
    SurfaceIs565 = 0;
    FullScreenActive = 0;
}

void PlayIntroMovie()
{
    if (g_window == nullptr || !g_window->isVisible())
        return;
    // Installed files are found without regard to letter case, like every other.
    auto find = [](const char* name) -> std::string {
        if (auto path = platform::resolveCase(BuildDataPath(name)); path && platform::fileExists(*path))
            return *path;
        if (FileManager::isCDPathSet())
            if (auto path = platform::resolveCase(CApp::get_CDpath(name)); path && platform::fileExists(*path))
                return *path;
        return {};
    };
    const std::string wve = find("music/intro.wve");
    const std::string mpg = find("music/intro.mpg");
    if (wve.empty() && mpg.empty())
        return;

    IntroPlaying = 1;
    ResetIntroWindowHook();
    mouseManager().EnableSoftwareCursor(0);
    const bool music = musicManager().IsEnabled();
    musicManager().Enable(0);
    if (!wve.empty())
        moviePlayer().PlayMovie(wve, IntroWindowHook);
    if (!mpg.empty())
        KZReport::message("PlayIntroMovie: no player for the MPEG intro %s, skipped.\n", mpg.c_str());
    mouseManager().EnableSoftwareCursor(1);
    IntroPlaying = 0;
    musicManager().Enable(music ? 1 : 0);
}

void PlayStartupIntro()
{
    if (ShowIntroAnim == 0 && ClientFirstLaunch == 0)
        return;
    PlayIntroMovie();
    if (ClientFirstLaunch != 0)
        saveConfigDirective(FindConfigDirective("ClientFirstLaunch"), "no");
}
