/** @file Throughput of every span routine and of the run-encoded art blit over an 800 x 600 surface, beside memcpy. */
// bench-links: client_data
#include "client/data/art_blit.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int64_t kFrameBytes = int64_t{kWidth} * kHeight * 2;

struct Frame {
    std::vector<uint16_t> source;
    std::vector<uint16_t> destination;
    std::vector<uint16_t> hues;

    Frame() : source(static_cast<size_t>(kWidth) * kHeight), destination(source.size()), hues(static_cast<size_t>(kHueTableEntries) * kHueEntryWords)
    {
        uint32_t x = 12345;
        for (size_t i = 0; i < source.size(); ++i) {
            x = x * 1103515245u + 12345u;
            // About one pixel in eight is transparent, like typical art.
            source[i] = (x >> 13) % 8 == 0 ? 0 : static_cast<uint16_t>((x >> 8) & 0x7FFF);
            destination[i] = static_cast<uint16_t>((x >> 3) & 0x7FFF);
        }
        for (size_t i = 0; i < hues.size(); ++i) hues[i] = static_cast<uint16_t>(1 + i % 0x7FFE);
        setSpanHueTable(hues.data(), kHueTableEntries);
        setSpanHue(37);
    }
};

Frame& frame()
{
    static Frame f;
    return f;
}

