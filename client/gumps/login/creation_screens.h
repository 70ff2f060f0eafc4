/** @file The character creation screens: professions with stat and skill sliders, appearance, start city and the create step. */
#pragma once

#include "client/gumps/framework/html_box.h"
#include "client/gumps/framework/hue_gumps.h"
#include "client/gumps/login/login_screens.h"
#include "client/gumps/login/profession_data.h"

#include <string>
#include <vector>

class CThumbGump;
class CProfessionGump;

/** A slider of a group: a track of 96 pixels of travel and a thumb. */
class CSliderGump : public CGump {
public:
    CSliderGump(int x, int y, CGump* owner, int minimum, int maximum, int value);
    void OnThumbMove(int position, int range, CGump* thumb) override;
    void OnThumbRelease(int position, int range, CGump* thumb) override;
    /** Puts the thumb at value x 96 / maximum. */
    void PlaceThumb();

    SliderValue range;
    CThumbGump* thumb = nullptr;
    /** Told when the slider moved: the group index and the slider's index in it. */
    CProfessionGump* group = nullptr;
    int groupIndex = 0;
    int indexInGroup = 0;
};

/** A small list used as a labelled button: a press tells the owner (child changed). */
class CPanelChoiceGump : public CGump {
public:
    CPanelChoiceGump(CGump* owner, int frameArt, int x, int y, int width, int height, const char* text, int colour);
    void Render();
    bool HitTest(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDown(int x, int y) override;

    int frameArt = 0;
    std::string text;
    int colour = 0;
    int hovered = 0;
};

/** The profession gump: pages of professions, then stats and skills. */
class CProfessionGump : public CLoginScreenGump {
public:
    enum { kPageBack = 1, kArrow, kBack, kProfessionButton = 100, kNoProfessionButton = 199 };
    CProfessionGump();
    /** With the profession list given instead of read from prof.txt (tests). */
    explicit CProfessionGump(std::vector<ProfessionRecord> records);
    ~CProfessionGump() override;

    /** Shows the page of record index p (-1 = the top page). */
    void ShowPage(int p);
    void ChooseButton(int record);
    void ChooseNoProfession();
    void SliderMoved(int group, int index);
    /** Turns a row of the skill list into a skill index and records it for the open field. */
    void ChooseSkillRow(int row);
    /** Stores the values the create packet carries. */
    void StoreValues();
    void Render();

    void OnChildPress(CGump* child) override;
    void OnChildChanged(CGump* child) override;
    void HandleButtonPress(int id) override;

    std::vector<ProfessionRecord> professions;
    int current = -1;
    int previous = -1;
    std::vector<CGump*> pageButtons;
    std::vector<int> pageRecords;
    int statPage = 0;
    HTMLBox* description = nullptr;
    CSliderGump* stats[3] = {};
    CSliderGump* skillSliders[3] = {};
    CInputControlGump* skillFields[3] = {};
    int chosenSkills[3] = {};
    int openField = -1;
    CScrollChoiceGump* skillList = nullptr;

private:
    void build();
};

/** The names the skill choice list offers, in skill order (stealth, remove trap and necromancy left out). */
std::vector<int> OfferedSkills();

/** The appearance screen: name, sex, hair and facial hair, five colours and a preview. */
class CCharCreationGump : public CLoginScreenGump {
public:
    enum { kMale = 1, kFemale, kArrow, kBack };
    CCharCreationGump();
    ~CCharCreationGump() override;

    void DrawPreview();
    void ToggleSex();
    /** The arrow: checks the name and opens the start city. */
    void NameCheck();

    void OnChildChanged(CGump* child) override;
    void OnDropDown(CGump* child) override;
    void OnChildPress(CGump* child) override;
    void OnChildEnter() override;
    void OnChildEscape() override;
    int GetToolTipId(int, int) override { return -1; }
    int IsCharCreationGump() override { return 1; }
    void HandleButtonPress(int id) override;

    int sex = 0;
    int hairIndex = 1;
    int hairItem = 8251;
    int facialIndex = 0;
    int facialItem = 0;
    int skinHue = 0, hairHue = 0, facialHue = 0, shirtHue = 0, pantsHue = 0;
    CInputControlGump* nameField = nullptr;
    CInputControlGump* hairField = nullptr;
    CInputControlGump* facialField = nullptr;
    CHueControl* pickers[5] = {};  // hair, facial hair, skin, shirt, pants
    CPanelChoiceGump* skinPanel = nullptr;
    CPanelChoiceGump* shirtPanel = nullptr;
    CPanelChoiceGump* pantsPanel = nullptr;
    CPanelChoiceGump* skirtPanel = nullptr;
    CPanelChoiceGump* hairPanel = nullptr;
    CPanelChoiceGump* facialPanel = nullptr;
    CButtonGump* maleButton = nullptr;
    CButtonGump* femaleButton = nullptr;
    CScrollChoiceGump* styleList = nullptr;
};

/** The hair styles: text, item graphic, male and female preview art (0 = none). */
struct HairStyle {
    const char* text;
    int item;
    int maleArt;
    int femaleArt;
};
extern const HairStyle kHairStyles[11];
extern const HairStyle kFacialHairStyles[8];

/** One start city of the map. */
struct CityPlace {
    const char* name;
    int x;
    int y;
};
extern const CityPlace kStartCities[9];

/** The start city map. */
class CCityChoiceGump : public CLoginScreenGump {
public:
    enum { kArrow = 1, kBack };
    CCityChoiceGump(CGump* owner, int mapArt);
    ~CCityChoiceGump() override;

    /** The offered city under a point, or -1. */
    int CityAt(int x, int y) const;
    bool Offered(int city) const;
    void Render();
    void ShowDescription();
    /** Gathers every chosen value, records the character and sends the create request. */
    void CreateStep();

    void OnMouseOver(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnMouseTick() override;
    void HandleButtonPress(int id) override;

    int mapArt = 5528;
    int selected = 2;
    int hover = 2;
    int lastPressed = 2;
    char cityName[64] = {};
    HTMLBox* description = nullptr;
    int pressed = 0;
    int clickCount = 0;
    uint32_t clickTime = 0;
    int pressX = 0, pressY = 0;
    int tickParity = 0;
};

/** City n's description from the "citytext" texts (entries up to ".END", joined by blank lines). */
std::u16string CityDescription(int city);
