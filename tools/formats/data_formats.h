/** @file Writers for the installed data formats: index and data pairs, patches, map, statics, gump art, animated tiles, hues. */
#pragma once

#include "tools/formats/le_writer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace formats {

/** An index file (12-byte records) and its data file, built entry by entry. */
class IndexedFileWriter {
public:
    /** Appends data for an entry; entries skipped so far are written absent (offset -1). */
    void add(uint32_t entry, const Bytes& data, uint32_t extra = 0);
    /** A record with exactly these values, whatever the data file holds (for damaged installs). */
    void addRaw(uint32_t entry, int32_t offset, uint32_t length, uint32_t extra);
    void absent(uint32_t entry);
    /** Makes the index at least this many records long (the new ones absent). */
    void reserve(uint32_t count);

    Bytes indexBytes() const;
    const Bytes& dataBytes() const { return data_; }

private:
    struct Record {
        int32_t offset = -1;
        uint32_t length = 0;
        uint32_t extra = 0;
    };
    std::vector<Record> records_;
    Bytes data_;
    Record& slot(uint32_t entry);
};

/** One patch entry; the offset and length follow the payload unless given. */
struct VerdataEntry {
    VerdataEntry() = default;
    VerdataEntry(uint32_t fileId_, uint32_t entry_, Bytes payload_, uint32_t extra_ = 0,
                 std::optional<uint32_t> offset_ = std::nullopt, std::optional<uint32_t> length_ = std::nullopt)
        : fileId(fileId_), entry(entry_), payload(std::move(payload_)), extra(extra_), offset(offset_), length(length_)
    {
    }
    uint32_t fileId = 0;
    uint32_t entry = 0;
    Bytes payload;
    uint32_t extra = 0;
    std::optional<uint32_t> offset;
    std::optional<uint32_t> length;
};
Bytes encodeVerdata(const std::vector<VerdataEntry>& entries);

/** The map file: blocksWide x blocksHigh blocks of a 4-byte header and 64 cells {u16 tile, s8 z}. */
class MapWriter {
public:
    MapWriter(uint32_t blocksWide, uint32_t blocksHigh);
    void setCell(uint32_t x, uint32_t y, uint16_t tile, int8_t z);
    uint32_t blockCount() const { return blocksWide_ * blocksHigh_; }
    uint32_t blocksHigh() const { return blocksHigh_; }
    const Bytes& bytes() const { return bytes_; }

private:
    uint32_t blocksWide_;
    uint32_t blocksHigh_;
    Bytes bytes_;
};

struct StaticRecord {
    uint16_t graphic = 0;
    uint8_t x = 0;
    uint8_t y = 0;
    int8_t z = 0;
    uint16_t hue = 0;
};
Bytes encodeStatics(const std::vector<StaticRecord>& records);

/** The map digest table: one nibble per block of map 0 (768 x 512 blocks), 196,608 bytes. */
inline constexpr uint32_t kDigestTableBytes = 196608;
/** The nibble the client compares for block n, from the block's 196 bytes. */
uint8_t mapBlockDigestNibble(uint32_t block, const uint8_t* data196);
/** Digest table of a map file laid out with map 0's 512 blocks per column. */
Bytes buildDigestTable(const Bytes& map0);

/** A gump art image from raw 5-5-5 pixels (0 transparent): the entry data and its index extra. */
struct GumpArt {
    Bytes data;
    uint32_t extra = 0;
};
GumpArt encodeGumpArt(uint32_t width, uint32_t height, const std::vector<uint16_t>& pixels);

/**
 * An art record (static or land-shaped run-encoded image) from raw 5-5-5 pixels, 0 transparent:
 * u32 header, u16 width, u16 height, the row offsets, then each row's runs {skip, count, pixels}
 * ended by a run of count 0. Every stretch of non-zero pixels is one run.
 */
Bytes encodeArtImage(uint16_t width, uint16_t height, const std::vector<uint16_t>& pixels);

/** One animated-tile record as stored: 64 frame offsets, current frame, count, interval, delay. */
struct AnimRecord {
    std::array<int8_t, 64> offsets{};
    uint8_t current = 0;
    uint8_t count = 0;
    uint8_t interval = 0;
    uint8_t delay = 0;
};
using AnimGroup = std::array<AnimRecord, 8>;
/** A 4-byte stamp and 8 records of 68 bytes. */
Bytes encodeAnimGroup(const AnimGroup& group, uint32_t stamp = 0);

/** One hue entry: 32 colours, start, end, name (20 bytes, NUL-padded). */
struct HueEntry {
    std::array<uint16_t, 32> colors{};
    uint16_t start = 0;
    uint16_t end = 0;
    std::string name;
};
using HueGroup = std::array<HueEntry, 8>;
Bytes encodeHueGroup(const HueGroup& group, uint32_t header = 0);
/** The whole hue file: 375 groups; entries past the given ones are zero. */
Bytes encodeHues(const std::vector<HueEntry>& entries);

} // namespace formats
