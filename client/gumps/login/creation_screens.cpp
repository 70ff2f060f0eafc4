/** @file The character creation screens and the create step. */
#include "client/gumps/login/creation_screens.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/player_files.h"
#include "client/data/font_manager.h"
#include "client/data/gump_art.h"
#include "client/data/hue_manager.h"
#include "client/data/language_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/client_sock.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

/** Entry n of a language section as 8-bit text (characters above 255 become '?'); empty when missing. */
std::u16string sectionWideText(const char* section, int n)
{
    LanguageSection* s = LanguageManager::loadSection(section, LanguageManager::getUserLanguageCode(), section);
    if (s == nullptr)
        return {};
    const CUnicodeString* text = s->getStr(n, true);
    if (text == nullptr || text->GetStringBuffer() == nullptr)
        return {};
    return std::u16string(text->GetStringBuffer(), static_cast<size_t>(std::max(text->GetLength(), 0)));
}

std::string sectionText(const char* section, int n)
{
    std::string out;
    for (const char16_t c : sectionWideText(section, n))
        out.push_back(c < 256 ? static_cast<char>(c) : '?');
    return out;
}

/** A description beside the choices: a read-only text box in a light frame, in the screens' text hue. */
HTMLBox* makeDescriptionBox(CGump* owner, int x, int y, int w, int h, const std::u16string& text)
{
    auto* box = new HTMLBox(owner, 0, html_flags::ReadOnly | html_flags::LightFrame, false, true);
    box->SetText(text, HueTextColour(902));
    box->ResizeTo({x, y, x + w, y + h});
    return box;
}

std::string readProfessionFile()
{
    FILE* file = FileManager::open("prof.txt", "rb");
    if (file == nullptr) {
        KZReport::error("File:%s, Function:CApp::readConfig: cannot open file ''.\n", "ProfessionGump");
        return {};
    }
    std::string text;
    char buffer[4096];
    for (size_t n; (n = FileManager::read(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    FileManager::close(file);
    return text;
}

int artWidth(int art)
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(art, &w, &h);
    return w;
}

int artHeight(int art)
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(art, &w, &h);
    return h;
}

constexpr int kSliderX = 480;

} // namespace

// ---- Sliders --------------------------------------------------------------------------------

CSliderGump::CSliderGump(int x0, int y0, CGump* owner, int minimum, int maximum, int value)
{
    name = "slidergump";
    x = x0;
    y = y0;
    range = {minimum, maximum, value};
    const int w = artWidth(213) + 3 * artWidth(214) + artWidth(215);
    width = std::max(w, 101);
    height = std::max({artHeight(213), artHeight(216), 1});
    SetFrameCount(1);
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    int at = 0;
    DrawArtInto(*bitmap, 213, at, 0);
    at += artWidth(213);
    for (int i = 0; i < 3; ++i, at += artWidth(214))
        DrawArtInto(*bitmap, 214, at, 0);
    DrawArtInto(*bitmap, 215, at, 0);
    thumb = new CThumbGump(0, 0, this, 0, 96, 216);
    if (owner != nullptr)
        AttachToParent(owner);
    PlaceThumb();
}

void CSliderGump::PlaceThumb()
{
    if (thumb == nullptr || range.maximum <= 0)
        return;
    const int target = std::clamp(range.value * 96 / range.maximum, 0, 96);
    thumb->MoveBy(target - thumb->x, 0, true, nullptr, false);
}

void CSliderGump::OnThumbMove(int position, int, CGump*)
{
    const int value = std::clamp(range.minimum + position * (range.maximum - range.minimum) / 96, range.minimum,
                                 range.maximum);
    if (value == range.value)
        return;
    range.value = value;
    if (group != nullptr)
        group->SliderMoved(groupIndex, indexInGroup);
}

void CSliderGump::OnThumbRelease(int, int, CGump*)
{
    PlaceThumb();
}

// ---- Panels ---------------------------------------------------------------------------------

CPanelChoiceGump::CPanelChoiceGump(CGump* owner, int frame, int x0, int y0, int w, int h, const char* label,
                                   int textColour)
    : frameArt(frame), text(label), colour(textColour)
{
    name = "CPanelChoiceGump";
    x = x0;
    y = y0;
    width = w;
    height = h;
    SetFrameCount(1);
    MakeFrame(0, w, h);
    Render();
    if (owner != nullptr)
        AttachToParent(owner);
}

void CPanelChoiceGump::Render()
{
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr)
        return;
    std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
    DrawFrameInto(*bitmap, frameArt, 0, 0, width, height);
    DrawTextInto(*bitmap, 9, hovered != 0 ? 33 : colour != 0 ? colour : 902, 8, 8, text.c_str());
    CGumpManager::AddDirty(ScreenRect());
}

