/** @file The FluidSynth player rendered by hand: a tiny song sounds, then ends with one end notice; closing gives none. */
#include "platform/audio/fake_audio.h"
#include "platform/fluidsynth/fluid_midi.h"
#include "platform/fs/path.h"
#include "tests/support/temp_dir.h"
#include "tools/formats/audio_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kRate = 22050;

class FluidMidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!platform::fileExists(platform::kDefaultSoundFont))
            GTEST_SKIP() << "no General MIDI sound font at " << platform::kDefaultSoundFont;
        formats::MidiSong song;
        song.programs = {{0, 0}};
        song.notes = {{0, 48, 0, 60, 110}}; // a quarter of a second at 120 a minute
        const formats::Bytes bytes = formats::encodeMidiFile(song);
        path = dir.write("tiny.mid", std::vector<unsigned char>(bytes.begin(), bytes.end()));
        std::string why;
        player = platform::FluidMidiPlayer::create(&device, kRate, platform::kDefaultSoundFont, why);
        ASSERT_NE(player, nullptr) << why;
        player->setEndHandler([this] { ++ends; });
    }

    /** Renders through the device's source list, as the mixer would; the loudest sample heard. */
    int renderPeak(uint32_t frames)
    {
        const std::vector<int16_t> out = device.renderSources(frames);
        int peak = 0;
        for (int16_t s : out)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    }

    testsupport::TempDir dir;
    std::string path;
    platform::FakeAudioDevice device;
    std::unique_ptr<platform::FluidMidiPlayer> player;
    int ends = 0;
};

TEST_F(FluidMidiTest, ASongSoundsThenEndsWithOneNotice)
{
    ASSERT_EQ(device.sources.size(), 1u);
    ASSERT_TRUE(player->open(path));
    EXPECT_FALSE(player->isPlaying()) << "open loads, play starts";
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());

    int peak = 0;
    for (int block = 0; block < 3; ++block) // the first 0.3 s
        peak = std::max(peak, renderPeak(kRate / 10));
    EXPECT_GT(peak, 200) << "the note is heard";

    // The song is over once its last note has died away (a few seconds of the piano's release).
    for (int block = 0; block < 100 && ends == 0; ++block)
        renderPeak(kRate / 10);
    EXPECT_EQ(ends, 1) << "the end is noticed within ten seconds of sound";
    EXPECT_FALSE(player->isPlaying());
    renderPeak(kRate / 10);
    EXPECT_EQ(ends, 1) << "once";

    player.reset();
    EXPECT_TRUE(device.sources.empty()) << "out of the mix when destroyed";
}

TEST_F(FluidMidiTest, ClosingStopsTheSoundWithoutAnEndNoticeAndVolumeZeroIsSilent)
{
    player->setVolume(0);
    ASSERT_TRUE(player->open(path));
    ASSERT_TRUE(player->play());
    EXPECT_LE(renderPeak(kRate / 10), 1) << "at most the dither of the 16-bit output";
    player->close();
    EXPECT_FALSE(player->isPlaying());
    for (int block = 0; block < 100; ++block)
        renderPeak(kRate / 10);
    EXPECT_EQ(ends, 0);
    EXPECT_FALSE(player->play()) << "nothing open";
}

TEST_F(FluidMidiTest, WhatIsNotAMidiFileDoesNotOpen)
{
    EXPECT_FALSE(player->open(dir.write("noise.mid", "not a song")));
    EXPECT_FALSE(player->open(dir.file("missing.mid")));
    std::string why;
    EXPECT_EQ(platform::FluidMidiPlayer::create(nullptr, kRate, dir.file("none.sf2"), why), nullptr);
    EXPECT_NE(why.find("none.sf2"), std::string::npos);
}

} // namespace
