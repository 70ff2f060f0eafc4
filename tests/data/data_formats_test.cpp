/** @file The data format writers checked byte for byte against hand-laid records, so a reader and its writer cannot share one mistake. */
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using formats::Bytes;

namespace {

TEST(DataFormats, WritersLayOutTheRecordsByteForByte)
{
    struct Case {
        const char* name;
        Bytes written;
        Bytes expected;
    };

    formats::IndexedFileWriter indexed;
    indexed.add(0, {0xAA, 0xBB}, 0x00050003);
    indexed.add(2, {0xCC}, 7); // entry 1 skipped: written absent

    const formats::GumpArt art = formats::encodeGumpArt(3, 2, {0x7C00, 0x7C00, 0, 0x001F, 0x001F, 0x001F});

    formats::AnimGroup anim{};
    anim[0].offsets[0] = -1;
    anim[0].offsets[63] = 5;
    anim[0].current = 1;
    anim[0].count = 2;
    anim[0].interval = 3;
    anim[0].delay = 4;
    Bytes animExpected = {0x78, 0x56, 0x34, 0x12, 0xFF};
    animExpected.resize(4 + 63, 0);
    animExpected.insert(animExpected.end(), {5, 1, 2, 3, 4});
    animExpected.resize(4 + 8 * 68, 0);

    formats::HueGroup hues{};
    hues[0].colors[0] = 0x1234;
    hues[0].colors[31] = 0x7FFF;
    hues[0].start = 0x0102;
    hues[0].end = 0x0304;
    hues[0].name = "Red";
    Bytes huesExpected = {9, 0, 0, 0, 0x34, 0x12};
    huesExpected.resize(4 + 62, 0);
    huesExpected.insert(huesExpected.end(), {0xFF, 0x7F, 0x02, 0x01, 0x04, 0x03, 'R', 'e', 'd'});
    huesExpected.resize(4 + 8 * 88, 0);

    const Case cases[] = {
        {"index records {offset s32, length, extra}", indexed.indexBytes(),
         {0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 5, 0,                         //
          0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,              //
          2, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0}},
        {"data file", indexed.dataBytes(), {0xAA, 0xBB, 0xCC}},
        {"verdata: count, {file, entry, offset, length, extra}, payloads",
         formats::encodeVerdata({{4, 0x0102, {0xEE}, 9}}),
         {1, 0, 0, 0, 4, 0, 0, 0, 2, 1, 0, 0, 24, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 0xEE}},
        {"statics {graphic, x, y, z, hue}", formats::encodeStatics({{0x0F01, 3, 4, -2, 0x0203}}),
         {0x01, 0x0F, 3, 4, 0xFE, 0x03, 0x02}},
        {"gump art: row word offsets, then {colour, length} runs", art.data,
         {2, 0, 0, 0, 4, 0, 0, 0,                                      //
          0x00, 0x7C, 2, 0, 0, 0, 1, 0,                                //
          0x1F, 0x00, 3, 0}},
        {"gump art extra", {static_cast<uint8_t>(art.extra >> 16), static_cast<uint8_t>(art.extra)}, {3, 2}},
        {"animated tiles: stamp, 8 x {64 offsets, current, count, interval, delay}",
         formats::encodeAnimGroup(anim, 0x12345678), animExpected},
        {"hues: header, 8 x {32 colours, start, end, 20-byte name}", formats::encodeHueGroup(hues, 9), huesExpected},
    };
    for (const Case& c : cases) EXPECT_EQ(c.written, c.expected) << c.name;
}

TEST(DataFormats, MapCellsAndDigestNibblesSitWhereTheClientLooks)
{
    formats::MapWriter map(2, 512);
    map.setCell(9, 10, 0x1234, -3); // block 1 x 512 + 1, cell (2, 1)
    const size_t at = (512 + 1) * 196 + 4 + (2 * 8 + 1) * 3;
    EXPECT_EQ(map.bytes()[at], 0x34);
    EXPECT_EQ(map.bytes()[at + 1], 0x12);
    EXPECT_EQ(map.bytes()[at + 2], 0xFD);
    EXPECT_EQ(map.bytes().size(), 2u * 512u * 196u);

    // Even blocks fill the high nibble, odd blocks the low one.
    const Bytes digests = formats::buildDigestTable(map.bytes());
    ASSERT_EQ(digests.size(), formats::kDigestTableBytes);
    const uint8_t* blocks = map.bytes().data();
    EXPECT_EQ(digests[256], formats::mapBlockDigestNibble(512, blocks + 512 * 196) << 4 |
                                formats::mapBlockDigestNibble(513, blocks + 513 * 196));
    EXPECT_EQ(digests[1000], 0); // past the written blocks
}

} // namespace