bool CPanelChoiceGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CPanelChoiceGump::OnMouseOver(int, int)
{
    if (hovered == 0) {
        hovered = 1;
        Render();
    }
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CPanelChoiceGump::OnMouseLeave()
{
    hovered = 0;
    Render();
    CGump::OnMouseLeave();
}

void CPanelChoiceGump::OnLButtonDown(int, int)
{
    if (CGump* owner = Parent())
        owner->OnChildChanged(this);
}

// ---- Professions ----------------------------------------------------------------------------

namespace {

/** A profession button: gump art 1417 with the profession's picture (or the one of no profession). */
class CProfessionButton : public CGump {
public:
    CProfessionButton(int x0, int y0, CProfessionGump* owner, int recordIndex, int pictureArt)
        : record(recordIndex), picture(pictureArt)
    {
        name = "profession button";
        x = x0;
        y = y0;
        width = std::max(artWidth(1417), 1);
        height = std::max(artHeight(1417), 1);
        SetFrameCount(1);
        MakeFrame(0, width, height);
        Render();
        AttachToParent(owner);
    }
    void Render()
    {
        GumpBitmap* bitmap = Frame(0);
        std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
        DrawArtInto(*bitmap, 1417, 0, 0);
        DrawArtInto(*bitmap, pressed != 0 ? picture + (record >= 0 ? 1 : 2) : picture, 9, 8);
        CGumpManager::AddDirty(ScreenRect());
    }
    bool HitTest(int px, int py) override { return visible != 0 && px >= 0 && py >= 0 && px < width && py < height; }
    void OnLButtonDown(int, int) override
    {
        pressed = 1;
        Render();
    }
    void OnLButtonUp(int, int) override
    {
        pressed = 0;
        if (MouseManager::Capture() == this)
            MouseManager::SetCapture(nullptr);
        Render();
        if (CGump* owner = Parent())
            owner->OnChildPress(this);
    }

    int record;
    int picture;
    int pressed = 0;
};

/** The skill choice list: choosing a row gives it to the profession gump. */
class CSkillScrollChoiceGump : public CScrollChoiceGump {
public:
    CSkillScrollChoiceGump(CProfessionGump* professionGump, int x0, int y0)
        : CScrollChoiceGump(professionGump, 3000, x0, y0, 200, 220, 0, 0, 0), profession(professionGump)
    {
        name = "SkillScrollChoice gump";
        listBottom = height - 25;
        columnTop = 0;
        columnBottom = height - 21;
        for (int skill : OfferedSkills())
            AddItem(skill, kProfessionSkillNames[skill], 0);
        RenderList();
    }
    void Choose(int index) override
    {
        visible = 0;
        pressed = 0;
        profession->ChooseSkillRow(index);
    }

    CProfessionGump* profession;
};

} // namespace

std::vector<int> OfferedSkills()
{
    std::vector<int> offered;
    for (int i = 0; i < 49; ++i) {
        const std::string_view skillName = kProfessionSkillNames[i];
        // Compared without regard to case; the data's names may be spelt with blanks.
        if (ProfessionSkillIndex(skillName) == ProfessionSkillIndex("Stealth") || skillName == "RemoveTrap" ||
            skillName == "Necromancy")
            continue;
        offered.push_back(i);
    }
    return offered;
}

CProfessionGump::CProfessionGump() : CProfessionGump(ParseProfessions(readProfessionFile())) {}

CProfessionGump::CProfessionGump(std::vector<ProfessionRecord> records)
    : CLoginScreenGump("profession gump", 0), professions(std::move(records))
{
    loginState().profession = this;
    build();
}

void CProfessionGump::build()
{
    AddLoginScreenButtons(this);
    AddArtButton(this, 200, 356, 4506, 4509, 4510, kPageBack);
    AddArtButton(this, 610, 445, 5540, 0, 5542, kArrow);
    AddArtButton(this, 586, 445, 5537, 0, 5539, kBack);
    static constexpr int kStatY[3] = {137, 167, 197};
    static constexpr int kStatStart[3] = {44, 11, 10};
    static constexpr int kSkillY[3] = {256, 289, 319};
    static constexpr int kSkillStart[3] = {50, 50, 0};
    for (int i = 0; i < 3; ++i) {
        stats[i] = new CSliderGump(kSliderX, kStatY[i], this, 10, 45, kStatStart[i]);
        stats[i]->group = this;
        stats[i]->groupIndex = 0;
        stats[i]->indexInGroup = i;
        skillSliders[i] = new CSliderGump(kSliderX, kSkillY[i], this, 0, 50, kSkillStart[i]);
        skillSliders[i]->group = this;
        skillSliders[i]->groupIndex = 1;
        skillSliders[i]->indexInGroup = i;
        skillFields[i] = new CInputControlGump(350, kSkillY[i], this, 105, 25, CInputControlGump::ModeText, 40, 1, 902, 0, 0, 0);
        skillFields[i]->SetText("Click here");
        skillFields[i]->visible = 0;
    }
    skillList = new CSkillScrollChoiceGump(this, 224, 214);
    skillList->visible = 0;
    ShowPage(-1);
}

CProfessionGump::~CProfessionGump()
{
    if (loginState().profession == this)
        loginState().profession = nullptr;
}

void CProfessionGump::ShowPage(int p)
{
    for (CInputControlGump* field : skillFields)
        field->visible = 0;
    statPage = 0;
    loginState().allCities = 0;
    for (CGump* button : pageButtons)
        CGumpManager::DestroyGump(button);
    pageButtons.clear();
    pageRecords.clear();
    current = p;
    auto addButton = [this](int record, int picture) {
        const int y0 = 100 + 79 * static_cast<int>(pageButtons.size());
        pageButtons.push_back(new CProfessionButton(480, y0, this, record, picture));
        pageRecords.push_back(record);
    };
    if (p < 0) {
        for (size_t i = 0; i < professions.size(); ++i)
            if (professions[i].topLevel)
                addButton(static_cast<int>(i), professions[i].gumpArt);
        addButton(-1, 5504);
    } else if (professions[static_cast<size_t>(p)].category) {
        for (const std::string& child : professions[static_cast<size_t>(p)].children) {
            const int at = FindProfession(professions, child);
            if (at < 0) {
                char text[256];
                std::snprintf(text, sizeof text,
                              "Couldn't find Profession %s in profession.txt.  Please insure that KZ is fully "
                              "installed on your computer.",
                              child.c_str());
                platform::showMessageBox("Profession Gump", text);
                break;
            }
            addButton(at, professions[static_cast<size_t>(at)].gumpArt);
        }
    } else {
        const ProfessionRecord& record = professions[static_cast<size_t>(p)];
        statPage = 1;
        stats[0]->range.value = std::clamp<int>(record.strength, 10, 45);
        stats[1]->range.value = std::clamp<int>(record.dexterity, 10, 45);
        stats[2]->range.value = std::clamp<int>(record.intelligence, 10, 45);
        for (size_t i = 0; i < 3 && i < record.skills.size(); ++i) {
            skillSliders[i]->range.value = std::clamp(record.skills[i].second, 0, 50);
            chosenSkills[i] = std::max(record.skills[i].first, 0);
        }
        for (int i = 0; i < 3; ++i) {
            stats[i]->PlaceThumb();
            skillSliders[i]->PlaceThumb();
        }
    }
    if (description != nullptr)
        CGumpManager::DestroyGump(description);
    description = nullptr;
    if (p >= 0)
        description = makeDescriptionBox(this, 120, 137, 219, 214,
                                         sectionWideText("professn", professions[static_cast<size_t>(p)].descriptionId + 1));
    StoreValues();
    Render();
}

void CProfessionGump::Render()
{
    GumpBitmap& bitmap = Bitmap();
    std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), 0);
    TileArtInto(bitmap, 3604);
    DrawFrameInto(bitmap, 2600, 80, 80, 546, 352);
    DrawArtInto(bitmap, 1419, 145, 57);
    DrawArtInto(bitmap, 1417, 222, 44);
    const bool showSliders = statPage != 0;
    for (int i = 0; i < 3; ++i) {
        stats[i]->visible = showSliders ? 1 : 0;
        skillSliders[i]->visible = showSliders ? 1 : 0;
    }
    if (showSliders) {
        static constexpr const char* kStatNames[3] = {"Strength", "Dexterity", "Intelligence"};
        static constexpr int kStatY[3] = {146, 176, 206};
        static constexpr int kSkillY[3] = {270, 303, 333};
        char number[16];
        for (int i = 0; i < 3; ++i) {
            DrawTextInto(bitmap, 1, 1, 360, kStatY[i], kStatNames[i]);
            std::snprintf(number, sizeof number, "%d", stats[i]->range.value);
            DrawTextInto(bitmap, 1, 1, 460, kStatY[i], number);
            if (skillFields[i]->visible == 0)
                DrawTextInto(bitmap, 1, 1, 360, kSkillY[i], kProfessionSkillNames[chosenSkills[i]]);
            std::snprintf(number, sizeof number, "%d", skillSliders[i]->range.value);
            DrawTextInto(bitmap, 1, 1, 460, kSkillY[i], number);
        }
    }
    for (size_t k = 0; k < pageButtons.size(); ++k) {
        const int record = pageRecords[k];
        const std::string label =
            sectionText("professn", record >= 0 ? professions[static_cast<size_t>(record)].descriptionId + 1 : 0);
        DrawWrappedTextInto(bitmap, 1, 902, pageButtons[k]->x - 145, pageButtons[k]->y + 30, 145, label.c_str());
    }
    const int picture = current >= 0 ? professions[static_cast<size_t>(current)].gumpArt : 5504;
    DrawArtInto(bitmap, picture, 231, 51);
    Redraw();
}

