/** @file Tests of the patch table: precedence, hidden entries, damaged entries and the groups applied at load. */
#include "client/data/anim_data.h"
#include "client/data/font_manager.h"
#include "client/data/hue_manager.h"
#include "client/data/verdata.h"
#include "tools/formats/data_formats.h"

#include <gtest/gtest.h>

using formats::Bytes;
using formats::VerdataEntry;
using kzdata::VerdataTable;

namespace {

Bytes animGroupPayload(uint8_t count, uint8_t interval)
{
    formats::AnimGroup group{};
    group[3].offsets[0] = 5;
    group[3].offsets[1] = 6;
    group[3].count = count;
    group[3].interval = interval;
    return formats::encodeAnimGroup(group);
}

Bytes hueGroupPayload(uint16_t end)
{
    formats::HueGroup group{};
    group[1].colors.fill(0x1234);
    group[1].end = end;
    group[1].name = "a name longer than twenty";
    return formats::encodeHueGroup(group);
}

TEST(VerdataTable, LaterEntryWinsAndZeroLengthHides)
{
    const Bytes file = formats::encodeVerdata({
        {4, 100, {1, 1, 1}},
        {4, 100, {2, 2}},
        {4, 100 + 1024, {3}}, // same bucket, other entry
        {12, 7, {}},
    });
    VerdataTable table;
    EXPECT_EQ(table.load(file.data(), file.size()), 4);
    const kzdata::VerdataNode* n = table.find(4, 100);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->length, 2u);
    EXPECT_EQ(file[n->offset], 2);
    ASSERT_NE(table.find(4, 100 + 1024), nullptr);
    EXPECT_EQ(table.find(4, 100 + 1024)->length, 1u);
    ASSERT_NE(table.find(12, 7), nullptr);
    EXPECT_EQ(table.find(12, 7)->length, 0u);
    EXPECT_EQ(table.find(3, 100), nullptr);
}

TEST(VerdataTable, EntriesReachingOutsideTheFileAreIgnored)
{
    struct Case {
        const char* name;
        VerdataEntry entry;
    };
    const Case cases[] = {
        {"offset past the end", {4, 1, {9}, 0, 100000u, 1u}},
        {"length past the end", {4, 1, {9}, 0, std::nullopt, 100000u}},
        {"offset plus length wraps", {4, 1, {9}, 0, 0xFFFFFFF0u, 0x20u}},
    };
    for (const Case& c : cases) {
        const Bytes file = formats::encodeVerdata({c.entry});
        VerdataTable table;
        EXPECT_EQ(table.load(file.data(), file.size()), 0) << c.name;
        EXPECT_EQ(table.find(4, 1), nullptr) << c.name;
    }
}

TEST(VerdataTable, CountBeyondTheFileReadsOnlyWholeEntries)
{
    Bytes file = formats::encodeVerdata({{4, 1, {9}}, {4, 2, {8}}});
    file[0] = 0xFF; // count 255
    file.resize(4 + 20 + 20); // payloads gone: entries now point outside
    VerdataTable table;
    EXPECT_EQ(table.load(file.data(), file.size()), 0);
    const Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(table.load(negative.data(), negative.size()), 0);
}

TEST(VerdataTable, ClearForgetsEveryChainOfTheEarlierFile)
{
    // Entries 1 and 1025 share a chain; 7 has one of its own.
    const Bytes first = formats::encodeVerdata({{4, 1, {9}}, {4, 1025, {8}}, {16, 7, {7}}});
    const Bytes second = formats::encodeVerdata({{4, 2, {6}}});
    VerdataTable table;
    ASSERT_EQ(table.load(first.data(), first.size()), 3);
    table.clear();
    ASSERT_EQ(table.load(second.data(), second.size()), 1);
    EXPECT_EQ(table.find(4, 1), nullptr);
    EXPECT_EQ(table.find(4, 1025), nullptr);
    EXPECT_EQ(table.find(16, 7), nullptr);
    ASSERT_NE(table.find(4, 2), nullptr);
    EXPECT_EQ(table.find(4, 2)->next, -1);
}

TEST(VerdataTable, AnimAndHueGroupsAreAppliedOnlyWhenWhole)
{
    animCrap::LoadAnimDataFrom(nullptr, 0);
    HueManager::LoadFrom(nullptr, 0);
    Bytes shortHue = hueGroupPayload(0x7C00);
    shortHue.pop_back();
    const Bytes file = formats::encodeVerdata({
        {31, 2, animGroupPayload(2, 4)},       // graphics 16..23
        {31, 2048, animGroupPayload(2, 4)},    // past the table
        {32, 0, hueGroupPayload(0x7C00)},      // hues 1..8
        {32, 375, hueGroupPayload(0x7C00)},    // past the table
        {32, 1, shortHue},                     // short payload
        {33, 25, Bytes(224 * 3, 0)},           // past the font slots
    });
    VerdataTable table;
    EXPECT_EQ(table.load(file.data(), file.size()), 2);
    EXPECT_EQ(animCrap::Record(19).count, 2);
    EXPECT_EQ(animCrap::Record(19).interval, 4);
    EXPECT_EQ(animCrap::Record(19).offsets[1], 6);
    EXPECT_EQ(HueManager::GetHue(2)->tableEnd, 0x7C00);
    EXPECT_EQ(HueManager::GetHue(2)->colors[0], 0x1234);
    EXPECT_EQ(HueManager::GetHue(2)->name[19], 0);
    EXPECT_EQ(HueManager::GetHue(10)->tableEnd, 0); // group 1 untouched
}

TEST(VerdataTable, FontPatchGoesToTheFontHandlerWhenComplete)
{
    static int32_t seenSlot = -1;
    SetVerdataFontHandler([](int32_t slot, const uint8_t*, size_t) { seenSlot = slot; });
    Bytes glyphs;
    for (int i = 0; i < 224; ++i) glyphs.insert(glyphs.end(), {1, 1, 0, 0x34, 0x12});
    Bytes truncated = glyphs;
    truncated.pop_back();
    const Bytes file = formats::encodeVerdata({{33, 3, glyphs}, {33, 4, truncated}});
    VerdataTable table;
    EXPECT_EQ(table.load(file.data(), file.size()), 1);
    EXPECT_EQ(seenSlot, 3);
    SetVerdataFontHandler(nullptr);

    // Without a handler of its own the patch replaces the font manager's slot at once.
    FontManager::unloadFonts();
    Bytes wideA;
    for (int i = 0; i < 224; ++i) {
        if (i == 'A' - 32)
            wideA.insert(wideA.end(), {3, 1, 2, 1, 0, 2, 0, 3, 0});
        else
            wideA.insert(wideA.end(), {1, 1, 0, 0x34, 0x12});
    }
    const Bytes patched = formats::encodeVerdata({{33, 5, wideA}, {33, 6, truncated}});
    EXPECT_EQ(table.load(patched.data(), patched.size()), 1);
    EXPECT_EQ(FontManager::IsFontLoaded(5), 1);
    EXPECT_EQ(FontManager::IsFontLoaded(6), 0);
    EXPECT_EQ(FontManager::GetCharWidth(5, 'A'), 3);
    EXPECT_EQ(FontManager::GetCharWidth(5, 'B'), 1);
    FontManager::unloadFonts();
}

} // namespace
