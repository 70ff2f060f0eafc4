#include "render_fixture.h"

#include "client/data/art_image.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/render/draw_grid.h"
#include "client/world/world_objects.h"
#include "platform/message_box/message_box.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "client/render/startup_tables.h"

#include <memory>
#include <string>

namespace {

using rendertest::pending;
using rendertest::show;

/** A draw item with a fixed rectangle and kind answers; drawing records its id. */
class TestItem final : public CDrawItem {
public:
    TestItem(int id, std::vector<int>* log, WorldRect where) : id_(id), log_(log), where_(where) {}

    void DrawClip(const WorldRect& clip) override
    {
        log_->push_back(DrawGrid::DrawingTranslucent() ? -id_ : id_);
        if (paint) {
            // Fill the part of the rectangle inside the clip, in play-area pixels.
            uint16_t* base = GetBlitTarget();
            for (int32_t y = std::max(rect.top, clip.top); y < std::min(rect.bottom, clip.bottom); ++y)
                for (int32_t x = std::max(rect.left, clip.left); x < std::min(rect.right, clip.right); ++x)
                    base[(y - DrawGrid::scrollY) * GetBlitPitch() + (x - DrawGrid::scrollX)] = static_cast<uint16_t>(id_);
        }
    }
    void CalcScreenRect() override { rect = where_; }
    void AddToDrawList() override
    {
        ++adds;
        LinkIntoDrawList();
    }
    int IsMobile() const override { return mobile; }
    int IsLand() const override { return land; }
    int IsObject() const override { return object; }
    int IsEffect() const override { return effect; }
    int IsBigMobComponent() const override { return band; }
    int IsHidden() const override { return hidden || inList == 0; }
    uint32_t GetTileFlags() const override { return flags; }

    int land = 0;
    int object = 1;
    int effect = 0;
    int band = 0;
    int hidden = 0;
    uint32_t flags = 0;
    bool paint = false;
    int mobile = 0;
    int32_t art = -1; // land graphic or item art id
    int adds = 0;

private:
    int id_;
    std::vector<int>* log_;
    WorldRect where_;
};

class DrawGridTest : public rendertest::RingTest {
protected:
    void SetUp() override
    {
        RingTest::SetUp();
        DrawMapThingie::Clear(); // corner -128: window cell (dx, dy) is map cell (dx, dy)
        DrawMapThingie::BuildVisibleOrder();
        DrawGrid::scrollX = 0;
        DrawGrid::scrollY = 0;
    }
    void TearDown() override
    {
        items_.clear();
        DrawGrid::pickHooks() = {};
        DrawGrid::artHooks() = DrawGrid::worldArtHooks();
        SetWorldDrawServices(nullptr);
        DrawGrid::scrollX = DrawGrid::scrollY = 0;
        RingTest::TearDown();
    }

    TestItem& add(int id, int16_t x, int16_t y, int16_t z, WorldRect where)
    {
        items_.push_back(std::make_unique<TestItem>(id, &log_, where));
        TestItem& item = *items_.back();
        item.locX = x;
        item.locY = y;
        item.z = z;
        return item;
    }
    TestItem& list(TestItem& item)
    {
        item.AddToDrawList();
        return item;
    }

    std::vector<int> log_;
    std::vector<std::unique_ptr<TestItem>> items_;
};

TEST_F(DrawGridTest, ARectangleIsPaintedBackToFrontAndEachCellHeadToTail)
{
    const WorldRect box{0, 0, 10, 10};
    list(add(4, 21, 20, 0, box));                        // diagonal 41: after diagonal 40
    list(add(3, 20, 20, 5, box));                        // diagonal 40, higher key: after 1 and 2
    list(add(1, 20, 20, 0, box));
    list(add(2, 20, 20, 0, box)).land = 0;               // equal key: arrival order
    list(add(5, 19, 21, 0, box));                        // diagonal 40, dx 19: before dx 20
    list(add(6, 22, 20, 0, {10, 0, 20, 10}));            // touches the dirty rectangle's right edge
    list(add(7, 22, 21, 0, {11, 0, 20, 10}));            // strictly apart
    list(add(8, 23, 21, 0, box)).hidden = 1;             // hidden
    TestItem& foliage = list(add(9, 23, 22, 0, box));
    foliage.hidden = 1;
    foliage.flags = 0x20000;                             // hidden foliage: drawn, translucent
    DrawGrid::DrawRect({0, 0, 10, 10});
    EXPECT_EQ(log_, (std::vector<int>{5, 1, 2, 3, 4, 6, -9}));
    EXPECT_FALSE(DrawGrid::DrawingTranslucent());
}

TEST_F(DrawGridTest, TheFlushPaintsTheGridThroughTheRingAtTheViewScroll)
{
    DrawGrid::scrollX = 1000;
    DrawGrid::scrollY = 2000;
    list(add(1, 20, 20, 0, {1002, 2002, 1010, 2008})).paint = true;
    list(add(2, 21, 20, 0, {1006, 2004, 1014, 2010})).paint = true; // in front: later diagonal
    ViewBufferOffset = W * H - (5 * W + 6); // the view is cut by the wrap
    mark({0, 0, W, H});
    DrawManager::RedrawDirtyRects();
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            uint16_t expected = 0;
            if (x >= 2 && x < 10 && y >= 2 && y < 8)
                expected = 1;
            if (x >= 6 && x < 14 && y >= 4 && y < 10)
                expected = 2;
            ASSERT_EQ(at(x, y), expected) << x << ", " << y;
        }
    }
}

