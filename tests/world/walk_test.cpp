/** @file Tests of the player's walk: checked steps and turns, the walk queue against acknowledgements, rejections and resyncs, step frames, falls and walk keys. */
#include "client/world/walk.h"

#include "client/core/config_store.h"
#include "client/data/map_manager.h"
#include "client/world/path_manager.h"
#include "platform/clock/clock.h"
#include "platform/random/random.h"
#include "tests/support/temp_dir.h"
#include "tests/support/terrain_fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::WalkMap;

struct Sent {
    uint8_t direction, sequence;
    uint32_t key;
    bool operator==(const Sent&) const = default;
};

class FakeWalk : public WalkServices {
public:
    bool HasPlayer() override { return true; }
    WalkPlayer Player() override { return player; }
    void SetPlayerPosition(int32_t x, int32_t y, int32_t z) override
    {
        player.x = x;
        player.y = y;
        player.z = z;
    }
    void SetPlayerDirection(int32_t d) override { player.direction = d; }
    WalkKeySlots* PlayerWalkKeys() override { return &keys; }
    bool GameConnected() override { return connected; }
    void SendMoveRequest(uint8_t d, uint8_t s, uint32_t k) override { sent.push_back({d, s, k}); }
    void SendWalkResync() override { ++resyncs; }
    void StepView(int32_t dx, int32_t dy, int32_t z) override
    {
        MapManager::CenterX += dx;
        MapManager::CenterY += dy;
        MapManager::CenterZ = z;
        ++viewSteps;
    }
    void SetCenter(int32_t x, int32_t y, int32_t z) override
    {
        MapManager::CenterX = x;
        MapManager::CenterY = y;
        MapManager::CenterZ = z;
    }
    bool PointerNearCenter() override { return pointerNear; }
    void SayOverPlayer(const char* text) override { said.push_back(text); }
    void PlaySoundIfOn(int32_t id) override { sounds.push_back(id); }
    int32_t Pace(int32_t, int32_t run) override { return run != 0 ? runPace : walkPace; }
    void EndStepFrame(int32_t drawZ, int32_t sx, int32_t sy, bool) override
    {
        lastDrawZ = drawZ;
        scroll.emplace_back(sx, sy);
    }

    WalkPlayer player{5, 5, 0, 0, 400, false, false, false};
    WalkKeySlots keys{};
    bool connected = true;
    bool pointerNear = true;
    int32_t walkPace = 4, runPace = 2;
    std::vector<Sent> sent;
    int32_t resyncs = 0;
    int32_t viewSteps = 0;
    std::vector<std::string> said;
    std::vector<int32_t> sounds;
    int32_t lastDrawZ = 0;
    std::vector<std::pair<int32_t, int32_t>> scroll;
};

class Walking : public ::testing::Test {
protected:
    void SetUp() override
    {
        map.fillLand(0, 0, 15, 63, 0);
        Walk::SetServices(&fake);
        Walk::SetClock(&clock);
        Walk::SetRandom(&random);
        Walk::State() = WalkState{};
        PathManager::startup();
    }
    void open()
    {
        map.open();
        MapManager::CenterX = fake.player.x;
        MapManager::CenterY = fake.player.y;
        MapManager::CenterZ = fake.player.z;
    }
    void TearDown() override
    {
        Walk::SetServices(nullptr);
        Walk::SetClock(nullptr);
        Walk::SetRandom(nullptr);
        Walk::State() = WalkState{};
        PathManager::shutdown();
        AlwaysRun = 0;
    }
    /** Direction codes are the direction plus 1. */
    bool request(int32_t direction, int32_t run = 0) { return RequestWalk(direction + 1, run, true); }
    void ticks(int32_t n)
    {
        for (int32_t i = 0; i < n; ++i) UpdatePlayerWalk();
    }
    WalkState& state() { return Walk::State(); }

    testsupport::TempDir dir;
    WalkMap map{dir.path()};
    FakeWalk fake;
    platform::ManualClock clock;
    platform::Random random{99};
};

