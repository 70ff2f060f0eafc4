/** @file Tests of the application object: the game tick's passes, the speech rate limit, keep-alive, start-up. */
#include "client/core/app.h"

#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "tests/core/service_fakes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingSink final : public CPacketSink {
public:
    bool pastLogin = false;
    std::vector<std::vector<uint8_t>> sent;
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        sent.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return pastLogin; }
};

class GameTickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        platform_.clock().setTick(100000);
        platform_.clock().setWallTime(1000000);
        ResetGameTickState();
        TickHooks() = GameTickHooks{};
        TickHooks().drawFrame = [this] { ++draws_; };
        sharedFunctionHooks().sendUnicodeSpeech = [this](const WideChar* text, int32_t length, int) {
            spoken_.emplace_back(text, text + length); // the test lines are ASCII
        };
        SetMainConnection(&sink_);
        g_bInGame = false;
    }
    void TearDown() override
    {
        SetMainConnection(nullptr);
        TickHooks() = GameTickHooks{};
        sharedFunctionHooks() = SharedFunctionHooks{};
    }

    /** Moves the clock on by ms, then runs one tick. */
    void tickAfter(uint32_t ms, int skipDraw = 0)
    {
        platform_.clock().advance(ms);
        GameTick(skipDraw);
    }

    platform::ScopedPlatform platform_;
    testsupport::ScopedServiceFakes fakes_;
    RecordingSink sink_;
    int draws_ = 0;
    std::vector<std::string> spoken_;
};

TEST_F(GameTickTest, InterfaceAndWorldPassesKeepTheirOwnIntervals)
{
    tickAfter(80); // both passes
    EXPECT_EQ(fakes_.gumps.updates, 1);
    EXPECT_EQ(draws_, 1);

    tickAfter(40); // 40 ms after the world pass: interface only
    EXPECT_EQ(fakes_.gumps.updates, 2);
    EXPECT_EQ(draws_, 1);

    tickAfter(20); // 20 ms after the interface pass: nothing
    EXPECT_EQ(fakes_.gumps.updates, 2);
    EXPECT_EQ(draws_, 1);

    tickAfter(20, 1); // a world pass that does not draw still runs the rest of the pass
    EXPECT_EQ(fakes_.gumps.updates, 3);
    EXPECT_EQ(draws_, 1);
    EXPECT_EQ(fakes_.gumps.desktopQueueSteps, 2);
    EXPECT_EQ(GameTickCount, 4u);
}

TEST_F(GameTickTest, TheWorldPassStepsWalkMovementAndWeatherInOrderBeforeTheFrame)
{
    std::vector<std::string> order;
    TickHooks().stepAlongPath = [&] { order.push_back("path"); };
    TickHooks().updatePlayerWalk = [&] { order.push_back("walk"); };
    TickHooks().updateMovement = [&] { order.push_back("movement"); };
    TickHooks().weatherUpdate = [&] { order.push_back("weather"); };
    TickHooks().drawFrame = [&] { order.push_back("draw"); };
    tickAfter(80);
    tickAfter(40); // interface pass only
    EXPECT_EQ(order, (std::vector<std::string>{"path", "walk", "movement", "weather", "draw"}));
}

TEST_F(GameTickTest, OneInGameMinuteIsTwentySeconds)
{
    for (int i = 0; i < 20; ++i)
        tickAfter(1000);
    EXPECT_EQ(GameSecond, 0u);
    EXPECT_EQ(GameMinute, 1u);
    GameMinute = 59;
    GameHour = 23;
    for (int i = 0; i < 20; ++i)
        tickAfter(1000);
    EXPECT_EQ(GameMinute, 0u);
    EXPECT_EQ(GameHour, 0u);
}

TEST_F(GameTickTest, SpeechRateDecaysBySpamLimitPerSecond)
{
    SpamLimit = 10;
    SpeechRateCounter = 900;
    tickAfter(1000);
    EXPECT_EQ(SpeechRateCounter, 890);

    // Short world passes add up: 13 passes of 77 ms are one second's decay.
    for (int i = 0; i < 13; ++i)
        tickAfter(77);
    EXPECT_EQ(SpeechRateCounter, 880);

    SpeechRateCounter = 3;
    tickAfter(1000);
    EXPECT_EQ(SpeechRateCounter, 0);
}

