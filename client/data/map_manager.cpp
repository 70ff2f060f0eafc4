/** @file Map blocks, the data side. */
#include "client/data/map_manager.h"

#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "client/core/byte_reader.h"
#include "client/data/seasonal_art.h"

#include <nettle/md5.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

int32_t MapManager::CenterX = 0;
int32_t MapManager::CenterY = 0;
int32_t MapManager::CenterZ = 0;
int32_t MapManager::WindowCornerX = -9999;
int32_t MapManager::WindowCornerY = -9999;

namespace {

struct Geometry {
    int32_t index, width, height, wrapWidth, wrapHeight;
};
constexpr Geometry kMap0{0, 6144, 4096, 5120, 4096};
constexpr Geometry kMap2{2, 2304, 1600, 2304, 1600};

Geometry g_map = kMap0;
std::vector<uint8_t> g_digests;
bool g_checkEnabled = false;
std::unordered_set<int32_t> g_compared;
MapBlockReportSink g_reportSink = nullptr;

/** One addition or subtraction of the size; whatever is still outside stays outside. */
int32_t wrapOnce(int32_t v, int32_t size)
{
    if (v < 0) return v + size;
    if (v >= size) return v - size;
    return v;
}

void checkBlock(int32_t n, const uint8_t* block)
{
    if (!g_checkEnabled || g_digests.empty() || !g_compared.insert(n).second) return;
    const size_t at = static_cast<size_t>(n) / 2;
    if (at >= g_digests.size()) return;
    const uint8_t expected = (n & 1) == 0 ? static_cast<uint8_t>(g_digests[at] >> 4) : (g_digests[at] & 0x0F);
    if (MapBlockDigestNibble(n, block) != expected && g_reportSink != nullptr) g_reportSink(n, block);
}

/** Heights of (x, y), (x + 1, y), (x + 1, y + 1), (x, y + 1) through landZ; all 0 outside the map. */
template <class LandZ>
void cornerHeights(int32_t x, int32_t y, int8_t out[4], LandZ&& landZ)
{
    if (!MapManager::InMap(x, y)) {
        std::fill(out, out + 4, 0);
        return;
    }
    out[0] = landZ(x, y);
    out[1] = landZ(x + 1, y);
    out[2] = landZ(x + 1, y + 1);
    out[3] = landZ(x, y + 1);
}

/** The land tile of cell (x, y) of its block (null: none) through the seasonal substitution. */
uint16_t cellTile(const uint8_t* block, int32_t x, int32_t y)
{
    if (block == nullptr) return RemapSeasonalLand(0);
    // A block: a 4-byte header, then 64 cells of {u16 tile, s8 z}.
    ByteReader cells(block, 4 + 64 * 3);
    return RemapSeasonalLand(cells.u16leAt(4 + static_cast<size_t>((y & 7) * 8 + (x & 7)) * 3));
}

} // namespace

StaticsRecord DecodeStaticsRecord(const uint8_t* p)
{
    ByteReader record(p, 7);
    const uint16_t graphic = record.u16le();
    const uint8_t x = record.u8();
    const uint8_t y = record.u8();
    const int8_t z = record.s8();
    return StaticsRecord{graphic, x, y, z, record.u16le()};
}

uint8_t MapBlockDigestNibble(int32_t n, const uint8_t* data196)
{
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, kMapBlockSize, data196);
    uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&ctx, sizeof digest, digest);
    return static_cast<uint8_t>(digest[(n & 1) == 0 ? 2 : 4] & 0x0F);
}

void MapManager::startup()
{
    KZReport::message("MapManager::startup: begin.\n");
    g_map = kMap0;
    CenterX = CenterY = CenterZ = 0;
    g_checkEnabled = false;
    g_compared.clear();
    ResetBlockWindow();
}

void MapManager::SetMap(int32_t index)
{
    const Geometry& wanted = index == 2 ? kMap2 : kMap0;
    if (wanted.index == g_map.index) return;
    g_map = wanted;
    ResetBlockWindow();
}

void MapManager::ResetBlockWindow()
{
    WindowCornerX = WindowCornerY = -9999;
}

int32_t MapManager::GetDistance(MapPoint a, MapPoint b)
{
    const bool aWraps = a.x < g_map.wrapWidth;
    const bool bWraps = b.x < g_map.wrapWidth;
    if (aWraps != bWraps) return 9999;
    int32_t dx = std::abs(a.x - b.x);
    int32_t dy = std::abs(a.y - b.y);
    if (aWraps) {
        dx = std::min(dx, g_map.wrapWidth - dx);
        dy = std::min(dy, g_map.wrapHeight - dy);
    }
    return std::max(dx, dy);
}

int32_t MapManager::GetDistanceXY(MapPoint a, int32_t x, int32_t y)
{
    return GetDistance(a, MapPoint{x, y});
}

int32_t MapManager::BlockNumber(int32_t x, int32_t y)
{
    return (x >> 3) * (g_map.height >> 3) + (y >> 3);
}

bool MapManager::InMap(int32_t x, int32_t y)
{
    // One unsigned comparison an axis: a negative coordinate turns into a huge one.
    return static_cast<uint32_t>(x) < static_cast<uint32_t>(g_map.width) &&
           static_cast<uint32_t>(y) < static_cast<uint32_t>(g_map.height);
}

