/** @file The sound device on SDL2: one output stream fed by the software mixer. */
#include "platform/sdl/sdl_audio.h"

#include "platform/audio/software_mixer.h"

#include <SDL.h>

#include <cstring>

namespace platform {

namespace {

constexpr int kOutputRate = 44100;

class SdlAudioDevice final : public SoftwareMixer {
public:
    SdlAudioDevice() : SoftwareMixer(kOutputRate) {}

    ~SdlAudioDevice() override
    {
        // Closing waits for a running callback, so the mixer is never used half destroyed.
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool isReal() const override { return true; }

    bool open(std::string& error)
    {
        SDL_AudioSpec want{};
        want.freq = kOutputRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlAudioDevice::fill;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the hardware takes.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            error = SDL_GetError();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

private:
    static void fill(void* user, Uint8* stream, int length)
    {
        auto* self = static_cast<SdlAudioDevice*>(user);
        self->mix(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(length) / 4);
    }

    SDL_AudioDeviceID device_ = 0;
};

} // namespace

std::unique_ptr<AudioDevice> openSdlAudio(std::string& error)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver != nullptr && std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        error = "the dummy audio driver plays nothing";
        return nullptr;
    }
    auto device = std::make_unique<SdlAudioDevice>();
    if (!device->open(error))
        return nullptr;
    return device;
}

} // namespace platform
