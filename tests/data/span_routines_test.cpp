/** @file Pixel-exact checks of every span routine on a table of single-pixel cases. */
#include "client/data/span_routines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// Hue h's ramp entry i: red field (h % 31) + 1, blue field i, so every entry names its hue and index.
uint16_t rampColor(int32_t hue, int32_t i) { return static_cast<uint16_t>((((hue % 31) + 1) << 10) | i); }

uint16_t rgb(int r, int g, int b) { return static_cast<uint16_t>(r << 10 | g << 5 | b); }

class SpanRoutines : public ::testing::Test {
protected:
    void SetUp() override
    {
        hues_.assign(static_cast<size_t>(kHueTableEntries) * kHueEntryWords, 0);
        for (int32_t h = 0; h < kHueTableEntries; ++h) {
            for (int32_t i = 0; i < 32; ++i) hues_[static_cast<size_t>(h * kHueEntryWords + i)] = rampColor(h, i);
            // Words past the ramp are poisoned: reading them shows up as a wrong pixel.
            for (int32_t i = 32; i < kHueEntryWords; ++i) hues_[static_cast<size_t>(h * kHueEntryWords + i)] = 0x7777;
        }
        resetSpanState();
        setSpanHueTable(hues_.data(), kHueTableEntries);
    }
    void TearDown() override { resetSpanState(); }

    std::vector<uint16_t> hues_;
};

struct SpanCase {
    std::string name;
    SpanRoutine routine;
    int32_t hue;
    uint16_t source;
    uint16_t destination;
    uint16_t expected;
};

std::vector<uint16_t> additiveTable()
{
    std::vector<uint16_t> t(32 * 32);
    for (int a = 0; a < 32; ++a)
        for (int k = 0; k < 32; ++k) t[static_cast<size_t>(a * 32 + k)] = static_cast<uint16_t>(std::min(a + k, 31));
    return t;
}

