/** @file kz.cfg and login.cfg: the directive table, the line tokenizer, the reader, the applier and the single-directive writers. */
#include "client/core/config_files.h"

#include "client/core/config_color.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "platform/message_box/message_box.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <vector>

const ConfigDirective ConfigDirectives[kNumConfigDirectives] = {
    {"CdRomDataPath", 0},
    {"CacheSize", 1},
    {"HdUsage", 2},
    {"PlayerName", 3},
    {"Password", 4},
    {"Sound", 5},
    {"SoundVol", 6},
    {"Music", 7},
    {"MusicVol", 8},
    {"ObscenityFilter", 9},
    {"ObsceneWord", 10},
    {"FilterPassword", 11},
    {"PageFlip", 12},
    {"GDIFullScreen", 13},
    {"FrameCounter", 14},
    {"SavePassword", 15},
    {"FullScreen", 16},
    {"FullScreenRes", 17},
    {"GamePlayWindowSize", 18},
    {"UserLanguageCodeString", 19},
    {"EditServer", 20},
    {"UserCentral", 21},
    {"ShowIntroAnim", 23},
    {"use565", 24},
    {"EnableMessenger", 25},
    {"KZMessengerPing", 26},
    {"autoLogIn", 27},
    {"OrderCache", 29},
    {"OrderCacheOnStartup", 28},
    {"RememberAcctPW", 30},
    {"GlobalQueue", 31},
    {"LoginServerFile", 32},
    {"LoginServer", 33},
    {"BackupLoginServer", 34},
    {"AcctID", 35},
    {"AcctLastName", 36},
    {"AcctPassword", 37},
    {"NextLoginKey", 38},
    {"DefaultChar", 39},
    {"Mouse", 41},
    {"MouseThread", 40},
    {"UseVerData", 42},
    {"SaveJournal", 43},
    {"JournalSaveFile", 44},
    {"JournalSaveUnicode", 45},
    {"NotorietyQuery", 46},
    {"UseCircleTrans", 47},
    {"CircleTransRadius", 48},
    {"CircleTransPos", 49},
    {"FilterPWOn", 50},
    {"Footsteps", 51},
    {"ShowTips", 52},
    {"LastTip", 53},
    {"CurrentVer", 54},
    {"BarkTimeModifier", 55},
    {"ScaleBarkTimes", 56},
    {"CombatHueColor", 57},
    {"FrameSkipping", 58},
    {"AllowPathfind", 59},
    {"HoldTabForCombat", 60},
    {"OffsetGumps", 61},
    {"AutoArrangeMinimized", 62},
    {"UnicodeSpeech", 63},
    {"AltKeyModNum", 64},
    {"Sound8Bit", 65},
    {"ReverseSpeakers", 66},
    {"ChatColorSelfText", 67},
    {"ChatColorSelfName", 68},
    {"ChatColorOpsText", 69},
    {"ChatColorOpsName", 70},
    {"ChatColorMutedText", 71},
    {"ChatColorMutedName", 72},
    {"ChatColorText", 73},
    {"ChatColorName", 74},
    {"ChatColorMenuOption", 75},
    {"ChatColorInput", 76},
    {"ChatColorSystemMessage", 77},
    {"ChatColorConferenceMenuBackground", 78},
    {"ChatColorCommandMenuBackground", 79},
    {"ChatColorUserListBackground", 80},
    {"ChatColorTextBackground", 81},
    {"ChatColorInputBackground", 82},
    {"ChatColorDialogBackground", 83},
    {"ChatFontNumber", 84},
    {"ChatSpaceWidth", 85},
    {"ChatAntiAlias", 86},
    {"BarkFontNumber", 87},
    {"ProfileColor1", 88},
    {"ProfileColor2", 89},
    {"HighlightColorInnocent", 90},
    {"HighlightColorFriend", 91},
    {"HighlightColorCanAttack", 92},
    {"HighlightColorCriminal", 93},
    {"HighlightColorEnemy", 94},
    {"HighlightColorMurderer", 95},
    {"AssumePlayAsGhost", 96},
    {"UseToolTips", 97},
    {"ToolTipPreDelay", 99},
    {"ToolTipFont", 98},
    {"ToolTipTextColor", 100},
    {"PopupHelpEnabled", 101},
    {"PopupHelpPreDelay", 102},
    {"PopupHelpTextColor", 103},
    {"PopupHelpTextFont", 104},
    {"PopupHelpSticky", 105},
    {"PopupHelpPersistant", 106},
    {"PartyMessageColor", 107},
    {"CensorFlesh", 108},
    {"CensorBlood", 109},
    {"CensoredBloodColor", 110},
    {"TranslationServer", 111},
    {"TranslationServerIPAddress", 112},
    {"TranslationServerTranslatorName", 113},
    {"TranslationServerLexaraNFWMarker", 114},
    {"TranslationServerLexaraTopicalGlossaries", 115},
    {"TranslationServerLexaraDocumentType", 116},
    {"TranslationServerAutomatic", 117},
    {"AllowWindowResize", 119},
    {"SpamLimit", 118},
    {"FileManagerAddSearchPath", 120},
    {"GMHelpQueueLinesPerRequest", 121},
    {"GMHelpQueueMaxCharactersPerLine", 122},
    {"ColoredLighting", 123},
    {"ShadedFonts", 124},
    {"ClientFirstLaunch", 125},
    {"SkillReportDiff", 126},
    {"ShowIncomingNames", 127},
    {"StatReport", 128},
    {"LastServerID", 129},
    {"DarkNights", 130},
    {"AlwaysRun", 131},
    {"NewbieDesktop", 132},
    {"SaveDesktop", 133},
    {"CancelGumpOpen", 134},
    {"FilterWeather", 135},
    {"Season", 136},
    {"NumPassTries", 137},
    {"TreeCanopies", 138},
    {"Desolation", 139},
    {"CombatMusic", 140},
    {"ClientLogin", 141},
};

