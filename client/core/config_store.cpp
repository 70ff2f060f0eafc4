/** @file The configuration store's globals and their built-in defaults. */
#include "client/core/config_store.h"

#include <cstring>

char CdRomDataPath[kConfigPathLength];
char PlayerName[kConfigNameLength];
char Password[kConfigNameLength];
char FilterPassword[kConfigNameLength];
char AcctID[kConfigNameLength];
char AcctLastName[kConfigNameLength];
char AcctPassword[kConfigNameLength];
char FullScreenRes[kConfigSizeLength];
char GamePlayWindowSize[kConfigSizeLength];
char LoginServerFile[kConfigPathLength];
char JournalSaveFile[kConfigPathLength];
char Language[kConfigTextLength];
char TranslationServerTranslatorName[kConfigTextLength];
char TranslationServerLexaraNFWMarker[kConfigTextLength];
char TranslationServerLexaraTopicalGlossaries[kConfigTextLength];
char TranslationServerLexaraDocumentType[kConfigTextLength];
char ShardName[kConfigNameLength];

uint8_t HdUsage;
uint8_t Sound, Music, ObscenityFilter, FrameCounter, FullScreen, ShowIntroAnim, autoLogIn;
uint8_t OrderCacheOnStartup, RememberAcctPW, GlobalQueue, UseVerData, SaveJournal;
uint8_t JournalSaveUnicode, NotorietyQuery, UseCircleTrans, FilterPWOn, Footsteps, ShowTips;
uint8_t ScaleBarkTimes, FrameSkipping, AllowPathfind, HoldTabForCombat, OffsetGumps;
uint8_t AutoArrangeMinimized, UnicodeSpeech, Sound8Bit, ReverseSpeakers, ChatAntiAlias;
uint8_t AssumePlayAsGhost, UseToolTips, CensorFlesh, CensorBlood, ColoredLighting;
uint8_t ShadedFonts, ClientFirstLaunch, ShowIncomingNames, StatReport, DarkNights;
uint8_t AlwaysRun, NewbieDesktop, FilterWeather, TreeCanopies, Desolation, CombatMusic;
uint8_t PageFlip, GDIFullScreen, use565, EnableMessenger, KZMessengerPing, MouseThread;
uint8_t PopupHelpEnabled, PopupHelpSticky, PopupHelpPersistant;
uint8_t TranslationServer, TranslationServerAutomatic, AllowWindowResize;
uint8_t GDIFullScreenGiven;
uint8_t PopupHelpEnabledGiven;
uint8_t PasswordNoStore;

int32_t CacheSize, SoundVol, MusicVol, LastTip, CurrentVer, BarkTimeModifier, AltKeyModNum;
int32_t ChatFontNumber, ChatSpaceWidth, BarkFontNumber, PartyMessageColor, SpamLimit;
int32_t ClientLogin, DefaultChar, CircleTransRadius, ToolTipFont, ToolTipPreDelay;
int32_t PopupHelpPreDelay, PopupHelpTextFont, SkillReportDiff, LastServerID;
uint8_t NextLoginKey;
int32_t CircleTransPosX, CircleTransPosY;

int32_t CombatHueColor, ProfileColor1, ProfileColor2, ToolTipTextColor, PopupHelpTextColor;
int32_t CensoredBloodColor;
int32_t ChatColorSelfText, ChatColorSelfName, ChatColorOpsText, ChatColorOpsName;
int32_t ChatColorMutedText, ChatColorMutedName, ChatColorText, ChatColorName;
int32_t ChatColorMenuOption, ChatColorInput, ChatColorSystemMessage;
int32_t ChatColorConferenceMenuBackground, ChatColorCommandMenuBackground;
int32_t ChatColorUserListBackground, ChatColorTextBackground, ChatColorInputBackground;
int32_t ChatColorDialogBackground;

HighlightColorEntry HighlightColorTable[8];
int32_t HighlightHueTable[8];

LoginServerList LoginServers;
LoginServerList BackupLoginServers;
uint32_t EditServerAddress;
uint16_t EditServerPort;
uint32_t UserCentralAddress;
uint16_t UserCentralPort;
uint32_t TranslationServerAddress;
uint16_t TranslationServerPort;

