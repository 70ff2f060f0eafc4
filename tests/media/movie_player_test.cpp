// The movie player: container, read-ahead, timing under a manual clock, sound stream, presentation.
#include "client/media/movie_platform_sound.h"
#include "client/media/movie_player.h"
#include "platform/audio/fake_audio.h"
#include "platform/clock/clock.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movie;

namespace {

constexpr int kSide = 16;

std::vector<uint8_t> testPalette()
{
    std::vector<uint8_t> p;
    for (int i = 0; i < 256; ++i) {
        p.push_back(static_cast<uint8_t>(i * 8));
        p.push_back(static_cast<uint8_t>(255 - i * 4));
        p.push_back(static_cast<uint8_t>(i * 5));
    }
    return p;
}

uint16_t pixel555(uint8_t index)
{
    static const std::vector<uint8_t> p = testPalette();
    return static_cast<uint16_t>((p[index * 3u] >> 3) << 10 | (p[index * 3u + 1] >> 3) << 5 | (p[index * 3u + 2] >> 3));
}

/** Frame f of the test movies: a picture whose every pixel says which frame it is. */
std::vector<uint8_t> framePicture(int f, int side = kSide)
{
    std::vector<uint8_t> p(static_cast<size_t>(side * side));
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>((f * 5 + static_cast<int>(i % 7)) % 31);
    return p;
}

std::vector<int16_t> chunkSound(int chunk, size_t frames)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(1000 + chunk * 100 + static_cast<int>(i % 50));
        out.push_back(s);
        out.push_back(static_cast<int16_t>(-s));
    }
    return out;
}

/** What the tests ask of a movie: its chunks in order. */
struct Plan {
    bool header = true;      // "SCHl" first: the movie has sound
    int frames = 10;         // video chunks, one per audio chunk
    int leadingAudio = 0;    // audio chunks before the first frame
    size_t soundFrames = 1470; // stereo frames per audio chunk (one frame at 15 a second)
    int extraVideosAt = -1;  // two more video chunks right after this frame
    bool unknownTag = false; // an unknown chunk after the first frame
    bool endEarly = false;   // "SEND" after the first half; the rest follows it
    int side = kSide;
};

struct Built {
    formats::Bytes bytes;
    std::vector<std::vector<uint8_t>> pictures; // the pictures in video chunk order
    std::vector<int16_t> sound;                 // every audio chunk's samples in order
};

Built buildMovie(const Plan& plan)
{
    Built b;
    formats::MovieWriter w;
    if (plan.header)
        w.audioHeader(2, 22050, 0);
    int chunk = 0;
    auto audio = [&] {
        const std::vector<int16_t> s = chunkSound(chunk++, plan.soundFrames);
        b.sound.insert(b.sound.end(), s.begin(), s.end());
        w.add("SNDC", formats::encodePcmChunk(s, 2));
    };
    std::vector<uint8_t> previous;
    auto video = [&](int f) {
        const std::vector<uint8_t> picture = framePicture(f, plan.side);
        if (previous.empty())
            w.add("kVGT", formats::encodeKeyFrame(plan.side, plan.side, testPalette(), picture));
        else
            w.add("fVGT", formats::encodeDeltaFrame(plan.side, plan.side, previous, picture));
        previous = picture;
        b.pictures.push_back(picture);
    };
    for (int i = 0; i < plan.leadingAudio; ++i) audio();
    int f = 0;
    for (int i = 0; i < plan.frames; ++i) {
        if (plan.header) audio();
        video(f++);
        if (i == plan.extraVideosAt) {
            video(f++);
            video(f++);
        }
        if (i == 0 && plan.unknownTag) w.add("ABCD", formats::Bytes(100, 0x5A));
        if (plan.endEarly && i == plan.frames / 2) w.end();
    }
    w.end();
    b.bytes = w.bytes();
    return b;
}

