/** @file Fuzz target: any bytes as an animation record whose first frame is composed into the seated figure and copied through each pose. */
#include "client/render/seated_figure.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SkipDrawHandler::BuildSeatTables();
    const std::span<const uint8_t> record(data, size);
    SeatedFrame frame;
    if (!ReadSeatedFrame(record, frame)) frame.runs = record; // the run walk on its own too
    const uint16_t hue = size > 0 ? static_cast<uint16_t>(data[0] << 8 | data[size - 1]) : 0;
    std::vector<uint16_t> surface(70 * 140, 0);
    SetBlitTarget(surface.data(), 70, 70, 140);
    for (int32_t facing = 0; facing < 8; facing += 2) {
        SkipDrawHandler::ClearBuffer(facing >= 4);
        SkipDrawHandler::ComposeFrame(hue, frame.palette, frame.runs);
        SkipDrawHandler::BlitComposite(facing, 20 + facing, 90, facing - 4, BlitRect{0, 0, 70, 140});
        (void)SkipDrawHandler::GetCompositePixel(25, 60);
    }
    SetBlitTarget(nullptr, 0, 0, 0);
    return 0;
}
