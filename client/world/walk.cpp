/** @file The player's walk. */
#include "client/world/walk.h"

#include "client/core/config_store.h"
#include "client/data/map_manager.h"
#include "client/world/path_manager.h"
#include "client/world/terrain.h"
#include "client/world/world_random.h"

#include "platform/clock/clock.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

WalkServices g_nullServices;
WalkServices* g_services = &g_nullServices;
platform::Clock* g_clock = nullptr;
platform::Random* g_random = nullptr;
WalkState g;

constexpr uint32_t kMaxRoundTrip = 60000;

uint32_t now()
{
    platform::Clock* clock = g_clock != nullptr ? g_clock : platform::current().clock;
    return clock != nullptr ? clock->tickCount() : 0;
}

int32_t randomBelow(int32_t n)
{
    return RandomBelow(g_random, n);
}

int32_t wrapOnce(int32_t v, int32_t size)
{
    if (v < 0) return v + size;
    if (v >= size) return v - size;
    return v;
}

void emptyQueue()
{
    g.count = 0;
    g.animated = 0;
}

/** A resync is sent once until the server repositions the player; walking waits for it. */
void resync()
{
    if (!g.resyncSent) {
        g_services->SendWalkResync();
        g.resyncSent = true;
    }
    g.blocked = true;
    emptyQueue();
}

void removeStep(int32_t index)
{
    for (int32_t i = index; i + 1 < g.count; ++i) g.queue[i] = g.queue[i + 1];
    --g.count;
}

void advanceSequence(uint8_t sequence)
{
    g.nextSequence = (sequence + 1) & 0xFF;
    if (g.nextSequence == 0) g.nextSequence = 1;
}

int32_t facing()
{
    return g.count > 0 ? g.queue[g.count - 1].direction : (g_services->Player().direction & 7);
}

/** Queues a checked step (the caller sends or acknowledges it); returns it. */
WalkStep& queueStep(const WalkRequest& request, int32_t z, bool running)
{
    const WalkPlayer player = g_services->Player();
    WalkStep step;
    step.sequence = static_cast<uint8_t>(g.nextSequence);
    step.acknowledged = 0;
    step.running = running ? 1 : 0;
    step.previousDirection = static_cast<uint8_t>(facing());
    step.time = now();
    step.z = static_cast<int8_t>(z);
    step.direction = static_cast<uint8_t>(request.direction);
    step.fall = step.IsMove() && player.z - z > 10 ? 1 : 0;
    g.queue[g.count] = step;
    return g.queue[g.count++];
}

/** The acknowledgement of a queued step (steps 2 and 3 of an ack). */
void acknowledge(int32_t sequence)
{
    int32_t index = -1;
    for (int32_t i = 0; i < g.count; ++i)
        if (g.queue[i].sequence == sequence) index = i;
    if (index >= 0) {
        WalkStep& step = g.queue[index];
        const uint32_t roundTrip = now() - step.time;
        if (roundTrip < kMaxRoundTrip) g.roundTrip = (static_cast<int32_t>(roundTrip) + g.roundTrip) / 2;
        if (index >= g.animated || index == 0) {
            if (step.IsMove()) g_services->StepView(kDirDx[step.direction & 7], kDirDy[step.direction & 7], step.z);
            if (index >= g.animated) {
                step.acknowledged = 1;
            } else {
                removeStep(0);
                --g.animated;
            }
            return;
        }
    }
    resync();
}

} // namespace

int32_t AddWalkKey(WalkKeySlots& slots, uint32_t key)
{
    for (int32_t i = 0; i < 5; ++i) {
        if (slots[static_cast<size_t>(i)] == 0) {
            slots[static_cast<size_t>(i)] = key;
            return i;
        }
    }
    return 5;
}

int32_t SetWalkKey(WalkKeySlots& slots, uint32_t key, int32_t index)
{
    if (index >= 0 && index < 5) slots[static_cast<size_t>(index)] = key;
    return index;
}

uint32_t TakeWalkKey(WalkKeySlots& slots)
{
    for (uint32_t& slot : slots) {
        if (slot != 0) {
            const uint32_t key = slot;
            slot = 0;
            return key;
        }
    }
    return 0;
}