namespace {

constexpr std::string_view kKeyDelimiters = std::string_view(" \t\n\r\f=", 6);
constexpr std::string_view kValueDelimiters = std::string_view("\t\n\r\f", 4);

/** The part of a line the tokenizer sees: at most the line limit, and nothing after a NUL. */
std::string_view visiblePart(std::string_view line)
{
    line = line.substr(0, std::min(line.size(), kMaxConfigLineLength));
    const size_t nul = line.find('\0');
    return nul == std::string_view::npos ? line : line.substr(0, nul);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isSwitchOn(const char* v) { return EqualsNoCase(v, "on") || EqualsNoCase(v, "yes"); }
bool isSwitchOnOrTrue(const char* v) { return isSwitchOn(v) || EqualsNoCase(v, "true"); }
bool isSwitchOnTrueOrOne(const char* v) { return isSwitchOnOrTrue(v) || std::strcmp(v, "1") == 0; }
bool isSwitchOff(const char* v)
{
    return EqualsNoCase(v, "off") || EqualsNoCase(v, "no") || EqualsNoCase(v, "false") || std::strcmp(v, "0") == 0;
}

uint32_t packAddress(int a, int b, int c, int d)
{
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 |
           static_cast<uint32_t>(c) << 8 | static_cast<uint32_t>(d);
}

/**
 * Reads a decimal number as atoi would (blanks, a sign, digits; what follows is ignored), but
 * without its overflow: the digits saturate. p moves past the number; false when no digit.
 */
bool scanNumber(const char*& p, int64_t& out)
{
    while (*p == ' ' || *p == '\t') ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return false;
    constexpr int64_t kLimit = int64_t{1} << 40; // far past every directive's range
    int64_t n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) n = std::min(n * 10 + (*p - '0'), kLimit);
    out = negative ? -n : n;
    return true;
}

/**
 * The port a value gives after its comma: a number read without overflow, saturated to the
 * port range, a value outside it logged as written (not wrapped to another port).
 */
bool readPort(const char* digits, const char* value, uint16_t& port)
{
    int64_t n = 0;
    if (!scanNumber(digits, n)) return false;
    const int64_t clamped = std::clamp<int64_t>(n, 0, 65535);
    if (clamped != n)
        KZReport::warning("CApp::readConfig: the port of '%s' is out of range; using %lld.\n", value,
                          static_cast<long long>(clamped));
    port = static_cast<uint16_t>(clamped);
    return true;
}

/**
 * "%d.%d.%d.%d,%d" as the configuration stores it; false unless all five numbers are there and
 * each of the four address numbers is a byte (a larger one would spill into its neighbour).
 */
bool parseNumericAddress(const char* text, uint32_t& address, uint16_t& port)
{
    int a = 0, b = 0, c = 0, d = 0, consumed = 0;
    if (std::sscanf(text, "%3d.%3d.%3d.%3d,%n", &a, &b, &c, &d, &consumed) != 4 || consumed == 0) return false;
    for (int v : {a, b, c, d})
        if (v < 0 || v > 255) return false;
    uint16_t p = 0;
    if (!readPort(text + consumed, text, p)) return false;
    address = packAddress(a, b, c, d);
    port = p;
    return true;
}

/** A dotted quad host needs no name service: it resolves to itself. */
bool parseDottedQuad(const std::string& host, uint32_t& address)
{
    int a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(host.c_str(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &tail) != 4) return false;
    for (int v : {a, b, c, d})
        if (v < 0 || v > 255) return false;
    address = packAddress(a, b, c, d);
    return true;
}

int& addressRotation()
{
    static int index = 0;
    return index;
}

/** The "address" value kind: numeric when it is, else host resolution. */
void applyAddress(const char* value, uint32_t& address, uint16_t& port)
{
    if (IsNumericAddress(value)) parseNumericAddress(value, address, port);
    else ResolveConfigAddress(value, address, port);
}

void appendLoginServer(LoginServerList& list, const char* value)
{
    if (list.count >= kMaxLoginServers) {
        KZReport::warning("ApplyConfigDirective: too many login servers, '%s' is ignored.\n", value);
        return;
    }
    LoginServerEntry entry;
    if (!(IsNumericAddress(value) && parseNumericAddress(value, entry.address, entry.port)))
        CopyConfigText(entry.host, value);
    list.entries[list.count++] = entry;
    if (list.current < 0) list.current = 0;
}

void applyText(char* out, size_t capacity, const char* value)
{
    if (value[0] != '\0') CopyConfigText(out, capacity, value);
}

uint8_t* switchTarget(int id)
{
    switch (id) {
    case CFG_Sound: return &Sound;
    case CFG_Music: return &Music;
    case CFG_ObscenityFilter: return &ObscenityFilter;
    case CFG_FrameCounter: return &FrameCounter;
    case CFG_FullScreen: return &FullScreen;
    case CFG_ShowIntroAnim: return &ShowIntroAnim;
    case CFG_autoLogIn: return &autoLogIn;
    case CFG_OrderCacheOnStartup: return &OrderCacheOnStartup;
    case CFG_RememberAcctPW: return &RememberAcctPW;
    case CFG_GlobalQueue: return &GlobalQueue;
    case CFG_UseVerData: return &UseVerData;
    case CFG_JournalSaveUnicode: return &JournalSaveUnicode;
    case CFG_NotorietyQuery: return &NotorietyQuery;
    case CFG_UseCircleTrans: return &UseCircleTrans;
    case CFG_FilterPWOn: return &FilterPWOn;
    case CFG_Footsteps: return &Footsteps;
    case CFG_ShowTips: return &ShowTips;
    case CFG_ScaleBarkTimes: return &ScaleBarkTimes;
    case CFG_FrameSkipping: return &FrameSkipping;
    case CFG_AllowPathfind: return &AllowPathfind;
    case CFG_HoldTabForCombat: return &HoldTabForCombat;
    case CFG_OffsetGumps: return &OffsetGumps;
    case CFG_AutoArrangeMinimized: return &AutoArrangeMinimized;
    case CFG_UnicodeSpeech: return &UnicodeSpeech;
    case CFG_Sound8Bit: return &Sound8Bit;
    case CFG_ReverseSpeakers: return &ReverseSpeakers;
    case CFG_ChatAntiAlias: return &ChatAntiAlias;
    case CFG_AssumePlayAsGhost: return &AssumePlayAsGhost;
    case CFG_UseToolTips: return &UseToolTips;
    case CFG_CensorFlesh: return &CensorFlesh;
    case CFG_CensorBlood: return &CensorBlood;
    case CFG_ColoredLighting: return &ColoredLighting;
    case CFG_ShadedFonts: return &ShadedFonts;
    case CFG_ClientFirstLaunch: return &ClientFirstLaunch;
    case CFG_ShowIncomingNames: return &ShowIncomingNames;
    case CFG_StatReport: return &StatReport;
    case CFG_DarkNights: return &DarkNights;
    case CFG_AlwaysRun: return &AlwaysRun;
    case CFG_NewbieDesktop: return &NewbieDesktop;
    case CFG_FilterWeather: return &FilterWeather;
    case CFG_TreeCanopies: return &TreeCanopies;
    case CFG_Desolation: return &Desolation;
    case CFG_CombatMusic: return &CombatMusic;
    default: return nullptr;
    }
}

/**
 * The number a directive's value gives, saturated to [low, high]; a value outside is logged
 * as written. No digits read as 0, as before.
 */
int32_t readNumber(int id, const char* value, int32_t low = INT32_MIN, int32_t high = INT32_MAX)
{
    const char* p = value;
    int64_t n = 0;
    if (!scanNumber(p, n)) n = 0;
    const int64_t clamped = std::clamp<int64_t>(n, low, high);
    if (clamped != n)
        KZReport::warning("CApp::readConfig: '%s=%s' is out of range; using %lld.\n", ConfigDirectiveName(id), value,
                          static_cast<long long>(clamped));
    return static_cast<int32_t>(clamped);
}

/** Cache units of 1,000,000 bytes: the most a cache file's 32-bit offsets can address. */
constexpr int32_t kMaxCacheSize = 2147;

int32_t* numberTarget(int id)
{
    switch (id) {
    case CFG_CacheSize: return &CacheSize;
    case CFG_SoundVol: return &SoundVol;
    case CFG_MusicVol: return &MusicVol;
    case CFG_LastTip: return &LastTip;
    case CFG_CurrentVer: return &CurrentVer;
    case CFG_BarkTimeModifier: return &BarkTimeModifier;
    case CFG_AltKeyModNum: return &AltKeyModNum;
    case CFG_ChatFontNumber: return &ChatFontNumber;
    case CFG_ChatSpaceWidth: return &ChatSpaceWidth;
    case CFG_BarkFontNumber: return &BarkFontNumber;
    case CFG_PartyMessageColor: return &PartyMessageColor;
    case CFG_SpamLimit: return &SpamLimit;
    case CFG_ClientLogin: return &ClientLogin;
    default: return nullptr;
    }
}

int32_t* colorTarget(int id)
{
    switch (id) {
    case CFG_CombatHueColor: return &CombatHueColor;
    case CFG_ChatColorSelfText: return &ChatColorSelfText;
    case CFG_ChatColorSelfName: return &ChatColorSelfName;
    case CFG_ChatColorOpsText: return &ChatColorOpsText;
    case CFG_ChatColorOpsName: return &ChatColorOpsName;
    case CFG_ChatColorMutedText: return &ChatColorMutedText;
    case CFG_ChatColorMutedName: return &ChatColorMutedName;
    case CFG_ChatColorText: return &ChatColorText;
    case CFG_ChatColorName: return &ChatColorName;
    case CFG_ChatColorMenuOption: return &ChatColorMenuOption;
    case CFG_ChatColorInput: return &ChatColorInput;
    case CFG_ChatColorSystemMessage: return &ChatColorSystemMessage;
    case CFG_ChatColorConferenceMenuBackground: return &ChatColorConferenceMenuBackground;
    case CFG_ChatColorCommandMenuBackground: return &ChatColorCommandMenuBackground;
    case CFG_ChatColorUserListBackground: return &ChatColorUserListBackground;
    case CFG_ChatColorTextBackground: return &ChatColorTextBackground;
    case CFG_ChatColorInputBackground: return &ChatColorInputBackground;
    case CFG_ChatColorDialogBackground: return &ChatColorDialogBackground;
    case CFG_ProfileColor1: return &ProfileColor1;
    case CFG_ProfileColor2: return &ProfileColor2;
    case CFG_ToolTipTextColor: return &ToolTipTextColor;
    case CFG_PopupHelpTextColor: return &PopupHelpTextColor;
    case CFG_CensoredBloodColor: return &CensoredBloodColor;
    default: return nullptr;
    }
}

char* translationText(int id)
{
    switch (id) {
    case CFG_TranslationServerTranslatorName: return TranslationServerTranslatorName;
    case CFG_TranslationServerLexaraNFWMarker: return TranslationServerLexaraNFWMarker;
    case CFG_TranslationServerLexaraTopicalGlossaries: return TranslationServerLexaraTopicalGlossaries;
    case CFG_TranslationServerLexaraDocumentType: return TranslationServerLexaraDocumentType;
    default: return nullptr;
    }
}

/** Directives a character's copy never sets: they belong to the installation. */
bool isInstallationOnly(int id)
{
    switch (id) {
    case CFG_FullScreen: case CFG_RememberAcctPW: case CFG_GlobalQueue: case CFG_AcctPassword:
    case CFG_NextLoginKey: case CFG_NumPassTries: case CFG_ClientLogin:
        return true;
    default:
        return id >= CFG_TranslationServer && id <= CFG_TranslationServerLexaraDocumentType;
    }
}

bool isPasswordDirective(int id)
{
    return id == CFG_RememberAcctPW || id == CFG_AcctPassword || id == CFG_NumPassTries;
}

/**
 * Reads the file a read or a save of kz.cfg goes to: the character's copy when it opens, else
 * the main file, both found through the file manager. file receives the name that was read.
 */
std::optional<std::string> readChosenConfigFile(const char* mainName, bool allowCopy, std::string& file, bool& isCopy)
{
    isCopy = false;
    std::string copy;
    if (allowCopy && BuildCharacterFilePath("kz.cfg", copy)) {
        if (auto content = ReadConfigFile(copy, "r")) {
            isCopy = true;
            file = copy;
            return content;
        }
    }
    file = mainName;
    return ReadConfigFile(mainName, "r");
}

/** Calls fn(lineStart, lineEnd) for each line; lineEnd is past its LF. */
template <typename Fn>
void forEachLine(const std::string& text, Fn fn)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t lf = text.find('\n', pos);
        const size_t end = lf == std::string::npos ? text.size() : lf + 1;
        if (!fn(pos, end)) return;
        pos = end;
    }
}

