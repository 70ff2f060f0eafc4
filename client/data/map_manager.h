/** @file Map blocks, the data side: geometry and wrap-around, land cells and statics records, heights and the block digest check. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MapPoint {
    int32_t x;
    int32_t y;
};

/** One 7-byte statics record. */
struct StaticsRecord {
    uint16_t graphic;
    uint8_t x;
    uint8_t y;
    int8_t z;
    uint16_t hue;
};
inline constexpr int32_t kStaticsRecordSize = 7;
inline constexpr int32_t kMapBlockSize = 196;
StaticsRecord DecodeStaticsRecord(const uint8_t* p);

/** The file of the install folder holding the block digest nibbles (one per block of map 0). */
inline constexpr const char* kMapDigestFile = "map0.digest";
inline constexpr size_t kMapDigestBytes = 196608;

/** Where a block that differs from the digest table is reported (the game connection). */
using MapBlockReportSink = void (*)(int32_t block, const uint8_t* data196);

class MapManager {
public:
    static void startup();
    /** 2 selects map 2, any other value map 0; a change empties the statics window. */
    static void SetMap(int32_t index);
    static void ResetBlockWindow();

    /** Cells between two points with the wrap rules; 9999 across the edge of the wrapping world. */
    static int32_t GetDistance(MapPoint a, MapPoint b);
    static int32_t GetDistanceXY(MapPoint a, int32_t x, int32_t y);

    /** The cell's height; 0 where no block lies. Compares the block with the digest table once when enabled. */
    static int8_t GetLandZ(int32_t x, int32_t y);
    /** Heights of (x, y), (x + 1, y), (x + 1, y + 1), (x, y + 1); all 0 outside the map. */
    static void GetCornerHeights(int32_t x, int32_t y, int8_t out[4]);
    /** The cell's land tile through the seasonal substitution; 0x8001 outside the map. */
    static uint16_t GetLandTileId(int32_t x, int32_t y);

    static const uint8_t* GetMapBlock(int32_t n);
    /** The block's statics records; size is cut to whole 7-byte records. */
    static const uint8_t* GetStaticsBlock(int32_t n, int32_t* size, int32_t* extra);
    /** The block's statics records, decoded. */
    static std::vector<StaticsRecord> ReadStatics(int32_t n);

    /** Reads the digest table of the install; false (and no block ever reported) when it is missing or short. */
    static bool LoadDigestTable();
    static void LoadDigestTableFrom(const uint8_t* data, size_t size);
    /** Turns the block check on for the rest of the run (server packet 0xC6). */
    static void EnableBlockCheck();
    static void SetBlockReportSink(MapBlockReportSink sink);

    static int32_t MapIndex();
    static int32_t MapWidth();
    static int32_t MapHeight();
    static int32_t WrapWidth();
    static int32_t WrapHeight();
    static int32_t BlocksWide();
    static int32_t BlocksHigh();
    static int32_t BlockNumber(int32_t x, int32_t y);
    static bool InMap(int32_t x, int32_t y);

    /** View centre (cells) and the statics window corner (blocks; -9999 when empty). */
    static int32_t CenterX, CenterY, CenterZ;
    static int32_t WindowCornerX, WindowCornerY;
};

/**
 * The land cells of one pass over a part of the map (building the view): each map block is fetched
 * from the data cache once and its cells kept, so the many reads of a pass cost a lookup a block.
 * Answers exactly as MapManager::GetLandZ, GetCornerHeights and GetLandTileId; a kept block's
 * first height read goes through the block check as GetLandZ's does. The map and its files must
 * not change while a reader is in use.
 */
class LandCellReader {
public:
    int8_t LandZ(int32_t x, int32_t y);
    void CornerHeights(int32_t x, int32_t y, int8_t out[4]);
    uint16_t LandTileId(int32_t x, int32_t y);

private:
    struct Block {
        int32_t n = -1;
        bool present = false;
        bool checked = false;
        uint8_t bytes[kMapBlockSize];
    };
    /** The kept block of cell (x, y), which lies in the map. */
    Block& blockAt(int32_t x, int32_t y);

    // A block of an 8 x 8 square of blocks per slot: a view's 6 x 6 blocks never share one.
    Block blocks_[64];
};

/** The digest nibble of block n: for even n the low nibble of MD5 byte 2, for odd n of byte 4. */
uint8_t MapBlockDigestNibble(int32_t n, const uint8_t* data196);
