/** @file The options store: settings by name for the options window and the desktop, the option block of kz.cfg, the censor and the file-name cleaner. */
#include "client/core/options.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/input_services.h"
#include "client/core/kz_report.h"
#include "client/core/media_services.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"

#include <cstdio>
#include <cstring>
#include <vector>

uint8_t RestartNeededFlag;

namespace {

struct BoolOption {
    const char* name;
    uint8_t* value;
    uint8_t defaultValue;
};

struct RestartOption {
    const char* name;
    uint8_t* live;
    uint8_t defaultValue;
    uint8_t pending;
    uint8_t pendingValue;
};

struct ColorOption {
    const char* name;
    int32_t* value;
    int32_t defaultValue;
    bool isHue;
};

struct NumberOption {
    const char* name;
    int32_t* value;
    int32_t defaultValue;
};

struct TextOption {
    const char* name;
    char* text;
    size_t capacity;
    const char* defaultText;
};

BoolOption boolOptions[] = {
    {"Sound", &Sound, 1}, {"Music", &Music, 1}, {"Footsteps", &Footsteps, 1},
    {"AllowPathfind", &AllowPathfind, 1}, {"HoldTabForCombat", &HoldTabForCombat, 1},
    {"OffsetGumps", &OffsetGumps, 1}, {"AutoArrangeMinimized", &AutoArrangeMinimized, 1},
    {"AssumePlayAsGhost", &AssumePlayAsGhost, 0}, {"UseCircleTrans", &UseCircleTrans, 0},
    {"ScaleBarkTimes", &ScaleBarkTimes, 1}, {"FrameSkipping", &FrameSkipping, 0},
    {"NotorietyQuery", &NotorietyQuery, 1}, {"ShowIntroAnim", &ShowIntroAnim, 0},
    {"OrderCacheOnStartup", &OrderCacheOnStartup, 0}, {"SaveJournal", &SaveJournal, 0},
    {"JournalSaveUnicode", &JournalSaveUnicode, 0}, {"RememberAcctPW", &RememberAcctPW, 0},
    {"GlobalQueue", &GlobalQueue, 0}, {"FilterPWOn", &FilterPWOn, 0},
    {"ObscenityFilter", &ObscenityFilter, 1}, {"FullScreen", &FullScreen, 0},
    {"UseToolTips", &UseToolTips, 1}, {"PopupHelpEnabled", &PopupHelpEnabled, 1},
    {"PopupHelpSticky", &PopupHelpSticky, 0}, {"PopupHelpPersistant", &PopupHelpPersistant, 1},
    {"TranslationServer", &TranslationServer, 0},
    {"TranslationServerAutomatic", &TranslationServerAutomatic, 1},
    {"ColoredLighting", &ColoredLighting, 1}, {"ShadedFonts", &ShadedFonts, 0},
    {"ShowIncomingNames", &ShowIncomingNames, 1}, {"StatReport", &StatReport, 1},
    {"DarkNights", &DarkNights, 0}, {"AlwaysRun", &AlwaysRun, 0},
    {"NewbieDesktop", &NewbieDesktop, 0}, {"TreeCanopies", &TreeCanopies, 0},
    {"Desolation", &Desolation, 1}, {"CombatMusic", &CombatMusic, 1},
};

RestartOption restartOptions[] = {
    {"Sound8Bit", &Sound8Bit, 0, 0, 0}, {"ReverseSpeakers", &ReverseSpeakers, 0, 0, 0},
    {"UnicodeSpeech", &UnicodeSpeech, 0, 0, 0}, {"MouseThread", &MouseThread, 1, 0, 0},
    {"PageFlip", &PageFlip, 1, 0, 0}, {"GDIFullScreen", &GDIFullScreen, 0, 0, 0},
    {"Use565", &use565, 0, 0, 0}, {"EnableMessenger", &EnableMessenger, 1, 0, 0},
    {"KZMessengerPing", &KZMessengerPing, 1, 0, 0},
};

ColorOption colorOptions[] = {
    {"ChatColorInput", &ChatColorInput, 0x7BDE, false},
    {"ChatColorMenuOption", &ChatColorMenuOption, 0x7FE0, false},
    {"ChatColorName", &ChatColorName, 0x3DE0, false},
    {"ChatColorText", &ChatColorText, 0x7FE0, false},
    {"ChatColorMutedName", &ChatColorMutedName, 0x000F, false},
    {"ChatColorMutedText", &ChatColorMutedText, 0x001F, false},
    {"ChatColorOpsName", &ChatColorOpsName, 0x3C0F, false},
    {"ChatColorOpsText", &ChatColorOpsText, 0x7C1F, false},
    {"ChatColorSelfName", &ChatColorSelfName, 0x3DEF, false},
    {"ChatColorSelfText", &ChatColorSelfText, 0x7FFF, false},
    {"ChatColorSystemMessage", &ChatColorSystemMessage, 0x03E0, false},
    {"ChatColorTextBackground", &ChatColorTextBackground, 0, false},
    {"ChatColorInputBackground", &ChatColorInputBackground, 0, false},
    {"ChatColorUserListBackground", &ChatColorUserListBackground, 0, false},
    {"ChatColorConferenceMenuBackground", &ChatColorConferenceMenuBackground, 0x0C63, false},
    {"ChatColorCommandMenuBackground", &ChatColorCommandMenuBackground, 0x0C63, false},
    {"ChatColorDialogBackground", &ChatColorDialogBackground, 0, false},
    {"ToolTipTextColor", &ToolTipTextColor, 0x7FFF, false},
    {"PopupHelpTextColor", &PopupHelpTextColor, 0x7FFF, false},
    {"HighlightColorInnocent", &HighlightHueTable[kNotorietyInnocent], 89, true},
    {"HighlightColorFriend", &HighlightHueTable[kNotorietyFriend], 63, true},
    {"HighlightColorCanAttack", &HighlightHueTable[kNotorietyCanAttack], 946, true},
    {"HighlightColorCriminal", &HighlightHueTable[kNotorietyCriminal], 946, true},
    {"HighlightColorEnemy", &HighlightHueTable[kNotorietyEnemy], 144, true},
    {"HighlightColorMurderer", &HighlightHueTable[kNotorietyMurderer], 34, true},
    {"PartyMessageColor", &PartyMessageColor, 144, true},
};

NumberOption numberOptions[] = {
    {"SkillReportDiff", &SkillReportDiff, 1}, {"SoundVol", &SoundVol, 255},
    {"MusicVol", &MusicVol, 255}, {"BarkTimeModifier", &BarkTimeModifier, 100},
    {"CircleTransRadius", &CircleTransRadius, 64}, {"ToolTipPreDelay", &ToolTipPreDelay, 1000},
    {"PopupHelpPreDelay", &PopupHelpPreDelay, 1000},
};

NumberOption fontOptions[] = {
    {"ChatFontNumber", &ChatFontNumber, 2}, {"BarkFontNumber", &BarkFontNumber, 0},
    {"PopupHelpTextFont", &PopupHelpTextFont, 1}, {"ToolTipFont", &ToolTipFont, 1},
};

TextOption textOptions[] = {
    {"FullScreenRes", FullScreenRes, sizeof FullScreenRes, "640x480"},
    {"GamePlayWindowSize", GamePlayWindowSize, sizeof GamePlayWindowSize, "640x480"},
    {"Language", Language, sizeof Language, "English"},
};

const char* const kSeparator = ";------------------------------";
const char* const kPseudoColors[] = {"%SpeechHue", "%EmoteHue", "%PartyMessageColor"};

/** Option names are ASCII; a 16-bit name is compared unit by unit through this narrow copy. */
std::string narrow(const WideChar* name)
{
    std::string out;
    if (name == nullptr) return out;
    for (; *name != 0; ++name) out += *name < 0x80 ? static_cast<char>(*name) : '\x7F';
    return out;
}

std::u16string widen(const char* text)
{
    std::u16string out;
    if (text == nullptr) return out;
    for (; *text != 0; ++text) out += static_cast<WideChar>(static_cast<unsigned char>(*text));
    return out;
}

template <typename Row, size_t N>
Row* findOption(Row (&table)[N], std::string_view name)
{
    for (Row& row : table)
        if (std::string_view(row.name).starts_with(name)) return &row;
    return nullptr;
}

/** The value, or the default, of a number or font option; 0 for a name the table does not hold. */
template <size_t N>
int32_t valueOf(NumberOption (&table)[N], const char* name)
{
    const NumberOption* o = findOption(table, name != nullptr ? name : "");
    return o != nullptr ? *o->value : 0;
}
template <size_t N>
int32_t defaultOf(NumberOption (&table)[N], const char* name)
{
    const NumberOption* o = findOption(table, name != nullptr ? name : "");
    return o != nullptr ? o->defaultValue : 0;
}

RestartOption* findRestartOption(std::string_view name)
{
    if (name.empty() || name.back() != '$') return nullptr;
    return findOption(restartOptions, name.substr(0, name.size() - 1));
}

uint8_t effective(const RestartOption& o) { return o.pending ? o.pendingValue : *o.live; }

int pseudoColorIndex(std::string_view name)
{
    for (int i = 0; i < 3; ++i)
        if (name == kPseudoColors[i]) return i;
    return -1;
}

void liveChanged()
{
    if (configHooks().liveSettingsChanged) configHooks().liveSettingsChanged();
}

int slotIndex() { return DefaultChar >= 0 && DefaultChar < kCharDataSlots ? DefaultChar : 0; }

/** True for a key of the option block: the separator, an option name's prefix, a pseudo-option. */
bool isOptionKey(std::string_view key)
{
    if (key.empty()) return false;
    if (key == kSeparator || pseudoColorIndex(key) >= 0) return true;
    if (findOption(boolOptions, key) || findOption(restartOptions, key) || findRestartOption(key)) return true;
    return findOption(colorOptions, key) || findOption(numberOptions, key) || findOption(fontOptions, key) ||
           findOption(textOptions, key);
}

bool isPasswordLine(std::string_view line)
{
    return line.starts_with("AcctPassword") || line.starts_with("RememberAcctPW") || line.starts_with("NumPassTries");
}

/**
 * The rewritten file: the kept lines of the old one, the separator and the option block.
 * dropPasswords also leaves the password lines and the RememberAcctPW option out.
 */
std::string buildOptionFile(const std::string& old, bool dropPasswords)
{
    std::vector<std::string_view> kept;
    size_t pos = 0;
    while (pos < old.size()) {
        const size_t lf = old.find('\n', pos);
        std::string_view line(old.data() + pos, (lf == std::string::npos ? old.size() : lf) - pos);
        pos = lf == std::string::npos ? old.size() : lf + 1;
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (isOptionKey(ConfigLineKey(line))) continue;
        if (dropPasswords && isPasswordLine(line)) continue;
        kept.push_back(line);
    }
    while (!kept.empty() && kept.back().empty()) kept.pop_back();

    std::string out;
    for (std::string_view line : kept) {
        out += line;
        out += "\r\n";
    }
    out += kSeparator;
    out += "\r\n";
    char line[512];
    auto add = [&](const char* name, const char* value) {
        std::snprintf(line, sizeof line, "%s=%s\r\n", name, value);
        out += line;
    };
    auto addNumber = [&](const char* name, int32_t value) {
        std::snprintf(line, sizeof line, "%s=%d\r\n", name, value);
        out += line;
    };
    for (const BoolOption& o : boolOptions) {
        if (dropPasswords && std::strcmp(o.name, "RememberAcctPW") == 0) continue;
        add(o.name, *o.value ? "on" : "off");
    }
    for (const RestartOption& o : restartOptions)
        if (effective(o) != o.defaultValue) add(o.name, effective(o) ? "on" : "off");
    for (const ColorOption& o : colorOptions) {
        if (*o.value == o.defaultValue) continue;
        if (o.isHue) {
            addNumber(o.name, *o.value);
        } else {
            const int32_t v = *o.value;
            char colour[16];
            std::snprintf(colour, sizeof colour, "#%02x%02x%02x", (v >> 7) & 0xF8, (v >> 2) & 0xF8, (v & 0x1F) << 3);
            add(o.name, colour);
        }
    }
    for (const NumberOption& o : numberOptions)
        if (*o.value != o.defaultValue) addNumber(o.name, *o.value);
    for (const NumberOption& o : fontOptions)
        if (*o.value != o.defaultValue) addNumber(o.name, *o.value);
    for (const TextOption& o : textOptions)
        if (std::strcmp(o.text, o.defaultText) != 0) add(o.name, o.text);
    return out;
}

/** One mode switch, also when an earlier one is still on its way to the window. */
void toggleFullScreen() { SetFullScreen(FullScreenActive != 0 ? 0 : 1); }

} // namespace