TEST_F(Walking, AStepIsSentQueuedAnimatedAndAcknowledged)
{
    open();
    SetWalkKey(fake.keys, 0xAABBCCDD, 1);
    ASSERT_TRUE(request(0));
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0], (Sent{0, 0, 0xAABBCCDD})) << "the first request after a reset carries 0";
    EXPECT_EQ(TakeWalkKey(fake.keys), 0u) << "the key was taken";
    EXPECT_EQ(state().count, 1);
    EXPECT_EQ(state().unacknowledged, 1);
    EXPECT_EQ(state().nextSequence, 1);

    fake.pointerNear = false;
    ASSERT_TRUE(request(2, -1));
    EXPECT_EQ(fake.sent[1], (Sent{2 | 0x80, 1, 0})) << "run from the pointer outside the ellipse";
    EXPECT_EQ(state().queue[1].previousDirection, 0) << "a turn to the east, not a move";

    clock.advance(120);
    HandleWalkAck(0);
    EXPECT_EQ(state().unacknowledged, 1);
    EXPECT_EQ(state().roundTrip, 60);
    EXPECT_EQ(fake.viewSteps, 1);
    EXPECT_EQ(MapManager::CenterY, 4) << "the view follows an acknowledged move";
    EXPECT_EQ(state().queue[0].acknowledged, 1u);

    ticks(3);
    EXPECT_EQ(fake.player.y, 5) << "four frames per tile walking";
    EXPECT_EQ(fake.scroll.back(), (std::pair<int32_t, int32_t>{16, -16}));
    ticks(1);
    EXPECT_EQ(fake.player.y, 4);
    EXPECT_EQ(state().count, 1) << "the acknowledged step left the queue";
    ticks(1);
    EXPECT_EQ(fake.player.direction, 2) << "a turn takes one frame";
    EXPECT_EQ(state().animated, 1);
    HandleWalkAck(1);
    EXPECT_EQ(state().count, 0) << "an animated first step leaves at its acknowledgement";
    EXPECT_EQ(state().animated, 0);
    EXPECT_EQ(fake.viewSteps, 1) << "a turn does not move the view";
    EXPECT_EQ(fake.resyncs, 0);
}

TEST_F(Walking, QueueLimitsSequencesAndRoundTrips)
{
    open();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(request(4));
    EXPECT_FALSE(request(4)) << "the fifth request while 4 wait";
    EXPECT_EQ(fake.sent.size(), 4u);
    EXPECT_EQ(MapManager::CenterY, 5);
    EXPECT_EQ(state().queue[3].z, 0);

    Walk::State() = WalkState{};
    state().nextSequence = 255;
    request(4);
    request(4);
    EXPECT_EQ(fake.sent[4].sequence, 255);
    EXPECT_EQ(fake.sent[5].sequence, 1) << "255 is followed by 1";

    state().roundTrip = 40;
    clock.advance(60000);
    HandleWalkAck(255);
    EXPECT_EQ(state().roundTrip, 40) << "a round trip of 60,000 ms is ignored";
    clock.setTick(59999);
    HandleWalkAck(1);
    EXPECT_EQ(state().roundTrip, (59999 + 40) / 2) << "59,999 ms still counts";

    fake.connected = false;
    Walk::State() = WalkState{};
    EXPECT_FALSE(request(4));
    EXPECT_EQ(fake.sent.size(), 6u);
}

TEST_F(Walking, UnknownAcknowledgementsResyncOnceAndBlockUntilRepositioned)
{
    open();
    request(4);
    request(4);
    HandleWalkAck(77);
    EXPECT_EQ(fake.resyncs, 1);
    EXPECT_TRUE(state().blocked);
    EXPECT_EQ(state().count, 0);
    EXPECT_FALSE(request(4));
    HandleWalkAck(78);
    EXPECT_EQ(fake.resyncs, 1) << "one resync until the server answers";

    // Packet 0x21: the server puts the player back; walking resumes with sequence 0.
    ResetWalkToPosition(0, 9, 9, 0);
    EXPECT_FALSE(state().blocked);
    EXPECT_EQ(fake.player.x, 9);
    EXPECT_EQ(MapManager::CenterX, 9);
    ASSERT_TRUE(request(4));
    EXPECT_EQ(fake.sent.back().sequence, 0);
    HandleWalkAck(99);
    EXPECT_EQ(fake.resyncs, 1) << "still waiting for packet 0x20 to clear the sent flag";
    ResetWalkToPosition(-1, 0, 0, 0);
    state().resyncSent = false;
    EXPECT_EQ(fake.player.x, 9) << "x flag -1 keeps the centre";
    request(4);
    HandleWalkAck(55);
    EXPECT_EQ(fake.resyncs, 2);

    // An animated step that is not the first cannot be acknowledged.
    ResetWalkToPosition(0, 9, 9, 0);
    state().resyncSent = false;
    request(4);
    request(4);
    ticks(4);
    ticks(4);
    EXPECT_EQ(state().animated, 2);
    HandleWalkAck(1);
    EXPECT_EQ(fake.resyncs, 3);
}

