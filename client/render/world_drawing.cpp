/** @file Per-class drawing of the world: placement, listing, cut-away rules, painting and pointer hits of land, items, corpses and mobiles. */
#include "client/render/world_drawing.h"

#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/data/art_image.h"
#include "client/data/def_tables.h"
#include "client/data/map_manager.h"
#include "client/data/seasonal_art.h"
#include "client/data/span_routines.h"
#include "client/render/anim_frames.h"
#include "client/render/draw_grid.h"
#include "client/render/draw_manager.h"
#include "client/render/effects.h"
#include "client/render/seated_figure.h"
#include "client/render/see_through_circle.h"
#include "client/render/sprite_blits.h"
#include "client/render/startup_tables.h"
#include "client/render/textured_triangles.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/walk.h"
#include "client/world/weather_manager.h"
#include "client/world/world_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int32_t WorldView::roofCutoff = 127;
int32_t WorldView::rawRoof = 127;
bool WorldView::zCutMode = false;
int32_t WorldView::zCutLevel = 0;
bool WorldView::foliageUpdate = false;
const CDrawItem* WorldView::hoveredObject = nullptr;
bool WorldView::recomputingFoliage = false;

namespace {

constexpr uint32_t kFlagBackground = 0x1;
constexpr uint32_t kFlagTranslucent = 0x8;
constexpr uint32_t kFlagSurface = 0x200;
constexpr uint32_t kFlagNoDraw = 0x10000;
constexpr uint32_t kFlagFoliage = 0x20000;
constexpr uint32_t kFlagRoof = 0x10000000;
constexpr uint32_t kFlagWall = 0x4;
constexpr uint16_t kGreyHue = 995;

const CMobile* player()
{
    return World().player;
}

bool playerIsGhost()
{
    const CMobile* p = player();
    return p != nullptr && p->IsGhost() != 0;
}

/** Play-area pixels of a world rectangle (the blit target addresses play-area pixels). */
BlitRect toTarget(const WorldRect& r)
{
    return {r.left - DrawGrid::scrollX, r.top - DrawGrid::scrollY, r.right - DrawGrid::scrollX, r.bottom - DrawGrid::scrollY};
}

bool holdsPoint(const WorldRect& r, int32_t x, int32_t y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

const CObj* asObject(const CDrawItem& item)
{
    return item.IsObject() != 0 ? static_cast<const CObj*>(&item) : nullptr;
}

bool isCorpse(const CDrawItem& item)
{
    const CObj* o = asObject(item);
    return o != nullptr && o->IsCorpse() != 0;
}

/** Corpses, mobiles and the player: listed by their own rule, drawn from animation frames. */
bool isBody(const CDrawItem& item)
{
    return item.IsMobile() != 0 || isCorpse(item);
}

bool isCoin(int32_t graphic)
{
    return IsPileGraphicId(graphic);
}

// ---------------------------------------------------------------- frame pixels

uint16_t shadePixel(uint16_t pixel, int32_t level)
{
    const auto& shade = GetLightTables().shade;
    const auto row = static_cast<size_t>(level * 32);
    return static_cast<uint16_t>(shade[row + ((pixel >> 10) & 31)] << 10 | shade[row + ((pixel >> 5) & 31)] << 5 |
                                 shade[row + (pixel & 31)]);
}

bool isGreyColor(uint16_t c)
{
    const int32_t r = (c >> 10) & 31;
    return r == ((c >> 5) & 31) && r == (c & 31);
}

/** Calls put(targetX, index in run) for each pixel of a run inside [left, right). */
template <class Put>
void forRunPixels(const AnimRun& run, int32_t x, bool mirrored, int32_t left, int32_t right, Put put)
{
    if (!mirrored) {
        const int32_t start = x + run.x;
        const int32_t from = std::max(start, left);
        const int32_t to = std::min(start + run.length, right);
        for (int32_t px = from; px < to; ++px) put(px, px - start);
    } else {
        // Written right to left: pixel i lands at x - x offset - 1 - i.
        const int32_t end = x - run.x; // exclusive
        const int32_t from = std::max(end - run.length, left);
        const int32_t to = std::min(end, right);
        for (int32_t px = from; px < to; ++px) put(px, end - 1 - px);
    }
}

// ---------------------------------------------------------------- tables

constexpr int32_t kLayerOrders[8][25] = {
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21, 20},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 21, 20, 2},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 21, 20, 2},
    {25, 20, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 21, 20, 2},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 21, 20, 2},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21, 20},
    {25, 5, 4, 3, 24, 13, 8, 9, 14, 15, 19, 7, 23, 17, 22, 12, 10, 11, 16, 18, 6, 1, 2, 21, 20},
};

constexpr int32_t kTreeRanges[9][2] = {{3397, 3404}, {3405, 3411}, {3420, 3426}, {3427, 3433}, {3443, 3449},
                                       {3450, 3455}, {3463, 3467}, {3468, 3472}, {4798, 4807}};

constexpr int32_t kMounts[][2] = {{16032, 226}, {16033, 228}, {16034, 204}, {16035, 210}, {16036, 218},
                                  {16037, 219}, {16038, 220}, {16039, 116}, {16040, 117}, {16041, 114},
                                  {16042, 115}, {16043, 170}, {16044, 171}, {16045, 132}, {16047, 120},
                                  {16048, 121}, {16049, 119}, {16050, 118}, {16051, 144}, {16052, 122}};

// ---------------------------------------------------------------- sprites

/** A frame of (body, action, frame, direction); frame indices past the record's end give none. */
SpritePiece pieceOf(int32_t body, int32_t action, int32_t frame, int32_t direction)
{
    SpritePiece piece;
    if (action > 34) frame = 0;
    const int32_t record = AnimRecordOf(body, action, direction);
    piece.record = GetAnimRecord(record);
    if (piece.record == nullptr || piece.record->frames.empty()) return piece;
    const auto count = static_cast<int32_t>(piece.record->frames.size());
    if (frame < 0 || frame >= count) frame = frame < 0 ? 0 : frame % count;
    const AnimFrame& f = piece.record->frames[static_cast<size_t>(frame)];
    if (f.present) piece.frame = &f;
    piece.mirrored = AnimMirrored(direction);
    return piece;
}

