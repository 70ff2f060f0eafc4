/** @file Rain and snow over the game area. */
#include "client/world/weather_manager.h"

#include "client/core/config_store.h"
#include "client/core/effect_services.h"
#include "client/core/kz_report.h"
#include "client/world/world_random.h"


#include <algorithm>

namespace {

WeatherServices g_nullServices;
WeatherServices* g_services = &g_nullServices;
platform::Random* g_random = nullptr;
WeatherState g;

constexpr int32_t kThunderSound = 40;
constexpr int32_t kLightningSound = 41;
constexpr int32_t kSnowStartSound = 22;
constexpr int32_t kGustChance = 25000;

int32_t randomBelow(int32_t n)
{
    return RandomBelow(g_random, n);
}

/** Storm effects happen at a random point near the top left of the view. */
void effectPosition(int32_t& x, int32_t& y)
{
    x = 22 + randomBelow(30);
    y = 103;
}

void thunder()
{
    int32_t x, y;
    effectPosition(x, y);
    g_services->PlaySoundAt(kThunderSound, x, y, 1.0f);
}

/** The flash is an effect at that point taken as a map position (z 0), where its sound plays too. */
void lightning()
{
    int32_t x, y;
    effectPosition(x, y);
    effectServices().InitWeatherParticle(x, y, 0);
    g_services->PlaySoundAt(kLightningSound, x, y, 1.0f);
}

void windSound()
{
    int32_t x, y;
    effectPosition(x, y);
    g_services->PlaySoundAt(20 + randomBelow(3), x, y, 1.0f);
}

void newValues(WeatherParticle& p, bool snow)
{
    if (snow) {
        p.dx = 2 + randomBelow(4);
        p.dy = 2 + randomBelow(4);
        p.life = 40 + randomBelow(40);
    } else {
        p.dx = p.dy = 16;
        p.life = 10 + randomBelow(10);
    }
}

void randomPosition(WeatherParticle& p)
{
    const WeatherRect w = g_services->PlayWindow();
    p.x = w.left + randomBelow(w.width);
    p.y = w.top + randomBelow(w.height);
}

void addParticle(bool snow)
{
    if (g.remembered > WeatherState::kMaxParticles) return;
    if (snow && !g_services->HasSnowArt()) return;
    auto slot = std::find_if(g.particles.begin(), g.particles.end(),
                             [](const WeatherParticle& p) { return p.handle < 0; });
    if (slot == g.particles.end()) return;
    WeatherParticle p;
    newValues(p, snow);
    randomPosition(p);
    p.handle = g_services->CreateParticle(snow, p.x, p.y);
    if (p.handle < 0) return;
    *slot = p;
    ++g.live;
}

void deleteParticle(WeatherParticle& p)
{
    if (p.handle < 0) return;
    g_services->DeleteParticle(p.handle);
    p = WeatherParticle{};
    --g.live;
}

void deleteFirstParticles(int32_t n)
{
    for (WeatherParticle& p : g.particles) {
        if (n <= 0) return;
        if (p.handle < 0) continue;
        deleteParticle(p);
        --n;
    }
}

void deleteAllParticles()
{
    for (WeatherParticle& p : g.particles) deleteParticle(p);
    g.live = 0;
}

void stepGust()
{
    if (g.state != WeatherState::kSnow) {
        g.wind = 0;
        return;
    }
    if (!g.gustActive) return;
    ++g.gustFrame;
    if (g.gustFrame % 100 == 0) g.wind = std::clamp(g.wind + g.windStep, 0, g.gustLimit);
    if (g.gustFrame == g.gustDuration / 2) g.windStep = -g.windStep;
    if (g.gustFrame >= g.gustDuration) {
        g.gustActive = false;
        g.wind = 0;
    }
}

void maybeStartGust()
{
    if (g.state != WeatherState::kSnow || g.gustActive || randomBelow(kGustChance) != 0) return;
    g.gustActive = true;
    g.gustLimit = randomBelow(10);
    g.wind = 0;
    g.windStep = 2;
    g.gustDuration = 15000 + randomBelow(500);
    g.gustFrame = 0;
    windSound();
}

bool outside(const WeatherParticle& p, const WeatherRect& w)
{
    return p.x < w.left || p.y < w.top || p.x >= w.left + w.width || p.y >= w.top + w.height;
}

void moveParticles()
{
    const bool snow = g.state == WeatherState::kSnow;
    const WeatherRect window = g_services->PlayWindow();
    for (WeatherParticle& p : g.particles) {
        if (p.handle < 0) continue;
        if (!g_services->ParticleInList(p.handle)) {
            // Its gump went away with the gump list: the slot is free again.
            p = WeatherParticle{};
            --g.live;
            continue;
        }
        maybeStartGust();
        p.life -= 1;
        p.x -= p.dx;
        p.y += p.dy;
        p.x -= g.wind;
        if (snow && randomBelow(10) == 0) p.dx -= randomBelow(2);
        if (p.life <= 0 || outside(p, window)) {
            newValues(p, snow);
            randomPosition(p);
            if (snow) g_services->RedrawSnowPicture(p.handle);
        }
        g_services->MoveParticle(p.handle, p.x, p.y);
    }
}

} // namespace

