/** @file Fuzz target: a sound header and chunks (the first byte picks the kind and the channels). */
#include "client/media/movie_sound.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t selector = data[0];
    movie::AudioFormat format;
    // Half the inputs start with a header record list; the rest take the kind from the selector.
    const size_t split = data[1] % (size - 1);
    const uint8_t* chunk = data + 2;
    size_t length = size - 2;
    if (selector & 0x80) {
        movie::ParseMovieAudioHeader(data + 2, split, format);
        chunk += split;
        length -= split;
    } else {
        static const int kKinds[] = {0, 7, 10, 3};
        format.compression = kKinds[selector & 3];
        format.channels = (selector & 4) ? 2 : 1;
    }
    movie::AdpcmState state;
    // Two chunks in a row, so the predictor state carries over.
    // The output goes to the end of one buffer kept for the whole run (grown only for a longer
    // chunk than any before), so a write past the decoded length still meets the allocation's end.
    static std::vector<uint8_t> out;
    const size_t decoded = movie::DecodedAudioLength(format, chunk, length);
    if (out.size() < decoded)
        out = std::vector<uint8_t>(decoded);
    for (int i = 0; i < 2; ++i)
        movie::DecodeMovieAudioChunk(format, state, chunk, length, out.data() + (out.size() - decoded));
    return 0;
}
