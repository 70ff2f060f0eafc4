/** @file Fuzz target: installed index, data, map and statics files read through the data cache, direct and cached. */
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "client/data/map_manager.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void writeFile(const std::filesystem::path& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f == nullptr) return;
    // An empty file cannot be mapped: every file holds at least one byte.
    const uint8_t zero = 0;
    std::fwrite(size > 0 ? data : &zero, 1, size > 0 ? size : 1, f);
    std::fclose(f);
}

/** A scratch install folder, removed when the process ends normally. */
struct ScratchFolder {
    std::filesystem::path path;
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::filesystem::path& folder()
{
    static const ScratchFolder dir{[] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-fuzz-data-XXXXXX").string();
        const std::filesystem::path d = mkdtemp(pattern.data()) != nullptr ? pattern : "kz-fuzz-data";
        std::filesystem::create_directories(d / "cd");
        for (int32_t id = 0; id < kDataFileCount; ++id) writeFile(d / g_DataFileInfo[id].name, nullptr, 0);
        return d;
    }()};
    return dir.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is cut into the statics index, the statics data and the map, in thirds. Mostly the
    // statics pair is mapped straight from the install; one input in sixteen has it come from the
    // data-source folder through the disk cache (making the cache file is the slow part).
    const bool cached = (size & 15) == 1;
    const size_t third = size / 3;
    const std::filesystem::path& dir = folder();
    const std::filesystem::path statics = cached ? dir / "cd" : dir;
    std::filesystem::remove(dir / (cached ? "staidx0.mul" : "cd/staidx0.mul"));
    std::filesystem::remove(dir / (cached ? "statics0.mul" : "cd/statics0.mul"));
    writeFile(statics / "staidx0.mul", data, third);
    writeFile(statics / "statics0.mul", data + third, third);
    writeFile(dir / "map0.mul", data + 2 * third, size - 2 * third);

    kzdata::DataSettings& s = kzdata::dataSettings();
    s.hdPath = dir.string();
    s.cdPath = (dir / "cd").string();
    s.maxHd = !cached;
    s.cacheSize = 1;
    CDHDCache::startup();
    CDHDCache::Init();
    for (int32_t n = 0; n < 8; ++n) {
        MapManager::ReadStatics(n);
        MapManager::ReadStatics(n + 4096);
        MapManager::GetLandZ(n * 8, n);
    }
    CDHDCache::shutdown();
    return 0;
}
