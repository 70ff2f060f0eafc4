/** @file Record look-ups through the data cache against plain array reads of the same bytes. */
// bench-links: client_data formats

#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "tools/formats/data_formats.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kLookups = 1000000;
constexpr uint32_t kBlockColumns = 16;

/** An install with a 16-column map and every other data file as small as mapping allows. */
struct Install {
    std::filesystem::path dir;
    formats::Bytes map;
    std::vector<int32_t> records;

    Install()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data()) != nullptr ? pattern : "kz-bench";
        formats::MapWriter writer(kBlockColumns, 512);
        for (uint32_t x = 0; x < kBlockColumns * 8; ++x)
            for (uint32_t y = 0; y < 4096; y += 3) writer.setCell(x, y, static_cast<uint16_t>(x + y), static_cast<int8_t>(x ^ y));
        map = writer.bytes();
        for (int32_t id = 0; id < kDataFileCount; ++id) {
            std::ofstream out(dir / g_DataFileInfo[id].name, std::ios::binary);
            if (id == FILE_MAP0)
                out.write(reinterpret_cast<const char*>(map.data()), static_cast<std::streamsize>(map.size()));
            else
                out.write("\xff\xff\xff\xff\0\0\0\0\0\0\0\0", 12);
        }
        std::mt19937 rng(12345);
        std::uniform_int_distribution<int32_t> pick(0, static_cast<int32_t>(writer.blockCount()) - 1);
        records.resize(kLookups);
        for (int32_t& r : records) r = pick(rng);

        kzdata::dataSettings().hdPath = dir.string();
        CDHDCache::startup();
        CDHDCache::Init();
    }
    ~Install()
    {
        CDHDCache::shutdown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Install& install()
{
    static Install data;
    return data;
}

void BM_CacheRecordLookups(benchmark::State& state)
{
    Install& in = install();
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t n : in.records) sum += CDHDCache::GetRecord(FILE_MAP0, n)[6];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kLookups));
}
BENCHMARK(BM_CacheRecordLookups)->Unit(benchmark::kMillisecond);

void BM_PlainArrayReads(benchmark::State& state)
{
    Install& in = install();
    const uint8_t* base = in.map.data();
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t n : in.records) sum += base[static_cast<size_t>(n) * 196 + 6];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kLookups));
}
BENCHMARK(BM_PlainArrayReads)->Unit(benchmark::kMillisecond);

} // namespace