void runSpan(benchmark::State& state, SpanRoutine span)
{
    Frame& f = frame();
    for (auto _ : state) {
        for (int32_t y = 0; y < kHeight; ++y) {
            const size_t row = static_cast<size_t>(y) * kWidth;
            span(f.destination.data() + row, f.source.data() + row, kWidth);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}

void BM_Memcpy(benchmark::State& state)
{
    Frame& f = frame();
    for (auto _ : state) {
        for (int32_t y = 0; y < kHeight; ++y) {
            const size_t row = static_cast<size_t>(y) * kWidth;
            std::memcpy(f.destination.data() + row, f.source.data() + row, kWidth * sizeof(uint16_t));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFrameBytes);
}
BENCHMARK(BM_Memcpy);

#define KZ_SPAN_BENCH(routine)                                                       \
    void BM_##routine(benchmark::State& state) { runSpan(state, routine); }           \
    BENCHMARK(BM_##routine)

KZ_SPAN_BENCH(CopySpan);
KZ_SPAN_BENCH(CopySpanTransparent);
KZ_SPAN_BENCH(hueSpanByGreen);
KZ_SPAN_BENCH(hueBlendSpan);
KZ_SPAN_BENCH(blendSpan);
KZ_SPAN_BENCH(hueSpanByRed);
KZ_SPAN_BENCH(HueSpan);
KZ_SPAN_BENCH(partialHueSpan);
KZ_SPAN_BENCH(partialHueSpanTransparent);
KZ_SPAN_BENCH(censoredBloodSpan);
KZ_SPAN_BENCH(threeQuarterSourceSpan);
KZ_SPAN_BENCH(threeQuarterSourceSpanTransparent);
KZ_SPAN_BENCH(threeQuarterDestinationSpan);
KZ_SPAN_BENCH(BlendSpanHalf);
KZ_SPAN_BENCH(hueThreeQuarterSpan);
KZ_SPAN_BENCH(hueThreeQuarterSpanTransparent);
KZ_SPAN_BENCH(partialHueThreeQuarterSpan);
KZ_SPAN_BENCH(partialHueThreeQuarterSpanTransparent);

// The routines with vector code once more on each slower path the CPU offers (the cases
// above run on the fastest), named BM_<routine>_<path>.
const bool kSlowerPathsRegistered = [] {
    const std::pair<const char*, SpanRoutine> routines[] = {
        {"hueSpanByGreen", hueSpanByGreen}, {"hueBlendSpan", hueBlendSpan}, {"blendSpan", blendSpan}, {"hueSpanByRed", hueSpanByRed},
        {"HueSpan", HueSpan}, {"partialHueSpan", partialHueSpan}, {"partialHueSpanTransparent", partialHueSpanTransparent},
        {"censoredBloodSpan", censoredBloodSpan}, {"hueThreeQuarterSpan", hueThreeQuarterSpan},
        {"hueThreeQuarterSpanTransparent", hueThreeQuarterSpanTransparent}, {"partialHueThreeQuarterSpan", partialHueThreeQuarterSpan},
        {"partialHueThreeQuarterSpanTransparent", partialHueThreeQuarterSpanTransparent},
    };
    const std::pair<const char*, SpanPath> paths[] = {{"Scalar", SpanPath::Scalar}, {"Ssse3", SpanPath::Ssse3}};
    for (const auto& [pathName, path] : paths) {
        if (!spanPathAvailable(path) || path == spanPath()) continue;
        for (const auto& [name, routine] : routines) {
            benchmark::RegisterBenchmark((std::string("BM_") + name + "_" + pathName).c_str(),
                                         [routine = routine, path = path](benchmark::State& state) {
                                             const SpanPath fastest = spanPath();
                                             setSpanPath(path);
                                             runSpan(state, routine);
                                             setSpanPath(fastest);
                                         });
        }
    }
    return true;
}();

// A blend table of no blend mode's formula is looked up channel by channel instead of computed.
void BM_blendSpan_LookupTable(benchmark::State& state)
{
    static std::vector<uint16_t> table = [] {
        std::vector<uint16_t> t(32 * 32);
        for (uint16_t a = 0; a < 32; ++a)
            for (uint16_t k = 0; k < 32; ++k) t[a * 32u + k] = static_cast<uint16_t>((a * 7 + k * 13) % 32);
        return t;
    }();
    setSpanBlendTable(table.data());
    runSpan(state, blendSpan);
    setSpanBlendTable(nullptr);
}
BENCHMARK(BM_blendSpan_LookupTable);

// The surface is tiled with 8 x 6 copies of one 100 x 100 run-encoded image read from a real
// record: runs of 4 to 40 opaque pixels between gaps of 1 to 8, about 85% coverage. The memcpy
// baseline copies the same opaque bytes run by run.
constexpr int32_t kTile = 100;

struct ArtFrame {
    std::unique_ptr<ArtImage> image;
    int64_t opaquePixels = 0;  // over the whole surface

    ArtFrame()
    {
        std::vector<uint16_t> body;
        std::vector<uint16_t> offsets;
        uint32_t x = 99;
        for (int32_t y = 0; y < kTile; ++y) {
            offsets.push_back(static_cast<uint16_t>(body.size()));
            int32_t end = 0;
            for (;;) {
                x = x * 1103515245u + 12345u;
                const int32_t skip = 1 + static_cast<int32_t>((x >> 10) % 8);
                const int32_t count = 4 + static_cast<int32_t>((x >> 20) % 37);
                if (end + skip + count > kTile) break;
                body.push_back(static_cast<uint16_t>(skip));
                body.push_back(static_cast<uint16_t>(count));
                for (int32_t i = 0; i < count; ++i) body.push_back(static_cast<uint16_t>(1 + ((x >> 1) + static_cast<uint32_t>(i) * 977u) % 0x7FFE));
                end += skip + count;
                opaquePixels += count;
            }
            body.push_back(0);
            body.push_back(0);
        }
        std::vector<uint8_t> bytes;
        auto put16 = [&](uint32_t v) {
            bytes.push_back(static_cast<uint8_t>(v));
            bytes.push_back(static_cast<uint8_t>(v >> 8));
        };
        put16(0);
        put16(0);
        put16(kTile);
        put16(kTile);
        for (uint16_t o : offsets) put16(o);
        for (uint16_t v : body) put16(v);
        image = ParseArtImage(bytes.data(), bytes.size());
        opaquePixels *= (kWidth / kTile) * (kHeight / kTile);
    }
};

ArtFrame& artFrame()
{
    static ArtFrame f;
    return f;
}

void runBlit(benchmark::State& state, SpanRoutine span)
{
    Frame& f = frame();
    ArtFrame& art = artFrame();
    SetBlitTarget(f.destination.data(), kWidth, kWidth, kHeight);
    for (auto _ : state) {
        for (int32_t ty = 0; ty < kHeight; ty += kTile)
            for (int32_t tx = 0; tx < kWidth; tx += kTile) BlitArt(span, art.image.get(), tx, ty);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * art.opaquePixels * 2);
}

void BM_BlitArt_CopySpanTransparent(benchmark::State& state) { runBlit(state, CopySpanTransparent); }
BENCHMARK(BM_BlitArt_CopySpanTransparent);
void BM_BlitArt_HueSpan(benchmark::State& state) { runBlit(state, HueSpan); }
BENCHMARK(BM_BlitArt_HueSpan);

void BM_BlitArtClipped_Half(benchmark::State& state)
{
    Frame& f = frame();
    ArtFrame& art = artFrame();
    SetBlitTarget(f.destination.data(), kWidth, kWidth, kHeight);
    for (auto _ : state) {
        // Every tile is cut by a clip that keeps its middle half of columns.
        for (int32_t ty = 0; ty < kHeight; ty += kTile)
            for (int32_t tx = 0; tx < kWidth; tx += kTile)
                BlitArtClipped(CopySpanTransparent, art.image.get(), BlitRect{tx + kTile / 4, ty, tx + kTile * 3 / 4, ty + kTile}, tx, ty);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * art.opaquePixels);  // about half the opaque bytes
}
BENCHMARK(BM_BlitArtClipped_Half);

// The baseline of the blit: the same opaque bytes copied run by run with memcpy.
void BM_Memcpy_ArtRuns(benchmark::State& state)
{
    Frame& f = frame();
    ArtFrame& art = artFrame();
    const ArtImage& image = *art.image;
    for (auto _ : state) {
        for (int32_t ty = 0; ty < kHeight; ty += kTile)
            for (int32_t tx = 0; tx < kWidth; tx += kTile)
                for (int32_t y = 0; y < kTile; ++y) {
                    uint16_t* line = f.destination.data() + static_cast<size_t>(ty + y) * kWidth + tx;
                    for (uint32_t i = image.rowStart[static_cast<size_t>(y)]; i < image.rowStart[static_cast<size_t>(y) + 1]; ++i) {
                        const ArtRun& run = image.runs[i];
                        std::memcpy(line + run.x, image.pixels.data() + run.pixel, run.count * sizeof(uint16_t));
                    }
                }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * art.opaquePixels * 2);
}
BENCHMARK(BM_Memcpy_ArtRuns);

} // namespace
