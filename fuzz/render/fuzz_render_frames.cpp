/** @file Fuzz target: any bytes as a body animation record drawn and hit-tested, as light files lighting a small view, and as a texture on triangles. */
#include "client/core/kz_report.h"
#include "client/render/anim_frames.h"
#include "client/render/graphic_manager.h"
#include "client/render/lights.h"
#include "client/render/startup_tables.h"
#include "client/render/textured_triangles.h"
#include "client/render/world_drawing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    static const bool tables = [] {
        BuildStartupTables();
        GraphicManager::BuildGreyTable();
        return true;
    }();
    (void)tables;
    // The surface and the texture keep their exact sizes for the whole run; each input fills them
    // (with block copies: a loop over their pixels here would be traced pixel by pixel).
    static const std::vector<uint16_t> blank(48 * 40, uint16_t{0x7FFF});
    static std::vector<uint16_t> surface(blank.size());
    std::memcpy(surface.data(), blank.data(), blank.size() * sizeof(uint16_t));
    SetBlitTarget(surface.data(), 48, 48, 40);
    const BlitRect all{0, 0, 48, 40};
    if (const auto record = ParseAnimRecord(data, size)) {
        const uint16_t hues[] = {0, 5, 0x4005, 0x8005, 0xC005};
        int32_t i = 0;
        for (const AnimFrame& frame : record->frames) {
            if (!frame.present) continue;
            const uint16_t hue = hues[i++ % 5];
            WorldDrawing::DrawFrame(*record, frame, 20, 30, (i & 1) != 0, hue, (i & 2) != 0, BlitRect{-5, 3, 60, 37});
            WorldDrawing::FrameHit(frame, 20, 30, (i & 1) != 0, 21, 25);
        }
    }
    // The same bytes as light files: the first 1,200 as the index, the rest as the data.
    const size_t indexSize = size < 1200 ? size : 1200;
    thelightthingie::UseFiles(data, indexSize, data + indexSize, size - indexSize);
    for (int32_t id = 0; id < 100; ++id) {
        LightSprite sprite;
        if (thelightthingie::GetLight(id, sprite) && sprite.width * sprite.height > 0)
            (void)sprite.values[sprite.width * sprite.height - 1];
    }
    thelightthingie::UseFiles(nullptr, 0, nullptr, 0);
    // A texture of 64 x 64 texels holding the bytes (repeated; any texel value will do), corners from the first bytes.
    static std::vector<uint16_t> texture(64 * 64);
    std::memset(texture.data(), 0, texture.size() * sizeof(uint16_t));
    auto* texels = reinterpret_cast<uint8_t*>(texture.data());
    const size_t textureBytes = texture.size() * sizeof(uint16_t);
    for (size_t from = 0; size > 0 && from < textureBytes; from += size)
        std::memcpy(texels + from, data, std::min(size, textureBytes - from));
    auto at = [&](size_t k) { return size > 0 ? static_cast<int32_t>(data[k % size]) - 64 : 0; };
    DrawTexturedTriangle(texture.data(), 0, {at(0), at(1), 1, at(2) & 31}, {at(3), at(4), 2, at(5) & 31},
                         {at(6), at(7), 3, at(8) & 31}, all);
    DrawTexturedTriangleGrey(texture.data(), 0, {at(9), at(10), 4, 40}, {at(11), at(12), 2, -3},
                             {at(13), at(14), 1, 0}, BlitRect{4, 4, 30, 30});
    SetBlitTarget(nullptr, 0, 0, 0);
    return 0;
}
