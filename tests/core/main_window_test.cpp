/** @file Tests of the main window: creation, the window procedure, presenting, paste, web pages, the mouse timer. */
#include "client/core/main_window.h"

#include "client/core/app.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "platform/window/null_window.h"
#include "platform/window/virtual_keys.h"
#include "tests/core/service_fakes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

using Kind = platform::WindowMessage::Kind;
namespace vk = platform::vk;

class RecordingControl final : public CFocusedControl {
public:
    bool singleLine = false;
    bool multiLine = false;
    bool rawKeys = false;
    std::vector<uint16_t> typed;
    std::vector<uint32_t> rawKeysSeen;

    bool IsSingleLine() const override { return singleLine; }
    bool IsMultiLine() const override { return multiLine; }
    void OnTypedChar(uint16_t character) override { typed.push_back(character); }
    bool TakesRawKeys() const override { return rawKeys; }
    void OnRawKey(uint32_t key, uint32_t) override { rawKeysSeen.push_back(key); }
};

platform::WindowMessage keyDown(uint32_t key, bool ctrl = false, bool shift = false, bool alt = false)
{
    platform::WindowMessage m = platform::WindowMessage::of(alt ? Kind::SysKeyDown : Kind::KeyDown);
    m.key = key;
    m.ctrl = ctrl;
    m.shift = shift;
    m.alt = alt;
    return m;
}

platform::WindowMessage character(uint16_t c)
{
    platform::WindowMessage m = platform::WindowMessage::of(Kind::Char);
    m.character = c;
    return m;
}

platform::WindowMessage command(uint32_t id)
{
    platform::WindowMessage m = platform::WindowMessage::of(Kind::Command);
    m.command = id;
    return m;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        g_bInGame = false;
        window_.setDesktop({800, 600, 32});
        SetConfigFolder(dir_.path().string()); // full-screen switches save the options there
    }
    void TearDown() override
    {
        ReleaseMainWindow();
        DeleteMouseTimerLock();
        FullScreenActive = 0;
        SetConfigFolder("");
    }

    void create() { ASSERT_TRUE(CreateMainWindow(window_)); }

    /** Hands every queued message to the window procedure, as the loop does. */
    void pump()
    {
        platform::WindowMessage m;
        while (window_.pollMessage(m)) {
            if (m.kind == Kind::Quit) {
                quitSeen_ = true;
                continue;
            }
            MainWndProc(m);
        }
    }

    testsupport::ScopedServiceFakes fakes_; // first made, last gone: the mouse timer may call it
    platform::ScopedPlatform platform_;
    testsupport::TempDir dir_;
    platform::NullWindow window_;
    bool quitSeen_ = false;
};

TEST_F(MainWindowTest, CreationCapsTheClientAreaAndNamesTheAccountInTheTitle)
{
    CopyConfigText(AcctID, "alice");
    CopyConfigText(AcctLastName, "smith");
    create();
    int w = 0;
    int h = 0;
    window_.clientSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(window_.title(), "Tavorn Vevovo - alice smith");
    EXPECT_EQ(ScreenWidth, 640);
    EXPECT_EQ(ScreenHeight, 480);
    EXPECT_EQ(BackBuffer.size(), 640u * 480u);

    SetMainWindowTitle("news");
    EXPECT_EQ(window_.title(), "Tavorn Vevovo - news");
    SetMainWindowTitle(std::string(600, 'x').c_str());
    EXPECT_EQ(window_.title().size(), 500u);

    SetMainWindowPos(30, 40, 800, 600);
    int left = -1;
    int top = -1;
    GetMainWindowPos(left, top);
    window_.clientSize(w, h);
    EXPECT_EQ(std::vector<int>({left, top, w, h}), std::vector<int>({30, 40, 800, 600}));
}