/** The status byte of an object with a serial (its top bit draws it grey); 0 for statics. */
uint8_t statusOf(const CObj& item)
{
    return item.GetSerial() != 0 ? static_cast<const CDynamicObj&>(item).statusFlags : 0;
}

uint16_t itemHue(const CObj& item)
{
    if ((statusOf(item) & 0x80) != 0 || playerIsGhost()) return kGreyHue;
    return NormalizeHue(item.displayHue);
}

uint16_t mobileHue(const CMobile& mobile)
{
    if ((mobile.statusFlags & 0x80) != 0 || playerIsGhost()) return kGreyHue;
    const bool highlighted = mobile.IsPlayer() == 0 && player() != nullptr && player()->warMode != 0 &&
                             WorldView::hoveredObject == &mobile;
    if (highlighted) return WorldDrawing::GetNotorietyHue(&mobile);
    if (mobile.hue != 0) return mobile.hue;
    uint16_t tableHue = 0;
    SubstituteBody(mobile.graphic, &tableHue);
    return tableHue;
}

bool castsShadow(int32_t body)
{
    return body != 21 && body != 52 && body != 95 && body != 150 && body != 151 && body != 221;
}

/** The mount's own action for the rider's: walking, running, standing. */
int32_t mountAction(int32_t riderAction)
{
    if (riderAction == 23) return 0;
    if (riderAction == 24) return 1;
    return 2;
}

} // namespace

