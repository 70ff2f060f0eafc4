/** @file The graphic manager: palette, colour packing, the grey colour table, the play size, the death fade and the frame. */
#include "client/render/graphic_manager.h"

#include "client/core/app.h"
#include "client/core/display_mode.h"
#include "client/core/file_manager.h"
#include "client/core/gump_services.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/data/art_image.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/map_manager.h"
#include "client/render/draw_grid.h"
#include "client/render/animated_list.h"
#include "client/render/draw_manager.h"

#include <algorithm>
#include <cstdio>
#include <vector>

CGump* GraphicManager::pMapGump = nullptr;
std::array<uint16_t, 65536> GraphicManager::greyTable_{};

namespace {

struct GraphicState {
    std::array<uint8_t, 768> palette{};
    int32_t redShift = 10;
    int32_t greenShift = 5;
    int32_t playWidth = 640;
    int32_t playHeight = 480;
    int32_t deathFadeStep = 0;
};

GraphicState g_graphics;

void readPalette()
{
    g_graphics.palette.fill(0);
    FILE* file = FileManager::open("palette.mul", "rb");
    if (file == nullptr)
        return;
    std::array<uint8_t, 768> bytes{};
    const size_t got = FileManager::read(bytes.data(), 1, bytes.size(), file);
    FileManager::close(file);
    if (got != bytes.size()) {
        KZReport::warning("GraphicManager::startup: palette.mul holds %zu of its 768 bytes; the palette stays black.\n", got);
        return;
    }
    g_graphics.palette = bytes;
}

} // namespace

void GraphicManager::startup()
{
    KZReport::message("GraphicManager::startup: begin.\n");
    readPalette();
    // Built before the configuration is applied: with the shifts of 5-5-5.
    g_graphics.redShift = 10;
    g_graphics.greenShift = 5;
    BuildGreyTable();
    pMapGump = nullptr;
    g_graphics.deathFadeStep = 0;
}

void GraphicManager::shutdown()
{
    pMapGump = nullptr;
}

const std::array<uint8_t, 768>& GraphicManager::Palette()
{
    return g_graphics.palette;
}

bool GraphicManager::PaletteMode()
{
    return false;
}

void GraphicManager::SetChannelShifts(int32_t redShift, int32_t greenShift)
{
    g_graphics.redShift = redShift;
    g_graphics.greenShift = greenShift;
}

uint16_t GraphicManager::PackColor(int32_t r, int32_t g, int32_t b)
{
    const auto channel = [](int32_t v) { return static_cast<uint32_t>(v & 0xFF) >> 3; };
    return static_cast<uint16_t>(channel(r) << g_graphics.redShift | channel(g) << g_graphics.greenShift | channel(b));
}

void GraphicManager::BuildGreyTable()
{
    const auto rs = static_cast<uint32_t>(g_graphics.redShift);
    const auto gs = static_cast<uint32_t>(g_graphics.greenShift);
    greyTable_[0] = 0;
    for (uint32_t i = 1; i < 0x8000; ++i) {
        const uint32_t r = (i >> rs) & 31;
        const uint32_t g = (i >> gs) & 31;
        const uint32_t b = i & 31;
        const uint32_t level = ((536 * r + 104 * g + 160 * b) / 100) >> 3;
        greyTable_[i] = static_cast<uint16_t>(level << gs | level << rs | level);
    }
    for (uint32_t i = 0x8000; i < greyTable_.size(); ++i)
        greyTable_[i] = greyTable_[i & 0x7FFF];
}

void GraphicManager::SetPlaySize(int32_t width, int32_t height)
{
    const bool large = width == 800 && height == 600;
    g_graphics.playWidth = large ? 800 : 640;
    g_graphics.playHeight = large ? 600 : 480;
}

int32_t GraphicManager::GetPlayWidth()
{
    return g_graphics.playWidth;
}

int32_t GraphicManager::GetPlayHeight()
{
    return g_graphics.playHeight;
}

void GraphicManager::TileToScreen(int32_t x, int32_t y, int32_t& screenX, int32_t& screenY)
{
    screenX = (x - y + MapManager::MapWidth()) * 22 - DrawGrid::scrollX;
    screenY = (x + y) * 22 - DrawGrid::scrollY + 20;
}

void GraphicManager::SetGameAreaCorner(int32_t x, int32_t y)
{
    ViewScrollX = x;
    ViewScrollY = y;
}

