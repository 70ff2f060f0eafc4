/** @file Tests of seated figures: the facing a seat allows, who sits, the remap tables, and composing and copying a figure pixel for pixel. */
#include "client/render/seated_figure.h"

#include "client/data/span_routines.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

/** Little-endian run list: {x, y, indexes...} runs, then the end mark. */
std::vector<uint8_t> runList(const std::vector<std::pair<std::pair<int, int>, std::vector<uint8_t>>>& runs)
{
    std::vector<uint8_t> out;
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    for (const auto& [at, pixels] : runs) {
        const uint32_t header = (static_cast<uint32_t>(at.first) & 0x3FF) << 22 |
                                (static_cast<uint32_t>(at.second) & 0x3FF) << 12 |
                                static_cast<uint32_t>(pixels.size());
        put32(header);
        out.insert(out.end(), pixels.begin(), pixels.end());
    }
    put32(0x7FFF7FFF);
    return out;
}

/** Palette entry i is the 15-bit colour 0x100 + i (never 0). */
std::array<uint16_t, 256> countingPalette()
{
    std::array<uint16_t, 256> p{};
    for (int i = 0; i < 256; ++i) p[static_cast<size_t>(i)] = static_cast<uint16_t>(0x100 + i);
    return p;
}

class SeatedFigureTest : public testsupport::WorldTest {
protected:
    SeatedFigureTest() { SkipDrawHandler::BuildSeatTables(); }
    ~SeatedFigureTest() override { SetBlitTarget(nullptr, 0, 0, 0); }
};

TEST_F(SeatedFigureTest, TheFacingSnapsToTheNearestOneTheSeatAllows)
{
    struct Case {
        int32_t graphic, facing, expected;
    };
    const Case cases[] = {
        {2862, 1, 4}, // mask 4: tried 1, 2, 0, 3, 7, 4
        {4604, 6, 6}, // mask 15
        {4604, 1, 2}, {4604, 7, 0}, // d + 1 is tried before d - 1
        {2863, 7, 2}, {2896, 3, 0}, {2897, 3, 6},
        {3315, 0, 2}, // mask 26 = 0x10 | 0x8 | 0x2
    };
    for (const Case& c : cases) {
        SkipDrawHandler::RememberRow(SkipDrawHandler::FindSeatRow(c.graphic));
        int32_t facing = c.facing;
        SkipDrawHandler::SnapSeatDirection(facing);
        EXPECT_EQ(facing, c.expected) << c.graphic << " facing " << c.facing;
    }
    SkipDrawHandler::RememberRow(-1);
    int32_t facing = 3;
    SkipDrawHandler::SnapSeatDirection(facing);
    EXPECT_EQ(facing, 7); // no seat: turned round
    EXPECT_EQ(SkipDrawHandler::SeatTable().size(), 71u);
    EXPECT_EQ(SkipDrawHandler::SeatOffset(SkipDrawHandler::FindSeatRow(2911), 0), 14);
    EXPECT_EQ(SkipDrawHandler::SeatOffset(SkipDrawHandler::FindSeatRow(2911), 2), 3);
    EXPECT_EQ(SkipDrawHandler::SeatOffset(SkipDrawHandler::FindSeatRow(2603), 6), -8);
}

TEST_F(SeatedFigureTest, HumansSitWithinOneZOfASeatInTheirCell)
{
    CObj chair(2862);
    chair.locX = 102;
    chair.locY = 101;
    chair.z = 5;
    chair.AddToDrawList();
    CObj bench(3315); // idle only
    bench.locX = 104;
    bench.locY = 101;
    bench.z = 0;
    bench.AddToDrawList();

    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x30, 400, 102, 101)));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->inList, 1);
    struct Case {
        const char* label;
        int32_t z;
        uint16_t body;
        int expected;
    };
    const Case cases[] = {{"level", 5, 400, 1},     {"one above", 6, 400, 1}, {"one below", 4, 400, 1},
                          {"two above", 7, 400, 0}, {"body 399", 5, 399, 0},  {"body 1000", 5, 1000, 0},
                          {"ghost", 5, 402, 0},     {"body 999", 5, 999, 1}};
    for (const Case& c : cases) {
        m->z = static_cast<int16_t>(c.z);
        m->graphic = c.body;
        EXPECT_EQ(IsSeated(*m), c.expected) << c.label;
    }
    m->z = 5;
    m->graphic = 400;
    EXPECT_EQ(SkipDrawHandler::RememberedRow(), SkipDrawHandler::FindSeatRow(2862));
    m->framesLeft = 3;
    EXPECT_EQ(IsSeated(*m), 0) << "mid-step";
    m->framesLeft = 0;
    EXPECT_EQ(IsSeated(*m, true), 0) << "walk pending";

    m->MoveTo(104, 101, 0);
    m->idle = 0;
    EXPECT_EQ(IsSeated(*m), 0) << "idle-only seat, busy";
    m->idle = 1;
    EXPECT_EQ(IsSeated(*m), 1) << "idle-only seat, idle";
}

