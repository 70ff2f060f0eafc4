/** @file The sample install's world art, drawn by code: land tiles and their textures, item art, a walking body with worn layers, and lights. */
#include "tools/sample_install/write_art_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace sampleinstall {

namespace {

uint16_t rgb(int32_t r, int32_t g, int32_t b)
{
    return static_cast<uint16_t>(std::clamp(r, 0, 31) << 10 | std::clamp(g, 0, 31) << 5 | std::clamp(b, 0, 31));
}

/** A small fixed noise of a pixel: -2..2. */
int32_t noise(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int32_t>((h >> 24) % 5) - 2;
}

struct Ground {
    uint16_t id;
    int32_t r, g, b;
};
constexpr Ground kGrounds[] = {{3, 6, 18, 5}, {113, 17, 12, 6}, {168, 4, 8, 22}, {220, 15, 15, 14}};

/** A stored land tile: 1,012 pixels in rows of 2, 4, .. 44, 44, .. 2, with the ground's colour and noise. */
formats::Bytes landTile(const Ground& g)
{
    formats::LeWriter out;
    for (int32_t row = 0; row < 44; ++row) {
        const int32_t width = row < 22 ? 2 * (row + 1) : 2 * (44 - row);
        for (int32_t i = 0; i < width; ++i) {
            const int32_t n = noise(static_cast<uint32_t>(i), static_cast<uint32_t>(row), g.id);
            out.u16(rgb(g.r + n, g.g + n, g.b + n) | 0x8000);
        }
    }
    return out.take();
}

/** An image of w x h from a painter that gives each pixel (0: transparent). */
formats::Bytes image(uint16_t w, uint16_t h, const std::function<uint16_t(int32_t, int32_t)>& paint)
{
    std::vector<uint16_t> px;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) px.push_back(paint(x, y));
    return formats::encodeArtImage(w, h, px);
}

bool inEllipse(int32_t x, int32_t y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx;
    const double dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

formats::Bytes tree(uint32_t kind)
{
    return image(44, 72, [kind](int32_t x, int32_t y) -> uint16_t {
        const int32_t n = noise(static_cast<uint32_t>(x), static_cast<uint32_t>(y), kind);
        if (inEllipse(x, y, 22, 24, 20, 22)) return rgb(3 + n, 13 + static_cast<int32_t>(kind) + n, 4 + n);
        if (x >= 19 && x < 25 && y >= 40) return rgb(11 + n, 7 + n, 3);
        return 0;
    });
}

} // namespace

void drawWorldArt(formats::IndexedFileWriter& art)
{
    for (const Ground& g : kGrounds) art.add(g.id, landTile(g));
    for (uint32_t k = 0; k < 4; ++k) art.add(0x4000 + 0x0CCA + k, tree(k));
    art.add(0x4000 + 0x1363, image(24, 14, [](int32_t x, int32_t y) -> uint16_t {
                return inEllipse(x, y, 11.5, 7, 12, 7) ? rgb(16 + noise(x, y, 9), 16, 15) : 0;
            }));
    art.add(0x4000 + 0x0B22, image(12, 80, [](int32_t x, int32_t y) -> uint16_t {
                if (y < 12) return inEllipse(x, y, 5.5, 5.5, 6, 6) ? rgb(31, 28, 12) : 0;
                return x >= 4 && x < 8 ? rgb(5, 5, 6) : 0;
            }));
    art.add(0x4000 + 0x0064, image(8, 8, [](int32_t, int32_t) { return rgb(20, 14, 6); }));
    art.add(0x4000 + 0x0066, image(44, 80, [](int32_t x, int32_t y) -> uint16_t {
                const bool mortar = y % 10 == 0 || (x + (y / 10) * 11) % 22 == 0;
                return mortar ? rgb(10, 10, 10) : rgb(19 + noise(x, y, 66), 18, 17);
            }));
    art.add(0x4000 + 0x0519, image(44, 44, [](int32_t x, int32_t y) -> uint16_t {
                return std::abs(x - 21) + std::abs(y - 21) <= 22 ? rgb(14 + noise(x, y, 5), 13, 12) : 0;
            }));
    art.add(0x4000 + 0x06A5, image(30, 64, [](int32_t x, int32_t y) -> uint16_t {
                return x == 0 || x == 29 || y == 0 ? rgb(8, 5, 2) : rgb(16, 10, 4 + (x % 6 == 0 ? -2 : 0));
            }));
    art.add(0x4000 + 0x0E75, image(18, 18, [](int32_t x, int32_t y) -> uint16_t {
                return inEllipse(x, y, 8.5, 9, 9, 9) ? rgb(15, 9, 4) : 0;
            }));
    // What the backpack holds: coins (one, a few and a pile), a bottle and a gem.
    for (uint32_t k = 0; k < 3; ++k)
        art.add(0x4000 + 0x0EED + k, image(static_cast<uint16_t>(12 + 4 * k), static_cast<uint16_t>(8 + 2 * k),
                                           [k](int32_t x, int32_t y) -> uint16_t {
                                               const bool coin = (x + y * 3) % (6 - static_cast<int32_t>(k)) != 0;
                                               return coin ? rgb(29, 24 - (x + y) % 3, 4) : 0;
                                           }));
    art.add(0x4000 + 0x0F0E, image(10, 22, [](int32_t x, int32_t y) -> uint16_t {
                if (y < 6) return x >= 3 && x < 7 ? rgb(14, 10, 6) : 0;
                return inEllipse(x, y, 4.5, 14, 5, 8) ? rgb(6, 16 + noise(x, y, 14) / 2, 10) : 0;
            }));
    art.add(0x4000 + 0x0F10, image(14, 12, [](int32_t x, int32_t y) -> uint16_t {
                return std::abs(x - 7) + std::abs(y - 6) <= 6 ? rgb(4, 12 + (x + y) % 4, 28) : 0;
            }));
}

