/** @file The player's walk: predicted steps checked against the terrain, the walk queue and its protocol, step animation, walk keys. */
#pragma once

#include <array>
#include <cstdint>

namespace platform {
class Clock;
class Random;
}

/** Five walk-key slots (0 = empty): the player's, or a server session's before the player exists. */
using WalkKeySlots = std::array<uint32_t, 5>;
/** Stores the key in the first empty slot; returns its index, 5 when all are full. */
int32_t AddWalkKey(WalkKeySlots& slots, uint32_t key);
/** Stores the key in slot 0..4 (other indexes are ignored); returns the index. */
int32_t SetWalkKey(WalkKeySlots& slots, uint32_t key, int32_t index);
/** The first non-zero key, cleared; 0 when all are empty. */
uint32_t TakeWalkKey(WalkKeySlots& slots);

/** One queued step. */
struct WalkStep {
    uint8_t direction = 0;
    uint8_t previousDirection = 0;
    uint8_t sequence = 0;
    uint32_t acknowledged = 0;
    uint8_t running = 0;
    uint8_t fall = 0;
    uint32_t time = 0;
    int8_t z = 0;

    /** A step that keeps its direction moves; one that changes it only turns. */
    bool IsMove() const { return direction == previousDirection; }
};

struct WalkState {
    static constexpr int32_t kQueueSize = 4;
    WalkStep queue[kQueueSize];
    int32_t count = 0;
    int32_t animated = 0;
    int32_t nextSequence = 0;
    bool blocked = false;
    bool resyncSent = false;
    int32_t unacknowledged = 0;
    uint32_t lastRequestTick = 0;
    int32_t framesDone = 0;
    int32_t framesPerTile = 1;
    bool currentRun = false;
    int32_t fallStart = 0;
    int32_t fallTarget = 0;
    int32_t walkFrameCounter = 0;
    int32_t roundTrip = 0;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    bool waiting = false;
    int32_t pathCountdown = 20;
};

/** The player as the walk sees it. */
struct WalkPlayer {
    int32_t x = 0, y = 0, z = 0;
    int32_t direction = 0;
    int32_t body = 0;
    bool ghost = false;
    bool mounted = false;     // something in layer 25
    bool seaMounted = false;  // mounted on graphic 16051
};

/**
 * What the walk needs of the player object, the network, the map view, the gumps and the sound
 * above it. The program installs one; without it there is no player and no connection, so no
 * step is ever requested. Main thread only.
 */
class WalkServices {
public:
    virtual ~WalkServices() = default;
    virtual bool HasPlayer() { return false; }
    virtual WalkPlayer Player() { return {}; }
    virtual void SetPlayerPosition(int32_t /*x*/, int32_t /*y*/, int32_t /*z*/) {}
    virtual void SetPlayerDirection(int32_t /*direction*/) {}
    /** The player's walk keys (null without a player). */
    virtual WalkKeySlots* PlayerWalkKeys() { return nullptr; }

    virtual bool GameConnected() { return false; }
    /** Packet 0x02: direction (| 0x80 running), sequence, walk key. */
    virtual void SendMoveRequest(uint8_t /*direction*/, uint8_t /*sequence*/, uint32_t /*key*/) {}
    /** Packet 0x22 00 00. */
    virtual void SendWalkResync() {}

    /** The map view follows an acknowledged step; the centre is set by the server. */
    virtual void StepView(int32_t /*dx*/, int32_t /*dy*/, int32_t /*z*/) {}
    virtual void SetCenter(int32_t /*x*/, int32_t /*y*/, int32_t /*z*/) {}

