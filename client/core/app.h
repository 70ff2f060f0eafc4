/** @file The application object: start-up and shutdown, the game tick, speech rate limit and typed keys. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The application object has no instance data: its state is a set of plain process-wide
// variables and its operations are free functions. Main thread only.

namespace CApp {
/** Defaults, install path, both configuration files, character data, macros, map probe. Once. */
void startup();
/** Frees what start-up made; does nothing unless start-up completed. */
void shutdown();
bool Initialized();
/** The data-source path followed by name, in a static buffer. */
const char* get_CDpath(const char* name);
} // namespace CApp

/** The pace of the game tick in milliseconds; 50 after start-up. */
extern uint32_t TickInterval;
/** Counts game ticks; other subsystems measure short delays in ticks with it. */
extern uint32_t GameTickCount;
/** The tick time of the present game tick, for movement code. */
extern uint32_t CurrentTickTime;
/** The in-game clock: one in-game minute is 20 real seconds. */
extern uint32_t GameHour;
extern uint32_t GameMinute;
extern uint32_t GameSecond;
/** The install folder with its trailing separator (empty when the install key is missing). */
extern char InstallPath[261];
/** Characters spoken recently; decays by SpamLimit per second. */
extern int32_t SpeechRateCounter;
/** Bytes sent after the flag of a war-mode request. */
extern uint8_t WarModeBytes[3];
/** Set while the player is in the game world. */
extern bool g_bInGame;
/** Set while the cursor picks a target. */
extern bool g_bTargetMode;

/** The hard-disk path followed by name, in a static buffer; "./" + name when there is none. */
const char* BuildDataPath(const char* name);
/** Bit i set when map file i was found at start-up; bit 1 follows bit 0. */
uint32_t GetInstalledMapsMask();
/** A pseudo-random number 0 to n - 1; 0 when n is 0 or below. */
int RandomBelow(int n);

/** True when more speech may go out now (always, when SpamLimit is 0 or below). */
bool IsUnderSpamLimit();
void AddSpamCount(int count);
/**
 * Holds a line of 8-bit speech back until the rate limit lets it go: its first `length` bytes
 * (up to its end) and the speech mode it is sent with. The game tick sends it through
 * SendAsciiSpeech, without counting it again.
 */
void QueueSpeech(const char* text, int32_t length, int mode);
size_t QueuedSpeechLines();
/** "[Spam detected, speech queued for N seconds]"; empty when there is no limit. */
std::string SpeechQueuedNotice();

void EnterTargetMode();
void CancelTargetMode();

/** The war flag last asked of the server: 1 war, 0 peace, -1 none asked yet. */
extern int WarModeRequested;
/**
 * Asks the server for war (1) or peace (0); -1 asks for the opposite of the player's present
 * mode. A dead player first reports its death status. Sent on the main connection.
 */
void RequestWarMode(int flag);

/**
 * What the war-mode request asks of the player and the world. Each is empty until the world
 * installs it: then the player is alive and at peace, and nothing else is to be done.
 */
struct PlayerHooks {
    std::function<bool()> isDead;
    std::function<bool()> inWarMode;
    /** After a request: the marked mobiles are forgotten and the attack target is drawn anew. */
    std::function<void()> afterWarModeRequest;
};
PlayerHooks& WorldPlayerHooks();
/** The player's war mode as the world knows it; false while there is no player. */
bool PlayerInWarMode();

/** A typed character (or a walking code) from the window procedure or the paste. */
void DispatchTypedKey(int code);

/** The game tick: the interface pass every 33 ms, the world pass every 76 ms. */
void GameTick(int skipDraw);

/**
 * A connection that packets are sent on. The network subsystem's game connection takes this
 * place; until then nothing is connected.
 */
class CPacketSink {
public:
    virtual ~CPacketSink() = default;
    virtual bool SendPacket(const uint8_t* bytes, size_t length) = 0;
    /** True once the connection has passed its login phase. */
    virtual bool PastLoginPhase() const = 0;
};
/** The main connection every sender uses; null while there is none. */
CPacketSink* MainConnection();
void SetMainConnection(CPacketSink* connection);

/**
 * What the game tick calls in the world and the renderer. Each is empty until its subsystem
 * installs it (and skipped while empty), except drawFrame, which by default draws the gumps.
 */
struct GameTickHooks {
    std::function<void()> expireOverheadMessages;
    std::function<void()> stepAlongPath;
    std::function<void()> updatePlayerWalk;
    std::function<void()> updateMovement;
    std::function<void()> weatherUpdate;
    std::function<void()> drawFrame;
};
GameTickHooks& TickHooks();

/** Forgets the tick's timing and the speech state (start-up; tests). */
void ResetGameTickState();