TEST_F(DrawGridTest, PickingReturnsTheFrontMostCandidate)
{
    const WorldRect box{100, 100, 144, 144};
    TestItem& back = list(add(1, 20, 20, 0, box));
    TestItem& front = list(add(2, 21, 20, 0, box));
    TestItem& topOfBack = list(add(3, 20, 20, 9, box));
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), &front);
    front.hidden = 1;
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), &topOfBack); // a cell's tail first
    topOfBack.band = 1;
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), &back);
    back.effect = 1;
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), nullptr);
    back.effect = 0;
    EXPECT_EQ(DrawGrid::PickAt(144, 110, false), nullptr); // right edge is outside

    // Objects pass their pixel test and stay out of the see-through circle.
    DrawGrid::pickHooks().objectHit = [&](const CDrawItem& item, int32_t x, int32_t y) {
        return &item != &back && x == 110 && y == 110;
    };
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), nullptr);
    DrawGrid::pickHooks().objectHit = {};
    DrawGrid::pickHooks().insideSeeThroughCircle = [&](const CDrawItem& item) { return &item == &back; };
    EXPECT_EQ(DrawGrid::PickAt(110, 110, false), nullptr);

    DrawGrid::scrollX = 50; // points are play-area pixels
    DrawGrid::pickHooks() = {};
    EXPECT_EQ(DrawGrid::PickAt(60, 110, false), &back);
}

TEST_F(DrawGridTest, LandIsPickedInsideItsDiamondOnly)
{
    TestItem& land = list(add(1, 20, 20, 0, {0, 0, 44, 44}));
    land.land = 1;
    land.object = 0;
    const struct {
        int32_t dx, dy;
        bool hit;
    } points[] = {{22, 0, true},  {23, 0, false}, {10, 10, false}, {11, 10, true},  {33, 32, true},
                  {33, 33, false}, {0, 22, true},  {0, 23, false}, {43, 21, true}, {22, 43, true}};
    for (const auto& p : points)
        EXPECT_EQ(DrawGrid::PickAt(p.dx, p.dy, false) == &land, p.hit) << p.dx << ", " << p.dy;
    EXPECT_EQ(DrawGrid::PickAt(22, 22, true), nullptr);
    DrawGrid::pickHooks().landPickable = [](const CDrawItem&) { return false; }; // above the z cut
    EXPECT_EQ(DrawGrid::PickAt(22, 22, false), nullptr);
    DrawGrid::pickHooks() = {};

    TestItem& tree = list(add(2, 20, 20, 5, {0, 0, 44, 44}));
    tree.hidden = 1; // a hidden item over land leaves the land pickable
    EXPECT_EQ(DrawGrid::PickAt(22, 22, false), &land);
}

TEST_F(DrawGridTest, TheNearestLandIsTheOneWhoseRectangleCentreIsClosest)
{
    TestItem& a = list(add(1, 20, 20, 0, {0, 0, 44, 44}));  // centre (22, 22)
    TestItem& b = list(add(2, 21, 20, 0, {20, 0, 64, 44})); // centre (42, 22)
    TestItem& c = list(add(3, 22, 20, 0, {0, 0, 44, 44}));  // same centre as a, further front
    list(add(4, 23, 20, 0, {0, 0, 80, 80}));                // not land
    for (TestItem* t : {&a, &b, &c})
        t->land = 1;
    items_[3]->land = 0;
    EXPECT_EQ(DrawGrid::PickNearestLand(30, 22), &c); // a tie keeps the first found, front to back
    EXPECT_EQ(DrawGrid::PickNearestLand(36, 22), &b);
    EXPECT_EQ(DrawGrid::PickNearestLand(70, 70), nullptr);
}

TEST_F(DrawGridTest, ListingAndUnlistingMarkTheItemsRectangleLessTheViewScroll)
{
    SetWorldDrawServices(&renderWorldServices());
    DrawGrid::scrollX = 100;
    DrawGrid::scrollY = 200;
    TestItem& item = list(add(1, 20, 20, 0, {102, 203, 106, 205}));
    EXPECT_EQ(pending().size(), 1u);
    EXPECT_EQ(rendertest::pixelsOf(pending()[0]), rendertest::pixelsOf({2, 3, 6, 5}));
    DrawManager::ResetDirtyState();
    item.hidden = 1; // hidden items mark nothing
    item.RemoveFromDrawList();
    EXPECT_TRUE(pending().empty());
}

std::vector<uint8_t> storedArt(int32_t id)
{
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_ARTIDX, FILE_ART, id, &size, &extra);
    return data == nullptr ? std::vector<uint8_t>{} : std::vector<uint8_t>(data, data + size);
}

