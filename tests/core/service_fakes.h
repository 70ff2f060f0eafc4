/** @file Recording stand-ins for the services the core asks of the gump manager, mouse, input line, macros, music, sound and movie player. */
#pragma once

#include "client/core/gump_services.h"
#include "client/core/input_services.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class FakeGumpManager final : public GumpManagerServices {
public:
    int updates = 0;
    int draws = 0;
    int resetDCs = 0;
    int desktopSaves = 0;
    int desktopQueueSteps = 0;
    int helpRequests = 0;
    int lastOpenedGump = 0;
    std::string lastMessage;
    bool desktopQueueStopped = false;
    CFocusedControl* focused = nullptr;

    void Update() override { ++updates; }
    void DrawAllGumps(int, int, int, int, int) override { ++draws; }
    void ResetDC() override { ++resetDCs; }
    void SaveDesktop() override { ++desktopSaves; }
    void ProcessDesktopQueue() override { ++desktopQueueSteps; }
    bool DesktopQueueStopped() override { return desktopQueueStopped; }
    CGump* OpenGump(CObj*, int gumpId, CGump*, int) override
    {
        lastOpenedGump = gumpId;
        return nullptr;
    }
    CGump* ShowMessageGump(const char* text, CGump*, int, int, int) override
    {
        lastMessage = text != nullptr ? text : "";
        return nullptr;
    }
    CFocusedControl* FocusedControl() override { return focused; }
    void SendHelpRequest() override { ++helpRequests; }
};

/** Keeps what it is told as the mouse manager would; the mouse timer thread may call it. */
class FakeMouseManager final : public MouseServices {
public:
    struct Buttons {
        int leftDown = 0, leftUp = 0, rightDown = 0, rightUp = 0;
        int lastX = 0, lastY = 0;
    };

    void Update() override { ++updates_; }
    void EnableSoftwareCursor(int on) override { softwareCursor_ = on; }
    void SetCursor(int kind) override { cursor_ = kind; }
    void OnLButtonDown(int x, int y) override { record(&Buttons::leftDown, x, y); }
    void OnLButtonUp(int x, int y) override { record(&Buttons::leftUp, x, y); }
    void OnRButtonDown(int x, int y) override { record(&Buttons::rightDown, x, y); }
    void OnRButtonUp(int x, int y) override { record(&Buttons::rightUp, x, y); }
    void OnMouseMove(int x, int y) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        x_ = x;
        y_ = y;
    }
    bool UpdateCursorShape() override { return cursor_.load() != drawnCursor_.load(); }
    void GetPosition(int& x, int& y) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        x = x_;
        y = y_;
    }
    void DrawCursor(int) override
    {
        drawnCursor_ = cursor_.load();
        redraw_ = true;
    }
    bool TakeCursorRedraw() override { return redraw_.exchange(false); }

    int cursor() const { return cursor_; }
    int softwareCursor() const { return softwareCursor_; }
    int updates() const { return updates_; }
    Buttons buttons()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return buttons_;
    }

private:
    void record(int Buttons::*counter, int x, int y)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++(buttons_.*counter);
        buttons_.lastX = x;
        buttons_.lastY = y;
    }

    std::mutex mutex_;
    int x_ = 0;
    int y_ = 0;
    Buttons buttons_;
    std::atomic<int> cursor_{17};
    std::atomic<int> drawnCursor_{17};
    std::atomic<int> softwareCursor_{0};
    std::atomic<int> updates_{0};
    std::atomic<bool> redraw_{false};
};

class FakeInputLine final : public InputLineServices {
public:
    std::vector<uint16_t> typed;
    std::vector<uint32_t> keys;
    bool promptOpen = false;
    int promptReplies = 0;

    bool OnKeyDown(uint32_t virtualKey, uint32_t) override
    {
        keys.push_back(virtualKey);
        return false;
    }
    void OnChar(uint16_t character) override { typed.push_back(character); }
    void ReplyToPrompt(int, const char*) override
    {
        ++promptReplies;
        promptOpen = false;
    }
    bool PromptOpen() const override { return promptOpen; }
};

class FakeMacros final : public MacroServices {
public:
    std::vector<MacroKey> keys;
    int lastStarted = -1;
    int updates = 0;
    int waitCounter = 0;
    int loads = 0;
    int frees = 0;

    void LoadMacros() override { ++loads; }
    void FreeMacros() override { ++frees; }
    std::span<const MacroKey> MacroKeys() const override { return keys; }
    void StartMacro(int index) override { lastStarted = index; }
    void UpdateMacro() override { ++updates; }
    void CountDownMacroWait() override
    {
        if (waitCounter != 0)
            --waitCounter;
    }
};

class FakeMusic final : public MusicServices {
public:
    bool enabled = false;
    int updates = 0;
    int songsAdvanced = 0;

    void Update() override { ++updates; }
    void Enable(int on) override { enabled = on != 0; }
    bool IsEnabled() const override { return enabled; }
    void PlayNextSong() override { ++songsAdvanced; }
};

class FakeSound final : public SoundServices {
public:
    bool enabled = false;
    int updates = 0;

    void Update() override { ++updates; }
    void Enable(int on) override { enabled = on != 0; }
};

class FakeMoviePlayer final : public MoviePlayerServices {
public:
    std::vector<std::string> played;
    void PlayMovie(const std::string& path, const std::function<int()>&) override { played.push_back(path); }
};

/** Installs every fake for its lifetime and puts the do-nothing services back afterwards. */
class ScopedServiceFakes {
public:
    ScopedServiceFakes()
    {
        SetGumpServices(&gumps);
        SetMouseServices(&mouse);
        SetInputLineServices(&input);
        SetMacroServices(&macros);
        SetMusicServices(&music);
        SetSoundServices(&sound);
        SetMoviePlayer(&movie);
    }
    ~ScopedServiceFakes()
    {
        SetGumpServices(nullptr);
        SetMouseServices(nullptr);
        SetInputLineServices(nullptr);
        SetMacroServices(nullptr);
        SetMusicServices(nullptr);
        SetSoundServices(nullptr);
        SetMoviePlayer(nullptr);
    }
    ScopedServiceFakes(const ScopedServiceFakes&) = delete;
    ScopedServiceFakes& operator=(const ScopedServiceFakes&) = delete;

    FakeGumpManager gumps;
    FakeMouseManager mouse;
    FakeInputLine input;
    FakeMacros macros;
    FakeMusic music;
    FakeSound sound;
    FakeMoviePlayer movie;
};

} // namespace testsupport
