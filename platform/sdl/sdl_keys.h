/** @file The one table from SDL key codes to Windows virtual-key codes. */
#pragma once

#include <SDL.h>

#include <cstdint>
#include <span>

namespace platform {

struct SdlKeyMapping {
    SDL_Keycode sdl;
    uint32_t virtualKey;
};

/** Every key the client knows, SDL key code to virtual-key code. */
std::span<const SdlKeyMapping> sdlKeyTable();

/** The virtual-key code of an SDL key code; 0 for keys the table does not hold. */
uint32_t virtualKeyFromSdl(SDL_Keycode key);

} // namespace platform