TEST_F(MainWindowTest, SizeMessagesSetTheScreenSizeByTheResizeRule)
{
    struct Case {
        const char* name;
        uint8_t allowResize;
        int width, height;
        int screenWidth, screenHeight;
    } const cases[] = {
        {"resizable: raised to multiples of 4", 1, 701, 523, 704, 524},
        {"resizable: never below the play size", 1, 500, 300, 640, 480},
        {"fixed: always the play size", 0, 701, 523, 640, 480},
    };
    create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AllowWindowResize = c.allowResize;
        ViewScrollX = -5;
        platform::WindowMessage m = platform::WindowMessage::of(Kind::Size);
        m.width = c.width;
        m.height = c.height;
        MainWndProc(m);
        EXPECT_EQ(ScreenWidth, c.screenWidth);
        EXPECT_EQ(ScreenHeight, c.screenHeight);
        EXPECT_EQ(BackBuffer.size(), static_cast<size_t>(c.screenWidth) * static_cast<size_t>(c.screenHeight));
        EXPECT_EQ(ViewScrollX, 0);
    }
}

TEST(WindowResizePermission, TheTwoSmallestScreensForbidResizing)
{
    struct Case {
        const char* name;
        int screenWidth, screenHeight;
        const char* playSize;
        uint8_t allowedAfter;
    } const cases[] = {
        {"640 x 480 forbids whatever the play size", 640, 480, "640x480", 0},
        {"800 x 600 with an 800 x 600 play window", 800, 600, "800x600", 0},
        {"800 x 600 with a 640 x 480 play window", 800, 600, "640x480", 1},
        {"larger screens allow it", 1024, 768, "800x600", 1},
        {"an unreadable play size on 800 x 600", 800, 600, "big", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetConfigStore();
        AllowWindowResize = 1;
        CopyConfigText(GamePlayWindowSize, c.playSize);
        ApplyWindowResizePermission({c.screenWidth, c.screenHeight, 32});
        EXPECT_EQ(AllowWindowResize, c.allowedAfter);
    }
    ResetConfigStore();
}

TEST_F(MainWindowTest, CloseDestroysTheWindowSavesTheDesktopAndQuits)
{
    create();
    window_.postMessage(platform::WindowMessage::of(Kind::Close));
    pump();
    EXPECT_TRUE(quitSeen_);
    EXPECT_EQ(fakes_.gumps.desktopSaves, 1);
    EXPECT_EQ(Quitting, 1);
}

TEST_F(MainWindowTest, DestroyDuringADisplaySwitchIsIgnored)
{
    create();
    DisplaySwitchInProgress = 1;
    MainWndProc(platform::WindowMessage::of(Kind::Destroy));
    DisplaySwitchInProgress = 0;
    pump();
    EXPECT_FALSE(quitSeen_);
    EXPECT_EQ(fakes_.gumps.desktopSaves, 0);
}

TEST_F(MainWindowTest, KeysGoToRawKeyControlsThenMacrosThenTheFocusedControlThenTheInputLine)
{
    create();
    RecordingControl control;
    fakes_.macros.keys.push_back({'Q', false, true, false, 7}); // Alt+Q starts macro 7
    pump();

    // A macro with Alt swallows the character the key produces.
    MainWndProc(keyDown('Q', false, false, true));
    window_.postMessage(character('q'));
    window_.postMessage(character('z'));
    pump();
    EXPECT_EQ(fakes_.macros.lastStarted, 7);
    EXPECT_EQ(fakes_.input.typed, std::vector<uint16_t>{'z'});

    // Navigation keys reach a focused control as 0xE000 + key; others are left to the characters.
    fakes_.gumps.focused = &control;
    MainWndProc(keyDown(vk::Home));
    MainWndProc(keyDown(vk::Delete));
    MainWndProc(keyDown('A'));
    EXPECT_EQ(control.typed, (std::vector<uint16_t>{0xE000 + vk::Home, 0xE000 + vk::Delete}));

    // A control that takes raw keys gets every key, macros included.
    control.rawKeys = true;
    MainWndProc(keyDown('Q', false, false, true));
    EXPECT_EQ(control.rawKeysSeen, std::vector<uint32_t>{'Q'});
}

class RecordingConnection final : public CPacketSink {
public:
    std::vector<std::vector<uint8_t>> sent;
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        sent.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return true; }
};

