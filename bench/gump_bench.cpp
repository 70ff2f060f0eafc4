/** @file The interface pass with 30 open windows on an 800 x 600 back buffer, and one mouse move routed through them, beside a memcpy of the frame. */
// bench-links: gumps_framework client_core client_data sample_install_writer
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_settings.h"
#include "client/data/font_manager.h"
#include "client/gumps/framework/button_gump.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tools/sample_install/sample_install.h"
#include "tools/sample_install/write_data_files.h"
#include "tools/sample_install/write_fonts.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kWindows = 30;

/** A window: the 260 x 180 panel art, three buttons and a line of text in a frame of its own. */
CGump* makeWindow(int i)
{
    auto* window = new CGump((i % 6) * 100, (i / 6) * 90, 0, nullptr, 1, 260, 180);
    window->artId = 2310;
    window->AttachToParent(nullptr);
    for (int b = 0; b < 3; ++b)
        new CButtonGump(20 + b * 40, 140, window, CButtonGump::Push, 0, &CGump::ForwardButtonPress, 2311, 2312, 0);
    auto* label = new CGump(20, 20, 0, nullptr, 1, 200, 20);
    GumpBitmap* frame = label->MakeFrame(0, 200, 20);
    const PixelSurface surface{frame->pixels.data(), frame->stride(), frame->width, frame->height};
    FontManager::DrawString(0, 0, 1, 0, "A window of the interface pass", surface, BlitRect{0, 0, 200, 20});
    label->AttachToParent(window);
    return window;
}

/** The sample install's art and fonts, the back buffer and the managers, made once. */
struct Scene {
    Scene()
    {
        const std::filesystem::path root = std::filesystem::temp_directory_path() / "kz_gump_bench";
        std::filesystem::remove_all(root);
        const sampleinstall::Layout layout(root);
        std::string error;
        if (!sampleinstall::writeInstallFolders(layout, error) || !sampleinstall::writeDataFiles(layout, error)) {
            std::fprintf(stderr, "gump_bench: %s\n", error.c_str());
            std::exit(1);
        }
        sampleinstall::writeFonts(layout, error); // text stays empty without the font source
        kzdata::DataSettings& settings = kzdata::dataSettings();
        settings.hdPath = layout.install.string();
        settings.maxHd = true;
        CDHDCache::startup();
        CDHDCache::Init();
        LoadVersionFile();
        std::ifstream fonts(layout.install / "fonts.mul", std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(fonts)), std::istreambuf_iterator<char>());
        if (!bytes.empty())
            FontManager::loadFontsFrom(bytes.data(), bytes.size());
        ResetConfigStore();
        ScreenWidth = kWidth;
        ScreenHeight = kHeight;
        RecreateBackBuffer();
        MouseManager::startup();
        CGumpManager::startup();
        CGumpManager::ResetDC();
        for (int i = 0; i < kWindows; ++i)
            makeWindow(i);
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

void BM_MemcpyFrame(benchmark::State& state)
{
    std::vector<uint16_t> source(static_cast<size_t>(kWidth) * kHeight, 0x1234);
    std::vector<uint16_t> destination(source.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size() * 2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMillisecond)->Repetitions(30)->ReportAggregatesOnly(true);

/** Save the backgrounds, draw every window, put the world back (nothing to present to). */
void BM_InterfacePass30Windows(benchmark::State& state)
{
    scene();
    for (auto _ : state) {
        CGumpManager::DrawAllGumps(0, 0, kWidth, kHeight, 1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InterfacePass30Windows)->Unit(benchmark::kMillisecond)->Repetitions(30)->ReportAggregatesOnly(true);

/** The pointer moves over the back-most window's corner: every window in front is tried first. */
void BM_MouseMoveThrough30Windows(benchmark::State& state)
{
    scene();
    int step = 0;
    for (auto _ : state) {
        MouseManager::OnMouseMove(5 + (step & 1), 5);
        MouseManager::Update();
        ++step;
    }
}
BENCHMARK(BM_MouseMoveThrough30Windows)->Unit(benchmark::kMillisecond)->Repetitions(30)->ReportAggregatesOnly(true);

} // namespace