void CProfessionGump::ChooseButton(int record)
{
    if (record < 0) {
        ChooseNoProfession();
        return;
    }
    previous = current;
    ShowPage(record);
}

void CProfessionGump::ChooseNoProfession()
{
    loginState().allCities = 1;
    for (CGump* button : pageButtons)
        CGumpManager::DestroyGump(button);
    pageButtons.clear();
    pageRecords.clear();
    statPage = 1;
    for (int i = 0; i < 3; ++i) {
        skillFields[i]->visible = 1;
        skillFields[i]->SetText("Click here");
        chosenSkills[i] = 0;
    }
    if (description != nullptr)
        CGumpManager::DestroyGump(description);
    description = makeDescriptionBox(this, 120, 137, 219, 214, sectionWideText("professn", 0));
    StoreValues();
    Render();
}

void CProfessionGump::SliderMoved(int group, int index)
{
    CSliderGump** sliders = group == 0 ? stats : skillSliders;
    SliderValue values[3] = {sliders[0]->range, sliders[1]->range, sliders[2]->range};
    const int total = group == 0 ? 65 : 100;
    RebalanceSliders(values, index, total, total);
    for (int i = 0; i < 3; ++i) {
        sliders[i]->range = values[i];
        if (i != index)
            sliders[i]->PlaceThumb();
    }
    StoreValues();
    Render();
}

