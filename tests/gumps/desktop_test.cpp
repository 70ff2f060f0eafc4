/** @file Tests of the desktop file: reading and writing it, restoring windows and the re-request queue, and saving. */
#include "client/core/app.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/gumps/framework/desktop.h"
#include "client/gumps/framework/gump_manager.h"
#include "platform/fs/path.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using testsupport::DesktopFileBuilder;
using testsupport::GumpHarness;
using testsupport::RecordingGump;
using testsupport::TestImage;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPlayer = 0x1000;
constexpr uint32_t kBackpack = 0x40000001;
constexpr uint32_t kPouch = 0x40000002;
constexpr uint32_t kBook = 0x40000003;

/** A window of one kind, as the windows of the game answer the kind questions. */
class KindGump : public RecordingGump {
public:
    KindGump(int kind, int x0, int y0, uint32_t shownSerial = 0)
        : RecordingGump(x0, y0, 40, 30, 0x0123), kind_(kind), serial(shownSerial)
    {
    }
    int IsOptionsGump() override { return kind_ == 6; }
    int IsTextGump() override { return kind_ == 2; }
    int IsContainerGump() override { return kind_ == 3; }
    int IsSpellbookGump() override { return kind_ == 5; }
    void Resize(int w, int h, int) override
    {
        width = w;
        height = h;
    }
    int kind_;
    uint32_t serial;
};

class RecordingDesktopHost : public DesktopHost {
public:
    uint32_t PlayerSerial() override { return kPlayer; }
    bool PlayerIsGhost() override { return ghost; }
    uint32_t BackpackSerial() override { return kBackpack; }
    bool ObjectExists(uint32_t s) override { return s == kBackpack || s == kPouch || s == kBook || s == 0x9999; }
    bool InPossessions(uint32_t s) override { return s == kBackpack || s == kPouch || s == kBook; }
    int NestingDepth(uint32_t s) override { return s == kBackpack ? 1 : s == kPouch || s == kBook ? 2 : 0; }
    int CharacterSlot() override { return slot; }
    void OpenStatusBar(int x, int y, bool minimized) override
    {
        calls.push_back("status bar " + std::to_string(x) + "," + std::to_string(y) + (minimized ? " minimized" : ""));
    }
    void OpenFightingStyle(int x, int y, bool) override { calls.push_back("fighting " + std::to_string(x) + "," + std::to_string(y)); }
    void OpenSpellIcon(int, int, int spell) override { calls.push_back("spell icon " + std::to_string(spell)); }
    void OpenSkillWindowWhenListArrives() override { calls.push_back("skills later"); }
    void PlaceGameWindow(int ax, int ay, int left, int top, int w, int h, bool maximized) override
    {
        calls.push_back("game window " + std::to_string(ax) + "," + std::to_string(ay) + " " + std::to_string(left) + "," +
                        std::to_string(top) + " " + std::to_string(w) + "x" + std::to_string(h) + (maximized ? " maximized" : ""));
    }
    void GameWindowPlacement(int& ax, int& ay, int& left, int& top, int& w, int& h, bool& maximized) override
    {
        ax = 8, ay = 9, left = 100, top = 50, w = 640, h = 480, maximized = true;
    }
    bool Describe(CGump* gump, DesktopRecord& r) override
    {
        auto* k = dynamic_cast<KindGump*>(gump);
        if (k != nullptr && k->kind_ == 3) {
            r.kind = 3;
            r.v = {gump->x, gump->y, k->serial, 0};
            return true;
        }
        if (k != nullptr && k->kind_ == 5) {
            r.kind = 5;
            r.v = {gump->x, gump->y, 0, 7, k->serial};
            return true;
        }
        return DesktopHost::Describe(gump, r);
    }
    bool InGame() override { return true; }