void CopyConfigText(char* out, size_t capacity, const char* text)
{
    if (out == nullptr || capacity == 0) return;
    if (text == nullptr) text = "";
    const size_t n = strnlen(text, capacity - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

namespace {

// A switch and the value it starts with.
struct NamedByte { uint8_t* value; uint8_t initial; };

} // namespace

void ResetConfigStore()
{
    const char* empty = "";
    for (char* text : {CdRomDataPath, JournalSaveFile})
        CopyConfigText(text, kConfigPathLength, empty);
    for (char* text : {PlayerName, Password, FilterPassword, AcctID, AcctLastName, AcctPassword, ShardName})
        CopyConfigText(text, kConfigNameLength, empty);
    for (char* text : {TranslationServerTranslatorName, TranslationServerLexaraNFWMarker,
                       TranslationServerLexaraTopicalGlossaries, TranslationServerLexaraDocumentType})
        CopyConfigText(text, kConfigTextLength, empty);
    CopyConfigText(FullScreenRes, "640x480");
    CopyConfigText(GamePlayWindowSize, "640x480");
    CopyConfigText(LoginServerFile, "login.cfg");
    CopyConfigText(Language, "English");

    const NamedByte bytes[] = {
        {&HdUsage, 0}, {&Sound, 1}, {&Music, 1}, {&ObscenityFilter, 1}, {&FrameCounter, 0},
        {&FullScreen, 0}, {&ShowIntroAnim, 0}, {&autoLogIn, 0}, {&OrderCacheOnStartup, 0},
        {&RememberAcctPW, 0}, {&GlobalQueue, 0}, {&UseVerData, 1}, {&SaveJournal, 0},
        {&JournalSaveUnicode, 0}, {&NotorietyQuery, 1}, {&UseCircleTrans, 0}, {&FilterPWOn, 0},
        {&Footsteps, 1}, {&ShowTips, 0}, {&ScaleBarkTimes, 1}, {&FrameSkipping, 0},
        {&AllowPathfind, 1}, {&HoldTabForCombat, 1}, {&OffsetGumps, 1}, {&AutoArrangeMinimized, 1},
        {&UnicodeSpeech, 0}, {&Sound8Bit, 0}, {&ReverseSpeakers, 0}, {&ChatAntiAlias, 0},
        {&AssumePlayAsGhost, 0}, {&UseToolTips, 1}, {&CensorFlesh, 0}, {&CensorBlood, 0},
        {&ColoredLighting, 1}, {&ShadedFonts, 0}, {&ClientFirstLaunch, 0}, {&ShowIncomingNames, 1},
        {&StatReport, 1}, {&DarkNights, 0}, {&AlwaysRun, 0}, {&NewbieDesktop, 0},
        {&FilterWeather, 0}, {&TreeCanopies, 0}, {&Desolation, 1}, {&CombatMusic, 1},
        {&PageFlip, 1}, {&GDIFullScreen, 0}, {&use565, 0}, {&EnableMessenger, 1},
        {&KZMessengerPing, 1}, {&MouseThread, 1}, {&PopupHelpEnabled, 1}, {&PopupHelpSticky, 0},
        {&PopupHelpPersistant, 1}, {&TranslationServer, 0}, {&TranslationServerAutomatic, 1},
        {&AllowWindowResize, 0}, {&GDIFullScreenGiven, 0}, {&PopupHelpEnabledGiven, 0},
        {&PasswordNoStore, 0}, {&NextLoginKey, 0},
    };
    for (const NamedByte& b : bytes) *b.value = b.initial;

    CacheSize = 0; SoundVol = 255; MusicVol = 255; LastTip = 0; CurrentVer = 0;
    BarkTimeModifier = 100; AltKeyModNum = 0; ChatFontNumber = 2; ChatSpaceWidth = 0;
    BarkFontNumber = 0; PartyMessageColor = 144; SpamLimit = 0; ClientLogin = 0; DefaultChar = 0;
    CircleTransRadius = 64; ToolTipFont = 1; ToolTipPreDelay = 1000; PopupHelpPreDelay = 1000;
    PopupHelpTextFont = 1; SkillReportDiff = 1; LastServerID = 0;
    CircleTransPosX = 0; CircleTransPosY = 0;

    CombatHueColor = 0; ProfileColor1 = 0x0860; ProfileColor2 = 0x0860; ToolTipTextColor = 0x7FFF;
    PopupHelpTextColor = 0x7FFF; CensoredBloodColor = 0x03E0; // green, as the blood drawing starts
    ChatColorInput = 0x7BDE; ChatColorMenuOption = 0x7FE0; ChatColorName = 0x3DE0;
    ChatColorText = 0x7FE0; ChatColorMutedName = 0x000F; ChatColorMutedText = 0x001F;
    ChatColorOpsName = 0x3C0F; ChatColorOpsText = 0x7C1F; ChatColorSelfName = 0x3DEF;
    ChatColorSelfText = 0x7FFF; ChatColorSystemMessage = 0x03E0; ChatColorTextBackground = 0;
    ChatColorInputBackground = 0; ChatColorUserListBackground = 0;
    ChatColorConferenceMenuBackground = 0x0C63; ChatColorCommandMenuBackground = 0x0C63;
    ChatColorDialogBackground = 0;

    for (HighlightColorEntry& e : HighlightColorTable) e = HighlightColorEntry{};
    const int32_t hues[8] = {0, 89, 63, 946, 946, 144, 34, 0};
    std::memcpy(HighlightHueTable, hues, sizeof hues);

    LoginServers = LoginServerList{};
    BackupLoginServers = LoginServerList{};
    EditServerAddress = 0; EditServerPort = 0;
    UserCentralAddress = 0; UserCentralPort = 0;
    TranslationServerAddress = 127u << 24 | 1u;
    TranslationServerPort = 28888;
}

namespace {

// The store holds its defaults before any code of the client runs.
struct InitialStore {
    InitialStore() { ResetConfigStore(); }
} initialStore;

} // namespace

ConfigHooks& configHooks()
{
    static ConfigHooks hooks;
    return hooks;
}
