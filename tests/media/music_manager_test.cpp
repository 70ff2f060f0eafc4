/** @file Song rules against a fake MIDI player and a hand-moved clock: the guard, fades, war and peace, the sequence and the end of a song. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/main_loop.h"
#include "client/media/music_manager.h"
#include "client/media/player_place.h"
#include "platform/audio/midi.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using MusicManager::CurrentState;
using MusicManager::PlaySong;

class MusicManagerTest : public ::testing::Test {
protected:
    MusicManagerTest()
    {
        install = dir.path().string() + "/";
        dir.write("client.exe", "");
        for (int song = 0; song < MusicManager::kSongCount; ++song)
            dir.write(std::string("MUSIC/") + MusicManager::SongFile(song), "MThd");
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", install + "client.exe");
        FileManager::startup();
        Music = 1;
        MusicVol = 255;
        CombatMusic = 1;
        ShuttingDown = 0;
        MusicManager::CMusicManager();
        MusicManager::SetSequencer(&midi);
        midi.endHandler = [this] { ++endNotices; };
    }
    ~MusicManagerTest() override
    {
        MusicManager::shutdown();
        MusicManager::SetSequencer(nullptr);
        SetPlayerPlace(nullptr);
        WorldPlayerHooks().inWarMode = nullptr;
        FileManager::shutdown();
    }

    /** The file the fake player opened last, without its folder. */
    std::string lastOpened() const
    {
        const std::string& path = midi.opened.back();
        return path.substr(path.find_last_of("/\\") + 1);
    }
    void placePlayer(bool atWar)
    {
        SetPlayerPlace([](MapPoint& at) {
            at = MapPoint{10, 10};
            return true;
        });
        WorldPlayerHooks().inWarMode = [atWar] { return atWar; };
    }
    /** Updates until the fade is over (at most a generous bound). */
    void fadeOut()
    {
        for (int i = 0; i < 40 && CurrentState().changePending; ++i)
            MusicManager::Update();
    }

    platform::ScopedPlatform platform_;
    testsupport::TempDir dir;
    std::string install;
    platform::FakeMidiPlayer midi;
    int endNotices = 0;
};

TEST_F(MusicManagerTest, TheStartUpSongPlaysFromTheMusicFolderAtTheMusicVolume)
{
    MusicVol = 200;
    MusicManager::CMusicManager();
    EXPECT_EQ(PlaySong(8, 1, 0), 1);
    ASSERT_EQ(midi.opened.size(), 1u);
    EXPECT_EQ(midi.opened[0], install + "MUSIC/stones2.mid") << "the name on disk, whatever the case asked for";
    EXPECT_TRUE(midi.playing);
    EXPECT_EQ(midi.volumes, std::vector<int>{200});
    EXPECT_EQ(CurrentState().currentSong, 8);
}

TEST_F(MusicManagerTest, ASongYoungerThanTenSecondsStaysUnlessForced)
{
    PlaySong(8, 1, 0);
    platform_.clock().advance(9999);
    EXPECT_EQ(PlaySong(3, 1, 0), 1);
    EXPECT_FALSE(CurrentState().changePending);
    EXPECT_EQ(CurrentState().currentSong, 8);

    EXPECT_EQ(PlaySong(3, 1, 1), 1) << "forced: queued behind a fade";
    EXPECT_TRUE(CurrentState().changePending);
    EXPECT_EQ(CurrentState().pendingName, "oldqel02.mid");

    platform_.clock().advance(10000);
    EXPECT_EQ(PlaySong(4, 1, 0), 1) << "older than ten seconds: a later request replaces the pending one";
    EXPECT_EQ(CurrentState().pendingName, "oldqel03.mid");
    fadeOut();
    EXPECT_EQ(lastOpened(), "oldqel03.mid");
    EXPECT_EQ(midi.opened.size(), 2u);
}

TEST_F(MusicManagerTest, RequestsThatChangeNothing)
{
    EXPECT_EQ(PlaySong(49, 1, 1), 0);
    EXPECT_EQ(PlaySong(-1, 1, 1), 0);
    PlaySong(8, 1, 0);
    midi.finish();
    EXPECT_EQ(PlaySong(8, 1, 1), 1) << "the current number, even ended";
    EXPECT_EQ(midi.opened.size(), 1u);

    MusicManager::Enable(0);
    EXPECT_EQ(midi.closes, 1) << "off closes the song";
    EXPECT_EQ(PlaySong(2, 1, 1), 1);
    EXPECT_EQ(midi.opened.size(), 1u) << "music off plays nothing";

    MusicManager::Enable(1);
    midi.failOpen = true;
    EXPECT_EQ(PlaySong(2, 1, 1), 0) << "a song that cannot be opened fails";
    EXPECT_FALSE(CurrentState().open);

    midi.failOpen = false;
    ShuttingDown = 1;
    EXPECT_EQ(PlaySong(2, 1, 1), 0);
    ShuttingDown = 0;
}