TEST_F(Walking, DiagonalsDegradeToTheOpenSide)
{
    // Around (5, 5): walls north-east (6, 4), east (6, 5) and north (5, 4) as each case needs.
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, uint32_t>> walls;
        bool step;
        int32_t direction;
    };
    const Case cases[] = {
        {"all open: the diagonal", {}, true, 1},
        {"diagonal blocked, both sides open: d + 1", {{6, 4}}, true, 2},
        {"east blocked: north", {{6, 5}}, true, 0},
        {"north blocked: east", {{5, 4}}, true, 2},
        {"both sides blocked: a turn", {{5, 4}, {6, 5}}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir caseDir;
        WalkMap caseMap(caseDir.path());
        caseMap.fillLand(0, 0, 15, 63, 0);
        for (const auto& [x, y] : c.walls) caseMap.addStatic(x, y, WalkMap::kWall, 0);
        caseMap.open();
        MapManager::CenterX = MapManager::CenterY = 5;
        MapManager::CenterZ = 0;
        fake.player.direction = 4;
        Walk::State() = WalkState{};
        WalkRequest r{1, true};
        int32_t z = -1;
        ASSERT_TRUE(CheckStep(r, &z, true));
        EXPECT_EQ(r.move, c.step);
        EXPECT_EQ(r.direction, c.direction);
        EXPECT_EQ(z, 0);
    }
}

TEST_F(Walking, TurnsAndPredictedPositions)
{
    map.addStatic(5, 3, WalkMap::kWall, 0);
    open();
    WalkRequest r{0, true};
    int32_t z = 0;
    EXPECT_FALSE(CheckStep(r, &z, false)) << "no turn toward the facing";
    r = {2, false};
    EXPECT_TRUE(CheckStep(r, &z, false));
    // The second step north starts from the predicted cell (5, 4) and meets the wall: a turn
    // is not possible either, the queue already faces north.
    ASSERT_TRUE(request(0));
    EXPECT_FALSE(request(0));
    HandleWalkAck(0);
    EXPECT_FALSE(request(0)) << "acknowledged: the view moved, the start is the same cell";
    EXPECT_TRUE(request(2)) << "a turn";
    EXPECT_EQ(fake.sent.back().direction, 2);
}

TEST_F(Walking, FallsSayOuchFromMoreThan21)
{
    struct Case {
        int8_t height;
        bool ouch;
    };
    for (const Case c : {Case{22, true}, Case{21, false}}) {
        SCOPED_TRACE(c.height);
        testsupport::TempDir caseDir;
        WalkMap caseMap(caseDir.path());
        caseMap.fillLand(0, 0, 15, 63, 0);
        caseMap.addStatic(5, 5, WalkMap::kFloor, c.height);
        caseMap.open();
        fake.player = {5, 5, c.height, 0, 400, false, false, false};
        fake.said.clear();
        fake.sounds.clear();
        MapManager::CenterX = MapManager::CenterY = 5;
        MapManager::CenterZ = c.height;
        Walk::State() = WalkState{};
        ASSERT_TRUE(request(0));
        EXPECT_EQ(state().queue[0].z, 0);
        EXPECT_EQ(state().queue[0].fall, 1);
        UpdatePlayerWalk();
        const int32_t frames = 4 + (c.height / 11) * 2;
        EXPECT_EQ(state().framesPerTile, frames) << "the walk pace plus 2 frames per 11 units fallen";
        ticks(frames - 1);
        EXPECT_EQ(fake.player.y, 4);
        EXPECT_EQ(fake.said.empty(), !c.ouch);
        if (c.ouch) {
            EXPECT_EQ(fake.said[0], "ouch!");
            ASSERT_EQ(fake.sounds.size(), 1u);
            EXPECT_GE(fake.sounds[0], 340);
            EXPECT_LE(fake.sounds[0], 344);
        }
    }
}

TEST_F(Walking, FramesPerTileAndDrawHeightsNeverDivideByZero)
{
    WalkPlayer player;
    WalkStep step;
    fake.walkPace = 0;
    EXPECT_EQ(StepFramesPerTile(step, player), 1);
    fake.walkPace = 1;
    player.mounted = true;
    EXPECT_EQ(StepFramesPerTile(step, player), 1) << "half a pace of 1";
    fake.walkPace = 8;
    EXPECT_EQ(StepFramesPerTile(step, player), 4);
    player.mounted = false;
    player.body = 1500;
    EXPECT_EQ(StepFramesPerTile(step, player), 8);

    EXPECT_EQ(FallDrawZ(0, 30, 1, 2), 30);
    EXPECT_EQ(FallDrawZ(0, 30, 3, 2), 0);
    EXPECT_EQ(FallDrawZ(0, 30, 4, 8), 20);
    // Bridges: rising, falling and flat by direction and slope bits; h = 12.
    EXPECT_EQ(BridgeDrawZ(10, 12, 0, 0, 1), 19);
    EXPECT_EQ(BridgeDrawZ(10, 12, 0, 0, 2), 22);
    EXPECT_EQ(BridgeDrawZ(10, 12, 0, 4, 1), 13);
    EXPECT_EQ(BridgeDrawZ(10, 12, 0, 4, 2), 10);
    EXPECT_EQ(BridgeDrawZ(10, 12, 0, 2, 1), 16);
    EXPECT_EQ(BridgeDrawZ(10, 12, 0x80000000u, 2, 2), 10) << "+2 turns east into falling";
    EXPECT_EQ(BridgeDrawZ(10, 12, 0x40000000u, 2, 2), 22) << "-2 turns east into rising";
}

