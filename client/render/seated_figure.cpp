/** @file Seated figures: a human on a seat is composed into one 64 x 128 buffer and copied to the screen through a seated pose's remap table. */
#include "client/render/seated_figure.h"

#include "client/render/effects.h"
#include "client/render/sprite_blits.h"
#include "client/render/world_drawing.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/def_tables.h"
#include "client/data/span_routines.h"
#include "client/world/draw_item.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::array<SeatRow, SkipDrawHandler::kSeatRows> kSeats = {{
    {2862, 4, 6, 6, 0},     {2863, 2, 6, 6, 0},
    {2894, 2, 0, 0, 0},     {2895, 4, 0, 0, 0},     {2898, 2, 0, 0, 0},     {2899, 4, 0, 0, 0},
    {2902, 2, 4, 4, 0},     {2903, 4, 4, 4, 0},     {2906, 2, 8, 8, 0},     {2907, 4, 8, 8, 0},
    {4632, 4, 4, 4, 0},     {4633, 2, 4, 4, 0},
    {2896, 1, 0, 0, 1},     {2897, 8, 0, 0, 1},     {2900, 1, 0, 0, 1},     {2901, 8, 0, 0, 1},
    {2904, 8, 0, 8, 1},     {2905, 1, 0, 8, 1},     {2908, 1, 0, 8, 1},     {2909, 8, 0, 8, 1},
    {4634, 1, 0, 8, 3},     {4635, 8, 0, 8, 3},
    {2866, 4, 0, 0, 0},     {2867, 2, 0, 0, 0},     {5415, 2, 0, 0, 0},
    {1113, 5, 2, 2, 0},     {1114, 10, 2, 2, 0},    {1115, 5, 2, 2, 0},     {1116, 10, 2, 2, 0},
    {2860, 10, 2, 2, 0},    {2861, 5, 2, 2, 0},     {15871, 5, 2, 2, 0},    {15872, 10, 2, 2, 0},
    {2911, 10, 3, 14, 0},   {2912, 10, 3, 14, 0},   {2913, 10, 3, 14, 0},
    {2914, 10, 3, 10, 0},   {2915, 10, 3, 10, 0},   {2916, 10, 3, 10, 0},
    {2917, 5, 3, 10, 0},    {2918, 5, 3, 10, 0},    {2919, 5, 3, 10, 0},
    {2920, 5, 3, 10, 0},    {2921, 5, 3, 10, 0},    {2922, 5, 3, 10, 0},
    {2961, 4, 6, 6, 0},     {2962, 4, 6, 6, 0},     {2963, 2, 6, 6, 0},     {2964, 2, 6, 6, 0},
    {7623, 10, 3, 10, 0},   {7624, 10, 3, 10, 0},   {7625, 10, 3, 10, 0},   {7626, 5, 3, 10, 0},
    {7627, 5, 3, 10, 0},    {7628, 5, 3, 10, 0},    {7629, 10, 3, 10, 0},   {7630, 10, 3, 10, 0},
    {7631, 10, 3, 10, 0},   {7632, 5, 3, 10, 0},    {7633, 5, 3, 10, 0},    {7634, 10, 3, 10, 0},
    {4604, 15, 2, 7, 0},
    {2602, 15, -4, -4, 0},  {2603, 15, -8, -8, 0},
    {3315, 26, 2, 8, 0},    {3316, 26, 2, 8, 0},    {3318, 21, 2, 8, 0},    {3319, 21, 2, 8, 0},
    {6001, 31, 0, 0, 0},    {6006, 31, 0, 0, 0},    {6009, 31, 0, 0, 0},
}};

using Order = std::array<uint8_t, 24>;
constexpr Order kNormal0 = {5, 4, 3, 24, 19, 13, 8, 9, 14, 15, 7, 23, 17, 22, 12, 10, 11, 16, 18, 1, 2, 21, 20, 6};
constexpr Order kNormal12 = {5, 4, 3, 24, 19, 13, 8, 9, 14, 15, 7, 23, 17, 22, 12, 10, 11, 16, 18, 1, 21, 20, 2, 6};
constexpr Order kNormal3 = {20, 5, 4, 3, 24, 19, 13, 8, 9, 14, 15, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21};
constexpr Order kNormal45 = {5, 4, 3, 24, 19, 13, 8, 9, 14, 15, 7, 23, 17, 22, 12, 10, 11, 16, 18, 1, 21, 20, 6, 2};
constexpr Order kAlt0 = {5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21, 20};
constexpr Order kAlt1245 = {5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 21, 20, 2};
constexpr Order kAlt3 = {20, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21};

