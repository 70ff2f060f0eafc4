/** @file The main loop: window messages, connection polls and the paced game tick. */
#pragma once

#include "platform/clock/clock.h"
#include "platform/window/window.h"

#include <cstdint>
#include <functional>

/**
 * Set by the last entry of the exit list: from then on the data cache and the music player do
 * nothing, since the managers they lean on may already be gone.
 */
extern uint8_t ShuttingDown;

/** What one pace decision ran. */
struct PaceResult {
    int skipTicks = 0; // ticks that did not draw
    int drawTicks = 0; // ticks that drew
};

/**
 * Runs the game tick as far as the time since tickBase asks: nothing below one interval; one
 * drawing tick and tickBase += interval below two; from two intervals on, a tick that does not
 * draw first (only with frame skipping), one that draws, and tickBase := now (the backlog is
 * dropped). Elapsed time is an unsigned 32-bit difference, so pacing carries on across the
 * wrap of the tick count. gameTick gets 1 for a tick that does not draw, 0 for one that does.
 */
PaceResult PaceGameTick(uint32_t now, uint32_t& tickBase, uint32_t interval, bool frameSkipping,
                        const std::function<void(int skipDraw)>& gameTick);

/** What each pass of the loop services besides the window (the network fills these in). */
struct MainLoopHooks {
    /**
     * After every window message, and once in a pass that handled none (the translation link:
     * its non-blocking connect and its replies must move on while the window is quiet).
     */
    std::function<void()> afterMessage;
    /** Every open server connection, in list order. */
    std::function<void()> pollConnections;
    /** The message socket. */
    std::function<void()> pollMessageSocket;
    /** The game tick; GameTick by default. */
    std::function<void(int skipDraw)> gameTick;
};

/**
 * Runs until the window procedure posts the quit message; returns its code. Never waits for
 * messages: when a pass found nothing to do it sleeps 1 ms on the clock so an idle client does
 * not spin a core. Key messages go through the accelerator table first and are then handled as
 * keys as well.
 */
int RunMainLoop(platform::Window& window, platform::Clock& clock, const MainLoopHooks& hooks);
