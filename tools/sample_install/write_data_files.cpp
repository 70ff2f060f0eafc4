/** @file The sample install's game data files, drawn by code. */
#include "tools/sample_install/write_data_files.h"

#include "tools/sample_install/write_world_files.h"

#include "tools/formats/data_formats.h"
#include "tools/formats/region_formats.h"

#include <cmath>
#include <map>
#include <vector>

namespace sampleinstall {

namespace {

using formats::Bytes;

// The sample world: 8 block columns of map 0 (cells x 0..63, all 4096 rows).
constexpr uint32_t kBlockColumns = 8;
constexpr uint32_t kBlocksPerColumn = 512;
constexpr uint16_t kGrass = 3, kDirt = 113, kWater = 168, kRock = 220;

uint16_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r & 31) << 10 | (g & 31) << 5 | (b & 31));
}

/** Rolling hills with a pond and a dirt road near the start area (x 8..63, y 8..63). */
formats::MapWriter drawMap()
{
    formats::MapWriter map(kBlockColumns, kBlocksPerColumn);
    for (uint32_t x = 0; x < kBlockColumns * 8; ++x) {
        for (uint32_t y = 0; y < 128; ++y) {
            const double h = 4.0 * std::sin(x * 0.3) + 3.0 * std::cos(y * 0.25);
            int8_t z = static_cast<int8_t>(std::lround(h));
            uint16_t tile = kGrass;
            const int dx = static_cast<int>(x) - 40, dy = static_cast<int>(y) - 30;
            if (dx * dx + dy * dy < 25) {
                tile = kWater;
                z = -5;
            } else if (y == 20 || x == 24) {
                tile = kDirt;
            } else if (h > 6.0) {
                tile = kRock;
            }
            map.setCell(x, y, tile, z);
        }
    }
    return map;
}

/** A few trees, rocks and a lamp post in the blocks around the start area. */
formats::IndexedFileWriter drawStatics()
{
    formats::IndexedFileWriter statics;
    statics.reserve(kBlockColumns * kBlocksPerColumn);
    for (uint32_t bx = 1; bx < 6; ++bx) {
        for (uint32_t by = 1; by < 6; ++by) {
            std::vector<formats::StaticRecord> records;
            const uint32_t seed = bx * 7 + by * 13;
            records.push_back({static_cast<uint16_t>(0x0CCA + seed % 4), static_cast<uint8_t>(seed % 8),
                               static_cast<uint8_t>((seed / 8) % 8), 0, 0});
            if ((bx + by) % 2 == 0) records.push_back({0x1363, 3, 5, 0, 0}); // a rock
            if (bx == 3 && by == 3) records.push_back({0x0B22, 4, 4, 0, 0}); // a lamp post
            statics.add(bx * kBlocksPerColumn + by, formats::encodeStatics(records));
        }
    }
    return statics;
}

/** A bordered panel with a lighter inner field, w x h. */
std::vector<uint16_t> panel(uint32_t w, uint32_t h, uint16_t border, uint16_t fill)
{
    std::vector<uint16_t> px(static_cast<size_t>(w) * h, fill);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (x < 3 || y < 3 || x + 3 >= w || y + 3 >= h) px[static_cast<size_t>(y) * w + x] = border;
    return px;
}

/** A round button with a transparent surround. */
std::vector<uint16_t> button(uint32_t size, uint16_t colour)
{
    std::vector<uint16_t> px(static_cast<size_t>(size) * size, 0);
    const double r = size / 2.0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= r * r) px[static_cast<size_t>(y) * size + x] = colour;
        }
    return px;
}

formats::IndexedFileWriter drawGumpArt()
{
    formats::IndexedFileWriter gumps;
    const auto add = [&](uint32_t id, uint32_t w, uint32_t h, const std::vector<uint16_t>& px) {
        const formats::GumpArt art = formats::encodeGumpArt(w, h, px);
        gumps.add(id, art.data, art.extra);
    };
    add(2310, 260, 180, panel(260, 180, rgb(10, 7, 3), rgb(24, 20, 14)));   // the hue picker's background
    add(2311, 24, 24, button(24, rgb(6, 18, 6)));                          // OK: normal, pressed, mouse over
    add(2312, 24, 24, button(24, rgb(3, 10, 3)));
    add(2313, 24, 24, button(24, rgb(10, 26, 10)));
    add(2117, 186, 8, panel(186, 8, rgb(8, 8, 8), rgb(16, 16, 16)));       // slider bar and thumb
    add(2118, 10, 14, panel(10, 14, rgb(20, 20, 4), rgb(28, 28, 6)));
    add(5054, 400, 300, panel(400, 300, rgb(4, 4, 12), rgb(14, 14, 22)));  // a plain window background
    return gumps;
}