/** A looping buffer whose play cursor follows the manual clock at 22050 stereo frames a second. */
class FakeStreamBuffer final : public MovieSoundBuffer {
public:
    FakeStreamBuffer(platform::ManualClock& clock, uint32_t size, std::vector<formats::Bytes>& writes, bool& overrun)
        : clock_(clock), start_(clock.tickCount()), size_(size), writes_(writes), overrun_(overrun)
    {
    }
    uint32_t size() const override { return size_; }
    uint32_t playPosition() override
    {
        play_ = static_cast<uint32_t>(static_cast<uint64_t>(clock_.tickCount() - start_) * 882 / 10 % size_);
        return play_;
    }
    void write(uint32_t offset, const uint8_t* data, uint32_t len) override
    {
        // Only the bytes already played may be written, and the writes follow one another.
        if (offset != cursor_ || len > (play_ + size_ - cursor_) % size_)
            overrun_ = true;
        cursor_ = (offset + len) % size_;
        writes_.emplace_back(data, data + len);
    }

private:
    platform::ManualClock& clock_;
    uint32_t start_;
    uint32_t size_;
    uint32_t play_ = 0;
    uint32_t cursor_ = 0;
    std::vector<formats::Bytes>& writes_;
    bool& overrun_;
};

class FakeSoundDevice final : public MovieSoundDevice {
public:
    explicit FakeSoundDevice(platform::ManualClock& clock) : clock_(clock) {}
    std::unique_ptr<MovieSoundBuffer> createStreamBuffer(int rate, uint32_t bytes) override
    {
        rates.push_back(rate);
        return std::make_unique<FakeStreamBuffer>(clock_, bytes, writes, overrun);
    }
    std::vector<int> rates;
    std::vector<formats::Bytes> writes;
    bool overrun = false;

private:
    platform::ManualClock& clock_;
};

/** One headless run: memory frames, a manual clock, the sound passes inline. */
struct HeadlessRun {
    platform::ManualClock clock;
    MoviePlayer player;
    std::vector<std::vector<uint16_t>> shown; // the current frame at each callback
    std::vector<int> states;
    std::vector<int> audioClocks;
    std::function<int(HeadlessRun&)> onFrame;

    explicit HeadlessRun(uint32_t flags = 0)
    {
        player.flags = kMovieMemoryOnly | kMovieFrameCallback | flags;
        player.clock = &clock;
        player.inlineSound = true;
        player.format = DisplayFormat::rgb555();
        player.callback = [this] {
            shown.push_back(player.frames[player.currentFrame]);
            states.push_back(player.state.load());
            audioClocks.push_back(player.decoder->audioClock.load());
            return onFrame ? onFrame(*this) : 0;
        };
    }

    MoviePlayer* play(const testsupport::TempDir& dir, const formats::Bytes& bytes)
    {
        return PlayMovie(dir.write("movie.wve", bytes), nullptr, player);
    }
};

std::vector<uint16_t> expanded(const std::vector<uint8_t>& picture)
{
    std::vector<uint16_t> out;
    for (uint8_t i : picture) out.push_back(pixel555(i));
    return out;
}

} // namespace

TEST(MovieRing, Placement)
{
    struct Case {
        size_t write;
        bool queued;
        size_t oldest;
        size_t len;
        bool fits;
        size_t at;
    } cases[] = {
        {0, false, 0, 100, true, 0},      // empty ring
        {950, false, 0, 100, true, 0},    // empty: restart at the start when the end is short
        {500, true, 100, 400, true, 500}, // behind the queued bytes up to the end
        {500, true, 100, 600, false, 0},  // neither before the end nor before the oldest
        {900, true, 300, 200, true, 0},   // restart at the start, in front of the oldest
        {900, true, 200, 200, false, 0},  // would reach the oldest exactly: it waits
        {100, true, 600, 400, true, 100}, // wrapped: between the write point and the oldest
        {100, true, 600, 500, false, 0},
    };
    for (const Case& c : cases) {
        size_t at = 12345;
        EXPECT_EQ(PlaceInRing(1000, c.write, c.queued, c.oldest, c.len, at), c.fits) << c.write << " " << c.len;
        if (c.fits) {
            EXPECT_EQ(at, c.at);
        }
    }
}

