/** @file Tests of the world view: the left and right button machines against the clock, hover tracking, the actions on objects and the path walker. */
#include "client/gumps/game/world_view.h"
#include "client/gumps/game/world_view_services.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/data/map_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/net/game_state.h"
#include "client/net/packet_builders.h"
#include "client/render/graphic_manager.h"
#include "client/render/text_manager.h"
#include "client/render/world_drawing.h"
#include "client/world/draw_item.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/path_manager.h"
#include "client/world/terrain.h"
#include "client/world/tile_data.h"
#include "client/world/walk.h"
#include "client/world/world_draw_services.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPlayer = 0x00000001;
constexpr uint32_t kOther = 0x00000002;
constexpr uint32_t kKnife = kItemSerialBit | 0x10;
constexpr uint32_t kPack = kItemSerialBit | 0x11;
constexpr uint32_t kAnvil = kItemSerialBit | 0x12;
constexpr uint32_t kArrows = kItemSerialBit | 0x13;
constexpr uint16_t G_KNIFE = 0x0EC4, G_PACK = 0x0E75, G_ANVIL = 0x1000, G_ARROW = 0x0F3F;

/** Where each object lies on the screen: the pick of the test is a table of rectangles. */
class RectanglePicks : public WorldDrawServices {
public:
    CDrawItem* PickAt(int32_t x, int32_t y, int) override
    {
        if (scenery != nullptr && x >= sceneryRect.left && x < sceneryRect.right && y >= sceneryRect.top &&
            y < sceneryRect.bottom)
            return scenery;
        for (auto& [serial, r] : rects)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                if (CDrawItem* item = CObjectManager::FindObject(serial))
                    return item;
        return nullptr;
    }
    std::map<uint32_t, WorldRect> rects;
    /** An object without a serial (static scenery) and where it lies. */
    CObj* scenery = nullptr;
    WorldRect sceneryRect;
};

/** The texts over objects as the world asks for them, with the journal prefix in force at that moment. */
class RecordedTexts : public OverheadMessageServices {
public:
    void AddOverheadMessage(CObj&, const char* text, int32_t, int32_t) override
    {
        texts.push_back({text, TextManager::PrefixMode()});
        TextManager::PrefixMode() = 1;
    }
    std::vector<std::pair<std::string, int>> texts;
};

/** The world's uses and pick-ups go to the harness's packet sink beside everything else. */
class SinkNet : public WorldNetServices {
public:
    explicit SinkNet(testsupport::FakePacketSink& sink) : sink_(sink) {}
    void SendUseObject(uint32_t serial) override
    {
        uint8_t packet[16];
        BuildUseObjectPacket(packet, serial);
        sink_.SendPacket(packet, 5);
    }
    void SendPickUp(uint32_t serial, uint16_t amount) override
    {
        uint8_t packet[16];
        BuildPickUpItemPacket(packet, serial, amount);
        sink_.SendPacket(packet, 7);
    }

private:
    testsupport::FakePacketSink& sink_;
};

/** Flat ground everywhere at z 0. */
class FlatLand : public CellSource {
public:
    void VisitCell(int32_t, int32_t, CellVisitor& visitor) override
    {
        CellThing land;
        land.kind = CellThing::Kind::Land;
        land.graphic = 3;
        visitor.Visit(land);
    }
};

/** The player as the walk sees it, standing on the world's player. */
class TestWalk : public WalkServices {
public:
    bool HasPlayer() override { return World().player != nullptr; }
    WalkPlayer Player() override
    {
        WalkPlayer p;
        p.x = World().player->locX;
        p.y = World().player->locY;
        p.direction = World().player->direction & 7;
        p.body = 400;
        return p;
    }
    void SetPlayerDirection(int32_t d) override { World().player->direction = static_cast<uint8_t>(d); }
    bool GameConnected() override { return true; }
    void SendMoveRequest(uint8_t direction, uint8_t, uint32_t) override { steps.push_back(direction); }
    std::vector<uint8_t> steps;
};

class WorldViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addCursorArt(8, 8, 0, 0);
        harness.start();
        harness.window().setDoubleClickTime(300);
        ResetGameState();
        SetWorldDrawServices(&picks);
        SetWorldNetServices(&net);
        Terrain::SetCellSource(&land);
        Walk::SetServices(&walk);
        Walk::State() = WalkState{};
        PathManager::startup();
        MapManager::SetMap(0);
        MapManager::CenterX = 100;
        MapManager::CenterY = 100;
        MapManager::CenterZ = 0;
        DrawMapThingie::Clear();
        CObjectManager::startup();
        TileData::MutableItem(G_ANVIL).weight = 200;
        TileData::MutableItem(G_ARROW).flags = TILE_STACKABLE;
        TileData::MutableItem(G_ARROW).weight = 1;
        player = CObjectManager::CreatePlayer(kPlayer, 400);
        player->PlaceAt(100, 100, 0);
        place(kKnife, G_KNIFE, {100, 100, 120, 120});
        place(kPack, G_PACK, {200, 100, 220, 120});
        place(kAnvil, G_ANVIL, {300, 100, 320, 120});
        place(kArrows, G_ARROW, {500, 100, 520, 120}, 20);
        ObjectRecord other;
        other.serial = kOther;
        other.graphic = 400;
        other.x = 102;
        other.y = 100;
        CObjectManager::HandleMove(other);
        picks.rects[kOther] = {400, 100, 420, 140};
        picks.rects[kPlayer] = {310, 230, 330, 250};
        InstallWorldView();
        view = MapGump();
        harness.packets().packets.clear();
    }
    void TearDown() override
    {
        UninstallWorldView();
        CObjectManager::shutdown();
        TileData::Clear();
        DrawMapThingie::Clear();
        PathManager::shutdown();
        Walk::SetServices(nullptr);
        Walk::State() = WalkState{};
        Terrain::SetCellSource(nullptr);
        SetWorldNetServices(nullptr);
        SetWorldDrawServices(nullptr);
        ResetGameState();
        harness.window().setModifiers({});
    }

    void place(uint32_t serial, uint16_t graphic, WorldRect rect, uint16_t amount = 1)
    {
        ObjectRecord r;
        r.serial = serial;
        r.graphic = graphic;
        r.amount = amount;
        r.x = 101;
        r.y = 101;
        CObjectManager::HandleMove(r);
        picks.rects[serial] = rect;
    }
    /** The ids of the packets sent, in order (popup help requests of a resting pointer left out), and clears them. */
    std::vector<uint8_t> takeIds()
    {
        std::vector<uint8_t> ids;
        last.clear();
        for (const Bytes& p : harness.packets().packets)
            if (p.at(0) != 0xB6) {
                ids.push_back(p.at(0));
                last.push_back(p);
            }
        harness.packets().packets.clear();
        return ids;
    }
    /** The world view's yes/no questions are recorded; `yes` answers the last one. */
    void recordQuestions()
    {
        worldViewHooks().askYesNo = [this](const char* q, std::function<void()> y, std::function<void()>) {
            questions.emplace_back(q);
            yes = std::move(y);
        };
    }
    static uint32_t u32At(const Bytes& p, size_t at)
    {
        return uint32_t{p.at(at)} << 24 | uint32_t{p.at(at + 1)} << 16 | uint32_t{p.at(at + 2)} << 8 | p.at(at + 3);
    }

    testsupport::GumpHarness harness;
    testsupport::GumpEventDriver driver{harness};
    RectanglePicks picks;
    SinkNet net{harness.packets()};
    FlatLand land;
    TestWalk walk;
    CPlayerMobile* player = nullptr;
    CMapGump* view = nullptr;
    std::vector<Bytes> last;
    std::vector<std::string> questions;
    std::function<void()> yes;
};

TEST_F(WorldViewTest, TheViewLivesAtTheBackAndCoversThePlayArea)
{
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CGumpManager::Last(), view);
    EXPECT_TRUE(view->HitTest(0, 0));
    EXPECT_FALSE(view->HitTest(640, 10));
    CGumpManager::CloseWorldGumps();
    CGumpManager::CloseAllClosableGumps();
    EXPECT_EQ(MapGump(), view);
}

