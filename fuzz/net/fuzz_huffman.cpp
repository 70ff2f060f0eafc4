/** @file Fuzz target: any bytes decoded by the table-driven decoder and by the bit-by-bit walk give the same bytes and position. */
#include "client/net/huffman.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t start = data[0] & 7;        // the bit position a poll left behind
    const size_t capacity = data[1] * 4u + 1; // a packet buffer that may fill up
    const uint8_t* raw = data + 2;
    const size_t rawSize = size - 2;
    std::vector<uint8_t> fast(capacity), slow(capacity);
    size_t fastLength = 0, slowLength = 0;
    const size_t fastBit = HuffmanDecode(raw, rawSize, rawSize == 0 ? 0 : start, fast.data(), fastLength, capacity);
    const size_t slowBit =
        HuffmanDecodeBitwise(raw, rawSize, rawSize == 0 ? 0 : start, slow.data(), slowLength, capacity);
    if (fastBit != slowBit || fastLength != slowLength || fast != slow || fastBit > rawSize * 8 + 7)
        std::abort();
    return 0;
}