void CProfessionGump::ChooseSkillRow(int row)
{
    const std::vector<int> offered = OfferedSkills();
    if (openField < 0 || row < 0 || row >= static_cast<int>(offered.size()))
        return;
    const int skill = offered[static_cast<size_t>(row)];
    chosenSkills[openField] = skill;
    skillFields[openField]->value = skill;
    skillFields[openField]->SetText(kProfessionSkillNames[skill]);
    openField = -1;
    StoreValues();
    Render();
}

void CProfessionGump::StoreValues()
{
    NewCharacter& c = newCharacter();
    for (int i = 0; i < 3; ++i) {
        c.skill[i] = static_cast<uint8_t>(chosenSkills[i]);
        c.skillValue[i] = static_cast<uint8_t>(skillSliders[i]->range.value);
    }
    c.strength = static_cast<uint8_t>(std::max(stats[0]->range.value, 10));
    c.dexterity = static_cast<uint8_t>(std::max(stats[1]->range.value, 10));
    c.intelligence = static_cast<uint8_t>(std::max(stats[2]->range.value, 10));
}

void CProfessionGump::OnChildPress(CGump* child)
{
    for (size_t k = 0; k < pageButtons.size(); ++k)
        if (pageButtons[k] == child) {
            ChooseButton(pageRecords[k]);
            return;
        }
    for (int i = 0; i < 3; ++i)
        if (skillFields[i] == child && child->visible != 0) {
            openField = i;
            skillList->visible = 1;
            skillList->BringToFront(true);
            CGumpManager::AddDirty(skillList->ScreenRect());
        }
}

void CProfessionGump::OnChildChanged(CGump*) {}

void CProfessionGump::HandleButtonPress(int id)
{
    switch (id) {
    case kPageBack:
        ShowPage(current >= 0 ? professions[static_cast<size_t>(current)].parent : -1);
        break;
    case kArrow:
        if (chosenSkills[0] != chosenSkills[1] && chosenSkills[0] != chosenSkills[2] &&
            chosenSkills[1] != chosenSkills[2]) {
            visible = 0;
            StoreValues();
            if (CCharCreationGump* creation = loginState().creation)
                creation->visible = 1;
            else
                (new CCharCreationGump())->AttachToParent(nullptr);
        } else {
            visible = 0;
            ShowLoginMessage("You must have three unique skills chosen!", this, 1);
        }
        break;
    case kBack: {
        CLoginGump* screen = loginState().characterScreen;
        if (screen != nullptr && screen->count > 0) {
            screen->visible = 1;
        } else {
            if (CClientSock* main = ActiveConnection())
                main->Close();
            if (ConnectWithProgress(screen))
                SendAccountLoginWithProgress(loginState().accountName, loginState().password);
        }
        CGumpManager::DestroyGump(this);
        loginState().profession = nullptr;
        if (CCharCreationGump* creation = loginState().creation) {
            CGumpManager::DestroyGump(creation);
            loginState().creation = nullptr;
        }
        break;
    }
    default:
        CLoginScreenGump::HandleButtonPress(id);
    }
}