TEST_F(SpanRoutines, EachRoutineWritesTheExpectedPixelAndNothingElse)
{
    const uint16_t grey8 = rgb(8, 8, 8);
    const uint16_t other = 0x1234;  // red 4, green 17, blue 20: not grey, not reddish
    const std::vector<SpanCase> cases = {
        {"copy writes zero", CopySpan, 5, 0, other, 0},
        {"transparent copy skips zero", CopySpanTransparent, 5, 0, other, other},
        {"transparent copy writes non-zero", CopySpanTransparent, 5, 0x7FFF, other, 0x7FFF},
        {"hue by green", hueSpanByGreen, 5, rgb(0, 7, 31), other, rampColor(5, 7)},
        {"hue by green writes for source zero", hueSpanByGreen, 5, 0, other, rampColor(5, 0)},
        {"hue by green outside the table copies", hueSpanByGreen, 3000, rgb(0, 7, 0), other, rgb(0, 7, 0)},
        {"hue by red", hueSpanByRed, 5, rgb(9, 0, 31), other, rampColor(5, 9)},
        {"hue by red takes hue 2999", hueSpanByRed, 2999, rgb(9, 0, 0), other, rampColor(2999, 9)},
        {"hue by red reads hue 3000 as 0", hueSpanByRed, 3000, rgb(9, 0, 0), other, rampColor(0, 9)},
        {"hue by red with a negative hue copies", hueSpanByRed, -1, rgb(9, 0, 0), other, rgb(9, 0, 0)},
        {"hue span", HueSpan, 5, rgb(9, 3, 3), other, rampColor(5, 9)},
        {"hue span skips zero", HueSpan, 5, 0, other, other},
        {"hue span keeps the ramp index in range", HueSpan, 5, static_cast<uint16_t>(0x8000 | rgb(3, 0, 0)), other, rampColor(5, 3)},
        {"hue span outside the table draws unhued", HueSpan, 3000, rgb(9, 3, 3), other, rgb(9, 3, 3)},
        {"partial hue recolours grey", partialHueSpan, 5, grey8, other, rampColor(5, 8)},
        {"partial hue keeps colour", partialHueSpan, 5, other, 0, other},
        {"partial hue treats zero as grey", partialHueSpan, 5, 0, other, rampColor(5, 0)},
        {"partial hue transparent recolours grey", partialHueSpanTransparent, 5, grey8, other, rampColor(5, 8)},
        {"partial hue transparent skips zero", partialHueSpanTransparent, 5, 0, other, other},
        {"censored blood: pure red at full strength", censoredBloodSpan, 5, rgb(31, 0, 0), other, 0x03E0},
        {"censored blood: half red at half strength", censoredBloodSpan, 5, rgb(15, 2, 3), other, rgb(0, 15, 0)},
        {"censored blood keeps grey", censoredBloodSpan, 5, grey8, other, grey8},
        {"censored blood keeps green", censoredBloodSpan, 5, rgb(0, 31, 0), other, rgb(0, 31, 0)},
        {"censored blood keeps red equal to green plus blue", censoredBloodSpan, 5, rgb(10, 5, 5), other, rgb(10, 5, 5)},
        {"three-quarter source, white over black", threeQuarterSourceSpan, 5, 0x7FFF, 0, rgb(22, 22, 23)},
        {"three-quarter source, black over white", threeQuarterSourceSpan, 5, 0, 0x7FFF, rgb(7, 7, 7)},
        {"three-quarter source never writes zero", threeQuarterSourceSpan, 5, 0, 0, 1},
        {"three-quarter source transparent skips zero", threeQuarterSourceSpanTransparent, 5, 0, other, other},
        {"three-quarter source transparent", threeQuarterSourceSpanTransparent, 5, 0x7FFF, 0, rgb(22, 22, 23)},
        {"three-quarter destination", threeQuarterDestinationSpan, 5, 0, 0x7FFF, rgb(22, 22, 23)},
        {"three-quarter destination never writes zero", threeQuarterDestinationSpan, 5, 0, 0, 1},
        {"half blend", BlendSpanHalf, 5, 0x7FFF, 0, rgb(15, 15, 15)},
        {"half blend never writes zero", BlendSpanHalf, 5, 1, 0, 1},
        {"half blend skips zero", BlendSpanHalf, 5, 0, other, other},
        {"blend through the multiply table", blendSpan, 5, rgb(16, 8, 4), 0x7FFF, rgb(15, 7, 3)},
        {"hued blend", hueBlendSpan, 5, rgb(0, 7, 0), 0x7FFF, rgb(5, 0, 6)},
        {"hued blend outside the table blends the source", hueBlendSpan, -1, rgb(16, 8, 4), 0x7FFF, rgb(15, 7, 3)},
        {"hue then three-quarter", hueThreeQuarterSpan, 5, rgb(9, 0, 0), 0, rgb(4, 0, 7)},
        {"hue then three-quarter sets the lowest bit", hueThreeQuarterSpan, 5, 0, 0, rgb(4, 0, 1)},
        {"hue then three-quarter transparent skips zero", hueThreeQuarterSpanTransparent, 5, 0, other, other},
        {"hue then three-quarter transparent", hueThreeQuarterSpanTransparent, 5, rgb(9, 0, 0), 0, rgb(4, 0, 7)},
        {"partial hue then three-quarter, grey", partialHueThreeQuarterSpan, 5, grey8, 0, rgb(4, 0, 7)},
        {"partial hue then three-quarter, colour copied", partialHueThreeQuarterSpan, 5, other, 0, other},
        {"partial hue then three-quarter transparent skips zero", partialHueThreeQuarterSpanTransparent, 5, 0, other, other},
        {"partial hue then three-quarter transparent, grey", partialHueThreeQuarterSpanTransparent, 5, grey8, 0, rgb(4, 0, 7)},
    };
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(c.name);
        setSpanHue(c.hue);
        // The routine gets the middle pixel only; its neighbours must stay untouched.
        uint16_t destination[3] = {0x5555, c.destination, 0x5555};
        const uint16_t source[3] = {0x2AAA, c.source, 0x2AAA};
        c.routine(destination + 1, source + 1, 1);
        EXPECT_EQ(destination[1], c.expected);
        EXPECT_EQ(destination[0], 0x5555);
        EXPECT_EQ(destination[2], 0x5555);
    }
}

