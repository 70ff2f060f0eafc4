/** @file The sample install's game data files, drawn by code. */
#include "tools/sample_install/write_data_files.h"

#include "tools/sample_install/write_art_files.h"
#include "tools/sample_install/write_world_files.h"
#include "tools/sample_install/write_audio.h"
#include "tools/sample_install/art_shapes.h"
#include "tools/sample_install/write_login_art.h"

#include "tools/formats/data_formats.h"
#include "tools/formats/region_formats.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace sampleinstall {

namespace {

using formats::Bytes;

// The sample world: 8 block columns of map 0 (cells x 0..63, all 4096 rows).
constexpr uint32_t kBlockColumns = 8;
constexpr uint32_t kBlocksPerColumn = 512;
constexpr uint16_t kGrass = 3, kDirt = 113, kWater = 168, kRock = 220;

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

/** The open backpack: a leather bag with a flap over the top; the items lie on the darker inside. */
std::vector<uint16_t> backpackGump(uint32_t w, uint32_t h)
{
    std::vector<uint16_t> px(static_cast<size_t>(w) * h, 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const bool border = x < 4 || y < 4 || x >= w - 4 || y >= h - 4;
            const bool flap = y < 60 && x >= 30 && x < w - 30;
            const bool inside = x >= 40 && x < 190 && y >= 62 && y < 162;
            uint16_t c = rgb(15, 9, 4);
            if (border)
                c = rgb(6, 3, 1);
            else if (inside)
                c = rgb(9, 5, 2);
            else if (flap)
                c = rgb(18, 11, 5);
            px[static_cast<size_t>(y) * w + x] = c;
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
    add(60, 230, 180, backpackGump(230, 180));                              // the backpack's gump and its minimized picture
    add(80, 60, 40, panel(60, 40, rgb(10, 6, 2), rgb(17, 11, 5)));
    add(2140, 232, 60, panel(232, 60, rgb(10, 7, 3), rgb(24, 20, 14)));   // the stack amount gump and its OK button
    add(2141, 24, 24, button(24, rgb(6, 18, 6)));
    add(2142, 24, 24, button(24, rgb(3, 10, 3)));
    add(210, 16, 16, panel(16, 16, rgb(6, 6, 6), rgb(26, 26, 24)));         // check box off and on
    add(211, 16, 16, tick(16, rgb(6, 6, 6), rgb(26, 26, 24), rgb(4, 16, 4)));
    drawLoginScreenArt(add);
    return gumps;
}

// The cursors: static art 24659-24697, the war set (red) then the peace set (pale). Each marks
// its hot spot with a pixel of 992 in the top row and one in the left column.
constexpr uint16_t kCursorSize = 24;
constexpr uint16_t kHotSpotMark = 992;

/** Draws one cursor: shape(x, y) gives 0 (none), 1 (outline) or 2 (fill) around the hot spot. */
template <typename Shape>
std::vector<uint16_t> cursorImage(int hotX, int hotY, uint16_t fill, Shape shape)
{
    std::vector<uint16_t> px(static_cast<size_t>(kCursorSize) * kCursorSize, 0);
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize; ++x) {
            const int kind = shape(x - hotX, y - hotY);
            if (kind != 0) px[static_cast<size_t>(y) * kCursorSize + x] = kind == 1 ? rgb(1, 1, 1) : fill;
        }
    px[static_cast<size_t>(hotX)] = kHotSpotMark;
    px[static_cast<size_t>(hotY) * kCursorSize] = kHotSpotMark;
    return px;
}

/** An arrow from the centre toward a direction (0 screen up, clockwise in eighths). */
int walkArrow(int x, int y, int direction)
{
    const double angle = direction * 0.785398;
    // Turn the point back so that the arrow points up.
    const double u = x * std::cos(angle) + y * std::sin(angle);
    const double v = -x * std::sin(angle) + y * std::cos(angle);
    const bool head = v >= -10 && v <= -3 && std::abs(u) <= (v + 10) * 0.8;
    const bool shaft = std::abs(u) <= 1.5 && v > -4 && v <= 6;
    if (head || shaft)
        return (head && std::abs(u) > (v + 10) * 0.8 - 1.2) || (shaft && std::abs(u) > 0.6 && !head) ? 1 : 2;
    return 0;
}

/** The pointing arrow, its tip at the hot spot. */
int pointer(int x, int y)
{
    if (x < 0 || y < 0 || y > 16 || x > y * 2 / 3 + 1)
        return 0;
    return (x == 0 || x == y * 2 / 3 + 1 || y == 16) ? 1 : 2;
}

std::vector<std::vector<uint16_t>> drawCursors()
{
    std::vector<std::vector<uint16_t>> images;
    for (int set = 0; set < 2; ++set) {
        const uint16_t fill = set == 0 ? rgb(28, 6, 4) : rgb(28, 28, 26);
        for (int d = 0; d < 8; ++d)
            images.push_back(cursorImage(12, 12, fill, [d](int x, int y) { return walkArrow(x, y, d); }));
        // A target ring, the pointer and its second frame, then grab, target, wait, a hand and a cross.
        images.push_back(cursorImage(12, 12, fill, [](int x, int y) {
            const int r = x * x + y * y;
            return r <= 100 && r >= 64 ? 2 : (r < 4 ? 1 : 0);
        }));
        images.push_back(cursorImage(1, 1, fill, pointer));
        images.push_back(cursorImage(1, 1, fill, [](int x, int y) { return pointer(x, y + 1); }));
        images.push_back(cursorImage(12, 12, fill, [](int x, int y) { return std::abs(x) + std::abs(y) <= 9 ? 2 : 0; }));
        images.push_back(cursorImage(12, 12, fill, [](int x, int y) {
            return (std::abs(x) <= 1 && std::abs(y) <= 10) || (std::abs(y) <= 1 && std::abs(x) <= 10) ? 2 : 0;
        }));
        images.push_back(cursorImage(12, 12, fill, [](int x, int y) {
            return std::abs(y) <= 10 && std::abs(x) <= std::abs(y) * 7 / 10 + 1 ? (std::abs(y) == 10 ? 1 : 2) : 0;
        }));
        images.push_back(cursorImage(4, 1, fill, [](int x, int y) { return x >= -3 && x <= 8 && y >= 0 && y <= 14 ? 2 : 0; }));
        images.push_back(cursorImage(12, 12, fill, [](int x, int y) { return std::abs(x - y) <= 1 || std::abs(x + y) <= 1 ? (std::abs(x) <= 8 ? 2 : 0) : 0; }));
        if (set == 0) {
            // Seven pictures between the sets (24675-24681) that no cursor kind uses.
            for (int unused = 0; unused < 7; ++unused)
                images.push_back(cursorImage(1, 1, fill, pointer));
        }
    }
    return images;
}

formats::IndexedFileWriter drawArt()
{
    formats::IndexedFileWriter art;
    drawWorldArt(art);
    const std::vector<std::vector<uint16_t>> cursors = drawCursors();
    for (size_t i = 0; i < cursors.size(); ++i)
        art.add(static_cast<uint32_t>(0x4000 + 24659 + i), formats::encodeArtImage(kCursorSize, kCursorSize, cursors[i]));
    return art;
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
    const formats::IndexedFileWriter art = drawArt();
    const formats::IndexedFileWriter sounds = drawSounds();
    const formats::IndexedFileWriter animations = drawAnimations();
    const formats::IndexedFileWriter textures = drawTextures();
    const formats::LightFiles lights = drawLights();
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
        {"artidx.mul", art.indexBytes()},
        {"art.mul", art.dataBytes()},
        {"anim.idx", animations.indexBytes()},
        {"anim.mul", animations.dataBytes()},
        {"soundidx.mul", sounds.indexBytes()},
        {"sound.mul", sounds.dataBytes()},
        {"texidx.mul", textures.indexBytes()},
        {"texmaps.mul", textures.dataBytes()},
        {"lightidx.mul", lights.index},
        {"light.mul", lights.data},
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
