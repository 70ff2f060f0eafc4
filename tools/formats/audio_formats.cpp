/** @file Writers of the sound record and of Standard MIDI Files (format 0), for the sample install and the tests. */
#include "tools/formats/audio_formats.h"

#include <algorithm>
#include <tuple>

namespace formats {

namespace {

void bigEndian(Bytes& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

/** A delta time: seven bits a byte, most significant first, the high bit set on all but the last. */
void variableLength(Bytes& out, uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (n-- > 0)
        out.push_back(static_cast<uint8_t>(groups[n] | (n > 0 ? 0x80 : 0)));
}

struct Event {
    uint32_t tick;
    int order; // at the same tick: notes end before others start
    Bytes bytes;
};

} // namespace

Bytes encodeSoundRecord(const std::string& name, const std::vector<int16_t>& samples)
{
    LeWriter w;
    w.fixedString(name, 40);
    for (int16_t s : samples)
        w.s16(s);
    return w.take();
}

Bytes encodeMidiFile(const MidiSong& song)
{
    std::vector<Event> events;
    events.push_back({0, 0,
                      {0xFF, 0x51, 0x03, static_cast<uint8_t>(song.microsPerQuarter >> 16),
                       static_cast<uint8_t>(song.microsPerQuarter >> 8), static_cast<uint8_t>(song.microsPerQuarter)}});
    for (const auto& [channel, program] : song.programs)
        events.push_back({0, 1, {static_cast<uint8_t>(0xC0 | (channel & 0x0f)), static_cast<uint8_t>(program & 0x7f)}});
    for (const MidiNote& n : song.notes) {
        const uint8_t ch = n.channel & 0x0f;
        events.push_back({n.start, 3, {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(n.key & 0x7f),
                                       static_cast<uint8_t>(n.velocity & 0x7f)}});
        events.push_back({n.start + n.length, 2, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(n.key & 0x7f), 0}});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return std::tie(a.tick, a.order) < std::tie(b.tick, b.order); });

    Bytes track;
    uint32_t at = 0;
    for (const Event& e : events) {
        variableLength(track, e.tick - at);
        at = e.tick;
        track.insert(track.end(), e.bytes.begin(), e.bytes.end());
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

    Bytes out = {'M', 'T', 'h', 'd'};
    bigEndian(out, 6, 4);
    bigEndian(out, 0, 2); // one track
    bigEndian(out, 1, 2);
    bigEndian(out, song.ticksPerQuarter, 2);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    bigEndian(out, static_cast<uint32_t>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

} // namespace formats