TEST_F(DrawGridTest, ServerArtIsStoredCheckedAndRedrawnWhereItShows)
{
    testsupport::TempDir dir;
    testsupport::DataInstall install(dir.path());
    const auto oldItem = testsupport::buildArtRecord(2, {{{0, {1, 2}}}});
    install.indexed(FILE_ART).add(0x4007, oldItem);
    install.indexed(FILE_ART).reserve(0x4010);
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    platform::RecordingMessageBoxSink boxes;
    platform::ScopedMessageBoxSink boxScope(boxes);
    SetWorldDrawServices(&renderWorldServices());
    DrawGrid::artHooks().landGraphicOf = [](const CDrawItem& item) { return static_cast<const TestItem&>(item).art; };
    DrawGrid::artHooks().itemArtOf = [](const CDrawItem& item) { return static_cast<const TestItem&>(item).art; };
    ASSERT_EQ(GetArtImage(0x4007)->width, 2);

    TestItem& land = list(add(1, 20, 20, 0, {0, 0, 4, 4}));
    land.land = 1;
    land.object = 0;
    land.art = 0x8005; // compared on the low 15 bits
    TestItem& other = list(add(2, 21, 20, 0, {8, 8, 10, 10}));
    other.land = 1;
    other.object = 0;
    other.art = 6;
    TestItem& item = list(add(3, 22, 20, 0, {0, 0, 1, 1}));
    item.art = 7;
    TestItem& mobile = list(add(4, 23, 20, 0, {0, 0, 1, 1}));
    mobile.art = 7;
    mobile.mobile = 1;
    DrawManager::ResetDirtyState();

    for (int32_t id : {-1, 65536}) {
        GraphicManager::UpdateArt(oldItem.data(), id, static_cast<int32_t>(oldItem.size()), 0);
    }
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.boxes()[0].caption, "damn art bug");
    EXPECT_EQ(boxes.boxes()[0].text, "Tried to update art less than 0 or greater then 65535.");

    // Land: always 2,048 bytes, a short message padded; the land showing it is redrawn.
    const uint8_t few[] = {9, 8, 7};
    GraphicManager::UpdateArt(few, 5, 3, 0);
    std::vector<uint8_t> expectedLand(2048, 0);
    std::copy(std::begin(few), std::end(few), expectedLand.begin());
    EXPECT_EQ(storedArt(5), expectedLand);
    EXPECT_EQ(show(pending()), show({{0, 0, 4, 4}}));

    // Items: the header's length, cut to what came; the parsed image is read again; each
    // object showing it is listed again once, mobiles are left alone.
    auto newItem = testsupport::buildArtRecord(3, {{{0, {4, 5, 6}}}});
    newItem[0] = static_cast<uint8_t>(newItem.size() - 8 - 2); // the header counts the run bytes
    newItem[1] = newItem[2] = newItem[3] = 0;
    std::vector<uint8_t> message = newItem;
    message.push_back(0xEE); // trailing bytes beyond the header's length are not stored
    GraphicManager::UpdateArt(message.data(), 0x4007, static_cast<int32_t>(message.size()), 0);
    EXPECT_EQ(storedArt(0x4007), newItem);
    EXPECT_EQ(GetArtImage(0x4007)->width, 3);
    EXPECT_EQ(item.adds, 2);
    EXPECT_EQ(mobile.adds, 1);

    GraphicManager::UpdateArt(newItem.data(), 0x4008, 8, 0); // the header claims more: cut to 8
    EXPECT_EQ(storedArt(0x4008).size(), 8u);
    GraphicManager::UpdateArt(newItem.data(), 0x4009, 7, 0); // no whole header: nothing stored
    EXPECT_TRUE(storedArt(0x4009).empty());
    EXPECT_EQ(GetArtOrDefault(0x4007 | 0x8000)->width, 3);
    GraphicManager::UpdateArt(nullptr, 0x4007, -1, 0);       // an empty entry
    EXPECT_TRUE(storedArt(0x4007).empty());
    EXPECT_EQ(GetArtImage(0x4007), nullptr);
    GraphicManager::UpdateArt(oldItem.data(), 0, static_cast<int32_t>(oldItem.size()), 0);
    EXPECT_EQ(GetArtOrDefault(0x4007), GetArtImage(0)); // missing: image 0 instead
    ClearArtImageCache();
}

TEST_F(DrawGridTest, TheWorldsClassesAnswerTheArtQuestions)
{
    const DrawGrid::ArtHooks hooks = DrawGrid::worldArtHooks();
    CObj object(0x123);
    object.graphicOffset = 2;
    EXPECT_EQ(hooks.itemArtOf(object), 0x125);
    auto land = std::make_unique<CLandTile>();
    land->landGraphic = 77;
    EXPECT_EQ(hooks.landGraphicOf(*land), 77);
    TestItem& other = add(1, 20, 20, 0, {0, 0, 1, 1});
    EXPECT_EQ(hooks.itemArtOf(other), -1);
    EXPECT_EQ(hooks.landGraphicOf(other), -1);
}

} // namespace