TEST_F(WorldViewTest, LeftButtonSequencesBecomeNamesUsesAndPickUps)
{
    struct Case {
        const char* what;
        std::function<void(testsupport::GumpEventDriver&)> input;
        std::vector<uint8_t> ids;
        uint32_t serial; // of the first packet
    };
    const std::vector<Case> cases = {
        {"a lone click names after the double-click time",
         [](auto& d) {
             d.click(110, 110);
             d.pass(250);
         },
         {}, 0},
        {"... and not before",
         [](auto& d) {
             d.click(110, 110);
             d.pass(250);
             d.pass(100);
         },
         {0x09}, kKnife},
        {"two presses in time use once",
         [](auto& d) {
             d.click(210, 110);
             d.pass(100);
             d.click(211, 111);
             d.pass(400);
         },
         {0x06}, kPack},
        {"a press held past the time lifts",
         [](auto& d) {
             d.move(110, 110);
             d.leftDown(110, 110);
             d.pass(350);
             d.leftUp(110, 110);
             d.pass(400);
         },
         {0x07}, kKnife},
        {"a move of more than 4 pixels lifts", [](auto& d) { d.drag(110, 110, 116, 110); }, {0x07}, kKnife},
        {"a move of 4 pixels does not",
         [](auto& d) {
             d.drag(110, 110, 114, 114);
             d.pass(400);
         },
         {0x09}, kKnife},
        {"a held press on what cannot be lifted does nothing",
         [](auto& d) {
             d.move(310, 110);
             d.leftDown(310, 110);
             d.pass(350);
             d.leftUp(310, 110);
             d.pass(400);
         },
         {}, 0},
        {"nothing under the pointer sends nothing",
         [](auto& d) {
             d.click(50, 400);
             d.pass(400);
             d.click(50, 400);
             d.pass(50);
             d.click(50, 400);
         },
         {}, 0},
        {"the player unmounted opens its own paperdoll",
         [](auto& d) {
             d.click(320, 240);
             d.click(320, 240);
         },
         {0x06}, kPlayer | 0x80000000u},
        {"another mobile out of war mode is used",
         [](auto& d) {
             d.click(410, 120);
             d.click(410, 120);
         },
         {0x06}, kOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.input(driver);
        EXPECT_EQ(takeIds(), c.ids);
        if (!c.ids.empty()) {
            EXPECT_EQ(u32At(last[0], 1), c.serial);
        }
        driver.pass(1000);
        World().pickUpPending = false;
        takeIds();
        // A lifted item comes back for the next case.
        if (CObjectManager::FindObject(kKnife) == nullptr)
            place(kKnife, G_KNIFE, {100, 100, 120, 120});
    }
}

TEST_F(WorldViewTest, AClickOnSceneryShowsItsNameAsSeenWithoutAskingTheServer)
{
    constexpr uint16_t G_TREE = 0x0CCA;
    std::strcpy(TileData::MutableItem(G_TREE).name, "tree");
    CObj tree(G_TREE);
    picks.scenery = &tree;
    picks.sceneryRect = {600, 100, 640, 160};
    RecordedTexts texts;
    SetOverheadMessageServices(&texts);
    driver.click(610, 120);
    driver.pass(350);
    SetOverheadMessageServices(nullptr);
    picks.scenery = nullptr;
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{}) << "scenery has no serial to ask about";
    // Prefix mode 3: the journal line is "You see: tree" and the text stands where the player clicked.
    EXPECT_EQ(texts.texts, (std::vector<std::pair<std::string, int>>{{"tree", 3}}));
}

TEST_F(WorldViewTest, ATargetCursorIsAnsweredAtOnceOnRelease)
{
    Game().target.answersClicks = true;
    Game().target.targetId = 77;
    driver.click(210, 110);
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x6C});
    EXPECT_EQ(u32At(last[0], 7), kPack);
    EXPECT_FALSE(Game().target.answersClicks);
    driver.pass(400);
    EXPECT_TRUE(takeIds().empty()); // no name request follows
}