TEST(MoviePlayer, PlaysEveryFrameInOrderThroughTheStates)
{
    testsupport::TempDir dir;
    const Built movie = buildMovie(Plan{});
    HeadlessRun run;
    EXPECT_EQ(run.play(dir, movie.bytes), nullptr);
    ASSERT_EQ(run.shown.size(), movie.pictures.size());
    for (size_t f = 0; f < movie.pictures.size(); ++f) EXPECT_EQ(run.shown[f], expanded(movie.pictures[f])) << f;
    for (int s : run.states) EXPECT_EQ(s, kMovieRunning);
    EXPECT_EQ(run.player.state.load(), kMovieFreed);
    EXPECT_EQ(run.player.decoder, nullptr);
    EXPECT_EQ(run.player.audioPresent.load(), 1);
    EXPECT_EQ(run.player.audioClocked.load(), 0);
}

TEST(MoviePlayer, SoundPacesTheFramesAtTheSimulatedRate)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.frames = 40;
    const Built movie = buildMovie(plan);
    HeadlessRun run;
    run.play(dir, movie.bytes);
    ASSERT_EQ(run.shown.size(), 40u);
    // Without a device the stream moves 882 bytes a 15 ms pass: one 5880-byte chunk in 100 ms.
    EXPECT_GE(run.player.elapsed, 3000u);
    EXPECT_LE(run.player.elapsed, 4300u);
    // Each frame waits for the sound: the clock never trails the frame by more than the lead of 5.
    for (size_t f = 6; f < 35; ++f) EXPECT_GE(run.audioClocks[f] - 5, static_cast<int>(f) - 1) << f;
}

TEST(MoviePlayer, SoundDeviceGetsEveryChunkWithoutOverrunningThePlayCursor)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.frames = 30;
    const Built movie = buildMovie(plan);
    HeadlessRun run(kMoviePlaySound);
    FakeSoundDevice device(run.clock);
    run.player.sound = &device;
    run.play(dir, movie.bytes);
    EXPECT_EQ(device.rates, std::vector<int>{22050});
    EXPECT_FALSE(device.overrun);
    std::vector<int16_t> heard;
    for (const formats::Bytes& w : device.writes) {
        if (std::all_of(w.begin(), w.end(), [](uint8_t b) { return b == 0; }))
            continue; // silence written while no chunk was ready
        const auto* s = reinterpret_cast<const int16_t*>(w.data());
        heard.insert(heard.end(), s, s + w.size() / 2);
    }
    EXPECT_EQ(heard, movie.sound);
    // Real time at 88200 bytes a second: 30 chunks of 1/15 s take about two seconds.
    EXPECT_GE(run.player.elapsed, 1500u);
    EXPECT_LE(run.player.elapsed, 2300u);
}

TEST(MoviePlayer, KeptBuffersServeTheNextMoviesAsFreshOnes)
{
    // Three movies through one set of buffers: the stream size changes between the first two and
    // holds for the third. Each must be heard and shown exactly as it was coded, silence included.
    testsupport::TempDir dir;
    MovieBuffers kept;
    const struct {
        uint32_t streamSize;
        size_t soundFrames;
        int frames;
    } cases[] = {{16384, 1470, 12}, {32768, 700, 9}, {32768, 1200, 7}};
    for (const auto& c : cases) {
        Plan plan;
        plan.frames = c.frames;
        plan.soundFrames = c.soundFrames;
        const Built movie = buildMovie(plan);
        HeadlessRun run(kMoviePlaySound | kMovieCallerBuffer);
        run.player.callerBufferSize = c.streamSize;
        run.player.buffers = &kept;
        FakeSoundDevice device(run.clock);
        run.player.sound = &device;
        run.play(dir, movie.bytes);
        SCOPED_TRACE(c.soundFrames);
        EXPECT_FALSE(device.overrun);
        std::vector<int16_t> heard;
        for (const formats::Bytes& w : device.writes) {
            if (std::all_of(w.begin(), w.end(), [](uint8_t b) { return b == 0; }))
                continue;
            const auto* s = reinterpret_cast<const int16_t*>(w.data());
            heard.insert(heard.end(), s, s + w.size() / 2);
        }
        EXPECT_EQ(heard, movie.sound);
        ASSERT_EQ(run.shown.size(), movie.pictures.size());
        EXPECT_EQ(run.shown.back(), expanded(movie.pictures.back()));
        EXPECT_EQ(kept.silence.size(), c.streamSize);
    }
}

