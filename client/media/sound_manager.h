/** @file Sound effects: eight streamed channels, sounds placed in the world, and the looping background sound with its fades. */
#pragma once

#include "client/core/media_services.h"
#include "client/data/map_manager.h"
#include "client/world/world_services.h"
#include "platform/audio/audio.h"

#include <cstdint>

class CStreamBuf;

/**
 * Shows an audio failure in a box captioned "DirectSound Error": the message, a blank, the
 * name of the result, a blank and the extra text. The program carries on.
 */
void ReportDirectSoundError(const char* message, platform::AudioResult result, const char* extra);
/** "(DSERR_GENERIC)" and the like; empty for a result without a name. */
const char* DirectSoundErrorName(platform::AudioResult result);

// Every call is for the main thread. Without a device (none opened, or the null audio of the
// tests) every play request fails quietly.
namespace SoundManager {

inline constexpr int kChannels = 8;
inline constexpr int kSoundCount = 1146;
inline constexpr int32_t kQuietest = -2500;
/** The loudest level a looping background sound fades up to. */
inline constexpr int32_t kLoopCeiling = -2200;

/** Clears the state and takes the Sound switch and the SoundVol volume. */
void CSoundManager();
/**
 * Makes the primary output and the eight channels on the device (not owned; it must live
 * until shutdown). With null the manager stays without sound.
 */
void InitDirectSound(platform::AudioDevice* device);
/** Channels and the primary output released; the device is forgotten. */
void shutdown();

/** Stores the volume (0..255) and rescales every channel from its present volume. */
void SetVolume(int32_t volume);
void Enable(int32_t on);
bool IsEnabled();
/** The channel index 0..7 that plays the sound, or -1. */
int32_t PlaySound(int32_t sound, int32_t pan, int32_t volume, int32_t loop, int32_t pitchVariation, int32_t restart);
/**
 * Pan and volume from the player's place (PlayerPlace): falls off over 18 tiles. Without a
 * player the sound is heard as if the player stood where it is made.
 */
int32_t PlaySoundAt(int32_t sound, MapPoint position, float volumeFactor, int32_t loop, int32_t pitchVariation,
                    int32_t restart);
void PlaySoundIfOn(int32_t sound, int32_t pan, int32_t volume);
/** Switches the looping background sound with a fade; 0 or 0xffff starts none. */
void SetLoopSound(int32_t sound);
/** After every window message and in every pass: refills the channels and moves the fades on. */
void Update();

/** The device sound plays on (null without one); the movie's sound shares it. */
platform::AudioDevice* Device();
/** The channel (null before InitDirectSound or without a device). */
CStreamBuf* Channel(int index);

/** A looping background sound: sound 0 when none, channel -1 when it has none. */
struct LoopState {
    int32_t sound = 0;
    int32_t channel = -1;
    int32_t level = -10000;
};
const LoopState& CurrentLoop();
const LoopState& FadingLoop();

/** The manager as the application core calls it; installed by the start-up. */
SoundServices& services();
/**
 * The footsteps as the world asks for them, installed by the start-up: the player's own at the
 * listener (pan 0, volume -1000), others where they walk; both with a pitch variation of 14 percent
 * and restarted. The Footsteps setting says whether they are heard.
 */
WorldSoundServices& worldSounds();

} // namespace SoundManager