namespace WorldDrawing {

int32_t ColumnKey(int32_t x, int32_t y)
{
    return x - y + MapManager::MapWidth();
}

int32_t RowKey(int32_t x, int32_t y)
{
    return x + y;
}

uint16_t GetNotorietyHue(const CMobile* mobile)
{
    static constexpr uint16_t kHues[7] = {0, 89, 63, 946, 946, 144, 34};
    if (mobile == nullptr) return 0;
    const int32_t c = mobile->GetHighlightClass();
    return c >= 0 && c <= 6 ? kHues[c] : 0;
}

int IsLayerHidden(int32_t layer, const CObj* const* slots)
{
    if ((layer == 3 || layer == 4) && slots[24] != nullptr) return 1;
    if (layer == 11 && slots[22] != nullptr && slots[22]->graphic == 8270) return 1;
    if ((layer == 13 || layer == 19) && slots[22] != nullptr) return 1;
    return 0;
}

int IsHairItem(const CObj* item)
{
    if (item == nullptr) return 0;
    const uint8_t layer = TileData::Item(item->TileId()).quality;
    return layer == 11 || layer == 16 ? 1 : 0;
}

int32_t MountAnimation(int32_t graphic)
{
    for (const auto& m : kMounts)
        if (m[0] == graphic) return m[1];
    return 200;
}

int32_t TreeRange(int32_t graphic)
{
    for (int32_t i = 0; i < 9; ++i)
        if (graphic >= kTreeRanges[i][0] && graphic <= kTreeRanges[i][1]) return i;
    return -1;
}

const int32_t* LayerOrder(int32_t direction)
{
    return kLayerOrders[direction & 7];
}

void GetSpriteAnchor(const CMobile& mobile, int32_t& x, int32_t& foot)
{
    const int32_t k = ColumnKey(mobile.locX, mobile.locY);
    const int32_t r = RowKey(mobile.locX, mobile.locY);
    // The draw height differs from z only while a step is shown; it is kept up to date only then.
    if (mobile.IsPlayer() != 0) {
        const WalkState& walk = Walk::State();
        const int32_t z = walk.count > 0 ? mobile.drawZ : mobile.z;
        x = k * 22 + 1 + walk.scrollX;
        foot = r * 22 - z * 4 + 20 + walk.scrollY;
        return;
    }
    const int32_t z = mobile.framesLeft > 0 ? mobile.drawZ : mobile.z;
    x = k * 22 - mobile.stepOffsetX + 1;
    foot = r * 22 - z * 4 - mobile.stepOffsetY + 20;
}

Sprite SpriteOf(const CContainerObj& owner)
{
    Sprite sprite;
    if (owner.IsMobile() != 0) {
        const auto& mobile = static_cast<const CMobile&>(owner);
        GetSpriteAnchor(mobile, sprite.x, sprite.foot);
        const int32_t body = mobile.graphic;
        if (body >= 1000) return sprite;
        int32_t action = 0;
        int32_t frame = 0;
        mobile.StateAction(action, frame);
        const int32_t direction = mobile.direction & 7;
        const CObj* mount = mobile.layers[25];
        if (mount != nullptr && body >= 400) {
            SpritePiece piece = pieceOf(MountAnimation(mount->graphic), mountAction(action), frame, direction);
            piece.hue = itemHue(*mount);
            piece.shadow = true;
            piece.mount = true;
            if (piece.frame != nullptr) sprite.pieces.push_back(piece);
        }
        SpritePiece bodyPiece = pieceOf(body, action, frame, direction);
        bodyPiece.hue = mobileHue(mobile);
        bodyPiece.shadow = castsShadow(body);
        if (bodyPiece.frame != nullptr) sprite.pieces.push_back(bodyPiece);
        if (body < 400) return sprite;
        for (int32_t i = 0; i < 25; ++i) {
            const int32_t layer = LayerOrder(direction)[i];
            if (layer == 21 || layer == 25) continue;
            const CObj* item = mobile.layers[static_cast<size_t>(layer)];
            if (item == nullptr || IsLayerHidden(layer, mobile.layers.data()) != 0) continue;
            const int32_t anim = TileData::Item(item->graphic).animationId;
            if (anim == 0) continue;
            SpritePiece piece = pieceOf(anim, action, frame, direction);
            piece.hue = itemHue(*item);
            piece.shadow = true;
            if (piece.frame != nullptr) sprite.pieces.push_back(piece);
        }
        return sprite;
    }
    // A corpse: the body is its amount; the last frame of the death action.
    const auto& corpse = static_cast<const CCorpse&>(owner);
    const int32_t k = ColumnKey(corpse.locX, corpse.locY);
    const int32_t r = RowKey(corpse.locX, corpse.locY);
    sprite.x = k * 22 + 1;
    sprite.foot = r * 22 - corpse.z * 4 + 20;
    const int32_t body = corpse.amount;
    if (body >= 1000) return sprite;
    int32_t action = 0;
    int32_t frame = 0;
    CorpseAction(body, corpse.direction, action, frame);
    SpritePiece bodyPiece = pieceOf(body, action, frame, corpse.direction & 7);
    bodyPiece.hue = itemHue(corpse);
    if (bodyPiece.frame != nullptr) sprite.pieces.push_back(bodyPiece);
    if (SubstituteBody(body) < 400) return sprite;
    for (int32_t i = 0; i < 25; ++i) {
        const int32_t layer = LayerOrder(corpse.direction)[i];
        if (layer == 21) continue;
        const CObj* item = corpse.layers[static_cast<size_t>(layer)];
        if (item == nullptr) continue;
        const int32_t anim = TileData::Item(item->graphic).animationId;
        if (anim < 400 || anim > 999) continue;
        SpritePiece piece = pieceOf(anim, action, frame, corpse.direction & 7);
        piece.hue = itemHue(*item);
        if (piece.frame != nullptr) sprite.pieces.push_back(piece);
    }
    return sprite;
}

WorldRect SpriteRect(const Sprite& sprite)
{
    WorldRect r{sprite.x, sprite.foot, sprite.x, sprite.foot};
    bool first = true;
    for (const SpritePiece& p : sprite.pieces) {
        const AnimFrame& f = *p.frame;
        WorldRect box;
        box.left = sprite.x - (p.mirrored ? f.width - f.centreX : f.centreX);
        box.right = box.left + f.width;
        box.top = sprite.foot - f.centreY - f.height;
        box.bottom = std::max(sprite.foot, sprite.foot - f.centreY);
        if (p.mount) {
            box.left -= f.width / 4;
            box.right += f.width / 4;
        }
        if (first) {
            r = box;
            first = false;
        } else {
            r = {std::min(r.left, box.left), std::min(r.top, box.top), std::max(r.right, box.right),
                 std::max(r.bottom, box.bottom)};
        }
    }
    return r;
}

int32_t ItemArtId(const CObj& item)
{
    if (CensorFlesh != 0 && item.IsFleshItem()) return 0x6127;
    const int32_t graphic = item.displayGraphic;
    if (isCoin(item.graphic)) return graphic + 0x4000 + (item.amount < 2 ? 0 : item.amount <= 5 ? 1 : 2);
    const int32_t id = graphic + item.graphicOffset;
    if (id < 0 || id >= 0x4000) return -1;
    return id + 0x4000;
}

bool IsDrawnDoubled(const CObj& item)
{
    return (item.GetTileFlags() & TILE_STACKABLE) != 0 && !isCoin(item.graphic) && item.amount > 1;
}

bool FrameHit(const AnimFrame& frame, int32_t x, int32_t foot, bool mirrored, int32_t px, int32_t py)
{
    for (const AnimRun& run : frame.runs) {
        const int32_t row = foot + run.row;
        if (row > py) break;
        if (row != py) continue;
        if (!mirrored) {
            if (x + run.x <= px && px < x + run.x + run.length) return true;
        } else if (x - run.x - run.length <= px && px < x - run.x) {
            return true;
        }
    }
    return false;
}

void DrawFrame(const AnimRecord& record, const AnimFrame& frame, int32_t x, int32_t foot, bool mirrored, uint16_t hue,
               bool shadow, const BlitRect& clipIn)
{
    uint16_t* target = GetBlitTarget();
    if (target == nullptr) return;
    const BlitRect surface = GetBlitTargetRect();
    const BlitRect clip{std::max(clipIn.left, surface.left), std::max(clipIn.top, surface.top),
                        std::min(clipIn.right, surface.right), std::min(clipIn.bottom, surface.bottom)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const int32_t pitch = GetBlitPitch();
    const int32_t index = hue & 0x3FFF;
    const bool darkBit = (hue & 0x4000) != 0;
    const bool greyBit = (hue & 0x8000) != 0;
    const uint16_t* ramp = index != 0 ? spanHueRamp(index - 1) : nullptr;
    const uint16_t* colors = record.colors.data();
    for (const AnimRun& run : frame.runs) {
        const int32_t y = foot + run.row;
        if (y < clip.top || y >= clip.bottom) continue;
        uint16_t* row = target + static_cast<ptrdiff_t>(y) * pitch;
        const uint16_t* src = colors + run.pixel;
        if (shadow)
            forRunPixels(run, x, mirrored, clip.left, clip.right,
                         [&](int32_t px, int32_t) { row[px] = static_cast<uint16_t>((row[px] >> 1) & 0x3DEF); });
        forRunPixels(run, x, mirrored, clip.left, clip.right, [&](int32_t px, int32_t i) {
            const uint16_t c = src[i];
            const int32_t red = (c >> 10) & 31;
            if (index == 0) {
                row[px] = c;
            } else if (darkBit) {
                if (greyBit && !isGreyColor(c)) {
                    row[px] = c;
                } else {
                    row[px] = shadePixel(row[px], red >= 24 ? 0 : 23 - red);
                }
            } else if (ramp == nullptr) {
                row[px] = c;
            } else if (greyBit) {
                row[px] = isGreyColor(c) ? ramp[red] : c;
            } else {
                row[px] = ramp[red];
            }
        });
    }
}

void SlopedCornerLights(int32_t x, int32_t y, uint8_t out[4])
{
    // Normals of the 3 x 3 cells around (x, y), each from its own corner heights (4 pixels a step).
    double nx[3][3];
    double ny[3][3];
    double nz[3][3];
    for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 3; ++i) {
            int8_t h[4] = {};
            MapManager::GetCornerHeights(x + i - 1, y + j - 1, h);
            // Corners top (x, y), right (x + 1, y), bottom (x + 1, y + 1), left (x, y + 1).
            const double dzdx = ((h[1] - h[0]) + (h[2] - h[3])) * 2.0;
            const double dzdy = ((h[3] - h[0]) + (h[2] - h[1])) * 2.0;
            nx[j][i] = -dzdx;
            ny[j][i] = -dzdy;
            nz[j][i] = 31.0;
        }
    // The cells meeting at each corner: top, right, bottom, left.
    static constexpr int32_t kCells[4][4][2] = {{{0, 0}, {1, 0}, {0, 1}, {1, 1}},
                                                {{1, 0}, {2, 0}, {1, 1}, {2, 1}},
                                                {{1, 1}, {2, 1}, {1, 2}, {2, 2}},
                                                {{0, 1}, {1, 1}, {0, 2}, {1, 2}}};
    for (int32_t c = 0; c < 4; ++c) {
        double sx = 0, sy = 0, sz = 0;
        for (const auto& cell : kCells[c]) {
            sx += nx[cell[1]][cell[0]];
            sy += ny[cell[1]][cell[0]];
            sz += nz[cell[1]][cell[0]];
        }
        const double length = std::sqrt(sx * sx + sy * sy + sz * sz);
        const auto vx = static_cast<int32_t>(sx * 256.0 / length);
        const auto vy = static_cast<int32_t>(sy * 256.0 / length);
        const auto vz = static_cast<int32_t>(sz * 256.0 / length);
        const int32_t light = (vx * 100 - vy * 30 + vz * 23) / 1000;
        out[c] = static_cast<uint8_t>(std::clamp(light, 0, 15));
    }
}

} // namespace WorldDrawing

