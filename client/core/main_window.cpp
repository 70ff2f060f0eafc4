/** @file The main window: creation, the window procedure, menu commands and their keys, presenting, the mouse timer. */
#include "client/core/main_window.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_lock.h"
#include "client/core/display_mode.h"
#include "client/core/gump_services.h"
#include "client/core/input_services.h"
#include "client/core/kz_report.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"
#include "client/core/options.h"
#include "platform/exit/exit.h"
#include "platform/instance/named_instance.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "platform/sync/sync.h"
#include "platform/window/utf16_text.h"
#include "platform/window/virtual_keys.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

uint8_t SystemCursorShown = 1;
uint8_t WindowActive = 0;
uint8_t DisplaySwitchInProgress = 0;
uint8_t Quitting = 0;
int RememberedWindowWidth = 640;
int RememberedWindowHeight = 480;

namespace {

using Kind = platform::WindowMessage::Kind;
namespace vk = platform::vk;

// Ctrl+Shift keeps the commands clear of the Alt and plain keys that macros are usually bound to.
constexpr std::array kAccelerators{
    Accelerator{vk::F1 + 3, false, false, true, IDM_EXIT, "Alt+F4: exit"},
    Accelerator{vk::Return, false, false, true, IDM_FULLSCREEN_TOGGLE, "Alt+Enter: full screen or window"},
    Accelerator{'O', true, true, false, IDM_OPTIONS, "Ctrl+Shift+O: options"},
    Accelerator{'M', true, true, false, IDM_MUSIC, "Ctrl+Shift+M: music on or off"},
    Accelerator{'S', true, true, false, IDM_SOUND, "Ctrl+Shift+S: sound on or off"},
    Accelerator{'W', true, true, false, IDM_WARMODE, "Ctrl+Shift+W: war or peace"},
    Accelerator{'U', true, true, false, IDM_MENU_TEXT_COMMAND, "Ctrl+Shift+U: game menu request"},
    Accelerator{'R', true, true, false, IDM_RADAR, "Ctrl+Shift+R: radar"},
    Accelerator{'B', true, true, false, IDM_OBSCENITY_FILTER, "Ctrl+Shift+B: obscenity filter on or off"},
    Accelerator{'H', true, true, false, IDM_HELP_REQUEST, "Ctrl+Shift+H: help request"},
    Accelerator{'F', true, true, false, IDM_FOOTSTEPS, "Ctrl+Shift+F: footsteps on or off"},
};

platform::Window* g_window = nullptr;
std::atomic<platform::Window*> g_timerWindow{nullptr};
std::unique_ptr<platform::NamedInstance> g_windowClass;
std::map<uint32_t, bool> g_menuChecks;
int g_introHookCalls = 0;

std::unique_ptr<std::mutex> g_mouseTimerLock;
bool g_mouseTimerBusy = false;      // guarded by g_mouseTimerLock
std::atomic<bool> g_mouseTimerReentry{false};
std::atomic<uint32_t> g_mouseTimerId{0};
uint32_t g_nextTimerId = 1;
std::unique_ptr<platform::PeriodicTimer> g_mouseTimer;

int roundUp4(int value)
{
    return (value + 3) & ~3;
}

/** The size rules of the window: free between the play size and the desktop, or the play size. */
void applySizeRules()
{
    if (g_window == nullptr)
        return;
    int playWidth = 0;
    int playHeight = 0;
    GetPlaySize(playWidth, playHeight);
    if (AllowWindowResize != 0) {
        const platform::DesktopInfo desktop = g_window->desktop();
        g_window->setSizeLimits(true, playWidth, playHeight, desktop.width, desktop.height);
    } else {
        g_window->setSizeLimits(false, playWidth, playHeight, playWidth, playHeight);
        g_window->setClientSize(playWidth, playHeight);
    }
}

void updateSystemCursor()
{
    if (g_window == nullptr || IntroPlaying != 0)
        return;
    int x = 0;
    int y = 0;
    const bool inside = g_window->pointerPosition(x, y);
    const bool show = (!inside && FullScreenActive == 0) || !g_window->hasFocus() || !mouseManager().DrawsCursor();
    if (show != (SystemCursorShown != 0)) {
        g_window->showSystemCursor(show);
        SystemCursorShown = show ? 1 : 0;
    }
}

void onSize(int width, int height)
{
    if (width <= 0 || height <= 0 || FullScreenActive != 0)
        return;
    int playWidth = 0;
    int playHeight = 0;
    GetPlaySize(playWidth, playHeight);
    int screenWidth = playWidth;
    int screenHeight = playHeight;
    if (AllowWindowResize != 0) {
        screenWidth = roundUp4(std::max(width, playWidth));
        screenHeight = roundUp4(std::max(height, playHeight));
        ViewScrollX = std::max(ViewScrollX, 0);
        ViewScrollY = std::max(ViewScrollY, 0);
    } else {
        ViewScrollX = 0;
        ViewScrollY = 0;
    }
    if (screenWidth != ScreenWidth || screenHeight != ScreenHeight || BackBuffer.empty()) {
        ScreenWidth = screenWidth;
        ScreenHeight = screenHeight;
        RecreateBackBuffer();
    }
    gumpManager().ResetDC();
}

uint32_t keyFlags(const platform::WindowMessage& message)
{
    // The auto-repeat bit sits where the system's key messages keep "previous key state".
    return message.repeat ? 0x40000000u : 0u;
}

void onKeyDown(const platform::WindowMessage& message)
{
    const uint32_t key = message.key;
    if (key == vk::Tab && g_bInGame) {
        if (HoldTabForCombat != 0) {
            // Held Tab means war: asked once, unless war was already asked for.
            if (WarModeRequested != 1 && (!PlayerInWarMode() || WarModeRequested == 0))
                RequestWarMode(1);
        } else if (!message.repeat) {
            RequestWarMode(-1);
        }
    }
    CFocusedControl* focused = gumpManager().FocusedControl();
    if (focused != nullptr && focused->TakesRawKeys()) {
        focused->OnRawKey(key, keyFlags(message));
        return;
    }
    for (const MacroKey& macro : macros().MacroKeys()) {
        if (macro.virtualKey == key && macro.ctrl == message.ctrl && macro.shift == message.shift &&
            macro.alt == message.alt) {
            macros().StartMacro(macro.macroIndex);
            if (message.alt && g_window != nullptr)
                g_window->dropNextChar();
            return;
        }
    }
    if (focused != nullptr) {
        if ((key >= 33 && key <= 40) || key == 45 || key == 46)
            focused->OnTypedChar(static_cast<uint16_t>(0xE000 + key));
        return;
    }
    inputLine().OnKeyDown(key, keyFlags(message));
}

void sendMenuTextCommand()
{
    CPacketSink* connection = MainConnection();
    if (connection == nullptr)
        return;
    // Text command: id, u16 length (big-endian), type 67, an empty text and its terminator.
    const uint8_t packet[5] = {0x12, 0x00, 0x05, 67, 0x00};
    connection->SendPacket(packet, sizeof packet);
}

void toggleSwitch(uint8_t& value, uint32_t command)
{
    value = value != 0 ? 0 : 1;
    CheckMenuItem(command, value != 0);
}

void onCommand(uint32_t command)
{
    switch (command) {
    case IDM_EXIT:
        if (g_window != nullptr)
            g_window->postMessage(platform::WindowMessage::of(Kind::Close));
        break;
    case IDM_OPTIONS:
    case IDM_OPTIONS_2:
        if (g_bInGame)
            gumpManager().OpenGump(nullptr, 5000, nullptr, 0);
        break;
    case IDM_FULLSCREEN:
    case IDM_FULLSCREEN_TOGGLE:
        DisplaySwitchInProgress = 1;
        if (FullScreenActive != 0)
            EnterWindowedMode();
        else
            EnterFullScreenMode();
        DisplaySwitchInProgress = 0;
        break;
    case IDM_MUSIC:
        toggleSwitch(Music, command);
        musicManager().Enable(Music);
        break;
    case IDM_SOUND:
        toggleSwitch(Sound, command);
        soundManager().Enable(Sound);
        break;
    case IDM_WARMODE:
        if (g_bInGame)
            RequestWarMode(-1);
        break;
    case IDM_MENU_TEXT_COMMAND:
        if (g_bInGame)
            sendMenuTextCommand();
        break;
    case IDM_RADAR:
        if (g_bInGame)
            gumpManager().OpenGump(nullptr, 5010, nullptr, 0);
        break;
    case IDM_OBSCENITY_FILTER:
        toggleSwitch(ObscenityFilter, command);
        break;
    case IDM_HELP_REQUEST:
        gumpManager().SendHelpRequest();
        break;
    case IDM_FOOTSTEPS:
        Footsteps = Footsteps != 0 ? 0 : 1;
        break;
    default:
        break;
    }
}

bool allowedWebAddress(const std::string& url)
{
    auto startsWith = [&url](const char* prefix) {
        const size_t n = std::char_traits<char>::length(prefix);
        if (url.size() < n)
            return false;
        for (size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(url[i])) != prefix[i])
                return false;
        return true;
    };
    // A server can send an address: only web and mail addresses reach the browser, and never
    // one that could be taken for an option of the opener.
    return startsWith("http://") || startsWith("https://") || startsWith("mailto:");
}

} // namespace

