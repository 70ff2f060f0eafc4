#include "render_fixture.h"

#include "client/core/config_store.h"
#include "client/data/art_image.h"
#include "client/data/map_manager.h"
#include "client/render/anim_frames.h"
#include "client/render/animated_list.h"
#include "client/render/draw_grid.h"
#include "client/render/lights.h"
#include "client/render/startup_tables.h"
#include "client/render/textured_triangles.h"
#include "client/render/world_drawing.h"
#include "client/world/body_kind.h"
#include "client/world/map_view.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/walk.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/world/world_fixture.h"
#include "tools/sample_install/sample_install.h"
#include "tools/sample_install/write_art_files.h"
#include "tools/sample_install/write_data_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

/** The test's starting folder: pictures of mismatched frames go there unless KZ_TEST_BINARY_DIR names another. */
const std::filesystem::path g_startFolder = std::filesystem::current_path();

std::string picture(const std::string& name)
{
    const char* dir = std::getenv("KZ_TEST_BINARY_DIR");
    return ((dir != nullptr ? std::filesystem::path(dir) : g_startFolder) / name).string();
}

/**
 * The sample install's world around (28, 31): land (sloped on the hills), trees,
 * rocks and the lamp post (lit at dusk), the player in shirt, pants and hair with two more walkers,
 * drawn into a 320 x 240 ring through the real grid and flush.
 */
class SampleSceneTest : public rendertest::RingTest {
protected:
    static constexpr int32_t SW = 320;
    static constexpr int32_t SH = 240;

    void SetUp() override
    {
        RingTest::SetUp();
        useRing(SW, SH);
        GraphicManager::SetPlaySize(640, 480);
        BuildStartupTables();
        GraphicManager::BuildGreyTable();
        const sampleinstall::Layout layout(root_.path());
        std::string error;
        ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
        ASSERT_TRUE(sampleinstall::writeDataFiles(layout, error)) << error;
        std::ifstream tiles(layout.install / "tiledata.mul", std::ios::binary);
        install_.write("tiledata.mul", std::vector<unsigned char>(std::istreambuf_iterator<char>(tiles), {}));
        cache_.emplace(layout.install);
        lights_ = sampleinstall::drawLights();
        thelightthingie::UseFiles(lights_.index.data(), lights_.index.size(), lights_.data.data(), lights_.data.size());
        ClearArtImageCache();
        ClearAnimRecordCache();
        ClearLandTextureCache();

        SetWorldDrawServices(&renderWorldServices());
        DrawGrid::pickHooks() = DrawGrid::worldPickHooks();
        WorldView::Reset();
        InitBodyKindTable();
        CObjectManager::startup();
        MapManager::SetMap(0);
        DrawMapThingie::Clear();
        DrawMapThingie::BuildVisibleOrder();
        MapView::ResetBlockWindow();
        MapView::SetCenter(28, 31, 0);
        WorldView::FollowCell(28, 31, 0, 0);

        player = CObjectManager::CreatePlayer(1, 400);
        player->direction = 4;
        player->PlaceAt(28, 31, MapManager::GetLandZ(28, 31));
        uint32_t serial = 100;
        for (uint16_t g : {sampleinstall::kSampleShirt, sampleinstall::kSamplePants, sampleinstall::kSampleHair}) {
            ObjectRecord r;
            r.serial = serial++ | kItemSerialBit;
            r.graphic = g;
            r.amount = 1;
            r.x = 28;
            r.y = 32;
            CDynamicObj* item = CObjectManager::HandleMove(r);
            item->RemoveFromWorld();
            item->EquipOn(player, TileData::Item(g).quality);
        }
        for (int32_t i = 0; i < 2; ++i) {
            ObjectRecord r;
            r.serial = 10 + static_cast<uint32_t>(i);
            r.graphic = 400;
            r.x = static_cast<uint16_t>(30 + i * 2);
            r.y = static_cast<uint16_t>(30 + i);
            r.z = MapManager::GetLandZ(r.x, r.y);
            r.direction = static_cast<uint8_t>(1 + i * 4);
            walkers.push_back(static_cast<CMobile*>(CObjectManager::HandleMove(r)));
        }
        Lights::globalLevel = 18;
        Lights::personalLevel = 0;
        ColoredLighting = 0;
    }

    void TearDown() override
    {
        CObjectManager::shutdown();
        AnimatedList::Clear();
        MapView::ResetBlockWindow();
        DrawMapThingie::PurgeAll();
        DrawMapThingie::Clear();
        TileData::Clear();
        thelightthingie::UseFiles(nullptr, 0, nullptr, 0);
        Lights::globalLevel = 0;
        ColoredLighting = 0;
        WorldView::Reset();
        SetWorldDrawServices(nullptr);
        DrawGrid::scrollX = DrawGrid::scrollY = 0;
        ClearArtImageCache();
        ClearAnimRecordCache();
        ClearLandTextureCache();
        cache_.reset();
        RingTest::TearDown();
    }