bool& obscenityRuleDone()
{
    static bool done = false;
    return done;
}

bool& saveFailureShown()
{
    static bool shown = false;
    return shown;
}

/**
 * A setting that cannot be written keeps its value in memory for this run; the file stays
 * whole. The player hears of it once per run, the log every time.
 */
void reportSaveFailure(const char* name)
{
    KZReport::error("saveConfigDirective: cannot write '%s' to 'kz.cfg'; the value holds until the client ends.\n",
                    name);
    if (saveFailureShown()) return;
    saveFailureShown() = true;
    platform::showMessageBox("KZ", "Your settings cannot be saved to kz.cfg (the file or its folder cannot be "
                                   "written). Changes hold until you quit.",
                             platform::BoxIcon::Warning);
}

void saveDirective(int id, const char* value, bool allowCopy)
{
    const char* name = ConfigDirectiveName(id);
    if (name == nullptr) {
        KZReport::error("saveConfigDirective: code would have asserted because id %d is no directive.\n", id);
        return;
    }
    bool isCopy = false;
    std::string file;
    const auto content = readChosenConfigFile("kz.cfg", allowCopy, file, isCopy);
    if (!content) KZReport::error("saveConfigDirective: cannot open 'kz.cfg'.\n");
    const bool dropOnly = (isCopy || PasswordNoStore) && isPasswordDirective(id);
    const std::optional<std::string> bytes = RewriteConfigText(content, id, value, dropOnly);
    if (bytes && !ReplaceConfigFileBytes(file, *bytes)) reportSaveFailure(name);
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

int FindConfigDirective(std::string_view key)
{
    // Names in lower case to their ids, made once; the first of two equal names wins.
    struct Table {
        std::unordered_map<std::string_view, int> byName;
        std::vector<std::string> names;
        size_t longest = 0;
    };
    static const Table table = [] {
        Table t;
        t.names.reserve(std::size(ConfigDirectives));
        for (const ConfigDirective& d : ConfigDirectives) {
            std::string& name = t.names.emplace_back(d.name);
            for (char& c : name) c = lowerAscii(c);
            t.longest = std::max(t.longest, name.size());
            t.byName.emplace(name, d.id);
        }
        return t;
    }();
    if (key.empty() || key.size() > table.longest) return -1;
    char lower[128];
    if (key.size() > sizeof lower) return -1;
    for (size_t i = 0; i < key.size(); ++i) lower[i] = lowerAscii(key[i]);
    const auto found = table.byName.find(std::string_view(lower, key.size()));
    return found == table.byName.end() ? -1 : found->second;
}

const char* ConfigDirectiveName(int id)
{
    for (const ConfigDirective& d : ConfigDirectives)
        if (d.id == id) return d.name;
    return nullptr;
}

std::string_view ConfigLineKey(std::string_view line)
{
    line = visiblePart(line);
    const size_t start = line.find_first_not_of(kKeyDelimiters);
    if (start == std::string_view::npos) return {};
    const size_t end = line.find_first_of(kKeyDelimiters, start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

bool SplitConfigLine(std::string_view line, std::string& key, std::string& value)
{
    line = visiblePart(line);
    const size_t start = line.find_first_not_of(kKeyDelimiters);
    if (start == std::string_view::npos) return false;
    const size_t keyEnd = line.find_first_of(kKeyDelimiters, start);
    if (keyEnd == std::string_view::npos) return false;
    key.assign(line.substr(start, keyEnd - start));
    // The value starts after the one delimiter that ended the key, as a tokenizer that cuts
    // the line in place would see it: a blank or "=" there belongs to the value.
    const std::string_view rest = line.substr(keyEnd + 1);
    const size_t valueStart = rest.find_first_not_of(kValueDelimiters);
    if (valueStart == std::string_view::npos) return false;
    const size_t valueEnd = rest.find_first_of(kValueDelimiters, valueStart);
    value.assign(rest.substr(valueStart, valueEnd == std::string_view::npos ? std::string_view::npos
                                                                           : valueEnd - valueStart));
    return !value.empty();
}

bool IsNumericAddress(const char* text)
{
    if (text == nullptr) return false;
    const char* p = text;
    for (int group = 0; group < 4; ++group) {
        int digits = 0;
        while (*p >= '0' && *p <= '9') { ++p; ++digits; }
        if (digits < 1 || digits > 3) return false;
        if (*p != (group < 3 ? '.' : ',')) return false;
        ++p;
    }
    int digits = 0;
    while (*p >= '0' && *p <= '9') { ++p; ++digits; }
    return digits == 4 || digits == 5;
}

bool ResolveConfigAddress(const char* text, uint32_t& address, uint16_t& port)
{
    if (text == nullptr) return false;
    const char* comma = std::strchr(text, ',');
    const std::string host = comma != nullptr ? std::string(text, comma) : std::string(text);
    uint16_t wantedPort = 0;
    if (comma != nullptr && !readPort(comma + 1, text, wantedPort)) wantedPort = 0;

    constexpr int kMaxAddresses = 16;
    uint32_t found[kMaxAddresses] = {};
    int count = 0;
    if (parseDottedQuad(host, found[0])) count = 1;
    else if (configHooks().resolveHost) count = std::clamp(configHooks().resolveHost(host.c_str(), found, kMaxAddresses), 0, kMaxAddresses);
    if (count == 0) return false;

    int& index = addressRotation();
    if (index >= count || index < 0) index = 0;
    address = found[index++];
    port = wantedPort;
    return true;
}

void ResetAddressRotation() { addressRotation() = 0; }

void ApplyConfigDirective(int id, const char* value, bool perCharacterFlag)
{
    if (value == nullptr) return;
    ConfigHooks& hooks = configHooks();
    if (uint8_t* target = switchTarget(id)) { *target = isSwitchOn(value) ? 1 : 0; return; }
    if (int32_t* target = numberTarget(id)) {
        *target = id == CFG_CacheSize ? readNumber(id, value, 0, kMaxCacheSize) : readNumber(id, value);
        return;
    }
    if (int32_t* target = colorTarget(id)) {
        *target = ParseColorValue(value);
        if (id == CFG_PopupHelpTextColor && hooks.liveSettingsChanged) hooks.liveSettingsChanged();
        // A -hue names no colour to scale: the blood drawing keeps the one it has.
        if (id == CFG_CensoredBloodColor && *target >= 0 && hooks.setCensoredBloodColor)
            hooks.setCensoredBloodColor(static_cast<uint16_t>(*target));
        return;
    }
    if (char* target = translationText(id)) {
        applyText(target, kConfigTextLength, value);
        if (hooks.translationServerSetText) hooks.translationServerSetText(id, target);
        return;
    }
    switch (id) {
    case CFG_CdRomDataPath: applyText(CdRomDataPath, sizeof CdRomDataPath, value); break;
    case CFG_HdUsage: HdUsage = EqualsNoCase(value, "max") ? 1 : 0; break;
    case CFG_PlayerName: applyText(PlayerName, sizeof PlayerName, value); break;
    case CFG_AcctID: applyText(AcctID, sizeof AcctID, value); break;
    case CFG_AcctLastName: applyText(AcctLastName, sizeof AcctLastName, value); break;
    case CFG_Password:
        applyText(Password, sizeof Password, value);
        DecodeStoredPassword(Password);
        break;
    case CFG_FilterPassword:
        applyText(FilterPassword, sizeof FilterPassword, value);
        DecodeStoredPassword(FilterPassword);
        break;
    case CFG_AcctPassword:
        if (PasswordNoStore) break;
        applyText(AcctPassword, sizeof AcctPassword, value);
        DecodeStoredPassword(AcctPassword);
        break;
    case CFG_PageFlip:
        if (!GDIFullScreenGiven) GDIFullScreen = 0;
        if (isSwitchOn(value)) {
            PageFlip = 1;
        } else {
            PageFlip = 0;
            if (EqualsNoCase(value, "gdi") && !GDIFullScreenGiven) GDIFullScreen = 1;
        }
        break;
    case CFG_GDIFullScreen:
        GDIFullScreen = isSwitchOn(value) ? 1 : 0;
        GDIFullScreenGiven = 1;
        break;
    case CFG_FullScreenRes: applyText(FullScreenRes, sizeof FullScreenRes, value); break;
    case CFG_GamePlayWindowSize: {
        applyText(GamePlayWindowSize, sizeof GamePlayWindowSize, value);
        const char* p = GamePlayWindowSize;
        int64_t w = 0, h = 0;
        if (scanNumber(p, w) && *p++ == 'x' && scanNumber(p, h) && hooks.setPlaySize)
            hooks.setPlaySize(static_cast<int>(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX)),
                              static_cast<int>(std::clamp<int64_t>(h, INT32_MIN, INT32_MAX)));
        break;
    }
    case CFG_EditServer: applyAddress(value, EditServerAddress, EditServerPort); break;
    case CFG_UserCentral: parseNumericAddress(value, UserCentralAddress, UserCentralPort); break;
    case CFG_use565:
        use565 = 0;
        if (hooks.resetPixelFormat555) hooks.resetPixelFormat555();
        if (isSwitchOn(value)) use565 = 1;
        break;
    case CFG_EnableMessenger: EnableMessenger = isSwitchOnOrTrue(value) ? 1 : 0; break;
    case CFG_KZMessengerPing: KZMessengerPing = isSwitchOnOrTrue(value) ? 1 : 0; break;
    case CFG_OrderCache: {
        std::string words = value;
        OrderCacheOnStartup = 0;
        for (char* w = std::strtok(words.data(), ","); w != nullptr; w = std::strtok(nullptr, ","))
            if (EqualsNoCase(w, "startup")) OrderCacheOnStartup = 1;
        break;
    }
    case CFG_LoginServerFile: applyText(LoginServerFile, sizeof LoginServerFile, value); break;
    case CFG_LoginServer:
        if (!perCharacterFlag) appendLoginServer(LoginServers, value);
        break;
    case CFG_BackupLoginServer:
        if (!perCharacterFlag) appendLoginServer(BackupLoginServers, value);
        break;
    case CFG_NextLoginKey: {
        const char* p = value;
        int64_t key = 0;
        if (scanNumber(p, key)) NextLoginKey = static_cast<uint8_t>(key);
        break;
    }
    case CFG_DefaultChar: {
        const char* p = value;
        int64_t slot = 0;
        if (scanNumber(p, slot) && slot >= 0 && slot <= 4) DefaultChar = static_cast<int32_t>(slot);
        break;
    }
    case CFG_MouseThread:
        MouseThread = (isSwitchOn(value) || EqualsNoCase(value, "fast")) ? 1 : 0;
        break;
    case CFG_Mouse:
        if (EqualsNoCase(value, "slow")) MouseThread = 0;
        else if (EqualsNoCase(value, "fast")) MouseThread = 1;
        break;
    case CFG_JournalSaveFile:
        applyText(JournalSaveFile, sizeof JournalSaveFile, value);
        SaveJournal = 1;
        break;
    case CFG_CircleTransRadius:
        CircleTransRadius = readNumber(id, value);
        if (hooks.setCircleRadius) hooks.setCircleRadius(CircleTransRadius);
        break;
    case CFG_CircleTransPos: {
        const char* p = value;
        int64_t wideX = 0, wideY = 0;
        if (scanNumber(p, wideX) && *p++ == ',' && scanNumber(p, wideY)) {
            const int32_t x = static_cast<int32_t>(std::clamp<int64_t>(wideX, INT32_MIN, INT32_MAX));
            const int32_t y = static_cast<int32_t>(std::clamp<int64_t>(wideY, INT32_MIN, INT32_MAX));
            CircleTransPosX = x;
            CircleTransPosY = y;
            if (hooks.setCircleCenter) hooks.setCircleCenter(x, y);
        }
        break;
    }
    case CFG_HighlightColorInnocent: case CFG_HighlightColorFriend: case CFG_HighlightColorCanAttack:
    case CFG_HighlightColorCriminal: case CFG_HighlightColorEnemy: case CFG_HighlightColorMurderer: {
        const int notoriety = id - CFG_HighlightColorInnocent + kNotorietyInnocent;
        // "#rrggbb" (as the settings editor writes it) and "-h" leave a colour or a -hue for
        // resolveColorSettings to turn into a hue once the file is read. A plain number is the
        // hue itself, as the options save writes it; it must not be taken for a colour.
        const bool toResolve = value[0] == '#' || value[0] == '-';
        HighlightColorTable[notoriety].color = toResolve ? ParseColorValue(value) : 0;
        HighlightColorTable[notoriety].flags |= 1;
        HighlightHueTable[notoriety] = readNumber(id, value);
        break;
    }
    case CFG_ToolTipFont: ToolTipFont = std::clamp(readNumber(id, value), 0, 2); break;
    case CFG_PopupHelpTextFont: PopupHelpTextFont = std::clamp(readNumber(id, value), 0, 2); break;
    case CFG_ToolTipPreDelay: ToolTipPreDelay = std::max(readNumber(id, value), 100); break;
    case CFG_PopupHelpPreDelay: PopupHelpPreDelay = std::max(readNumber(id, value), 100); break;
    case CFG_PopupHelpEnabled:
        PopupHelpEnabledGiven = 1;
        PopupHelpEnabled = isSwitchOnTrueOrOne(value) ? 1 : 0;
        break;
    case CFG_PopupHelpSticky: PopupHelpSticky = isSwitchOnTrueOrOne(value) ? 1 : 0; break;
    case CFG_PopupHelpPersistant: PopupHelpPersistant = isSwitchOff(value) ? 0 : 1; break;
    case CFG_TranslationServer:
        TranslationServer = isSwitchOnTrueOrOne(value) ? 1 : 0;
        if (TranslationServer && hooks.translationServerEnable) hooks.translationServerEnable();
        break;
    case CFG_TranslationServerIPAddress:
        TranslationServerAddress = 127u << 24 | 1u;
        TranslationServerPort = 28888;
        if (IsNumericAddress(value)) parseNumericAddress(value, TranslationServerAddress, TranslationServerPort);
        if (hooks.translationServerSetAddress) hooks.translationServerSetAddress(TranslationServerAddress);
        if (hooks.translationServerSetPort) hooks.translationServerSetPort(TranslationServerPort);
        break;
    case CFG_TranslationServerAutomatic:
        TranslationServerAutomatic = isSwitchOnTrueOrOne(value) ? 1 : 0;
        if (hooks.translationServerSetAutomatic) hooks.translationServerSetAutomatic(TranslationServerAutomatic != 0);
        break;
    case CFG_AllowWindowResize:
        if (isSwitchOnTrueOrOne(value)) AllowWindowResize = 1;
        else if (isSwitchOff(value)) AllowWindowResize = 0;
        break;
    case CFG_FileManagerAddSearchPath:
        if (hooks.addSearchPath) hooks.addSearchPath(value);
        else FileManager::addSearchPath(value);
        break;
    case CFG_SkillReportDiff: SkillReportDiff = std::min(readNumber(id, value), 100); break;
    case CFG_LastServerID: LastServerID = std::max(readNumber(id, value), 0); break;
    default:
        // Known only so that they can be saved and read raw (getKZCfgDirective).
        break;
    }
}

bool BuildCharacterFilePath(const char* file, std::string& out)
{
    if (ShardName[0] == '\0' || PlayerName[0] == '\0') return false;
    char player[kConfigNameLength * 2];
    CopyConfigText(player, PlayerName);
    MakeSafeFileName(player, sizeof player);
    out = "Desktop/" + SafePathComponent(AcctID) + "/" + SafePathComponent(ShardName) + "/" +
          SafePathComponent(player) + "/" + file;
    return true;
}

std::optional<std::string> RewriteConfigText(const std::optional<std::string>& content, int id, const char* value,
                                             bool dropOnly)
{
    const char* name = ConfigDirectiveName(id);
    if (name == nullptr) return std::nullopt;
    // A value never spans lines: a line break in it would write a second directive.
    std::string safeValue = value != nullptr ? value : "";
    safeValue = safeValue.substr(0, safeValue.find_first_of("\r\n"));
    const std::string newLine = std::string(name) + "=" + safeValue + "\r\n";

    size_t foundStart = std::string::npos, foundEnd = 0;
    bool holdsValue = false;
    if (content) {
        forEachLine(*content, [&](size_t start, size_t end) {
            const std::string_view line(content->data() + start, end - start);
            if (FindConfigDirective(ConfigLineKey(line)) != id) return true;
            foundStart = start;
            foundEnd = end;
            std::string key, current;
            holdsValue = SplitConfigLine(line, key, current) && current == safeValue;
            return false;
        });
    }

    if (foundStart != std::string::npos) {
        // A line that already says so is left alone: a read-only install starts as well as any.
        if (holdsValue && !dropOnly) return std::nullopt;
        return content->substr(0, foundStart) + (dropOnly ? std::string() : newLine) + content->substr(foundEnd);
    }
    if (dropOnly) return std::nullopt;
    std::string bytes = content.value_or(std::string());
    // Appending right after a last line without its line end would glue the two together.
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    bytes += newLine;
    return bytes;
}

bool ReadConfig(const char* fileName, bool perCharacterFlag)
{
    bool isCopy = false;
    std::string file;
    const auto content = readChosenConfigFile(fileName, perCharacterFlag, file, isCopy);
    if (!content) {
        KZReport::error("File:%s, Function:CApp::readConfig: cannot open file ''.\n", __FILE__);
        return false;
    }
    ApplyConfigText(*content, file, isCopy, perCharacterFlag);

    // A new installation starts with the obscenity filter off; the first logins save that.
    if (!obscenityRuleDone()) {
        obscenityRuleDone() = true;
        if (ClientLogin <= 1) {
            ObscenityFilter = 0;
            saveConfigDirective(CFG_ObscenityFilter, "off");
        }
    }
    return true;
}

void ApplyConfigText(const std::string& content, const std::string& file, bool isCopy, bool perCharacterFlag)
{
    std::string key, value;
    int lineNumber = 0;
    forEachLine(content, [&](size_t start, size_t end) {
        ++lineNumber;
        const std::string_view line(content.data() + start, end - start);
        if (line.find_last_not_of("\r\n") + 1 > kMaxConfigLineLength)
            KZReport::warning("CApp::readConfig: line %d of '%s' is longer than %zu bytes; the rest of it is ignored.\n",
                              lineNumber, file.c_str(), kMaxConfigLineLength);
        if (!SplitConfigLine(line, key, value)) {
            // Blank and comment lines are skipped quietly; a directive without a value is a damaged line.
            const std::string_view lineKey = ConfigLineKey(line);
            if (FindConfigDirective(lineKey) >= 0)
                KZReport::warning("CApp::readConfig: line %d of '%s': '%.*s' has no value; the line is skipped.\n",
                                  lineNumber, file.c_str(), static_cast<int>(lineKey.size()), lineKey.data());
            return true;
        }
        const int id = FindConfigDirective(key);
        if (id < 0) return true;
        if (isCopy && isInstallationOnly(id)) return true;
        ApplyConfigDirective(id, value.c_str(), perCharacterFlag);
        return true;
    });

    if (configHooks().resolveColorSettings) configHooks().resolveColorSettings();
}

void ResetConfigRunState(bool firstLoginRuleDone)
{
    obscenityRuleDone() = firstLoginRuleDone;
    saveFailureShown() = false;
}

bool getKZCfgDirective(int id, char* buffer, size_t size)
{
    bool isCopy = false;
    std::string file;
    const auto content = readChosenConfigFile("kz.cfg", true, file, isCopy);
    return content && FindConfigTextDirective(*content, id, buffer, size);
}

bool FindConfigTextDirective(const std::string& content, int id, char* buffer, size_t size)
{
    bool found = false;
    std::string key, value;
    forEachLine(content, [&](size_t start, size_t end) {
        if (!SplitConfigLine(std::string_view(content.data() + start, end - start), key, value)) return true;
        KZReport::print("getKZCfgDirective: found '%s'.\n", key.c_str());
        if (FindConfigDirective(key) != id) return true;
        CopyConfigText(buffer, size, value.c_str());
        found = true;
        return true;
    });
    return found;
}

void saveConfigDirective(int id, const char* value) { saveDirective(id, value, true); }

void saveConfigDirectiveMainFile(int id, const char* value) { saveDirective(id, value, false); }