TEST_F(SpanRoutines, BlendFollowsTheCurrentTable)
{
    const std::vector<uint16_t> table = additiveTable();
    setSpanBlendTable(table.data());
    uint16_t d = rgb(20, 20, 20);
    const uint16_t s = rgb(20, 1, 0);
    blendSpan(&d, &s, 1);
    EXPECT_EQ(d, rgb(31, 21, 20));
    setSpanBlendTable(nullptr);  // back to the multiply table
    d = 0x7FFF;
    const uint16_t s2 = rgb(16, 8, 4);
    blendSpan(&d, &s2, 1);
    EXPECT_EQ(d, rgb(15, 7, 3));
}

TEST_F(SpanRoutines, LongSpansMatchThePixelByPixelResult)
{
    // Every routine over a run of mixed pixels (zeros included) must equal the same routine
    // applied one pixel at a time, whatever the loop does internally.
    const std::vector<SpanRoutine> routines = {
        CopySpan, CopySpanTransparent, hueSpanByGreen, hueBlendSpan, blendSpan, hueSpanByRed, HueSpan,
        partialHueSpan, partialHueSpanTransparent, censoredBloodSpan, threeQuarterSourceSpan,
        threeQuarterSourceSpanTransparent, threeQuarterDestinationSpan, BlendSpanHalf, hueThreeQuarterSpan,
        hueThreeQuarterSpanTransparent, partialHueThreeQuarterSpan, partialHueThreeQuarterSpanTransparent,
    };
    std::vector<uint16_t> source(67);
    std::vector<uint16_t> base(67);
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = i % 5 == 0 ? 0 : static_cast<uint16_t>((i * 2654435761u) & 0x7FFF);
        base[i] = static_cast<uint16_t>((i * 40503u) & 0x7FFF);
    }
    setSpanHue(12);
    for (size_t r = 0; r < routines.size(); ++r) {
        SCOPED_TRACE(r);
        std::vector<uint16_t> whole = base;
        std::vector<uint16_t> single = base;
        routines[r](whole.data(), source.data(), static_cast<int32_t>(source.size()));
        for (size_t i = 0; i < source.size(); ++i) routines[r](single.data() + i, source.data() + i, 1);
        EXPECT_EQ(whole, single);
        std::vector<uint16_t> untouched = base;
        routines[r](untouched.data(), source.data(), 0);
        EXPECT_EQ(untouched, base);
    }
}