TEST(MoviePlayer, WithoutSoundTheReadAheadAlonePacesIt)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.header = false;
    const Built movie = buildMovie(plan);
    HeadlessRun run;
    run.play(dir, movie.bytes);
    ASSERT_EQ(run.shown.size(), movie.pictures.size());
    EXPECT_EQ(run.player.audioPresent.load(), 0);
    EXPECT_EQ(run.player.elapsed, 0u); // nothing waits on a clock
    EXPECT_EQ(run.shown.back(), expanded(movie.pictures.back()));
}

TEST(MoviePlayer, TwoVideoChunksReadInARowTurnTheSoundOff)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.frames = 30;
    plan.extraVideosAt = 25; // read as the pair (video, video): the sound goes off
    const Built movie = buildMovie(plan);
    HeadlessRun run;
    run.play(dir, movie.bytes);
    EXPECT_EQ(run.player.audioPresent.load(), 0);
    ASSERT_EQ(run.shown.size(), movie.pictures.size());
    EXPECT_EQ(run.shown.back(), expanded(movie.pictures.back()));
}

TEST(MoviePlayer, AnAudioOnlyStartCountsFramesByAudioChunks)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.leadingAudio = 22;
    plan.frames = 5;
    const Built movie = buildMovie(plan);
    HeadlessRun run;
    run.play(dir, movie.bytes);
    EXPECT_EQ(run.player.audioClocked.load(), 1);
    // The frames still come out of tables built for them.
    ASSERT_EQ(run.shown.size(), 5u);
    EXPECT_EQ(run.shown[0], expanded(movie.pictures[0]));
}

TEST(MoviePlayer, UnknownChunksAreSkippedAndTheEndChunkEndsTheMovie)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.unknownTag = true;
    plan.endEarly = true;
    plan.frames = 10;
    const Built movie = buildMovie(plan);
    HeadlessRun run;
    run.play(dir, movie.bytes);
    ASSERT_EQ(run.shown.size(), 6u); // frames 0..5, then "SEND"
    for (size_t f = 0; f < 6; ++f) EXPECT_EQ(run.shown[f], expanded(movie.pictures[f]));
}

TEST(MoviePlayer, BigFramesNeverOverwriteQueuedOnes)
{
    // 160 x 160 frames of noise: key frames of about 26 KB each; forty of them are far more than
    // the video ring holds, so the read-ahead has to wait for room.
    testsupport::TempDir dir;
    formats::MovieWriter w;
    std::vector<std::vector<uint8_t>> pictures;
    uint32_t seed = 1;
    for (int f = 0; f < 40; ++f) {
        std::vector<uint8_t> picture(160 * 160);
        for (uint8_t& p : picture) {
            seed = seed * 1103515245u + 12345u;
            p = static_cast<uint8_t>((seed >> 16) % 31);
        }
        w.add("kVGT", formats::encodeKeyFrame(160, 160, testPalette(), picture));
        pictures.push_back(std::move(picture));
    }
    w.end();
    HeadlessRun run;
    run.play(dir, w.bytes());
    ASSERT_EQ(run.shown.size(), pictures.size());
    for (size_t f = 0; f < pictures.size(); ++f) EXPECT_EQ(run.shown[f], expanded(pictures[f])) << f;
}

TEST(MoviePlayer, TheCallbackStopsIt)
{
    testsupport::TempDir dir;
    const Built movie = buildMovie(Plan{});
    HeadlessRun run;
    run.onFrame = [](HeadlessRun& r) { return r.shown.size() == 3 ? 1 : 0; };
    EXPECT_EQ(run.play(dir, movie.bytes), nullptr);
    EXPECT_EQ(run.shown.size(), 3u);
    EXPECT_EQ(run.player.state.load(), kMovieFreed);
}