// ---- Appearance -----------------------------------------------------------------------------

const HairStyle kHairStyles[11] = {
    {"NONE", 0, 0, 0},          {"Short", 8251, 1875, 1847},    {"Long", 8252, 1876, 1842},
    {"Pony Tail", 8253, 1879, 1845}, {"Mohawk", 8260, 1877, 1843}, {"Pageboy", 8261, 1871, 1844},
    {"Topknot", 8266, 1874, 1840}, {"Curly", 8263, 1873, 1839},   {"Receding", 8264, 1880, 1846},
    {"2 Tails", 8265, 1870, 1836}, {"Buns", 8262, 0, 1841},
};

const HairStyle kFacialHairStyles[8] = {
    {"NONE", 0, 0, 0},          {"Goatee", 8256, 1881, 0},       {"Long beard", 8254, 1883, 0},
    {"Short beard", 8255, 1885, 0}, {"Moustache", 8257, 1884, 0}, {"Short beard/moustache", 8267, 1886, 0},
    {"Long beard/moustache", 8268, 1882, 0}, {"Vandyke", 8269, 1887, 0},
};

CCharCreationGump::CCharCreationGump() : CLoginScreenGump("CharCreation gump", 1260)
{
    loginState().creation = this;
    nameField = new CInputControlGump(250, 63, this, 210, 30, CInputControlGump::ModeText, 16, 5, 902, 1, 0, 0);
    nameField->leftMargin = 7;
    nameField->topMargin = 2;
    nameField->toolTipOverride = 100043;
    nameField->SetHighlighted(1);
    static constexpr int kKinds[5] = {1, 2, 0, 3, 4};
    static constexpr int kTips[5] = {100035, 100037, 100039, 100040, 100041};
    for (int i = 0; i < 5; ++i) {
        pickers[i] = new CHueControl(489, 138, 125, 280, kKinds[i], this, 0, 0);
        pickers[i]->visible = 0;
        pickers[i]->toolTipOverride = kTips[i];
    }
    hairHue = pickers[0]->selectedValue;
    facialHue = pickers[1]->selectedValue;
    skinHue = pickers[2]->selectedValue;
    shirtHue = pickers[3]->selectedValue;
    pantsHue = pickers[4]->selectedValue;
    hairField = new CInputControlGump(97, 154, this, 121, 24, CInputControlGump::ModeText, 40, 9, 902, 0, 0, 0);
    hairField->toolTipOverride = 100036;
    facialField = new CInputControlGump(97, 199, this, 121, 24, CInputControlGump::ModeText, 40, 1, 902, 0, 0, 0);
    facialField->toolTipOverride = 100037;
    skinPanel = new CPanelChoiceGump(this, 3500, 490, 140, 130, 40, "Skin Tone", 1153);
    shirtPanel = new CPanelChoiceGump(this, 3500, 490, 185, 130, 40, "Shirt Color", 1153);
    pantsPanel = new CPanelChoiceGump(this, 3500, 490, 230, 130, 40, "Pants Color", 1153);
    skirtPanel = new CPanelChoiceGump(this, 3500, 490, 230, 130, 40, "Skirt Color", 1153);
    skirtPanel->visible = 0;
    hairPanel = new CPanelChoiceGump(this, 3500, 490, 275, 130, 40, "Hair Color", 1153);
    facialPanel = new CPanelChoiceGump(this, 3500, 490, 320, 130, 40, "Facial Hair Color", 1153);
    skinPanel->toolTipOverride = 100039;
    shirtPanel->toolTipOverride = 100040;
    pantsPanel->toolTipOverride = 100041;
    skirtPanel->toolTipOverride = 100042;
    hairPanel->toolTipOverride = 100035;
    facialPanel->toolTipOverride = 100037;
    maleButton = AddArtButton(this, 310, 408, 1808, 1809, 1810, kMale, 100038);
    femaleButton = AddArtButton(this, 310, 408, 1805, 1806, 1807, kFemale, 100038);
    femaleButton->visible = 0;
    AddArtButton(this, 610, 445, 5540, 5541, 5542, kArrow, 100045);
    AddArtButton(this, 586, 445, 5537, 5538, 5539, kBack, 100044);
    AddLoginScreenButtons(this);
    CGumpManager::SetFocus(nameField);
    DrawPreview();
}

CCharCreationGump::~CCharCreationGump()
{
    if (loginState().creation == this)
        loginState().creation = nullptr;
}

