/** @file The hue table and colour helpers. */
#include "client/data/hue_manager.h"

#include "client/core/kz_report.h"
#include "client/data/data_settings.h"
#include "client/data/touched_groups.h"
#include "client/core/byte_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

std::vector<HueEntry> g_hues(kHueCount);

// Until the configuration store owns them, the settings point at values of their own.
std::array<int32_t, kColorSettingCount> g_settingValues{};
std::array<int32_t, kColorSettingCount> g_settingHues{0, 89, 63, 946, 946, 144, 34};
std::array<ColorSetting, kColorSettingCount> g_settings = {{
    {&g_settingValues[0], &g_settingHues[0]},
    {&g_settingValues[1], &g_settingHues[1]},
    {&g_settingValues[2], &g_settingHues[2]},
    {&g_settingValues[3], &g_settingHues[3]},
    {&g_settingValues[4], &g_settingHues[4]},
    {&g_settingValues[5], &g_settingHues[5]},
    {&g_settingValues[6], &g_settingHues[6]},
}};

void readEntry(HueEntry& e, const uint8_t* p)
{
    // One 88-byte entry: 32 colours, the table's start and end, a 20-byte name.
    ByteReader entry(p, 88);
    for (size_t i = 0; i < 32; ++i) e.colors[i] = entry.u16le();
    e.tableStart = entry.u16le();
    e.tableEnd = entry.u16le();
    entry.copy(e.name.data(), e.name.size());
    e.name[19] = 0;
}

// No hue colour may be 0: the span routines treat 0 as transparent.
void cleanEntry(HueEntry& e)
{
    if (e.tableStart != 0 || e.tableEnd != 0)
        for (auto& c : e.colors)
            if (c == 0) c = 1;
    for (auto& c : e.colors)
        if (c == 0 || c > 0x7FFF) c = 1;
}

kzdata::TouchedGroups g_touched(kHueGroups);

/** Reads and cleans the eight entries of one group from its 4-byte header on. */
void readGroup(int32_t group, const uint8_t* at)
{
    for (size_t i = 0; i < 8; ++i) {
        HueEntry& e = g_hues[static_cast<size_t>(group) * 8 + i];
        readEntry(e, at + 4 + i * kHueEntryBytes);
        cleanEntry(e);
    }
    g_touched.mark(static_cast<size_t>(group));
}

} // namespace

void HueManager::startup()
{
    KZReport::message("HueManager::startup: begin.\n");
    const auto bytes = kzdata::ReadDataFile("hues.mul");
    if (!bytes)
        KZReport::error("File:%s, Function:HueManager::CHueManager(): cannot open file ''. in-game colours may no be "
                        "correct.\n",
                        "hue");
    else if (bytes->size() < 4 + 8 * kHueEntryBytes)
        KZReport::error("HueManager::startup: 'hues.mul' is empty or shorter than one hue group; in-game colours may "
                        "not be correct.\n");
    LoadFrom(bytes ? bytes->data() : nullptr, bytes ? bytes->size() : 0);
    ResolveColorSettings();
}

void HueManager::LoadFrom(const uint8_t* data, size_t size)
{
    // Hues the file does not reach are blank entries as cleaning leaves them (every colour 1);
    // only the entries read are cleaned.
    static const HueEntry blank = [] {
        HueEntry e{};
        cleanEntry(e);
        return e;
    }();
    g_touched.reset([](size_t first, size_t groups) {
        std::fill_n(g_hues.begin() + static_cast<std::ptrdiff_t>(first * 8), groups * 8, blank);
    });
    for (int32_t g = 0; g < kHueGroups; ++g) {
        const size_t at = static_cast<size_t>(g) * (4 + 8 * kHueEntryBytes);
        if (data == nullptr || size < at + 4 + 8 * kHueEntryBytes) break;
        readGroup(g, data + at);
    }
}

void HueManager::ApplyGroup(int32_t group, const uint8_t* payload)
{
    if (group < 0 || group >= kHueGroups) return;
    readGroup(group, payload);
}

int32_t HueManager::FindNearestHue(uint16_t color)
{
    const int32_t r = (color >> 10) & 0x1F, g = (color >> 5) & 0x1F, b = color & 0x1F;
    int32_t best = 0;
    int32_t bestDistance = 320000;
    for (int32_t i = 1; i < kHueCount; ++i) {
        const HueEntry& e = g_hues[static_cast<size_t>(i)];
        if (e.tableStart == 0 && e.tableEnd == 0) continue;
        const int32_t dr = ((e.tableEnd >> 10) & 0x1F) - r;
        const int32_t dg = ((e.tableEnd >> 5) & 0x1F) - g;
        const int32_t db = (e.tableEnd & 0x1F) - b;
        const int32_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

const HueEntry* HueManager::GetHue(int32_t hue)
{
    if (hue < 1 || hue > kHueCount) return nullptr;
    return &g_hues[static_cast<size_t>(hue - 1)];
}

const HueEntry& HueManager::Entry(int32_t index)
{
    return g_hues.at(static_cast<size_t>(index));
}

std::array<ColorSetting, kColorSettingCount>& HueManager::ColorSettings()
{
    return g_settings;
}

void HueManager::ResolveColorSettings()
{
    for (ColorSetting& s : g_settings) {
        if (s.source == nullptr || s.hue == nullptr || *s.source == 0) continue;
        if (*s.source < 0) {
            // -h names hue h; a number past the table (down to INT32_MIN, whose negation
            // would overflow) names no hue.
            const int64_t h = -static_cast<int64_t>(*s.source);
            *s.hue = h <= kHueCount ? static_cast<int32_t>(h) : 0;
        } else
            *s.hue = FindNearestHue(static_cast<uint16_t>(*s.source));
        *s.source = 0;
    }
}
