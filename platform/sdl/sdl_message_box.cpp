/** @file Message boxes shown by SDL. */
#include "platform/sdl/sdl_message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

bool headless()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && std::strcmp(driver, "dummy") == 0)
        return true;
    const char* current = SDL_GetCurrentVideoDriver();
    return current != nullptr && std::strcmp(current, "dummy") == 0;
}

} // namespace

int SdlMessageBoxSink::show(const std::string& caption, const std::string& text, BoxIcon icon)
{
    if (!headless()) {
        Uint32 flags = 0;
        switch (icon) {
        case BoxIcon::Information: flags = SDL_MESSAGEBOX_INFORMATION; break;
        case BoxIcon::Warning: flags = SDL_MESSAGEBOX_WARNING; break;
        case BoxIcon::Error: flags = SDL_MESSAGEBOX_ERROR; break;
        case BoxIcon::None: break;
        }
        if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) == 0)
            return 1;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return 1;
}

} // namespace platform
