/** @file Tests of multis built from multi.idx / multi.mul, wide-sprite bands, the placement preview and the marked-mobile list. */
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "tests/support/data_fixtures.h"
#include "tests/world/world_test_fixture.h"

#include "client/data/data_files.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace testsupport;

constexpr int32_t kHouse = 3;
constexpr int32_t kFlat = 4;
constexpr int32_t kShed = 5;
constexpr int32_t kAbsent = 6;

class MultiTest : public WorldTest {
protected:
    MultiTest()
    {
        DataInstall data(install.installFile(""));
        formats::IndexedFileWriter& multis = data.indexed(FILE_MULTI);
        multis.add(kHouse, formats::encodeMulti({{G_WALL, 0, 0, 0, 0},
                                                 {G_WALL, -2, -2, 0, 1},
                                                 {G_WALL, 2, -2, 0, 1},
                                                 {G_TREE, 0, 3, 5, 1},
                                                 {G_KNIFE, 1, 1, 0, 0}}));
        multis.add(kFlat, formats::encodeMulti({{G_FIRE, 0, 0, 0, 0}, {G_WALL, 1, 0, 0, 0}}));
        multis.add(kShed, formats::encodeMulti({{G_WALL, 0, 0, 0, 0}, {G_WALL, 1, 1, 0, 1}}));
        multis.absent(kAbsent);
        data.write();
        cache = std::make_unique<ScopedDataCache>(install.installFile(""));
    }
    ~MultiTest() override
    {
        CObjectManager::shutdown(); // before the data cache goes
        PlacementPreview().Cancel();
    }
    static ObjectRecord multi(uint32_t serial, int32_t id, int32_t x = 101, int32_t y = 101, int8_t zz = 0)
    {
        ObjectRecord r = item(serial, static_cast<uint16_t>(0x4000 + id), x, y);
        r.z = zz;
        return r;
    }
    static std::vector<CObj*> pieces(const CDynamicObj* o)
    {
        std::vector<CObj*> out;
        if (o->multiComponents != nullptr)
            for (const auto& n : o->multiComponents->nodes) out.push_back(n.object);
        return out;
    }
    std::unique_ptr<ScopedDataCache> cache;
};

TEST_F(MultiTest, RecordsDecodeFromTheFileAndTheNetwork)
{
    const std::vector<formats::MultiPiece> records{{G_WALL, -2, 3, -4, 1}, {0xBEEF, 300, -300, 7, 0x12345678}};
    const formats::Bytes le = formats::encodeMulti(records);
    const formats::Bytes be = formats::encodeMultiNetwork(records);
    for (const auto& decoded : {DecodeMultiRecords(le.data(), le.size() + 0), ConvertMultiRecords(be.data(), be.size())}) {
        ASSERT_EQ(decoded.size(), 2u);
        EXPECT_EQ(decoded[0].x, -2);
        EXPECT_EQ(decoded[0].z, -4);
        EXPECT_EQ(decoded[1].graphic, 0xBEEF);
        EXPECT_EQ(decoded[1].y, -300);
        EXPECT_EQ(decoded[1].flags, 0x12345678u);
    }
    EXPECT_EQ(DecodeMultiRecords(le.data(), 23).size(), 1u); // a part record is dropped
    EXPECT_EQ(ReadMultiRecords(kHouse).size(), 5u);
    EXPECT_TRUE(ReadMultiRecords(kAbsent).empty());
}

TEST_F(MultiTest, AMultiRecordPlacesItsPieces)
{
    CDynamicObj* house = CObjectManager::HandleMove(multi(1, kHouse, 101, 101, 2));
    ASSERT_NE(house, nullptr);
    EXPECT_EQ(house->graphic, G_WALL); // record 0
    EXPECT_EQ(house->displayHue, 0);
    const std::vector<CObj*> p = pieces(house);
    ASSERT_EQ(p.size(), 3u); // only records with flags 1
    EXPECT_EQ(house->multiComponents->extent, 3);
    EXPECT_TRUE(house->multiComponents->placed);
    EXPECT_EQ(p[0]->locX, 99);
    EXPECT_EQ(p[0]->locY, 99);
    EXPECT_EQ(p[2]->locY, 104);
    EXPECT_EQ(p[2]->z, 7);
    for (CObj* piece : p) {
        EXPECT_EQ(piece->IsMultiComponent(), 1);
        EXPECT_EQ(piece->offMap, 0);
    }
    EXPECT_EQ(World().multiComponents.count, 3u);

    // The same record again leaves the pieces alone; a new id rebuilds them.
    const int adds = draw.adds;
    CObjectManager::HandleMove(multi(1, kHouse, 101, 101, 2));
    EXPECT_EQ(pieces(house), p);
    EXPECT_EQ(draw.adds, adds);
    CObjectManager::HandleMove(multi(1, kShed, 101, 101, 2));
    ASSERT_EQ(pieces(house).size(), 1u);
    EXPECT_EQ(World().multiComponents.count, 1u);
    EXPECT_EQ(house->multiComponents->multiId, kShed);
    // Moving the multi moves its pieces.
    CObjectManager::HandleMove(multi(1, kShed, 103, 101, 2));
    EXPECT_EQ(pieces(house)[0]->locX, 104);
}