// --- On/off options --------------------------------------------------------------------------

bool IsBoolOption(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    return findOption(boolOptions, n) != nullptr || findRestartOption(n) != nullptr;
}

uint8_t GetBoolOption(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    if (BoolOption* o = findOption(boolOptions, n)) return *o->value;
    if (RestartOption* o = findRestartOption(n)) return effective(*o);
    return 0;
}

uint8_t GetBoolOptionDefault(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    if (BoolOption* o = findOption(boolOptions, n)) return o->defaultValue;
    if (RestartOption* o = findRestartOption(n)) return o->defaultValue;
    return 0;
}

void SetBoolOption(const char* name, uint8_t value)
{
    const std::string_view n = name != nullptr ? name : "";
    if (BoolOption* o = findOption(boolOptions, n)) {
        const std::string_view which = o->name;
        if (which == "FullScreen") SetFullScreen(value != 0 ? 1 : 0);
        if (which == "Sound") soundManager().Enable(value != 0 ? 1 : 0);
        if (which == "Music") musicManager().Enable(value != 0 ? 1 : 0);
        *o->value = value;
        if (which.starts_with("PopupHelp")) liveChanged();
        return;
    }
    if (RestartOption* o = findRestartOption(n)) {
        if (value != effective(*o)) RestartNeededFlag = 1;
        o->pending = 1;
        o->pendingValue = value;
    }
}

