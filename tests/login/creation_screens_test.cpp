/** @file Making a character: professions, stats and skills, appearance, start city and the create request. */
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/login/creation_screens.h"
#include "tests/login/login_test_fixture.h"

namespace logintest {
namespace {

class Creation : public LoginScreensTest {
protected:
    void SetUp() override
    {
        LoginScreensTest::SetUp();
        connect();
        harness.sandbox().dir().write("hd/prof.txt", sampleinstall::sampleProfessionFile());
    }
    CProfessionGump* profession() { return loginState().profession; }
    CCharCreationGump* creation() { return loginState().creation; }
    CCityChoiceGump* city() { return loginState().city; }
    /** The profession button k of the page (buttons 79 pixels apart from y 100 at x 480). */
    void pressPageButton(int k) { driver.click(480 + 20, 100 + 79 * k + 20); }
    void arrow() { driver.click(610 + 5, 445 + 5); }
    void type(const std::string& text)
    {
        for (char c : text)
            driver.typeChar(static_cast<uint8_t>(c));
    }
    /** An empty character list: the character screen goes straight on to the professions. */
    void startWithoutCharacters() { OpenCharacterScreen(); }
};

TEST_F(Creation, AWholeCharacterIsMadeAndTheCreateRequestCarriesEveryChoice)
{
    startWithoutCharacters();
    ASSERT_NE(profession(), nullptr);
    EXPECT_EQ(loginState().characterScreen->visible, 0);
    // Top page: Fighter (a category), Mage, Smith, then the button without a profession.
    ASSERT_EQ(profession()->pageButtons.size(), 4u);
    pressPageButton(0);
    ASSERT_EQ(profession()->pageButtons.size(), 2u); // Warrior, Archer
    pressPageButton(0);
    EXPECT_EQ(profession()->statPage, 1);
    ASSERT_NE(profession()->description, nullptr);
    EXPECT_EQ(profession()->description->Text(), u"Warrior.");
    EXPECT_EQ(profession()->stats[0]->range.value, 35);
    EXPECT_EQ((std::vector<int>{profession()->chosenSkills[0], profession()->chosenSkills[1],
                                profession()->chosenSkills[2]}),
              (std::vector<int>{40, 27, 17}));
    arrow();
    ASSERT_NE(creation(), nullptr);
    EXPECT_EQ(profession()->visible, 0);

    type("Rowan");
    driver.click(310 + 5, 408 + 5); // male becomes female
    EXPECT_EQ(creation()->sex, 1);
    driver.click(490 + 20, 140 + 10); // "Skin Tone" shows the skin colours
    EXPECT_EQ(creation()->pickers[2]->visible, 1);
    driver.click(489 + 2 + 15 * 2 + 5, 138 + 35 + 5); // column 2, row 1 of the 8 x 8 grid
    EXPECT_EQ(creation()->skinHue, 1001 + 1 + 2 * 8);
    arrow();
    ASSERT_NE(city(), nullptr);
    EXPECT_EQ(creation()->visible, 0);
    EXPECT_EQ(city()->selected, 2);
    driver.click(335 + 2, 160 + 2); // Roverozi
    EXPECT_EQ(city()->selected, 3);
    EXPECT_EQ(city()->description->Text(), u"Roverozi text.");
    arrow();

    const std::vector<Bytes> creates = sentWithId(0x00);
    ASSERT_EQ(creates.size(), 1u);
    Bytes expected = {0x00, 0xED, 0xED, 0xED, 0xED, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    const std::string name = "Rowan";
    Bytes nameField(30, 0);
    std::copy(name.begin(), name.end(), nameField.begin());
    expected.insert(expected.end(), nameField.begin(), nameField.end());
    expected.insert(expected.end(), 30, 0); // no password
    const Bytes rest = {
        1, 35, 20, 10,                 // female; strength, dexterity, intelligence
        40, 50, 27, 30, 17, 20,        // swordsmanship 50, tactics 30, healing 20
        0x03, 0xFB,                    // skin hue 1019
        0x20, 0x3B, 0x04, 0x4E,        // short hair 8251 in hue 1102
        0x00, 0x00, 0x04, 0x4E,        // no facial hair for a female; its hue 1102
        255,                           // no city list came: start location 255
        0,                             // the first free slot
        0x00, 0xCA, 0x00, 0xCA,        // shirt and pants hue 202
        0x0A, 0x00, 0x00, 0x07,        // the connection's local host address
        0x02, 0x25, 0x00, 0x5A,        // the value pair 90, 549, second first
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(creates[0], expected);
    EXPECT_EQ(messages.back(), "Creating character... ");
    EXPECT_NE(kzCfg().find("PlayerName=Rowan"), std::string::npos);
    EXPECT_NE(kzCfg().find("DefaultChar=0"), std::string::npos);
}

TEST_F(Creation, TheStartLocationIsTheIndexTheCityListGave)
{
    screenLists().haveCities = true;
    screenLists().cityIndexes = {10, 11, 12, 13};
    startWithoutCharacters();
    pressPageButton(1); // Mage
    arrow();
    type("Ab"); // two characters pass the length test
    arrow();
    ASSERT_NE(city(), nullptr);
    arrow();
    const std::vector<Bytes> creates = sentWithId(0x00);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0][90], 12); // Dizivud, city 2

    // A list shorter than the chosen city gives no index: 255, as without a list.
    screenLists().cityIndexes = {10};
    city()->CreateStep();
    ASSERT_EQ(sentWithId(0x00).size(), 2u);
    EXPECT_EQ(sentWithId(0x00)[1][90], 255);
}

TEST_F(Creation, ShortNamesAndRepeatedSkillsAreRefused)
{
    startWithoutCharacters();
    // Without a profession every skill starts as skill 0: three equal skills.
    pressPageButton(3);
    EXPECT_EQ(loginState().allCities, 1);
    arrow();
    EXPECT_EQ(messages.back(), "You must have three unique skills chosen!");
    EXPECT_EQ(creation(), nullptr);
    lastMessage->Ok();
    EXPECT_EQ(profession()->visible, 1);
    profession()->openField = 1;
    profession()->ChooseSkillRow(5);
    profession()->openField = 2;
    profession()->ChooseSkillRow(6);
    arrow();
    ASSERT_NE(creation(), nullptr);
    type("A");
    arrow();
    EXPECT_EQ(messages.back(), "Your character name is too short.");
    EXPECT_EQ(city(), nullptr);
    EXPECT_EQ(creation()->visible, 0);
}

TEST_F(Creation, AFemaleWithBunsWhoBecomesMaleHasNoHair)
{
    startWithoutCharacters();
    pressPageButton(1);
    arrow();
    CCharCreationGump* gump = creation();
    gump->ToggleSex();
    gump->hairField->value = 10;
    gump->OnChildChanged(gump->hairField);
    EXPECT_EQ(gump->hairItem, 8262);
    gump->ToggleSex();
    EXPECT_EQ(gump->hairIndex, 0);
    EXPECT_EQ(gump->hairItem, 0);
    EXPECT_EQ(gump->hairField->Text(), "NONE");
    EXPECT_EQ(gump->facialField->visible, 1);
}

TEST_F(Creation, OnlyFourCitiesAreOfferedWithAProfessionAndTheFreeSlotIsTheLowest)
{
    screenLists().characters[0].name = "Ann";
    screenLists().characters[2].name = "Cid";
    OpenCharacterScreen();
    ASSERT_EQ(loginState().characterScreen->count, 2);
    driver.click(8 + 180 + 5, 350 + 5); // new character
    ASSERT_NE(profession(), nullptr);
    pressPageButton(1);
    arrow();
    type("Bea");
    arrow();
    ASSERT_NE(city(), nullptr);
    // Viz (city 0) is not offered: its name is no target.
    EXPECT_EQ(city()->CityAt(101 + 2, 143), -1);
    EXPECT_EQ(city()->CityAt(247 + 2, 96), 1);
    driver.click(101 + 2, 143 + 2);
    EXPECT_EQ(city()->selected, 2);
    arrow();
    const std::vector<Bytes> creates = sentWithId(0x00);
    ASSERT_EQ(creates.size(), 1u);
    // Keys 0 and 2 are taken: the new character gets key 1.
    EXPECT_EQ(creates[0][91], 1);
    EXPECT_EQ(loginState().loginSlot, 1);
}

} // namespace
} // namespace logintest
