/** @file Fuzz target: any bytes as an animation record whose first frame is composed into the seated figure and copied through one pose. */
#include "client/render/seated_figure.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SkipDrawHandler::BuildSeatTables();
    const std::span<const uint8_t> record(data, size);
    SeatedFrame frame;
    if (!ReadSeatedFrame(record, frame)) frame.runs = record; // the run walk on its own too
    const uint16_t hue = size > 0 ? static_cast<uint16_t>(data[0] << 8 | data[size - 1]) : 0;
    // One surface of its exact size for the whole run, cleared for each input.
    static std::vector<uint16_t> surface(70 * 140);
    std::memset(surface.data(), 0, surface.size() * sizeof(uint16_t)); // not a loop traced pixel by pixel
    SetBlitTarget(surface.data(), 70, 70, 140);
    // One pose per input, picked by the input's length so the record's bytes stay as they are:
    // every pose is reached across the corpus at a quarter of the cost per run.
    const int32_t facing = static_cast<int32_t>(size % 4) * 2;
    SkipDrawHandler::ClearBuffer(facing >= 4);
    SkipDrawHandler::ComposeFrame(hue, frame.palette, frame.runs);
    SkipDrawHandler::BlitComposite(facing, 20 + facing, 90, facing - 4, BlitRect{0, 0, 70, 140});
    (void)SkipDrawHandler::GetCompositePixel(25, 60);
    SetBlitTarget(nullptr, 0, 0, 0);
    return 0;
}