// ---------------------------------------------------------------- per class

namespace {

/** The top corner's screen y of each corner of a sloped cell: top, right, bottom, left. */
void slopedCornerYs(const CSlopedLandTile& land, int32_t out[4])
{
    static constexpr int32_t kDrop[4] = {0, 22, 44, 22};
    const int32_t r = WorldDrawing::RowKey(land.locX, land.locY);
    for (size_t i = 0; i < 4; ++i) out[i] = r * 22 - land.corners[i] * 4 + kDrop[i];
}

/** The corner triples of the two triangles of a sloped cell, split along its diagonal. */
void slopedTriangles(const CSlopedLandTile& land, int32_t (&tri)[2][3])
{
    const auto& c = land.corners;
    if (IsSteeperDiagonal(c[0], c[1], c[2], c[3]) != 0) {
        tri[0][0] = 0, tri[0][1] = 1, tri[0][2] = 2;
        tri[1][0] = 0, tri[1][1] = 2, tri[1][2] = 3;
    } else {
        tri[0][0] = 0, tri[0][1] = 1, tri[0][2] = 3;
        tri[1][0] = 1, tri[1][1] = 2, tri[1][2] = 3;
    }
}

int32_t triangleTop(const CSlopedLandTile& land, const int32_t (&t)[3])
{
    return std::max({land.corners[static_cast<size_t>(t[0])], land.corners[static_cast<size_t>(t[1])],
                     land.corners[static_cast<size_t>(t[2])]});
}

int isHiddenLand(const CLandTile& land)
{
    if (land.inList == 0) return 1;
    if (!WorldView::zCutMode) return 0;
    if (land.IsSlopedLand() == 0) return WorldView::zCutLevel < land.z ? 1 : 0;
    const auto& sloped = static_cast<const CSlopedLandTile&>(land);
    int32_t tri[2][3];
    slopedTriangles(sloped, tri);
    return WorldView::zCutLevel < triangleTop(sloped, tri[0]) && WorldView::zCutLevel < triangleTop(sloped, tri[1]) ? 1 : 0;
}

/** A land item before the item in its cell list that lies at or above (or, strictly, above) the cut level. */
bool landBeforeAtCut(const CDrawItem& item, bool strictlyAbove)
{
    for (const CDrawItem* p = item.prevDraw; p != nullptr; p = p->prevDraw)
        if (p->IsLand() != 0 && (strictlyAbove ? p->z > WorldView::zCutLevel : p->z >= WorldView::zCutLevel)) return true;
    return false;
}

bool foliageHiddenNow(const CObj& object)
{
    const CMobile* p = player();
    if (p == nullptr) return false;
    const int32_t playerRow = p->locX + p->locY;
    const int32_t range = WorldDrawing::TreeRange(object.graphic);
    if (range < 0) return RectsOverlap(object.rect, p->rect) != 0 && playerRow < object.locX + object.locY;
    const int32_t row = object.locX + object.locY;
    for (const CObj* f = World().foliage.head; f != nullptr; f = f->foliageLinks.next) {
        if (f->inList == 0 || WorldDrawing::TreeRange(f->graphic) != range) continue;
        if (RectsOverlap(f->rect, p->rect) == 0 || f->locX + f->locY != row || playerRow >= row) continue;
        if (MapManager::GetDistance({f->locX, f->locY}, {object.locX, object.locY}) == std::abs(f->graphic - object.graphic))
            return true;
    }
    return false;
}

int isHiddenItem(const CObj& item)
{
    if (item.inList == 0 || player() == nullptr) return 1;
    const uint32_t flags = item.GetTileFlags();
    if (WorldView::zCutMode && (landBeforeAtCut(item, false) || item.z >= WorldView::zCutLevel)) return 1;
    if ((flags & kFlagRoof) != 0 && WorldView::roofCutoff != 127) return 1;
    if (item.z >= WorldView::roofCutoff) return 1;
    if ((flags & kFlagNoDraw) != 0) return 1;
    if ((flags & kFlagFoliage) == 0) return 0;
    if (WorldView::recomputingFoliage) return foliageHiddenNow(item) ? 1 : 0;
    return item.foliageHidden;
}

/** An item of the cell that covers a mobile standing at z. */
bool cellHasCover(int32_t x, int32_t y, int32_t z)
{
    for (const CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(x, y))]; i != nullptr;
         i = i->nextDraw) {
        if (i->IsMobile() != 0 || i->IsLand() != 0 || i->IsBigMobComponent() != 0 || i->z < z + 20) continue;
        if ((i->GetTileFlags() & (kFlagRoof | kFlagSurface)) == 0 || i->IsHidden() != 0) continue;
        return true;
    }
    return false;
}