void CCharCreationGump::DrawPreview()
{
    GumpBitmap& bitmap = Bitmap();
    std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), 0);
    if (artWidth(1889 - sex) <= 0)
        return;
    TileArtInto(bitmap, 3604);
    DrawFrameInto(bitmap, 3600, 82, 125, 151, 310);
    DrawFrameInto(bitmap, 3600, 475, 125, 151, 310);
    DrawArtInto(bitmap, 1800, 238, 98);
    DrawArtInto(bitmap, 1801, 280, 53);
    DrawArtInto(bitmap, 1802, 240, 73);
    DrawArtInto(bitmap, 1803, 247, 73);
    DrawArtInto(bitmap, 1804, 463, 73);
    DrawTextInto(bitmap, 9, 1153, 97, 140, "Hair Style");
    if (sex == 0)
        DrawTextInto(bitmap, 9, 1153, 97, 185, "Facial Hair Style");
    const int px = 238, py = 98;
    DrawHuedArtInto(bitmap, sex == 0 ? 1889 : 1888, px, py, skinHue);
    DrawArtInto(bitmap, sex == 0 ? 1890 : 1891, px, py);
    DrawHuedArtInto(bitmap, sex == 0 ? 1848 : 1892, px, py, pantsHue);
    DrawHuedArtInto(bitmap, sex == 0 ? 1849 : 1812, px, py, shirtHue);
    if (hairItem != 0) {
        for (const HairStyle& style : kHairStyles)
            if (style.item == hairItem) {
                const int art = sex == 0 ? style.maleArt : style.femaleArt;
                if (art != 0)
                    DrawHuedArtInto(bitmap, art, px, py, hairHue);
            }
    }
    if (sex == 0 && facialItem != 0) {
        for (const HairStyle& style : kFacialHairStyles)
            if (style.item == facialItem)
                DrawHuedArtInto(bitmap, style.maleArt, px, py, facialHue);
    }
    const int bars[5] = {skinHue, shirtHue, pantsHue, hairHue, facialHue};
    static constexpr int kBarY[5] = {154, 199, 244, 289, 334};
    for (int i = 0; i < (sex == 0 ? 5 : 4); ++i) {
        const HueEntry* hue = HueManager::GetHue(bars[i] + 1);
        FillInto(bitmap, 490, kBarY[i], 121, 24, hue != nullptr && hue->colors[16] != 0 ? hue->colors[16] : 1);
    }
    hairField->value = hairIndex;
    hairField->SetText(kHairStyles[hairIndex].text);
    facialField->value = facialIndex;
    facialField->SetText(kFacialHairStyles[facialIndex].text);
    Redraw();
}

void CCharCreationGump::ToggleSex()
{
    sex = sex == 0 ? 1 : 0;
    const bool male = sex == 0;
    maleButton->visible = male ? 1 : 0;
    femaleButton->visible = male ? 0 : 1;
    if (male && hairIndex == 10) {
        hairIndex = 0;
        hairItem = 0;
    }
    facialField->visible = male ? 1 : 0;
    facialPanel->visible = male ? 1 : 0;
    pantsPanel->visible = male ? 1 : 0;
    skirtPanel->visible = male ? 0 : 1;
    DrawPreview();
}

void CCharCreationGump::OnChildChanged(CGump* child)
{
    for (int i = 0; i < 5; ++i) {
        if (child != pickers[i])
            continue;
        int* hues[5] = {&hairHue, &facialHue, &skinHue, &shirtHue, &pantsHue};
        *hues[i] = pickers[i]->selectedValue;
        DrawPreview();
        return;
    }
    CHueControl* show = nullptr;
    if (child == hairPanel)
        show = pickers[0];
    else if (child == facialPanel && sex == 0)
        show = pickers[1];
    else if (child == skinPanel)
        show = pickers[2];
    else if (child == shirtPanel)
        show = pickers[3];
    else if (child == pantsPanel || child == skirtPanel)
        show = pickers[4];
    if (show != nullptr) {
        for (CHueControl* picker : pickers)
            picker->visible = picker == show ? 1 : 0;
        show->DrawSwatches();
        show->BringToFront(true);
        Redraw();
        return;
    }
    if (child == hairField) {
        hairIndex = std::clamp(hairField->value, 0, sex == 0 ? 9 : 10);
        hairItem = kHairStyles[hairIndex].item;
        DrawPreview();
    } else if (child == facialField) {
        facialIndex = std::clamp(facialField->value, 0, 7);
        facialItem = kFacialHairStyles[facialIndex].item;
        DrawPreview();
    }
}

void CCharCreationGump::OnChildPress(CGump* child)
{
    if (child == hairField || child == facialField)
        OnDropDown(child);
}

void CCharCreationGump::OnDropDown(CGump* child)
{
    if (styleList != nullptr && IsLiveGump(styleList))
        CGumpManager::DestroyGump(styleList);
    const bool hair = child == hairField;
    auto* field = static_cast<CInputControlGump*>(child);
    const int count = hair ? (sex == 0 ? 10 : 11) : 8;
    styleList = new CScrollChoiceGump(this, 3000, field->x + (hair ? 0 : 3), field->y, hair ? 130 : 170, 240, 0, 0, 0);
    styleList->font = 1;
    for (int i = 0; i < count; ++i)
        styleList->AddItem(i, hair ? kHairStyles[i].text : kFacialHairStyles[i].text, 0);
    styleList->target = field;
    styleList->RenderList();
}