TEST(MoviePlayer, OwnThreadPauseAndStopRequest)
{
    testsupport::TempDir dir;
    Plan plan;
    plan.frames = 30;
    const Built movie = buildMovie(plan);
    HeadlessRun run(kMovieOwnThread);
    std::atomic<int> pausedAt{-1};
    run.onFrame = [&](HeadlessRun& r) {
        if (r.shown.size() == 3) {
            pausedAt = 3;
            r.player.state.store(kMoviePaused);
        }
        if (r.shown.size() == 6)
            r.player.state.store(kMovieStopRequested);
        return 0;
    };
    ASSERT_EQ(run.play(dir, movie.bytes), &run.player);
    while (pausedAt.load() < 0) std::this_thread::yield();
    // The loop holds while paused; the caller lets it go on.
    while (run.player.state.load() != kMoviePaused) std::this_thread::yield();
    run.player.state.store(kMovieRunning);
    run.player.thread.join();
    EXPECT_EQ(run.shown.size(), 6u);
    EXPECT_EQ(run.player.state.load(), kMovieFreed);
    EXPECT_EQ(run.player.decoder, nullptr);
}

TEST(MoviePlayer, LateFramesOfTransformKindsAreSkipped)
{
    testsupport::TempDir dir;
    formats::MovieWriter w;
    w.audioHeader(2, 22050, 0);
    for (int f = 0; f < 12; ++f) {
        w.add("SNDC", formats::encodePcmChunk(chunkSound(f, 1470), 2));
        formats::YuvPicture picture;
        picture.width = picture.height = 16;
        picture.y.assign(256, static_cast<uint8_t>(60 + f * 10));
        picture.cb.assign(64, 128);
        picture.cr.assign(64, 128);
        w.add("pQGT", formats::encodeKind3Frame(picture, 100));
    }
    w.end();
    HeadlessRun run;
    // After the fourth frame the machine stalls for a second: the sound runs ahead.
    run.onFrame = [](HeadlessRun& r) {
        if (r.shown.size() == 4) r.clock.advance(1000);
        return 0;
    };
    run.play(dir, w.bytes());
    ASSERT_EQ(run.shown.size(), 12u);
    // Frames decoded after the stall while more than one frame late are not drawn: the
    // surface shown keeps an older picture (the two surfaces alternate).
    int stale = 0;
    for (size_t f = 4; f < 12; ++f)
        if (run.shown[f] == run.shown[f - 2]) ++stale;
    EXPECT_GE(stale, 4);
    for (size_t f = 2; f < 4; ++f) EXPECT_NE(run.shown[f], run.shown[f - 2]) << f;
}

TEST(MoviePlayer, DamagedFilesStopWithTheFramesSoFar)
{
    testsupport::TempDir dir;
    const Built movie = buildMovie(Plan{});
    struct Case {
        const char* name;
        formats::Bytes bytes;
    };
    formats::Bytes cut(movie.bytes.begin(), movie.bytes.begin() + static_cast<long>(movie.bytes.size() / 2));
    formats::Bytes tiny = movie.bytes;
    formats::Bytes huge = movie.bytes;
    // The first audio chunk follows the header chunk: make its size 4, then 40000.
    const size_t firstAudio = static_cast<size_t>(movie.bytes[4] | movie.bytes[5] << 8);
    tiny[firstAudio + 4] = 4;
    tiny[firstAudio + 5] = 0;
    huge[firstAudio + 4] = 0x40;
    huge[firstAudio + 5] = 0x9C;
    const Case cases[] = {{"cut in half", cut}, {"chunk shorter than its header", tiny}, {"audio over 32768", huge}};
    for (const Case& c : cases) {
        HeadlessRun run;
        EXPECT_EQ(run.play(dir, c.bytes), nullptr) << c.name;
        EXPECT_LT(run.shown.size(), movie.pictures.size()) << c.name;
        EXPECT_EQ(run.player.state.load(), kMovieFreed) << c.name;
    }
    HeadlessRun missing;
    EXPECT_EQ(PlayMovie(dir.file("none.wve"), nullptr, missing.player), nullptr);
    EXPECT_TRUE(missing.shown.empty());
}