    /** The pointer lies inside the walk ellipse around the view centre. */
    virtual bool PointerNearCenter() { return true; }
    /** The server's follow mode of packet 0x15: steps are shown only once acknowledged. */
    virtual bool ServerFollowMode() { return false; }
    /** Closes the bank box's gump and every container gump whose container is out of reach. */
    virtual void CloseContainersOutOfReach() {}
    /** Text over the player in its speech hue and font. */
    virtual void SayOverPlayer(const char* /*text*/) {}
    virtual void PlaySoundIfOn(int32_t /*id*/) {}
    /** Frames per tile of a body walking (run 0) or running (run 1), from the pace table. */
    virtual int32_t Pace(int32_t /*body*/, int32_t run) { return run != 0 ? 2 : 4; }

    /** The player leaves the draw list at the start of a step frame (action stopped, lights dirtied). */
    virtual void BeginStepFrame() {}
    /** Idle or walking, re-listing the player. */
    virtual void SetPlayerIdle(bool /*idle*/) {}
    virtual bool PlayerIdle() { return true; }
    /**
     * After a step frame: the player's draw height and step scroll offsets. The view, the effect
     * gumps and the weather (WeatherManager::Shift) follow the player's screen anchor, the
     * overhead messages are placed again and the player is listed again (moved: its cell changed).
     */
    virtual void EndStepFrame(int32_t /*drawZ*/, int32_t /*scrollX*/, int32_t /*scrollY*/, bool /*moved*/) {}
    /** Out of and back into the draw list around a reposition (the roof cut-off is computed again). */
    virtual void RemovePlayerFromDrawList() {}
    virtual void ListPlayerAgain() {}
};

namespace Walk {
void SetServices(WalkServices* services);
/** The clock of request times and round trips (the platform's until set; null puts it back). */
void SetClock(platform::Clock* clock);
void SetRandom(platform::Random* random);
WalkState& State();
/**
 * The player may turn to face its opponent: no request waits for its acknowledgement and more
 * than 3 ticks of the system tick count (milliseconds, the unit the request tick is kept in)
 * passed since the last walk request.
 */
bool MayTurnToFaceOpponent();
inline constexpr uint32_t kFacingDelayMs = 3;
}

/** Movement class of the player: 1 for a ghost or body 987, 3 mounted on graphic 16051, else 0. */
int32_t PlayerMovementClass(const WalkPlayer& player);

/** A step request: its direction (a side direction may replace a blocked diagonal) and whether it moves. */
struct WalkRequest {
    int32_t direction = 0;
    bool move = true;
};
/** Checks a request from the player's predicted position; false when neither a step nor a turn results. */
bool CheckStep(WalkRequest& request, int32_t* outZ, bool move);

/** A move request; direction = (code - 1) & 7; run -1 is taken from the pointer. True when a step was queued. */
bool RequestWalk(int32_t directionCode, int32_t run, bool move);
void UpdatePlayerWalk();
void HandleWalkAck(int32_t sequence);
void ResetWalkToPosition(int32_t xFlag, int32_t x, int32_t y, int32_t z);
void HandleServerWalk(int32_t direction);
void StartPathfindTo(int32_t x, int32_t y, int32_t z);
void ResetWalkState();

/** Frames per tile of the step at the animated index; never below 1. */
int32_t StepFramesPerTile(const WalkStep& step, const WalkPlayer& player);

/**
 * Draw z of a mobile over a bridge item (flag 0x400) of height h at z: rising, falling or flat by
 * the item's slope bits and the direction f, at the phase of the step.
 */
int32_t BridgeDrawZ(int32_t z, int32_t h, uint32_t flags, int32_t f, int32_t phase);
/** Draw z of a falling step: from start down to z from the second frame on; never divides by zero. */
int32_t FallDrawZ(int32_t z, int32_t start, int32_t framesDone, int32_t framesPerTile);

/** Packet 0xBF sub-command 1: five keys for the player, or for the session on another connection. */
void ReceiveWalkKeys(const uint32_t keys[5], bool activeIsMainConnection, WalkKeySlots* player, WalkKeySlots& session);
/** Packet 0xBF sub-command 2: one more key (main connection only; the session keeps it until a player exists). */
void ReceiveWalkKey(uint32_t key, bool activeIsMainConnection, WalkKeySlots* player, WalkKeySlots& session);