/** 3000 hues: ramps from dark to light around hues spread over the colour circle. */
Bytes drawHues()
{
    std::vector<formats::HueEntry> hues(3000);
    for (size_t i = 0; i < hues.size(); ++i) {
        const double angle = (i % 100) * 0.0628318;
        const double sat = 0.3 + 0.7 * static_cast<double>((i / 100) % 10) / 9.0;
        const double base[3] = {0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::cos(angle - 2.094),
                                0.5 + 0.5 * std::cos(angle + 2.094)};
        for (size_t k = 0; k < 32; ++k) {
            const double light = static_cast<double>(k) / 31.0;
            uint32_t c[3];
            for (int ch = 0; ch < 3; ++ch) {
                const double v = light * ((1.0 - sat) + sat * base[ch]);
                c[ch] = static_cast<uint32_t>(std::lround(v * 31.0));
            }
            hues[i].colors[k] = rgb(c[0], c[1], c[2]);
        }
        hues[i].start = hues[i].colors[0];
        hues[i].end = hues[i].colors[31];
        hues[i].name = "hue " + std::to_string(i + 1);
    }
    return formats::encodeHues(hues);
}

/** Animated tiles: the lamp post flickers over three frames. */
Bytes drawAnimData()
{
    Bytes out;
    for (uint32_t g = 0; g < 0x0B22 / 8 + 1; ++g) {
        formats::AnimGroup group{};
        if (g == 0x0B22 / 8) {
            formats::AnimRecord& lamp = group[0x0B22 % 8];
            lamp.offsets = {0, 1, 2};
            lamp.count = 3;
            lamp.interval = 4;
        }
        const Bytes b = formats::encodeAnimGroup(group);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

const std::map<std::string, std::string>& defTexts()
{
    static const std::map<std::string, std::string> texts = {
        {"sound.def", "# sound id {alternates} volume\n60 {61, 62} 0\n"},
        {"music.def", "# music id {alternates} flag\n1 {2} 0\n"},
        {"anim1.def", "# body {alternates} hue\n"},
        {"anim2.def", "# body {alternates} hue\n"},
        {"anim3.def", "# body {alternates} hue\n"},
        {"anim4.def", "# body {alternates} hue\n"},
        {"art.def", "# 0x4000 + graphic {alternates} hue\n19658 {19659, 19660, 19661} 0\n"},
        {"body.def", "# body {alternates} hue\n"},
        {"corpse.def", "# body {alternates} hue\n"},
    };
    return texts;
}

/** The named regions of the sample world, in the newest record layout. */
Bytes drawRegions()
{
    std::vector<formats::RegionEntry> regions(3);
    regions[0] = {"Greenhollow", 1, {8, 8, 63, 63, -128, 127}, "the meadows", {1, 0, 0}, 0, 0};
    regions[1] = {"Stillwater Pond", 2, {35, 25, 45, 35, -10, 10}, "the pond", {2, 0, 0}, 1, 0};
    regions[2] = {"Old Road", 3, {0, 20, 63, 20, -128, 127}, "the road", {3, 0, 0}, 0, 0};
    return formats::encodeRegions(3, regions);
}

} // namespace

bool writeDataFiles(const Layout& layout, std::string& error)
{
    const std::filesystem::path& dir = layout.install;
    const formats::MapWriter map = drawMap();
    const formats::IndexedFileWriter statics = drawStatics();
    const formats::IndexedFileWriter gumps = drawGumpArt();
    // Files of later subsystems start as one absent record (an empty file cannot be mapped).
    formats::IndexedFileWriter placeholder;
    placeholder.reserve(1);
    const Bytes oneByte = {0};

    const std::vector<std::pair<const char*, Bytes>> files = {
        {"map0.mul", map.bytes()},
        {"staidx0.mul", statics.indexBytes()},
        {"statics0.mul", statics.dataBytes()},
        {"gumpidx.mul", gumps.indexBytes()},
        {"gumpart.mul", gumps.dataBytes()},
        {"artidx.mul", placeholder.indexBytes()},
        {"art.mul", oneByte},
        {"anim.idx", placeholder.indexBytes()},
        {"anim.mul", oneByte},
        {"soundidx.mul", placeholder.indexBytes()},
        {"sound.mul", oneByte},
        {"texidx.mul", placeholder.indexBytes()},
        {"texmaps.mul", oneByte},
        {"skills.idx", placeholder.indexBytes()},
        {"skills.mul", oneByte},
        {"hues.mul", drawHues()},
        {"animdata.mul", drawAnimData()},
        {"map0.digest", formats::buildDigestTable(map.bytes())},
        {"regions.mul", drawRegions()},
    };
    for (const auto& [name, bytes] : files)
        if (!writeWholeFile(dir / name, bytes, error)) return false;
    for (const auto& [name, text] : defTexts())
        if (!writeWholeFile(dir / name, text, error)) return false;
    return writeWorldFiles(layout, error);
}

} // namespace sampleinstall
