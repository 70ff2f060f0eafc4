/** @file MIDI on FluidSynth: songs synthesised into the sound device's mix, timed by the samples rendered. */
#include "platform/fluidsynth/fluid_midi.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

// Full music volume; twice FluidSynth's own default, which leaves songs faint beside the sounds.
constexpr float kFullGain = 0.4f;

void quietLog(int, const char*, void*) {}

} // namespace

struct FluidMidiPlayer::Impl {
    AudioDevice* device = nullptr;
    // Guards the synthesiser and the song between the main thread and the output thread.
    std::mutex mutex;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    bool sounding = false; // played and its end not yet noticed
    std::function<void()> onEnd;

    ~Impl()
    {
        if (player != nullptr)
            delete_fluid_player(player);
        if (synth != nullptr)
            delete_fluid_synth(synth);
        if (settings != nullptr)
            delete_fluid_settings(settings);
    }

    void dropSong()
    {
        if (player == nullptr)
            return;
        fluid_player_stop(player);
        delete_fluid_player(player);
        player = nullptr;
        sounding = false;
        fluid_synth_system_reset(synth);
    }
};

std::unique_ptr<FluidMidiPlayer> FluidMidiPlayer::create(AudioDevice* device, uint32_t sampleRate,
                                                         const std::string& soundFont, std::string& error)
{
    // Warnings and chatter would go to the terminal; failures are reported by the caller.
    for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, quietLog, nullptr);
    auto impl = std::make_unique<Impl>();
    impl->settings = new_fluid_settings();
    if (impl->settings == nullptr) {
        error = "no synthesiser settings";
        return nullptr;
    }
    fluid_settings_setnum(impl->settings, "synth.sample-rate", static_cast<double>(sampleRate));
    fluid_settings_setnum(impl->settings, "synth.gain", kFullGain);
    // Songs advance with the frames rendered, not with the wall clock.
    fluid_settings_setstr(impl->settings, "player.timing-source", "sample");
    impl->synth = new_fluid_synth(impl->settings);
    if (impl->synth == nullptr) {
        error = "the synthesiser cannot be made";
        return nullptr;
    }
    if (fluid_synth_sfload(impl->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = "the sound font " + soundFont + " cannot be loaded";
        return nullptr;
    }
    impl->device = device;
    std::unique_ptr<FluidMidiPlayer> player(new FluidMidiPlayer(std::move(impl)));
    if (device != nullptr)
        device->addSource(player.get());
    return player;
}

FluidMidiPlayer::FluidMidiPlayer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

FluidMidiPlayer::~FluidMidiPlayer()
{
    // Out of the mix first: render() may be running on the output thread until this returns.
    if (impl_->device != nullptr)
        impl_->device->removeSource(this);
}

bool FluidMidiPlayer::open(const std::string& path)
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    impl_->dropSong();
    if (fluid_is_midifile(path.c_str()) == 0)
        return false;
    impl_->player = new_fluid_player(impl_->synth);
    if (impl_->player == nullptr)
        return false;
    if (fluid_player_add(impl_->player, path.c_str()) != FLUID_OK) {
        impl_->dropSong();
        return false;
    }
    return true;
}

bool FluidMidiPlayer::play()
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    if (impl_->player == nullptr || fluid_player_play(impl_->player) != FLUID_OK)
        return false;
    impl_->sounding = true;
    return true;
}

bool FluidMidiPlayer::isPlaying()
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    if (impl_->player == nullptr)
        return false;
    // A song whose last notes are still dying away plays on until it is done.
    const int status = fluid_player_get_status(impl_->player);
    return status == FLUID_PLAYER_PLAYING || status == FLUID_PLAYER_STOPPING;
}

void FluidMidiPlayer::close()
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    impl_->dropSong();
}

void FluidMidiPlayer::setVolume(int level)
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    fluid_synth_set_gain(impl_->synth, kFullGain * static_cast<float>(std::clamp(level, 0, 255)) / 255.0f);
}

void FluidMidiPlayer::setEndHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> hold(impl_->mutex);
    impl_->onEnd = std::move(handler);
}

void FluidMidiPlayer::render(int16_t* stereo, uint32_t frames)
{
    std::function<void()> ended;
    {
        std::lock_guard<std::mutex> hold(impl_->mutex);
        fluid_synth_write_s16(impl_->synth, static_cast<int>(frames), stereo, 0, 2, stereo, 1, 2);
        if (impl_->sounding && impl_->player != nullptr &&
            fluid_player_get_status(impl_->player) == FLUID_PLAYER_DONE) {
            impl_->sounding = false;
            ended = impl_->onEnd;
        }
    }
    if (ended)
        ended();
}

} // namespace platform
