/** @file The hue table from hues.mul, its cleaning, colour-setting resolution, nearest hue and colour parsing. */
#pragma once

// ParseColorValue, the colour-setting parser of the hue settings, is shared with the
// configuration reader and lives in the core.
#include "client/core/config_color.h"

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr int32_t kHueCount = 3000;
inline constexpr int32_t kHueGroups = 375;
inline constexpr size_t kHueEntryBytes = 88;

/** One hue: a 32-colour 5-5-5 ramp, two representative colours and a name. */
struct HueEntry {
    std::array<uint16_t, 32> colors{};
    uint16_t tableStart = 0;
    uint16_t tableEnd = 0;
    std::array<char, 20> name{};
};

/** The colour settings resolved at start-up: each 0, -hue or a positive 5-5-5 colour. */
inline constexpr int32_t kColorSettingCount = 7;
struct ColorSetting {
    int32_t* source; // the configuration value; cleared once resolved
    int32_t* hue;    // the hue in use; starts at the default
};

class HueManager {
public:
    /** Reads and cleans hues.mul from the install folder and resolves the colour settings. */
    static void startup();
    /** The same from a file image (null: the file is missing). */
    static void LoadFrom(const uint8_t* data, size_t size);
    /** Replaces group g (hues 8g+1 .. 8g+8) from a 4-byte header and 8 entries of 88 bytes. */
    static void ApplyGroup(int32_t group, const uint8_t* payload);

    /** Index of the entry whose end colour lies nearest to a 5-5-5 colour; 0 when none. */
    static int32_t FindNearestHue(uint16_t color);

    /** Hue h is entry h - 1; null for hue 0 and numbers past the table. */
    static const HueEntry* GetHue(int32_t hue);
    static const HueEntry& Entry(int32_t index);

    /**
     * The seven colour settings and their hues (defaults 0, 89, 63, 946, 946, 144, 34). They
     * point at values of their own until BindDataConfiguration points them at the configuration.
     */
    static std::array<ColorSetting, kColorSettingCount>& ColorSettings();
    /** -h selects hue h (0 past the table), a positive colour its nearest hue; the source is then cleared. */
    static void ResolveColorSettings();
};

