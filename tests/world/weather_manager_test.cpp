/** @file Tests of the weather: starting, changing, fading and stopping rain and snow, storms and particles, frame by frame. */
#include "client/world/weather_manager.h"

#include "client/core/config_store.h"
#include "client/core/effect_services.h"
#include "platform/random/random.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct Sound {
    int32_t id, x, y;
    int32_t frame;
};

/** Records what the weather shows and plays, and the lightning it asks of the effects; particles are kept by handle. */
class FakeWeatherServices : public WeatherServices, public EffectServices {
public:
    struct Particle {
        bool snow;
        int32_t x, y;
        bool inList = true;
        int32_t redraws = 0;
    };
    void AddSystemMessage(const char* text, uint16_t hue, int32_t font) override
    {
        messages.push_back(text);
        EXPECT_EQ(hue, 0);
        EXPECT_EQ(font, 3);
    }
    void PlaySound(int32_t id) override { sounds.push_back({id, -1, -1, frame}); }
    void PlaySoundAt(int32_t id, int32_t x, int32_t y, float) override { sounds.push_back({id, x, y, frame}); }
    WeatherRect PlayWindow() override { return {10, 20, 640, 480}; }
    bool HasSnowArt() override { return snowArt; }
    int32_t CreateParticle(bool snow, int32_t x, int32_t y) override
    {
        particles[next] = {snow, x, y};
        return next++;
    }
    bool ParticleInList(int32_t h) override { return particles.count(h) != 0 && particles[h].inList; }
    void MoveParticle(int32_t h, int32_t x, int32_t y) override
    {
        particles.at(h).x = x;
        particles.at(h).y = y;
    }
    void RedrawSnowPicture(int32_t h) override { ++particles.at(h).redraws; }
    void DeleteParticle(int32_t h) override { ASSERT_EQ(particles.erase(h), 1u) << "deleted twice"; }
    void InitWeatherParticle(int32_t x, int32_t y, int32_t z) override
    {
        EXPECT_EQ(z, 0);
        strikes.push_back({0, x, y, frame});
    }

    int32_t count(bool snow) const
    {
        int32_t n = 0;
        for (const auto& [h, p] : particles) n += p.snow == snow;
        return n;
    }

    bool snowArt = true;
    int32_t next = 1;
    int32_t frame = 0;
    std::map<int32_t, Particle> particles;
    std::vector<std::string> messages;
    std::vector<Sound> sounds;
    std::vector<Sound> strikes;
};

class Weather : public ::testing::Test {
protected:
    void SetUp() override
    {
        WeatherManager::SetServices(&fake);
        SetEffectServices(&fake);
        WeatherManager::SetRandom(&random);
        WeatherManager::startup();
    }
    void TearDown() override
    {
        WeatherManager::Stop();
        WeatherManager::SetServices(nullptr);
        SetEffectServices(nullptr);
        WeatherManager::SetRandom(nullptr);
        FilterWeather = 0;
    }
    void frames(int32_t n)
    {
        for (int32_t i = 0; i < n; ++i) {
            ++fake.frame;
            WeatherManager::Update();
        }
    }
    const WeatherState& state() const { return WeatherManager::State(); }

    FakeWeatherServices fake;
    platform::Random random{12345};
};

TEST_F(Weather, RainStartsWith23DropsAndMovesTowardTheTarget)
{
    WeatherManager::HandleWeather(0, 5, 60);
    EXPECT_EQ(fake.messages, std::vector<std::string>{"It begins to rain."});
    EXPECT_EQ(state().state, WeatherState::kRain);
    EXPECT_EQ(fake.count(false), 23) << "whatever the count";
    EXPECT_EQ(state().remembered, 23);
    EXPECT_EQ(state().target, 5);
    for (const auto& [h, p] : fake.particles) {
        EXPECT_GE(p.x, 10);
        EXPECT_LT(p.x, 650);
        EXPECT_GE(p.y, 20);
        EXPECT_LT(p.y, 500);
    }
    frames(18);
    EXPECT_EQ(state().live, 5) << "one drop less per frame down to the target";
    EXPECT_EQ(static_cast<int32_t>(fake.particles.size()), 5);

    // Weather running: a larger count adds the difference to the remembered count.
    WeatherManager::HandleWeather(0, 100, 60);
    EXPECT_EQ(state().target, 70) << "a count of 100 is taken as 70";
    EXPECT_EQ(state().remembered, 70);
    EXPECT_EQ(state().live, 5 + 47);
    WeatherManager::HandleWeather(0, 60, 60);
    EXPECT_EQ(state().live, 42) << "the first ten of the table go";
}

TEST_F(Weather, RainFadesOutAfterTwelvePeriods)
{
    WeatherManager::HandleWeather(0, 23, 60);
    frames(11 * WeatherManager::kFadePeriod);
    EXPECT_EQ(state().remembered, 1);
    EXPECT_EQ(state().state, WeatherState::kRain);
    frames(WeatherManager::kFadePeriod - 1);
    EXPECT_EQ(state().state, WeatherState::kRain);
    frames(1);
    EXPECT_EQ(state().state, WeatherState::kNone);
    EXPECT_FALSE(fake.particles.empty()) << "the particles go in the next frame";
    frames(1);
    EXPECT_TRUE(fake.particles.empty());
    EXPECT_EQ(state().live, 0);
}