TEST_F(MainWindowTest, TabAndTheWarCommandAskForWarOrPeace)
{
    using Packets = std::vector<std::vector<uint8_t>>;
    const std::vector<uint8_t> war = {0x72, 1, 0, 0, 4};
    const std::vector<uint8_t> peace = {0x72, 0, 0, 0, 4};
    const std::vector<uint8_t> deathStatus = {0x2C, 0};
    platform::WindowMessage tab = keyDown(vk::Tab);
    platform::WindowMessage tabRepeat = tab;
    tabRepeat.repeat = true;
    platform::WindowMessage tabUp = platform::WindowMessage::of(Kind::KeyUp);
    tabUp.key = vk::Tab;
    struct Case {
        const char* name;
        bool inGame, holdTab, inWar, dead;
        std::vector<platform::WindowMessage> messages;
        Packets sent;
    } const cases[] = {
        {"Tab toggles at peace, once per press", true, false, false, false, {tab, tabRepeat, tabUp}, {war}},
        {"Tab toggles in war", true, false, true, false, {tab}, {peace}},
        {"held Tab: war while held, peace when let go", true, true, false, false, {tab, tabRepeat, tabUp}, {war, peace}},
        {"held Tab while already in war asks nothing", true, true, true, false, {tab}, {}},
        {"nothing before the game", false, false, false, false, {tab, command(IDM_WARMODE)}, {}},
        {"the war command toggles; a dead player reports first", true, false, false, true, {command(IDM_WARMODE)},
         {deathStatus, war}},
    };
    create();
    RecordingConnection connection;
    SetMainConnection(&connection);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_bInGame = c.inGame;
        HoldTabForCombat = c.holdTab ? 1 : 0;
        WarModeRequested = -1;
        WorldPlayerHooks().inWarMode = [&c] { return c.inWar; };
        WorldPlayerHooks().isDead = [&c] { return c.dead; };
        connection.sent.clear();
        for (const platform::WindowMessage& m : c.messages)
            MainWndProc(m);
        EXPECT_EQ(connection.sent, c.sent);
    }
    WorldPlayerHooks() = PlayerHooks{};
    SetMainConnection(nullptr);
}

TEST_F(MainWindowTest, TypedCharactersReachTheFocusedControlOrTheInputLine)
{
    create();
    for (uint16_t c : {uint16_t{'h'}, uint16_t{13}, uint16_t{8}})
        MainWndProc(character(c));
    EXPECT_EQ(fakes_.input.typed, (std::vector<uint16_t>{'h', 13, 8}));

    // Escape outside target mode acts as Tab: to a focused control only.
    MainWndProc(character(27));
    EXPECT_EQ(fakes_.input.typed.size(), 3u);
    RecordingControl control;
    fakes_.gumps.focused = &control;
    MainWndProc(character(27));
    EXPECT_EQ(control.typed, std::vector<uint16_t>{9});

    // Escape in target mode leaves it.
    EnterTargetMode();
    MainWndProc(character(27));
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_EQ(fakes_.mouse.cursor(), 17);
}

TEST_F(MainWindowTest, PasteTypesAtMostTheLimitOfTheFocus)
{
    create();
    std::string text(300, 'a');
    text[100] = '\r';
    window_.setClipboard(text);

    PasteClipboardText();
    EXPECT_EQ(fakes_.input.typed.size(), 240u);

    RecordingControl single;
    single.singleLine = true;
    fakes_.gumps.focused = &single;
    PasteClipboardText();
    EXPECT_EQ(single.typed.size(), 80u);
    window_.setClipboard("ab\rcd");
    single.typed.clear();
    PasteClipboardText();
    EXPECT_EQ(single.typed, (std::vector<uint16_t>{'a', 'b'}));

    RecordingControl multi;
    multi.multiLine = true;
    fakes_.gumps.focused = &multi;
    window_.setClipboard(std::string(1200, 'b') );
    PasteClipboardText();
    EXPECT_EQ(multi.typed.size(), 1000u);
    window_.setClipboard("\xC3\xA9\xF0\x9F\x98\x80"); // e-acute, then one character beyond 16 bits
    multi.typed.clear();
    PasteClipboardText();
    EXPECT_EQ(multi.typed, (std::vector<uint16_t>{0xE9, 0xD83D, 0xDE00}));
}