std::span<const Accelerator> AcceleratorTable()
{
    return kAccelerators;
}

uint32_t TranslateAccelerator(const platform::WindowMessage& message)
{
    if ((message.kind != Kind::KeyDown && message.kind != Kind::SysKeyDown) || message.repeat)
        return 0;
    for (const Accelerator& a : kAccelerators)
        if (a.virtualKey == message.key && a.ctrl == message.ctrl && a.shift == message.shift &&
            a.alt == message.alt)
            return a.command;
    return 0;
}

platform::Window* MainWindow()
{
    return g_window;
}

bool CreateMainWindow(platform::Window& window)
{
    const platform::DesktopInfo desktop = window.desktop();
    const int width = std::min(desktop.width > 0 ? desktop.width : 640, 640);
    const int height = std::min(desktop.height > 0 ? desktop.height : 480, 480);
    std::string title = kMainWindowTitle;
    if (AcctID[0] != '\0' && AcctLastName[0] != '\0')
        title = title + " - " + AcctID + " " + AcctLastName;
    if (title.size() > 500)
        title.resize(500);
    if (!window.open(title, width, height)) {
        KZReport::error("CreateMainWindow: the main window could not be created.\n");
        return false;
    }
    g_window = &window;
    g_timerWindow = &window;
    SetDisplayWindow(&window);
    bool taken = false;
    g_windowClass = platform::NamedInstance::create(kMainWindowTitle, &taken);
    RememberedWindowWidth = width;
    RememberedWindowHeight = height;
    applySizeRules();
    int clientWidth = 0;
    int clientHeight = 0;
    window.clientSize(clientWidth, clientHeight);
    DeleteBackBufferBitmap(); // a new window needs its frame surface, whatever the old size was
    onSize(clientWidth, clientHeight);
    if (FullScreen != 0)
        SendFullScreenToggle();
    return true;
}

