/** @file Tests of the intro movie: music and the software cursor are off while it plays and come back as they were. */
#include "client/core/display_mode.h"

#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/main_window.h"
#include "platform/platform.h"
#include "platform/window/null_window.h"
#include "tests/core/service_fakes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

/** Notes what the player found when it was asked to play. */
class WatchingMoviePlayer final : public MoviePlayerServices {
public:
    explicit WatchingMoviePlayer(testsupport::ScopedServiceFakes& fakes) : fakes_(fakes) {}
    void PlayMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        hookGiven = static_cast<bool>(windowHook);
        played.push_back(path);
        musicDuringPlay = fakes_.music.IsEnabled();
        cursorDuringPlay = fakes_.mouse.softwareCursor();
        introFlagDuringPlay = IntroPlaying;
    }

    std::vector<std::string> played;
    bool hookGiven = false;
    bool musicDuringPlay = true;
    int cursorDuringPlay = -1;
    uint8_t introFlagDuringPlay = 0;

private:
    testsupport::ScopedServiceFakes& fakes_;
};

class IntroMovieTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        install_ = dir_.path().string() + "/";
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", install_ + "client.exe");
        SetConfigFolder(install_);
        FileManager::startup();
        SetMoviePlayer(&player_);
        ASSERT_TRUE(CreateMainWindow(window_));
    }
    void TearDown() override
    {
        ReleaseMainWindow();
        SetMoviePlayer(nullptr);
        FileManager::shutdown();
        SetConfigFolder("");
    }

    testsupport::ScopedServiceFakes fakes_;
    WatchingMoviePlayer player_{fakes_};
    platform::ScopedPlatform platform_;
    testsupport::TempDir dir_;
    platform::NullWindow window_;
    std::string install_;
};

TEST_F(IntroMovieTest, PlaysWithMusicAndTheSoftwareCursorOffThenRestoresBoth)
{
    dir_.write("music/intro.wve", "movie");
    struct Case {
        const char* name;
        bool musicBefore;
    } const cases[] = {{"music on", true}, {"music off", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes_.music.enabled = c.musicBefore;
        player_.played.clear();
        PlayIntroMovie();
        ASSERT_EQ(player_.played, std::vector<std::string>{install_ + "music/intro.wve"});
        EXPECT_FALSE(player_.musicDuringPlay);
        EXPECT_EQ(player_.cursorDuringPlay, 0);
        EXPECT_EQ(player_.introFlagDuringPlay, 1);
        EXPECT_TRUE(player_.hookGiven);
        EXPECT_EQ(fakes_.music.enabled, c.musicBefore);
        EXPECT_EQ(fakes_.mouse.softwareCursor(), 1);
        EXPECT_EQ(IntroPlaying, 0);
    }
}

TEST_F(IntroMovieTest, NothingHappensWithoutAMovieOrAVisibleWindow)
{
    fakes_.music.enabled = true;
    PlayIntroMovie(); // no movie file
    dir_.write("music/intro.wve", "movie");
    window_.setVisible(false);
    PlayIntroMovie(); // minimised
    EXPECT_TRUE(player_.played.empty());
    EXPECT_TRUE(fakes_.music.enabled);
}

TEST_F(IntroMovieTest, TheMovieIsFoundWithoutRegardToLetterCase)
{
    dir_.write("Music/INTRO.WVE", "movie");
    PlayIntroMovie();
    EXPECT_EQ(player_.played, std::vector<std::string>{install_ + "Music/INTRO.WVE"});
}

TEST_F(IntroMovieTest, AFirstLaunchPlaysTheIntroOnceAndWritesTheSwitchBack)
{
    dir_.write("music/intro.wve", "movie");
    struct Case {
        const char* name;
        uint8_t showIntro, firstLaunch;
        bool plays;
        const char* kzCfgAfter;
    } const cases[] = {
        {"neither switch", 0, 0, false, "ClientFirstLaunch=yes\r\n"},
        {"ShowIntroAnim alone", 1, 0, true, "ClientFirstLaunch=yes\r\n"},
        {"first launch", 0, 1, true, "ClientFirstLaunch=no\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir_.write("kz.cfg", "ClientFirstLaunch=yes\r\n");
        ShowIntroAnim = c.showIntro;
        ClientFirstLaunch = c.firstLaunch;
        player_.played.clear();
        PlayStartupIntro();
        EXPECT_EQ(player_.played.size(), c.plays ? 1u : 0u);
        EXPECT_EQ(dir_.read("kz.cfg"), c.kzCfgAfter);
    }
}

} // namespace
