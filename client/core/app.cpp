/** @file The application object: start-up and shutdown, the game tick, speech rate limit and typed keys. */
#include "client/core/app.h"

#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/file_manager.h"
#include "client/core/gump_services.h"
#include "client/core/input_services.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "platform/exit/exit.h"
#include "platform/fs/path.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "platform/random/random.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <new>

uint32_t TickInterval = 50;
uint32_t GameTickCount = 0;
uint32_t CurrentTickTime = 0;
uint32_t GameHour = 0;
uint32_t GameMinute = 0;
uint32_t GameSecond = 0;
char InstallPath[261] = {};
int32_t SpeechRateCounter = 0;
uint8_t WarModeBytes[3] = {0, 0, 4};
bool g_bInGame = false;
bool g_bTargetMode = false;
int WarModeRequested = -1;

namespace {

/** A held-back line: already cut to its length, so the text's size is the length it goes out with. */
struct QueuedLine {
    std::string text;
    int mode;
};

bool g_initialized = false;
uint32_t g_installedMaps = 0;
uint32_t g_lastInterfaceTime = 0;
uint32_t g_lastSecondTime = 0;
uint32_t g_lastGameTime = 0;
uint32_t g_speechDecayTime = 0;
int64_t g_keepAliveTime = 0;
std::deque<QueuedLine> g_speechQueue;
CPacketSink* g_mainConnection = nullptr;
char g_pathBuffer[1024];

platform::Clock& tickClock()
{
    return *platform::current().clock;
}

void OutOfMemory()
{
    if (FullScreenActive != 0)
        EnterWindowedMode();
    platform::showMessageBox(
        "Out of memory",
        "There is not enough memory to continue execution.  If you do not have virtual memory enabled, this could "
        "be the problem. Otherwise, you may be low on disk space, or may need to increase the amount of space "
        "allocated for virtual memory.");
    platform::exitProcess(1);
}

const char* joinPath(const char* base, const char* name)
{
    const size_t length = std::strlen(base);
    const char* separator = (length > 0 && base[length - 1] != '/' && base[length - 1] != '\\') ? "/" : "";
    std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "%s%s%s", base, separator, name);
    return g_pathBuffer;
}

void probeMaps()
{
    g_installedMaps = 0;
    if (!FileManager::isStarted())
        return;
    const std::string base = FileManager::getHDPath();
    for (unsigned i = 0; i < 16; ++i) {
        if (i == 1)
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "map%u.mul", i);
        // Found as every installed file is, without regard to letter case (MAP0.MUL).
        if (platform::fileExists(base + name))
            g_installedMaps |= 1u << i;
    }
    if ((g_installedMaps & 1u) != 0)
        g_installedMaps |= 2u;
}

/** Lets the speech rate counter fall by SpamLimit per second of time passed. */
void decaySpeechRate(uint32_t now)
{
    if (SpamLimit <= 0) {
        SpeechRateCounter = 0;
        g_speechDecayTime = now;
        return;
    }
    const uint64_t elapsed = now - g_speechDecayTime;
    const uint64_t decay = elapsed * static_cast<uint64_t>(SpamLimit) / 1000;
    if (decay >= static_cast<uint64_t>(SpeechRateCounter)) {
        SpeechRateCounter = 0;
        g_speechDecayTime = now;
        return;
    }
    SpeechRateCounter -= static_cast<int32_t>(decay);
    // Only the time that bought whole characters is used up; the rest carries over, so short
    // world passes still add up to the full rate.
    g_speechDecayTime += static_cast<uint32_t>(decay * 1000 / static_cast<uint64_t>(SpamLimit));
}

/**
 * Speaks the held-back lines while the counter is under the limit. Each goes out through the
 * rate-limited sender and is counted then (it was not counted when it was queued), so a long
 * queue drains at the configured rate instead of all at once.
 */
void releaseQueuedSpeech()
{
    while (!g_speechQueue.empty() && IsUnderSpamLimit()) {
        QueuedLine line = std::move(g_speechQueue.front());
        g_speechQueue.pop_front();
        SendSpeechRateLimited(line.text.c_str(), static_cast<int32_t>(line.text.size()), line.mode);
    }
}

void run(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

} // namespace

