/** @file The world pass at 800 x 600 through the real grid and flush: a dense full redraw, a walking frame, 100 small dirty rectangles and picking, beside a memcpy of the frame. */
// bench-links: client_render client_world client_data client_core platform sample_install_writer
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_settings.h"
#include "client/data/map_manager.h"
#include "client/render/draw_grid.h"
#include "client/render/draw_manager.h"
#include "client/render/graphic_manager.h"
#include "client/render/lights.h"
#include "client/render/startup_tables.h"
#include "client/render/world_drawing.h"
#include "client/world/body_kind.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"
#include "tools/sample_install/sample_install.h"
#include "tools/sample_install/write_art_files.h"
#include "tools/sample_install/write_data_files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kCentreX = 32;
constexpr int32_t kCentreY = 100;

/**
 * Scene S1: the sample install's data; every cell of the 64 x 64 window is land (a third of it
 * sloped) with four statics (a floor, a rock, a tree, which is foliage, and a backpack or a lamp
 * post), 60 walkers in shirt, pants and hair over 12 layers, 30 lamp posts lit by the coloured
 * pass at dusk.
 */
class Scene {
public:
    Scene()
    {
        root_ = std::filesystem::temp_directory_path() / ("kz_world_bench_" + std::to_string(::getpid()));
        const sampleinstall::Layout layout(root_);
        std::string error;
        if (!sampleinstall::writeInstallFolders(layout, error) || !sampleinstall::writeDataFiles(layout, error))
            throw std::runtime_error(error);
        std::filesystem::current_path(layout.install);
        // The scene lives until the program ends; only its folder is removed then (the files
        // stay mapped until the process goes, which the file system allows).
        static const std::filesystem::path folder = root_;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        kzdata::DataSettings& s = kzdata::dataSettings();
        s.hdPath = layout.install.string();
        s.maxHd = true;
        s.cacheSize = 1;
        CDHDCache::startup();
        CDHDCache::Init();
        std::ifstream tiles(layout.install / "tiledata.mul", std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(tiles)), {});
        TileData::LoadFrom(bytes.data(), bytes.size());
        lights_ = sampleinstall::drawLights();
        thelightthingie::UseFiles(lights_.index.data(), lights_.index.size(), lights_.data.data(), lights_.data.size());

        ScreenWidth = kWidth;
        ScreenHeight = kHeight;
        CreateBackBufferDIB(kWidth, kHeight);
        GraphicManager::SetPlaySize(kWidth, kHeight);
        BuildStartupTables();
        GraphicManager::BuildGreyTable();
        InitBodyKindTable();
        SetWorldDrawServices(&renderWorldServices());
        MapManager::SetMap(0);
        MapManager::CenterX = kCentreX;
        MapManager::CenterY = kCentreY;
        DrawMapThingie::Clear();
        DrawMapThingie::BuildVisibleOrder();
        DrawMapThingie::Recenter();
        DrawGrid::scrollX = (kCentreX - kCentreY + MapManager::MapWidth()) * 22 - kWidth / 2;
        DrawGrid::scrollY = (kCentreX + kCentreY) * 22 - kHeight / 2;

        build();
        Lights::globalLevel = 20;
        ColoredLighting = 1;
    }

    void build()
    {
        const int32_t x0 = kCentreX - 32;
        const int32_t y0 = kCentreY - 32;
        int32_t lamps = 0;
        for (int32_t y = y0; y < y0 + 64; ++y)
            for (int32_t x = x0; x < x0 + 64; ++x) {
                if ((x + 2 * y) % 3 == 0) {
                    const int8_t corners[4] = {static_cast<int8_t>(x % 5), static_cast<int8_t>((x + 1) % 5),
                                               static_cast<int8_t>((x + y) % 4), static_cast<int8_t>(y % 3)};
                    NewSlopedLandTile(3, x, y, corners)->AddToDrawList();
                } else {
                    NewLandTile(x % 7 == 0 ? 113 : 3, x, y, 0)->AddToDrawList();
                }
                const uint16_t fourth = (x * 7 + y * 3) % 97 == 0 && lamps < 30 ? 0x0B22 : 0x0E75;
                const uint16_t graphics[4] = {0x0519, 0x1363, static_cast<uint16_t>(0x0CCA + (x + y) % 4), fourth};
                for (int32_t i = 0; i < 4; ++i) {
                    CObj* o = NewStaticObj(graphics[i]);
                    if (graphics[i] == 0x0B22) {
                        o->direction = static_cast<uint8_t>(lamps % 3);
                        ++lamps;
                    }
                    o->PlaceAt(x, y, 0);
                }
            }
        for (int32_t lamp = lamps; lamp < 30; ++lamp) { // the rest of the 30 lights in a row
            CObj* o = NewStaticObj(0x0B22);
            o->direction = static_cast<uint8_t>(lamp % 3);
            o->PlaceAt(kCentreX - 10 + lamp, kCentreY + 5, 0);
        }
        player = CObjectManager::CreatePlayer(1, 400);
        player->PlaceAt(kCentreX, kCentreY, 0);
        const uint16_t worn[3] = {sampleinstall::kSampleShirt, sampleinstall::kSamplePants, sampleinstall::kSampleHair};
        std::mt19937 random(5);
        for (uint32_t m = 0; m < 60; ++m) {
            auto* mobile = new CMobile(100 + m, 400, 0);
            mobile->direction = static_cast<uint8_t>(m % 8);
            mobile->walkFrame = static_cast<int32_t>(m);
            for (int32_t layer = 1; layer <= 12; ++layer) {
                CDynamicObj* item = NewDynamicObj(0x40000000 | (1000 + m * 20 + static_cast<uint32_t>(layer)),
                                                  worn[layer % 3], 0);
                item->parent = mobile;
                mobile->layers[static_cast<size_t>(layer)] = item;
            }
            mobile->PlaceAt(kCentreX - 12 + static_cast<int32_t>(random() % 24), kCentreY - 12 + static_cast<int32_t>(random() % 24), 0);
        }
    }

    CPlayerMobile* player = nullptr;