int isHiddenMobile(const CMobile& mobile)
{
    if (mobile.inList == 0 || mobile.z >= WorldView::roofCutoff) return 1;
    if (WorldView::zCutMode && landBeforeAtCut(mobile, true)) return 1;
    const int32_t x = mobile.locX;
    const int32_t y = mobile.locY;
    const int32_t z = mobile.z;
    return cellHasCover(x, y, z) && cellHasCover(x + 1, y + 1, z) && cellHasCover(x + 1, y, z) &&
                   cellHasCover(x, y + 1, z) && cellHasCover(x + 2, y + 2, z)
               ? 1
               : 0;
}

void drawLand(CLandTile& land, const WorldRect& clip)
{
    const uint16_t graphic = RemapSeasonalLand(land.landGraphic);
    if ((graphic & 0x3FFF) == 2) return;
    const BlitRect c = toTarget(clip);
    const bool grey = playerIsGhost();
    if (land.IsSlopedLand() == 0) {
        const int32_t x = land.rect.left - DrawGrid::scrollX;
        const int32_t y = land.rect.top - DrawGrid::scrollY;
        if (grey)
            BlitLandTileGrey(graphic & 0x3FFF, x, y, c);
        else
            BlitLandTile(graphic & 0x3FFF, x, y, c);
        return;
    }
    const auto& sloped = static_cast<const CSlopedLandTile&>(land);
    int32_t sizeFlag = 0;
    const uint16_t* texture = GetLandTexture(TileData::Land(graphic).textureId, sizeFlag);
    if (texture == nullptr) return;
    int32_t ys[4];
    slopedCornerYs(sloped, ys);
    const int32_t k = WorldDrawing::ColumnKey(land.locX, land.locY) * 22 - DrawGrid::scrollX;
    const int32_t xs[4] = {k, k + 22, k, k - 22};
    TexVertex v[4];
    for (size_t i = 0; i < 4; ++i)
        v[i] = {xs[i], ys[i] - DrawGrid::scrollY, static_cast<uint8_t>(i + 1), sloped.cornerLights[i]};
    int32_t tri[2][3];
    slopedTriangles(sloped, tri);
    for (const auto& t : tri) {
        if (WorldView::zCutMode && WorldView::zCutLevel < triangleTop(sloped, t)) continue;
        const auto a = static_cast<size_t>(t[0]);
        const auto b = static_cast<size_t>(t[1]);
        const auto d = static_cast<size_t>(t[2]);
        if (grey)
            DrawTexturedTriangleGrey(texture, sizeFlag, v[a], v[b], v[d], c);
        else
            DrawTexturedTriangle(texture, sizeFlag, v[a], v[b], v[d], c);
    }
}

SpanRoutine itemSpan(uint32_t m)
{
    switch (m) {
    case 2:
    case 0x20002: return hueSpanByRed;
    case 8:
    case 0x40008: return threeQuarterSourceSpan;
    case 10: return hueThreeQuarterSpan;
    case 0x20008:
    case 0x60008: return threeQuarterDestinationSpan;
    case 0x40002:
    case 0x60002: return partialHueSpan;
    case 0x4000A: return partialHueThreeQuarterSpan;
    default: return CopySpan;
    }
}

void drawItem(CObj& item, const WorldRect& clip)
{
    if (item.graphic == 1 || (item.graphic >= 8600 && item.graphic <= 8610)) return;
    uint32_t flags = TileData::ItemFlags(item.displayGraphic + item.graphicOffset);
    if ((flags & kFlagNoDraw) != 0 || item.displayHue > 60000) return;
    if (DrawGrid::DrawingTranslucent()) flags |= kFlagTranslucent;
    const uint16_t hue = itemHue(item);
    const BlitRect c = toTarget(clip);
    const int32_t x = item.rect.left - DrawGrid::scrollX;
    const int32_t y = item.rect.top - DrawGrid::scrollY;
    const int32_t artId = WorldDrawing::ItemArtId(item);
    const ArtImage* image = artId >= 0 ? GetArtImage(artId) : nullptr;
    if (image == nullptr) {
        if (playerIsGhost())
            BlitLandTileGrey(0, x, y, c);
        else
            BlitLandTile(0, x, y, c);
        return;
    }
    uint32_t m = hue == kGreyHue ? 0 : flags & 0x60008;
    const bool hovered = WorldView::hoveredObject == &item;
    const int32_t index = hue & 0x3FFF;
    if (index != 0 || hovered) {
        m += 2;
        setSpanHue(hovered ? 53 : index - 1);
    }
    SpanRoutine span = itemSpan(m);
    if (CensorBlood != 0 && item.IsBloodItem() && index == 0) span = censoredBloodSpan;
    const bool doubled = WorldDrawing::IsDrawnDoubled(item);
    if (UseCircleTrans != 0 && span != threeQuarterDestinationSpan && SeeThroughCircle::Occludes(item) != 0) {
        // Scenery between the viewer and the player fades inside the circle around the player.
        SeeThroughCircle::BlitArt(span, image, c, x, y);
        if (doubled) SeeThroughCircle::BlitArt(span, image, c, x + 5, y + 5);
        return;
    }
    const bool fits = c.left <= x && c.top <= y && x + image->width <= c.right && y + image->height <= c.bottom;
    if (fits && !doubled)
        BlitArt(span, image, x, y);
    else
        BlitArtClipped(span, image, c, x, y);
    if (doubled) BlitArtClipped(span, image, c, x + 5, y + 5);
}

