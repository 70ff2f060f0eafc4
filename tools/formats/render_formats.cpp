/** @file Writers for the drawing data: body animation records, land textures and the light files. */
#include "tools/formats/render_formats.h"

namespace formats {

Bytes encodeBodyAnimation(const std::array<uint16_t, 256>& palette, const std::vector<BodyFrame>& frames)
{
    LeWriter out;
    for (uint16_t c : palette) out.u16(c);
    out.u32(static_cast<uint32_t>(frames.size()));
    const size_t table = out.size();
    for (size_t i = 0; i < frames.size(); ++i) out.u32(0);
    for (size_t f = 0; f < frames.size(); ++f) {
        const BodyFrame& frame = frames[f];
        if (frame.absent) continue;
        out.patchU32(table + 4 * f, static_cast<uint32_t>(out.size() - 512));
        out.s16(frame.centreX).s16(frame.centreY).u16(frame.width).u16(frame.height);
        for (int32_t y = 0; y < frame.height; ++y) {
            for (int32_t x = 0; x < frame.width;) {
                const auto at = static_cast<size_t>(y * frame.width + x);
                if (at >= frame.pixels.size() || frame.pixels[at] == 0) {
                    ++x;
                    continue;
                }
                int32_t end = x;
                while (end < frame.width && frame.pixels[static_cast<size_t>(y * frame.width + end)] != 0) ++end;
                const auto length = static_cast<uint32_t>(end - x);
                const auto row = static_cast<uint32_t>(y - frame.centreY - frame.height) & 0x3FF;
                const auto column = static_cast<uint32_t>(x - frame.centreX) & 0x3FF;
                out.u32(length | row << 12 | column << 22);
                for (int32_t i = x; i < end; ++i) out.u8(frame.pixels[static_cast<size_t>(y * frame.width + i)]);
                x = end;
            }
        }
        out.u32(0x7FFF7FFF);
    }
    return out.take();
}

Bytes encodeTexture(const std::vector<uint16_t>& texels)
{
    LeWriter out;
    for (uint16_t t : texels) out.u16(t);
    return out.take();
}

LightFiles encodeLights(const std::vector<LightSprite>& lights)
{
    LeWriter index;
    LeWriter data;
    for (const LightSprite& l : lights) {
        if (l.absent) {
            index.u32(0xFFFFFFFF).u32(0).u16(l.width).u16(l.height);
            continue;
        }
        index.u32(static_cast<uint32_t>(data.size())).u32(static_cast<uint32_t>(l.values.size())).u16(l.width).u16(l.height);
        for (int8_t v : l.values) data.s8(v);
    }
    return {index.take(), data.take()};
}

} // namespace formats