constexpr int32_t kCells = SkipDrawHandler::kWidth * SkipDrawHandler::kHeight;

struct Handler {
    int32_t row = -1;
    std::array<uint16_t, kCells> buffer{};
    std::array<std::array<uint16_t, kCells>, 4> tables{};
    bool built = false;
    bool mirrored = false;
    int32_t boxX = 0;
    int32_t boxY = 0;
    int32_t facing = 0;
};

Handler& handler()
{
    static Handler h;
    return h;
}

uint16_t cell(int32_t row, int32_t column)
{
    if (row < 0) return 0; // pixel (0, 0): empty unless a frame reaches that corner
    return static_cast<uint16_t>(row * SkipDrawHandler::kWidth + std::clamp(column, 0, SkipDrawHandler::kWidth - 1));
}

/** The colour a palette entry is written in under the hue word. */
uint16_t huedColour(uint16_t hueWord, uint16_t colour)
{
    const int32_t index = hueWord & 0x3FFF;
    if (index == 0) return colour;
    const int32_t red = (colour >> 10) & 31;
    if ((hueWord & 0x8000) != 0) {
        const bool grey = red == ((colour >> 5) & 31) && red == (colour & 31);
        if (!grey) return colour;
        const uint16_t* ramp = spanHueRamp(index - 1);
        return ramp != nullptr ? ramp[red] : colour;
    }
    const uint16_t* ramp = spanHueRamp(index > 3000 ? 0 : index - 1);
    return ramp != nullptr ? ramp[red] : colour;
}

} // namespace

void SkipDrawHandler::startup()
{
    BuildSeatTables();
    KZReport::message("SkipDrawHandler::startup: begin.\n");
}

void SkipDrawHandler::BuildSeatTables()
{
    Handler& h = handler();
    if (h.built) return;
    for (int32_t row = 0; row < kHeight; ++row) {
        for (int32_t column = 0; column < kWidth; ++column) {
            const int32_t at = row * kWidth + column;
            h.tables[0][static_cast<size_t>(at)] = cell(row - 26, column - 3);
            h.tables[3][static_cast<size_t>(at)] = cell(row - 26, column + 3);
            if (row < 56) {
                h.tables[1][static_cast<size_t>(at)] = cell(row - 12, column);
                h.tables[2][static_cast<size_t>(at)] = cell(row - 12, column);
            } else if (row < 72) {
                // The thighs bend forward: each row a little further to the side.
                const int32_t k = row - 56;
                const int32_t source = row - 12 + k / 4;
                h.tables[1][static_cast<size_t>(at)] = cell(source, column - (8 * k) / 16);
                h.tables[2][static_cast<size_t>(at)] = cell(source, column + (8 * k) / 16);
            } else {
                h.tables[1][static_cast<size_t>(at)] = cell(row - 8, column - 8);
                h.tables[2][static_cast<size_t>(at)] = cell(row - 8, column + 8);
            }
        }
    }
    h.built = true;
}

const std::array<SeatRow, SkipDrawHandler::kSeatRows>& SkipDrawHandler::SeatTable() { return kSeats; }

int32_t SkipDrawHandler::FindSeatRow(int32_t graphic)
{
    for (int32_t i = 0; i < kSeatRows; ++i)
        if (kSeats[static_cast<size_t>(i)].graphic == graphic) return i;
    return -1;
}

int32_t SkipDrawHandler::RememberedRow() { return handler().row; }
void SkipDrawHandler::RememberRow(int32_t row) { handler().row = row; }

void SkipDrawHandler::SnapSeatDirection(int32_t& facing)
{
    const int32_t row = handler().row;
    const int32_t mask = row >= 0 && row < kSeatRows ? kSeats[static_cast<size_t>(row)].facingMask : 0;
    const int32_t d = facing & 7;
    for (const int32_t delta : {0, 1, -1, 2, -2, 3, -3}) {
        const int32_t f = (d + delta + 8) & 7;
        // Only the even facings have a bit: 0 -> 0x1, 2 -> 0x2, 4 -> 0x4, 6 -> 0x8.
        if ((f & 1) == 0 && (mask & (1 << (f / 2))) != 0) {
            facing = f;
            return;
        }
    }
    facing = (d + 4) & 7;
}

