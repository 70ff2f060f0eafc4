/** @file Named regions of regions.mul. */
#include "client/world/region_manager.h"

#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"
#include "client/data/le_read.h"

#include <cstring>
#include <memory>

namespace {

std::array<std::unique_ptr<CRegionRecord>, RegionManager::kTableSize> g_regions;

std::string_view boundedText(const char (&text)[40])
{
    return std::string_view(text, strnlen(text, sizeof text));
}

/** One record at p in the given layout (1, 2 or 3); the caller has checked its size. */
CRegionRecord decodeRecord(const uint8_t* p, int version)
{
    CRegionRecord r;
    std::memcpy(r.name, p, sizeof r.name);
    for (int i = 0; i < 6; ++i) r.values[i] = kzdata::readS16(p + 42 + 2 * i);
    if (version == 1) return r;
    const uint8_t* q = p + RegionManager::kRecordSizeV1;
    std::memcpy(r.text, q, sizeof r.text);
    q += sizeof r.text;
    const int words = version == 2 ? 2 : 3;
    for (int i = 0; i < words; ++i, q += 2) r.extra[i] = kzdata::readU16(q);
    r.flag = *q++;
    if (version == 3) r.last = kzdata::readU16(q);
    return r;
}

} // namespace

std::string_view CRegionRecord::Name() const
{
    return boundedText(name);
}

std::string_view CRegionRecord::Text() const
{
    return boundedText(text);
}

namespace RegionManager {

void startup()
{
    shutdown();
    readRegionsIntoMemory();
}

void shutdown()
{
    for (auto& slot : g_regions) slot.reset();
}

void readRegionsIntoMemory()
{
    unsigned char* data = nullptr;
    const int32_t size = FileManager::load(kFileName, &data);
    if (size <= 0 || data == nullptr) {
        KZReport::message("RegionManager::readRegionsIntoMemory: cannot open file '%s'.\n", kFileName);
        return;
    }
    KZReport::message("RegionManager::readRegionsIntoMemory: ???.\n");
    readRegionsFrom(data, static_cast<size_t>(size));
    MemoryManager::FreeMem(data);
}

int32_t readRegionsFrom(const uint8_t* data, size_t size)
{
    if (data == nullptr) return 0;
    int version = 1;
    size_t at = 0;
    if (size >= 2) {
        const uint16_t word = kzdata::readU16(data);
        if (word == kVersion2Word) version = 2;
        if (word >= kVersion3Word) version = 3;
        if (version != 1) at = 2;
    }
    const size_t recordSize = version == 1 ? kRecordSizeV1 : version == 2 ? kRecordSizeV2 : kRecordSizeV3;
    int32_t count = 0;
    for (; count < kTableSize && size - at >= recordSize; ++count, at += recordSize) {
        const uint16_t id = kzdata::readU16(data + at + 40);
        if (id >= kTableSize) continue;
        g_regions[id] = std::make_unique<CRegionRecord>(decodeRecord(data + at, version));
    }
    return count;
}

const CRegionRecord* GetRegion(int32_t id)
{
    if (id < 0 || id >= kTableSize) return nullptr;
    return g_regions[static_cast<size_t>(id)].get();
}

int32_t RegionCount()
{
    int32_t n = 0;
    for (const auto& slot : g_regions) n += slot != nullptr;
    return n;
}

} // namespace RegionManager