namespace Walk {

void SetServices(WalkServices* services)
{
    g_services = services != nullptr ? services : &g_nullServices;
}

void SetClock(platform::Clock* clock)
{
    g_clock = clock;
}

void SetRandom(platform::Random* generator)
{
    g_random = generator;
}

WalkState& State()
{
    return g;
}

bool MayTurnToFaceOpponent()
{
    return g.unacknowledged == 0 && now() - g.lastRequestTick > kFacingDelayMs;
}

} // namespace Walk

int32_t PlayerMovementClass(const WalkPlayer& player)
{
    if (player.ghost || player.body == 987) return kMoveGhost;
    if (player.seaMounted) return kMoveSea;
    return kMoveWalk;
}

bool CheckStep(WalkRequest& request, int32_t* outZ, bool move)
{
    const int32_t face = facing();
    int32_t direction = request.direction & 7;
    request.direction = direction;

    int32_t x = MapManager::CenterX, y = MapManager::CenterY, z = MapManager::CenterZ;
    for (int32_t i = 0; i < g.count; ++i) {
        const WalkStep& step = g.queue[i];
        if (step.acknowledged != 0 || !step.IsMove()) continue;
        x += kDirDx[step.direction & 7];
        y += kDirDy[step.direction & 7];
        z = step.z;
    }
    *outZ = z;
    auto turn = [&](int32_t d) {
        if (d == face) return false;
        request.direction = d;
        request.move = false;
        return true;
    };
    if (!move) return turn(direction);

    const bool wraps = x < 5120;
    auto target = [&](int32_t d, int32_t& tx, int32_t& ty) {
        tx = x + kDirDx[d];
        ty = y + kDirDy[d];
        if (wraps) {
            tx = wrapOnce(tx, MapManager::WrapWidth());
            ty = wrapOnce(ty, MapManager::WrapHeight());
        }
    };
    auto passes = [&](int32_t d, int32_t& resultZ) {
        int32_t tx = 0, ty = 0;
        target(d, tx, ty);
        return ChooseWalkZ(tx, ty, z, d, &resultZ);
    };
    auto step = [&](int32_t d, int32_t chosenZ) {
        request.direction = d;
        request.move = true;
        *outZ = chosenZ;
        return true;
    };

    int32_t cardinalZ = 0;
    if ((direction & 1) == 0) {
        if (passes(direction, cardinalZ)) return step(direction, cardinalZ);
        return turn(direction);
    }
    const int32_t left = (direction - 1) & 7, right = (direction + 1) & 7;
    int32_t diagonalZ = 0, leftZ = 0, rightZ = 0;
    const bool diagonal = passes(direction, diagonalZ);
    const bool leftOpen = passes(left, leftZ);
    const bool rightOpen = passes(right, rightZ);
    if (diagonal && leftOpen && rightOpen) return step(direction, diagonalZ);
    if (rightOpen) return step(right, rightZ);
    if (leftOpen) return step(left, leftZ);
    return turn(direction);
}

bool RequestWalk(int32_t directionCode, int32_t run, bool move)
{
    g.lastRequestTick = now();
    if (g.blocked || g.count >= WalkState::kQueueSize || !g_services->GameConnected() || !g_services->HasPlayer())
        return false;
    WalkRequest request{(directionCode - 1) & 7, move};
    int32_t z = 0;
    if (!CheckStep(request, &z, move)) return false;
    const bool running = AlwaysRun != 0 || (run == -1 ? !g_services->PointerNearCenter() : run != 0);
    WalkStep& step = queueStep(request, z, running);
    WalkKeySlots* keys = g_services->PlayerWalkKeys();
    const uint32_t key = keys != nullptr ? TakeWalkKey(*keys) : 0;
    g_services->SendMoveRequest(static_cast<uint8_t>(step.direction | (running ? 0x80 : 0)), step.sequence, key);
    ++g.unacknowledged;
    advanceSequence(step.sequence);
    g_services->CloseContainersOutOfReach();
    return true;
}

int32_t StepFramesPerTile(const WalkStep& step, const WalkPlayer& player)
{
    const int32_t body = player.body >= 1000 ? 50 : player.body;
    int32_t frames = 0;
    if (player.mounted) {
        frames = g_services->Pace(body, step.running) / 2;
    } else if (step.fall != 0) {
        frames = g_services->Pace(body, 0) + ((g.fallStart - g.fallTarget) / 11) * 2;
    } else {
        frames = g_services->Pace(body, step.running);
    }
    // A pace of 0 or 1 (halved when mounted) would stop the step and divide the scroll by zero.
    return std::max(frames, 1);
}