void SkipDrawHandler::ClearBuffer(bool mirrored)
{
    // Zero bytes are zero pixels: one memset rather than a loop over the 8,192 cells.
    std::memset(handler().buffer.data(), 0, sizeof(handler().buffer));
    handler().mirrored = mirrored;
}

void SkipDrawHandler::ComposeFrame(uint16_t hueWord, const std::array<uint16_t, 256>& palette,
                                   std::span<const uint8_t> runs)
{
    Handler& h = handler();
    ByteReader reader(runs.data(), runs.size());
    for (;;) {
        const uint32_t header = reader.u32le();
        if (!reader.ok() || header == 0x7FFF7FFF) return;
        const int32_t x = static_cast<int32_t>(header) >> 22;
        const auto y = static_cast<int32_t>(static_cast<int32_t>(header << 10) >> 22);
        const auto count = static_cast<int32_t>(header & 0xFFF);
        const uint8_t* pixels = reader.bytes(static_cast<size_t>(count));
        if (pixels == nullptr) return;
        const int32_t row = y + 80;
        if (row >= kHeight) return;
        if (row < 0) continue;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t column = h.mirrored ? 32 - x - count + (count - 1 - i) : x + 32 + i;
            if (column < 0 || column >= kWidth) continue;
            h.buffer[static_cast<size_t>(row * kWidth + column)] = huedColour(hueWord, palette[pixels[i]]);
        }
    }
}

void SkipDrawHandler::BlitComposite(int32_t facing, int32_t anchorX, int32_t footY, int32_t offset, const BlitRect& clip)
{
    Handler& h = handler();
    h.facing = facing & 7;
    h.boxX = anchorX - 32;
    h.boxY = footY - 80 + offset;
    BlitRemapped(h.buffer.data(), h.tables[static_cast<size_t>(h.facing / 2)].data(), kWidth, kHeight, h.boxX, h.boxY,
                 clip);
}

uint16_t SkipDrawHandler::GetCompositePixel(int32_t x, int32_t y)
{
    const Handler& h = handler();
    const int32_t column = x - h.boxX;
    const int32_t row = y - h.boxY;
    if (column < 0 || column >= kWidth || row < 0 || row >= kHeight) return 0;
    return h.buffer[h.tables[static_cast<size_t>(h.facing / 2)][static_cast<size_t>(row * kWidth + column)]];
}

const std::array<uint16_t, SkipDrawHandler::kWidth * SkipDrawHandler::kHeight>& SkipDrawHandler::Buffer()
{
    return handler().buffer;
}

uint16_t SkipDrawHandler::RemapEntry(int32_t table, int32_t row, int32_t column)
{
    return handler().tables[static_cast<size_t>(table & 3)][static_cast<size_t>(row * kWidth + column)];
}

int32_t SkipDrawHandler::SeatOffset(int32_t row, int32_t facing)
{
    if (row < 0 || row >= kSeatRows) return 0;
    const SeatRow& seat = kSeats[static_cast<size_t>(row)];
    return (facing == 0 || facing == 6) ? seat.offset06 : seat.offset24;
}

bool ReadSeatedFrame(std::span<const uint8_t> record, SeatedFrame& frame)
{
    ByteReader reader(record.data(), record.size());
    for (uint16_t& colour : frame.palette) colour = reader.u16le();
    const uint32_t frames = reader.u32le();
    const uint32_t offset = reader.u32le();
    if (!reader.ok() || frames == 0 || offset == 0) return false;
    constexpr size_t kPaletteBytes = 512;
    if (!reader.seek(kPaletteBytes + offset)) return false;
    frame.centreX = reader.s16le();
    frame.centreY = reader.s16le();
    frame.width = reader.u16le();
    frame.height = reader.u16le();
    if (!reader.ok()) return false;
    frame.runs = record.subspan(reader.position());
    return true;
}

CObj* SeatOf(const CMobile& mobile, bool walkPending)
{
    const int32_t body = mobile.graphic;
    if (mobile.inList == 0 || body < 400 || body > 999 || mobile.IsGhost() != 0) return nullptr;
    if (mobile.framesLeft != 0 || walkPending || mobile.layers[25] != nullptr || mobile.IsMounted()) return nullptr;
    for (CDrawItem* item = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(mobile.locX, mobile.locY))];
         item != nullptr; item = item->nextDraw) {
        if (item->IsObject() == 0 || item->IsMobile() != 0) continue;
        if (item->locX != mobile.locX || item->locY != mobile.locY || std::abs(item->z - mobile.z) > 1) continue;
        const int32_t row = SkipDrawHandler::FindSeatRow(static_cast<const CObj*>(item)->TileId());
        if (row < 0) continue;
        SkipDrawHandler::RememberRow(row);
        const int32_t mask = SkipDrawHandler::SeatTable()[static_cast<size_t>(row)].facingMask;
        if ((mask & 0x10) != 0 && mobile.idle == 0) continue;
        return static_cast<CObj*>(item);
    }
    return nullptr;
}