void ApplyWindowResizePermission(const platform::DesktopInfo& desktop)
{
    if (desktop.width == 640 && desktop.height == 480)
        AllowWindowResize = 0;
    int width = 0;
    int height = 0;
    if (desktop.width == 800 && desktop.height == 600 && std::sscanf(GamePlayWindowSize, "%dx%d", &width, &height) == 2 &&
        width == 800 && height == 600)
        AllowWindowResize = 0;
}

void ReleaseMainWindow()
{
    KillMouseTimer();
    g_windowClass.reset();
    g_window = nullptr;
    g_timerWindow = nullptr;
    SetDisplayWindow(nullptr);
}

void MainWndProc(const platform::WindowMessage& message)
{
    updateSystemCursor();
    switch (message.kind) {
    case Kind::Create:
        g_mouseTimerReentry = false;
        if (MouseThread != 0)
            StartMouseTimer();
        break;
    case Kind::Close:
        if (g_window != nullptr)
            g_window->destroy();
        break;
    case Kind::Destroy:
        if (DisplaySwitchInProgress != 0)
            break;
        gumpManager().SaveDesktop();
        Quitting = 1;
        if (g_window != nullptr) {
            platform::WindowMessage quit = platform::WindowMessage::of(Kind::Quit);
            quit.command = 0;
            g_window->postMessage(quit);
        }
        break;
    case Kind::Size:
        onSize(message.width, message.height);
        break;
    case Kind::Activate:
        WindowActive = message.active ? 1 : 0;
        if (message.active && g_bTargetMode)
            mouseManager().SetCursor(17);
        break;
    case Kind::Paint:
        // The system forgot what the window showed: show the last frame again, gumps included.
        gumpManager().DrawAllGumps(0, 0, ScreenWidth, ScreenHeight, 1);
        break;
    case Kind::KeyDown:
    case Kind::SysKeyDown:
        onKeyDown(message);
        break;
    case Kind::KeyUp:
        // Letting go of a held Tab makes peace again.
        if (message.key == vk::Tab && HoldTabForCombat != 0 && g_bInGame &&
            (PlayerInWarMode() || WarModeRequested == 1))
            RequestWarMode(0);
        break;
    case Kind::Char:
        DispatchTypedKey(message.character);
        break;
    case Kind::Command:
        onCommand(message.command);
        break;
    case Kind::LButtonDown:
    case Kind::RButtonDown:
        if (g_window != nullptr)
            g_window->captureMouse(true);
        if (message.kind == Kind::LButtonDown)
            mouseManager().OnLButtonDown(static_cast<int16_t>(message.x), static_cast<int16_t>(message.y));
        else
            mouseManager().OnRButtonDown(static_cast<int16_t>(message.x), static_cast<int16_t>(message.y));
        break;
    case Kind::LButtonUp:
    case Kind::RButtonUp:
        if (g_window != nullptr)
            g_window->captureMouse(false);
        if (message.kind == Kind::LButtonUp)
            mouseManager().OnLButtonUp(static_cast<int16_t>(message.x), static_cast<int16_t>(message.y));
        else
            mouseManager().OnRButtonUp(static_cast<int16_t>(message.x), static_cast<int16_t>(message.y));
        break;
    case Kind::MusicNotify:
        musicManager().PlayNextSong();
        break;
    case Kind::MouseMove:
        mouseManager().OnMouseMove(static_cast<int16_t>(message.x), static_cast<int16_t>(message.y));
        break;
    case Kind::Quit:
        break;
    }
}

