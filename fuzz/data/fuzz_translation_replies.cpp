/** @file Fuzz target: a received byte stream cut into translation replies, however it is sliced into receives. */
#include "client/data/translation_link.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the size of every receive, as the peer's sends and the network may cut the stream.
    const size_t slice = static_cast<size_t>(data[0]) + 1;
    std::vector<uint8_t> received;
    size_t taken = 0; // bytes of the stream cut off as whole replies so far
    for (size_t at = 1; at < size; at += slice) {
        const size_t n = size - at < slice ? size - at : slice;
        received.insert(received.end(), data + at, data + at + n);
        int32_t id = 0;
        std::u16string text;
        for (;;) {
            const size_t before = received.size();
            if (!cutTranslationReply(received, id, text))
                break;
            // A reply is its 12-byte head, its text and the NUL unit, and nothing of it may be a NUL.
            const size_t length = before - received.size();
            if (length != 12 + 2 * (text.size() + 1) || text.find(u'\0') != std::u16string::npos)
                std::abort();
            taken += length;
        }
    }
    if (taken + received.size() != size - 1)
        std::abort();
    return 0;
}