TEST_F(MultiTest, FlatAndAbsentMultisShowOnlyTheObject)
{
    CDynamicObj* flat = CObjectManager::HandleMove(multi(2, kFlat));
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->graphic, G_FIRE);
    EXPECT_TRUE(pieces(flat).empty());
    CDynamicObj* none = CObjectManager::HandleMove(multi(3, kAbsent, 102, 102));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->multiComponents, nullptr);
    EXPECT_EQ(none->graphic, 1);
    EXPECT_EQ(none->locX, 102);
}

TEST_F(MultiTest, PiecesComeAndGoWithTheRangeAndOutliveAResetThroughTheWorldList)
{
    CDynamicObj* house = CObjectManager::HandleMove(multi(4, kHouse, 115, 100));
    ASSERT_NE(house, nullptr); // the multi's extent keeps it in range
    const std::vector<CObj*> p = pieces(house);
    CObjectManager::UpdateMovement();
    EXPECT_EQ(p[0]->offMap, 0); // 113: in range
    player->MoveTo(96, 100, 0);
    CObjectManager::UpdateMovement();
    EXPECT_EQ(p[0]->offMap, 0);
    EXPECT_EQ(p[1]->offMap, 1); // 117: out of range
    player->MoveTo(100, 100, 0);
    CObjectManager::UpdateMovement();
    EXPECT_EQ(p[1]->offMap, 0);

    // The reset keeps the pieces while their multi goes, then releases them from the world list.
    CObjectManager::DeleteAllButPlayer();
    EXPECT_EQ(CObjectManager::FindObject(4 | kItemSerialBit), nullptr);
    EXPECT_EQ(World().world.count, 0u);
    EXPECT_EQ(World().multiComponents.count, 0u);
}

TEST_F(MultiTest, KeptComponentsSurviveTheirListAndItsNodesGo)
{
    CDynamicObj* shed = CObjectManager::HandleMove(multi(5, kShed));
    CObj* piece = pieces(shed).at(0);
    shed->multiComponents->SetKeepComponents(true);
    delete shed->multiComponents;
    shed->multiComponents = nullptr;
    EXPECT_EQ(piece->offMap, 0);
    EXPECT_EQ(World().multiComponents.head, piece);
    piece->Release();
    EXPECT_EQ(World().multiComponents.count, 0u);
}

TEST_F(MultiTest, PreviewOfAMultiAndOfAnObjectList)
{
    CPlacementPreview& preview = PlacementPreview();
    EXPECT_FALSE(preview.Cancel());
    EXPECT_FALSE(preview.LoadMulti(kAbsent, 0, 0, 0));
    ASSERT_TRUE(preview.LoadMulti(kHouse, 1, 1, 0));
    EXPECT_EQ(preview.listName, "multi");
    EXPECT_EQ(preview.pieces.size(), 5u);
    EXPECT_EQ(preview.pieces[1].dx, -3);
    EXPECT_EQ(preview.cursorX, -1);
    preview.PlaceAt(105, 105);
    EXPECT_EQ(World().preview.count, 5u);
    EXPECT_EQ(preview.cursorX, 105);
    ClearPreviewObjects();
    EXPECT_EQ(World().preview.count, 0u);
    EXPECT_EQ(World().world.count, 1u);

    const int32_t records[] = {G_KNIFE, 77, 3, 4, 5, G_WALL, -9, 0x10000 | 1, 2, -1};
    ASSERT_TRUE(preview.LoadObjectList(2, records, 1, 1, 1));
    EXPECT_EQ(preview.listName, "objlist");
    ASSERT_EQ(preview.pieces.size(), 2u);
    EXPECT_EQ(preview.pieces[0].extra, 77);
    EXPECT_EQ(preview.pieces[0].dx, 2);
    EXPECT_EQ(preview.pieces[1].extra, -9);
    EXPECT_EQ(preview.pieces[1].dx, 0); // low 16 bits
    EXPECT_EQ(preview.pieces[1].dz, -2);
    EXPECT_TRUE(preview.Cancel());
    EXPECT_TRUE(preview.pieces.empty());
}

TEST_F(MultiTest, BandsOfAWideSpriteGoWithTheirOwner)
{
    auto* orc = static_cast<CContainerObj*>(CObjectManager::HandleMove(mobile(0x99, 17, 101, 101)));
    auto* a = new CBigMobComponent(101, 102, 10, 54, orc);
    auto* b = new CBigMobComponent(101, 103, 54, 98, orc);
    EXPECT_EQ(orc->bigMobComponents, b);
    EXPECT_EQ(b->next, a);
    b->AddToDrawList();
    EXPECT_EQ(a->IsBigMobComponent(), 1);
    a->Release();
    EXPECT_EQ(orc->bigMobComponents, b);
    EXPECT_EQ(b->next, nullptr);
    ASSERT_TRUE(CObjectManager::DeleteObject(0x99)); // releases the band still listed
    EXPECT_EQ(DrawMapThingie::CountListed(), World().world.count);

    testsupport::ReportSandbox sandbox;
    delete new CBigMobComponent(1, 1, 0, 0, nullptr);
    EXPECT_NE(sandbox.read("KZReport0.log").find("CBigMobComponent::CBigMobComponent: myOwner == NULL"), std::string::npos);
}

TEST(MarkedMobileListTest, StaysEmpty)
{
    MarkedMobileList::Reset();
    EXPECT_EQ(MarkedMobileList::Count(), 0u);
    EXPECT_FALSE(MarkedMobileList::Find(nullptr));
    MarkedMobileList::Clear();
    EXPECT_EQ(MarkedMobileList::Count(), 0u);
}

} // namespace
