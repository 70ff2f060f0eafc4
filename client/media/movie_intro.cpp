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

namespace {

MovieSoundDevice* g_soundDevice = nullptr;
platform::Clock* g_introClock = nullptr;

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