// --- Colour options --------------------------------------------------------------------------

bool IsColorOption(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    return pseudoColorIndex(n) >= 0 || findOption(colorOptions, n) != nullptr;
}

int32_t GetColorOption(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    switch (pseudoColorIndex(n)) {
    case 0: return CurrentSpeechHue;
    case 1: return CurrentEmoteHue;
    case 2: return PartyMessageColor;
    default: break;
    }
    if (ColorOption* o = findOption(colorOptions, n)) return *o->value;
    return 0;
}

int32_t GetColorOptionDefault(const char* name)
{
    const std::string_view n = name != nullptr ? name : "";
    switch (pseudoColorIndex(n)) {
    case 0:
    case 1: return RandomBelow(1000) + 1;
    case 2: return 144;
    default: break;
    }
    if (ColorOption* o = findOption(colorOptions, n)) return o->defaultValue;
    return 0;
}

void SetColorOption(const char* name, int32_t value)
{
    const std::string_view n = name != nullptr ? name : "";
    switch (pseudoColorIndex(n)) {
    case 0:
        CurrentSpeechHue = value;
        CharDataSpeechHues[slotIndex()] = static_cast<uint16_t>(value);
        return;
    case 1:
        CurrentEmoteHue = value;
        CharDataEmoteHues[slotIndex()] = static_cast<uint16_t>(value);
        return;
    case 2:
        PartyMessageColor = value;
        liveChanged();
        return;
    default: break;
    }
    if (ColorOption* o = findOption(colorOptions, n)) {
        *o->value = value;
        if (o->value == &PopupHelpTextColor || o->value == &PartyMessageColor) liveChanged();
    }
}

