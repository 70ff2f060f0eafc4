/** @file Writers for the world's data files. */
#include "tools/formats/world_formats.h"

namespace formats {

Bytes encodePaceTable(const std::vector<std::pair<int8_t, int8_t>>& pairs)
{
    LeWriter w;
    for (const auto& [walk, run] : pairs) w.s8(walk).s8(run);
    return w.take();
}

Bytes TileDataWriter::landGroup(uint32_t group, uint32_t header) const
{
    LeWriter w;
    w.u32(header);
    for (uint32_t i = 0; i < 32; ++i) {
        const auto it = land_.find(static_cast<uint16_t>(group * 32 + i));
        const LandTileData e = it != land_.end() ? it->second : LandTileData{};
        w.u32(e.flags).u16(e.texture).fixedString(e.name, 20);
    }
    return w.take();
}

Bytes TileDataWriter::itemGroup(uint32_t group, uint32_t header) const
{
    LeWriter w;
    w.u32(header);
    for (uint32_t i = 0; i < 32; ++i) {
        const auto it = item_.find(static_cast<uint16_t>(group * 32 + i));
        const ItemTileData e = it != item_.end() ? it->second : ItemTileData{};
        w.u32(e.flags).u8(e.weight).u8(e.quality).u32(e.value).u16(e.animation).u16(e.hue).u16(e.light).u8(e.height);
        w.fixedString(e.name, 20);
    }
    return w.take();
}

Bytes TileDataWriter::bytes() const
{
    LeWriter w;
    for (uint32_t g = 0; g < 512; ++g) w.bytes(landGroup(g));
    for (uint32_t g = 0; g < 512; ++g) w.bytes(itemGroup(g));
    return w.take();
}

Bytes encodeMulti(const std::vector<MultiPiece>& pieces)
{
    LeWriter w;
    for (const MultiPiece& p : pieces) w.u16(p.graphic).s16(p.x).s16(p.y).s16(p.z).u32(p.flags);
    return w.take();
}

Bytes encodeMultiNetwork(const std::vector<MultiPiece>& pieces)
{
    Bytes out;
    const auto be16 = [&out](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    };
    for (const MultiPiece& p : pieces) {
        be16(p.graphic);
        be16(static_cast<uint16_t>(p.x));
        be16(static_cast<uint16_t>(p.y));
        be16(static_cast<uint16_t>(p.z));
        be16(p.flags >> 16);
        be16(p.flags);
    }
    return out;
}

} // namespace formats
