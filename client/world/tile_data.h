/** @file Tile data: the land and item tile tables read from tiledata.mul, their flag bits and tile names. */
#pragma once

#include <cstddef>
#include <cstdint>

/** Item flag bits the world model uses. */
enum TileFlag : uint32_t {
    TILE_IMPASSABLE = 0x40,
    TILE_WET = 0x80,
    TILE_SURFACE = 0x200,
    TILE_BRIDGE = 0x400,
    TILE_STACKABLE = 0x800,
    TILE_ARTICLE_A = 0x4000,
    TILE_ARTICLE_AN = 0x8000,
    TILE_ARTICLE_MASK = 0xc000,
    TILE_FOLIAGE = 0x20000,
    TILE_MAP = 0x100000,
    TILE_CONTAINER = 0x200000,
    TILE_WEARABLE = 0x400000,
    TILE_LIGHT_SOURCE = 0x800000,
    TILE_ANIMATED = 0x1000000,
    TILE_GHOST_PASSABLE = 0x20000000,
};

inline constexpr int32_t kTileNameLength = 20;

struct LandTileEntry {
    uint32_t flags = 0;
    uint16_t textureId = 0;
    /** Always NUL-terminated: a 20-byte name without a NUL is cut there. */
    char name[kTileNameLength + 1] = {};
};

struct ItemTileEntry {
    uint32_t flags = 0;
    uint8_t weight = 0;
    /** For wearables the equipment layer. */
    uint8_t quality = 0;
    /** The low 16 bits are the default amount of statics. */
    uint32_t value = 0;
    /** The body animation of a worn item. */
    uint16_t animationId = 0;
    /** The default hue of statics. */
    uint16_t hue = 0;
    uint16_t lightId = 0;
    uint8_t height = 0;
    char name[kTileNameLength + 1] = {};
};

/**
 * tiledata.mul, little-endian: 512 land groups {4-byte header, 32 entries of 26 bytes}, then from
 * byte 428,032 512 item groups {4-byte header, 32 entries of 37 bytes}. Group g holds ids 32g..32g+31.
 */
namespace TileData {

inline constexpr int32_t kEntries = 0x4000;
inline constexpr int32_t kGroupsPerPart = 512;
inline constexpr size_t kLandEntrySize = 26;
inline constexpr size_t kItemEntrySize = 37;
inline constexpr size_t kLandGroupSize = 4 + 32 * kLandEntrySize;  // 836
inline constexpr size_t kItemGroupSize = 4 + 32 * kItemEntrySize;  // 1,188
inline constexpr size_t kItemPartOffset = kGroupsPerPart * kLandGroupSize; // 428,032
inline constexpr size_t kFileSize = kItemPartOffset + kGroupsPerPart * kItemGroupSize;

/** Empties both tables. */
void Clear();
/** Fills the tables from a file image; what the image does not hold stays empty. */
void LoadFrom(const uint8_t* data, size_t size);
/** Replaces one land group (0..511) or item group (0..511) from a group in file layout; false when out of range. */
bool SetLandGroup(int32_t group, const uint8_t* data, size_t size);
bool SetItemGroup(int32_t group, const uint8_t* data, size_t size);

/** The entry of an id taken & 0x3fff. */
const LandTileEntry& Land(int32_t id);
const ItemTileEntry& Item(int32_t id);
ItemTileEntry& MutableItem(int32_t id);
uint32_t ItemFlags(int32_t id);

} // namespace TileData

/**
 * The display name of an item graphic into one static buffer: for the singular the article of the
 * flags, then the tile name where each part between "%" signs, "plural/singular", keeps the text
 * before the "/" in the plural and after it in the singular.
 */
const char* FormatTileName(int32_t graphic, bool plural);