// --- Number and font options -----------------------------------------------------------------

int32_t GetNumberOption(const char* name) { return valueOf(numberOptions, name); }
int32_t GetNumberOptionDefault(const char* name) { return defaultOf(numberOptions, name); }

void SetNumberOption(const char* name, int32_t value)
{
    NumberOption* o = findOption(numberOptions, name != nullptr ? name : "");
    if (o == nullptr) return;
    *o->value = value;
    ConfigHooks& hooks = configHooks();
    if (o->value == &CircleTransRadius && hooks.setCircleRadius) hooks.setCircleRadius(value);
    if (o->value == &PopupHelpPreDelay) liveChanged();
    if (o->value == &SoundVol && hooks.soundSetVolume) hooks.soundSetVolume(value);
    if (o->value == &MusicVol && hooks.musicSetVolume) hooks.musicSetVolume(value);
}

int32_t GetFontOption(const char* name) { return valueOf(fontOptions, name); }
int32_t GetFontOptionDefault(const char* name) { return defaultOf(fontOptions, name); }

void SetFontOption(const char* name, int32_t value)
{
    NumberOption* o = findOption(fontOptions, name != nullptr ? name : "");
    if (o == nullptr) return;
    *o->value = value;
    if (o->value == &PopupHelpTextFont || o->value == &ToolTipFont) liveChanged();
}