TEST_F(GameTickTest, QueuedSpeechGoesOutOnceUnderTheLimit)
{
    SpamLimit = 10;
    SpeechRateCounter = 25;
    QueueSpeech("hello there", 11, 3);
    QueueSpeech("again", 99, 3); // a length past the end stops at the end
    EXPECT_FALSE(IsUnderSpamLimit());
    // (25 + 11 + 5 - 10) / 10
    EXPECT_EQ(SpeechQueuedNotice(), "[Spam detected, speech queued for 3 seconds]");

    tickAfter(1000); // 15: still held
    EXPECT_TRUE(spoken_.empty());
    tickAfter(1000); // 5: the first line goes and is counted (16), which holds the second
    EXPECT_EQ(spoken_, std::vector<std::string>{"hello there"});
    EXPECT_EQ(SpeechRateCounter, 16);
    EXPECT_EQ(QueuedSpeechLines(), 1u);
    tickAfter(1000); // 6: the second line goes
    EXPECT_EQ(spoken_, (std::vector<std::string>{"hello there", "again"}));
    EXPECT_EQ(SpeechRateCounter, 11);
    EXPECT_EQ(QueuedSpeechLines(), 0u);
}

TEST_F(GameTickTest, NoSpamLimitMeansNoRateLimitAndNoDivision)
{
    for (int32_t limit : {0, -5}) {
        SCOPED_TRACE(limit);
        SpamLimit = limit;
        SpeechRateCounter = 0;
        AddSpamCount(500);
        EXPECT_TRUE(IsUnderSpamLimit());
        QueueSpeech("queued before", 13, 3);
        EXPECT_EQ(SpeechQueuedNotice(), "");
        spoken_.clear();
        tickAfter(80);
        EXPECT_EQ(spoken_, std::vector<std::string>{"queued before"});
    }
}

TEST_F(GameTickTest, KeepAliveGoesOutAfterSixtySecondsPastTheLoginPhase)
{
    tickAfter(80);
    platform_.clock().setWallTime(platform_.clock().wallTime() + 120);
    tickAfter(80); // not connected past login: the keep-alive time follows the clock
    EXPECT_TRUE(sink_.sent.empty());

    sink_.pastLogin = true;
    platform_.clock().setWallTime(platform_.clock().wallTime() + 60);
    tickAfter(80); // exactly 60 s: not yet
    EXPECT_TRUE(sink_.sent.empty());
    platform_.clock().setWallTime(platform_.clock().wallTime() + 1);
    tickAfter(80);
    ASSERT_EQ(sink_.sent.size(), 1u);
    EXPECT_EQ(sink_.sent[0], (std::vector<uint8_t>{0x73, 0x00}));
    tickAfter(80);
    EXPECT_EQ(sink_.sent.size(), 1u);
}

TEST(AppHelpers, RandomBelowIsGuardedAndInRange)
{
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-3), 0);
    for (int i = 0; i < 100; ++i) {
        const int r = RandomBelow(7);
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 7);
    }
}

TEST(AppStartup, ReadsTheInstallPathAndProbesTheMapFiles)
{
    platform::ScopedPlatform platform;
    testsupport::ScopedServiceFakes services;
    testsupport::TempDir dir;
    const std::string install = dir.path().string() + "/";
    dir.write("client.exe", "");
    dir.write("MAP0.MUL", "x"); // found without regard to case, as the data readers find it
    dir.write("Map2.mul", "x");
    dir.write("map1.mul", "x"); // never probed: bit 1 follows map 0
    dir.write("kz.cfg", "SpamLimit=12\r\n");
    dir.write("speech.mul", std::string("\x00\x07\x00\x06*bank*", 10)); // keyword 7: "*bank*"

    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", install + "client.exe");
    ResetConfigStore();
    SetConfigFolder(install);
    FileManager::startup();

    CApp::startup();
    EXPECT_TRUE(CApp::Initialized());
    EXPECT_EQ(std::string(InstallPath), install);
    EXPECT_EQ(GetInstalledMapsMask(), 0b111u);
    EXPECT_EQ(TickInterval, 50u);
    EXPECT_EQ(SpamLimit, 12);
    EXPECT_EQ(std::string(BuildDataPath("music/intro.wve")), install + "music/intro.wve");
    EXPECT_EQ(services.macros.loads, 1);
    ASSERT_EQ(SpeechKeywords.size(), 1u);
    EXPECT_EQ(SpeechKeywords.begin()->first, "*bank*");
    EXPECT_EQ(SpeechKeywords.begin()->second, 7u);

    CApp::shutdown();
    EXPECT_FALSE(CApp::Initialized());
    EXPECT_EQ(services.macros.frees, 1);
    EXPECT_TRUE(SpeechKeywords.empty());
    FileManager::shutdown();
    SetConfigFolder("");
}

TEST(AppStartup, MissingInstallKeyShowsTheReinstallBoxAndGoesOnWithoutConfiguration)
{
    platform::ScopedPlatform platform;
    platform::RecordingMessageBoxSink boxes;
    platform::ScopedMessageBoxSink scoped(boxes);
    ResetConfigStore();
    CApp::startup();
    EXPECT_FALSE(CApp::Initialized());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "ERROR");
    EXPECT_NE(boxes.boxes()[0].text.find("does not appear to be installed correctly"), std::string::npos);
}

} // namespace