namespace CApp {

void startup()
{
    if (g_initialized)
        return;
    std::set_new_handler(OutOfMemory);
    CreateMouseTimerLock();

    TickInterval = 50;
    CopyConfigText(PlayerName, "KZ Player");
    HdUsage = 1;
    AcctID[0] = AcctLastName[0] = AcctPassword[0] = FilterPassword[0] = Password[0] = '\0';
    ResetGameTickState();

    const std::optional<std::string> exePath =
        platform::current().keyStore->getString(FileManager::INSTALL_KEY, "ExePath");
    if (!exePath) {
        platform::showMessageBox("ERROR",
                                 "Tavorn Vevovo does not appear to be installed correctly on your system.\n\n"
                                 "Please re-install KZ by running the setup.exe program located on your KZ CD-ROM",
                                 platform::BoxIcon::Error);
        return;
    }
    std::string path = exePath->substr(0, 260);
    const size_t cut = path.find_last_of("/\\");
    path = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    CopyConfigText(InstallPath, path.c_str());

    NextLoginKey = 0;
    DefaultChar = 0;
    ReadConfig("kz.cfg", true);
    ReadConfig(LoginServerFile[0] != '\0' ? LoginServerFile : "login.cfg", false);
    LoadCharData();
    macros().LoadMacros();
    LoadSpeechKeywords();

    WarModeBytes[0] = 0;
    WarModeBytes[1] = 0;
    WarModeBytes[2] = 4;
    g_speechQueue.clear();
    SpeechRateCounter = 0;
    g_speechDecayTime = tickClock().tickCount();
    probeMaps();
    g_initialized = true;
}

void shutdown()
{
    KZReport::message("CApp::shutdown: begin.\n");
    if (!g_initialized)
        return;
    DeleteMouseTimerLock();
    g_speechQueue.clear();
    SpeechKeywords.clear();
    g_initialized = false;
    macros().FreeMacros();
}

bool Initialized()
{
    return g_initialized;
}

const char* get_CDpath(const char* name)
{
    if (!FileManager::isCDPathSet()) {
        KZReport::message("CApp::get_CDpath: currently no code support for this hardware version of the client.\n");
        return joinPath("", name);
    }
    return joinPath(FileManager::getCDPath(), name);
}

} // namespace CApp

const char* BuildDataPath(const char* name)
{
    const char* base = FileManager::isStarted() ? FileManager::getHDPath() : "";
    if (base[0] == '\0') {
        std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "./%s", name);
        return g_pathBuffer;
    }
    return joinPath(base, name);
}

uint32_t GetInstalledMapsMask()
{
    return g_installedMaps;
}

int RandomBelow(int n)
{
    if (n <= 0)
        return 0;
    return platform::rand() % n;
}

bool IsUnderSpamLimit()
{
    return SpamLimit <= 0 || SpeechRateCounter < SpamLimit;
}

void AddSpamCount(int count)
{
    if (SpamLimit > 0)
        SpeechRateCounter += count;
}

void QueueSpeech(const char* text, int32_t length, int mode)
{
    if (text == nullptr || length < 0)
        return;
    g_speechQueue.push_back({std::string(text, strnlen(text, static_cast<size_t>(length))), mode});
}

size_t QueuedSpeechLines()
{
    return g_speechQueue.size();
}

std::string SpeechQueuedNotice()
{
    if (SpamLimit <= 0)
        return {};
    int64_t pending = SpeechRateCounter;
    for (const QueuedLine& line : g_speechQueue)
        pending += static_cast<int64_t>(line.text.size());
    const int64_t seconds = (pending - SpamLimit) / SpamLimit;
    return "[Spam detected, speech queued for " + std::to_string(seconds < 0 ? 0 : seconds) + " seconds]";
}

PlayerHooks& WorldPlayerHooks()
{
    static PlayerHooks hooks;
    return hooks;
}

bool PlayerInWarMode()
{
    return WorldPlayerHooks().inWarMode && WorldPlayerHooks().inWarMode();
}

