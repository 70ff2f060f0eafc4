/** @file Rain and snow over the game area from the server's weather packet: particles, storms, gusts and the fade-out. */
#pragma once

#include <array>
#include <cstdint>

namespace platform {
class Random;
}

/** A screen rectangle: the play window the particles live in. */
struct WeatherRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

/**
 * What the weather asks of the gumps, the text manager and the sound manager above it. The
 * program installs one at start-up; until then the weather shows and plays nothing (particles
 * are not made). Main thread only.
 */
class WeatherServices {
public:
    virtual ~WeatherServices() = default;
    /** A system message (hue 0, font 3 for the weather's own). */
    virtual void AddSystemMessage(const char* /*text*/, uint16_t /*hue*/, int32_t /*font*/) {}
    virtual void PlaySound(int32_t /*id*/) {}
    virtual void PlaySoundAt(int32_t /*id*/, int32_t /*x*/, int32_t /*y*/, float /*volume*/) {}
    virtual WeatherRect PlayWindow() { return {}; }
    /** True when gump art 6001 exists (snow flakes are made only then). */
    virtual bool HasSnowArt() { return false; }
    /** A 3 x 3 picture gump at (x, y) linked at the front of the top-level list; a handle, or -1. */
    virtual int32_t CreateParticle(bool /*snow*/, int32_t /*x*/, int32_t /*y*/) { return -1; }
    /** False once the particle's gump has left the top-level list. */
    virtual bool ParticleInList(int32_t /*handle*/) { return false; }
    virtual void MoveParticle(int32_t /*handle*/, int32_t /*x*/, int32_t /*y*/) {}
    /** A reborn flake's picture drawn again from gump art 6000. */
    virtual void RedrawSnowPicture(int32_t /*handle*/) {}
    virtual void DeleteParticle(int32_t /*handle*/) {}
};

/** One rain drop or snow flake; a slot of the table is free while its handle is -1. */
struct WeatherParticle {
    int32_t handle = -1;
    int32_t x = 0, y = 0;
    int32_t dx = 0, dy = 0;
    int32_t life = 0;
};

struct WeatherState {
    static constexpr uint8_t kNone = 255, kRain = 0, kSnow = 2;
    static constexpr int32_t kMaxParticles = 70;

    uint8_t state = kNone;
    int32_t season = 0;
    int32_t temperature = 72;
    int32_t target = 0;
    int32_t remembered = 0;
    int32_t live = 0;
    std::array<WeatherParticle, kMaxParticles> particles{};
    int32_t fadeCounter = 0;
    int32_t stormCounter = 0;
    bool gustActive = false;
    int32_t gustLimit = 0;
    int32_t wind = 0;
    int32_t windStep = 0;
    int32_t gustDuration = 0;
    int32_t gustFrame = 0;
};

namespace WeatherManager {

/** Frames between two fade steps, and between two storm draws. */
inline constexpr int32_t kFadePeriod = 360;
inline constexpr int32_t kStormPeriod = 90;
inline constexpr int32_t kRainStartDrops = 23;

void SetServices(WeatherServices* services);
/** The random source of the weather (the shared generator until set; null puts it back). */
void SetRandom(platform::Random* random);

void startup();
/** Packet 0x65: type, count, temperature. */
void HandleWeather(int32_t type, int32_t count, int32_t temperature);
/** One frame. */
void Update();
/** No weather: every particle deleted. */
void Stop();
/** Moves every particle by the view's scroll step. */
void Shift(int32_t dx, int32_t dy);

const WeatherState& State();

} // namespace WeatherManager
