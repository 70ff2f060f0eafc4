/** @file The intro movie as the application core plays it: the window, the pixel format, sound and subtitles. */
#include "client/media/movie_intro.h"

#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/language_manager.h"
#include "client/data/unicode_font.h"
#include "client/media/media_managers.h"
#include "client/media/movie_platform_sound.h"
#include "client/media/movie_player.h"
#include "client/media/sound_manager.h"
#include "platform/clock/clock.h"
#include "platform/video/mpeg_movie.h"

#include <algorithm>
#include <cstring>

namespace {

MovieSoundDevice* g_soundDevice = nullptr;
platform::Clock* g_introClock = nullptr;
platform::MpegMovie* g_mpeg = nullptr;

/** The centred 640 x 480 of a picture at the surface's top-left corner. */
void showPicture(const platform::MpegPicture& picture, const platform::FrameSurface& surface)
{
    const int width = std::min({picture.width, 640, surface.width});
    const int height = std::min({picture.height, 480, surface.height});
    const int left = (picture.width - std::min(picture.width, 640)) / 2;
    const int top = (picture.height - std::min(picture.height, 480)) / 2;
    for (int y = 0; y < height; ++y)
        std::memcpy(surface.pixels + static_cast<size_t>(y) * static_cast<size_t>(surface.pitchPixels),
                    picture.pixels.data() + static_cast<size_t>(top + y) * static_cast<size_t>(picture.width) +
                        static_cast<size_t>(left),
                    static_cast<size_t>(width) * 2);
}

void installSubtitles()
{
    LanguageSection* section =
        LanguageManager::loadSection("intro", LanguageManager::getUserLanguageCode(), "intro");
    movie::SetMovieTextSection(section);
    if (section == nullptr || !UnicodeFontsLoaded()) {
        movie::SetMovieTextDrawCallback(nullptr);
        movie::SetMovieTextMeasureCallback(nullptr);
        return;
    }
    movie::SetMovieTextMeasureCallback(
        [](const CUnicodeString& text) { return static_cast<int>(UnicodeGetStringWidth(text.GetStringBuffer())); });
    movie::SetMovieTextDrawCallback([](uint16_t* pixels, int pitch, const CUnicodeString& text, int x, int y,
                                       uint16_t colour, const movie::MovieClip& clip) {
        const PixelSurface surface{pixels, pitch, clip.right + 1, clip.bottom + 1};
        UnicodeDrawString(surface, text.GetStringBuffer(), x, y, colour,
                          BlitRect{clip.left, clip.top, clip.right, clip.bottom});
    });
}

} // namespace

void SetMovieSoundDevice(MovieSoundDevice* device)
{
    g_soundDevice = device;
}

void SetIntroMovieClock(platform::Clock* clock)
{
    g_introClock = clock;
}

void SetIntroMpegMovie(platform::MpegMovie* decoder)
{
    g_mpeg = decoder;
}

void PlayMpegMovie(const std::string& path, const std::function<int()>& windowHook)
{
    const bool rgb565 = FullScreenActive != 0 ? SurfaceIs565 != 0 : use565 != 0;
    if (g_mpeg == nullptr || !g_mpeg->open(path, rgb565 ? platform::PixelLayout::Rgb565 : platform::PixelLayout::Rgb555)) {
        KZReport::message("PlayMpegMovie: %s cannot be played.\n", path.c_str());
        return;
    }
    static platform::SystemClock systemClock;
    platform::Clock& clock = g_introClock != nullptr ? *g_introClock : systemClock;
    platform::Window* window = DisplayWindow();
    const uint32_t start = clock.tickCount();
    int shown = 0;
    platform::MpegPicture picture;
    while (g_mpeg->nextPicture(picture)) {
        platform::FrameSurface surface;
        if (window != nullptr && window->lockSurface(surface)) {
            showPicture(picture, surface);
            window->presentSurface();
        }
        ++shown;
        if (windowHook && windowHook() != 0)
            break;
        // Each picture stays until its time at the stream's own rate.
        const auto due = start + static_cast<uint32_t>(shown * 1000.0 / g_mpeg->frameRate());
        while (static_cast<int32_t>(due - clock.tickCount()) > 0)
            clock.sleep(std::min<uint32_t>(10, due - clock.tickCount()));
    }
    g_mpeg->close();
    KZReport::message("PlayMpegMovie: %s ended after %d pictures.\n", path.c_str(), shown);
}

void PlayMovie(const std::string& path, const std::function<int()>& windowHook)
{
    using namespace movie;
    MoviePlayer player;
    // Centred on the window's frame, a frame hook after every frame, with sound, in this thread.
    player.flags = kMovieCentreX | kMovieCentreY | kMovieFrameCallback | kMoviePlaySound;
    // The frames take the layout of the surface they are shown on.
    const bool rgb565 = FullScreenActive != 0 ? SurfaceIs565 != 0 : use565 != 0;
    player.format = rgb565 ? DisplayFormat::rgb565() : DisplayFormat::rgb555();
    player.callback = windowHook;
    // Sound on the device sound effects play on, unless one was installed for the movie.
    std::unique_ptr<PlatformMovieSound> shared;
    if (g_soundDevice == nullptr && SoundManager::Device() != nullptr)
        shared = std::make_unique<PlatformMovieSound>(*SoundManager::Device());
    player.sound = g_soundDevice != nullptr ? g_soundDevice : shared.get();
    player.clock = g_introClock;
    player.inlineSound = g_introClock != nullptr && !g_introClock->isReal();
    installSubtitles();
    KZReport::message("PlayMovie: playing %s.\n", path.c_str());
    movie::PlayMovie(path, DisplayWindow(), player);
    KZReport::message("PlayMovie: %s ended after %d frames.\n", path.c_str(), player.frameCounter.load());
    movie::SetMovieTextSection(nullptr);
}
