#include "client/core/file_manager.h"
#include "client/data/span_routines.h"
#include "client/render/graphic_manager.h"
#include "client/render/startup_tables.h"

#include "platform/platform.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

class GraphicTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GraphicManager::SetChannelShifts(10, 5);
        GraphicManager::BuildGreyTable();
        BuildStartupTables();
    }
    void TearDown() override
    {
        GraphicManager::SetPlaySize(640, 480);
        resetSpanState();
    }
};

TEST_F(GraphicTablesTest, PlaySizeIsLargeOnlyForExactly800By600)
{
    const struct {
        int32_t w, h, expectW, expectH;
    } cases[] = {{800, 600, 800, 600}, {800, 480, 640, 480}, {1024, 768, 640, 480}, {640, 480, 640, 480}, {0, 0, 640, 480}};
    for (const auto& c : cases) {
        GraphicManager::SetPlaySize(c.w, c.h);
        EXPECT_EQ(GraphicManager::GetPlayWidth(), c.expectW) << c.w << "x" << c.h;
        EXPECT_EQ(GraphicManager::GetPlayHeight(), c.expectH);
        EXPECT_EQ(GraphicManager::GetPlayHalfWidth(), c.expectW / 2);
    }
}

TEST_F(GraphicTablesTest, ColoursPackAndGreyByTheChannelShifts)
{
    EXPECT_EQ(GraphicManager::PackColor(255, 255, 255), 0x7FFF);
    EXPECT_EQ(GraphicManager::PackColor(8, 16, 24), (1 << 10) | (2 << 5) | 3);
    EXPECT_EQ(GraphicManager::PackColor(0x1FF, 0, 0), 0x7C00); // each channel taken as 8 bits

    EXPECT_EQ(GraphicManager::GreyColor(0), 0);
    EXPECT_EQ(GraphicManager::GreyColor(0x7FFF), 0x7FFF);
    EXPECT_EQ(GraphicManager::GreyColor(0x7C00), (20 << 10) | (20 << 5) | 20); // (536 x 31 / 100) >> 3
    // A pixel with bit 15 set reads the grey of its low bits, never past the table.
    EXPECT_EQ(GraphicManager::GreyColor(0xFC00), GraphicManager::GreyColor(0x7C00));
    EXPECT_EQ(GraphicManager::GreyColor(0x8000), 0);

    GraphicManager::SetChannelShifts(11, 6);
    EXPECT_EQ(GraphicManager::PackColor(255, 0, 255), 0xF81F);
}

TEST_F(GraphicTablesTest, DarkenSpanStepsEveryChannelDownToBlackInThirtyOneSteps)
{
    uint16_t pixels[] = {0x7FFF, 0x7C00, 0x0421, 0x0000};
    DarkenSpan(pixels, 4);
    EXPECT_EQ(pixels[0], (30 << 10) | (30 << 5) | 30);
    EXPECT_EQ(pixels[1], 30 << 10);
    EXPECT_EQ(pixels[2], 0);
    EXPECT_EQ(pixels[3], 0);
    for (int i = 1; i < 31; ++i)
        DarkenSpan(pixels, 1);
    EXPECT_EQ(pixels[0], 0);

    uint16_t wide[] = {0xFFFF, 0x07E0, 0x0020};
    DarkenSpan(wide, 3, PixelFormat::Rgb565); // green by its top five bits, bit 5 cleared
    EXPECT_EQ(wide[0], (30 << 11) | (30 << 6) | 30);
    EXPECT_EQ(wide[1], 30 << 6);
    EXPECT_EQ(wide[2], 0);
}

TEST_F(GraphicTablesTest, BlendModesFollowTheirFormulasAndWrapAtSixteen)
{
    auto entry = [](int32_t mode, int32_t a, int32_t k) { return BlendTable(mode)[a * 32 + k]; };
    EXPECT_EQ(entry(1, 31, 16), 15);
    EXPECT_EQ(entry(9, 31, 16), 15); // 8-15 act as mode 1
    EXPECT_EQ(BlendTable(9), BlendTable(1));
    EXPECT_EQ(entry(2, 31, 5), 31);  // saturates
    EXPECT_EQ(entry(3, 10, 16), 31);
    EXPECT_EQ(entry(3, 4, 8), 13);
    EXPECT_EQ(entry(4, 8, 16), 16);
    EXPECT_EQ(entry(5, 8, 16), 10);
    EXPECT_EQ(entry(6, 4, 20), 0);   // darker destination over a brighter source
    EXPECT_EQ(entry(7, 4, 20), 16);
    EXPECT_TRUE(IsPlainBlendMode(0));
    EXPECT_TRUE(IsPlainBlendMode(16));
    EXPECT_EQ(BlendTable(16), nullptr);
    EXPECT_FALSE(IsPlainBlendMode(9));

    SetBlendMode(2); // the span routines blend through the chosen table
    EXPECT_EQ(spanBlendTable(), BlendTable(2));
    EXPECT_EQ(blendPixel((20 << 10) | 3, (20 << 10) | 4), (31 << 10) | 7);
}