TEST_F(MainWindowTest, MenuCommandsToggleTheirSwitchesAndCloseTheWindow)
{
    create();
    struct Case {
        uint32_t id;
        uint8_t* value;
    } const toggles[] = {{IDM_MUSIC, &Music}, {IDM_SOUND, &Sound}, {IDM_OBSCENITY_FILTER, &ObscenityFilter},
                         {IDM_FOOTSTEPS, &Footsteps}};
    for (const Case& c : toggles) {
        SCOPED_TRACE(c.id);
        const uint8_t before = *c.value;
        MainWndProc(command(c.id));
        EXPECT_NE(*c.value, before);
        MainWndProc(command(c.id));
        EXPECT_EQ(*c.value, before);
    }
    Music = 0;
    MainWndProc(command(IDM_MUSIC));
    EXPECT_TRUE(fakes_.music.IsEnabled());
    EXPECT_TRUE(MenuItemChecked(IDM_MUSIC));

    // Game-only commands do nothing before the game.
    MainWndProc(command(IDM_RADAR));
    EXPECT_EQ(fakes_.gumps.lastOpenedGump, 0);
    g_bInGame = true;
    MainWndProc(command(IDM_RADAR));
    EXPECT_EQ(fakes_.gumps.lastOpenedGump, 5010);

    MainWndProc(command(IDM_EXIT));
    pump();
    EXPECT_TRUE(quitSeen_);
}

TEST_F(MainWindowTest, ButtonsCaptureTheMouseAndReachTheMouseManager)
{
    create();
    platform::WindowMessage down = platform::WindowMessage::of(Kind::LButtonDown);
    down.x = 12;
    down.y = -3; // captured: the pointer may be left of or above the window
    MainWndProc(down);
    EXPECT_TRUE(window_.captured());
    platform::WindowMessage up = down;
    up.kind = Kind::LButtonUp;
    MainWndProc(up);
    EXPECT_FALSE(window_.captured());
    const testsupport::FakeMouseManager::Buttons counts = fakes_.mouse.buttons();
    EXPECT_EQ(counts.leftDown, 1);
    EXPECT_EQ(counts.leftUp, 1);
    EXPECT_EQ(counts.lastX, 12);
    EXPECT_EQ(counts.lastY, -3);

    MainWndProc(platform::WindowMessage::of(Kind::MusicNotify));
    EXPECT_EQ(fakes_.music.songsAdvanced, 1);
}