private:
    std::filesystem::path root_;
    formats::LightFiles lights_;
};

Scene& scene()
{
    static Scene* s = new Scene(); // never destroyed: the world's objects go with the process
    return *s;
}

/** The headless presenter's work: the ring linearised into a frame. */
std::vector<uint16_t>& presented()
{
    static std::vector<uint16_t> frame(static_cast<size_t>(kWidth) * kHeight);
    return frame;
}

void present()
{
    const size_t total = BackBuffer.size();
    const size_t offset = ViewBufferOffset % total;
    std::memcpy(presented().data(), BackBuffer.data() + offset, (total - offset) * 2);
    std::memcpy(presented().data() + (total - offset), BackBuffer.data(), offset * 2);
    benchmark::DoNotOptimize(presented().data());
    benchmark::ClobberMemory();
}

/** With KZ_BENCH_PICTURE set, the presented frame goes to that file as a binary PPM (to look at the scene). */
void writePicture()
{
    const char* path = std::getenv("KZ_BENCH_PICTURE");
    if (path == nullptr) return;
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    for (uint16_t p : presented()) {
        const char rgb[3] = {static_cast<char>(((p >> 10) & 31) << 3), static_cast<char>(((p >> 5) & 31) << 3),
                             static_cast<char>((p & 31) << 3)};
        out.write(rgb, 3);
    }
}

// S1: the whole 800 x 600 view drawn and lit from scratch.
void BM_S1_DenseFullRedraw(benchmark::State& state)
{
    scene();
    for (auto _ : state) {
        DrawManager::ForceRedrawAll();
        DrawManager::RedrawDirtyRects();
        present();
    }
    writePicture();
}
BENCHMARK(BM_S1_DenseFullRedraw)->Unit(benchmark::kMillisecond);

// S2: one walking frame: the view scrolls by a step frame, the strips it uncovers, the player and a
// few walkers re-listed.
void BM_S2_WalkingFrame(benchmark::State& state)
{
    Scene& s = scene();
    DrawManager::ForceRedrawAll();
    DrawManager::RedrawDirtyRects();
    int32_t sign = 1;
    for (auto _ : state) {
        DrawGrid::scrollX += 4 * sign;
        DrawGrid::scrollY += 2 * sign;
        DrawManager::ScrollView(-4 * sign, -2 * sign);
        sign = -sign;
        s.player->RemoveFromDrawList();
        s.player->AddToDrawList();
        int32_t n = 0;
        for (CMobile* m = World().mobiles.head; m != nullptr && n < 6; m = m->mobileLinks.next, ++n) {
            ++m->walkFrame;
            m->RemoveFromDrawList();
            m->AddToDrawList();
        }
        DrawManager::RedrawDirtyRects();
        present();
    }
}
BENCHMARK(BM_S2_WalkingFrame)->Unit(benchmark::kMillisecond);

// S3: 100 small dirty rectangles (12 to 28 pixels a side) over the view.
void BM_S3_HundredSmallRects(benchmark::State& state)
{
    scene();
    std::mt19937 random(11);
    std::vector<BlitRect> rects;
    for (int32_t i = 0; i < 100; ++i) {
        const auto x = static_cast<int32_t>(random() % (kWidth - 30));
        const auto y = static_cast<int32_t>(random() % (kHeight - 30));
        rects.push_back({x, y, x + 12 + static_cast<int32_t>(random() % 17), y + 12 + static_cast<int32_t>(random() % 17)});
    }
    for (auto _ : state) {
        for (const BlitRect& r : rects) DrawManager::DirtyRect(&r);
        DrawManager::RedrawDirtyRects();
        present();
    }
}
BENCHMARK(BM_S3_HundredSmallRects)->Unit(benchmark::kMillisecond);

// Picking on S1 at 100 points.
void BM_PickAt_S1_100Points(benchmark::State& state)
{
    scene();
    std::mt19937 random(3);
    std::vector<std::pair<int32_t, int32_t>> points;
    for (int32_t i = 0; i < 100; ++i)
        points.emplace_back(static_cast<int32_t>(random() % kWidth), static_cast<int32_t>(random() % kHeight));
    for (auto _ : state)
        for (const auto& [x, y] : points) benchmark::DoNotOptimize(DrawGrid::PickAt(x, y, false));
}
BENCHMARK(BM_PickAt_S1_100Points)->Unit(benchmark::kMillisecond);

// The yardstick: one memcpy of an 800 x 600 frame.
void BM_FrameMemcpy(benchmark::State& state)
{
    std::vector<uint16_t> from(static_cast<size_t>(kWidth) * kHeight, 0x1234);
    std::vector<uint16_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);

} // namespace