TEST_F(Walking, ServerWalksAndPathRequests)
{
    fake.player.direction = 4;
    open();
    HandleServerWalk(4);
    EXPECT_TRUE(fake.sent.empty()) << "nothing is sent";
    EXPECT_EQ(state().count, 1);
    EXPECT_EQ(state().queue[0].acknowledged, 1u);
    EXPECT_EQ(MapManager::CenterY, 6);
    for (int i = 0; i < 3; ++i) HandleServerWalk(4);
    EXPECT_EQ(fake.resyncs, 0);
    HandleServerWalk(4);
    EXPECT_EQ(fake.resyncs, 1) << "a full queue resyncs first";

    Walk::State() = WalkState{};
    fake.player = {5, 5, 0, 0, 400, false, false, false};
    for (int i = 0; i < 18; ++i) StartPathfindTo(8, 9, 0);
    EXPECT_TRUE(fake.said.empty());
    EXPECT_FALSE(PathManager::State().active);
    StartPathfindTo(8, 9, 0);
    ASSERT_EQ(fake.said.size(), 2u) << "the 19th request is the first carried out";
    EXPECT_EQ(fake.said[0], "8 9 0");
    EXPECT_EQ(fake.said[1], "Pathfinding to 8, 9, 0.");
    const PathState& path = PathManager::State();
    ASSERT_TRUE(path.active);
    EXPECT_EQ(path.x, 5);
    EXPECT_EQ(path.y, 5);
    ASSERT_NE(path.current->next, nullptr) << "linked forward from the start";
    EXPECT_EQ(state().pathCountdown, 20);
    for (int i = 0; i < 19; ++i) StartPathfindTo(100, 100, 0);
    EXPECT_FALSE(PathManager::State().active) << "no path clears the path state";
}

TEST(WalkKeys, AddSetTakeAndTheExtendedCommand)
{
    WalkKeySlots k{};
    EXPECT_EQ(TakeWalkKey(k), 0u);
    for (uint32_t i = 1; i <= 5; ++i) EXPECT_EQ(AddWalkKey(k, i * 10), static_cast<int32_t>(i - 1));
    EXPECT_EQ(AddWalkKey(k, 60), 5) << "all full";
    EXPECT_EQ(SetWalkKey(k, 99, 5), 5);
    EXPECT_EQ(SetWalkKey(k, 99, -1), -1);
    EXPECT_EQ(SetWalkKey(k, 77, 2), 2);
    EXPECT_EQ(TakeWalkKey(k), 10u);
    EXPECT_EQ(TakeWalkKey(k), 20u);
    EXPECT_EQ(TakeWalkKey(k), 77u);
    EXPECT_EQ(AddWalkKey(k, 5), 0);

    const uint32_t five[5] = {1, 2, 3, 4, 5};
    WalkKeySlots player{}, session{};
    ReceiveWalkKeys(five, true, nullptr, session);
    EXPECT_EQ(TakeWalkKey(session), 0u) << "sub-command 1 on the main connection without a player stores nothing";
    ReceiveWalkKey(9, true, nullptr, session);
    EXPECT_EQ(session[0], 9u) << "sub-command 2 in the same state keeps the key in the session";
    ReceiveWalkKeys(five, false, &player, session);
    EXPECT_EQ(session[4], 5u) << "another connection fills the session's slots";
    EXPECT_EQ(TakeWalkKey(player), 0u);
    ReceiveWalkKeys(five, true, &player, session);
    EXPECT_EQ(player[3], 4u);
    ReceiveWalkKey(8, false, &player, session);
    EXPECT_EQ(TakeWalkKey(player), 1u) << "sub-command 2 on another connection does nothing";
    ReceiveWalkKey(8, true, &player, session);
    EXPECT_EQ(player[0], 8u);
}

TEST_F(Walking, FacingTheOpponentWaitsThreeMilliseconds)
{
    open();
    clock.advance(1000);
    request(4);
    HandleWalkAck(0);
    clock.advance(3);
    EXPECT_FALSE(Walk::MayTurnToFaceOpponent());
    clock.advance(1);
    EXPECT_TRUE(Walk::MayTurnToFaceOpponent());
    request(4);
    clock.advance(100);
    EXPECT_FALSE(Walk::MayTurnToFaceOpponent()) << "a request waits for its acknowledgement";
}

} // namespace
