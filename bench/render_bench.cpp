/** @file The frame pipeline's bookkeeping at 800 x 600: random dirty rectangles, a walking scroll, and presenting the ring beside memcpy. */
// bench-links: client_render client_core
#include "client/core/display_mode.h"
#include "client/render/draw_manager.h"
#include "client/render/graphic_manager.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;

void useRing(uint32_t offset)
{
    ScreenWidth = kWidth;
    ScreenHeight = kHeight;
    if (BackBuffer.size() != static_cast<size_t>(kWidth) * kHeight)
        CreateBackBufferDIB(kWidth, kHeight);
    GraphicManager::SetPlaySize(kWidth, kHeight);
    ViewBufferOffset = offset;
    DrawManager::ResetDirtyState();
}

/** Rectangles of 8 to maxSide pixels a side anywhere on the play area, from a fixed seed. */
std::vector<BlitRect> randomRects(size_t count, uint32_t seed, int32_t maxSide = 120)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> x(-40, kWidth);
    std::uniform_int_distribution<int32_t> y(-40, kHeight);
    std::uniform_int_distribution<int32_t> side(8, maxSide);
    std::vector<BlitRect> rects;
    for (size_t i = 0; i < count; ++i) {
        BlitRect r{x(random), y(random), 0, 0};
        r.right = r.left + side(random);
        r.bottom = r.top + side(random);
        rects.push_back(r);
    }
    return rects;
}

// 256 overlapping rectangles marked into an empty list (a frame full of animated water). With
// sides up to 120 pixels the pieces outgrow the list and the frame becomes one whole-view
// redraw (the back buffer cleared), as they do with sides up to 40; with the big list of the
// preview clean-up (1,024) the smaller ones stay listed, which measures the disjoint insertion.
void BM_DirtyRect_256RandomOverlapping(benchmark::State& state)
{
    const std::vector<BlitRect> rects = randomRects(256, 7, static_cast<int32_t>(state.range(0)));
    useRing(kWidth * 123 + 45);
    size_t stored = 0;
    for (auto _ : state) {
        DrawManager::ResetDirtyState();
        DrawManager::SetBigListFlag(state.range(1) != 0);
        for (const BlitRect& r : rects)
            DrawManager::DirtyRect(&r);
        stored = DrawManager::DirtyList().size();
        benchmark::DoNotOptimize(stored);
    }
    state.counters["stored"] = static_cast<double>(stored);
    state.counters["full_redraw"] = DrawManager::FullRedrawPending() ? 1 : 0;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rects.size()));
}
BENCHMARK(BM_DirtyRect_256RandomOverlapping)->Args({40, 0})->Args({120, 0})->Args({40, 1});

// One step of a walk: a 22 x 22 scroll (strips cleared, offset moved) with 40 rectangles pending.
void BM_ScrollView_22x22_With40Pending(benchmark::State& state)
{
    const std::vector<BlitRect> rects = randomRects(40, 11);
    useRing(kWidth * 300 + 7);
    int32_t direction = 1;
    for (auto _ : state) {
        state.PauseTiming();
        DrawManager::ResetDirtyState();
        for (const BlitRect& r : rects)
            DrawManager::DirtyRect(&r);
        state.ResumeTiming();
        DrawManager::ScrollView(22 * direction, 22 * direction);
        direction = -direction;
        benchmark::DoNotOptimize(DrawManager::DirtyList().data());
    }
}
BENCHMARK(BM_ScrollView_22x22_With40Pending);

/** A frame surface laid out as the window's texture: rows of exactly the frame width. */
struct Surface {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(static_cast<size_t>(kWidth) * kHeight);
    platform::FrameSurface view() { return {pixels.data(), kWidth, kWidth, kHeight, platform::PixelLayout::Rgb555}; }
};

// Presenting: the ring linearised from a non-zero offset into the surface, in two pieces.
void BM_Present_RingWithOffset(benchmark::State& state)
{
    useRing(kWidth * 217 + 333);
    for (size_t i = 0; i < BackBuffer.size(); ++i)
        BackBuffer[i] = static_cast<uint16_t>(i * 2654435761u >> 17);
    Surface surface;
    const platform::FrameSurface target = surface.view();
    const auto total = static_cast<uint32_t>(BackBuffer.size());
    const uint32_t first = ViewBufferOffset;
    for (auto _ : state) {
        CopyRows(target, 0, BackBuffer.data(), first, total - first);
        CopyRows(target, total - first, BackBuffer.data(), 0, first);
        benchmark::DoNotOptimize(surface.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(total) * 2);
}
BENCHMARK(BM_Present_RingWithOffset);

// The baseline: one memcpy of the same bytes.
void BM_Present_Memcpy(benchmark::State& state)
{
    std::vector<uint16_t> from(static_cast<size_t>(kWidth) * kHeight, 0x1234);
    Surface surface;
    for (auto _ : state) {
        std::memcpy(surface.pixels.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(surface.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size()) * 2);
}
BENCHMARK(BM_Present_Memcpy);

} // namespace