TEST_F(MainWindowTest, SystemCursorShowsOnlyOutsideTheClientAreaOrWithoutFocus)
{
    create();
    struct Case {
        const char* name;
        bool inside;
        bool focus;
        bool shown;
    } const cases[] = {
        {"inside with focus", true, true, false},
        {"outside", false, true, true},
        {"inside without focus", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.setPointer(5, 5, c.inside);
        window_.setFocus(c.focus);
        MainWndProc(platform::WindowMessage::of(Kind::Paint));
        EXPECT_EQ(window_.systemCursorShown(), c.shown);
        EXPECT_EQ(SystemCursorShown != 0, c.shown);
    }
    const int calls = window_.cursorShowCalls();
    MainWndProc(platform::WindowMessage::of(Kind::Paint));
    EXPECT_EQ(window_.cursorShowCalls(), calls); // only changes are passed on
}

TEST_F(MainWindowTest, PresentShowsTheWrapAroundBufferFromTheScrolledStart)
{
    AllowWindowResize = 1;
    window_.setDesktop({4, 3, 32});
    CopyConfigText(GamePlayWindowSize, "4x3");
    create(); // a 4 x 3 client area: the screen is raised to 4 x 4
    ASSERT_EQ(BackBuffer.size(), 16u);
    std::iota(BackBuffer.begin(), BackBuffer.end(), uint16_t{0});
    auto rotated = [](uint16_t first) {
        std::vector<uint16_t> v(16);
        for (uint16_t i = 0; i < 16; ++i)
            v[i] = static_cast<uint16_t>((first + i) % 16);
        return v;
    };

    PresentFrame();
    EXPECT_EQ(window_.lastFrame(), rotated(0));

    ViewBufferOffset = 7; // the first screen pixel is at 7 - (1 x 4 + 1) = 2
    ViewScrollX = 1;
    ViewScrollY = 1;
    PresentFrame();
    EXPECT_EQ(window_.lastFrame(), rotated(2));

    ViewBufferOffset = 0; // start wraps below zero: 0 - 5 becomes 11
    PresentFrame();
    EXPECT_EQ(window_.lastFrame(), rotated(11));
    EXPECT_EQ(window_.presentCount(), 3);
    ViewScrollX = ViewScrollY = 0;
}

TEST_F(MainWindowTest, FullScreenFallsBackTo640x480AndConvertsTo565)
{
    create();
    g_bInGame = true;
    CopyConfigText(FullScreenRes, "1024x768");
    window_.refuseMode(1024, 768);
    window_.setModeLayout(platform::PixelLayout::Rgb565);

    MainWndProc(command(IDM_FULLSCREEN_TOGGLE));
    ASSERT_EQ(FullScreenActive, 1);
    EXPECT_EQ(FullScreen, 1);
    EXPECT_EQ(window_.modeRequests(), (std::vector<std::pair<int, int>>{{1024, 768}, {640, 480}}));
    EXPECT_EQ(ScreenWidth, 640);
    EXPECT_EQ(ScreenHeight, 480);

    BackBuffer[0] = 0x7FFF; // white in 5-5-5
    BackBuffer[1] = 0x001F;
    PresentFrame();
    EXPECT_EQ(window_.lastFrame()[0], 0xFFDF);
    EXPECT_EQ(window_.lastFrame()[1], 0x001F);

    MainWndProc(command(IDM_FULLSCREEN_TOGGLE));
    EXPECT_EQ(FullScreenActive, 0);
    EXPECT_EQ(FullScreen, 0);
    EXPECT_FALSE(window_.isFullScreen());
    EXPECT_EQ(window_.surfaceLayout(), platform::PixelLayout::Rgb555);
}

TEST_F(MainWindowTest, RefusedFullScreenLeavesTheWindowAndTheSettingAlone)
{
    create();
    window_.refuseMode(640, 480);
    FullScreen = 0;
    MainWndProc(command(IDM_FULLSCREEN_TOGGLE));
    EXPECT_EQ(FullScreenActive, 0);
    EXPECT_EQ(FullScreen, 0);
    EXPECT_FALSE(window_.isFullScreen());
    EXPECT_EQ(ScreenWidth, 640);
    PresentFrame(); // the back buffer still fits the windowed surface
    EXPECT_EQ(window_.presentCount(), 1);
}

TEST_F(MainWindowTest, AFullScreenModeWithoutASurfaceGoesBackToTheWindow)
{
    platform::RecordingMessageBoxSink boxes;
    platform::ScopedMessageBoxSink scoped(boxes);
    create();
    g_bInGame = true;
    CopyConfigText(FullScreenRes, "800x600");
    window_.refuseSurface(800, 600);
    FullScreen = 0;

    MainWndProc(command(IDM_FULLSCREEN_TOGGLE));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Note!");
    EXPECT_EQ(boxes.boxes()[0].text, "Failed to create primary surface.");
    EXPECT_EQ(FullScreenActive, 0);
    EXPECT_EQ(FullScreen, 0);
    EXPECT_FALSE(window_.isFullScreen());
    int w = 0;
    int h = 0;
    window_.clientSize(w, h);
    EXPECT_EQ(std::vector<int>({w, h, ScreenWidth, ScreenHeight}), std::vector<int>({640, 480, 640, 480}));
    PresentFrame(); // the windowed surface is back
    EXPECT_EQ(window_.presentCount(), 1);
    EXPECT_EQ(window_.surfaceWidth(), 640);
}

TEST_F(MainWindowTest, TheIntroHookStopsOnAPressOrTheQuitAndPassesTheRestOn)
{
    create();
    pump();
    platform::WindowMessage quit = platform::WindowMessage::of(Kind::Quit);
    quit.command = 0;
    struct Case {
        const char* name;
        std::vector<platform::WindowMessage> queued;
        int result;
        int presents; // frames shown by the call
    } const cases[] = {
        {"first call, nothing waiting", {}, 0, 0},
        {"the second call shows the frame", {}, 0, 1},
        {"a paint shows it again", {platform::WindowMessage::of(Kind::Paint)}, 0, 1},
        {"a typed character goes on", {character('x')}, 0, 0},
        {"a key stops", {keyDown('A')}, 1, 0},
        {"a left button stops", {platform::WindowMessage::of(Kind::LButtonDown)}, 1, 0},
        {"a right button stops", {platform::WindowMessage::of(Kind::RButtonDown)}, 1, 0},
        {"the quit stops and stays queued", {quit}, 1, 0},
    };
    ResetIntroWindowHook();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const platform::WindowMessage& m : c.queued)
            window_.postMessage(m);
        const int presentsBefore = window_.presentCount();
        EXPECT_EQ(IntroWindowHook(), c.result);
        EXPECT_EQ(window_.presentCount() - presentsBefore, c.presents);
    }
    EXPECT_EQ(fakes_.input.typed, std::vector<uint16_t>{'x'});
    pump();
    EXPECT_TRUE(quitSeen_);
}