    std::vector<std::string> calls;
    bool ghost = false;
    int slot = 2;
};

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.addGumpArt(5000, TestImage::solid(40, 30, 0x0111));
        harness.addGumpArt(5001, TestImage::solid(4, 4, 0x0111));
        harness.start();
        SetDesktopHost(&host);
        Desktop() = {};
        CGumpManager::RegisterGumpFactory(7, [](const GumpOpenRequest&) { return new KindGump(2, 0, 0); });
        CGumpManager::RegisterGumpFactory(5000, [](const GumpOpenRequest&) { return new KindGump(6, 0, 0); });
        GameTickCount = 100;
    }
    void TearDown() override
    {
        SetDesktopHost(nullptr);
        CGumpManager::UnregisterGumpFactory(7);
        CGumpManager::UnregisterGumpFactory(5000);
        Desktop() = {};
    }
    std::vector<Bytes>& sent() { return harness.packets().packets; }
    static Bytes use(uint32_t serial)
    {
        return {0x06, static_cast<uint8_t>(serial >> 24), static_cast<uint8_t>(serial >> 16), static_cast<uint8_t>(serial >> 8),
                static_cast<uint8_t>(serial)};
    }
    template <class Kind>
    static Kind* find(int kind)
    {
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (auto* k = dynamic_cast<Kind*>(g); k != nullptr && k->kind_ == kind && !g->closing)
                return k;
        return nullptr;
    }

    GumpHarness harness;
    RecordingDesktopHost host;
};

TEST_F(DesktopTest, FilesReadBackWhatWasWritten)
{
    const Bytes bytes = DesktopFileBuilder(kPlayer)
                            .window(0, 10, 20, 0)
                            .record(2, {{4, -5}, {4, 6}, {1, 1}, {2, 300}, {2, 200}})
                            .container(50, 60, kPouch, 1)
                            .spellbook(3, 4, 1, 2, kBook)
                            .record(10, {{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 0}, {4, 1}})
                            .gameWindow(true, 1, 2, 3, 4, 5, 6, 0)
                            .gameWindow(false, 1, 2, 3, 4, 5, 6, 1)
                            .record(40, {})
                            .bytes();
    std::string why;
    const std::optional<DesktopFile> file = ReadDesktopFile(bytes, &why);
    ASSERT_TRUE(file);
    EXPECT_TRUE(why.empty());
    EXPECT_EQ(file->serial, kPlayer);
    ASSERT_EQ(file->records.size(), 8u);
    EXPECT_EQ(file->records[1].v[0], -5);
    EXPECT_EQ(file->records[1].v[3], 300);
    EXPECT_EQ(file->records[2].v[2], kPouch);
    EXPECT_EQ(file->records[3].v[4], kBook);
    EXPECT_EQ(file->records[7].kind, 40);
    EXPECT_EQ(WriteDesktopFile(*file), bytes);
    // A record cut short ends the reading; the records before it stand.
    const Bytes cut = DesktopFileBuilder(kPlayer).window(1, 1, 2, 0).raw({3, 1, 0, 0, 0, 2}).bytes();
    const std::optional<DesktopFile> partial = ReadDesktopFile(cut, &why);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->records.size(), 1u);
    EXPECT_EQ(why, "record of kind 3 cut short");
    EXPECT_FALSE(ReadDesktopFile({1, 2, 3}, &why));
}

TEST_F(DesktopTest, LoadingRequestsAndOpensWhatTheRecordsName)
{
    const Bytes bytes = DesktopFileBuilder(kPlayer)
                            .window(0, 10, 20, 0)
                            .window(1, 30, 40, 1)
                            .record(2, {{4, 70}, {4, 80}, {1, 0}, {2, 120}, {2, 90}})
                            .container(50, 60, kPouch, 0)
                            .record(4, {{4, 5}, {4, 6}, {1, 0}, {2, 10}, {2, 10}})
                            .window(6, 200, 100, 1)
                            .window(7, 11, 12, 0)
                            .record(8, {{4, 1}, {4, 2}, {1, 17}})
                            .record(9, {{4, 300}, {4, 301}})
                            .gameWindow(true, 1, 2, 3, 4, 640, 480, 0)
                            .gameWindow(false, 0, 0, 30, 40, 800, 600, 1)
                            .bytes();
    EXPECT_EQ(CGumpManager::LoadDesktop(bytes, false), 3);
    EXPECT_TRUE(Desktop().restorePending);
    EXPECT_EQ(sent().at(0), use(kPlayer | 0x80000000u));
    EXPECT_EQ(sent().at(1), (Bytes{0x34, 0xED, 0xED, 0xED, 0xED, 4, 0, 0, 0x10, 0}));
    EXPECT_EQ(sent().at(2), (Bytes{0x34, 0xED, 0xED, 0xED, 0xED, 5, 0, 0, 0x10, 0}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"status bar 30,40 minimized", "skills later", "fighting 11,12", "spell icon 17",
                                                    "game window 1,2 3,4 640x480", "game window 0,0 30,40 800x600 maximized"}));
    KindGump* journal = find<KindGump>(2);
    ASSERT_NE(journal, nullptr);
    EXPECT_EQ(journal->x, 70);
    EXPECT_EQ(journal->width, 120);
    KindGump* options = find<KindGump>(6);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->minimized, 1);
    EXPECT_EQ(options->normalX, 200);
    EXPECT_EQ(Desktop().queue, std::deque<uint32_t>{kPouch});
    EXPECT_EQ(Desktop().objectText[0], 300);
}