void RequestWarMode(int flag)
{
    CPacketSink* connection = g_mainConnection;
    if (WorldPlayerHooks().isDead && WorldPlayerHooks().isDead() && connection != nullptr) {
        const uint8_t deathStatus[2] = {0x2C, 0x00};
        connection->SendPacket(deathStatus, sizeof deathStatus);
    }
    if (flag == -1)
        flag = PlayerInWarMode() ? 0 : 1;
    WarModeRequested = flag != 0 ? 1 : 0;
    if (connection != nullptr) {
        const uint8_t request[5] = {0x72, static_cast<uint8_t>(WarModeRequested), WarModeBytes[0], WarModeBytes[1],
                                    WarModeBytes[2]};
        connection->SendPacket(request, sizeof request);
    }
    run(WorldPlayerHooks().afterWarModeRequest);
}

void EnterTargetMode()
{
    g_bTargetMode = true;
    mouseManager().SetCursor(19);
}

void CancelTargetMode()
{
    g_bTargetMode = false;
    mouseManager().SetCursor(17);
}

void DispatchTypedKey(int code)
{
    CFocusedControl* focused = gumpManager().FocusedControl();
    if (code == 27) {
        if (inputLine().PromptOpen()) {
            inputLine().ReplyToPrompt(0, "");
            return;
        }
        if (g_bTargetMode) {
            CancelTargetMode();
            return;
        }
        code = 9;
    }
    if (code == 9) {
        if (focused != nullptr)
            focused->OnTypedChar(9);
        return;
    }
    if (code < 0)
        return; // walking codes: the player walks once the world can move it
    if (focused != nullptr)
        focused->OnTypedChar(static_cast<uint16_t>(code));
    else
        inputLine().OnChar(static_cast<uint16_t>(code));
}

void GameTick(int skipDraw)
{
    const uint32_t now = tickClock().tickCount();
    CurrentTickTime = now;
    const int64_t wall = tickClock().wallTime();
    ++GameTickCount;

    if (now - g_lastInterfaceTime >= 33) {
        g_lastInterfaceTime = now;
        bool secondPassed = false;
        if (now - g_lastSecondTime >= 1000) {
            g_lastSecondTime = now;
            secondPassed = true;
            if (++GameSecond >= 20) {
                GameSecond = 0;
                if (++GameMinute >= 60) {
                    GameMinute = 0;
                    if (++GameHour >= 24)
                        GameHour = 0;
                }
            }
        }
        mouseManager().Update();
        gumpManager().Update();
        if (secondPassed)
            run(TickHooks().expireOverheadMessages);
    }

    if (now - g_lastGameTime < 76)
        return;
    g_lastGameTime = now;

    decaySpeechRate(tickClock().tickCount());
    releaseQueuedSpeech();
    run(TickHooks().stepAlongPath);
    musicManager().Update();
    soundManager().Update();
    run(TickHooks().updatePlayerWalk);
    run(TickHooks().updateMovement);
    run(TickHooks().weatherUpdate);
    macros().UpdateMacro();
    macros().CountDownMacroWait();
    if (skipDraw == 0) {
        if (TickHooks().drawFrame)
            TickHooks().drawFrame();
        else
            gumpManager().DrawAllGumps(0, 0, ScreenWidth, ScreenHeight, 1);
    }
    CPacketSink* connection = g_mainConnection;
    if (g_bInGame || (connection != nullptr && connection->PastLoginPhase())) {
        if (wall - g_keepAliveTime > 60) {
            g_keepAliveTime = wall;
            if (connection != nullptr) {
                const uint8_t ping[2] = {0x73, 0x00};
                connection->SendPacket(ping, sizeof ping);
            }
        }
    } else {
        g_keepAliveTime = wall;
    }
    if (!gumpManager().DesktopQueueStopped())
        gumpManager().ProcessDesktopQueue();
}

CPacketSink* MainConnection()
{
    return g_mainConnection;
}

void SetMainConnection(CPacketSink* connection)
{
    g_mainConnection = connection;
}

GameTickHooks& TickHooks()
{
    static GameTickHooks hooks;
    return hooks;
}

void ResetGameTickState()
{
    const uint32_t now = tickClock().tickCount();
    GameTickCount = 0;
    GameHour = GameMinute = GameSecond = 0;
    g_lastInterfaceTime = g_lastSecondTime = g_lastGameTime = now;
    g_speechDecayTime = now;
    g_keepAliveTime = tickClock().wallTime();
    SpeechRateCounter = 0;
    g_speechQueue.clear();
    g_bTargetMode = false;
    WarModeRequested = -1;
}