    /** The play area as a linear frame. */
    static std::vector<uint16_t> frame()
    {
        std::vector<uint16_t> out;
        for (int32_t y = 0; y < SH; ++y)
            for (int32_t x = 0; x < SW; ++x) out.push_back(at(x, y));
        return out;
    }
    static void redrawAll()
    {
        DrawManager::ForceRedrawAll();
        DrawManager::RedrawDirtyRects();
    }

    testsupport::InstallSandbox install_;
    testsupport::TempDir root_;
    std::optional<testsupport::ScopedDataCache> cache_;
    formats::LightFiles lights_;
    CPlayerMobile* player = nullptr;
    std::vector<CMobile*> walkers;
};

// Regenerate after an intended change of the drawing or of the sample art: run the test, look
// at the PNG it writes into the test build folder, and pin the checksum it reports.
constexpr uint64_t kSampleScene = 0x8ba9870dfa76dce7ull;

TEST_F(SampleSceneTest, TheSampleWorldRendersToItsPinnedFrame)
{
    redrawAll();
    const std::vector<uint16_t> mono = frame();
    // Land everywhere: no pixel of the view is left as cleared.
    EXPECT_EQ(std::count(mono.begin(), mono.end(), uint16_t{0}), 0);
    EXPECT_EQ(testsupport::checkGoldenFrame("sample_scene", mono, SW, SH, false, kSampleScene), "");
    // The lamp post's light is white: the coloured pass lights it alike.
    ColoredLighting = 1;
    redrawAll();
    EXPECT_TRUE(frame() == mono);
}

TEST_F(SampleSceneTest, AnIncrementalRedrawAfterScrollsAndDirtyRectanglesEqualsAFullRedraw)
{
    redrawAll();
    // The view follows the player's walk step frame by step frame, a walker moves a cell, another's
    // frame changes and a few rectangles are marked; each frame flushes only what is pending.
    // Cells of the walk and the step frames' pixel offsets on the way (the last a jump).
    const int32_t steps[][4] = {{28, 31, 11, 5}, {28, 31, 22, 11}, {29, 31, 0, 0}, {29, 32, -7, 7}, {29, 32, 0, 0}, {36, 38, 0, 0}};
    for (const auto& s : steps) {
        WorldView::FollowCell(s[0], s[1], s[2], s[3]);
        walkers[0]->RemoveFromDrawList();
        walkers[0]->locX = static_cast<int16_t>(walkers[0]->locX + 1);
        walkers[0]->AddToDrawList();
        ++walkers[1]->walkFrame;
        walkers[1]->RemoveFromDrawList();
        walkers[1]->AddToDrawList();
        const BlitRect marks[] = {{5, 7, 40, 30}, {200, 100, 260, 190}, {-10, 230, 30, 260}};
        for (const BlitRect& m : marks) DrawManager::DirtyRect(&m);
        DrawManager::RedrawDirtyRects();
    }
    const std::vector<uint16_t> incremental = frame();
    redrawAll();
    const std::vector<uint16_t> full = frame();
    if (incremental != full) {
        testsupport::writeFramePng(picture("incremental_redraw.png"), incremental, SW, SH, false);
        testsupport::writeFramePng(picture("full_redraw.png"), full, SW, SH, false);
    }
    EXPECT_TRUE(incremental == full) << "see incremental_redraw.png and full_redraw.png in the test folder";
}

TEST_F(SampleSceneTest, WhileTheWalkShowsStepsTheViewStaysOnThePlayerNotOnTheAcknowledgedCentre)
{
    WorldView::FollowCell(28, 31, 11, 5);
    const int32_t x = DrawGrid::scrollX, y = DrawGrid::scrollY;
    WalkState& walk = Walk::State();
    walk.count = 1;
    walk.scrollX = 11;
    walk.scrollY = 5;
    renderWorldServices().ViewCentred(29, 31); // the step was acknowledged before it was shown
    EXPECT_EQ(DrawGrid::scrollX, x);
    EXPECT_EQ(DrawGrid::scrollY, y);
    walk = WalkState{};
    renderWorldServices().ViewCentred(29, 31);
    EXPECT_EQ(DrawGrid::scrollX, x + 22 - 11);
    EXPECT_EQ(DrawGrid::scrollY, y + 22 - 5);
}

} // namespace