void SetMainWindowTitle(const char* text)
{
    if (g_window == nullptr)
        return;
    std::string title = kMainWindowTitle;
    if (text != nullptr && text[0] != '\0')
        title = title + " - " + text;
    if (title.size() > 500)
        title.resize(500);
    g_window->setTitle(title);
}

void SetMainWindowPos(int x, int y, int clientWidth, int clientHeight)
{
    if (g_window == nullptr)
        return;
    g_window->setPosition(x, y);
    if (clientWidth > 0 && clientHeight > 0)
        g_window->setClientSize(clientWidth, clientHeight);
}

void GetMainWindowPos(int& left, int& top)
{
    left = 0;
    top = 0;
    if (g_window != nullptr)
        g_window->position(left, top);
}

void SendFullScreenToggle()
{
    if (g_window == nullptr)
        return;
    platform::WindowMessage m = platform::WindowMessage::of(Kind::Command);
    m.command = IDM_FULLSCREEN_TOGGLE;
    g_window->postMessage(m);
}

void EnterFullScreenMode()
{
    std::lock_guard<platform::RecursiveLock> display(DisplayLock());
    if (g_window == nullptr || FullScreenActive != 0)
        return;
    g_window->clientSize(RememberedWindowWidth, RememberedWindowHeight);
    const int width = ScreenWidth;
    const int height = ScreenHeight;
    if (!CreateFullScreenSurfaces(g_bInGame)) {
        // A windowed client with its frame, and FullScreen keeps its value.
        ScreenWidth = width;
        ScreenHeight = height;
        if (g_window->isFullScreen()) {
            // The mode was set but could not be drawn on: back to the window as it was.
            g_window->leaveFullScreen(RememberedWindowWidth, RememberedWindowHeight);
            applySizeRules();
            RecreateBackBuffer();
            gumpManager().ResetDC();
        }
        KZReport::warning("EnterFullScreenMode: no full-screen mode could be set; staying in a window.\n");
        return;
    }
    FullScreen = 1;
    SaveConfigOptions();
}

