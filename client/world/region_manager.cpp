/** @file Named regions of regions.mul. */
#include "client/world/region_manager.h"

#include "client/core/byte_reader.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"

#include <cstring>
#include <memory>

namespace {

std::array<std::unique_ptr<CRegionRecord>, RegionManager::kTableSize> g_regions;

std::string_view boundedText(const char (&text)[40])
{
    return std::string_view(text, strnlen(text, sizeof text));
}

/** One record of the given layout (1, 2 or 3), read from a view of exactly its size. */
CRegionRecord decodeRecord(ByteReader in, int version)
{
    CRegionRecord r;
    in.copy(r.name, sizeof r.name);
    in.skip(2); // the id, read by the caller
    for (int16_t& v : r.values) v = in.s16le();
    if (version == 1) return r;
    in.seek(RegionManager::kRecordSizeV1);
    in.copy(r.text, sizeof r.text);
    const int words = version == 2 ? 2 : 3;
    for (int i = 0; i < words; ++i) r.extra[i] = in.u16le();
    r.flag = in.u8();
    if (version == 3) r.last = in.u16le();
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
    ByteReader in(data, size);
    int version = 1;
    if (size >= 2) {
        const uint16_t word = in.u16leAt(0);
        if (word == kVersion2Word) version = 2;
        if (word >= kVersion3Word) version = 3;
        if (version != 1) in.skip(2);
    }
    const size_t recordSize = version == 1 ? kRecordSizeV1 : version == 2 ? kRecordSizeV2 : kRecordSizeV3;
    int32_t count = 0;
    for (; count < kTableSize && in.has(recordSize); ++count) {
        ByteReader record = in.sub(recordSize);
        const uint16_t id = record.u16leAt(40);
        if (id >= kTableSize) continue;
        g_regions[id] = std::make_unique<CRegionRecord>(decodeRecord(record, version));
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