TEST_F(SeatedFigureTest, TheRemapTablesBendTheFigureIntoItsPose)
{
    const auto at = [](int32_t row, int32_t column) { return static_cast<uint16_t>(row * 64 + column); };
    struct Case {
        int32_t table, row, column;
        uint16_t expected;
    };
    const Case cases[] = {
        {0, 25, 10, 0},           {0, 26, 10, at(0, 7)},   {0, 40, 2, at(14, 0)},   {0, 127, 63, at(101, 60)},
        {3, 26, 10, at(0, 13)},   {3, 40, 62, at(14, 63)}, {1, 11, 5, 0},           {1, 55, 5, at(43, 5)},
        {1, 56, 20, at(44, 20)},  {1, 71, 20, at(62, 13)}, {2, 71, 20, at(62, 27)}, {1, 71, 2, at(62, 0)},
        {2, 71, 60, at(62, 63)},  {1, 72, 20, at(64, 12)}, {1, 72, 3, at(64, 0)},   {2, 72, 60, at(64, 63)},
        {2, 127, 0, at(119, 8)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkipDrawHandler::RemapEntry(c.table, c.row, c.column), c.expected)
            << "table " << c.table << " row " << c.row << " column " << c.column;
}

TEST_F(SeatedFigureTest, AComposedFrameReachesTheScreenThroughTheRemapTable)
{
    const std::array<uint16_t, 256> palette = countingPalette();
    // Row -30 (buffer row 50), columns 32 - 2 ...; one run off the left edge, one below the buffer.
    const std::vector<uint8_t> runs = runList({{{-2, -30}, {1, 2, 3}},
                                               {{-40, -29}, {4, 5, 6, 7, 8, 9, 10, 11, 12}},
                                               {{0, -90}, {13}},
                                               {{0, 50}, {14}},
                                               {{0, -28}, {15}}});
    SkipDrawHandler::ClearBuffer(false);
    SkipDrawHandler::ComposeFrame(0, palette, runs);
    const auto& b = SkipDrawHandler::Buffer();
    EXPECT_EQ(b[50 * 64 + 30], 0x101);
    EXPECT_EQ(b[50 * 64 + 32], 0x103);
    EXPECT_EQ(b[51 * 64 + 0], 0x100 + 12); // x -40 + 32 = -8: only the last of nine reaches column 0
    EXPECT_EQ(b[51 * 64 + 1], 0);
    // The run past row 127 ended the frame: the last run never came.
    EXPECT_EQ(b[52 * 64 + 32], 0);
    int filled = 0;
    for (uint16_t p : b) filled += p != 0;
    EXPECT_EQ(filled, 4);

    // Mirrored: the run is written reversed from column 32 - x - count.
    SkipDrawHandler::ClearBuffer(true);
    SkipDrawHandler::ComposeFrame(0, palette, runList({{{-2, -30}, {1, 2, 3}}}));
    EXPECT_EQ(b[50 * 64 + 31], 0x103);
    EXPECT_EQ(b[50 * 64 + 32], 0x102);
    EXPECT_EQ(b[50 * 64 + 33], 0x101);

    // Facing 6 (table 3): buffer (50, 31..33) shows at box rows 76, columns 28..30.
    std::vector<uint16_t> screen(100 * 200, 0x7FFF);
    SetBlitTarget(screen.data(), 100, 100, 200);
    SkipDrawHandler::BlitComposite(6, 50, 120, 2, BlitRect{0, 0, 100, 200}); // box at (18, 42)
    const auto px = [&screen](int x, int y) { return screen[static_cast<size_t>(y * 100 + x)]; };
    EXPECT_EQ(px(18 + 28, 42 + 76), 0x103);
    EXPECT_EQ(px(18 + 29, 42 + 76), 0x102);
    EXPECT_EQ(px(18 + 30, 42 + 76), 0x101);
    EXPECT_EQ(px(18 + 31, 42 + 76), 0x7FFF);
    int written = 0;
    for (uint16_t p : screen) written += p != 0x7FFF;
    EXPECT_EQ(written, 3);
    EXPECT_EQ(SkipDrawHandler::GetCompositePixel(18 + 29, 42 + 76), 0x102);
    EXPECT_EQ(SkipDrawHandler::GetCompositePixel(18 + 31, 42 + 76), 0);
    EXPECT_EQ(SkipDrawHandler::GetCompositePixel(17, 42), 0);

    // A clip that cuts the figure: only what lies inside is written.
    std::fill(screen.begin(), screen.end(), 0x7FFF);
    SkipDrawHandler::BlitComposite(6, 50, 120, 2, BlitRect{0, 0, 18 + 30, 200});
    EXPECT_EQ(px(18 + 29, 42 + 76), 0x102);
    EXPECT_EQ(px(18 + 30, 42 + 76), 0x7FFF);
}

TEST_F(SeatedFigureTest, TheHueWordColoursTheFigure)
{
    std::vector<uint16_t> hues(static_cast<size_t>(3000 * kHueEntryWords), 0);
    for (int h = 0; h < 3000; ++h)
        for (int i = 0; i < 32; ++i) hues[static_cast<size_t>(h * kHueEntryWords + i)] = static_cast<uint16_t>(h * 32 + i);
    setSpanHueTable(hues.data(), 3000);
    std::array<uint16_t, 256> palette{};
    palette[1] = 0x2108; // grey, red 8
    palette[2] = 0x2100; // not grey, red 8
    const std::vector<uint8_t> runs = runList({{{0, 0}, {1, 2}}});
    struct Case {
        const char* label;
        uint16_t hue;
        uint16_t grey, other;
    };
    const Case cases[] = {{"no hue", 0, 0x2108, 0x2100},
                          {"hue 5", 5, 4 * 32 + 8, 4 * 32 + 8},
                          {"partial hue 5", 0x8005, 4 * 32 + 8, 0x2100},
                          {"hue past 3000", 3001, 8, 8}};
    for (const Case& c : cases) {
        SkipDrawHandler::ClearBuffer(false);
        SkipDrawHandler::ComposeFrame(c.hue, palette, runs);
        EXPECT_EQ(SkipDrawHandler::Buffer()[80 * 64 + 32], c.grey) << c.label;
        EXPECT_EQ(SkipDrawHandler::Buffer()[80 * 64 + 33], c.other) << c.label;
    }
    setSpanHueTable(nullptr, 0);
}

TEST_F(SeatedFigureTest, FrameZeroIsReadFromTheRecordOrRefused)
{
    std::vector<uint8_t> record(512, 0);
    record[2] = 0x34;
    record[3] = 0x12;
    auto put32 = [&record](uint32_t v) {
        for (int i = 0; i < 4; ++i) record.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(1);
    put32(8); // frame 0 right after the count and the one offset
    for (uint16_t v : {uint16_t(20), uint16_t(0xFFF6), uint16_t(40), uint16_t(60)}) {
        record.push_back(static_cast<uint8_t>(v));
        record.push_back(static_cast<uint8_t>(v >> 8));
    }
    const std::vector<uint8_t> runs = runList({{{0, 0}, {1}}});
    record.insert(record.end(), runs.begin(), runs.end());
    SeatedFrame frame;
    ASSERT_TRUE(ReadSeatedFrame(record, frame));
    EXPECT_EQ(frame.palette[1], 0x1234);
    EXPECT_EQ(frame.centreX, 20);
    EXPECT_EQ(frame.centreY, -10);
    EXPECT_EQ(frame.width, 40);
    EXPECT_EQ(frame.height, 60);
    EXPECT_EQ(frame.runs.size(), runs.size());

    std::vector<uint8_t> noFrames(record.begin(), record.begin() + 516);
    noFrames[512] = 0;
    EXPECT_FALSE(ReadSeatedFrame(noFrames, frame));
    std::vector<uint8_t> cut(record.begin(), record.begin() + 522);
    EXPECT_FALSE(ReadSeatedFrame(cut, frame));
}


/** An animation record whose frame 0 has the given centre and size and one run of palette index `index` at (x, y). */
std::vector<uint8_t> record(int16_t centreX, int16_t centreY, uint16_t width, uint16_t height, int x, int y,
                            std::vector<uint8_t> pixels)
{
    std::vector<uint8_t> out;
    const std::array<uint16_t, 256> palette = countingPalette();
    for (uint16_t c : palette) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    auto put16 = [&out](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(1);
    put16(0);
    put16(8);
    put16(0);
    for (uint16_t v : {static_cast<uint16_t>(centreX), static_cast<uint16_t>(centreY), width, height}) put16(v);
    const std::vector<uint8_t> runs = runList({{{x, y}, std::move(pixels)}});
    out.insert(out.end(), runs.begin(), runs.end());
    return out;
}

TEST_F(SeatedFigureTest, TheWholeFigureIsComposedBodyFirstThenTheWornLayers)
{
    CObj chair(2862); // facing 4 only, offset 6
    chair.locX = 102;
    chair.locY = 101;
    chair.AddToDrawList();
    auto* m = static_cast<CMobile*>(CObjectManager::HandleMove(mobile(0x40, 400, 102, 101, 1)));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(IsSeated(*m), 1);

    // Facing 1 snaps to 4 (action 4, stored direction 1, not mirrored).
    TileData::MutableItem(0x1515).animationId = 450; // a cloak on layer 20
    std::map<int32_t, std::vector<uint8_t>> records;
    records[SeatedRecordIndex(400, 4)] = record(10, 5, 20, 30, -1, -20, {1, 2, 3});
    records[SeatedRecordIndex(450, 4)] = record(12, 0, 30, 40, 0, -20, {9});
    EXPECT_EQ(SeatedRecordIndex(400, 4), 35000 + 4 * 5 + 1);
    EXPECT_EQ(SeatedRecordIndex(401, 6), 35000 + 175 + 25 * 5 + 3);
    seatedDrawHooks().animationRecord = [&records](int32_t index) -> std::span<const uint8_t> {
        const auto it = records.find(index);
        return it != records.end() ? std::span<const uint8_t>(it->second) : std::span<const uint8_t>();
    };
    CObj cloak(0x1515);
    m->layers[20] = &cloak;

    std::vector<uint16_t> screen(200 * 200, 0x7FFF);
    SetBlitTarget(screen.data(), 200, 200, 200);
    DrawSeatedFigure(*m, 100, 150, BlitRect{0, 0, 200, 200}, 0, false);
    // Buffer row 60, columns 31..33; in table 2 (facing 4) box row 69 is the bend row that
    // reads row 60 six columns to the right: box columns 25..27. The box is at
    // (100 - 32, 150 - 80 + 6) = (68, 76).
    const auto px = [&screen](int x, int y) { return screen[static_cast<size_t>(y * 200 + x)]; };
    EXPECT_EQ(px(68 + 25, 76 + 69), 0x101);
    EXPECT_EQ(px(68 + 26, 76 + 69), 0x109); // the cloak drawn over the body
    EXPECT_EQ(px(68 + 27, 76 + 69), 0x103);
    int written = 0;
    for (uint16_t p : screen) written += p != 0x7FFF;
    EXPECT_EQ(written, 3);

    // The hit test composes the same figure and draws nothing.
    std::fill(screen.begin(), screen.end(), 0x7FFF);
    EXPECT_EQ(HitTestSeatedFigure(*m, 100, 150, 68 + 26, 76 + 69), 0x109);
    EXPECT_EQ(HitTestSeatedFigure(*m, 100, 150, 68 + 28, 76 + 69), 0);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 0x7FFF), static_cast<long>(screen.size()));

    // A hidden layer is left out.
    seatedDrawHooks().isLayerHidden = [](const CMobile&, int32_t layer) { return layer == 20; };
    DrawSeatedFigure(*m, 100, 150, BlitRect{0, 0, 200, 200}, 0, false);
    EXPECT_EQ(px(68 + 26, 76 + 69), 0x102);
    // Without a hook the worn items' own rule decides: something in layer 24 hides layer 3.
    seatedDrawHooks().isLayerHidden = nullptr;
    m->layers[20] = nullptr;
    m->layers[3] = &cloak;
    DrawSeatedFigure(*m, 100, 150, BlitRect{0, 0, 200, 200}, 0, false);
    EXPECT_EQ(px(68 + 26, 76 + 69), 0x109);
    CObj robe(0x1516);
    m->layers[24] = &robe;
    DrawSeatedFigure(*m, 100, 150, BlitRect{0, 0, 200, 200}, 0, false);
    EXPECT_EQ(px(68 + 26, 76 + 69), 0x102);
    m->layers[24] = nullptr;
    m->layers[3] = nullptr;
    m->layers[20] = &cloak;
    seatedDrawHooks().isLayerHidden = [](const CMobile&, int32_t layer) { return layer == 20; };

    // The rectangle: the body (90..110 x 115..145) and the cloak (88..118 x 110..150), widened.
    const BlitRect r = CalcSeatedRect(*m, 100, 150);
    EXPECT_EQ(r.left, 88 - 16);
    EXPECT_EQ(r.right, 118 + 16);
    EXPECT_EQ(r.top, 110 - 16);
    EXPECT_EQ(r.bottom, 150 + 32);

    m->layers[20] = nullptr;
    seatedDrawHooks() = {};
}

} // namespace
