/** @file The sample install's world data, drawn by code. */
#include "tools/sample_install/write_world_files.h"
#include "tools/sample_install/write_art_files.h"

#include "tools/formats/data_formats.h"
#include "tools/formats/world_formats.h"

#include <utility>
#include <vector>

namespace sampleinstall {

namespace {

using formats::Bytes;

// Tile flag bits the client reads.
constexpr uint32_t kImpassable = 0x40, kWet = 0x80, kSurface = 0x200, kArticleA = 0x4000;
constexpr uint32_t kFoliage = 0x20000, kContainer = 0x200000, kWearable = 0x400000, kLight = 0x800000;
constexpr uint32_t kAnimated = 0x1000000;

constexpr uint16_t kHouseSign = 0x0064, kWall = 0x0066, kFloor = 0x0519, kDoor = 0x06A5;

Bytes drawTileData()
{
    formats::TileDataWriter t;
    // The land of the sample map.
    t.land(3, {.flags = 0, .texture = 3, .name = "grass"});
    t.land(113, {.flags = 0, .texture = 113, .name = "dirt"});
    t.land(168, {.flags = kWet | kImpassable, .texture = 168, .name = "water"});
    t.land(220, {.flags = 0, .texture = 220, .name = "rock"});
    // The statics: four trees (the first with its seasonal alternates), a rock and a lamp post.
    for (uint16_t g = 0x0CCA; g <= 0x0CCD; ++g)
        t.item(g, {.flags = kImpassable | kFoliage | kArticleA, .weight = 255, .height = 20, .name = "tree"});
    t.item(0x1363, {.flags = kImpassable | kArticleA, .weight = 255, .height = 5, .name = "rock"});
    t.item(0x0B22, {.flags = kImpassable | kLight | kAnimated | kArticleA, .weight = 255, .light = 1, .height = 20,
                    .name = "lamp post"});
    // The house.
    t.item(kHouseSign, {.flags = 0, .weight = 255, .name = "house"});
    t.item(kWall, {.flags = kImpassable | kArticleA, .weight = 255, .height = 20, .name = "stone wall"});
    t.item(kFloor, {.flags = kSurface, .weight = 255, .name = "cobblestones"});
    t.item(kDoor, {.flags = kImpassable | kArticleA, .weight = 255, .height = 20, .name = "door"});
    // Clothes and hair with the body animations worn over the sample body.
    t.item(kSampleShirt, {.flags = kWearable, .weight = 1, .quality = 5, .animation = kShirtAnimation, .name = "shirt"});
    t.item(kSamplePants, {.flags = kWearable, .weight = 2, .quality = 4, .animation = kPantsAnimation, .name = "pants"});
    t.item(kSampleHair, {.flags = kWearable, .quality = 11, .animation = kHairAnimation, .name = "hair"});
    // The player's backpack.
    t.item(kSampleBackpack, {.flags = kContainer | kWearable | kArticleA, .weight = 3, .quality = 21, .animation = 422,
                             .height = 3, .name = "backpack"});
    // What it holds.
    constexpr uint32_t kStackable = 0x800;
    for (uint16_t g = 0x0EED; g <= 0x0EEF; ++g)
        t.item(g, {.flags = kStackable, .weight = 0, .name = "gold coin"});
    t.item(0x0F0E, {.flags = kArticleA, .weight = 1, .name = "bottle"});
    t.item(0x0F10, {.flags = kArticleA, .weight = 1, .name = "gem"});
    return t.bytes();
}

/** A 7 x 7 house around its centre: a floor inside stone walls, the door in the south wall. */
std::vector<formats::MultiPiece> drawHouse()
{
    std::vector<formats::MultiPiece> pieces{{kHouseSign, 0, 0, 0, 0}};
    for (int16_t y = -3; y <= 3; ++y)
        for (int16_t x = -3; x <= 3; ++x) {
            const bool edge = x == -3 || x == 3 || y == -3 || y == 3;
            if (!edge)
                pieces.push_back({kFloor, x, y, 0, 1});
            else if (y == 3 && x == 0)
                pieces.push_back({kDoor, x, y, 0, 1});
            else
                pieces.push_back({kWall, x, y, 0, 1});
        }
    return pieces;
}

/** Bodies walk 4 and run 2 frames a cell; humans (400, 401) walk 5. */
Bytes drawPaceTable()
{
    std::vector<std::pair<int8_t, int8_t>> pairs(1000, {4, 2});
    pairs[400] = pairs[401] = {5, 2};
    return formats::encodePaceTable(pairs);
}

} // namespace

bool writeWorldFiles(const Layout& layout, std::string& error)
{
    const std::filesystem::path& dir = layout.install;
    formats::IndexedFileWriter multis;
    multis.add(kSampleHouseMulti, formats::encodeMulti(drawHouse()));
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"tiledata.mul", drawTileData()},
        {"multi.idx", multis.indexBytes()},
        {"multi.mul", multis.dataBytes()},
        {"animinfo.mul", drawPaceTable()},
    };
    for (const auto& [name, bytes] : files)
        if (!writeWholeFile(dir / name, bytes, error)) return false;
    return true;
}

} // namespace sampleinstall