// The routines written out pixel by pixel from their definitions, without any of the loop
// tricks of the real ones; the real ones must agree with them on every pixel.
uint16_t referencePixel(SpanRoutine routine, uint16_t d, uint16_t s)
{
    const SpanPixelLayout& l = spanPixelLayout();
    const int32_t hue = spanHue();
    const uint16_t* ramp = spanHueRamp(hue);
    const uint16_t* redRamp = spanHueRamp(hue > kHueTableEntries - 1 ? 0 : hue);
    const uint16_t* t = spanBlendTable();
    auto blend = [&](uint32_t a, uint32_t k) {
        const uint32_t r = t[((a >> l.redShift) & 31) * 32 + ((k >> l.redShift) & 31)];
        const uint32_t g = t[((a >> l.greenShift) & 31) * 32 + ((k >> l.greenShift) & 31)];
        const uint32_t b = t[(a & 31) * 32 + (k & 31)];
        return static_cast<uint16_t>((r << l.redShift) | (g << l.greenShift) | b);
    };
    auto threeQuarter = [&](uint32_t a, uint32_t k) {
        return static_cast<uint16_t>((((((a & l.quarterMask) + (k & l.quarterMask)) >> 1) + (k & l.halfMask)) >> 1) | 1);
    };
    const uint32_t byRed = (s >> l.redShift) & 31;
    const uint32_t byGreen = (s >> 5) & 31;
    const bool grey = (static_cast<uint32_t>(s) >> l.greenShift) == (s & 0x3FFu);
    const uint16_t hued = ramp != nullptr ? ramp[byRed] : s;
    if (routine == CopySpan) return s;
    if (routine == CopySpanTransparent) return s != 0 ? s : d;
    if (routine == hueSpanByGreen) return ramp != nullptr ? ramp[byGreen] : s;
    if (routine == hueBlendSpan) return blend(d, ramp != nullptr ? ramp[byGreen] : s);
    if (routine == blendSpan) return blend(d, s);
    if (routine == hueSpanByRed) return redRamp != nullptr ? redRamp[byRed] : s;
    if (routine == HueSpan) return s != 0 ? hued : d;
    if (routine == partialHueSpan) return grey ? hued : s;
    if (routine == partialHueSpanTransparent) return s == 0 ? d : grey ? hued : s;
    if (routine == censoredBloodSpan) {
        const uint32_t r = (s >> l.redShift) & 31, g = (s >> l.greenShift) & 31, b = s & 31;
        if (r <= g + b) return s;
        const uint32_t c = censoredBloodColor();
        auto scale = [&](uint32_t channel) { return channel * (r + 1) / 32; };
        return static_cast<uint16_t>(scale((c >> l.redShift) & 31) << l.redShift | scale((c >> l.greenShift) & 31) << l.greenShift
                                     | scale(c & 31));
    }
    if (routine == threeQuarterSourceSpan) return threeQuarter(d, s);
    if (routine == threeQuarterSourceSpanTransparent) return s != 0 ? threeQuarter(d, s) : d;
    if (routine == threeQuarterDestinationSpan) return threeQuarter(s, d);
    if (routine == BlendSpanHalf) return s != 0 ? static_cast<uint16_t>((((d & l.halfMask) + (s & l.halfMask)) >> 1) | 1) : d;
    if (routine == hueThreeQuarterSpan) return threeQuarter(d, hued);
    if (routine == hueThreeQuarterSpanTransparent) return s != 0 ? threeQuarter(d, hued) : d;
    if (routine == partialHueThreeQuarterSpan) return grey ? threeQuarter(d, hued) : s;
    if (routine == partialHueThreeQuarterSpanTransparent) return s == 0 ? d : grey ? threeQuarter(d, hued) : s;
    ADD_FAILURE() << "no reference for this routine";
    return 0;
}