void CCharCreationGump::OnChildEnter()
{
    NameCheck();
}

void CCharCreationGump::OnChildEscape()
{
    HandleButtonPress(kBack);
}

void CCharCreationGump::NameCheck()
{
    const std::string characterName = nameField->Text();
    if (characterName.size() <= 1) {
        visible = 0;
        ShowLoginMessage("Your character name is too short.", this, 1);
        return;
    }
    if (IsUnacceptableCharacterName(characterName.c_str()) != 0) {
        visible = 0;
        ShowLoginMessage("Unacceptable name.", this, 1);
        return;
    }
    visible = 0;
    CopyConfigText(loginState().characterName, characterName.c_str());
    if (loginState().city == nullptr) {
        auto* city = new CCityChoiceGump(this, 5528);
        city->AttachToParent(nullptr);
        AddLoginScreenButtons(city);
    } else {
        loginState().city->visible = 1;
    }
}

void CCharCreationGump::HandleButtonPress(int id)
{
    switch (id) {
    case kMale:
    case kFemale:
        ToggleSex();
        break;
    case kArrow:
        NameCheck();
        break;
    case kBack:
        if (CProfessionGump* profession = loginState().profession)
            profession->visible = 1;
        else
            (new CProfessionGump())->AttachToParent(nullptr);
        visible = 0;
        break;
    default:
        CLoginScreenGump::HandleButtonPress(id);
    }
}

// ---- Start city -----------------------------------------------------------------------------

const CityPlace kStartCities[9] = {
    {"Viz", 101, 143},      {"Kovaru", 247, 96},  {"Dizivud", 173, 203},    {"Roverozi", 335, 160}, {"Tezulor", 200, 307},
    {"Mavizeda", 335, 252}, {"Zoruvad", 161, 396}, {"Vavuz Odor", 99, 247}, {"Vedozi", 277, 133},
};

std::u16string CityDescription(int city)
{
    std::u16string out;
    int text = 0;
    bool first = true;
    LanguageSection* s = LanguageManager::loadSection("citytext", LanguageManager::getUserLanguageCode(), "citytext");
    const int count = s != nullptr ? s->getCount() : 0;
    for (int i = 0; i < count && text <= city; ++i) {
        const std::u16string entry = sectionWideText("citytext", i);
        if (entry == u".END") {
            ++text;
            first = true;
            continue;
        }
        if (text != city)
            continue;
        if (!first)
            out += u"\n\n";
        out += entry;
        first = false;
    }
    return out;
}

CCityChoiceGump::CCityChoiceGump(CGump*, int art) : CLoginScreenGump("map gump", art), mapArt(art)
{
    loginState().city = this;
    CopyConfigText(cityName, kStartCities[selected].name);
    AddArtButton(this, 610, 445, 5540, 5541, 5542, kArrow);
    AddArtButton(this, 586, 445, 5537, 5538, 5539, kBack);
    ShowDescription();
    Render();
}

CCityChoiceGump::~CCityChoiceGump()
{
    if (loginState().city == this)
        loginState().city = nullptr;
}

bool CCityChoiceGump::Offered(int city) const
{
    return loginState().allCities != 0 ? city >= 0 && city <= 8 : city >= 1 && city <= 4;
}

int CCityChoiceGump::CityAt(int px, int py) const
{
    for (int i = 0; i < 9; ++i) {
        if (!Offered(i))
            continue;
        int32_t w = 0, h = 0, baseline = 0;
        FontManager::GetStringExtent(3, kStartCities[i].name, &w, &h, &baseline);
        const CityPlace& c = kStartCities[i];
        if (px >= c.x && px <= c.x + w && py >= c.y - h && py <= c.y + h)
            return i;
    }
    return -1;
}

void CCityChoiceGump::Render()
{
    GumpBitmap& bitmap = Bitmap();
    std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), 0);
    TileArtInto(bitmap, 3604);
    DrawArtInto(bitmap, mapArt, 57, 49);
    DrawArtInto(bitmap, 5536, 0, 4);
    for (int i = 0; i < 9; ++i) {
        if (!Offered(i))
            continue;
        const CityPlace& c = kStartCities[i];
        DrawArtInto(bitmap, i == selected ? 1210 : 1209, i == 3 ? c.x + 60 : c.x, c.y);
        const int colour = i == selected ? 1153 : i == hover ? 153 : 88;
        const BlitRect clip{0, 0, bitmap.width, bitmap.height};
        FontManager::DrawStringBufEllips(c.x, c.y, 3, colour, c.name,
                                         PixelSurface{bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height},
                                         clip);
    }
    Redraw();
}