// --- Choice options --------------------------------------------------------------------------

const char* GetTextOption(const char* name)
{
    TextOption* o = findOption(textOptions, name != nullptr ? name : "");
    return o != nullptr ? o->text : "";
}

const char* GetTextOptionDefault(const char* name)
{
    TextOption* o = findOption(textOptions, name != nullptr ? name : "");
    return o != nullptr ? o->defaultText : "";
}

void SetSavedRadioConfigOption(const char* name, const char* value)
{
    TextOption* o = findOption(textOptions, name != nullptr ? name : "");
    if (o == nullptr) return;
    const std::string text = value != nullptr ? value : "";
    const bool isWindowSize = o->text == GamePlayWindowSize;
    const bool isFullScreenRes = o->text == FullScreenRes;
    if (isWindowSize && !EqualsNoCase(text, o->text)) RestartNeededFlag = 1;
    const bool resolutionChanged = isFullScreenRes && text != o->text;
    CopyConfigText(o->text, o->capacity, text.c_str());
    if (resolutionChanged && FullScreenActive) {
        // Leave and enter again so the new mode takes effect.
        toggleFullScreen();
        toggleFullScreen();
    }
    if (std::strcmp(FullScreenRes, "640x480") == 0 && std::strcmp(GamePlayWindowSize, "800x600") == 0) {
        SetSavedRadioConfigOption("FullScreenRes", "800x600");
        KZReport::warning("SetSavedRadioConfigOption: cannot set 'GamePlayWindowSize' to '800x600' unless "
                          "'FullScreenRes' is at least '800x600'. Setting 'FullScreenRes=800x600'\n");
    }
}

// --- 16-bit names ----------------------------------------------------------------------------

bool IsBoolOption(const WideChar* name) { return IsBoolOption(narrow(name).c_str()); }
uint8_t GetBoolOption(const WideChar* name) { return GetBoolOption(narrow(name).c_str()); }
uint8_t GetBoolOptionDefault(const WideChar* name) { return GetBoolOptionDefault(narrow(name).c_str()); }
void SetBoolOption(const WideChar* name, uint8_t value) { SetBoolOption(narrow(name).c_str(), value); }
bool IsColorOption(const WideChar* name) { return IsColorOption(narrow(name).c_str()); }
int32_t GetColorOption(const WideChar* name) { return GetColorOption(narrow(name).c_str()); }
int32_t GetColorOptionDefault(const WideChar* name) { return GetColorOptionDefault(narrow(name).c_str()); }
void SetColorOption(const WideChar* name, int32_t value) { SetColorOption(narrow(name).c_str(), value); }
int32_t GetNumberOption(const WideChar* name) { return GetNumberOption(narrow(name).c_str()); }
int32_t GetNumberOptionDefault(const WideChar* name) { return GetNumberOptionDefault(narrow(name).c_str()); }
void SetNumberOption(const WideChar* name, int32_t value) { SetNumberOption(narrow(name).c_str(), value); }
int32_t GetFontOption(const WideChar* name) { return GetFontOption(narrow(name).c_str()); }
int32_t GetFontOptionDefault(const WideChar* name) { return GetFontOptionDefault(narrow(name).c_str()); }
void SetFontOption(const WideChar* name, int32_t value) { SetFontOption(narrow(name).c_str(), value); }
const char* GetTextOption(const WideChar* name) { return GetTextOption(narrow(name).c_str()); }
const char* GetTextOptionDefault(const WideChar* name) { return GetTextOptionDefault(narrow(name).c_str()); }

void SetSavedRadioConfigOption(const WideChar* name, const WideChar* value)
{
    std::string text;
    if (value != nullptr)
        for (; *value != 0; ++value) text += static_cast<char>(*value & 0xFF);
    SetSavedRadioConfigOption(narrow(name).c_str(), text.c_str());
}

void ResetOptionsState()
{
    RestartNeededFlag = 0;
    for (RestartOption& o : restartOptions) {
        o.pending = 0;
        o.pendingValue = 0;
    }
}

// --- Saving ----------------------------------------------------------------------------------

std::string BuildConfigOptionsText(const std::string& old, bool dropPasswords)
{
    return buildOptionFile(old, dropPasswords);
}

