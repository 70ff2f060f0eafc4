/** @file Huffman decoding of the game server's stream: the code table, the shared tree and two decoders. */
#pragma once

#include <cstddef>
#include <cstdint>

/** One code of the table: its bit count and its bits, most significant first. */
struct HuffmanCode {
    uint32_t bits;
    uint32_t code;
};
/** Symbols 0 to 255 are bytes; symbol 256 ends a server packet. */
inline constexpr int kHuffmanEndSymbol = 256;
extern const HuffmanCode kHuffmanCodes[257];

/** Builds the shared decoding tree once; later calls do nothing. */
void BuildHuffmanTree();

/**
 * Decodes raw[0, rawLength) from bit `startBit` (counted from the most significant bit of raw[0])
 * into out, appending after outLength and stopping once outLength reaches capacity. The end
 * symbol writes nothing and moves on to the next byte boundary. A code that is cut off by the
 * end of the data is not consumed. Returns the bit position after the last whole symbol; the
 * caller drops that many bits' whole bytes from the head of raw.
 *
 * This one looks codes up a table several bits at a time.
 */
size_t HuffmanDecode(const uint8_t* raw, size_t rawLength, size_t startBit, uint8_t* out, size_t& outLength,
                     size_t capacity);

/** The same result by walking the tree one bit at a time: the reference the fast decoder is held to. */
size_t HuffmanDecodeBitwise(const uint8_t* raw, size_t rawLength, size_t startBit, uint8_t* out,
                            size_t& outLength, size_t capacity);
