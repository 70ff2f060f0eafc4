/** @file Rain and snow in the game screen: particle gumps made, moved by the game tick, drawn from their art, and deleted when the weather stops. */
#include "client/gumps/game/weather_display.h"

#include "client/core/app.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/net/game_handlers.h"
#include "client/world/weather_manager.h"
#include "platform/random/random.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using testsupport::GumpHarness;
using testsupport::TestImage;

constexpr uint16_t kFlakeColour = 0x7BDE;

class WeatherDisplayTest : public ::testing::Test {
protected:
    void start(bool snowArt)
    {
        if (snowArt) {
            harness.addGumpArt(CWeatherParticleGump::kSnowArt, TestImage::solid(3, 3, kFlakeColour));
            harness.addGumpArt(CWeatherParticleGump::kSnowPresentArt, TestImage::solid(3, 3, 0x1234));
        }
        harness.start();
        WeatherManager::SetRandom(&random);
        WeatherManager::startup();
        InstallWeatherDisplay(true);
    }
    void TearDown() override
    {
        InstallWeatherDisplay(false);
        WeatherManager::SetRandom(nullptr);
    }

    static std::vector<CWeatherParticleGump*> particleGumps()
    {
        std::vector<CWeatherParticleGump*> out;
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (auto* p = dynamic_cast<CWeatherParticleGump*>(g); p != nullptr && !p->closing)
                out.push_back(p);
        return out;
    }
    /** Every live particle of the weather sits where its gump is, inside the play window. */
    static void expectGumpsFollowTheTable()
    {
        size_t live = 0;
        for (const WeatherParticle& p : WeatherManager::State().particles) {
            if (p.handle < 0)
                continue;
            ++live;
            bool found = false;
            for (CWeatherParticleGump* g : particleGumps())
                if (g->handle == p.handle) {
                    found = true;
                    EXPECT_EQ(g->x, p.x);
                    EXPECT_EQ(g->y, p.y);
                    EXPECT_EQ(g->width, 3);
                    EXPECT_EQ(g->height, 3);
                }
            EXPECT_TRUE(found) << "particle " << p.handle << " has no gump";
        }
        EXPECT_EQ(live, particleGumps().size());
    }
    /** One world pass of the game tick. */
    void worldPass()
    {
        harness.clock().advance(80);
        GameTick(1);
    }

    GumpHarness harness;
    platform::Random random{7};
};

TEST_F(WeatherDisplayTest, RainDropsAreGumpsInThePlayWindowThatTheGameTickMoves)
{
    start(false);
    const uint8_t rain[] = {0x65, 0, 40, 20};
    HandleWeather(rain, sizeof rain);
    ASSERT_EQ(particleGumps().size(), 23u);
    EXPECT_EQ(CGumpManager::First(), particleGumps().front()) << "at the front of the list";
    expectGumpsFollowTheTable();
    for (CWeatherParticleGump* g : particleGumps()) {
        EXPECT_GE(g->x, 0);
        EXPECT_LT(g->x, 640);
        EXPECT_GE(g->y, 0);
        EXPECT_LT(g->y, 480);
    }

    // A drop is a visible streak over the world.
    CWeatherParticleGump* drop = particleGumps().back();
    harness.fillWorld(0);
    harness.drawFrame();
    EXPECT_NE(harness.framePixel(drop->x + 2, drop->y), 0);
    EXPECT_NE(harness.framePixel(drop->x, drop->y + 2), 0);

    std::vector<std::pair<int, int>> before;
    for (CWeatherParticleGump* g : particleGumps())
        before.emplace_back(g->x, g->y);
    worldPass();
    EXPECT_EQ(particleGumps().size(), 24u) << "one more drop toward the target each pass";
    expectGumpsFollowTheTable();
    int moved = 0;
    for (const auto& [x, y] : before)
        for (CWeatherParticleGump* g : particleGumps())
            moved += g->x == x - 16 && g->y == y + 16;
    EXPECT_GT(moved, 0) << "drops fall 16 left and 16 down per pass";
    for (int i = 0; i < 20; ++i)
        worldPass();
    EXPECT_EQ(particleGumps().size(), 40u);
    expectGumpsFollowTheTable();

    InstallWeatherDisplay(false);
    EXPECT_TRUE(particleGumps().empty()) << "taking the display back stops the weather";
    EXPECT_FALSE(TickHooks().weatherUpdate);
}

TEST_F(WeatherDisplayTest, NoSnowFallsWithoutItsArt)
{
    start(false);
    WeatherManager::HandleWeather(2, 10, 0);
    EXPECT_TRUE(particleGumps().empty());
}

TEST_F(WeatherDisplayTest, SnowFlakesAreDrawnFromTheirArtAfterEveryRebirth)
{
    start(true);
    WeatherManager::HandleWeather(2, 10, 0);
    ASSERT_EQ(particleGumps().size(), 10u);
    for (int i = 0; i < 90; ++i)
        worldPass();
    expectGumpsFollowTheTable();
    harness.fillWorld(0);
    harness.drawFrame();
    for (CWeatherParticleGump* g : particleGumps())
        EXPECT_EQ(harness.framePixel(g->x + 1, g->y + 1), kFlakeColour);
}

TEST_F(WeatherDisplayTest, StoppingDeletesEveryParticleGumpAndAClosedOneLeavesTheTable)
{
    start(true);
    WeatherManager::HandleWeather(2, 30, 0);
    ASSERT_EQ(particleGumps().size(), 30u);

    // A flake's gump closed by someone else (the list emptied at logout) frees its slot.
    CGumpManager::DestroyGump(particleGumps().front());
    worldPass();
    EXPECT_EQ(WeatherManager::State().live, 29) << "its slot is free";
    worldPass();
    EXPECT_EQ(WeatherManager::State().live, 30) << "and refilled toward the target";
    expectGumpsFollowTheTable();

    WeatherManager::HandleWeather(255, 0, 0);
    EXPECT_TRUE(particleGumps().empty());
    EXPECT_EQ(WeatherManager::State().live, 0);

    WeatherManager::HandleWeather(0, 10, 0);
    ASSERT_EQ(particleGumps().size(), 23u);
    WeatherManager::Stop();
    EXPECT_TRUE(particleGumps().empty());
    worldPass();
    EXPECT_TRUE(particleGumps().empty());
}

TEST_F(WeatherDisplayTest, LeavingTheWorldStopsTheWeather)
{
    start(true);
    WeatherManager::HandleWeather(0, 40, 0);
    // The logout: out of the world, the world's gumps closed.
    g_bInGame = false;
    CGumpManager::CloseWorldGumps();
    for (int i = 0; i < 5; ++i)
        worldPass();
    EXPECT_EQ(WeatherManager::State().state, WeatherState::kNone);
    EXPECT_TRUE(particleGumps().empty()) << "no rain over the menus";
}

} // namespace