TEST_F(DesktopTest, ForeignSerialsGhostsAndEmptyFiles)
{
    EXPECT_EQ(CGumpManager::LoadDesktop(DesktopFileBuilder(kPlayer + 1).window(0, 1, 1, 0).bytes(), false), 0);
    EXPECT_TRUE(sent().empty());
    // Only the serial: nothing opens and no restore is pending.
    EXPECT_EQ(CGumpManager::LoadDesktop(DesktopFileBuilder(kPlayer).bytes(), false), 0);
    EXPECT_FALSE(Desktop().restorePending);
    // A ghost reads the records but asks for nothing.
    host.ghost = true;
    EXPECT_EQ(CGumpManager::LoadDesktop(DesktopFileBuilder(kPlayer).window(0, 1, 1, 0).container(5, 5, kPouch, 0).bytes(), false), 1);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(Desktop().queue.empty());
    // The new-player desktop takes any serial and opens the backpack in place of its containers.
    host.ghost = false;
    EXPECT_EQ(CGumpManager::LoadDesktop(DesktopFileBuilder(7).container(5, 5, 0x1234, 0).bytes(), true), 1);
    EXPECT_EQ(Desktop().queue, std::deque<uint32_t>{kBackpack});
}

TEST_F(DesktopTest, TheQueueAsksForOneObjectEveryThreeTicks)
{
    CGumpManager::LoadDesktop(DesktopFileBuilder(kPlayer)
                                  .container(5, 6, kBackpack, 0)
                                  .container(50, 60, 0x7777, 0)
                                  .container(70, 80, 0x9999, 0)
                                  .container(90, 95, kPouch, 1)
                                  .bytes(),
                              false);
    ASSERT_EQ(Desktop().queue.size(), 4u);
    Desktop().lastRequestTick = GameTickCount;
    CGumpManager::ProcessDesktopQueue();
    EXPECT_TRUE(sent().empty());
    GameTickCount += 3;
    CGumpManager::ProcessDesktopQueue();
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0], use(kBackpack));
    // The backpack opens: it gets its place and leaves the queue.
    KindGump* pack = new KindGump(3, 300, 300, kBackpack);
    pack->AttachToParent(nullptr);
    CGumpManager::ApplyDesktopPosition(kBackpack, pack, nullptr);
    EXPECT_EQ(pack->x, 5);
    EXPECT_EQ(pack->y, 6);
    // An object that no longer exists is dropped; once the backpack was seen, an object outside
    // the player's possessions too, without a request.
    GameTickCount += 3;
    CGumpManager::ProcessDesktopQueue();
    GameTickCount += 3;
    CGumpManager::ProcessDesktopQueue();
    EXPECT_EQ(sent().size(), 1u);
    EXPECT_EQ(Desktop().queue, std::deque<uint32_t>{kPouch});
    GameTickCount += 3;
    CGumpManager::ProcessDesktopQueue();
    EXPECT_EQ(sent().back(), use(kPouch));
    KindGump* pouch = new KindGump(3, 0, 0, kPouch);
    pouch->AttachToParent(nullptr);
    CGumpManager::ApplyDesktopPosition(kPouch, pouch, nullptr);
    EXPECT_EQ(pouch->minimized, 1);
    EXPECT_TRUE(Desktop().restoreDone);
    // A container that was not queued keeps its place.
    KindGump* other = new KindGump(3, 33, 44, kBook);
    other->AttachToParent(nullptr);
    CGumpManager::ApplyDesktopPosition(kBook, other, nullptr);
    EXPECT_EQ(other->x, 33);
}

