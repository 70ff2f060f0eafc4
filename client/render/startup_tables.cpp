/** @file Tables built once at start-up: sine and cosine, the channel blend tables, the grey level table, the land diamond rows and the light and shading tables. */
#include "client/render/startup_tables.h"

#include "client/data/span_routines.h"
#include "client/world/draw_item.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

struct Tables {
    std::array<int32_t, 256> cosine{};
    std::array<int32_t, 256> sine{};
    std::array<std::array<uint16_t, 32 * 32>, 8> blend{};
    std::array<uint8_t, 65536> greyLevel{};
    std::array<DiamondRow, 44> diamond{};
    LightTables light{};
    bool built = false;
};

Tables& tables()
{
    static Tables instance;
    return instance;
}

int32_t blendEntry(int32_t mode, int32_t a, int32_t k)
{
    switch (mode) {
    case 2: return std::min(a + k, 31);
    case 3: return std::min(a + k + a * k / 32, 31);
    case 4: return std::min((a + k) / 2 + a * k / 32, 31);
    case 5: return std::min((a + k) / 4 + a * k / 32, 31);
    case 6: return std::max(a - k, 0);
    case 7: return std::max(k - a, 0);
    default: return a * k / 32;
    }
}

void buildTrigTables(Tables& t)
{
    for (int i = 0; i < 256; ++i) {
        const double angle = i * 2.0 * std::numbers::pi / 256.0;
        t.cosine[static_cast<size_t>(i)] = static_cast<int32_t>(std::trunc(std::cos(angle) * 65536.0));
        t.sine[static_cast<size_t>(i)] = static_cast<int32_t>(std::trunc(std::sin(angle) * 65536.0));
    }
}

void buildBlendAndGrey(Tables& t)
{
    for (int32_t mode = 1; mode < 8; ++mode)
        for (int32_t a = 0; a < 32; ++a)
            for (int32_t k = 0; k < 32; ++k)
                t.blend[static_cast<size_t>(mode)][static_cast<size_t>(a * 32 + k)] =
                    static_cast<uint16_t>(blendEntry(mode, a, k));
    for (uint32_t p = 0; p < t.greyLevel.size(); ++p)
        t.greyLevel[p] = static_cast<uint8_t>((((p >> 5) & 31) + ((p >> 11) & 15) + (p & 31)) / 3);
}

void buildDiamond(Tables& t)
{
    // The stored tile's rows are 2, 4, ... 44, 44, ... 2 pixels long; the lower half is drawn
    // one pixel narrower on each side, skipping the first stored pixel of each of its rows.
    int32_t stored = 0;
    for (int32_t r = 0; r < 44; ++r) {
        DiamondRow& row = t.diamond[static_cast<size_t>(r)];
        const int32_t storedWidth = r < 22 ? 2 * r + 2 : 2 * (44 - r);
        if (r < 22) {
            row.start = 21 - r;
            row.width = 2 * r + 2;
            row.source = stored;
        } else {
            row.start = r - 21;
            row.width = 2 * (43 - r);
            row.source = stored + 1;
        }
        row.end = row.start + row.width;
        stored += storedWidth;
    }
}

} // namespace

void BuildStartupTables()
{
    Tables& t = tables();
    buildTrigTables(t);
    buildBlendAndGrey(t);
    buildDiamond(t);
    const SpanPixelLayout& layout = spanPixelLayout();
    BuildLightTables(layout.redShift, layout.greenShift);
    DrawMapThingie::BuildVisibleOrder();
    t.built = true;
}

const std::array<int32_t, 256>& CosTable()
{
    return tables().cosine;
}

const std::array<int32_t, 256>& SinTable()
{
    return tables().sine;
}

const uint16_t* BlendTable(int32_t mode)
{
    const int32_t m = mode & 15;
    if (m == 0)
        return nullptr;
    return tables().blend[static_cast<size_t>(m >= 8 ? 1 : m)].data();
}

void SetBlendMode(int32_t mode)
{
    setSpanBlendTable(BlendTable(mode));
}

bool IsPlainBlendMode(int32_t mode)
{
    return (mode & 15) == 0;
}

uint8_t GreyLevel(uint16_t pixel)
{
    return tables().greyLevel[pixel];
}

const std::array<DiamondRow, 44>& DiamondRows()
{
    return tables().diamond;
}

void BuildLightTables(int32_t redShift, int32_t greenShift)
{
    LightTables& l = tables().light;
    for (int32_t a = 0; a < 32; ++a) {
        for (int32_t k = 0; k < 32; ++k) {
            const auto at = static_cast<size_t>(a * 32 + k);
            l.multiply[at] = std::max(a * k / 32, 0);
            l.saturatingAdd[at] = static_cast<uint8_t>(std::min(a + k, 31));
            // Here a is the darkness level and k the channel value.
            const int32_t shaded = k * (32 - a) / 32;
            l.shade[at] = static_cast<uint8_t>(shaded);
            l.shadeBlue[at] = shaded;
            l.shadeGreen[at] = shaded << greenShift;
            l.shadeRed[at] = shaded << redShift;
        }
    }
    for (uint32_t p = 0; p < l.darkened.size(); ++p) {
        const auto dark = [](uint32_t c) { return c * 28 / 32; };
        l.darkened[p] = static_cast<uint16_t>(dark((p >> 10) & 31) << 10 | dark((p >> 5) & 31) << 5 | dark(p & 31));
    }
}

const LightTables& GetLightTables()
{
    return tables().light;
}

int IsSteeperDiagonal(int8_t h0, int8_t h1, int8_t h2, int8_t h3)
{
    return std::abs(h1 - h3) >= std::abs(h0 - h2) ? 1 : 0;
}
