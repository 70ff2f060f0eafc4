/** @file Writers for the world's data files: the pace table (animinfo.mul), tile data and multis. */
#pragma once

#include "tools/formats/le_writer.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace formats {

/** animinfo.mul: one pair of signed bytes (walk frames, run frames per cell) for each body, in order. */
Bytes encodePaceTable(const std::vector<std::pair<int8_t, int8_t>>& pairs);

struct LandTileData {
    uint32_t flags = 0;
    uint16_t texture = 0;
    /** Cut to 20 bytes; a name of 20 bytes or more has no NUL. */
    std::string name;
};

struct ItemTileData {
    uint32_t flags = 0;
    uint8_t weight = 0;
    uint8_t quality = 0;
    uint32_t value = 0;
    uint16_t animation = 0;
    uint16_t hue = 0;
    uint16_t light = 0;
    uint8_t height = 0;
    std::string name;
};

/**
 * tiledata.mul: 512 land groups {u32 header, 32 x {flags u32, texture u16, name[20]}}, then 512
 * item groups {u32 header, 32 x {flags u32, weight u8, quality u8, value u32, animation u16,
 * hue u16, light u16, height u8, name[20]}}; entries not set are zero.
 */
class TileDataWriter {
public:
    void land(uint16_t id, LandTileData entry) { land_[id & 0x3fff] = std::move(entry); }
    void item(uint16_t id, ItemTileData entry) { item_[id & 0x3fff] = std::move(entry); }
    /** One group in file layout (a header and 32 entries), as the server sends it. */
    Bytes landGroup(uint32_t group, uint32_t header = 0) const;
    Bytes itemGroup(uint32_t group, uint32_t header = 0) const;
    Bytes bytes() const;

private:
    std::map<uint16_t, LandTileData> land_;
    std::map<uint16_t, ItemTileData> item_;
};

/** One 12-byte multi record. */
struct MultiPiece {
    uint16_t graphic = 0;
    int16_t x = 0;
    int16_t y = 0;
    int16_t z = 0;
    uint32_t flags = 0;
};
/** A multi.mul entry: its records little-endian, in order. */
Bytes encodeMulti(const std::vector<MultiPiece>& pieces);
/** The same records in network order (the edit server's packet). */
Bytes encodeMultiNetwork(const std::vector<MultiPiece>& pieces);

} // namespace formats