TEST_F(GraphicTablesTest, TrigGreyAndLightTablesHoldTheirValues)
{
    EXPECT_EQ(CosTable()[0], 65536);
    EXPECT_EQ(SinTable()[0], 0);
    EXPECT_EQ(CosTable()[64], 0);
    EXPECT_EQ(SinTable()[64], 65536);
    EXPECT_EQ(CosTable()[128], -65536);
    EXPECT_EQ(SinTable()[32], 46340); // sin 45 degrees truncated
    EXPECT_EQ(SinTable()[160], -46340);

    EXPECT_EQ(GreyLevel(0x7FFF), (31 + 15 + 31) / 3);
    EXPECT_EQ(GreyLevel(0x0400), 0); // bit 10 is not read: the top four red bits only
    EXPECT_EQ(GreyLevel(0x8000 | 0x001F), 10);

    const LightTables& l = GetLightTables();
    EXPECT_EQ(l.multiply[31 * 32 + 16], 15);
    EXPECT_EQ(l.saturatingAdd[20 * 32 + 20], 31);
    EXPECT_EQ(l.shade[0 * 32 + 17], 17);  // level 0 keeps the channel
    EXPECT_EQ(l.shade[31 * 32 + 31], 0);  // level 31 is black
    EXPECT_EQ(l.shade[16 * 32 + 31], 15);
    EXPECT_EQ(l.shadeGreen[16 * 32 + 31], 15 << 5);
    EXPECT_EQ(l.shadeRed[16 * 32 + 31], 15 << 10);
    EXPECT_EQ(l.darkened[0x7FFF], (27 << 10) | (27 << 5) | 27);
}

TEST_F(GraphicTablesTest, DiamondRowsNarrowTheLowerHalfByOnePixelEachSide)
{
    const auto& rows = DiamondRows();
    const int32_t expected[][4] = {
        // row, start, width, source
        {0, 21, 2, 0}, {1, 20, 4, 2}, {2, 19, 6, 6}, {3, 18, 8, 12}, {21, 0, 44, 462},
        {22, 1, 42, 507}, {23, 2, 40, 551}, {24, 3, 38, 593}, {42, 21, 2, 1007}, {43, 22, 0, 1011},
    };
    for (const auto& e : expected) {
        const DiamondRow& r = rows[static_cast<size_t>(e[0])];
        EXPECT_EQ(r.start, e[1]) << "row " << e[0];
        EXPECT_EQ(r.width, e[2]) << "row " << e[0];
        EXPECT_EQ(r.source, e[3]) << "row " << e[0];
        EXPECT_EQ(r.end, r.start + r.width);
    }
}

TEST_F(GraphicTablesTest, TheSteeperDiagonalIsChosenByTheCornerDifferences)
{
    EXPECT_EQ(IsSteeperDiagonal(0, 5, 0, -5), 1);
    EXPECT_EQ(IsSteeperDiagonal(10, 0, -10, 0), 0);
    EXPECT_EQ(IsSteeperDiagonal(0, 3, 3, 0), 1); // equal differences
    EXPECT_EQ(IsSteeperDiagonal(-128, 0, 127, 0), 0);
}

TEST(GraphicManagerStartup, ThePaletteIsReadWholeOrLeftBlack)
{
    platform::ScopedPlatform platform;
    testsupport::TempDir dir;
    platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", dir.file("client"));
    std::vector<unsigned char> palette(768);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<unsigned char>(i * 7);
    const struct {
        size_t bytes;
        bool kept;
    } cases[] = {{768, true}, {767, false}, {0, false}};
    for (const auto& c : cases) {
        std::filesystem::remove(dir.path() / "palette.mul");
        if (c.bytes > 0)
            dir.write("palette.mul", std::vector<unsigned char>(palette.begin(), palette.begin() + static_cast<std::ptrdiff_t>(c.bytes)));
        FileManager::startup();
        GraphicManager::startup();
        FileManager::shutdown();
        EXPECT_EQ(GraphicManager::Palette()[5], c.kept ? 35 : 0) << c.bytes;
        EXPECT_EQ(GraphicManager::Palette()[767], c.kept ? static_cast<uint8_t>(767 * 7) : 0) << c.bytes;
        EXPECT_EQ(GraphicManager::GreyColor(0x7FFF), 0x7FFF);
    }
}

} // namespace