int IsSeated(const CMobile& mobile, bool walkPending)
{
    return SeatOf(mobile, walkPending) != nullptr ? 1 : 0;
}

const std::array<uint8_t, 24>& SeatedLayerOrder(int32_t facing, bool alternative)
{
    switch (facing & 7) {
    case 1:
    case 2: return alternative ? kAlt1245 : kNormal12;
    case 3: return alternative ? kAlt3 : kNormal3;
    case 4:
    case 5: return alternative ? kAlt1245 : kNormal45;
    default: return alternative ? kAlt0 : kNormal0;
    }
}

// ---- The whole figure ----

namespace {

constexpr std::array<int32_t, 8> kStoredDirection = {3, 2, 1, 0, 1, 2, 3, 4};
constexpr std::array<bool, 8> kMirrored = {true, true, true, false, false, false, false, false};
constexpr uint16_t kGhostHue = 995;

/** The body substitution: the replacement body and its hue (0 when none). */
int32_t substituteBody(int32_t body, uint16_t* hue)
{
    if (hue != nullptr) *hue = 0;
    const DefTable* table = DefTables::Get(DEF_BODY);
    const DefEntry* entry = table != nullptr ? table->Find(static_cast<uint16_t>(body)) : nullptr;
    if (entry == nullptr || entry->alternates.empty()) return body;
    if (hue != nullptr) *hue = static_cast<uint16_t>(entry->number);
    return entry->alternates.front();
}

std::span<const uint8_t> animationRecord(int32_t record)
{
    if (seatedDrawHooks().animationRecord) return seatedDrawHooks().animationRecord(record);
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_ANIMIDX, FILE_ANIM, record, &size, &extra);
    if (data == nullptr || size <= 0) return {};
    return {data, static_cast<size_t>(size)};
}

bool layerHidden(const CMobile& mobile, int32_t layer)
{
    if (seatedDrawHooks().isLayerHidden) return seatedDrawHooks().isLayerHidden(mobile, layer);
    return WorldDrawing::IsLayerHidden(layer, mobile.layers.data()) != 0;
}

/** The animation id a worn item is drawn with on the body, or -1 when it has none in 400-999. */
int32_t wornAnimation(const CObj& item, int32_t body)
{
    int32_t id = TileData::Item(item.TileId()).animationId;
    if (id == 538 && body == 401) id = 986;
    return id >= 400 && id <= 999 ? id : -1;
}

bool frameOf(int32_t animation, int32_t facing, SeatedFrame& frame)
{
    return ReadSeatedFrame(animationRecord(SeatedRecordIndex(substituteBody(animation, nullptr), facing)), frame);
}

/** A worn layer the seated figure shows: present, not 21, not hidden, not under a robe's hood. */
const CObj* shownLayer(const CMobile& mobile, int32_t layer)
{
    if (layer == 21 || layer < 1 || layer >= kMobileLayers) return nullptr;
    const CObj* item = mobile.layers[static_cast<size_t>(layer)];
    if (item == nullptr || layerHidden(mobile, layer)) return nullptr;
    const CObj* over = mobile.layers[22];
    if (over != nullptr && over->graphic == 8270) {
        const int32_t slot = TileData::Item(item->TileId()).quality;
        if (slot == 11 || slot == 16) return nullptr;
    }
    return item;
}

} // namespace

SeatedDrawHooks& seatedDrawHooks()
{
    static SeatedDrawHooks hooks;
    return hooks;
}

int32_t SeatedRecordIndex(int32_t body, int32_t seatedFacing)
{
    const int32_t facing = seatedFacing & 7;
    const int32_t action = facing == 0 || facing == 6 ? 25 : 4;
    return 35000 + (body - 400) * 175 + action * 5 + kStoredDirection[static_cast<size_t>(facing)];
}

