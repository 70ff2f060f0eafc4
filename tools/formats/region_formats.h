/** @file Writer of regions.mul in its three record layouts. */
#pragma once

#include "tools/formats/le_writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace formats {

/** One region record; the fields past the first layout are written only by the later layouts. */
struct RegionEntry {
    std::string name;
    uint16_t id = 0;
    std::array<int16_t, 6> values{};
    std::string text;
    std::array<uint16_t, 3> extra{};
    uint8_t flag = 0;
    uint16_t last = 0;
};

/**
 * regions.mul: version 1 has no version word and 58-byte records; version 2 starts with 64206 and
 * has 103-byte records; version 3 starts with 64207 and has 107-byte records.
 */
Bytes encodeRegions(int version, const std::vector<RegionEntry>& entries);

} // namespace formats