int32_t BridgeDrawZ(int32_t z, int32_t h, uint32_t flags, int32_t f, int32_t phase)
{
    static constexpr int32_t kSlope[4] = {0, -2, 2, -4};
    const int32_t m = (f + kSlope[(flags >> 30) & 3]) & 7;
    if (m == 0 || m == 1 || m == 7) {
        if (phase == 1) return z + h - (h >> 2);
        if (phase == 2) return z + h;
        return z + (h >> 1);
    }
    if (m == 3 || m == 4 || m == 5) {
        if (phase == 1) return z + (h >> 2);
        if (phase == 2) return z;
        return z + (h >> 1);
    }
    return z + (h >> 1);
}

int32_t FallDrawZ(int32_t z, int32_t start, int32_t framesDone, int32_t framesPerTile)
{
    if (framesDone <= 2) return start;
    if (framesPerTile <= 2) return z;
    return start + (z - start) * (framesDone - 2) / (framesPerTile - 2);
}

namespace {

/** The first item of the cell whose top is the given z. */
class TopFinder final : public CellVisitor {
public:
    explicit TopFinder(int32_t z) : z_(z) {}
    bool Visit(const CellThing& t) override
    {
        if (t.kind == CellThing::Kind::Item && t.top == z_) {
            found = t;
            return false;
        }
        return true;
    }
    std::optional<CellThing> found;

private:
    int32_t z_;
};

/** The player's draw height while a step is shown. */
int32_t playerDrawZ(const WalkPlayer& player, const WalkStep* pending)
{
    int32_t x = player.x, y = player.y, z = player.z;
    int32_t f = player.direction & 7;
    int32_t phase = g.framesDone;
    if (pending != nullptr && g.framesDone > 2) {
        if (pending->IsMove()) {
            x += kDirDx[pending->direction & 7];
            y += kDirDy[pending->direction & 7];
        }
        z = pending->z;
        f = (pending->direction + 4) & 7;
        phase = 4 - g.framesDone;
    }
    TopFinder finder(z);
    if (CellSource* source = Terrain::Source()) source->VisitCell(x, y, finder);
    if (finder.found && (finder.found->flags & kTileBridge) != 0)
        return BridgeDrawZ(finder.found->bottom, finder.found->height, finder.found->flags, f, phase);
    if (pending != nullptr && pending->fall != 0)
        return FallDrawZ(pending->z, pending->z + (g.fallStart - g.fallTarget), g.framesDone, g.framesPerTile);
    return finder.found ? finder.found->top : z;
}

} // namespace

void UpdatePlayerWalk()
{
    if (!g_services->HasPlayer()) return;
    WalkPlayer player = g_services->Player();
    if (g.animated < g.count && g.queue[g.animated].fall != 0) {
        g.fallStart = player.z;
        g.fallTarget = g.queue[g.animated].z;
    }
    if (g.count > 0 && g_services->PlayerIdle()) {
        g_services->SetPlayerIdle(false);
    } else if (g.count == 0 && !g_services->PlayerIdle()) {
        g_services->SetPlayerIdle(true);
        g.walkFrameCounter = 3;
    }
    if (g.animated >= g.count) return;
    if (g_services->ServerFollowMode() && g.queue[g.animated].acknowledged == 0) return;

    const WalkStep step = g.queue[g.animated];
    g_services->BeginStepFrame();
    ++g.walkFrameCounter;
    ++g.framesDone;
    g.framesPerTile = StepFramesPerTile(step, player);
    const int32_t startX = player.x, startY = player.y;

    if (g.framesDone >= g.framesPerTile || !step.IsMove()) {
        if (step.fall != 0 && g.fallStart - g.fallTarget > 21 && !player.ghost) {
            g_services->SayOverPlayer("ouch!");
            g_services->PlaySoundIfOn(((player.body & 1) == 0 ? 340 : 331) + randomBelow(5));
        }
        g.framesDone = 0;
        g.currentRun = step.running != 0;
        g_services->SetPlayerDirection(step.direction);
        if (step.IsMove()) {
            player.x += kDirDx[step.direction & 7];
            player.y += kDirDy[step.direction & 7];
            player.z = step.z;
            g_services->SetPlayerPosition(player.x, player.y, player.z);
        }
        player.direction = step.direction;
        if (step.acknowledged != 0) {
            removeStep(g.animated);
            g_services->CloseContainersOutOfReach();
        } else {
            ++g.animated;
        }
    }

    const int32_t n = g.framesDone, f = g.framesPerTile;
    static constexpr int32_t kScroll[8][2] = {{22, -22}, {44, 0}, {22, 22}, {0, 44},
                                              {-22, 22}, {-44, 0}, {-22, -22}, {0, -44}};
    g.scrollX = kScroll[step.direction & 7][0] * n / f;
    g.scrollY = kScroll[step.direction & 7][1] * n / f;
    const WalkStep* pending = g.animated < g.count ? &g.queue[g.animated] : nullptr;
    const int32_t drawZ = playerDrawZ(player, pending);
    g_services->EndStepFrame(drawZ, g.scrollX, g.scrollY, player.x != startX || player.y != startY);
}

