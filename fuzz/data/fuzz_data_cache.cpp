/** @file Fuzz target: index, data, map and statics bytes read through the data cache, direct and cached, in memory. */
#include "client/core/kz_report.h"
#include "client/data/cache_store.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/map_manager.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged line would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // The input is cut into the statics index, the statics data and the map, in thirds. Every
    // other input has the statics pair come from the data source through the disk cache.
    static std::vector<uint8_t> cacheImage(kzdata::CacheStore::imageSize(1));
    const bool cached = (size & 1) != 0;
    const size_t third = size / 3;
    CDHDCache::startup();
    CDHDCache::AttachMemoryFile(FILE_STAIDX0, data, static_cast<uint32_t>(third), !cached);
    CDHDCache::AttachMemoryFile(FILE_STATICS0, data + third, static_cast<uint32_t>(third), !cached);
    CDHDCache::AttachMemoryFile(FILE_MAP0, data + 2 * third, static_cast<uint32_t>(size - 2 * third), true);
    if (cached) CDHDCache::AttachMemoryCache(cacheImage.data(), 1);
    for (int32_t n = 0; n < 8; ++n) {
        MapManager::ReadStatics(n);
        MapManager::ReadStatics(n + 4096);
        MapManager::GetLandZ(n * 8, n);
    }
    // A block read again comes from the cache; so does the item list of the first block.
    MapManager::ReadStatics(0);
    CDHDCache::AttachMemoryCache(nullptr, 0);
    return 0;
}