int32_t ComposeSeatedFigure(const CMobile& mobile, uint16_t forcedHue, bool ghostDiffers)
{
    int32_t facing = mobile.direction & 7;
    SkipDrawHandler::SnapSeatDirection(facing);
    SkipDrawHandler::ClearBuffer(kMirrored[static_cast<size_t>(facing)]);

    uint16_t substitutedHue = 0;
    const int32_t body = substituteBody(mobile.graphic, &substitutedHue);
    uint16_t hue = forcedHue != 0 ? forcedHue : (mobile.hue != 0 ? mobile.hue : substitutedHue);
    if (ghostDiffers) hue = kGhostHue;
    SeatedFrame frame;
    if (ReadSeatedFrame(animationRecord(SeatedRecordIndex(body, facing)), frame))
        SkipDrawHandler::ComposeFrame(hue, frame.palette, frame.runs);

    const CObj* hood = mobile.layers[13];
    const CObj* cloak = mobile.layers[19];
    const bool alternative = (hood != nullptr && TileData::Item(hood->TileId()).animationId == 538) ||
                             (cloak != nullptr && TileData::Item(cloak->TileId()).animationId == 528);
    for (const uint8_t layer : SeatedLayerOrder(facing, alternative)) {
        const CObj* item = shownLayer(mobile, layer);
        if (item == nullptr) continue;
        const int32_t animation = wornAnimation(*item, mobile.graphic);
        if (animation < 0 || !frameOf(animation, facing, frame)) continue;
        uint16_t itemHue = forcedHue;
        if (itemHue == 0) {
            itemHue = item->hue;
            if ((TileData::ItemFlags(item->TileId()) & 0x40000) != 0) itemHue = static_cast<uint16_t>(itemHue | 0x8000);
        }
        if (ghostDiffers) itemHue = kGhostHue;
        SkipDrawHandler::ComposeFrame(itemHue, frame.palette, frame.runs);
    }
    return facing;
}

int32_t DrawSeatedFigure(const CMobile& mobile, int32_t anchorX, int32_t footY, const BlitRect& clip, uint16_t forcedHue,
                         bool ghostDiffers)
{
    const int32_t facing = ComposeSeatedFigure(mobile, forcedHue, ghostDiffers);
    const int32_t offset = SkipDrawHandler::SeatOffset(SkipDrawHandler::RememberedRow(), facing);
    SkipDrawHandler::BlitComposite(facing, anchorX, footY, offset, clip);
    return facing;
}

uint16_t HitTestSeatedFigure(const CMobile& mobile, int32_t anchorX, int32_t footY, int32_t x, int32_t y)
{
    const int32_t facing = ComposeSeatedFigure(mobile, 0, false);
    const int32_t offset = SkipDrawHandler::SeatOffset(SkipDrawHandler::RememberedRow(), facing);
    // An empty clip places the figure without drawing it.
    SkipDrawHandler::BlitComposite(facing, anchorX, footY, offset, BlitRect{0, 0, 0, 0});
    return SkipDrawHandler::GetCompositePixel(x, y);
}

BlitRect CalcSeatedRect(const CMobile& mobile, int32_t anchorX, int32_t footY)
{
    int32_t facing = mobile.direction & 7;
    SkipDrawHandler::SnapSeatDirection(facing);
    const bool mirrored = kMirrored[static_cast<size_t>(facing)];
    bool any = false;
    BlitRect r{anchorX, footY, anchorX, footY};
    auto add = [&](const SeatedFrame& f) {
        const int32_t left = mirrored ? anchorX - (f.width - f.centreX) : anchorX - f.centreX;
        const int32_t bottom = footY - f.centreY;
        const BlitRect piece{left, bottom - f.height, left + f.width, bottom};
        r = any ? BlitRect{std::min(r.left, piece.left), std::min(r.top, piece.top), std::max(r.right, piece.right),
                           std::max(r.bottom, piece.bottom)}
                : piece;
        any = true;
    };
    SeatedFrame frame;
    if (frameOf(mobile.graphic, facing, frame)) add(frame);
    for (int32_t layer = 1; layer <= 25; ++layer) {
        if (layer == 21) continue;
        const CObj* item = mobile.layers[static_cast<size_t>(layer)];
        if (item == nullptr || (mobile.IsPlayer() != 0 && layerHidden(mobile, layer))) continue;
        const int32_t animation = wornAnimation(*item, mobile.graphic);
        if (animation >= 0 && frameOf(animation, facing, frame)) add(frame);
    }
    if (!any) return r;
    r.left -= 16;
    r.right += 16;
    r.top -= 16;
    r.bottom += 32;
    WidenForAttachedEffects(mobile.GetSerial(), r.left, r.top, r.right, r.bottom);
    return r;
}
