/** @file The graphic manager: palette, colour packing, the grey colour table, the play size, the death fade and the frame. */
#pragma once

#include <array>
#include <cstdint>
#include <functional>

class CGump;
struct ArtImage;

/** The bit layout DarkenSpan works in. */
enum class PixelFormat : uint8_t { Rgb555, Rgb565 };

// The back buffer always holds 5-5-5 pixels: use565 changes only the conversions done when a
// frame is presented or gump art is read, never what the world drawing writes.
class GraphicManager {
public:
    /** Reads palette.mul, builds the grey colour table and forgets the world view gump. */
    static void startup();
    static void shutdown();

    /** The palette from palette.mul: 256 x {red, green, blue}; zero when the file is missing or short. */
    static const std::array<uint8_t, 768>& Palette();
    /** Always false: no desktop this client runs on has 8 bits per pixel (start-up refuses them). */
    static bool PaletteMode();

    /** The channel shifts PackColor and the grey table use: red 10 and green 5 unless changed. */
    static void SetChannelShifts(int32_t redShift, int32_t greenShift);
    /** (r >> 3) << red shift | (g >> 3) << green shift | (b >> 3), each taken as an 8-bit value. */
    static uint16_t PackColor(int32_t r, int32_t g, int32_t b);
    /**
     * The grey of a pixel from the grey colour table. The table has 65,536 entries and its upper
     * half repeats the lower, so a pixel with bit 15 set reads the grey of its low 15 bits.
     */
    static uint16_t GreyColor(uint16_t pixel) { return greyTable_[pixel]; }
    static const std::array<uint16_t, 65536>& GreyColorTable() { return greyTable_; }
    /** Rebuilds the grey table with the present shifts (startup does it once). */
    static void BuildGreyTable();

    /** 800 x 600 only for exactly those values; anything else gives 640 x 480. */
    static void SetPlaySize(int32_t width, int32_t height);
    static int32_t GetPlayWidth();
    static int32_t GetPlayHeight();
    static int32_t GetPlayHalfWidth() { return GetPlayWidth() / 2; }
    static int32_t GetPlayHalfHeight() { return GetPlayHeight() / 2; }

    /**
     * A map cell's position in the play area: ((x - y + map width) x 22 - view scroll x,
     * (x + y) x 22 - view scroll y + 20).
     */
    static void TileToScreen(int32_t x, int32_t y, int32_t& screenX, int32_t& screenY);

    /**
     * The game area's top-left corner on the screen. The world is drawn at the ring's origin
     * and the corner is applied when the frame is presented; gumps and pointer positions add
     * or subtract it.
     */
    static void SetGameAreaCorner(int32_t x, int32_t y);
    static void GetGameAreaCorner(int32_t& x, int32_t& y);

    /**
     * Stores a server-sent art image at art id `id` with the extra value, then redraws what
     * shows it. An id outside 0..65,535 shows "Tried to update art less than 0 or greater then
     * 65535." ("damn art bug") and stores nothing. A length of -1 stores an empty entry; land
     * (ids below 0x4000) is stored as 2,048 bytes, the bytes given padded with zeros; other
     * images with the length their header gives (see ServerArtLength).
     */
    static void UpdateArt(const uint8_t* image, int32_t id, int32_t length, int32_t extra);

    /** The world view gump; null until the gump side makes it. */
    static CGump* pMapGump;

    /** The death fade: 0 while none runs; the death-status code sets it to start one. */
    static void SetDeathFadeStep(int32_t step);
    static int32_t DeathFadeStep();
    static bool DeathFadeRunning() { return DeathFadeStep() != 0; }

    /**
     * What the frame calls in other subsystems; each is skipped while empty, except
     * hasGameConnection, which without an installed check counts the connection as present
     * (the main connection object exists from start-up on).
     */
    struct FrameHooks {
        std::function<bool()> hasGameConnection;
        /** Shows "You are dead." centred in the play area (font 3, hue 0, no speaker). */
        std::function<void()> showDeathText;
        std::function<void()> redrawSpeechInputLine;
    };
    static FrameHooks& hooks();

    /**
     * One frame: nothing without a game connection (returns 0); else one step of the death
     * fade or the flush of the dirty rectangles, then every gump over the screen with the
     * last-pass flag (which presents the frame), then the speech input line. Returns 1.
     */
    static int DrawFrame();

private:
    static std::array<uint16_t, 65536> greyTable_;
};

/** The art image of id & 0x7FFF, or image 0 when that one is missing or damaged. */
const ArtImage* GetArtOrDefault(int32_t id);

/**
 * The bytes of a server-sent item art image to store: its header's u32 + 2 x its height (the
 * fourth u16) + 8, cut to the bytes actually given; 0 when fewer than the 8 header bytes came.
 */
int32_t ServerArtLength(const uint8_t* image, int32_t length);

/**
 * Darkens count pixels by one step per channel: every 5-bit channel goes down by 1 unless it is
 * 0; in 5-6-5 green is taken as its top five bits and bit 5 is cleared. Thirty-one steps take
 * any colour to black.
 */
void DarkenSpan(uint16_t* pixels, int32_t count, PixelFormat format = PixelFormat::Rgb555);