/**
 * Draws the sprite of a body within the rows [top, bottom) of world pixels, then the effects
 * on a mobile, centred on its rectangle.
 */
void drawSprite(const CContainerObj& owner, const Sprite& sprite, const WorldRect& clip, int32_t top, int32_t bottom)
{
    const WorldRect rows{clip.left, std::max(clip.top, top), clip.right, std::min(clip.bottom, bottom)};
    if (rows.top >= rows.bottom) return;
    const BlitRect c = toTarget(rows);
    const int32_t x = sprite.x - DrawGrid::scrollX;
    const int32_t foot = sprite.foot - DrawGrid::scrollY;
    for (const SpritePiece& p : sprite.pieces)
        WorldDrawing::DrawFrame(*p.record, *p.frame, x, foot, p.mirrored, p.hue, p.shadow, c);
    if (owner.IsMobile() == 0) return;
    for (const MissileEffect* effect : AttachedEffects(owner.GetSerial())) effect->Draw(owner.rect, rows);
}

/** The player's walk keeps it off a seat while requests are pending. */
bool walkPending(const CMobile& mobile)
{
    return mobile.IsPlayer() != 0 && Walk::State().count > 0;
}

/** The seat a mobile sits on, or null (a corpse, or a mobile that does not sit). */
CObj* seatOf(const CContainerObj& owner)
{
    if (owner.IsMobile() == 0) return nullptr;
    const auto& mobile = static_cast<const CMobile&>(owner);
    return SeatOf(mobile, walkPending(mobile));
}

/**
 * A seated mobile: the composed figure, then the seat's back painted again over the part of the
 * figure behind it, then the mobile's effects.
 */
void drawSeated(CMobile& mobile, CObj& seat, const WorldRect& clip)
{
    uint16_t forcedHue = 0;
    if ((mobile.statusFlags & 0x80) != 0) {
        // Hidden: shown only to a player of body 987.
        if (player() == nullptr || player()->graphic != 987) return;
        forcedHue = kGreyHue;
    } else if (WorldView::hoveredObject == &mobile) {
        forcedHue = WorldDrawing::GetNotorietyHue(&mobile);
    }
    const bool ghostDiffers = playerIsGhost() != (mobile.IsGhost() != 0);
    int32_t x = 0;
    int32_t foot = 0;
    WorldDrawing::GetSpriteAnchor(mobile, x, foot);
    const int32_t facing = DrawSeatedFigure(mobile, x - DrawGrid::scrollX, foot - DrawGrid::scrollY, toTarget(clip),
                                            forcedHue, ghostDiffers);
    const int32_t row = SkipDrawHandler::RememberedRow();
    const int32_t overlay = row >= 0 ? SkipDrawHandler::SeatTable()[static_cast<size_t>(row)].backOverlay : 0;
    if (overlay != 0 && (facing == 0 || facing == 6)) {
        WorldRect back = clip;
        const int32_t middle = seat.rect.left + (seat.rect.right - seat.rect.left) / 2;
        if (facing == 6)
            back.left = std::max(back.left, middle - overlay);
        else
            back.right = std::min(back.right, middle + overlay);
        if (back.left < back.right) WorldDrawing::DrawClip(seat, back);
    }
    for (const MissileEffect* effect : AttachedEffects(mobile.GetSerial())) effect->Draw(mobile.rect, clip);
}

void drawBody(CContainerObj& owner, const WorldRect& clip)
{
    if (owner.IsMobile() != 0 && owner.graphic >= 1000) return;
    if (CObj* seat = seatOf(owner)) {
        drawSeated(static_cast<CMobile&>(owner), *seat, clip);
        return;
    }
    const Sprite sprite = WorldDrawing::SpriteOf(owner);
    // Below the foot line the bands draw, each in its own cell's turn.
    const int32_t bottom = owner.bigMobComponents != nullptr ? sprite.foot : owner.rect.bottom;
    drawSprite(owner, sprite, clip, owner.rect.top, bottom);
}

void drawBand(CBigMobComponent& band, const WorldRect& clip)
{
    if (band.owner == nullptr) return;
    drawSprite(*band.owner, WorldDrawing::SpriteOf(*band.owner), clip, band.bandTop, band.bandBottom);
}

void releaseBands(CContainerObj& owner)
{
    while (owner.bigMobComponents != nullptr) {
        CBigMobComponent* band = owner.bigMobComponents;
        band->Release(); // unlinks itself from the grid and the chain
        if (owner.bigMobComponents == band) owner.bigMobComponents = band->next;
    }
}