void GraphicManager::GetGameAreaCorner(int32_t& x, int32_t& y)
{
    x = ViewScrollX;
    y = ViewScrollY;
}

void GraphicManager::UpdateArt(const uint8_t* image, int32_t id, int32_t length, int32_t extra)
{
    if (id < 0 || id > 65535) {
        ShowErrorBox("Tried to update art less than 0 or greater then 65535.", "damn art bug", false);
        return;
    }
    const bool land = id < 0x4000;
    if (length == -1) {
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, id, extra, nullptr, 0);
    } else if (land) {
        // A land tile is always 2,048 bytes; a shorter message is padded, never read past.
        std::vector<uint8_t> tile(2048, 0);
        if (image != nullptr && length > 0)
            std::copy_n(image, std::min<int32_t>(length, 2048), tile.begin());
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, id, extra, tile.data(), 2048);
    } else {
        const int32_t stored = image != nullptr ? ServerArtLength(image, length) : 0;
        if (stored <= 0) {
            KZReport::warning("GraphicManager::UpdateArt: art %d came with %d bytes, too few for its header; not stored.\n",
                              id, length);
            return;
        }
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, id, extra, image, stored);
    }
    // Parsed images are kept: the old one must not be drawn again.
    ClearArtImageCache();
    if (land)
        DrawGrid::InvalidateLandGraphic(id);
    else
        DrawGrid::ReinsertItemsWithArt(id - 0x4000);
}

const ArtImage* GetArtOrDefault(int32_t id)
{
    const ArtImage* image = GetArtImage(id & 0x7FFF);
    return image != nullptr ? image : GetArtImage(0);
}

int32_t ServerArtLength(const uint8_t* image, int32_t length)
{
    if (image == nullptr || length < 8)
        return 0;
    const uint32_t header = image[0] | image[1] << 8 | image[2] << 16 | static_cast<uint32_t>(image[3]) << 24;
    const uint32_t height = image[6] | image[7] << 8;
    const uint64_t claimed = uint64_t{header} + 2 * uint64_t{height} + 8;
    if (claimed > static_cast<uint64_t>(length)) {
        KZReport::warning("ServerArtLength: the header claims %llu bytes of %d given; the rest is cut.\n",
                          static_cast<unsigned long long>(claimed), length);
        return length;
    }
    return static_cast<int32_t>(claimed);
}

void GraphicManager::SetDeathFadeStep(int32_t step)
{
    g_graphics.deathFadeStep = step;
}

int32_t GraphicManager::DeathFadeStep()
{
    return g_graphics.deathFadeStep;
}

GraphicManager::FrameHooks& GraphicManager::hooks()
{
    static FrameHooks instance;
    return instance;
}

int GraphicManager::DrawFrame()
{
    FrameHooks& h = hooks();
    if (h.hasGameConnection && !h.hasGameConnection())
        return 0;
    if (g_graphics.deathFadeStep != 0) {
        DrawManager::VisitRows(DrawManager::PlayArea(), [](uint16_t* pixels, int32_t count) { DarkenSpan(pixels, count); });
        const int32_t before = g_graphics.deathFadeStep++;
        if (before == 15 && h.showDeathText)
            h.showDeathText();
        if (g_graphics.deathFadeStep > 31) {
            g_graphics.deathFadeStep = 0;
            DrawManager::RedrawAll();
            if (CPacketSink* connection = MainConnection()) {
                const uint8_t deathStatus[2] = {0x2C, 0x02};
                connection->SendPacket(deathStatus, sizeof deathStatus);
            }
        }
    } else {
        DrawManager::RedrawDirtyRects();
    }
    gumpManager().DrawAllGumps(0, 0, ScreenWidth, ScreenHeight, 1);
    if (h.redrawSpeechInputLine)
        h.redrawSpeechInputLine();
    // Once per presented frame: the action animations step at the pace of the frames shown.
    AnimatedList::Update();
    return 1;
}

void DarkenSpan(uint16_t* pixels, int32_t count, PixelFormat format)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        const auto down = [](uint32_t channel) { return channel != 0 ? channel - 1 : 0; };
        const uint32_t blue = down(p & 31);
        if (format == PixelFormat::Rgb555) {
            pixels[i] = static_cast<uint16_t>(down((p >> 10) & 31) << 10 | down((p >> 5) & 31) << 5 | blue);
        } else {
            pixels[i] = static_cast<uint16_t>(down((p >> 11) & 31) << 11 | down((p >> 6) & 31) << 6 | blue);
        }
    }
}
