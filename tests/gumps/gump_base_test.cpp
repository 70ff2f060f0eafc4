/** @file Tests of the gump base: hit tests, the tree, placement, the minimized grid and destruction. */
#include "client/core/display_mode.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using testsupport::RecordingGump;

class GumpBaseTest : public ::testing::Test {
protected:
    void SetUp() override { harness.start(); }
    testsupport::GumpHarness harness;
};

TEST_F(GumpBaseTest, HitsSkipTransparentPixelsOtherPagesAndButtonsOfTheOtherState)
{
    auto* window = new RecordingGump(100, 100, 200, 100, 0x1234);
    window->Frame(0)->row(10)[30] = 0; // a transparent pixel
    window->page = 1;
    auto* pageTwo = new RecordingGump(10, 10, 20, 20, 0x2222, window);
    pageTwo->page = 2;
    auto* pageZero = new RecordingGump(40, 10, 20, 20, 0x3333, window);
    auto* pageOne = new RecordingGump(70, 10, 20, 20, 0x4444, window);
    pageOne->page = 1;
    auto* normalButton = new CButtonGump(100, 10, 119, 29, window, CButtonGump::Push, 0, nullptr, 0);
    auto* minimizedButton = new CButtonGump(130, 10, 149, 29, window, CButtonGump::Push, 0, nullptr, 1);

    struct Case {
        const char* name;
        int x, y;
        int minimized;
        CGump* expected;
    } const cases[] = {
        {"a child on another page is dead", 115, 115, 0, window},
        {"a child on page 0 is always live", 145, 115, 0, pageZero},
        {"a child on the parent's page is live", 175, 115, 0, pageOne},
        {"a button for the normal state", 205, 115, 0, normalButton},
        {"a button for the minimized state, not minimized", 235, 115, 0, window},
        {"a transparent frame pixel", 130, 110, 0, nullptr},
        {"outside", 99, 150, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->minimized = c.minimized;
        EXPECT_EQ(CGumpManager::GetGumpAt(c.x, c.y, nullptr, 0), c.expected);
    }
    // While minimized only the buttons for that state are live (the parent keeps its size here).
    window->minimizedWidth = 200;
    window->minimizedHeight = 100;
    window->minimized = 1;
    EXPECT_EQ(CGumpManager::GetGumpAt(235, 115, nullptr, 0), minimizedButton);
    EXPECT_EQ(CGumpManager::GetGumpAt(205, 115, nullptr, 0), window);
    (void)pageTwo;
}

TEST_F(GumpBaseTest, FrameRowsAreStridePixelsLong)
{
    auto* gump = new RecordingGump(0, 0, 30, 2, 0x1111);
    GumpBitmap* frame = gump->Frame(0);
    EXPECT_EQ(frame->stride(), 32);
    frame->pixels[1 * 32 + 29] = 0; // pixel (29, 1)
    EXPECT_FALSE(gump->HitTest(29, 1));
    EXPECT_TRUE(gump->HitTest(29, 0));
    EXPECT_TRUE(gump->HitTest(0, 1));
}

TEST_F(GumpBaseTest, GameAreaCornerIsAddedOnceForTheChain)
{
    CGumpManager::SetGameArea({40, 30, 680, 510});
    auto* window = new RecordingGump(5, 6, 100, 100, 0x1111);
    window->gameAreaRelative = 1;
    auto* child = new RecordingGump(7, 8, 10, 10, 0x2222, window);
    child->gameAreaRelative = 1;
    int x = 1, y = 2;
    child->GumpToScreenCoords(x, y);
    EXPECT_EQ(x, 1 + 7 + 5 + 40);
    EXPECT_EQ(y, 2 + 8 + 6 + 30);
    child->ScreenToGumpCoords(x, y);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
}

/** A recording window that answers its screen rectangle both ways a gump can ask for it. */
class ChainGump : public RecordingGump {
public:
    using RecordingGump::RecordingGump;
    using CGump::OwnScreenRect;
};

TEST_F(GumpBaseTest, TheScreenRectangleSumsTheChainAlikeForAGumpAndItsOwnMembers)
{
    CGumpManager::SetGameArea({40, 30, 680, 510});
    struct Link {
        int x, y, gameAreaRelative;
    };
    struct Case {
        const char* name;
        std::vector<Link> chain; // from the top-level gump down
        int minimized;
        GumpRect expected; // of the last gump, 10 x 12 (6 x 4 minimized)
    } const cases[] = {
        {"top level", {{5, 6, 0}}, 0, {5, 6, 15, 18}},
        {"two deep", {{5, 6, 0}, {7, 8, 0}}, 0, {12, 14, 22, 26}},
        {"three deep, corner once", {{5, 6, 1}, {7, 8, 1}, {-2, 3, 1}}, 0, {50, 47, 60, 59}},
        {"only the middle is game-area relative", {{5, 6, 0}, {7, 8, 1}, {1, 1, 0}}, 0, {53, 45, 63, 57}},
        {"minimized", {{5, 6, 0}, {7, 8, 0}}, 1, {12, 14, 18, 18}},
    };
    for (const Case& c : cases) {
        std::vector<ChainGump*> chain;
        for (const Link& l : c.chain) {
            chain.push_back(new ChainGump(l.x, l.y, 10, 12, 0x1111, chain.empty() ? nullptr : chain.back()));
            chain.back()->gameAreaRelative = l.gameAreaRelative;
        }
        ChainGump* last = chain.back();
        last->minimizedWidth = 6;
        last->minimizedHeight = 4;
        last->minimized = c.minimized;
        const GumpRect byGump = last->ScreenRect(), byMember = last->OwnScreenRect();
        EXPECT_EQ(std::vector<int>({byGump.left, byGump.top, byGump.right, byGump.bottom}),
                  std::vector<int>({c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << c.name;
        EXPECT_EQ(std::vector<int>({byMember.left, byMember.top, byMember.right, byMember.bottom}),
                  std::vector<int>({c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << c.name;
        delete chain.front();
        // A gump's children go with it: no live gump keeps a dead parent.
        for (ChainGump* g : chain)
            EXPECT_FALSE(IsLiveGump(g)) << c.name;
    }
}

TEST_F(GumpBaseTest, AGumpIsLiveFromItsConstructionToItsDestruction)
{
    // Thousands of gumps made and deleted in a shuffled order (the table of live gumps grows,
    // and deletions close gaps in its runs): after each step exactly the gumps not yet deleted
    // are live. An address seen once is checked again after its gump died (or was made anew).
    std::vector<CGump*> live;
    std::set<const CGump*> seen;
    uint32_t seed = 777;
    auto next = [&](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    auto check = [&](int step) {
        const std::set<const CGump*> alive(live.begin(), live.end());
        for (const CGump* g : seen)
            ASSERT_EQ(IsLiveGump(g), alive.count(g) != 0) << "step " << step;
    };
    EXPECT_FALSE(IsLiveGump(nullptr));
    for (int step = 0; step < 6000; ++step) {
        const bool make = live.empty() || next(100) < (step < 3000 ? 70u : 30u);
        if (make) {
            live.push_back(new CGump(0, 0, 0, nullptr, 0, 1, 1));
            seen.insert(live.back());
        } else {
            const size_t at = next(static_cast<uint32_t>(live.size()));
            delete live[at];
            live[at] = live.back();
            live.pop_back();
        }
        if (step % 500 == 0 || step == 5999)
            check(step);
    }
    for (CGump* g : live)
        delete g;
    live.clear();
    check(6000);
}

TEST_F(GumpBaseTest, TheDirtyAreaIsTheUnionOfEveryAreaMarkedSinceItWasTaken)
{
    // Marked areas against the plain rule: each one is cut to the screen and added to the union,
    // an empty one adds nothing. Areas repeat (a field marks itself at every key), nest, cross
    // the screen's edges, lie outside it and are empty.
    const GumpRect screen{0, 0, ScreenWidth, ScreenHeight};
    uint32_t seed = 12345;
    auto next = [&](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    CGumpManager::TakeDirty();
    for (int round = 0; round < 200; ++round) {
        GumpRect expected;
        std::vector<GumpRect> marked;
        const int count = 1 + next(12);
        for (int i = 0; i < count; ++i) {
            GumpRect r;
            if (!marked.empty() && next(3) == 0) {
                r = marked[static_cast<size_t>(next(static_cast<int>(marked.size())))];
                if (next(2) == 0) // inside a marked one, or the same again
                    r = {r.left + next(3), r.top + next(3), r.right - next(3), r.bottom - next(3)};
            } else {
                const int left = next(ScreenWidth + 200) - 100;
                const int top = next(ScreenHeight + 200) - 100;
                r = {left, top, left + next(300) - 20, top + next(200) - 20};
            }
            marked.push_back(r);
            expected = expected.unite(r.intersect(screen));
            CGumpManager::AddDirty(r);
        }
        const GumpRect dirty = CGumpManager::TakeDirty();
        EXPECT_EQ(std::vector<int>({dirty.left, dirty.top, dirty.right, dirty.bottom}),
                  std::vector<int>({expected.left, expected.top, expected.right, expected.bottom}))
            << "round " << round;
    }
}

TEST_F(GumpBaseTest, MinimizedGumpsFillTheGridColumnByColumnAndFreeTheirSlotOnRestore)
{
    std::vector<RecordingGump*> gumps;
    for (int i = 0; i < 37; ++i) {
        gumps.push_back(new RecordingGump(300, 300, 50, 50, 0x1111));
        gumps.back()->Minimize();
    }
    // Six slots per column on 640 x 480 (y = 16 to 336), six columns (x = 16 to 496).
    EXPECT_EQ(gumps[1]->x, 16);
    EXPECT_EQ(gumps[1]->y, 80);
    EXPECT_EQ(gumps[6]->x, 112);
    EXPECT_EQ(gumps[6]->y, 16);
    EXPECT_EQ(gumps[35]->x, 496);
    EXPECT_EQ(gumps[35]->y, 336);
    EXPECT_EQ(gumps[36]->x, 0); // the grid is full
    EXPECT_EQ(gumps[36]->y, 0);

    gumps[1]->Restore();
    EXPECT_EQ(gumps[1]->x, 300);
    EXPECT_EQ(gumps[1]->minimized, 0);
    auto* late = new RecordingGump(300, 300, 50, 50, 0x1111);
    late->Minimize();
    EXPECT_EQ(late->x, 16);
    EXPECT_EQ(late->y, 80);
    // The restored gump keeps its place for its next minimize.
    gumps[1]->Minimize();
    EXPECT_EQ(gumps[1]->x, 16);
    EXPECT_EQ(gumps[1]->y, 80);
}

TEST_F(GumpBaseTest, MovingKeepsFiftyPixelsOnTheScreen)
{
    auto* gump = new RecordingGump(0, 0, 200, 100, 0x1111);
    struct Case {
        int dx, dy, x, y;
    } const cases[] = {{-500, 0, -150, 0}, {2000, 0, 590, 0}, {0, -500, 0, -50}, {0, 900, 0, 430}};
    for (const Case& c : cases) {
        gump->x = gump->y = 0;
        gump->MoveBy(c.dx, c.dy, true, nullptr, true);
        EXPECT_EQ(gump->x, c.x);
        EXPECT_EQ(gump->y, c.y);
    }
    gump->x = 0;
    gump->MoveBy(-500, 0, true, nullptr, false);
    EXPECT_EQ(gump->x, -500);
}

TEST_F(GumpBaseTest, BringingToFrontReordersAndDropsAForeignFocus)
{
    auto* back = new RecordingGump(0, 0, 10, 10, 0x1111);
    auto* front = new RecordingGump(0, 0, 10, 10, 0x2222);
    auto* field = new RecordingGump(0, 0, 5, 5, 0x3333, back);
    ASSERT_EQ(CGumpManager::First(), front);
    CGumpManager::SetFocus(field);
    back->BringToFront(false);
    EXPECT_EQ(CGumpManager::First(), back);
    EXPECT_EQ(back->NextSibling(), front);
    EXPECT_EQ(CGumpManager::Last(), front);
    EXPECT_EQ(CGumpManager::Focus(), field); // its parent was raised
    front->BringToFront(false);
    EXPECT_EQ(CGumpManager::Focus(), nullptr);
    EXPECT_EQ(field->take(), std::vector<std::string>{"end edit"});
}

/** A gump whose per-tick update deletes another gump. */
class DeletingGump : public RecordingGump {
public:
    using RecordingGump::RecordingGump;
    void Update() override
    {
        events.push_back("update");
        if (victim != nullptr) {
            if (deferred)
                CGumpManager::DestroyGump(victim);
            else
                delete victim;
            victim = nullptr;
        }
    }
    CGump* victim = nullptr;
    bool deferred = false;
};

TEST_F(GumpBaseTest, AGumpDeletedDuringTheUpdateIsSkippedAndTheLoopGoesOn)
{
    for (const bool deferred : {false, true}) {
        SCOPED_TRACE(deferred ? "closed for the end of the pass" : "deleted at once");
        auto* last = new DeletingGump(0, 0, 10, 10, 0x1111);
        auto* victim = new DeletingGump(0, 0, 10, 10, 0x2222);
        new RecordingGump(0, 0, 5, 5, 0x3333, victim); // a child dies with it
        auto* first = new DeletingGump(0, 0, 10, 10, 0x4444);
        first->victim = victim;
        first->deferred = deferred;
        CGumpManager::Update();
        EXPECT_EQ(first->take(), std::vector<std::string>{"update"});
        EXPECT_EQ(last->take(), std::vector<std::string>{"update"});
        EXPECT_FALSE(IsLiveGump(victim));
        EXPECT_EQ(first->NextSibling(), last);
        delete first;
        delete last;
        EXPECT_EQ(CGumpManager::First(), nullptr);
    }
}

TEST_F(GumpBaseTest, DestructionClearsEveryPointerTheFrameworkKeeps)
{
    auto* owner = new RecordingGump(0, 0, 50, 50, 0x1111);
    auto* message = new RecordingGump(0, 0, 50, 50, 0x2222);
    message->waiting = 1;
    message->owner = owner;
    auto* modal = new RecordingGump(0, 0, 50, 50, 0x3333);
    CGumpManager::SetModal(modal);
    CGumpManager::SetFocus(modal);
    MouseManager::SetCapture(modal);
    CGumpManager::mouseonGump = modal;
    delete modal;
    EXPECT_EQ(CGumpManager::Modal(), nullptr);
    EXPECT_EQ(CGumpManager::Focus(), nullptr);
    EXPECT_EQ(MouseManager::Capture(), nullptr);
    EXPECT_EQ(CGumpManager::mouseonGump, nullptr);
    // A click now reaches the gumps again.
    EXPECT_EQ(CGumpManager::GetGumpAt(10, 10, nullptr, 0), message);
    delete owner;
    EXPECT_EQ(message->owner, nullptr);
}

} // namespace