TEST_F(WorldViewTest, ATargetOnAMobileOfTheWrongStandingAsksFirstWithNotorietyQueryOn)
{
    recordQuestions();
    auto* other = static_cast<CMobile*>(CObjectManager::FindObject(kOther));
    struct Case {
        int query, checkKind, standing;
        bool asks;
    };
    // Check kind 1 harms, 2 helps; standing 1 innocent, 4 criminal, 5 enemy, 6 murderer.
    const Case cases[] = {{1, 1, 1, true},  {1, 1, 6, false}, {1, 2, 1, false}, {1, 2, 4, true},
                          {1, 2, 5, true},  {1, 2, 6, true},  {1, 0, 1, false}, {0, 1, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "query " << c.query << " kind " << c.checkKind << " standing " << c.standing);
        NotorietyQuery = c.query;
        other->highlightClass = c.standing;
        Game().target.answersClicks = true;
        Game().target.cursorFlag = static_cast<uint8_t>(c.checkKind);
        g_bTargetMode = true;
        questions.clear();
        driver.click(410, 120);
        if (!c.asks) {
            EXPECT_TRUE(questions.empty());
            EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x6C});
            continue;
        }
        EXPECT_TRUE(takeIds().empty());
        ASSERT_EQ(questions, std::vector<std::string>{"This may flag you criminal!"});
        EXPECT_FALSE(g_bTargetMode) << "the cursor goes while the question is up";
        EXPECT_EQ(Game().target.cursorFlag, 0);
        yes();
        EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x6C});
        EXPECT_EQ(u32At(last[0], 7), kOther);
    }
    NotorietyQuery = 0;
    worldViewHooks().askYesNo = nullptr;
}

TEST_F(WorldViewTest, AFieldPickingAMobileTakesTheClickInsteadOfTheServer)
{
    static std::vector<CObj*> picked;
    picked.clear();
    EnterTargetMode();
    g_worldTargetCallback = [](CObj* object) {
        picked.push_back(object);
        g_worldTargetCallback = nullptr;
        CancelTargetMode();
    };
    driver.click(410, 120);
    EXPECT_EQ(picked, std::vector<CObj*>{CObjectManager::FindObject(kOther)}) << "answered at once, on release";
    driver.pass(400);
    EXPECT_TRUE(takeIds().empty()) << "neither a target answer nor a name request";
}

TEST_F(WorldViewTest, APressTakesThePlacementPreviewAwayAndTheReleasePlaces)
{
    Game().target.answersClicks = true;
    Game().target.cursorType = 1;
    const int32_t piece[5] = {G_ANVIL, 0, 0, 0, 0};
    ASSERT_TRUE(PlacementPreview().LoadObjectList(1, piece, 0, 0, 0));
    ASSERT_TRUE(PlacementPreview().active);
    driver.leftDown(210, 110);
    EXPECT_FALSE(PlacementPreview().active);
    EXPECT_TRUE(takeIds().empty());
    driver.leftUp(210, 110);
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x6C}) << "the release answers the placement target";
}

TEST_F(WorldViewTest, ModifiersFollowOrListAMobile)
{
    harness.window().setModifiers({false, true, false});
    driver.click(410, 120);
    driver.pass(400);
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x12});
    EXPECT_EQ(std::string(last[0].begin() + 4, last[0].end() - 1), "vislist 2");

    harness.window().setModifiers({false, false, true});
    driver.click(410, 120);
    driver.pass(400);
    EXPECT_EQ(player->following, 1);
    EXPECT_EQ(player->followedSerial, kOther);
    driver.click(320, 240);
    driver.pass(400);
    EXPECT_EQ(player->following, 0);
    EXPECT_TRUE(takeIds().empty());
}

TEST_F(WorldViewTest, DraggingAMobileDragsItsStatusBarOffUnlessTheDraggerIsAGhost)
{
    CGump* bar = nullptr;
    int asked = 0;
    worldViewHooks().statusBarFor = [&](CMobile& mobile) {
        ++asked;
        EXPECT_EQ(mobile.serial, kOther);
        bar = new CGump(0, 0, 0, nullptr, 1, 60, 40);
        bar->AttachToParent(nullptr);
        return bar;
    };
    driver.drag(410, 120, 420, 120);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x34});
    EXPECT_EQ(last[0][5], 4);
    EXPECT_EQ(u32At(last[0], 6), kOther);
    EXPECT_EQ(bar->grabX, 30);
    MouseManager::SetCapture(nullptr); // the bar lets go when it is dropped

    player->SetGraphic(402); // a ghost
    driver.drag(410, 120, 420, 120);
    driver.drag(110, 110, 120, 110);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(takeIds().empty());
    Game().party.members[1].serial = kOther;
    driver.drag(410, 120, 420, 120);
    EXPECT_EQ(asked, 2);
    worldViewHooks().statusBarFor = nullptr;
}