void CCityChoiceGump::ShowDescription()
{
    if (description != nullptr)
        CGumpManager::DestroyGump(description);
    description = makeDescriptionBox(this, 452, 60, 173, 367, CityDescription(selected));
}

void CCityChoiceGump::OnMouseOver(int px, int py)
{
    const int city = CityAt(px, py);
    MouseManager::SetCursor(MouseManager::kNormalCursor);
    if (city != hover) {
        hover = city;
        Render();
    }
}

void CCityChoiceGump::OnLButtonDown(int px, int py)
{
    const int city = CityAt(px, py);
    if (city >= 0 && city != selected) {
        CopyConfigText(cityName, kStartCities[city].name);
        selected = city;
        hover = city;
        ShowDescription();
    }
    if (city >= 0)
        lastPressed = city;
    Render();
    pressX = px;
    pressY = py;
    BringToFront(true);
    const uint32_t now = tickNow();
    if (clickCount == 1 && now - clickTime < MouseManager::DoubleClickTime()) {
        clickCount = 2;
    } else {
        clickCount = 1;
        clickTime = now;
    }
    pressed = 1;
    tickParity = 0;
}

void CCityChoiceGump::OnLButtonUp(int, int)
{
    pressed = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (clickCount == 2) {
        clickCount = 0;
        CreateStep();
    }
}

void CCityChoiceGump::OnMouseTick()
{
    if (pressed != 0 && ++tickParity % 2 == 0) {
        const int city = CityAt(pressX, pressY);
        if (city >= 0 && city != selected) {
            selected = city;
            CopyConfigText(cityName, kStartCities[city].name);
            ShowDescription();
            Render();
        }
    }
    if (clickCount == 1 && tickNow() - clickTime >= MouseManager::DoubleClickTime())
        clickCount = 0;
}

void CCityChoiceGump::HandleButtonPress(int id)
{
    switch (id) {
    case kArrow:
        CreateStep();
        break;
    case kBack:
        if (CCharCreationGump* creation = loginState().creation)
            creation->visible = 1;
        visible = 0;
        CGumpManager::DestroyGump(this);
        loginState().city = nullptr;
        break;
    default:
        CLoginScreenGump::HandleButtonPress(id);
    }
}

void CCityChoiceGump::CreateStep()
{
    NewCharacter& c = newCharacter();
    LoginState& state = loginState();
    if (CCharCreationGump* creation = state.creation) {
        c.sex = static_cast<uint8_t>(creation->sex);
        c.skinHue = static_cast<uint16_t>(creation->skinHue + 1);
        c.hairItem = static_cast<uint16_t>(creation->hairItem);
        c.hairHue = static_cast<uint16_t>(creation->hairHue + 1);
        c.facialHairItem = static_cast<uint16_t>(creation->sex == 0 ? creation->facialItem : 0);
        c.facialHairHue = static_cast<uint16_t>(creation->facialHue + 1);
        c.pantsHue = static_cast<uint16_t>(creation->pantsHue + 1);
        c.shirtHue = static_cast<uint16_t>(creation->shirtHue + 1);
    }
    if (CProfessionGump* profession = state.profession)
        profession->StoreValues();
    const LoginScreenLists& lists = screenLists();
    const size_t n = static_cast<size_t>(std::max(selected, 0));
    c.startLocation = lists.haveCities ? (n < lists.cityIndexes.size() ? lists.cityIndexes[n] : 255) : 255;
    int slot = 0;
    if (CLoginGump* screen = state.characterScreen) {
        for (slot = 0; slot < 5; ++slot)
            if (std::find(std::begin(screen->keys), std::begin(screen->keys) + screen->count, slot) ==
                std::begin(screen->keys) + screen->count)
                break;
    }
    slot = std::min(slot, 4);
    c.slot = static_cast<uint8_t>(slot);
    state.loginSlot = slot;
    std::memset(state.slotNames[slot], 0, sizeof state.slotNames[slot]);
    std::strncpy(state.slotNames[slot], state.characterName, sizeof state.slotNames[slot] - 1);
    state.valuePair[0] = 90;
    state.valuePair[1] = 549;
    CopyConfigText(PlayerName, state.characterName);
    saveConfigDirective(CFG_PlayerName, state.characterName);
    if (RememberAcctPW != 0) {
        char stored[32];
        CopyConfigText(stored, state.characterPassword);
        EncodeStoredPassword(stored);
        saveConfigDirective(CFG_Password, stored);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", slot);
    DefaultChar = slot;
    saveConfigDirective(CFG_DefaultChar, text);
    RequestCreateCharacter();
}
