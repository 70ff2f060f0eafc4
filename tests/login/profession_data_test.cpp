/** @file The profession file reader and the slider groups' rebalancing. */
#include "client/gumps/login/creation_screens.h"
#include "client/gumps/login/profession_data.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ProfessionFile, RecordsTheirFieldsAndTheCategoriesTheyBelongTo)
{
    const std::vector<ProfessionRecord> records = ParseProfessions(
        "Begin\r\n"
        "  NAME Fighter\r\n"
        "  TrueName \"Brave Fighter\"\r\n"
        "  Desc 7\r\n"
        "  TopLevel TRUE\r\n"
        "  Gump 5571\r\n"
        "  type category\r\n"
        "  Children \"Warrior\",Archer.Ghost\r\n"
        "End\r\n"
        "Begin\n"
        "  Name Warrior\n"
        "  TopLevel no\n"
        "  Type Plain\n"
        "  Skill swordsmanship 50\n"
        "  Skill Juggling 10\n"
        "  Stat STR 35\n"
        "  Stat dex 20\n"
        "  Stat Int 10\n"
        "  Colour red\n"
        "End\n"
        "Begin\n"
        "  Name Archer\n"
        "End\n");
    ASSERT_EQ(records.size(), 3u);
    const ProfessionRecord& fighter = records[0];
    EXPECT_EQ(fighter.name, "Fighter");
    EXPECT_EQ(fighter.trueName, "Brave Fighter");
    EXPECT_EQ(fighter.descriptionId, 7);
    EXPECT_TRUE(fighter.topLevel);
    EXPECT_TRUE(fighter.category);
    EXPECT_EQ(fighter.gumpArt, 5571);
    EXPECT_EQ(fighter.children, (std::vector<std::string>{"Warrior", "Archer", "Ghost"}));
    EXPECT_EQ(fighter.parent, -1);

    const ProfessionRecord& warrior = records[1];
    EXPECT_FALSE(warrior.topLevel);
    EXPECT_FALSE(warrior.category);
    // An unknown skill name is kept as -1.
    EXPECT_EQ(warrior.skills, (std::vector<std::pair<int, int>>{{40, 50}, {-1, 10}}));
    EXPECT_EQ(warrior.strength, 35);
    EXPECT_EQ(warrior.dexterity, 20);
    EXPECT_EQ(warrior.intelligence, 10);
    EXPECT_EQ(warrior.parent, 0);
    EXPECT_EQ(records[2].parent, 0);
    EXPECT_EQ(FindProfession(records, "Ghost"), -1);
}

TEST(ProfessionFile, ALineHoldingEndClosesTheRecordThere)
{
    // "Endurance" holds "End": the record is appended at that line, before its name is read.
    const std::vector<ProfessionRecord> records = ParseProfessions("Begin\nDesc 3\nName Endurance\nGump 9\nEnd\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "");
    EXPECT_EQ(records[0].descriptionId, 3);
    EXPECT_EQ(records[1].gumpArt, 9);
}

TEST(ProfessionFile, SkillNamesMatchWithoutCaseAndTheChoiceListLeavesStealthOut)
{
    EXPECT_EQ(ProfessionSkillIndex("ALCHEMY"), 0);
    EXPECT_EQ(ProfessionSkillIndex("disarm"), 48);
    EXPECT_EQ(ProfessionSkillIndex("Remove Trap"), -1);
    const std::vector<int> offered = OfferedSkills();
    EXPECT_EQ(offered.size(), 48u);
    EXPECT_EQ(std::count(offered.begin(), offered.end(), ProfessionSkillIndex("stealth")), 0);
}

struct RebalanceCase {
    const char* what;
    int start[3];
    int moved;
    int movedTo;
    int minimum, maximum, total;
    int expected[3];
};

TEST(SliderGroup, RebalancesTheOtherSlidersToTheTotal)
{
    const RebalanceCase cases[] = {
        {"strength from 44 to 10 gives 17 to each other stat", {44, 11, 10}, 0, 10, 10, 45, 65, {10, 28, 27}},
        {"a third skill raised to 50 takes 25 from each other", {50, 50, 0}, 2, 50, 0, 50, 100, {25, 25, 50}},
        {"a shortfall below the minimum moves to the other slider", {30, 10, 25}, 2, 45, 10, 45, 65, {10, 10, 45}},
        {"what one slider cannot take at its maximum the second pass and the floor make up", {50, 50, 0}, 0, 0, 0, 50,
         100, {0, 50, 50}},
    };
    for (const RebalanceCase& c : cases) {
        SliderValue sliders[3];
        for (int i = 0; i < 3; ++i)
            sliders[i] = {c.minimum, c.maximum, c.start[i]};
        sliders[c.moved].value = c.movedTo;
        RebalanceSliders(sliders, c.moved, c.total, c.total);
        EXPECT_EQ((std::vector<int>{sliders[0].value, sliders[1].value, sliders[2].value}),
                  (std::vector<int>{c.expected[0], c.expected[1], c.expected[2]}))
            << c.what;
    }
}

} // namespace
