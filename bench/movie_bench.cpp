// bench-links: client_media movie_formats
/**
 * @file Decoding a 640 x 480 movie of each video kind on one core. Each benchmark reports the
 * frames decoded a second ("fps") and that rate as a multiple of the movie's own 15 frames a
 * second ("x_realtime"); the goal is at least 4.
 */
#include "client/media/movie_codec.h"
#include "tools/formats/movie_writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 8;
constexpr double kMovieRate = 15.0;

/** A palettised picture: a sky, a sun moving to the right, hills and some noise. */
std::vector<uint8_t> palettePicture(int frame)
{
    std::vector<uint8_t> p(static_cast<size_t>(kWidth * kHeight));
    uint32_t seed = 7;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            uint8_t v = static_cast<uint8_t>(y * 100 / kHeight + ((seed >> 28) & 1));
            const int dx = x - 100 - frame * 8;
            const int dy = y - 150;
            if (dx * dx + dy * dy < 60 * 60) v = 200;
            if (y > 360 + static_cast<int>(25 * std::sin(x / 50.0))) v = static_cast<uint8_t>(120 + (x / 20) % 8);
            p[static_cast<size_t>(y * kWidth + x)] = v;
        }
    return p;
}

formats::YuvPicture yuvPicture(int frame)
{
    formats::YuvPicture p;
    p.width = kWidth;
    p.height = kHeight;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int dx = x - 100 - frame * 8;
            const int dy = y - 150;
            int v = 50 + y / 4 + static_cast<int>(20 * std::sin((x + frame * 8) / 13.0));
            if (dx * dx + dy * dy < 60 * 60) v = 220;
            p.y.push_back(static_cast<uint8_t>(std::clamp(v, 0, 255)));
        }
    for (int y = 0; y < kHeight / 2; ++y)
        for (int x = 0; x < kWidth / 2; ++x) {
            p.cb.push_back(static_cast<uint8_t>(110 + (x + frame) % 40));
            p.cr.push_back(static_cast<uint8_t>(140 - y % 30));
        }
    return p;
}

std::vector<uint8_t> palette()
{
    std::vector<uint8_t> p;
    for (int i = 0; i < 256; ++i) {
        p.push_back(static_cast<uint8_t>(i));
        p.push_back(static_cast<uint8_t>(255 - i));
        p.push_back(static_cast<uint8_t>(i / 2 + 60));
    }
    return p;
}

void report(benchmark::State& state, int64_t frames)
{
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kMovieRate, benchmark::Counter::kIsRate);
}

void BM_KeyFrames(benchmark::State& state)
{
    std::vector<formats::Bytes> frames;
    for (int f = 0; f < kFrames; ++f) frames.push_back(formats::encodeKeyFrame(kWidth, kHeight, palette(), palettePicture(f)));
    movie::PaletteFrameState s;
    std::vector<uint16_t> pixels(static_cast<size_t>(kWidth * kHeight));
    int64_t decoded = 0;
    for (auto _ : state) {
        const formats::Bytes& payload = frames[static_cast<size_t>(decoded % kFrames)];
        movie::KeyFrameHeader h;
        movie::ReadKeyFrameHeader(payload.data(), payload.size(), h);
        movie::ApplyKeyFramePalette(s, payload.data(), h, 100);
        movie::DecodeKeyFrame(s, payload.data(), payload.size(), h);
        movie::BuildColourTable(s, movie::DisplayFormat::rgb565());
        movie::ExpandPicture(s, pixels.data(), false);
        benchmark::DoNotOptimize(pixels.data());
        ++decoded;
    }
    report(state, decoded);
}

void BM_DeltaFrames(benchmark::State& state)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (int f = 0; f <= kFrames; ++f) pictures.push_back(palettePicture(f));
    const formats::Bytes key = formats::encodeKeyFrame(kWidth, kHeight, palette(), pictures[0]);
    std::vector<formats::Bytes> deltas;
    for (int f = 1; f <= kFrames; ++f)
        deltas.push_back(formats::encodeDeltaFrame(kWidth, kHeight, pictures[static_cast<size_t>(f - 1)],
                                                   pictures[static_cast<size_t>(f)]));
    movie::PaletteFrameState s;
    std::vector<uint16_t> pixels(static_cast<size_t>(kWidth * kHeight));
    int64_t decoded = 0;
    for (auto _ : state) {
        const size_t at = static_cast<size_t>(decoded % kFrames);
        if (at == 0) {
            state.PauseTiming();
            movie::KeyFrameHeader h;
            movie::ReadKeyFrameHeader(key.data(), key.size(), h);
            movie::ApplyKeyFramePalette(s, key.data(), h, 100);
            movie::DecodeKeyFrame(s, key.data(), key.size(), h);
            movie::BuildColourTable(s, movie::DisplayFormat::rgb565());
            state.ResumeTiming();
        }
        movie::DecodeDeltaFrame(s, deltas[at].data(), deltas[at].size());
        movie::ExpandPicture(s, pixels.data(), false);
        benchmark::DoNotOptimize(pixels.data());
        ++decoded;
    }
    report(state, decoded);
}

template <int Kind>
void BM_TransformFrames(benchmark::State& state)
{
    std::vector<formats::Bytes> frames;
    for (int f = 0; f < kFrames; ++f) {
        const formats::YuvPicture p = yuvPicture(f);
        frames.push_back(Kind == 3 ? formats::encodeKind3Frame(p, 75) : formats::encodeKind4Frame(p, 90, 1));
    }
    static movie::MovieCodecWorkArea work{};
    movie::BuildMovieColourTables(work.colour, movie::DisplayFormat::rgb565());
    std::vector<uint16_t> current(static_cast<size_t>(kWidth * kHeight));
    std::vector<uint16_t> previous(current.size());
    const movie::FrameTarget target{current.data(), kWidth, kWidth, kHeight};
    int64_t decoded = 0;
    for (auto _ : state) {
        const formats::Bytes& payload = frames[static_cast<size_t>(decoded % kFrames)];
        if (Kind == 3)
            movie::DecodeTransformFrame(work, payload.data(), payload.size(), target, false);
        else
            movie::DecodeIntraFrame(work, payload.data(), payload.size(), target, previous.data(), false);
        benchmark::DoNotOptimize(current.data());
        ++decoded;
    }
    report(state, decoded);
}

} // namespace

BENCHMARK(BM_KeyFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeltaFrames)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_TransformFrames, 3)->Name("BM_TransformFramesKind3")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_TransformFrames, 4)->Name("BM_TransformFramesKind4")->Unit(benchmark::kMillisecond);