TEST_F(WorldViewTest, WarModeDoubleClickAttacksOrAsksFirstForAnInnocent)
{
    player->warMode = 1;
    recordQuestions();
    auto* other = static_cast<CMobile*>(CObjectManager::FindObject(kOther));
    other->highlightClass = 1; // innocent
    NotorietyQuery = 0;
    driver.click(410, 120);
    driver.click(410, 120);
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x05});
    NotorietyQuery = 1;
    driver.click(410, 120);
    driver.click(410, 120);
    EXPECT_TRUE(takeIds().empty());
    ASSERT_EQ(questions, std::vector<std::string>{"This may flag you criminal!"});
    yes();
    EXPECT_EQ(takeIds(), std::vector<uint8_t>{0x05});
    EXPECT_EQ(u32At(last[0], 1), kOther);
    // Once a mobile shows a highlight value of 100 or more, the question is worded for the new rules.
    other->highlightClass = 101;
    driver.click(410, 120);
    driver.click(410, 120);
    EXPECT_EQ(questions.back(), "This will lower notoriety !");
    OldNotorietyMode = true;
    NotorietyQuery = 0;
    worldViewHooks().askYesNo = nullptr;
}

TEST_F(WorldViewTest, HoverTracksLiftableObjectsAndWarModeMobilesBySerial)
{
    driver.move(110, 110);
    driver.pass(1);
    EXPECT_EQ(view->OnObj(), CObjectManager::FindObject(kKnife));
    EXPECT_EQ(WorldView::hoveredObject, CObjectManager::FindObject(kKnife));
    driver.move(310, 110); // too heavy to lift
    driver.pass(1);
    EXPECT_EQ(view->OnObj(), nullptr);
    driver.move(410, 120); // a mobile at peace
    driver.pass(1);
    EXPECT_EQ(view->OnMobile(), nullptr);
    player->warMode = 1;
    driver.pass(1);
    EXPECT_EQ(view->OnMobile(), CObjectManager::FindObject(kOther));
    driver.move(320, 240); // never the player
    driver.pass(1);
    EXPECT_EQ(view->OnMobile(), nullptr);

    driver.move(110, 110);
    driver.pass(1);
    ASSERT_TRUE(CObjectManager::DeleteObject(kKnife));
    EXPECT_EQ(view->OnObj(), nullptr);
    EXPECT_EQ(WorldView::hoveredObject, nullptr);
}

TEST_F(WorldViewTest, HoldingTheRightButtonWalksTowardThePointer)
{
    driver.move(600, 240); // right of the centre: north-east on the map
    driver.rightDown(600, 240);
    driver.pass(33);
    ASSERT_EQ(walk.steps.size(), 1u);
    EXPECT_EQ(walk.steps[0] & 7, 1);
    driver.pass(33); // the turn is shown before the next step goes
    for (int i = 0; i < 4; ++i) {
        UpdatePlayerWalk();
        driver.pass(33);
    }
    EXPECT_GE(walk.steps.size(), 2u);
    const size_t held = walk.steps.size();
    driver.rightUp(600, 240);
    for (int i = 0; i < 8; ++i) {
        UpdatePlayerWalk();
        driver.pass(33);
    }
    EXPECT_EQ(walk.steps.size(), held);
}