void EnterWindowedMode()
{
    std::lock_guard<platform::RecursiveLock> display(DisplayLock());
    if (g_window == nullptr)
        return;
    ReleaseFullScreenSurfaces();
    g_window->leaveFullScreen(RememberedWindowWidth, RememberedWindowHeight);
    ScreenWidth = 0; // forces the back buffer to follow the window again
    ScreenHeight = 0;
    applySizeRules();
    int width = 0;
    int height = 0;
    g_window->clientSize(width, height);
    onSize(width > 0 ? width : RememberedWindowWidth, height > 0 ? height : RememberedWindowHeight);
    FullScreen = 0;
    SaveConfigOptions();
}

void PresentFrame()
{
    std::lock_guard<platform::RecursiveLock> display(DisplayLock());
    if (g_window == nullptr || !g_window->isOpen())
        return;
    const uint64_t total = static_cast<uint64_t>(ScreenWidth) * static_cast<uint64_t>(ScreenHeight);
    if (total == 0 || BackBuffer.size() != total)
        return;
    mouseManager().PollCursor();
    platform::FrameSurface surface;
    if (g_window->lockSurface(surface)) {
        const int64_t scroll = static_cast<int64_t>(ViewScrollY) * ScreenWidth + ViewScrollX;
        int64_t start = (static_cast<int64_t>(ViewBufferOffset) - scroll) % static_cast<int64_t>(total);
        if (start < 0)
            start += static_cast<int64_t>(total);
        const auto first = static_cast<uint32_t>(start);
        const auto size = static_cast<uint32_t>(total);
        const bool convert = surface.layout == platform::PixelLayout::Rgb565 && use565 == 0;
        auto copy = convert ? CopyRows555To565 : CopyRows;
        copy(surface, 0, BackBuffer.data(), first, size - first);
        if (first != 0)
            copy(surface, size - first, BackBuffer.data(), 0, first);
        g_window->presentSurface();
    }
    mouseManager().FlushCursor();
}

void PasteClipboardText()
{
    if (g_window == nullptr)
        return;
    const std::vector<uint16_t> units = platform::utf16FromUtf8(g_window->clipboardText());
    CFocusedControl* focused = gumpManager().FocusedControl();
    size_t limit = 240;
    bool stopAtReturn = false;
    if (focused != nullptr && focused->IsSingleLine()) {
        limit = 80;
        stopAtReturn = true;
    } else if (focused != nullptr && focused->IsMultiLine()) {
        limit = 1000;
    }
    for (size_t i = 0; i < units.size() && i < limit; ++i) {
        if (stopAtReturn && units[i] == 13)
            break;
        DispatchTypedKey(units[i]);
    }
}

int OpenWebPage(const char* url)
{
    const std::string address = url != nullptr ? url : "";
    if (!allowedWebAddress(address)) {
        KZReport::warning("OpenWebPage: refused to open \"%s\".\n", address.c_str());
        return 0;
    }
    if (StartProcess({"xdg-open", address}, "") < 0) {
        gumpManager().ShowMessageGump("Web browser not found!", nullptr, 1, 0, 0);
        return 0;
    }
    return 1;
}

int64_t StartProcess(const std::vector<std::string>& argv, const std::string& workingDirectory)
{
    platform::ProcessLauncher* launcher = platform::current().processes;
    if (launcher == nullptr || argv.empty())
        return -1;
    const std::optional<int64_t> id = launcher->spawn(argv, workingDirectory);
    return id ? *id : -1;
}

