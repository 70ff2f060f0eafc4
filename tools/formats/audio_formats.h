/** @file Writers of the sound record and of Standard MIDI Files (format 0), for the sample install and the tests. */
#pragma once

#include "tools/formats/le_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace formats {

/** A sound record: a 40-byte header (the name, NUL-padded; the game skips it) and 16-bit mono samples. */
Bytes encodeSoundRecord(const std::string& name, const std::vector<int16_t>& samples);

struct MidiNote {
    uint32_t start = 0;  // ticks
    uint32_t length = 0; // ticks
    uint8_t channel = 0;
    uint8_t key = 60;
    uint8_t velocity = 100;
};

struct MidiSong {
    uint16_t ticksPerQuarter = 96;
    uint32_t microsPerQuarter = 500000; // 120 beats a minute
    /** Program change per channel at the start: {channel, program}. */
    std::vector<std::pair<uint8_t, uint8_t>> programs;
    std::vector<MidiNote> notes;
};

/** One track holding the tempo, the program changes, the notes in time order and the end of the track. */
Bytes encodeMidiFile(const MidiSong& song);

} // namespace formats