TEST_F(WorldViewTest, TheDoubleRightClickWalksAPathTurningFirstThenMoving)
{
    AllowPathfind = 1;
    // The goal: the knife two cells east of the player.
    CObjectManager::FindObject(kKnife)->MoveTo(102, 100, 0);
    driver.rightClick(110, 110);
    driver.rightClick(110, 110);
    ASSERT_TRUE(PathManager::State().active);
    walk.steps.clear();
    player->direction = 0; // facing north: the first step east only turns
    StepAlongPath();
    ASSERT_EQ(walk.steps.size(), 1u);
    EXPECT_EQ(walk.steps[0] & 7, 2);
    EXPECT_EQ(PathManager::State().current->x, 100);
    player->direction = 2;
    StepAlongPath();
    EXPECT_EQ(PathManager::State().current->x, 101);
    AllowPathfind = 0;
}

TEST_F(WorldViewTest, APathNodeThatIsNotOneStepAwayEndsThePath)
{
    PathNode a, b;
    a.x = 100, a.y = 100;
    b.x = 103, b.y = 100;
    a.next = &b;
    PathState& path = PathManager::State();
    path.active = true;
    path.current = &a;
    StepAlongPath();
    EXPECT_FALSE(PathManager::State().active);
    EXPECT_TRUE(walk.steps.empty());
}

} // namespace

namespace {

/** A screen larger than the game area, with window resizing allowed: the edges are made with the view. */
class GameAreaEdges : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::TestImage across = testsupport::TestImage::solid(10, 4, 0x1111);
        testsupport::TestImage down = testsupport::TestImage::solid(6, 10, 0x2222);
        harness.addGumpArt(2700, across);
        harness.addGumpArt(2701, down);
        harness.start(800, 600);
        AllowWindowResize = 1;
        GraphicManager::SetGameAreaCorner(80, 60);
        InstallWorldView();
        MapGump()->Update();
    }
    void TearDown() override
    {
        UninstallWorldView();
        GraphicManager::SetGameAreaCorner(0, 0);
        AllowWindowResize = 0;
    }
    testsupport::GumpHarness harness;
    testsupport::GumpEventDriver driver{harness};
};

TEST_F(GameAreaEdges, TheFourStripsFrameTheGameArea)
{
    const GumpRect expected[4] = {{74, 56, 726, 60}, {74, 540, 726, 544}, {74, 60, 80, 540}, {720, 60, 726, 540}};
    for (int which = 0; which < 4; ++which) {
        SCOPED_TRACE(which);
        GameAreaEdgeGump* edge = GameAreaEdge(which);
        ASSERT_NE(edge, nullptr);
        const GumpRect r = edge->ScreenRect();
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int>({expected[which].left, expected[which].top, expected[which].right,
                                    expected[which].bottom}));
        EXPECT_EQ(edge->Frame(0)->pixel(0, 0), which < 2 ? 0x1111 : 0x2222);
    }
}

TEST_F(GameAreaEdges, DraggingAStripMovesTheGameAreaButNeverOffTheScreen)
{
    struct Case {
        bool topStrip; // else the left strip
        int toX, toY;
        GumpRect area;
    };
    const Case cases[] = {
        {true, 200, 58, {100, 60, 740, 540}},   // right by 20
        {true, 5, 58, {0, 60, 640, 540}},       // past the left side
        {true, 799, 58, {160, 60, 800, 540}},   // past the right side
        {false, 158, 5, {160, 0, 800, 480}},    // past the top
        {false, 158, 599, {160, 120, 800, 600}}, // past the bottom
    };
    for (const Case& c : cases) {
        const GumpRect area = CGumpManager::GameArea();
        const int fromX = c.topStrip ? area.left + 100 : area.left - 2;
        const int fromY = c.topStrip ? area.top - 2 : area.top + 100;
        driver.move(fromX, fromY);
        driver.leftDown(fromX, fromY);
        driver.move(c.toX, c.toY);
        driver.pass(1);
        driver.leftUp(c.toX, c.toY);
        const GumpRect now = CGumpManager::GameArea();
        EXPECT_EQ(std::vector<int>({now.left, now.top, now.right, now.bottom}),
                  std::vector<int>({c.area.left, c.area.top, c.area.right, c.area.bottom}));
        int32_t left = 0, top = 0;
        GraphicManager::GetGameAreaCorner(left, top);
        EXPECT_EQ(left, now.left);
        EXPECT_EQ(top, now.top);
    }
}

} // namespace