TEST_F(Weather, StormsStrikeAndThunderOnlyOnTheirFrames)
{
    WeatherManager::HandleWeather(1, 10, 60);
    EXPECT_EQ(fake.messages, std::vector<std::string>{"A fierce storm approaches."});
    ASSERT_EQ(fake.sounds.size(), 1u);
    EXPECT_EQ(fake.sounds[0].id, 40);
    EXPECT_EQ(fake.count(false), 10);
    // Keep it raining: a packet resets the fade each time.
    for (int i = 0; i < 30; ++i) {
        frames(WeatherManager::kStormPeriod * 3);
        WeatherManager::HandleWeather(1, 10, 60);
    }
    int thunder = 0;
    for (const Sound& s : fake.sounds) {
        if (s.frame == 0) continue;
        EXPECT_EQ(s.frame % WeatherManager::kStormPeriod, 0) << "frame " << s.frame;
        EXPECT_TRUE(s.id == 40 || s.id == 41) << s.id;
        EXPECT_GE(s.x, 22);
        EXPECT_LT(s.x, 52);
        EXPECT_EQ(s.y, 103);
        thunder += s.id == 40;
    }
    EXPECT_GT(thunder, 0);
    ASSERT_FALSE(fake.strikes.empty());
    for (const Sound& s : fake.strikes) {
        EXPECT_EQ(s.frame % WeatherManager::kStormPeriod, 0);
        EXPECT_GE(s.x, 22);
        EXPECT_LT(s.x, 52);
        EXPECT_EQ(s.y, 103);
    }
    // Type 3 while weather runs strikes at once.
    const size_t strikes = fake.strikes.size();
    WeatherManager::HandleWeather(3, 10, 60);
    EXPECT_EQ(fake.strikes.size(), strikes + 1);
}

TEST_F(Weather, SnowNeedsItsArtAndDrifts)
{
    fake.snowArt = false;
    WeatherManager::HandleWeather(2, 8, 20);
    EXPECT_EQ(fake.messages, std::vector<std::string>{"It begins to snow."});
    ASSERT_EQ(fake.sounds.size(), 1u);
    EXPECT_EQ(fake.sounds[0].id, 22);
    EXPECT_EQ(state().state, WeatherState::kSnow);
    EXPECT_TRUE(fake.particles.empty()) << "no flakes without gump art 6001";
    fake.snowArt = true;
    frames(8);
    EXPECT_EQ(fake.count(true), 8);
    for (const WeatherParticle& p : state().particles) {
        if (p.handle < 0) continue;
        EXPECT_GE(p.life, 40 - 8);
        EXPECT_LT(p.life, 80);
    }
    frames(200);
    int redraws = 0;
    for (const auto& [h, p] : fake.particles) redraws += p.redraws;
    EXPECT_GT(redraws, 0) << "flakes are reborn with their picture drawn again";
}

TEST_F(Weather, Type254StoresSeasonOnlyAndTheFilterIgnoresEverything)
{
    WeatherManager::HandleWeather(254, 3, 40);
    EXPECT_EQ(state().state, WeatherState::kNone);
    EXPECT_EQ(state().season, 3);
    EXPECT_EQ(state().temperature, 40);
    WeatherManager::HandleWeather(0, 10, 60);
    WeatherManager::HandleWeather(254, 1, 50);
    EXPECT_EQ(state().state, WeatherState::kRain);
    EXPECT_EQ(state().live, 23);

    WeatherManager::Stop();
    FilterWeather = 1;
    WeatherManager::HandleWeather(0, 10, 60);
    EXPECT_EQ(state().state, WeatherState::kNone);
    EXPECT_TRUE(fake.particles.empty());
}

TEST_F(Weather, StoppingAndLostGumpsEmptyTheTable)
{
    WeatherManager::HandleWeather(0, 23, 60);
    fake.particles.begin()->second.inList = false; // closed with the gump list
    frames(1);
    EXPECT_EQ(state().live, 22) << "its slot is free";
    frames(1);
    EXPECT_EQ(state().live, 23) << "and the next frame refills toward the target";
    WeatherManager::Shift(5, -3);
    const WeatherParticle* first = nullptr;
    for (const WeatherParticle& p : state().particles)
        if (p.handle >= 0 && first == nullptr) first = &p;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(fake.particles.at(first->handle).x, first->x);

    WeatherManager::HandleWeather(255, 0, 0);
    EXPECT_EQ(state().state, WeatherState::kNone);
    EXPECT_EQ(state().live, 0);
    EXPECT_EQ(fake.particles.size(), 1u) << "only the particle whose gump had already gone is left to its owner";

    // A stop that comes with a count makes no particles for the stopped weather.
    WeatherManager::HandleWeather(2, 10, 0);
    WeatherManager::HandleWeather(255, 70, 0);
    EXPECT_EQ(state().live, 0);
    EXPECT_EQ(fake.particles.size(), 1u);
}

} // namespace
