/** @file Writers for the world's data files: the pace table (animinfo.mul), tile data and multis. */
#pragma once

#include "tools/formats/le_writer.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace formats {

/** animinfo.mul: one pair of signed bytes (walk frames, run frames per cell) for each body, in order. */
Bytes encodePaceTable(const std::vector<std::pair<int8_t, int8_t>>& pairs);

} // namespace formats