TEST_F(DesktopTest, ASavedDesktopRestoresTheSameWindowsInTheSamePlaces)
{
    CGumpManager::OpenGump(nullptr, 7, nullptr, 0, 0)->MoveBy(123, 45, true, nullptr, true);
    find<KindGump>(2)->Resize(150, 110, 0);
    CGumpManager::OpenGump(nullptr, 5000, nullptr, 0, 0)->MoveBy(200, 210, true, nullptr, true);
    // Containers: the inner pouch in front of the backpack, a spellbook inside the backpack.
    (new KindGump(5, 60, 70, kBook))->AttachToParent(nullptr);
    (new KindGump(3, 20, 30, kPouch))->AttachToParent(nullptr);
    (new KindGump(3, 10, 10, kBackpack))->AttachToParent(nullptr);
    const Bytes saved = CGumpManager::BuildDesktop();
    const std::optional<DesktopFile> file = ReadDesktopFile(saved, nullptr);
    ASSERT_TRUE(file);
    std::vector<int> kinds;
    for (const DesktopRecord& r : file->records)
        kinds.push_back(r.kind);
    // Windows front to back, chat, game window, containers by depth (outer first, each depth
    // from the front), object text.
    EXPECT_EQ(kinds, (std::vector<int>{6, 2, 10, 16, 3, 3, 5, 9}));
    EXPECT_EQ(file->records[4].v[2], kBackpack);
    EXPECT_EQ(file->records[3].v[2], 100);

    CGumpManager::CloseWorldGumps();
    testsupport::GumpEventDriver(harness).pass();
    ASSERT_EQ(find<KindGump>(2), nullptr);
    CGumpManager::LoadDesktop(saved, false);
    KindGump* journal = find<KindGump>(2);
    KindGump* options = find<KindGump>(6);
    ASSERT_NE(journal, nullptr);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(journal->x, 123);
    EXPECT_EQ(journal->y, 45);
    EXPECT_EQ(journal->width, 150);
    EXPECT_EQ(options->x, 200);
    EXPECT_EQ(options->y, 210);
    EXPECT_EQ(Desktop().queue, (std::deque<uint32_t>{kBackpack, kPouch, kBook}));
    KindGump* pouch = new KindGump(3, 0, 0, kPouch);
    pouch->AttachToParent(nullptr);
    CGumpManager::ApplyDesktopPosition(kPouch, pouch, nullptr);
    EXPECT_EQ(pouch->x, 20);
    EXPECT_EQ(pouch->y, 30);
}

TEST_F(DesktopTest, OnlyScreenSizesTheClientShowsPlaceTheWindow)
{
    SetDesktopHost(nullptr);
    // The default host knows no player: serial 0 is its own.
    harness.window().setPosition(5, 5);
    CGumpManager::LoadDesktop(DesktopFileBuilder(0).gameWindow(false, 0, 0, 30, 40, 4000, 3000, 0).bytes(), false);
    EXPECT_EQ(harness.logCount("a game window of 4000 x 3000 is not a size the client shows"), 1u);
    int left = 0, top = 0, w = 0, h = 0;
    harness.window().position(left, top);
    EXPECT_EQ(left, 5);
    CGumpManager::LoadDesktop(DesktopFileBuilder(0).gameWindow(true, 0, 0, -30, 40, 800, 600, 0).bytes(), false);
    harness.window().position(left, top);
    harness.window().clientSize(w, h);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 40);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
}

TEST_F(DesktopTest, SavingWritesTheCharactersFileOrTheSlotFileWhole)
{
    testsupport::TempDir dir;
    SetConfigFolder(dir.path().string());
    CGumpManager::SaveDesktop();
    EXPECT_EQ(ReadConfigFile("desktop.kz3", "rb").value_or("").size(), CGumpManager::BuildDesktop().size());
    CopyConfigText(AcctID, "acct");
    CopyConfigText(ShardName, "Shard");
    CopyConfigText(PlayerName, "Hero");
    CGumpManager::SaveDesktop();
    const std::string path = "Desktop/acct/Shard/Hero/desktop.kzs";
    const std::optional<std::string> written = ReadConfigFile(path, "rb");
    ASSERT_TRUE(written);
    EXPECT_TRUE(ReadConfigFile("Desktop/acct/Shard/Hero/macros.txt", "r"));
    {
        // A failed write leaves the old file whole.
        platform::ScopedWriteFailureForTests failing(3);
        (new KindGump(6, 1, 1))->AttachToParent(nullptr);
        CGumpManager::SaveDesktop();
    }
    EXPECT_EQ(ReadConfigFile(path, "rb"), written);
    // Restoring reads the character's file.
    Desktop() = {};
    CGumpManager::RestoreDesktop();
    EXPECT_FALSE(Desktop().restorePending);
    EXPECT_EQ(harness.logCount("LoadDesktop"), 0u);
    ShardName[0] = PlayerName[0] = AcctID[0] = '\0';
    SetConfigFolder("");
}

} // namespace
