/** @file The Huffman code table, the decoding tree with its bit-by-bit walk, and the table-driven decoder. */
#include "client/net/huffman.h"

#include <vector>

const HuffmanCode kHuffmanCodes[257] = {
    {2, 0x0}, {5, 0x1F}, {6, 0x22}, {7, 0x34}, {7, 0x75}, {6, 0x28}, {6, 0x3B}, {7, 0x32},
    {8, 0xE0}, {8, 0x62}, {7, 0x56}, {8, 0x79}, {9, 0x19D}, {8, 0x97}, {6, 0x2A}, {7, 0x57},
    {8, 0x71}, {8, 0x5B}, {9, 0x1CC}, {8, 0xA7}, {7, 0x25}, {7, 0x4F}, {8, 0x66}, {8, 0x7D},
    {9, 0x191}, {9, 0x1CE}, {7, 0x3F}, {9, 0x90}, {8, 0x59}, {8, 0x7B}, {8, 0x91}, {8, 0xC6},
    {6, 0x2D}, {9, 0x186}, {8, 0x6F}, {9, 0x93}, {10, 0x1CC}, {8, 0x5A}, {10, 0x1AE}, {10, 0x1C0},
    {9, 0x148}, {9, 0x14A}, {9, 0x82}, {10, 0x19F}, {9, 0x171}, {9, 0x120}, {9, 0xE7}, {10, 0x1F3},
    {9, 0x14B}, {9, 0x100}, {9, 0x190}, {6, 0x13}, {9, 0x161}, {9, 0x125}, {9, 0x133}, {9, 0x195},
    {9, 0x173}, {9, 0x1CA}, {9, 0x86}, {9, 0x1E9}, {9, 0xDB}, {9, 0x1EC}, {9, 0x8B}, {9, 0x85},
    {5, 0xA}, {8, 0x96}, {8, 0x9C}, {9, 0x1C3}, {9, 0x19C}, {9, 0x8F}, {9, 0x18F}, {9, 0x91},
    {9, 0x87}, {9, 0xC6}, {9, 0x177}, {9, 0x89}, {9, 0xD6}, {9, 0x8C}, {9, 0x1EE}, {9, 0x1EB},
    {9, 0x84}, {9, 0x164}, {9, 0x175}, {9, 0x1CD}, {8, 0x5E}, {9, 0x88}, {9, 0x12B}, {9, 0x172},
    {9, 0x10A}, {9, 0x8D}, {9, 0x13A}, {9, 0x11C}, {10, 0x1E1}, {10, 0x1E0}, {9, 0x187}, {10, 0x1DC},
    {10, 0x1DF}, {7, 0x74}, {9, 0x19F}, {8, 0x8D}, {8, 0xE4}, {7, 0x79}, {9, 0x0EA}, {9, 0xE1},
    {8, 0x40}, {7, 0x41}, {9, 0x10B}, {9, 0xB0}, {8, 0x6A}, {8, 0xC1}, {7, 0x71}, {7, 0x78},
    {8, 0xB1}, {9, 0x14C}, {7, 0x43}, {8, 0x76}, {7, 0x66}, {7, 0x4D}, {9, 0x8A}, {6, 0x2F},
    {8, 0xC9}, {9, 0xCE}, {9, 0x149}, {9, 0x160}, {10, 0x1BA}, {10, 0x19E}, {10, 0x39F}, {9, 0xE5},
    {9, 0x194}, {9, 0x184}, {9, 0x126}, {7, 0x30}, {8, 0x6C}, {9, 0x121}, {9, 0x1E8}, {10, 0x1C1},
    {10, 0x11D}, {10, 0x163}, {10, 0x385}, {10, 0x3DB}, {10, 0x17D}, {10, 0x106}, {10, 0x397}, {10, 0x24E},
    {7, 0x2E}, {8, 0x98}, {10, 0x33C}, {10, 0x32E}, {10, 0x1E9}, {9, 0xBF}, {10, 0x3DF}, {10, 0x1DD},
    {10, 0x32D}, {10, 0x2ED}, {10, 0x30B}, {10, 0x107}, {10, 0x2E8}, {10, 0x3DE}, {10, 0x125}, {10, 0x1E8},
    {9, 0xE9}, {10, 0x1CD}, {10, 0x1B5}, {9, 0x165}, {10, 0x232}, {10, 0x2E1}, {11, 0x3AE}, {11, 0x3C6},
    {11, 0x3E2}, {10, 0x205}, {10, 0x29A}, {10, 0x248}, {10, 0x2CD}, {10, 0x23B}, {11, 0x3C5}, {10, 0x251},
    {10, 0x2E9}, {10, 0x252}, {9, 0x1EA}, {11, 0x3A0}, {11, 0x391}, {10, 0x23C}, {11, 0x392}, {11, 0x3D5},
    {10, 0x233}, {10, 0x2CC}, {11, 0x390}, {10, 0x1BB}, {11, 0x3A1}, {11, 0x3C4}, {10, 0x211}, {10, 0x203},
    {9, 0x12A}, {10, 0x231}, {11, 0x3E0}, {10, 0x29B}, {11, 0x3D7}, {10, 0x202}, {11, 0x3AD}, {10, 0x213},
    {10, 0x253}, {10, 0x32C}, {10, 0x23D}, {10, 0x23F}, {10, 0x32F}, {10, 0x11C}, {10, 0x384}, {10, 0x31C},
    {10, 0x17C}, {10, 0x30A}, {10, 0x2E0}, {10, 0x276}, {10, 0x250}, {11, 0x3E3}, {10, 0x396}, {10, 0x18F},
    {10, 0x204}, {10, 0x206}, {10, 0x230}, {10, 0x265}, {10, 0x212}, {10, 0x23E}, {11, 0x3AC}, {11, 0x393},
    {11, 0x3E1}, {10, 0x1DE}, {11, 0x3D6}, {10, 0x31D}, {11, 0x3E5}, {11, 0x3E4}, {10, 0x207}, {11, 0x3C7},
    {10, 0x277}, {11, 0x3D4}, {8, 0xC0}, {10, 0x162}, {10, 0x3DA}, {10, 0x124}, {10, 0x1B4}, {10, 0x264},
    {10, 0x33D}, {10, 0x1D1}, {10, 0x1AF}, {10, 0x39E}, {10, 0x24F}, {11, 0x373}, {10, 0x249}, {11, 0x372},
    {9, 0x167}, {10, 0x210}, {10, 0x23A}, {10, 0x1B8}, {11, 0x3AF}, {10, 0x18E}, {10, 0x2EC}, {7, 0x62},
    {4, 0xD},
};