bool SaveConfigOptionsOldWay()
{
    const std::string old = ReadConfigFile("kz.cfg", "rb").value_or(std::string());
    KZReport::print("SaveConfigOptionsOldWay: strip any trailing empty lines.\n");
    if (ReplaceConfigFileBytes("kz.cfg", buildOptionFile(old, PasswordNoStore != 0))) return true;
    KZReport::error("SaveConfigOptionsOldWay: cannot write 'kz.cfg'; it keeps its old content.\n");
    return false;
}

void SaveConfigOptions()
{
    KZReport::print("SaveConfigOptionsOldWay Start ---.\n");
    SaveConfigOptionsOldWay();
    KZReport::print("SaveConfigOptionsOldWay End ---.\n");
    KZReport::print("SaveConfigOptions: save character specific info.\n");
    SaveCharData();
    KZReport::print("SaveConfigOptions: saved character specific info.\n");

    std::string copy;
    if (!BuildCharacterFilePath("kz.cfg", copy)) {
        KZReport::print("Servername or CApp::name no good, returning.\n");
        return;
    }
    const auto old = ReadConfigFile(copy, "r");
    if (!old) return;
    KZReport::print("SaveConfigOptions: strip any trailing empty lines.\n");
    if (!ReplaceConfigFileBytes(copy, buildOptionFile(*old, true)))
        KZReport::error("SaveConfigOptions: cannot write '%s'; it keeps its old content.\n", copy.c_str());
}

void ReloadConfigAndRefreshDisplay()
{
    ConfigHooks& hooks = configHooks();
    ReadConfig("kz.cfg", true);
    macros().LoadMacros();
    AllowWindowResize = 1;
    if (hooks.refreshDisplayAfterReload) hooks.refreshDisplayAfterReload();
}

// --- Censor ----------------------------------------------------------------------------------

void CensorObsceneWordsWide(WideChar* text)
{
    if (text == nullptr) return;
    static const char kMask[] = "!@#$%&*";
    const int32_t length = WideStrLen(text);
    for (int32_t w = 0; w < ObsceneWordCount && w < kMaxObsceneWords; ++w) {
        const WideChar* word = ObsceneWords[w];
        const int32_t n = WideStrLen(word);
        if (n == 0) continue;
        for (int32_t i = 0; i + n <= length;) {
            if (std::memcmp(text + i, word, static_cast<size_t>(n) * sizeof(WideChar)) != 0) {
                ++i;
                continue;
            }
            for (int32_t k = i; k < i + n; ++k) text[k] = static_cast<WideChar>(kMask[text[k] % 7]);
            i += n;
        }
    }
}

void CensorObsceneWords(char* text)
{
    if (text == nullptr) return;
    std::u16string wide = widen(text);
    CensorObsceneWordsWide(wide.data());
    for (size_t i = 0; i < wide.size(); ++i) text[i] = static_cast<char>(wide[i] & 0xFF);
}

// --- File names ------------------------------------------------------------------------------

std::string MakeSafeFileName(std::string_view text)
{
    static constexpr std::string_view kSeparators = "\\/:*?\"<>|.";
    std::string out;
    if (text.find_first_of(kSeparators) == std::string_view::npos) {
        out.assign(text);
    } else {
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t start = text.find_first_not_of(kSeparators, pos);
            if (start == std::string_view::npos) break;
            size_t end = text.find_first_of(kSeparators, start);
            if (end == std::string_view::npos) end = text.size();
            out.append(text.substr(start, end - start));
            out += '_';
            pos = end;
        }
    }
    if (!out.empty() && out.back() == ' ') out.back() = '_';
    return out;
}

void MakeSafeFileName(char* text, size_t capacity)
{
    if (text == nullptr || capacity == 0) return;
    const std::string safe = MakeSafeFileName(std::string_view(text, strnlen(text, capacity)));
    CopyConfigText(text, capacity, safe.c_str());
}

std::string SafePathComponent(std::string_view text)
{
    bool harmless = !text.empty() && text != "." && text != "..";
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) harmless = false;
    if (harmless) return std::string(text);
    std::string safe = MakeSafeFileName(text);
    for (char& c : safe)
        if (static_cast<unsigned char>(c) < 0x20) c = '_';
    return safe.empty() ? "_" : safe;
}
