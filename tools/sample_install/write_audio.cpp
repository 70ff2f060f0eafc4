/** @file The sample install's sound effects and songs: samples and MIDI files made by code. */
#include "tools/sample_install/write_audio.h"

#include "tools/formats/audio_formats.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>

namespace sampleinstall {

namespace {

constexpr double kRate = 22048.0;

int16_t clip(double v)
{
    return static_cast<int16_t>(std::clamp(std::lround(v), -32767L, 32767L));
}

/** A short burst of noise falling away fast: a click. */
std::vector<int16_t> click(uint32_t seed, double ms)
{
    std::vector<int16_t> out(static_cast<size_t>(kRate * ms / 1000.0));
    uint32_t x = seed;
    for (size_t i = 0; i < out.size(); ++i) {
        x = x * 1103515245u + 12345u;
        const double noise = static_cast<double>((x >> 16) & 0x7fff) / 16384.0 - 1.0;
        out[i] = clip(14000.0 * noise * std::exp(-static_cast<double>(i) / (kRate * 0.004)));
    }
    return out;
}

/** A low thump with a little grit: a footstep. */
std::vector<int16_t> step(double pitch)
{
    std::vector<int16_t> out(static_cast<size_t>(kRate * 0.12));
    std::vector<int16_t> grit = click(static_cast<uint32_t>(pitch), 120.0);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double thump = std::sin(2.0 * std::numbers::pi * pitch * t) * std::exp(-t / 0.03);
        out[i] = clip(12000.0 * thump + 0.25 * grit[i]);
    }
    return out;
}

/** Three partials ringing down: a chime. */
std::vector<int16_t> chime()
{
    std::vector<int16_t> out(static_cast<size_t>(kRate * 0.8));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0.0;
        for (const auto& [hz, level] : {std::pair{880.0, 1.0}, std::pair{1320.0, 0.5}, std::pair{1760.0, 0.3}})
            v += level * std::sin(2.0 * std::numbers::pi * hz * t);
        out[i] = clip(7000.0 * v * std::exp(-t / 0.25));
    }
    return out;
}

/** A tune of notes a quarter apart (0 is a rest) on one instrument. */
formats::MidiSong tune(uint8_t program, std::vector<uint8_t> keys, uint32_t microsPerQuarter)
{
    formats::MidiSong song;
    song.microsPerQuarter = microsPerQuarter;
    song.programs = {{0, program}};
    uint32_t at = 0;
    for (uint8_t key : keys) {
        if (key != 0)
            song.notes.push_back({at, 90, 0, key, 100});
        at += song.ticksPerQuarter;
    }
    return song;
}

} // namespace

std::vector<int16_t> sampleSound(uint32_t sound)
{
    switch (sound) {
    case kSampleClickSound: return click(7, 25.0);
    case kSamplePageSound: return click(11, 60.0);
    case kSampleStepSounds[0]: return step(90.0);
    case kSampleStepSounds[1]: return step(70.0);
    case kSampleChimeSound: return chime();
    default: return {};
    }
}

formats::IndexedFileWriter drawSounds()
{
    formats::IndexedFileWriter sounds;
    for (uint32_t sound :
         {kSampleClickSound, kSamplePageSound, kSampleStepSounds[0], kSampleStepSounds[1], kSampleChimeSound})
        sounds.add(sound, formats::encodeSoundRecord("sample" + std::to_string(sound) + ".wav", sampleSound(sound)));
    return sounds;
}

bool writeSongs(const Layout& layout, std::string& error)
{
    const std::filesystem::path music = layout.install / "music";
    std::error_code ec;
    std::filesystem::create_directories(music, ec);
    if (ec) {
        error = "cannot create " + music.string() + ": " + ec.message();
        return false;
    }
    const std::pair<const char*, formats::MidiSong> songs[] = {
        {"stones2.mid", tune(46, {67, 71, 74, 79, 0, 78, 74, 71, 72, 76, 79}, 400000)}, // harp: the start-up song
        {"oldqel01.mid", tune(73, {62, 64, 65, 69, 67, 65, 64, 62}, 500000)},            // flute
        {"create1.mid", tune(0, {60, 64, 67, 72, 67, 64, 60}, 450000)},                  // piano
        {"combat1.mid", tune(48, {50, 50, 53, 50, 55, 53, 50, 45}, 250000)},             // strings, fast
    };
    for (const auto& [name, song] : songs)
        if (!writeWholeFile(music / name, formats::encodeMidiFile(song), error))
            return false;
    return true;
}

} // namespace sampleinstall
