/** @file Writers for the world's data files. */
#include "tools/formats/world_formats.h"

namespace formats {

Bytes encodePaceTable(const std::vector<std::pair<int8_t, int8_t>>& pairs)
{
    LeWriter w;
    for (const auto& [walk, run] : pairs) w.s8(walk).s8(run);
    return w.take();
}

} // namespace formats