TEST(MoviePresent, CentringOffsetsAndDoubling)
{
    MoviePlayer p;
    p.frameWidth = 4;
    p.frameHeight = 2;
    const std::vector<uint16_t> frame = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        uint32_t flags;
        int left, top; // where the frame's first pixel lands
        std::vector<std::pair<int, int>> rowsOfSecondRow; // display rows that get frame row 1
        std::vector<int> untouchedRows;
    } cases[] = {
        {0, 0, 0, {{1, 0}}, {2}},
        {kMovieCentreX | kMovieCentreY, 3, 3, {{4, 0}}, {2, 5}},
        {kMovieCentreX | kMovieCentreY | kMovieOffsetX | kMovieOffsetY, 4, 1, {{2, 0}}, {3}},
        {kMovieCentreY | kMovieDoubleHeight, 0, 2, {{4, 0}, {5, 0}}, {1, 6}},
        {kMovieCentreY | kMovieDoubleHeightInterlaced, 0, 2, {{4, 0}}, {3, 5}},
    };
    for (const Case& c : cases) {
        p.flags = c.flags;
        p.xOffset = 1;
        p.yOffset = -2;
        std::vector<uint16_t> surface(10 * 8, 0xEEEE);
        PresentFrameTo(p, frame.data(), PresentTarget{surface.data(), 10, 10, 8});
        EXPECT_EQ(surface[static_cast<size_t>(c.top * 10 + c.left)], 1) << c.flags;
        EXPECT_EQ(surface[static_cast<size_t>(c.top * 10 + c.left + 3)], 4) << c.flags;
        for (const auto& [row, unused] : c.rowsOfSecondRow) EXPECT_EQ(surface[static_cast<size_t>(row * 10 + c.left)], 5) << c.flags;
        for (int row : c.untouchedRows) EXPECT_EQ(surface[static_cast<size_t>(row * 10 + c.left)], 0xEEEE) << c.flags;
    }
    // A frame bigger than the surface is cut at its edges.
    p.flags = 0;
    p.xOffset = 0;
    std::vector<uint16_t> small(2 * 1, 0);
    PresentFrameTo(p, frame.data(), PresentTarget{small.data(), 2, 2, 1});
    EXPECT_EQ(small, (std::vector<uint16_t>{1, 2}));
}

TEST(MoviePlatformSound, StreamBufferOnTheDevice)
{
    platform::FakeAudioDevice device;
    PlatformMovieSound sound(device);
    std::unique_ptr<MovieSoundBuffer> buffer = sound.createStreamBuffer(22050, 32768);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(device.buffers.size(), 1u);
    platform::FakeAudioBuffer& fake = *device.buffers[0];
    EXPECT_EQ(fake.format().channels, 2);
    EXPECT_EQ(fake.format().sampleRate, 22050u);
    EXPECT_TRUE(fake.playing);
    EXPECT_TRUE(fake.looping);
    EXPECT_EQ(fake.frequencyValue, 22050u);
    EXPECT_EQ(buffer->size(), 32768u);
    fake.setPlayCursor(1000);
    EXPECT_EQ(buffer->playPosition(), 1000u);
    // A write across the end of the ring goes on at its start; a lost buffer is restored first.
    const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    fake.lose();
    buffer->write(32764, data, 8);
    EXPECT_EQ(fake.restoreCalls, 1);
    EXPECT_EQ(fake.bytes[32764], 1);
    EXPECT_EQ(fake.bytes[32767], 4);
    EXPECT_EQ(fake.bytes[0], 5);
    EXPECT_EQ(fake.bytes[3], 8);
    EXPECT_EQ(fake.locksHeld, 0);
    EXPECT_EQ(sound.createStreamBuffer(5, 32768), nullptr); // no rate the device takes
}

TEST(MoviePlayer, ADeviceThatDoesNotPlayDoesNotHoldTheMovie)
{
    testsupport::TempDir dir;
    const Built movie = buildMovie(Plan{});
    HeadlessRun run(kMoviePlaySound);
    platform::FakeAudioDevice device; // its play cursors never move by themselves
    PlatformMovieSound sound(device);
    run.player.sound = &sound;
    run.play(dir, movie.bytes);
    EXPECT_EQ(run.shown.size(), movie.pictures.size());
    EXPECT_EQ(run.player.state.load(), kMovieFreed);
}
