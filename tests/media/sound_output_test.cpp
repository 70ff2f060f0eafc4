/** @file A sound of the sample install played through the data cache, a channel and SDL's disk audio driver into a file. */
#include "client/core/config_store.h"
#include "client/media/sound_manager.h"
#include "client/media/stream_buf.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_audio.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_install/sample_install.h"
#include "tools/sample_install/write_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

TEST(SoundOutput, TheSampleChimeReachesTheDiskDriversFileAndEnds)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
    const std::string output = dir.file("out.raw");
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);

    testsupport::ScopedDataCache cache(layout.install);
    Sound = 1;
    SoundVol = 255;
    {
        std::unique_ptr<platform::AudioDevice> device = platform::openSdlAudio(error);
        ASSERT_NE(device, nullptr) << error;
        SoundManager::CSoundManager();
        SoundManager::InitDirectSound(device.get());
        // A little silence first, then the chime; the refill runs as the main loop would run it.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(SoundManager::PlaySound(static_cast<int32_t>(sampleinstall::kSampleChimeSound), 0, 0, 0, 0, 0), 0);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
        while (std::chrono::steady_clock::now() < end) {
            SoundManager::Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(SoundManager::Channel(0)->soundNumber, 0xffffu) << "played out: the channel is idle again";
        SoundManager::shutdown();
    }

    std::ifstream in(output, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44100u * 4u);
    // Stereo 16-bit frames at 44100 a second; find where sound starts and stops.
    const size_t frames = bytes.size() / 4;
    auto left = [&](size_t frame) {
        return static_cast<int16_t>(static_cast<uint8_t>(bytes[frame * 4]) | (static_cast<uint8_t>(bytes[frame * 4 + 1]) << 8));
    };
    size_t first = frames;
    size_t last = 0;
    int peak = 0;
    for (size_t f = 0; f < frames; ++f) {
        const int v = std::abs(static_cast<int>(left(f)));
        if (v > 30) {
            first = std::min(first, f);
            last = f;
        }
        peak = std::max(peak, v);
    }
    ASSERT_LT(first, frames) << "nothing was heard";
    EXPECT_GT(first, 44100u / 10u) << "silence before the chime";
    // The chime lasts 0.8 s of its own rate; it dies away below the threshold somewhat earlier.
    const double seconds = static_cast<double>(last - first) / 44100.0;
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 0.85);
    EXPECT_GT(peak, 5000);
    EXPECT_LT(last + 44100 / 10, frames) << "silence after it";
}

} // namespace
