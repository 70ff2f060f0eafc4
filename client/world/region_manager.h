/** @file Named regions of regions.mul, in a table indexed by region id. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

/** One region as stored; every field zero when constructed. Texts need not end in a NUL. */
struct CRegionRecord {
    char name[40] = {};
    int16_t values[6] = {};
    char text[40] = {};
    uint16_t extra[3] = {};
    uint8_t flag = 0;
    uint16_t last = 0;

    /** The name up to its first NUL, at most 40 characters. */
    std::string_view Name() const;
    std::string_view Text() const;
};

namespace RegionManager {

inline constexpr int32_t kTableSize = 8192;
inline constexpr const char* kFileName = "regions.mul";

/** The three record layouts; the first word of the file chooses one. */
inline constexpr uint16_t kVersion2Word = 64206;
inline constexpr uint16_t kVersion3Word = 64207;
inline constexpr size_t kRecordSizeV1 = 58;
inline constexpr size_t kRecordSizeV2 = 103;
inline constexpr size_t kRecordSizeV3 = 107;

/** Clears the table and reads regions.mul through the file manager (a missing file leaves it empty). */
void startup();
/** Frees every record. */
void shutdown();
void readRegionsIntoMemory();
/**
 * Reads a file image into the table: at most 8192 records, stopping at the first incomplete one.
 * A record replaces any earlier one of its id; ids of 8192 and more have no slot and are skipped.
 * Returns the records read (skipped ones included).
 */
int32_t readRegionsFrom(const uint8_t* data, size_t size);

/** The record of an id; null when none was read or the id has no slot. */
const CRegionRecord* GetRegion(int32_t id);
/** Records held in the table. */
int32_t RegionCount();

} // namespace RegionManager
