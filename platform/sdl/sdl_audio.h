/** @file The sound device on SDL2: one output stream fed by the software mixer. */
#pragma once

#include "platform/audio/audio.h"

#include <memory>
#include <string>

namespace platform {

/**
 * Opens the default output (44100 Hz stereo, 16-bit) and mixes every buffer and source into it
 * from SDL's output thread. nullptr, with the reason in error, when no device opens, or when SDL
 * runs its dummy driver (nothing would ever be heard; the game then runs silent).
 */
std::unique_ptr<AudioDevice> openSdlAudio(std::string& error);

} // namespace platform
