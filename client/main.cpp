/** @file The client's entry point: guards, start-up in its fixed order, the main loop and the exit sequence. */
#include "client/client_main.h"
#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/effect_services.h"
#include "client/core/file_manager.h"
#include "client/core/gump_services.h"
#include "client/core/hw_profile.h"
#include "client/core/input_services.h"
#include "client/core/kz_report.h"
#include "client/core/main_loop.h"
#include "client/core/main_window.h"
#include "client/core/media_services.h"
#include "client/core/memory_manager.h"
#include "client/core/monochrome_monitor.h"
#include "client/core/mouse_services.h"
#include "client/core/player_files.h"
#include "client/data/anim_data.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_config.h"
#include "client/data/def_tables.h"
#include "client/data/font_manager.h"
#include "client/data/hue_manager.h"
#include "client/data/language_manager.h"
#include "client/data/map_manager.h"
#include "client/data/translation_link.h"
#include "client/data/translation_settings.h"
#include "client/world/object_manager.h"
#include "client/world/path_manager.h"
#include "client/world/walk.h"
#include "client/world/region_manager.h"
#include "client/world/weather_manager.h"
#include "client/world/world_cell_source.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/world_handlers.h"
#include "client/net/game_handlers.h"
#include "client/net/game_services.h"
#include "client/net/packet_buffer.h"
#include "client/net/server_sessions.h"
#include "client/world/world_services.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/container_gump.h"
#include "client/gumps/game/game_windows.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/gumps/framework/missile_gump.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/game/speech_display.h"
#include "client/gumps/game/weather_display.h"
#include "client/gumps/login/login_flow.h"
#include "client/gumps/game/world_view_services.h"
#include "client/media/media_managers.h"
#include "client/media/music_manager.h"
#include "client/media/movie_intro.h"
#include "client/media/sound_manager.h"
#include "client/render/draw_grid.h"
#include "client/render/lights.h"
#include "client/render/world_drawing.h"
#include "client/render/draw_manager.h"
#include "client/render/effect_sequence.h"
#include "client/render/effects.h"
#include "client/render/graphic_manager.h"
#include "client/render/seated_figure.h"
#include "client/render/see_through_circle.h"
#include "client/render/startup_tables.h"
#include "client/render/text_manager.h"
#include "platform/exit/exit.h"
#include "platform/fluidsynth/fluid_midi.h"
#include "platform/instance/named_instance.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/video/mpeg_movie.h"
#include "platform/sdl/sdl_message_box.h"
#include "platform/sdl/sdl_window.h"

#include <cstdio>
#include <memory>

namespace {

/** The renderer's side of the game-phase packets: the death fade and server-sent art. */
class RenderGameEffects final : public GameRenderServices {
public:
    void StartDeathFade() override { GraphicManager::SetDeathFadeStep(1); }
    void UpdateArt(const uint8_t* image, int32_t id, int32_t length, int32_t extra) override
    {
        GraphicManager::UpdateArt(image, id, length, extra);
    }
};

/** The named instance that tells a second client this one runs; held for the life of the process. */
std::unique_ptr<platform::NamedInstance> g_instance;
/** The sound device; null when none opened (the client then runs silent). */
std::unique_ptr<platform::AudioDevice> g_audio;

/** Opens the sound device once the main window exists; without one, says so once and goes on silent. */
platform::AudioDevice* OpenAudioDevice()
{
    std::string why;
    g_audio = platform::openSdlAudio(why);
    if (g_audio == nullptr)
        KZReport::message("No sound device (%s): sound and music are silent.\n", why.c_str());
    return g_audio.get();
}

/** The synthesiser the songs play on, mixed into the sound device; null without one. */
std::unique_ptr<platform::FluidMidiPlayer> g_midi;

/** Gives the music manager its synthesiser; a song's end comes back through the window's queue. */
void OpenMidiPlayer(platform::AudioDevice* device, platform::Window& window)
{
    if (device == nullptr)
        return;
    std::string why;
    g_midi = platform::FluidMidiPlayer::create(device, device->sampleRate(), MusicManager::SoundFontPath(), why);
    if (g_midi == nullptr) {
        KZReport::message("No music synthesiser (%s): music is silent.\n", why.c_str());
        return;
    }
    g_midi->setEndHandler(
        [&window] { window.postMessage(platform::WindowMessage::of(platform::WindowMessage::Kind::MusicNotify)); });
    MusicManager::SetSequencer(g_midi.get());
}

} // namespace

