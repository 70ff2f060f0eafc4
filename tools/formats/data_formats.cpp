/** @file Writers for the installed data formats. */
#include "tools/formats/data_formats.h"

#include <nettle/md5.h>

#include <stdexcept>

namespace formats {

IndexedFileWriter::Record& IndexedFileWriter::slot(uint32_t entry)
{
    if (entry >= records_.size()) records_.resize(entry + 1);
    return records_[entry];
}

void IndexedFileWriter::add(uint32_t entry, const Bytes& data, uint32_t extra)
{
    Record& r = slot(entry);
    r.offset = static_cast<int32_t>(data_.size());
    r.length = static_cast<uint32_t>(data.size());
    r.extra = extra;
    data_.insert(data_.end(), data.begin(), data.end());
}

void IndexedFileWriter::addRaw(uint32_t entry, int32_t offset, uint32_t length, uint32_t extra)
{
    slot(entry) = Record{offset, length, extra};
}

void IndexedFileWriter::absent(uint32_t entry)
{
    slot(entry) = Record{};
}

void IndexedFileWriter::reserve(uint32_t count)
{
    if (count > records_.size()) records_.resize(count);
}

Bytes IndexedFileWriter::indexBytes() const
{
    LeWriter w;
    for (const Record& r : records_) w.s32(r.offset).u32(r.length).u32(r.extra);
    return w.take();
}

Bytes encodeVerdata(const std::vector<VerdataEntry>& entries)
{
    LeWriter w;
    w.s32(static_cast<int32_t>(entries.size()));
    uint32_t payloadAt = 4 + 20 * static_cast<uint32_t>(entries.size());
    for (const VerdataEntry& e : entries) {
        const uint32_t length = e.length.value_or(static_cast<uint32_t>(e.payload.size()));
        w.u32(e.fileId).u32(e.entry).u32(e.offset.value_or(payloadAt)).u32(length).u32(e.extra);
        payloadAt += static_cast<uint32_t>(e.payload.size());
    }
    for (const VerdataEntry& e : entries) w.bytes(e.payload);
    return w.take();
}

MapWriter::MapWriter(uint32_t blocksWide, uint32_t blocksHigh)
    : blocksWide_(blocksWide), blocksHigh_(blocksHigh), bytes_(static_cast<size_t>(blocksWide) * blocksHigh * 196, 0)
{
}

void MapWriter::setCell(uint32_t x, uint32_t y, uint16_t tile, int8_t z)
{
    if (x / 8 >= blocksWide_ || y / 8 >= blocksHigh_) throw std::out_of_range("map cell outside the map");
    const size_t block = static_cast<size_t>(x / 8) * blocksHigh_ + y / 8;
    const size_t at = block * 196 + 4 + ((y & 7) * 8 + (x & 7)) * 3;
    bytes_[at] = static_cast<uint8_t>(tile);
    bytes_[at + 1] = static_cast<uint8_t>(tile >> 8);
    bytes_[at + 2] = static_cast<uint8_t>(z);
}

Bytes encodeStatics(const std::vector<StaticRecord>& records)
{
    LeWriter w;
    for (const StaticRecord& r : records) w.u16(r.graphic).u8(r.x).u8(r.y).s8(r.z).u16(r.hue);
    return w.take();
}

uint8_t mapBlockDigestNibble(uint32_t block, const uint8_t* data196)
{
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, 196, data196);
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);
    return static_cast<uint8_t>(digest[(block & 1) == 0 ? 2 : 4] & 0x0F);
}

Bytes buildDigestTable(const Bytes& map0)
{
    Bytes table(kDigestTableBytes, 0);
    const uint32_t blocks = static_cast<uint32_t>(map0.size() / 196);
    for (uint32_t n = 0; n < blocks && n / 2 < kDigestTableBytes; ++n) {
        const uint8_t nibble = mapBlockDigestNibble(n, map0.data() + static_cast<size_t>(n) * 196);
        table[n / 2] |= (n & 1) == 0 ? static_cast<uint8_t>(nibble << 4) : nibble;
    }
    return table;
}

GumpArt encodeGumpArt(uint32_t width, uint32_t height, const std::vector<uint16_t>& pixels)
{
    if (pixels.size() != static_cast<size_t>(width) * height) throw std::invalid_argument("pixel count");
    // Row table first (offsets in 32-bit words from the entry start), then each row's runs.
    std::vector<std::vector<uint32_t>> rows(height);
    for (uint32_t y = 0; y < height; ++y) {
        uint32_t x = 0;
        while (x < width) {
            const uint16_t c = pixels[static_cast<size_t>(y) * width + x];
            uint32_t n = 1;
            while (x + n < width && pixels[static_cast<size_t>(y) * width + x + n] == c && n < 0xFFFF) ++n;
            rows[y].push_back(n << 16 | c);
            x += n;
        }
    }
    LeWriter w;
    uint32_t word = height;
    for (uint32_t y = 0; y < height; ++y) {
        w.u32(word);
        word += static_cast<uint32_t>(rows[y].size());
    }
    for (const auto& row : rows)
        for (uint32_t run : row) w.u32(run);
    return GumpArt{w.take(), width << 16 | height};
}

Bytes encodeArtImage(uint16_t width, uint16_t height, const std::vector<uint16_t>& pixels)
{
    if (pixels.size() != static_cast<size_t>(width) * height) throw std::invalid_argument("pixel count");
    // Row bodies first, so that the offset table can be written in front of them.
    std::vector<uint16_t> body;
    std::vector<uint16_t> offsets;
    for (uint16_t y = 0; y < height; ++y) {
        offsets.push_back(static_cast<uint16_t>(body.size()));
        uint16_t end = 0; // end of the previous run
        for (uint16_t x = 0; x < width;) {
            if (pixels[static_cast<size_t>(y) * width + x] == 0) {
                ++x;
                continue;
            }
            const uint16_t start = x;
            while (x < width && pixels[static_cast<size_t>(y) * width + x] != 0) ++x;
            body.push_back(static_cast<uint16_t>(start - end));
            body.push_back(static_cast<uint16_t>(x - start));
            body.insert(body.end(), pixels.begin() + static_cast<ptrdiff_t>(y) * width + start,
                        pixels.begin() + static_cast<ptrdiff_t>(y) * width + x);
            end = x;
        }
        body.push_back(0);
        body.push_back(0);
    }
    LeWriter w;
    w.u32(0x1234); // the header, unused by the reader
    w.u16(width).u16(height);
    for (uint16_t o : offsets) w.u16(o);
    for (uint16_t v : body) w.u16(v);
    return w.take();
}

Bytes encodeAnimGroup(const AnimGroup& group, uint32_t stamp)
{
    LeWriter w;
    w.u32(stamp);
    for (const AnimRecord& r : group) {
        for (int8_t o : r.offsets) w.s8(o);
        w.u8(r.current).u8(r.count).u8(r.interval).u8(r.delay);
    }
    return w.take();
}

Bytes encodeHueGroup(const HueGroup& group, uint32_t header)
{
    LeWriter w;
    w.u32(header);
    for (const HueEntry& e : group) {
        for (uint16_t c : e.colors) w.u16(c);
        w.u16(e.start).u16(e.end).fixedString(e.name, 20);
    }
    return w.take();
}

Bytes encodeHues(const std::vector<HueEntry>& entries)
{
    Bytes out;
    for (size_t g = 0; g < 375; ++g) {
        HueGroup group{};
        for (size_t i = 0; i < 8; ++i)
            if (g * 8 + i < entries.size()) group[i] = entries[g * 8 + i];
        const Bytes b = encodeHueGroup(group);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

} // namespace formats
