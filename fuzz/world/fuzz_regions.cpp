/** @file Fuzz target: any bytes read as regions.mul, then every slot of the table looked at. */
#include "client/world/region_manager.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegionManager::readRegionsFrom(data, size);
    size_t total = 0;
    for (int32_t id = -1; id <= RegionManager::kTableSize; ++id)
        if (const CRegionRecord* r = RegionManager::GetRegion(id)) total += r->Name().size() + r->Text().size();
    RegionManager::shutdown();
    return total > 0 ? 0 : 0;
}