namespace {

// ---- The tree: one node per prefix; leaves hold their symbol. -------------------------------

struct Node {
    int32_t symbol = -1;
    int32_t child[2] = {-1, -1};
};

std::vector<Node>& tree()
{
    static std::vector<Node> nodes;
    return nodes;
}

// ---- The table: every 11-bit window names the one symbol whose code begins it, and the ------
// ---- byte after it too when that one's whole code fits in the same window. -------------------

constexpr int kWindowBits = 11; // the longest code
struct Entry {
    uint16_t symbol; // the first symbol (a byte or the end symbol)
    uint8_t bits;    // its code's length
    // The fast loop's step: `count` bytes (0 for the end symbol, 1, or 2 when the next byte's
    // whole code fits in the window too), the first of them, the last of them and where it goes
    // (0 or 1 after the first, so a single byte is stored twice in one place), and the bits taken.
    uint8_t count;
    uint8_t first;
    uint8_t last;
    uint8_t lastAt;
    uint8_t stepBits;
};

struct Table {
    Entry entries[1u << kWindowBits];
    Table()
    {
        for (int s = 0; s <= kHuffmanEndSymbol; ++s) {
            const uint32_t bits = kHuffmanCodes[s].bits;
            const uint32_t first = kHuffmanCodes[s].code << (kWindowBits - bits);
            const bool end = s == kHuffmanEndSymbol;
            for (uint32_t fill = 0; fill < (1u << (kWindowBits - bits)); ++fill)
                entries[first | fill] = Entry{static_cast<uint16_t>(s), static_cast<uint8_t>(bits),
                                              static_cast<uint8_t>(end ? 0 : 1), static_cast<uint8_t>(s),
                                              static_cast<uint8_t>(s), 0,
                                              static_cast<uint8_t>(bits)};
        }
        for (uint32_t window = 0; window < (1u << kWindowBits); ++window) {
            Entry& e = entries[window];
            if (e.symbol == kHuffmanEndSymbol)
                continue;
            const Entry& next = entries[(window << e.bits) & ((1u << kWindowBits) - 1)];
            if (next.symbol != kHuffmanEndSymbol && next.bits <= kWindowBits - e.bits) {
                e.count = 2;
                e.last = static_cast<uint8_t>(next.symbol);
                e.lastAt = 1;
                e.stepBits = static_cast<uint8_t>(e.bits + next.bits);
            }
        }
    }
};

const Table& table()
{
    static const Table t;
    return t;
}

} // namespace

