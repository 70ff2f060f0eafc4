/** @file Writer of regions.mul. */
#include "tools/formats/region_formats.h"

namespace formats {

Bytes encodeRegions(int version, const std::vector<RegionEntry>& entries)
{
    LeWriter w;
    if (version == 2) w.u16(64206);
    if (version == 3) w.u16(64207);
    for (const RegionEntry& e : entries) {
        w.fixedString(e.name, 40).u16(e.id);
        for (int16_t v : e.values) w.s16(v);
        w.zeros(4);
        if (version < 2) continue;
        w.fixedString(e.text, 40).u16(e.extra[0]).u16(e.extra[1]);
        if (version == 3) w.u16(e.extra[2]);
        w.u8(e.flag);
        if (version == 3) w.u16(e.last);
    }
    return w.take();
}

} // namespace formats
