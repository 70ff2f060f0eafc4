/** @file A small world for the drawing tests: data files with land, item art, bodies and textures, the object manager on them, and the view around the player. */
#pragma once

#include "render_fixture.h"

#include "client/data/art_image.h"
#include "client/data/data_files.h"
#include "client/data/map_manager.h"
#include "client/render/anim_frames.h"
#include "client/render/animated_list.h"
#include "client/render/draw_grid.h"
#include "client/render/startup_tables.h"
#include "client/render/textured_triangles.h"
#include "client/render/world_drawing.h"
#include "client/world/body_kind.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"
#include "tests/world/world_fixture.h"
#include "tests/support/data_fixtures.h"
#include "tools/formats/data_formats.h"
#include "tools/formats/render_formats.h"
#include "tools/formats/world_formats.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rendertest {

/** Graphics and bodies of the scene's data. */
enum SceneId : uint16_t {
    L_GRASS = 3,     // land art: pixel i is 0x4000 | i (self-describing)
    L_SLOPE = 4,     // land whose texture is 7
    T_SLOPE = 7,     // texture: texel (u, v) = v << 6 | u
    G_POST = 0x0B00, // a 3 x 5 item, height 5
    G_ROOF = 0x0B01, // roof, 4 x 2
    G_BUSH = 0x0B02, // foliage, 6 x 4
    G_PILE = 3821,   // coins: 3 images by amount
    G_SHIRT = 0x0B05, // worn, animation 401
    G_HIDDEN = 0x0B06, // tile flag 0x10000, no art
    G_ARROWS = 0x0B07, // stackable, 3 x 5
    B_HUMAN = 400,   // 175-record layout
    B_BEAST = 1,     // 110-record layout, a wide frame that reaches below its feet
};

