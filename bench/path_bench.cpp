/** @file Path searches between random cells of a written 64 x 64 map with walls, platforms and stairs. */
// bench-links: client_world client_data formats

#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "client/data/map_manager.h"
#include "client/world/map_cell_source.h"
#include "client/world/path_manager.h"
#include "client/world/terrain.h"
#include "tools/formats/data_formats.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kColumns = 8; // 64 cells wide
constexpr uint32_t kBlocksHigh = 512;
constexpr uint16_t kGround = 3, kWall = 0x80, kStair = 0x700;
constexpr int kSearches = 1000;

class Tiles final : public TileDataView {
public:
    uint32_t LandFlags(uint16_t id) const override { return id <= 1 ? kTileImpassable : 0; }
    uint16_t LandTexture(uint16_t) const override { return 0; }
    uint32_t ItemFlags(uint16_t g) const override
    {
        return g == kWall ? kTileImpassable : g == kStair ? (kTileSurface | kTileBridge) : 0;
    }
    int32_t ItemHeight(uint16_t g) const override { return g == kWall ? 20 : g == kStair ? 10 : 0; }
};

/**
 * Ground at z 0 over 64 x 64 cells (no block beyond: the world ends there), walls in long
 * random runs, and four platforms at z 10 each reached by a stair on one side.
 */
struct Install {
    std::filesystem::path dir;
    Tiles tiles;
    std::unique_ptr<MapCellSource> source;
    std::vector<int8_t> heights = std::vector<int8_t>(64 * 64, 0);

    Install()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-path-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data()) != nullptr ? pattern : "kz-path-bench";
        formats::MapWriter map(kColumns, kBlocksHigh);
        std::map<uint32_t, std::vector<formats::StaticRecord>> statics;
        std::set<uint32_t> stairs;
        auto addStatic = [&](uint32_t x, uint32_t y, uint16_t g) {
            statics[(x >> 3) * kBlocksHigh + (y >> 3)].push_back(
                {g, static_cast<uint8_t>(x & 7), static_cast<uint8_t>(y & 7), 0, 0});
        };
        const uint32_t platforms[4][2] = {{8, 8}, {40, 10}, {12, 44}, {44, 44}};
        for (const auto& p : platforms) {
            for (uint32_t y = p[1]; y < p[1] + 8; ++y)
                for (uint32_t x = p[0]; x < p[0] + 8; ++x) heights[y * 64 + x] = 10;
            addStatic(p[0] - 1, p[1] + 3, kStair);
            stairs.insert((p[1] + 3) * 64 + p[0] - 1);
        }
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x) map.setCell(x, y, kGround, heights[y * 64 + x]);
        std::mt19937 rng(777);
        for (int run = 0; run < 24; ++run) {
            const uint32_t x = rng() % 64, y = rng() % 64, length = 6 + rng() % 20;
            const bool across = (rng() & 1) != 0;
            for (uint32_t i = 0; i < length; ++i) {
                const uint32_t wx = across ? x + i : x, wy = across ? y : y + i;
                if (wx < 64 && wy < 64 && heights[wy * 64 + wx] == 0 && stairs.count(wy * 64 + wx) == 0 && i % 9 != 4)
                    addStatic(wx, wy, kWall);
            }
        }
        formats::IndexedFileWriter staticsFile;
        staticsFile.reserve(kColumns * kBlocksHigh);
        for (const auto& [block, records] : statics) staticsFile.add(block, formats::encodeStatics(records));
        const formats::Bytes index = staticsFile.indexBytes();
        for (int32_t id = 0; id < kDataFileCount; ++id) {
            std::ofstream out(dir / g_DataFileInfo[id].name, std::ios::binary);
            const formats::Bytes* bytes = id == FILE_MAP0       ? &map.bytes()
                                          : id == FILE_STAIDX0  ? &index
                                          : id == FILE_STATICS0 ? &staticsFile.dataBytes()
                                                                : nullptr;
            if (bytes != nullptr)
                out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
            else
                out.write("\xff\xff\xff\xff\0\0\0\0\0\0\0\0", 12);
        }
        kzdata::dataSettings().hdPath = dir.string();
        CDHDCache::startup();
        CDHDCache::Init();
        MapManager::startup();
        source = std::make_unique<MapCellSource>(tiles);
        Terrain::SetCellSource(source.get());
    }
    ~Install()
    {
        Terrain::SetCellSource(nullptr);
        CDHDCache::shutdown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void BM_RandomPathSearches(benchmark::State& state)
{
    Install install;
    std::mt19937 rng(4242);
    struct Search {
        int32_t sx, sy, sz, gx, gy, gz;
    };
    std::vector<Search> searches(kSearches);
    for (Search& s : searches) {
        s.sx = static_cast<int32_t>(rng() % 64);
        s.sy = static_cast<int32_t>(rng() % 64);
        s.gx = static_cast<int32_t>(rng() % 64);
        s.gy = static_cast<int32_t>(rng() % 64);
        s.sz = install.heights[static_cast<size_t>(s.sy * 64 + s.sx)];
        s.gz = install.heights[static_cast<size_t>(s.gy * 64 + s.gx)];
    }
    double worstMs = 0;
    int32_t worstExpansions = 0;
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const Search& s : searches) {
            const auto t0 = std::chrono::steady_clock::now();
            const PathNode* goal = PathManager::FindPath(s.sx, s.sy, s.sz, s.gx, s.gy, s.gz, 5000, 1);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            found += goal != nullptr;
            if (ms > worstMs) {
                worstMs = ms;
                worstExpansions = PathManager::Expansions();
            }
        }
    }
    PathManager::FreeLists();
    state.counters["searches_per_s"] =
        benchmark::Counter(static_cast<double>(kSearches), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["worst_ms"] = worstMs;
    state.counters["worst_expansions"] = worstExpansions;
    state.counters["found"] = found;
}
BENCHMARK(BM_RandomPathSearches)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