TEST_F(MainWindowTest, WebPagesOpenOnlyWebAndMailAddressesAsOneArgument)
{
    struct Case {
        const char* url;
        bool opens;
    } const cases[] = {
        {"https://example.org/news?a=1&b=2", true},
        {"HTTP://example.org", true},
        {"mailto:gm@example.org", true},
        {"file:///etc/passwd", false},
        {"--help", false},
        {"javascript:alert(1)", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const size_t before = platform_.processes().spawns().size();
        EXPECT_EQ(OpenWebPage(c.url), c.opens ? 1 : 0);
        const auto spawns = platform_.processes().spawns();
        ASSERT_EQ(spawns.size(), before + (c.opens ? 1 : 0));
        if (c.opens) {
            EXPECT_EQ(spawns.back().argv, (std::vector<std::string>{"xdg-open", c.url}));
        }
    }
    platform_.processes().setSpawnFails(true);
    EXPECT_EQ(OpenWebPage("https://example.org"), 0);
    EXPECT_EQ(fakes_.gumps.lastMessage, "Web browser not found!");
}

TEST_F(MainWindowTest, MouseTimerMarksTheCursorWhenThePointerMovesAndSkipsWhileBusy)
{
    CreateMouseTimerLock();
    MouseThread = 1;
    create();
    pump(); // Create starts the timer
    ASSERT_NE(MouseTimerId(), 0u);
    KillMouseTimer();
    EXPECT_EQ(MouseTimerId(), 0u);

    StartMouseTimer(false); // an id without a thread: the test makes the timer's calls
    const uint32_t id = MouseTimerId();
    (void)fakes_.mouse.TakeCursorRedraw();
    struct Step {
        const char* name;
        uint32_t timerId;
        int x, y;
        bool busy;
        bool redraw;
    } const steps[] = {
        {"moved", id, 10, 20, false, true},
        {"still", id, 10, 20, false, false},
        {"moved, but a stale timer", id + 100, 11, 20, false, false},
        {"moved while music holds the timer", id, 30, 40, true, false},
        {"moved", id, 30, 41, false, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        window_.setPointer(s.x, s.y);
        if (s.busy)
            LockMouseTimer();
        MouseTimerCallback(s.timerId, 1);
        if (s.busy)
            UnlockMouseTimer();
        EXPECT_EQ(fakes_.mouse.TakeCursorRedraw(), s.redraw);
    }
    int x = 0;
    int y = 0;
    fakes_.mouse.GetPosition(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 41);
}

} // namespace
