/** @file The tile tables and their file layout. */
#include "client/world/tile_data.h"

#include "client/core/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<LandTileEntry> g_land(TileData::kEntries);
std::vector<ItemTileEntry> g_item(TileData::kEntries);

void copyName(char (&to)[kTileNameLength + 1], ByteReader& in)
{
    in.fixedString(kTileNameLength, to, sizeof to);
}

// Each entry lies wholly inside its group, whose size the caller has checked.
void readLand(LandTileEntry& e, ByteReader in)
{
    e.flags = in.u32le();
    e.textureId = in.u16le();
    copyName(e.name, in);
}

void readItem(ItemTileEntry& e, ByteReader in)
{
    e.flags = in.u32le();
    e.weight = in.u8();
    e.quality = in.u8();
    e.value = in.u32le();
    e.animationId = in.u16le();
    e.hue = in.u16le();
    e.lightId = in.u16le();
    e.height = in.u8();
    copyName(e.name, in);
}

} // namespace

namespace TileData {

void Clear()
{
    std::fill(g_land.begin(), g_land.end(), LandTileEntry{});
    std::fill(g_item.begin(), g_item.end(), ItemTileEntry{});
}

bool SetLandGroup(int32_t group, const uint8_t* data, size_t size)
{
    if (group < 0 || group >= kGroupsPerPart || data == nullptr || size < kLandGroupSize) return false;
    ByteReader in(data, kLandGroupSize);
    in.skip(4);
    for (size_t i = 0; i < 32; ++i) readLand(g_land[static_cast<size_t>(group) * 32 + i], in.sub(kLandEntrySize));
    return true;
}

bool SetItemGroup(int32_t group, const uint8_t* data, size_t size)
{
    if (group < 0 || group >= kGroupsPerPart || data == nullptr || size < kItemGroupSize) return false;
    ByteReader in(data, kItemGroupSize);
    in.skip(4);
    for (size_t i = 0; i < 32; ++i) readItem(g_item[static_cast<size_t>(group) * 32 + i], in.sub(kItemEntrySize));
    return true;
}

void LoadFrom(const uint8_t* data, size_t size)
{
    Clear();
    if (data == nullptr) return;
    for (int32_t g = 0; g < kGroupsPerPart; ++g) {
        const size_t at = static_cast<size_t>(g) * kLandGroupSize;
        if (at + kLandGroupSize > size) return;
        SetLandGroup(g, data + at, kLandGroupSize);
    }
    for (int32_t g = 0; g < kGroupsPerPart; ++g) {
        const size_t at = kItemPartOffset + static_cast<size_t>(g) * kItemGroupSize;
        if (at + kItemGroupSize > size) return;
        SetItemGroup(g, data + at, kItemGroupSize);
    }
}

const LandTileEntry& Land(int32_t id)
{
    return g_land[static_cast<size_t>(id & 0x3fff)];
}

const ItemTileEntry& Item(int32_t id)
{
    return g_item[static_cast<size_t>(id & 0x3fff)];
}

ItemTileEntry& MutableItem(int32_t id)
{
    return g_item[static_cast<size_t>(id & 0x3fff)];
}

uint32_t ItemFlags(int32_t id)
{
    return Item(id).flags;
}

} // namespace TileData

const char* FormatTileName(int32_t graphic, bool plural)
{
    static char buffer[128];
    const ItemTileEntry& e = TileData::Item(graphic);
    std::string out;
    if (!plural) {
        switch (e.flags & TILE_ARTICLE_MASK) {
        case TILE_ARTICLE_A: out = "a "; break;
        case TILE_ARTICLE_AN: out = "an "; break;
        case TILE_ARTICLE_MASK: out = "the "; break;
        default: break;
        }
    }
    const std::string name = e.name;
    size_t i = 0;
    while (i < name.size()) {
        const size_t open = name.find('%', i);
        if (open == std::string::npos) {
            out += name.substr(i);
            break;
        }
        out += name.substr(i, open - i);
        size_t close = name.find('%', open + 1);
        if (close == std::string::npos) close = name.size();
        const std::string part = name.substr(open + 1, close - open - 1);
        const size_t slash = part.find('/');
        if (slash == std::string::npos)
            out += plural ? part : std::string();
        else
            out += plural ? part.substr(0, slash) : part.substr(slash + 1);
        i = close + 1;
    }
    std::strncpy(buffer, out.c_str(), sizeof buffer - 1);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}
