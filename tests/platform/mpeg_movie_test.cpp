// The MPEG movie decoder on FFmpeg, against clips made by libavcodec's MPEG-1 encoder.
#include "platform/video/mpeg_movie.h"
#include "tests/support/mpeg/mpeg_clip.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb rgb565(uint16_t p)
{
    return {(p >> 11) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3};
}

} // namespace

TEST(MpegMovie, DecodesEveryPictureOfATwoSecondClip)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("intro.mpg");
    ASSERT_TRUE(testsupport::writeMpeg1Clip(path, 352, 240, 50, 25));
    auto movie = platform::makeFfmpegMpegMovie();
    ASSERT_TRUE(movie->isReal());
    ASSERT_TRUE(movie->open(path, platform::PixelLayout::Rgb565));
    platform::MpegPicture picture;
    int pictures = 0;
    Rgb left{}, right{};
    while (movie->nextPicture(picture)) {
        ++pictures;
        ASSERT_EQ(picture.width, 352);
        ASSERT_EQ(picture.height, 240);
        ASSERT_EQ(picture.pixels.size(), 352u * 240u);
        left = rgb565(picture.pixels[120 * 352 + 40]);
        right = rgb565(picture.pixels[120 * 352 + 300]);
    }
    EXPECT_EQ(pictures, 50);
    EXPECT_DOUBLE_EQ(movie->frameRate(), 25.0);
    // The left half is white, the right half a dark blue.
    EXPECT_GT(left.r, 220);
    EXPECT_GT(left.g, 220);
    EXPECT_GT(left.b, 220);
    EXPECT_LT(right.r, 60);
    EXPECT_GT(right.b, 150);
    movie->close();
    EXPECT_FALSE(movie->nextPicture(picture));
}

TEST(MpegMovie, OpensOnlyMpgFilesAndStopsOnOtherBytes)
{
    testsupport::TempDir dir;
    const std::string clip = dir.file("intro.mpg");
    ASSERT_TRUE(testsupport::writeMpeg1Clip(clip, 64, 48, 3, 25));
    std::filesystem::copy_file(clip, dir.file("intro.wve"));
    auto movie = platform::makeFfmpegMpegMovie();
    EXPECT_FALSE(movie->open(dir.file("intro.wve"), platform::PixelLayout::Rgb555)); // never a .wve
    EXPECT_FALSE(movie->open(dir.file("missing.mpg"), platform::PixelLayout::Rgb555));
    const std::string noise = dir.write("noise.mpg", std::string(4096, '\x5A'));
    platform::MpegPicture picture;
    if (movie->open(noise, platform::PixelLayout::Rgb555)) {
        EXPECT_FALSE(movie->nextPicture(picture));
    }
    // Upper-case names from a Windows medium are .mpg files too.
    std::filesystem::copy_file(clip, dir.file("INTRO.MPG"));
    ASSERT_TRUE(movie->open(dir.file("INTRO.MPG"), platform::PixelLayout::Rgb555));
    int pictures = 0;
    while (movie->nextPicture(picture)) ++pictures;
    EXPECT_EQ(pictures, 3);

    platform::NullMpegMovie null;
    EXPECT_FALSE(null.isReal());
    EXPECT_FALSE(null.open(clip, platform::PixelLayout::Rgb555));
    EXPECT_EQ(null.opened, std::vector<std::string>{clip});
}