formats::IndexedFileWriter drawAnimations()
{
    formats::IndexedFileWriter anim;
    // Palette: 1 skin, 2 torso, 3 legs, 4 feet, 5 shirt, 6 pants, 7 hair, 8 outline.
    std::array<uint16_t, 256> palette{};
    palette[1] = rgb(28, 21, 16);
    palette[2] = rgb(24, 18, 14);
    palette[3] = rgb(22, 16, 12);
    palette[4] = rgb(6, 4, 2);
    palette[5] = rgb(6, 10, 24);
    palette[6] = rgb(12, 8, 4);
    palette[7] = rgb(20, 12, 2);
    palette[8] = rgb(2, 2, 2);
    // One frame of 20 x 60 standing on its anchor (centre x 10, feet on the foot line).
    enum class Part { Body, Shirt, Pants, Hair };
    auto frame = [&](Part part, int32_t step, int32_t direction) {
        formats::BodyFrame f{10, 0, 20, 60, std::vector<uint8_t>(20 * 60, 0), false};
        auto put = [&](int32_t x, int32_t y, uint8_t c) {
            if (x >= 0 && x < 20 && y >= 0 && y < 60) f.pixels[static_cast<size_t>(y * 20 + x)] = c;
        };
        const int32_t swing = (step % 5 - 2) * 2; // legs apart by step
        const int32_t lean = direction - 2;       // each stored direction a little different
        for (int32_t y = 0; y < 60; ++y)
            for (int32_t x = 0; x < 20; ++x) {
                const bool head = inEllipse(x, y, 10 + lean * 0.5, 7, 5, 6);
                const bool torso = y >= 13 && y < 35 && x >= 4 && x < 16;
                const bool leftLeg = y >= 35 && y < 58 && x >= 5 + swing / 2 && x < 9 + swing / 2;
                const bool rightLeg = y >= 35 && y < 58 && x >= 11 - swing / 2 && x < 15 - swing / 2;
                const bool feet = y >= 58 && (leftLeg || rightLeg || (x >= 4 && x < 16));
                switch (part) {
                case Part::Body:
                    if (head) put(x, y, 1);
                    else if (torso) put(x, y, 2);
                    else if (leftLeg || rightLeg) put(x, y, 3);
                    else if (feet && (x < 9 + swing / 2 || x >= 11 - swing / 2)) put(x, y, 4);
                    break;
                case Part::Shirt:
                    if (torso && y < 34) put(x, y, 5);
                    break;
                case Part::Pants:
                    if ((leftLeg || rightLeg) && y < 55) put(x, y, 6);
                    break;
                case Part::Hair:
                    if (head && y < 5 + (x + lean) % 3) put(x, y, 7);
                    break;
                }
            }
        return f;
    };
    const std::pair<int32_t, Part> bodies[] = {
        {400, Part::Body}, {kShirtAnimation, Part::Shirt}, {kPantsAnimation, Part::Pants}, {kHairAnimation, Part::Hair}};
    for (const auto& [body, part] : bodies)
        for (int32_t d = 0; d < 5; ++d) {
            std::vector<formats::BodyFrame> frames;
            for (int32_t step = 0; step < 5; ++step) frames.push_back(frame(part, step, d));
            // Action 0 (walking) of the 175-record layout.
            anim.add(static_cast<uint32_t>(35000 + (body - 400) * 175 + d), formats::encodeBodyAnimation(palette, frames));
        }
    return anim;
}

formats::IndexedFileWriter drawTextures()
{
    formats::IndexedFileWriter textures;
    for (const Ground& g : kGrounds) {
        std::vector<uint16_t> texels;
        for (uint32_t v = 0; v < 64; ++v)
            for (uint32_t u = 0; u < 64; ++u) {
                const int32_t n = noise(u, v, g.id + 1000u);
                texels.push_back(rgb(g.r + n, g.g + n, g.b + n));
            }
        textures.add(g.id, formats::encodeTexture(texels));
    }
    return textures;
}

formats::LightFiles drawLights()
{
    auto round = [](uint16_t size, int32_t peak) {
        formats::LightSprite l{size, size, {}, false};
        const double r = size / 2.0;
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size; ++x) {
                const double d = std::hypot(x + 0.5 - r, y + 0.5 - r) / r;
                l.values.push_back(static_cast<int8_t>(d >= 1.0 ? 0 : std::lround(peak * (1.0 - d))));
            }
        return l;
    };
    return formats::encodeLights({round(96, 31), round(64, 28), round(32, 24)});
}

} // namespace sampleinstall
