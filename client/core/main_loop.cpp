/** @file The main loop: window messages, connection polls and the paced game tick. */
#include "client/core/main_loop.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/gump_services.h"
#include "client/core/main_window.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"

uint8_t ShuttingDown = 0;

PaceResult PaceGameTick(uint32_t now, uint32_t& tickBase, uint32_t interval, bool frameSkipping,
                        const std::function<void(int skipDraw)>& gameTick)
{
    PaceResult result;
    const uint32_t elapsed = now - tickBase;
    if (elapsed < interval)
        return result;
    if (elapsed / 2 < interval) { // below two intervals, without overflowing 2 x interval
        gameTick(0);
        result.drawTicks = 1;
        tickBase += interval;
        return result;
    }
    if (frameSkipping) {
        gameTick(1);
        result.skipTicks = 1;
    }
    gameTick(0);
    result.drawTicks = 1;
    tickBase = now;
    return result;
}

int RunMainLoop(platform::Window& window, platform::Clock& clock, const MainLoopHooks& hooks)
{
    using Kind = platform::WindowMessage::Kind;
    const std::function<void(int)> tick = hooks.gameTick ? hooks.gameTick : [](int skipDraw) { GameTick(skipDraw); };
    uint32_t tickBase = clock.tickCount();
    for (;;) {
        bool busy = false;
        platform::WindowMessage message;
        while (window.pollMessage(message)) {
            if (message.kind == Kind::Quit)
                return static_cast<int>(message.command);
            busy = true;
            const uint32_t command = TranslateAccelerator(message);
            if (command != 0) {
                platform::WindowMessage commandMessage = platform::WindowMessage::of(Kind::Command);
                commandMessage.command = command;
                MainWndProc(commandMessage);
            }
            MainWndProc(message);
            soundManager().Update();
            if (hooks.afterMessage)
                hooks.afterMessage();
        }
        if (!busy && hooks.afterMessage)
            hooks.afterMessage();
        if (hooks.pollConnections)
            hooks.pollConnections();
        if (hooks.pollMessageSocket)
            hooks.pollMessageSocket();
        soundManager().Update();
        const PaceResult ran = PaceGameTick(clock.tickCount(), tickBase, TickInterval, FrameSkipping != 0, tick);
        if (ran.drawTicks == 0 && mouseManager().TakeCursorRedraw()) {
            // The mouse timer moved the cursor; only this thread may present. The back buffer holds
            // the world alone between frames, so the gumps are drawn over it again.
            gumpManager().DrawAllGumps(0, 0, ScreenWidth, ScreenHeight, 1);
            busy = true;
        }
        if (!busy && ran.drawTicks == 0)
            clock.sleep(1);
    }
}