/** A rectangle as text, for comparisons that show both sides. */
inline std::string show(const WorldRect& r)
{
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

/** The palette of every body record: index i is the 5-5-5 colour i (so a pixel tells its index). */
inline std::array<uint16_t, 256> indexPalette()
{
    std::array<uint16_t, 256> p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint16_t>(i);
    return p;
}

/** A frame whose pixel (x, y) is palette index base + y x width + x, counted 1..255 round (never 0). */
inline formats::BodyFrame numberedFrame(int16_t cx, int16_t cy, uint16_t w, uint16_t h, uint8_t base)
{
    formats::BodyFrame f{cx, cy, w, h, {}, false};
    for (int32_t i = 0; i < w * h; ++i) f.pixels.push_back(static_cast<uint8_t>(1 + (base - 1 + i) % 255));
    return f;
}

/**
 * The data of the scene and a started data cache over it; the world view is centred on the
 * player at (100, 100, 0) with the map drawn into a 176 x 132 ring whose corner is cell
 * (100, 100)'s top corner less (88, 44).
 */
class WorldScene : public RingTest {
protected:
    static constexpr int32_t RW = 176;
    static constexpr int32_t RH = 132;
    /** Play-area position of cell (100, 100, 0)'s top corner. */
    static constexpr int32_t CX = 88;
    static constexpr int32_t CY = 44;

    void SetUp() override
    {
        RingTest::SetUp();
        useRing(RW, RH);
        GraphicManager::SetPlaySize(640, 480);
        BuildStartupTables();
        GraphicManager::BuildGreyTable();
        testsupport::DataInstall data(dir_.path());
        writeData(data);
        data.write();
        cache_.emplace(dir_.path());
        ClearArtImageCache();
        ClearAnimRecordCache();
        ClearLandTextureCache();

        MapManager::SetMap(0);
        MapManager::CenterX = 100;
        MapManager::CenterY = 100;
        DrawMapThingie::Clear();
        DrawMapThingie::BuildVisibleOrder();
        WorldView::Reset();
        SetWorldDrawServices(&renderWorldServices());
        DrawGrid::pickHooks() = DrawGrid::worldPickHooks();
        InitBodyKindTable();
        install_.write("tiledata.mul", tileData().bytes());
        CObjectManager::startup();
        DrawGrid::scrollX = (MapManager::MapWidth()) * 22 - CX;
        DrawGrid::scrollY = 200 * 22 - CY;
        player = CObjectManager::CreatePlayer(1, B_HUMAN);
        player->direction = 3;
        player->PlaceAt(100, 100, 0);
        DrawManager::ResetDirtyState();
    }

    void TearDown() override
    {
        for (CDrawItem* land : lands_) land->Release();
        lands_.clear();
        CObjectManager::shutdown();
        AnimatedList::Clear();
        DrawMapThingie::Clear();
        TileData::Clear();
        WorldView::Reset();
        SetWorldDrawServices(nullptr);
        DrawGrid::scrollX = DrawGrid::scrollY = 0;
        ClearArtImageCache();
        ClearAnimRecordCache();
        ClearLandTextureCache();
        cache_.reset();
        RingTest::TearDown();
    }

    static formats::TileDataWriter tileData()
    {
        formats::TileDataWriter t;
        t.land(L_GRASS, {.name = "grass"});
        t.land(L_SLOPE, {.texture = T_SLOPE, .name = "slope"});
        t.item(G_POST, {.height = 5, .name = "post"});
        t.item(G_ROOF, {.flags = 0x10000000, .height = 1, .name = "roof"});
        t.item(G_BUSH, {.flags = 0x20000, .name = "bush"});
        t.item(G_PILE, {.flags = 0x800, .name = "coins"});
        t.item(G_SHIRT, {.flags = 0x400000, .quality = 5, .animation = 401, .name = "shirt"});
        t.item(G_HIDDEN, {.flags = 0x10000, .name = "hidden"});
        t.item(G_ARROWS, {.flags = 0x800, .name = "arrows"});
        return t;
    }

    static formats::Bytes landArt()
    {
        formats::LeWriter w;
        for (uint32_t i = 0; i < 1012; ++i) w.u16(0x4000 | i);
        return w.take();
    }

    /** An item image of w x h whose pixel (x, y) is base + y x w + x; a 0 makes a gap. */
    static formats::Bytes itemArt(uint16_t w, uint16_t h, uint16_t base, int32_t gapX = -1, int32_t gapY = -1)
    {
        std::vector<uint16_t> px;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) px.push_back(x == gapX && y == gapY ? 0 : static_cast<uint16_t>(base + y * w + x));
        return formats::encodeArtImage(w, h, px);
    }

    virtual void writeData(testsupport::DataInstall& data)
    {
        auto& art = data.indexed(FILE_ART);
        art.add(L_GRASS, landArt());
        art.add(0x4000 + G_POST, itemArt(3, 5, 0x100, 1, 2));
        art.add(0x4000 + G_ROOF, itemArt(4, 2, 0x200));
        art.add(0x4000 + G_ARROWS, itemArt(3, 5, 0x500));
        art.add(0x4000 + G_BUSH, itemArt(6, 4, 0x300));
        for (uint16_t i = 0; i < 3; ++i) art.add(0x4000 + G_PILE + i, itemArt(static_cast<uint16_t>(2 + i), 2, 0x400));
        std::vector<uint16_t> texture(64 * 64);
        for (uint32_t v = 0; v < 64; ++v)
            for (uint32_t u = 0; u < 64; ++u) texture[v * 64 + u] = static_cast<uint16_t>(v << 6 | u);
        data.indexed(FILE_TEXMAPS).add(T_SLOPE, formats::encodeTexture(texture));
        auto& anim = data.indexed(FILE_ANIM);
        // The human walking (action 0), every stored direction: a 4 x 6 frame standing on its anchor.
        for (int32_t d = 0; d < 5; ++d) {
            anim.add(static_cast<uint32_t>(35000 + d), formats::encodeBodyAnimation(indexPalette(), {numberedFrame(1, 0, 4, 6, 1)}));
            anim.add(static_cast<uint32_t>(35175 + d), formats::encodeBodyAnimation(indexPalette(), {numberedFrame(0, -2, 2, 2, 100)}));
        }
        // The human's death (action 21): the corpse shows frame 5, 6 x 3.
        std::vector<formats::BodyFrame> death(5, numberedFrame(0, 0, 1, 1, 1));
        death.push_back(numberedFrame(2, 0, 6, 3, 50));
        for (int32_t d = 0; d < 5; ++d)
            anim.add(static_cast<uint32_t>(35000 + d + 21 * 5), formats::encodeBodyAnimation(indexPalette(), death));
        // The beast: 100 wide (reaching two columns right) and 60 below its feet.
        anim.add(110 + 3, formats::encodeBodyAnimation(indexPalette(), {numberedFrame(20, -60, 100, 70, 1)}));
    }

    CLandTile* addLand(int32_t x, int32_t y, int32_t z, uint16_t graphic = L_GRASS)
    {
        CLandTile* t = NewLandTile(graphic, x, y, z);
        t->AddToDrawList();
        lands_.push_back(t);
        return t;
    }
    CSlopedLandTile* addSloped(int32_t x, int32_t y, std::array<int8_t, 4> corners)
    {
        CSlopedLandTile* t = NewSlopedLandTile(L_SLOPE, x, y, corners.data());
        t->AddToDrawList();
        lands_.push_back(t);
        return t;
    }
    static CObj* addStatic(uint16_t graphic, int32_t x, int32_t y, int32_t z)
    {
        CObj* o = NewStaticObj(graphic);
        o->PlaceAt(x, y, z);
        return o;
    }
    static CDynamicObj* addItem(uint32_t serial, uint16_t graphic, int32_t x, int32_t y, int32_t z, uint16_t amount = 1,
                                uint16_t hue = 0)
    {
        ObjectRecord r;
        r.serial = serial | kItemSerialBit;
        r.graphic = graphic;
        r.amount = amount;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        r.z = static_cast<int8_t>(z);
        r.hue = hue;
        return CObjectManager::HandleMove(r);
    }
    static CMobile* addMobile(uint32_t serial, uint16_t body, int32_t x, int32_t y, uint8_t direction, int32_t z = 0)
    {
        ObjectRecord r;
        r.serial = serial;
        r.graphic = body;
        r.x = static_cast<uint16_t>(x);
        r.y = static_cast<uint16_t>(y);
        r.z = static_cast<int8_t>(z);
        r.direction = direction;
        return static_cast<CMobile*>(CObjectManager::HandleMove(r));
    }
    /** A rectangle of world pixels as play-area pixels. */
    static WorldRect play(const WorldRect& r)
    {
        return {r.left - DrawGrid::scrollX, r.top - DrawGrid::scrollY, r.right - DrawGrid::scrollX, r.bottom - DrawGrid::scrollY};
    }
    /** Redraws the whole view through the flush. */
    static void redraw()
    {
        DrawManager::ForceRedrawAll();
        DrawManager::RedrawDirtyRects();
    }

    testsupport::InstallSandbox install_;
    testsupport::TempDir dir_;
    std::optional<testsupport::ScopedDataCache> cache_;
    std::vector<CDrawItem*> lands_;
    CPlayerMobile* player = nullptr;
};

} // namespace rendertest