const uint8_t* MapManager::GetMapBlock(int32_t n)
{
    return CDHDCache::GetRecord(FILE_MAP0, n);
}

int8_t MapManager::GetLandZ(int32_t x, int32_t y)
{
    x = wrapOnce(x, g_map.width);
    y = wrapOnce(y, g_map.height);
    if (!InMap(x, y)) return 0;
    const int32_t n = BlockNumber(x, y);
    const uint8_t* block = GetMapBlock(n);
    if (block == nullptr) return 0;
    checkBlock(n, block);
    return static_cast<int8_t>(block[4 + ((y & 7) * 8 + (x & 7)) * 3 + 2]);
}

void MapManager::GetCornerHeights(int32_t x, int32_t y, int8_t out[4])
{
    cornerHeights(x, y, out, GetLandZ);
}

uint16_t MapManager::GetLandTileId(int32_t x, int32_t y)
{
    if (!InMap(x, y)) return 0x8001;
    return cellTile(GetMapBlock(BlockNumber(x, y)), x, y);
}

const uint8_t* MapManager::GetStaticsBlock(int32_t n, int32_t* size, int32_t* extra)
{
    int32_t length = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_STAIDX0, FILE_STATICS0, n, &length, extra);
    if (data == nullptr) length = 0;
    if (length % kStaticsRecordSize != 0)
        KZReport::warning("MapManager::GetStaticsBlock: block %d has %d bytes of statics; reading whole records only.\n",
                          n, length);
    length -= length % kStaticsRecordSize;
    if (size != nullptr) *size = length;
    return length > 0 ? data : nullptr;
}

std::vector<StaticsRecord> MapManager::ReadStatics(int32_t n)
{
    int32_t size = 0;
    const uint8_t* data = GetStaticsBlock(n, &size, nullptr);
    std::vector<StaticsRecord> out;
    for (int32_t at = 0; data != nullptr && at + kStaticsRecordSize <= size; at += kStaticsRecordSize)
        out.push_back(DecodeStaticsRecord(data + at));
    return out;
}

bool MapManager::LoadDigestTable()
{
    const auto bytes = kzdata::ReadDataFile(kMapDigestFile);
    if (!bytes || bytes->size() < kMapDigestBytes) {
        KZReport::warning("MapManager::LoadDigestTable: '%s' is missing or short; map blocks are not checked.\n",
                          kMapDigestFile);
        g_digests.clear();
        return false;
    }
    LoadDigestTableFrom(bytes->data(), bytes->size());
    return true;
}

void MapManager::LoadDigestTableFrom(const uint8_t* data, size_t size)
{
    g_compared.clear();
    if (data == nullptr || size < kMapDigestBytes) {
        g_digests.clear();
        return;
    }
    g_digests.assign(data, data + kMapDigestBytes);
}

void MapManager::EnableBlockCheck()
{
    g_checkEnabled = true;
}

void MapManager::SetBlockReportSink(MapBlockReportSink sink)
{
    g_reportSink = sink;
}

LandCellReader::Block& LandCellReader::blockAt(int32_t x, int32_t y)
{
    Block& b = blocks_[((x >> 3) & 7) * 8 + ((y >> 3) & 7)];
    const int32_t n = (x >> 3) * (g_map.height >> 3) + (y >> 3);
    if (b.n != n) {
        b.n = n;
        b.checked = false;
        const uint8_t* block = MapManager::GetMapBlock(n);
        b.present = block != nullptr;
        if (b.present) std::copy(block, block + kMapBlockSize, b.bytes);
    }
    return b;
}

int8_t LandCellReader::LandZ(int32_t x, int32_t y)
{
    // Most reads lie in the map, where the wrap leaves them as they are.
    if (!MapManager::InMap(x, y)) {
        x = wrapOnce(x, g_map.width);
        y = wrapOnce(y, g_map.height);
        if (!MapManager::InMap(x, y)) return 0;
    }
    Block& b = blockAt(x, y);
    if (!b.present) return 0;
    if (!b.checked) {
        b.checked = true;
        checkBlock(b.n, b.bytes);
    }
    return static_cast<int8_t>(b.bytes[4 + ((y & 7) * 8 + (x & 7)) * 3 + 2]);
}

void LandCellReader::CornerHeights(int32_t x, int32_t y, int8_t out[4])
{
    cornerHeights(x, y, out, [this](int32_t cx, int32_t cy) { return LandZ(cx, cy); });
}

uint16_t LandCellReader::LandTileId(int32_t x, int32_t y)
{
    if (!MapManager::InMap(x, y)) return 0x8001;
    const Block& b = blockAt(x, y);
    return cellTile(b.present ? b.bytes : nullptr, x, y);
}

int32_t MapManager::MapIndex()
{
    return g_map.index;
}
int32_t MapManager::MapWidth()
{
    return g_map.width;
}
int32_t MapManager::MapHeight()
{
    return g_map.height;
}
int32_t MapManager::WrapWidth()
{
    return g_map.wrapWidth;
}
int32_t MapManager::WrapHeight()
{
    return g_map.wrapHeight;
}
int32_t MapManager::BlocksWide()
{
    return g_map.width >> 3;
}
int32_t MapManager::BlocksHigh()
{
    return g_map.height >> 3;
}