int IntroWindowHook()
{
    if (++g_introHookCalls == 2)
        PresentFrame();
    if (g_window == nullptr)
        return 0;
    platform::WindowMessage message;
    if (!g_window->pollMessage(message))
        return 0;
    switch (message.kind) {
    case Kind::Paint:
        PresentFrame();
        return 0;
    case Kind::KeyDown:
    case Kind::SysKeyDown:
    case Kind::LButtonDown:
    case Kind::RButtonDown:
        return 1;
    case Kind::Quit:
        // The window was closed during the movie: the main loop still has to see the quit.
        g_window->postMessage(message);
        return 1;
    default:
        MainWndProc(message);
        return 0;
    }
}

void ResetIntroWindowHook()
{
    g_introHookCalls = 0;
}

void RestoreNormalCursor(int kind)
{
    mouseManager().SetCursor(((kind >= 1 && kind <= 8) || (kind >= 31 && kind <= 38)) ? 0 : 17);
}

void ShowErrorBox(const char* text, const char* caption, bool exitFlag)
{
    platform::showMessageBox(caption != nullptr ? caption : "", text != nullptr ? text : "");
    if (exitFlag)
        platform::exitProcess(1);
}

bool MenuItemChecked(uint32_t command)
{
    const auto it = g_menuChecks.find(command);
    return it != g_menuChecks.end() && it->second;
}

void CheckMenuItem(uint32_t command, bool checked)
{
    g_menuChecks[command] = checked;
}

void CreateMouseTimerLock()
{
    if (!g_mouseTimerLock)
        g_mouseTimerLock = std::make_unique<std::mutex>();
    g_mouseTimerBusy = false;
}

void DeleteMouseTimerLock()
{
    g_mouseTimerLock.reset();
}

void StartMouseTimer(bool threaded)
{
    if (g_mouseTimerId != 0)
        return;
    const uint32_t id = g_nextTimerId++;
    g_mouseTimerId = id;
    if (!threaded)
        return;
    g_mouseTimer = std::make_unique<platform::PeriodicTimer>(25, [id] { MouseTimerCallback(id, 1); });
    g_mouseTimer->start();
}

void KillMouseTimer()
{
    std::lock_guard<platform::RecursiveLock> display(DisplayLock());
    if (g_mouseTimerId == 0)
        return;
    g_mouseTimerId = 0;
    if (g_mouseTimer)
        g_mouseTimer->stop();
    g_mouseTimer.reset();
}

uint32_t MouseTimerId()
{
    return g_mouseTimerId;
}

void MouseTimerCallback(uint32_t timerId, uint32_t user)
{
    std::mutex* lock = g_mouseTimerLock.get();
    if (lock == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(*lock);
        if (g_mouseTimerBusy)
            return; // music or sound holds it: skip this tick
        g_mouseTimerBusy = true;
    }
    platform::Window* window = g_timerWindow.load();
    if (timerId != 0 && timerId == g_mouseTimerId && user == 1 && window != nullptr && !g_mouseTimerReentry.exchange(true)) {
        int x = 0;
        int y = 0;
        window->pointerPosition(x, y);
        int storedX = 0;
        int storedY = 0;
        mouseManager().GetPosition(storedX, storedY);
        const bool cursorChanged = mouseManager().UpdateCursorShape();
        if (x != storedX || y != storedY || cursorChanged) {
            mouseManager().OnMouseMove(x, y);
            mouseManager().DrawCursor(1);
        }
        g_mouseTimerReentry = false;
    }
    std::lock_guard<std::mutex> guard(*lock);
    g_mouseTimerBusy = false;
}

void LockMouseTimer()
{
    std::mutex* lock = g_mouseTimerLock.get();
    if (lock == nullptr)
        return;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(*lock);
            if (!g_mouseTimerBusy) {
                g_mouseTimerBusy = true;
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void UnlockMouseTimer()
{
    std::mutex* lock = g_mouseTimerLock.get();
    if (lock == nullptr)
        return;
    std::lock_guard<std::mutex> guard(*lock);
    g_mouseTimerBusy = false;
}