void addBody(CContainerObj& owner)
{
    if (owner.inList != 0) WorldDrawing::RemoveFromDrawList(owner);
    owner.orderKey = owner.z + 1;
    owner.rowKey = WorldDrawing::RowKey(owner.locX, owner.locY);
    owner.columnKey = WorldDrawing::ColumnKey(owner.locX, owner.locY);
    int32_t x = owner.locX;
    int32_t y = owner.locY;
    const int32_t d = owner.direction & 7;
    if (owner.IsPlayer() != 0) {
        if (Walk::State().count > 0) {
            if (d == 1 || d == 2 || d == 3) ++x;
            if (d == 3 || d == 4 || d == 5) ++y;
        }
    } else if (owner.IsMobile() != 0 && static_cast<const CMobile&>(owner).framesLeft > 0) {
        if (d == 5 || d == 6 || d == 7) ++x;
        if (d == 0 || d == 1 || d == 7) ++y;
    }
    WorldDrawing::CalcScreenRect(owner);
    x += owner.cellShift;
    y -= owner.cellShift;
    owner.LinkIntoCell(x, y);
    const bool bands = owner.IsMobile() == 0 || owner.graphic < 400;
    if (!bands) return;
    int32_t foot = 0;
    if (owner.IsMobile() != 0) {
        int32_t sx = 0;
        WorldDrawing::GetSpriteAnchor(static_cast<const CMobile&>(owner), sx, foot);
    } else {
        foot = WorldDrawing::RowKey(owner.locX, owner.locY) * 22 - owner.z * 4 + 20;
    }
    int32_t g = 1;
    for (int32_t t = foot; t < owner.rect.bottom; t += 44, ++g) {
        auto* band = new CBigMobComponent(x + g, y + g, t, std::min(owner.rect.bottom, t + 44), &owner);
        band->LinkIntoDrawList();
    }
}

} // namespace

namespace WorldDrawing {

int32_t OrderKey(const CDrawItem& item)
{
    if (item.IsLand() != 0) return item.IsSlopedLand() != 0 ? item.GetTopZ() - 1 : item.z - 1;
    if (isBody(item)) return item.z + 1;
    const CObj* object = asObject(item);
    if (object == nullptr) return item.z;
    int32_t key = item.z;
    if ((object->GetTileFlags() & kFlagBackground) != 0) --key;
    if (TileData::Item(object->TileId()).height > 0) ++key;
    return key;
}

void CalcScreenRect(CDrawItem& item)
{
    const int32_t k = ColumnKey(item.locX, item.locY);
    const int32_t r = RowKey(item.locX, item.locY);
    if (item.IsLand() != 0) {
        const int32_t left = k * 22 - 22;
        if (item.IsSlopedLand() == 0) {
            item.rect = {left, r * 22 - item.z * 4, left + 44, r * 22 - item.z * 4 + 44};
            return;
        }
        auto& sloped = static_cast<CSlopedLandTile&>(item);
        int32_t ys[4];
        slopedCornerYs(sloped, ys);
        item.rect = {left, std::min({ys[0], ys[1], ys[2], ys[3]}), left + 44, std::max({ys[0], ys[1], ys[2], ys[3]})};
        SlopedCornerLights(item.locX, item.locY, sloped.cornerLights.data());
        return;
    }
    if (isBody(item)) {
        auto& owner = static_cast<CContainerObj&>(item);
        const Sprite sprite = SpriteOf(owner);
        if (seatOf(owner) != nullptr) {
            // The cell it is listed in stays the one its standing frame gave (the seat's).
            const BlitRect seated = CalcSeatedRect(static_cast<const CMobile&>(owner), sprite.x, sprite.foot);
            item.rect = {seated.left, seated.top, seated.right, seated.bottom};
            return;
        }
        item.rect = SpriteRect(sprite);
        const int32_t reach = item.rect.right + 22 - sprite.x;
        item.cellShift = reach > 44 ? reach / 44 : 0;
        if (owner.IsMobile() != 0)
            WidenForAttachedEffects(owner.GetSerial(), item.rect.left, item.rect.top, item.rect.right, item.rect.bottom);
        return;
    }
    const CObj* object = asObject(item);
    if (object == nullptr) {
        item.rect = {k * 22 - 22, r * 22 - item.z * 4, k * 22 + 22, r * 22 - item.z * 4 + 44};
        return;
    }
    const int32_t artId = ItemArtId(*object);
    const ArtImage* image = artId >= 0 ? GetArtImage(artId) : nullptr;
    if (image == nullptr) {
        item.rect = {k * 22, r * 22 - item.z * 4, k * 22 + 44, r * 22 - item.z * 4 + 44};
        return;
    }
    const bool doubled = IsDrawnDoubled(*object);
    item.rect.bottom = r * 22 - item.z * 4 + 43;
    item.rect.top = item.rect.bottom - image->height - (doubled ? 5 : 0);
    const int32_t width = image->width + (doubled ? 5 : 0);
    item.rect.left = k * 22 - width / 2;
    item.rect.right = item.rect.left + width;
}

int IsHidden(const CDrawItem& item)
{
    if (item.IsLand() != 0) return isHiddenLand(static_cast<const CLandTile&>(item));
    if (item.IsPlayer() != 0) return item.inList == 0 ? 1 : 0;
    if (item.IsMobile() != 0) return isHiddenMobile(static_cast<const CMobile&>(item));
    if (const CObj* object = asObject(item)) return isHiddenItem(*object);
    return item.inList == 0 ? 1 : 0;
}

void DrawClip(CDrawItem& item, const WorldRect& clip)
{
    if (item.IsBigMobComponent() != 0) {
        drawBand(static_cast<CBigMobComponent&>(item), clip);
    } else if (item.IsLand() != 0) {
        drawLand(static_cast<CLandTile&>(item), clip);
    } else if (isBody(item)) {
        drawBody(static_cast<CContainerObj&>(item), clip);
    } else if (item.IsObject() != 0) {
        drawItem(static_cast<CObj&>(item), clip);
    }
}

void AddToDrawList(CDrawItem& item)
{
    if (isBody(item)) {
        addBody(static_cast<CContainerObj&>(item));
        return;
    }
    item.LinkIntoDrawList();
}

void RemoveFromDrawList(CDrawItem& item)
{
    if (isBody(item)) {
        if (item.IsMobile() != 0 && item.inList == 0) return;
        releaseBands(static_cast<CContainerObj&>(item));
    }
    if (item.inList != 0) item.UnlinkFromDrawList();
}

bool ObjectHit(const CDrawItem& item, int32_t worldX, int32_t worldY)
{
    // Picking walks every listed item, not only the world's classes: others pass without a pixel test.
    if (dynamic_cast<const CObj*>(&item) == nullptr) return true;
    if (isBody(item)) {
        const auto& owner = static_cast<const CContainerObj&>(item);
        const Sprite sprite = SpriteOf(owner);
        if (seatOf(owner) != nullptr)
            return HitTestSeatedFigure(static_cast<const CMobile&>(owner), sprite.x, sprite.foot, worldX, worldY) != 0;
        for (const SpritePiece& p : sprite.pieces)
            if (FrameHit(*p.frame, sprite.x, sprite.foot, p.mirrored, worldX, worldY)) return true;
        return false;
    }
    const CObj* object = asObject(item);
    if (object == nullptr) return true;
    const int32_t artId = ItemArtId(*object);
    const ArtImage* image = artId >= 0 ? GetArtImage(artId) : nullptr;
    if (image == nullptr) return holdsPoint(item.rect, worldX, worldY);
    const int32_t dx = worldX - item.rect.left;
    const int32_t dy = worldY - item.rect.top;
    if (GetArtPixel(image, dx, dy) != 0) return true;
    return IsDrawnDoubled(*object) && GetArtPixel(image, dx - 5, dy - 5) != 0;
}

} // namespace WorldDrawing