void BuildHuffmanTree()
{
    std::vector<Node>& nodes = tree();
    if (!nodes.empty())
        return;
    nodes.emplace_back();
    for (int s = 0; s <= kHuffmanEndSymbol; ++s) {
        int32_t at = 0;
        for (int bit = static_cast<int>(kHuffmanCodes[s].bits) - 1; bit >= 0; --bit) {
            const int branch = (kHuffmanCodes[s].code >> bit) & 1;
            if (nodes[static_cast<size_t>(at)].child[branch] < 0) {
                nodes[static_cast<size_t>(at)].child[branch] = static_cast<int32_t>(nodes.size());
                nodes.emplace_back();
            }
            at = nodes[static_cast<size_t>(at)].child[branch];
        }
        nodes[static_cast<size_t>(at)].symbol = s;
    }
    table(); // built beside the tree, so the first poll pays for neither
}

size_t HuffmanDecodeBitwise(const uint8_t* raw, size_t rawLength, size_t startBit, uint8_t* out,
                            size_t& outLength, size_t capacity)
{
    BuildHuffmanTree();
    const std::vector<Node>& nodes = tree();
    const size_t totalBits = rawLength * 8;
    size_t done = startBit; // after the last whole symbol
    int32_t at = 0;
    for (size_t bit = startBit; bit < totalBits && outLength < capacity; ++bit) {
        const int branch = (raw[bit >> 3] >> (7 - (bit & 7))) & 1;
        at = nodes[static_cast<size_t>(at)].child[branch];
        const int32_t symbol = nodes[static_cast<size_t>(at)].symbol;
        if (symbol < 0)
            continue;
        at = 0;
        if (symbol == kHuffmanEndSymbol) {
            done = (bit + 8) & ~static_cast<size_t>(7);
            bit = done - 1;
        } else {
            out[outLength++] = static_cast<uint8_t>(symbol);
            done = bit + 1;
        }
    }
    return done;
}

size_t HuffmanDecode(const uint8_t* raw, size_t rawLength, size_t startBit, uint8_t* out, size_t& outLength,
                     size_t capacity)
{
    const Entry* entries = table().entries;
    const uint8_t* p = raw + startBit / 8;
    const uint8_t* const end = raw + rawLength;
    // The next bits of the stream sit at the top of `window`; `count` of them are counted. In
    // the fast refill the bits below `count` are the stream's own next bits, never garbage.
    uint64_t window = 0;
    unsigned count = 0;

    auto refillSlow = [&] {
        while (count <= 56 && p < end) {
            window |= static_cast<uint64_t>(*p++) << (56 - count);
            count += 8;
        }
    };
    auto drop = [&](unsigned n) {
        window = n < 64 ? window << n : 0;
        count -= n;
    };

    refillSlow();
    if (count < startBit % 8)
        return startBit;
    drop(static_cast<unsigned>(startBit % 8));

    auto decodeThree = [&] {
        for (int k = 0; k < 3; ++k) {
            // No branch on how many bytes a step gives; only the end symbol branches, and it is rare.
            const Entry e = entries[window >> (64 - kWindowBits)];
            window <<= e.stepBits;
            count -= e.stepBits;
            if (e.count == 0) {
                drop(count & 7);
                continue;
            }
            out[outLength] = e.first;
            out[outLength + e.lastAt] = e.last;
            outLength += e.count;
        }
    };
    // Three look-ups per refill: each takes at most 11 bits (one symbol or a pair within the
    // window) and an end symbol 7 more to its byte's end; each writes at most two bytes.
    while (end - p >= 8 && capacity - outLength >= 6) {
        if (count >= 56) {
            decodeThree();
            continue;
        }
        const uint64_t next = static_cast<uint64_t>(p[0]) << 56 | static_cast<uint64_t>(p[1]) << 48 |
                              static_cast<uint64_t>(p[2]) << 40 | static_cast<uint64_t>(p[3]) << 32 |
                              static_cast<uint64_t>(p[4]) << 24 | static_cast<uint64_t>(p[5]) << 16 |
                              static_cast<uint64_t>(p[6]) << 8 | static_cast<uint64_t>(p[7]);
        window |= next >> count;
        p += (63 - count) >> 3;
        count |= 56;
        decodeThree();
    }
    // The tail: bits below `count` are zero from here on, so a window longer than the data still
    // names the right symbol whenever that symbol's whole code is present.
    window &= count == 0 ? 0 : ~uint64_t{0} << (64 - count);
    while (outLength < capacity) {
        refillSlow();
        if (count == 0)
            break;
        const Entry e = entries[window >> (64 - kWindowBits)];
        if (e.bits > count)
            break;
        drop(e.bits);
        if (e.symbol == kHuffmanEndSymbol)
            drop(count & 7);
        else
            out[outLength++] = static_cast<uint8_t>(e.symbol);
    }
    return static_cast<size_t>(p - raw) * 8 - count;
}