void HandleWalkAck(int32_t sequence)
{
    g.unacknowledged = std::max(g.unacknowledged - 1, 0);
    acknowledge(sequence);
}

void ResetWalkToPosition(int32_t xFlag, int32_t x, int32_t y, int32_t z)
{
    g.unacknowledged = 0;
    g_services->RemovePlayerFromDrawList();
    g.framesDone = 0;
    g.nextSequence = 0;
    emptyQueue();
    g.scrollX = g.scrollY = 0;
    g.blocked = false;
    if (xFlag == -1) {
        const WalkPlayer player = g_services->Player();
        g_services->SetPlayerPosition(MapManager::CenterX, MapManager::CenterY, player.z);
    } else {
        g_services->SetCenter(x, y, z);
        g_services->SetPlayerPosition(x, y, z);
    }
    g_services->ListPlayerAgain();
}

void HandleServerWalk(int32_t direction)
{
    g.lastRequestTick = now();
    if (g.blocked) return;
    if (g.count >= WalkState::kQueueSize) resync();
    WalkRequest request{direction & 7, true};
    int32_t z = 0;
    if (!CheckStep(request, &z, true)) return;
    WalkStep& step = queueStep(request, z, !g_services->PointerNearCenter());
    const uint8_t sequence = step.sequence;
    advanceSequence(sequence);
    acknowledge(sequence);
}

void StartPathfindTo(int32_t x, int32_t y, int32_t z)
{
    if (--g.pathCountdown > 1) return;
    g.pathCountdown = 20;
    if (!g_services->HasPlayer()) return;
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d", x, y, z);
    g_services->SayOverPlayer(text);
    const WalkPlayer player = g_services->Player();
    PathNode* goal = PathManager::FindPath(player.x, player.y, player.z, x, y, z, 500, 1);
    PathState& path = PathManager::State();
    if (goal == nullptr) {
        path = PathState{};
        return;
    }
    path.goal = goal;
    LinkPathBackward();
    PathNode* start = goal;
    while (start->parent != nullptr) start = start->parent;
    path.active = true;
    path.current = start;
    path.x = start->x;
    path.y = start->y;
    path.z = start->z;
    path.direction = player.direction & 7;
    std::snprintf(text, sizeof text, "Pathfinding to %d, %d, %d.", x, y, z);
    g_services->SayOverPlayer(text);
}

void ResetWalkState()
{
    g.walkFrameCounter = 0;
    g.framesDone = 0;
    g.nextSequence = 0;
    emptyQueue();
    g.currentRun = false;
    g.blocked = false;
    g.waiting = false;
    g.unacknowledged = 0;
}

void ReceiveWalkKeys(const uint32_t keys[5], bool activeIsMainConnection, WalkKeySlots* player, WalkKeySlots& session)
{
    for (int32_t i = 0; i < 5; ++i) {
        if (!activeIsMainConnection) {
            SetWalkKey(session, keys[i], i);
        } else if (player != nullptr) {
            SetWalkKey(*player, keys[i], i);
        }
    }
}

void ReceiveWalkKey(uint32_t key, bool activeIsMainConnection, WalkKeySlots* player, WalkKeySlots& session)
{
    if (!activeIsMainConnection) return;
    AddWalkKey(player != nullptr ? *player : session, key);
}