TEST_F(SpanRoutines, LongSpansMatchTheDefinitionsUnderEverySetting)
{
    const std::vector<std::pair<const char*, SpanRoutine>> routines = {
        {"CopySpan", CopySpan}, {"CopySpanTransparent", CopySpanTransparent}, {"hueSpanByGreen", hueSpanByGreen},
        {"hueBlendSpan", hueBlendSpan}, {"blendSpan", blendSpan}, {"hueSpanByRed", hueSpanByRed}, {"HueSpan", HueSpan},
        {"partialHueSpan", partialHueSpan}, {"partialHueSpanTransparent", partialHueSpanTransparent},
        {"censoredBloodSpan", censoredBloodSpan}, {"threeQuarterSourceSpan", threeQuarterSourceSpan},
        {"threeQuarterSourceSpanTransparent", threeQuarterSourceSpanTransparent},
        {"threeQuarterDestinationSpan", threeQuarterDestinationSpan}, {"BlendSpanHalf", BlendSpanHalf},
        {"hueThreeQuarterSpan", hueThreeQuarterSpan}, {"hueThreeQuarterSpanTransparent", hueThreeQuarterSpanTransparent},
        {"partialHueThreeQuarterSpan", partialHueThreeQuarterSpan},
        {"partialHueThreeQuarterSpanTransparent", partialHueThreeQuarterSpanTransparent},
    };
    // The blend tables of the seven blend modes, and one of arbitrary entries (some above 31).
    using Formula = int (*)(int a, int k);
    const std::vector<Formula> formulas = {
        [](int a, int k) { return a * k / 32; },
        [](int a, int k) { return std::min(a + k, 31); },
        [](int a, int k) { return std::min(a + k + a * k / 32, 31); },
        [](int a, int k) { return std::min((a + k) / 2 + a * k / 32, 31); },
        [](int a, int k) { return std::min((a + k) / 4 + a * k / 32, 31); },
        [](int a, int k) { return std::max(a - k, 0); },
        [](int a, int k) { return std::max(k - a, 0); },
        [](int a, int k) { return (a * 7 + k * 13) % 40; },
    };
    std::vector<std::vector<uint16_t>> tables;
    for (Formula f : formulas) {
        std::vector<uint16_t> t(32 * 32);
        for (int a = 0; a < 32; ++a)
            for (int k = 0; k < 32; ++k) t[static_cast<size_t>(a * 32 + k)] = static_cast<uint16_t>(f(a, k));
        tables.push_back(t);
    }
    // Every path the CPU offers, forced in turn: the vector kernels must write what the scalar
    // loops write.
    std::vector<std::pair<const char*, SpanPath>> paths;
    for (const auto& path : {std::pair{"scalar", SpanPath::Scalar}, std::pair{"SSSE3", SpanPath::Ssse3}, std::pair{"AVX2", SpanPath::Avx2}})
        if (spanPathAvailable(path.second)) paths.push_back(path);
    // Where the span starts in its buffers: at the start, and off the vector alignment by a
    // different amount for source and destination. Guard pixels around the destination show
    // any write past either end.
    struct Placement {
        size_t destination, source;
    };
    const Placement placements[] = {{0, 0}, {1, 3}};
    constexpr size_t kGuard = 40;
    constexpr uint16_t kGuardPixel = 0x5A5A;
    // Lengths around the loops' block sizes and vector steps (8 to 32 pixels), with zeros,
    // greys, reddish pixels and bit 15 set.
    uint32_t seed = 99;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const std::vector<int32_t> lengths = {1, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 255, 256, 257, 700};
    const SpanPixelLayout layout565{11, 5, 0xF7DE, 0xE79C};
    const SpanPixelLayout layouts[] = {SpanPixelLayout{}, layout565};
    for (const SpanPixelLayout& layout : layouts) {
        setSpanPixelLayout(layout);
        setCensoredBloodColor(layout.redShift == 10 ? 0x03E0 : 0x7C1F);
        for (size_t t = 0; t < tables.size(); ++t) {
            setSpanBlendTable(tables[t].data());
            for (int32_t hue : {12, 2999, 3000, -1}) {
                setSpanHue(hue);
                for (int32_t length : lengths) {
                    std::vector<uint16_t> source(static_cast<size_t>(length));
                    std::vector<uint16_t> base(source.size());
                    for (size_t i = 0; i < source.size(); ++i) {
                        const uint32_t r = next();
                        const uint16_t grey = static_cast<uint16_t>((r & 31) * 0x0421);
                        const uint32_t kind = r >> 20 & 7;
                        source[i] = kind == 0 ? 0 : kind == 1 ? grey : kind == 2 ? static_cast<uint16_t>(0x7C00 | (r & 0x63)) : static_cast<uint16_t>(r);
                        base[i] = static_cast<uint16_t>(next());
                    }
                    for (const auto& [name, routine] : routines) {
                        std::vector<uint16_t> expected = base;
                        for (size_t i = 0; i < source.size(); ++i) expected[i] = referencePixel(routine, base[i], source[i]);
                        for (const auto& [pathName, path] : paths) {
                            ASSERT_TRUE(setSpanPath(path));
                            for (const Placement& at : placements) {
                                std::vector<uint16_t> destinationBuffer(kGuard + source.size() + kGuard, kGuardPixel);
                                std::vector<uint16_t> sourceBuffer(at.source + source.size() + kGuard, kGuardPixel);
                                std::copy(base.begin(), base.end(), destinationBuffer.begin() + static_cast<ptrdiff_t>(kGuard + at.destination));
                                std::copy(source.begin(), source.end(), sourceBuffer.begin() + static_cast<ptrdiff_t>(at.source));
                                routine(destinationBuffer.data() + kGuard + at.destination, sourceBuffer.data() + at.source, length);
                                std::vector<uint16_t> wanted(destinationBuffer.size(), kGuardPixel);
                                std::copy(expected.begin(), expected.end(), wanted.begin() + static_cast<ptrdiff_t>(kGuard + at.destination));
                                ASSERT_EQ(destinationBuffer, wanted)
                                    << name << " on the " << pathName << " path, table " << t << " hue " << hue << " length " << length
                                    << " red shift " << layout.redShift << " offsets " << at.destination << "/" << at.source;
                            }
                        }
                    }
                }
            }
        }
    }
}

} // namespace