// Each manager is started and its shutdown registered at once, so the exit list stops them in
// exactly the reverse order. The client reads no arguments.
void RunClient(platform::Window& window)
{
    KZReport::start();
    platform::atExit(KZReport::stop);
    KZReport::message("reached winmain!\n");

    // Another client's window: tell the user and leave quietly.
    if (platform::NamedInstance::exists(kMainWindowTitle)) {
        platform::showMessageBox("", "Another copy of KZ is already running!", platform::BoxIcon::Information);
        platform::exit(0);
    }

    MemoryManager::start();
    platform::atExit(MemoryManager::shutdown);

    // The remap tables are read before the file manager knows the install folder: the client
    // runs in its install folder, so their names resolve there.
    DefTables::Load();
    platform::atExit(DefTables::Unload);

    MonochromeMonitor::startup();
    MonochromeMonitor::setMode(2);

    FileManager::startup();
    platform::atExit(FileManager::shutdown);
    // The data readers find their folders from here on; the configured data settings follow
    // once the configuration is read.
    kzdata::BindDataConfiguration();

    MouseManager::startup();
    SetMouseServices(&MouseManager::services());
    platform::atExit([] {
        SetMouseServices(nullptr);
        MouseManager::shutdown();
    });

    GraphicManager::startup();
    platform::atExit(GraphicManager::shutdown);
    configHooks().setPlaySize = [](int width, int height) { GraphicManager::SetPlaySize(width, height); };
    TickHooks().drawFrame = [] { GraphicManager::DrawFrame(); };
    DrawMapThingie::Clear();
    DrawManager::startup();
    WorldView::startup();
    SetWorldDrawServices(&renderWorldServices());
    platform::atExit([] { SetWorldDrawServices(nullptr); });
    // The configuration, read later, moves and sizes the see-through circle through these.
    SeeThroughCircle::startup();
    configHooks().setCircleRadius = [](int radius) { SeeThroughCircle::SetRadius(radius); };
    configHooks().setCircleCenter = [](int x, int y) { SeeThroughCircle::SetCenter(x, y); };
    thelightthingie::startup();
    platform::atExit(thelightthingie::shutdown);

    MapManager::startup();
    MapManager::LoadDigestTable();

    CVersionManager::startup();
    platform::atExit(CVersionManager::shutdown);

    HueManager::startup();

    FontManager::startup();
    platform::atExit(FontManager::shutdown);

    // The object lists and the tile data (item flags: containers, maps, lights, heights).
    CObjectManager::startup();
    platform::atExit(CObjectManager::shutdown);

    TextManager::startup();
    SetTextServices(&TextManager::services());
    platform::atExit([] {
        SetTextServices(nullptr);
        TextManager::shutdown();
    });
    SkipDrawHandler::startup();

    CGumpManager::startup();
    SetGumpServices(&CGumpManager::services());
    SetMacroServices(&CApp::macroServices());
    InstallMessageGumps(true);
    platform::atExit([] {
        InstallMessageGumps(false);
        SetMacroServices(nullptr);
        SetGumpServices(nullptr);
        CGumpManager::shutdown();
    });
    // Effects live in the gump list; they go (dropping their sequences) before it does.
    InstallMissileGumps(true);
    SetEffectServices(&effectServicesOfRenderer());
    platform::atExit([] {
        SetEffectServices(nullptr);
        DestroyMissileGumps();
        Sequences::Reset();
        InstallMissileGumps(false);
    });

    // Speech, system texts and the typed line show as gumps from here on; they go before the gumps do.
    InstallSpeechDisplay(true);
    platform::atExit([] { InstallSpeechDisplay(false); });

    PacketManager::startup();
    InstallNetServices();
    InstallLoginHandlers();
    InstallWorldHandlers();
    InstallGameHandlers();
    static RenderGameEffects renderEffects;
    SetGameRenderServices(&renderEffects);
    platform::atExit([] { SetGameRenderServices(nullptr); });

    KZReport::message("CWinApp::startup(): begin.\n");
    DisplaySwitchInProgress = 0;

    CDHDCache::startup();
    platform::atExit(CDHDCache::shutdown);

    // The translation server directives of kz.cfg go to the link, which the language start-up
    // installs later with them.
    kzdata::BindTranslationServerSettings();
    CApp::startup();
    platform::atExit(CApp::shutdown);
    kzdata::BindDataConfiguration();
    // The light tables follow the pixel layout the configuration settled.
    BuildStartupTables();

    // The sound device, opened later, outlives both managers that play through it.
    platform::atExit([] {
        MusicManager::SetSequencer(nullptr);
        g_midi.reset();
        g_audio.reset();
    });
    MusicManager::CMusicManager();
    SetMusicServices(&MusicManager::services());
    configHooks().musicSetVolume = [](int volume) { MusicManager::SetVolume(volume); };
    platform::atExit([] {
        SetMusicServices(nullptr);
        configHooks().musicSetVolume = nullptr;
        MusicManager::shutdown();
    });
    SoundManager::CSoundManager();
    SetSoundServices(&SoundManager::services());
    SetWorldSoundServices(&SoundManager::worldSounds());
    configHooks().soundSetVolume = [](int volume) { SoundManager::SetVolume(volume); };
    SetMoviePlayer(&moviePlayerServices());
    static const std::unique_ptr<platform::MpegMovie> mpegMovies = platform::makeFfmpegMpegMovie();
    SetIntroMpegMovie(mpegMovies.get());
    platform::atExit([] {
        SetMoviePlayer(nullptr);
        SetSoundServices(nullptr);
        SetWorldSoundServices(nullptr);
        configHooks().soundSetVolume = nullptr;
        SoundManager::shutdown();
    });

    // The walk rules and the path search read the cells of the live world.
    static WorldCellSource cells;
    Terrain::SetCellSource(&cells);
    PathManager::startup();
    platform::atExit(PathManager::shutdown);
    RegionManager::startup();
    platform::atExit(RegionManager::shutdown);
    WeatherManager::startup();
    platform::atExit(WeatherManager::Stop);

    animCrap::LoadAnimData();

    // The guards that come after start-up end the process at once, without the exit list.
    bool alreadyRunning = false;
    g_instance = platform::NamedInstance::create("KzClientApp", &alreadyRunning);
    if (alreadyRunning) {
        g_instance.reset();
        platform::showMessageBox("ERROR", "Another instance of KZ is already running.");
        platform::exitProcess(1);
    }
    if (platform::NamedInstance::exists("KzPatchApp")) {
        platform::showMessageBox("ERROR", "An instance of KZ Patch is already running.");
        platform::exitProcess(1);
    }
    const platform::DesktopInfo desktop = window.desktop();
    if (desktop.bitsPerPixel < 16) {
        platform::showMessageBox("Error: Color Mode",
                                 "ERROR: Tavorn Vevovo requires that Windows be in 16-bit color mode in order to "
                                 "run.\n\nPlease go to the Windows Display Settings in the Control Panel and change "
                                 "the color setting before attempting to run KZ.");
        platform::exitProcess(1);
    }

    window.setWaitCursor(true);
    platform::atExit([] { g_instance.reset(); });
    platform::atExit(KillMouseTimer);

    LoadFilterLists();
    ApplyWindowResizePermission(desktop);
    CDHDCache::Init();
    LoadVersionFile();
    MouseManager::LoadCursors();

    if (!CreateMainWindow(window))
        KZReport::fatal("WinMain: the main window could not be created.\n");
    if (SystemCursorShown != 0) {
        window.showSystemCursor(false);
        SystemCursorShown = 0;
    }
    MouseManager::EnableSoftwareCursor(1);
    SoundManager::InitDirectSound(OpenAudioDevice());
    OpenMidiPlayer(SoundManager::Device(), window);

    static CNetInfo netInfo;
    g_pGMSSock = new CGMSSock();

    LanguageManager::startup();
    platform::atExit(LanguageManager::shutdown);

    PlayStartupIntro();

    window.setWaitCursor(false);
    g_pInputWindow = new CInputWindow();
    SetInputLineServices(g_pInputWindow);
    // The world view lives at the back of the gump list for the whole run; the first screen, the
    // main menu with the account login, goes over it and the login lists open the later ones.
    InstallWorldView();
    platform::atExit(UninstallWorldView);
    // Containers, the drag and the stack amount gump: over the world view's services.
    InstallContainerServices(true);
    platform::atExit([] { InstallContainerServices(false); });
    // Signs and hue pickers the server opens.
    InstallGameWindows(true);
    platform::atExit([] { InstallGameWindows(false); });
    // Rain and snow over the game area, moved on every world pass; their gumps go before the list does.
    weatherSoundHooks().play = [](int32_t sound) { SoundManager::PlaySound(sound, 0, 0, 0, 0, 0); };
    weatherSoundHooks().playAt = [](int32_t sound, int32_t x, int32_t y, float volume) {
        SoundManager::PlaySoundAt(sound, MapPoint{x, y}, volume, 0, 0, 0);
    };
    InstallWeatherDisplay(true);
    platform::atExit([] {
        InstallWeatherDisplay(false);
        weatherSoundHooks() = WeatherSoundHooks{};
    });
    TickHooks().updatePlayerWalk = UpdatePlayerWalk;
    TickHooks().updateMovement = CObjectManager::UpdateMovement;
    InstallLoginScreens();
    CreateStartupGumps();

    CheckMenuItem(IDM_OBSCENITY_FILTER, ObscenityFilter != 0);
    CheckMenuItem(IDM_MUSIC, Music != 0);
    CheckMenuItem(IDM_SOUND, Sound != 0);
    MusicManager::PlaySong(8, 1, 0);
    platform::atExit([] {
        ShuttingDown = 1;
        CDHDCache::SetShutdownSequenceStarted(true);
    });
    KZReport::print("WinMain: just before main program loop.\n");

    MainLoopHooks loopHooks;
    loopHooks.afterMessage = [] { LanguageTranslationServer::Packet::update(); };
    loopHooks.pollConnections = [] { PollServerSessions(); };
    loopHooks.pollMessageSocket = [] { PollMessageSocket(); };
    const int code = RunMainLoop(window, *platform::current().clock, loopHooks);

    // Also on the exit list, for an end through a fatal report; a second call does nothing.
    LanguageManager::shutdown();
    KillMouseTimer();
    SetInputLineServices(nullptr);
    delete g_pInputWindow;
    g_pInputWindow = nullptr;
    NetQuietFlag = 1;
    ReleaseMainWindow();
    KZReport::message("WinMain: main program loop ended with code %d.\n", code);
    platform::exit(code);
}

#ifndef KZ_CLIENT_NO_ENTRY
int main()
{
    // Before anything else: a SIGTERM during start-up still ends the client through its exit list.
    platform::catchTerminationSignals();
    static platform::SdlMessageBoxSink boxes;
    platform::setMessageBoxSink(&boxes);
    static platform::SdlWindow window;
    RunClient(window);
}
#endif
