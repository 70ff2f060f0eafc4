/** @file MIDI on FluidSynth: songs synthesised into the sound device's mix, timed by the samples rendered. */
#pragma once

#include "platform/audio/audio.h"
#include "platform/audio/midi.h"

#include <memory>
#include <string>

namespace platform {

/**
 * A synthesiser that plays one MIDI file at a time as a source of the sound device. The song
 * moves on only as frames are rendered (no clock of its own), so rendering by hand is exact and
 * repeatable. The end handler runs inside render(), when the song is found over.
 */
class FluidMidiPlayer final : public MidiPlayer, public AudioSource {
public:
    /**
     * Loads the sound font; with a device (not owned, outliving the player) the player is mixed
     * into it from now on, else render() is called by hand. nullptr, with the reason in error,
     * when the synthesiser or the sound font cannot be made.
     */
    static std::unique_ptr<FluidMidiPlayer> create(AudioDevice* device, uint32_t sampleRate,
                                                   const std::string& soundFont, std::string& error);
    ~FluidMidiPlayer() override;
    FluidMidiPlayer(const FluidMidiPlayer&) = delete;
    FluidMidiPlayer& operator=(const FluidMidiPlayer&) = delete;

    bool isReal() const override { return true; }
    bool open(const std::string& path) override;
    bool play() override;
    bool isPlaying() override;
    void close() override;
    void setVolume(int level) override;
    void setEndHandler(std::function<void()> handler) override;

    void render(int16_t* stereo, uint32_t frames) override;

private:
    struct Impl;
    explicit FluidMidiPlayer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
