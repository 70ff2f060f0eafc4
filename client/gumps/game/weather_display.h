/** @file The weather shown over the game area: rain drops and snow flakes as picture gumps, the weather's system messages and sounds, and its step in the game tick. */
#pragma once

#include "client/gumps/framework/message_gumps.h"

#include <cstdint>
#include <functional>

/**
 * One rain drop or snow flake: a 3 x 3 picture at the front of the top-level gump list, placed
 * in the play window (it moves with the game area). The display keeps it by handle and forgets
 * it when the gump goes, whoever deletes it.
 */
class CWeatherParticleGump final : public CDumbGump {
public:
    static constexpr int kSize = 3;
    /** The flake's picture; art 6001 must exist for snow to fall at all. */
    static constexpr int kSnowArt = 6000;
    static constexpr int kSnowPresentArt = 6001;

    CWeatherParticleGump(int32_t handle, bool snow, int x, int y);
    ~CWeatherParticleGump() override;

    int IsGameAreaRelative() override { return 1; }
    /** Draws the flake's picture from its gump art again. */
    void RedrawSnow();

    const int32_t handle;
};

/**
 * Where the weather's sounds go. The sound manager lives above the windows, so the program sets
 * these at start-up; while empty the weather plays nothing.
 */
struct WeatherSoundHooks {
    std::function<void(int32_t sound)> play;
    /** Volume: a factor of the sound's full volume. */
    std::function<void(int32_t sound, int32_t x, int32_t y, float volume)> playAt;
};
WeatherSoundHooks& weatherSoundHooks();

/**
 * Installs (true) the weather's services (particles, system messages, sounds, play window) and
 * its update in the world pass of the game tick; false stops the weather, deleting its gumps,
 * and takes both back. Main thread only.
 */
void InstallWeatherDisplay(bool on);
