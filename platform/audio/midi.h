/** @file Music: a player of Standard MIDI Files, one song at a time, that tells when a song has ended. */
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

/** Debian's General MIDI sound font, installed with FluidSynth. */
inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

/**
 * Plays one MIDI file at a time. A song is opened (loaded, not yet sounding), played, and closed;
 * when it reaches its end by itself the end handler is called once, from the output thread: the
 * handler must only hand the news on (post it to the main thread). Closing a song never calls it.
 *
 * Threads: the main thread calls everything but the end handler.
 */
class MidiPlayer {
public:
    virtual ~MidiPlayer() = default;

    /** False for twins that make no sound. */
    virtual bool isReal() const = 0;
    /** Loads the file, closing any song open before; false when it is not a MIDI file that can be read. */
    virtual bool open(const std::string& path) = 0;
    /** Starts the open song from its beginning; false without one. */
    virtual bool play() = 0;
    /** A song is sounding (played and not yet at its end). */
    virtual bool isPlaying() = 0;
    /** Stops and forgets the song; every note falls silent. */
    virtual void close() = 0;
    /** Output level 0 (silent) to 255 (full), linear. */
    virtual void setVolume(int level) = 0;
    virtual void setEndHandler(std::function<void()> handler) = 0;
};

/** The test twin: opens what it is told to, plays until finish() is called, logs every volume. */
class FakeMidiPlayer final : public MidiPlayer {
public:
    bool isReal() const override { return false; }
    bool open(const std::string& path) override;
    bool play() override;
    bool isPlaying() override { return playing; }
    void close() override;
    void setVolume(int level) override { volumes.push_back(level); }
    void setEndHandler(std::function<void()> handler) override { endHandler = std::move(handler); }

    /** The song reaches its end: playing stops and the end handler runs. */
    void finish();

    bool failOpen = false;
    bool failPlay = false;
    std::string openPath; // empty while closed
    bool playing = false;
    std::vector<std::string> opened;
    std::vector<int> volumes;
    int closes = 0;
    std::function<void()> endHandler;
};

} // namespace platform