namespace WeatherManager {

void SetServices(WeatherServices* services)
{
    g_services = services != nullptr ? services : &g_nullServices;
}

void SetRandom(platform::Random* generator)
{
    g_random = generator;
}

void startup()
{
    KZReport::message("WeatherManager::startup: begin.\n");
    g = WeatherState{};
}

void HandleWeather(int32_t type, int32_t count, int32_t temperature)
{
    if (FilterWeather) return;
    g.fadeCounter = 0;
    g.stormCounter = 0;
    if (type == 254) {
        g.season = count;
        g.temperature = temperature;
        return;
    }
    count = std::clamp(count, 0, WeatherState::kMaxParticles);
    g.target = count;
    if (g.state == WeatherState::kNone) {
        switch (type) {
        case 0:
            g_services->AddSystemMessage("It begins to rain.", 0, 3);
            g.state = WeatherState::kRain;
            g.remembered = kRainStartDrops;
            for (int32_t i = 0; i < kRainStartDrops; ++i) addParticle(false);
            break;
        case 1:
            g_services->AddSystemMessage("A fierce storm approaches.", 0, 3);
            thunder();
            g.state = WeatherState::kRain;
            for (int32_t i = 0; i < count; ++i) addParticle(false);
            break;
        case 2:
            g_services->AddSystemMessage("It begins to snow.", 0, 3);
            g_services->PlaySound(kSnowStartSound);
            g.state = WeatherState::kSnow;
            for (int32_t i = 0; i < count; ++i) addParticle(true);
            break;
        case 3:
            g_services->AddSystemMessage("A storm is brewing.", 0, 3);
            thunder();
            break;
        default:
            break;
        }
        return;
    }
    if (type == 3) lightning();
    if (type == 255) {
        // Stopped weather makes no new particles, whatever count came with the stop.
        Stop();
        g.remembered = count;
        return;
    }
    if (count > g.remembered) {
        for (int32_t i = g.remembered; i < count; ++i) addParticle(type != 0);
    } else {
        deleteFirstParticles(g.remembered - count);
    }
    g.remembered = count;
}

void Update()
{
    if (g.state == WeatherState::kNone) {
        deleteAllParticles();
        return;
    }
    const bool snow = g.state == WeatherState::kSnow;
    if (g.live < g.target) {
        addParticle(snow);
    } else if (g.live > g.target) {
        deleteFirstParticles(1);
    }
    if (++g.fadeCounter >= kFadePeriod) {
        g.fadeCounter = 0;
        g.remembered -= 2;
        if (g.remembered <= 0) g.state = WeatherState::kNone;
    }
    if (++g.stormCounter >= kStormPeriod) {
        g.stormCounter = 0;
        if (g.state == WeatherState::kRain) {
            const int32_t r = randomBelow(100);
            if (r < 20) lightning();
            if (r > 90) thunder();
        }
    }
    stepGust();
    moveParticles();
}

void Stop()
{
    g.state = WeatherState::kNone;
    deleteAllParticles();
}

void Shift(int32_t dx, int32_t dy)
{
    for (WeatherParticle& p : g.particles) {
        if (p.handle < 0) continue;
        p.x += dx;
        p.y += dy;
        g_services->MoveParticle(p.handle, p.x, p.y);
    }
}

const WeatherState& State()
{
    return g;
}

} // namespace WeatherManager