// ---------------------------------------------------------------- the view's cut-away state

void WorldView::Reset()
{
    roofCutoff = 127;
    rawRoof = 127;
    zCutMode = false;
    zCutLevel = 0;
    foliageUpdate = false;
    hoveredObject = nullptr;
    recomputingFoliage = false;
}

void WorldView::startup()
{
    zCutMode = false;
}

void WorldView::SetZCut(bool on, int32_t level)
{
    if (zCutMode == on && (!on || zCutLevel == level)) return;
    zCutMode = on;
    zCutLevel = level;
    DrawManager::RedrawAll();
}

void WorldView::FollowCell(int32_t x, int32_t y, int32_t offsetX, int32_t offsetY)
{
    const BlitRect area = DrawManager::PlayArea();
    const int32_t sx = WorldDrawing::ColumnKey(x, y) * 22 + offsetX - area.right / 2;
    const int32_t sy = WorldDrawing::RowKey(x, y) * 22 + offsetY - area.bottom / 2;
    const int32_t dx = sx - DrawGrid::scrollX;
    const int32_t dy = sy - DrawGrid::scrollY;
    if (dx == 0 && dy == 0) return;
    DrawGrid::scrollX = sx;
    DrawGrid::scrollY = sy;
    // What stands in view coordinates moves with the picture: flying effects and falling weather.
    ShiftMissileGumps(-dx, -dy);
    WeatherManager::Shift(-dx, -dy);
    if (std::abs(dx) >= area.right || std::abs(dy) >= area.bottom)
        DrawManager::RedrawAll();
    else
        DrawManager::ScrollView(-dx, -dy);
}

namespace {

/** The roof flood: lowers z through the connected roof cells within 6 of each other. */
int32_t roofFlood(int32_t x, int32_t y, int32_t z, int32_t depth)
{
    const auto cell = static_cast<size_t>(DrawMapThingie::CellIndex(x, y));
    if (DrawMapThingie::visited[cell] != 0 || depth > DrawMapThingie::kCells) return z;
    DrawMapThingie::visited[cell] = 1;
    for (const CDrawItem* i = DrawMapThingie::table[cell]; i != nullptr; i = i->nextDraw) {
        if (i->IsObject() == 0 || i->IsMobile() != 0) continue;
        if ((i->GetTileFlags() & kFlagRoof) == 0 || std::abs(i->z - z) > 6) continue;
        int32_t low = std::min<int32_t>(z, i->z);
        const int32_t from = low;
        low = std::min(low, roofFlood(x - 1, y, from, depth + 1));
        low = std::min(low, roofFlood(x + 1, y, from, depth + 1));
        low = std::min(low, roofFlood(x, y - 1, from, depth + 1));
        low = std::min(low, roofFlood(x, y + 1, from, depth + 1));
        return low;
    }
    return z;
}

} // namespace

void WorldView::UpdateRoofCutoff()
{
    const CMobile* p = player();
    if (p == nullptr) return;
    const int32_t px = p->locX;
    const int32_t py = p->locY;
    const int32_t pz = p->z;
    int32_t cut = 127;
    for (const CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(px, py))];
         i != nullptr; i = i->nextDraw) {
        if (i->IsLand() != 0 || i->IsMobile() != 0 || i->z <= pz + 14 || i->z >= cut) continue;
        const uint32_t flags = i->GetTileFlags();
        if ((flags & (kFlagFoliage | kFlagWall)) == 0 && ((flags & kFlagRoof) == 0 || (flags & kFlagSurface) != 0))
            cut = i->z;
    }
    for (const CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(px + 1, py + 1))];
         i != nullptr; i = i->nextDraw) {
        if (i->IsLand() != 0 || i->IsMobile() != 0 || i->z <= pz + 14 || i->z >= cut) continue;
        const uint32_t flags = i->GetTileFlags();
        if ((flags & kFlagRoof) != 0 && (flags & (kFlagSurface | kFlagWall)) == 0) {
            cut = i->z;
            DrawMapThingie::visited.fill(0);
            cut = roofFlood(px + 1, py + 1, cut, 0);
        }
    }
    const int32_t raw = cut;
    if (foliageUpdate) {
        recomputingFoliage = true;
        for (CObj* f = World().foliage.head; f != nullptr; f = f->foliageLinks.next) {
            if (f->inList == 0) continue;
            const uint8_t now = foliageHiddenNow(*f) ? 1 : 0;
            if (now != f->foliageHidden) {
                f->foliageHidden = now;
                f->Invalidate();
            }
        }
        recomputingFoliage = false;
        foliageUpdate = false;
    }
    cut = std::max(cut, pz + 16);
    if (cut != roofCutoff || raw != rawRoof) {
        roofCutoff = cut;
        rawRoof = raw;
        DrawManager::RedrawAll();
    }
}