TEST_F(MusicManagerTest, AFadeLowersTheVolumeByTenAnUpdateThenStartsThePendingSong)
{
    PlaySong(8, 1, 0);
    PlaySong(1, 1, 1);
    midi.volumes.clear();
    MusicManager::Update(); // the first update also polls: without a player it asks for nothing
    MusicManager::Update();
    EXPECT_EQ(midi.volumes, (std::vector<int>{245, 235}));
    for (int i = 0; i < 23; ++i)
        MusicManager::Update();
    EXPECT_EQ(midi.volumes.back(), 5);
    EXPECT_EQ(lastOpened(), "stones2.mid");
    MusicManager::Update(); // 255 - 260 < 0: over
    EXPECT_EQ(lastOpened(), "create1.mid");
    EXPECT_EQ(midi.volumes.back(), 255);
    EXPECT_FALSE(CurrentState().changePending);
    EXPECT_EQ(CurrentState().fadeAmount, 0);

    // At music volume 0 the first update ends the fade.
    MusicManager::SetVolume(0);
    platform_.clock().advance(10000);
    PlaySong(2, 1, 0);
    MusicManager::Update();
    EXPECT_EQ(lastOpened(), "dragflit.mid");
}

TEST_F(MusicManagerTest, WarModeTurnsToCombatMusicAtTheNextPollAndPeaceTurnsBack)
{
    placePlayer(false);
    MusicManager::Update(); // first poll: nothing plays, a peaceful song starts
    ASSERT_EQ(midi.opened.size(), 1u);
    const int peaceful = CurrentState().currentSong;
    EXPECT_LT(peaceful, 9);

    placePlayer(true);
    for (int i = 0; i < 35; ++i)
        MusicManager::Update();
    EXPECT_FALSE(CurrentState().changePending) << "no poll for 36 ticks";
    MusicManager::Update();
    const int combat = CurrentState().currentSong;
    EXPECT_GE(combat, 38);
    EXPECT_LE(combat, 40);
    EXPECT_TRUE(CurrentState().changePending) << "the peaceful song fades out first";
    fadeOut();
    EXPECT_EQ(lastOpened(), MusicManager::SongFile(combat));

    CombatMusic = 0; // the switch off counts as peace
    for (int i = 0; i < 36; ++i)
        MusicManager::Update();
    EXPECT_LT(CurrentState().currentSong, 9);
    fadeOut();
    EXPECT_EQ(lastOpened(), MusicManager::SongFile(CurrentState().currentSong));
}

TEST_F(MusicManagerTest, EverySongThatEndsIsFollowedByTheNextInSequence)
{
    // Without a player the whole table plays in order and wraps after 48.
    PlaySong(8, 1, 0);
    for (int i = 0; i < 50; ++i) {
        midi.finish();
        MusicManager::SongEnded();
    }
    EXPECT_EQ(endNotices, 50);
    ASSERT_EQ(midi.opened.size(), 51u);
    EXPECT_EQ(lastOpened(), "oldqel01.mid") << "0 .. 48, then 0 again";
    EXPECT_EQ(midi.opened[9].substr(midi.opened[9].find_last_of('/') + 1), "stones2.mid");
    EXPECT_TRUE(midi.playing);

    struct Case {
        bool atWar;
        int start;
        int wrapsTo;
    };
    for (const Case& c : {Case{false, 0, 0}, Case{true, 0, 38}}) {
        MusicManager::CMusicManager();
        placePlayer(c.atWar);
        const size_t before = midi.opened.size();
        for (int i = 0; i < 42; ++i) {
            midi.finish();
            MusicManager::SongEnded();
        }
        // In peace 0..8 go round; at war the sequence runs on to 40 and goes round 38..40.
        const int last = c.atWar ? 38 + (41 - 38) % 3 : 41 % 9;
        EXPECT_EQ(lastOpened(), MusicManager::SongFile(last)) << c.atWar;
        EXPECT_GT(midi.opened.size(), before);
    }
}

TEST_F(MusicManagerTest, AnEndNoticeAfterANewSongStartedLeavesItPlaying)
{
    PlaySong(8, 1, 0);
    midi.finish();
    platform_.clock().advance(20000);
    PlaySong(5, 1, 1); // started before the notice is handled
    const size_t opened = midi.opened.size();
    MusicManager::SongEnded();
    EXPECT_EQ(midi.opened.size(), opened);
    EXPECT_TRUE(midi.playing);
    EXPECT_EQ(CurrentState().currentSong, 5);
}

} // namespace
