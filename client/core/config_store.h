/** @file The configuration store: one process-wide value per kz.cfg directive, plus the login identity texts. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Every directive of kz.cfg and login.cfg lands in one of these plain globals. The directive
// applier (config_files.h) writes them; every subsystem reads them directly, and the options
// store (options.h) reads and writes them by option name. Switches are bytes (1 on, 0 off),
// numbers and colours 32-bit, texts NUL-terminated and always cut to their buffer.
// Main thread only.

constexpr size_t kConfigPathLength = 261;  // CdRomDataPath, LoginServerFile, JournalSaveFile
constexpr size_t kConfigNameLength = 32;   // account, player, password and shard texts
constexpr size_t kConfigSizeLength = 16;   // "640x480"
constexpr size_t kConfigTextLength = 256;  // other free texts

// --- Texts -------------------------------------------------------------------------------
extern char CdRomDataPath[kConfigPathLength];
extern char PlayerName[kConfigNameLength];
extern char Password[kConfigNameLength];         // clear text (stored shifted in the file)
extern char FilterPassword[kConfigNameLength];   // clear text
extern char AcctID[kConfigNameLength];
extern char AcctLastName[kConfigNameLength];
extern char AcctPassword[kConfigNameLength];     // clear text
extern char FullScreenRes[kConfigSizeLength];        // "640x480"
extern char GamePlayWindowSize[kConfigSizeLength];   // "640x480"
extern char LoginServerFile[kConfigPathLength];      // "login.cfg"
extern char JournalSaveFile[kConfigPathLength];
extern char Language[kConfigTextLength];             // options choice only; "English"
extern char TranslationServerTranslatorName[kConfigTextLength];
extern char TranslationServerLexaraNFWMarker[kConfigTextLength];
extern char TranslationServerLexaraTopicalGlossaries[kConfigTextLength];
extern char TranslationServerLexaraDocumentType[kConfigTextLength];

/** The shard of the present login (set by the login windows); empty while none is chosen. */
extern char ShardName[kConfigNameLength];

// --- Switches ------------------------------------------------------------------------------
extern uint8_t HdUsage;  // 1 for "max"
extern uint8_t Sound, Music, ObscenityFilter, FrameCounter, FullScreen, ShowIntroAnim, autoLogIn;
extern uint8_t OrderCacheOnStartup, RememberAcctPW, GlobalQueue, UseVerData, SaveJournal;
extern uint8_t JournalSaveUnicode, NotorietyQuery, UseCircleTrans, FilterPWOn, Footsteps, ShowTips;
extern uint8_t ScaleBarkTimes, FrameSkipping, AllowPathfind, HoldTabForCombat, OffsetGumps;
extern uint8_t AutoArrangeMinimized, UnicodeSpeech, Sound8Bit, ReverseSpeakers, ChatAntiAlias;
extern uint8_t AssumePlayAsGhost, UseToolTips, CensorFlesh, CensorBlood, ColoredLighting;
extern uint8_t ShadedFonts, ClientFirstLaunch, ShowIncomingNames, StatReport, DarkNights;
extern uint8_t AlwaysRun, NewbieDesktop, FilterWeather, TreeCanopies, Desolation, CombatMusic;
extern uint8_t PageFlip, GDIFullScreen, use565, EnableMessenger, KZMessengerPing, MouseThread;
extern uint8_t PopupHelpEnabled, PopupHelpSticky, PopupHelpPersistant;
extern uint8_t TranslationServer, TranslationServerAutomatic, AllowWindowResize;

/** Set when a GDIFullScreen line was read: it then wins over PageFlip. */
extern uint8_t GDIFullScreenGiven;
/** Set when a PopupHelpEnabled line was read. */
extern uint8_t PopupHelpEnabledGiven;
/** Password remembering was switched off in this run: the password directives are never stored. */
extern uint8_t PasswordNoStore;

// --- Numbers and colours -------------------------------------------------------------------
extern int32_t CacheSize, SoundVol, MusicVol, LastTip, CurrentVer, BarkTimeModifier, AltKeyModNum;
extern int32_t ChatFontNumber, ChatSpaceWidth, BarkFontNumber, PartyMessageColor, SpamLimit;
extern int32_t ClientLogin, DefaultChar, CircleTransRadius, ToolTipFont, ToolTipPreDelay;
extern int32_t PopupHelpPreDelay, PopupHelpTextFont, SkillReportDiff, LastServerID;
extern uint8_t NextLoginKey;
extern int32_t CircleTransPosX, CircleTransPosY;

// 15-bit colours (5 bits each, red highest), or a negative hue number as the colour parser gives it.
extern int32_t CombatHueColor, ProfileColor1, ProfileColor2, ToolTipTextColor, PopupHelpTextColor;
extern int32_t CensoredBloodColor;
extern int32_t ChatColorSelfText, ChatColorSelfName, ChatColorOpsText, ChatColorOpsName;
extern int32_t ChatColorMutedText, ChatColorMutedName, ChatColorText, ChatColorName;
extern int32_t ChatColorMenuOption, ChatColorInput, ChatColorSystemMessage;
extern int32_t ChatColorConferenceMenuBackground, ChatColorCommandMenuBackground;
extern int32_t ChatColorUserListBackground, ChatColorTextBackground, ChatColorInputBackground;
extern int32_t ChatColorDialogBackground;

/** Notoriety values 1 (innocent) to 6 (murderer) index the highlight tables. */
enum HighlightNotoriety : int { kNotorietyInnocent = 1, kNotorietyFriend, kNotorietyCanAttack,
                                kNotorietyCriminal, kNotorietyEnemy, kNotorietyMurderer };
struct HighlightColorEntry {
    int32_t color = 0;   // the parsed colour
    uint32_t flags = 0;  // bit 0: set by the configuration
};
extern HighlightColorEntry HighlightColorTable[8];
/** The hue numbers of the HighlightColor directives (the options store edits these). */
extern int32_t HighlightHueTable[8];

// --- Addresses -----------------------------------------------------------------------------
/** A server as read from the configuration: a numeric address, or a host name still to resolve. */
struct LoginServerEntry {
    uint32_t address = 0;  // a << 24 | b << 16 | c << 8 | d; 0 while unresolved
    uint16_t port = 0;
    char host[kConfigTextLength] = {};  // empty for a numeric entry
};
constexpr int kMaxLoginServers = 32;
struct LoginServerList {
    LoginServerEntry entries[kMaxLoginServers];
    int32_t count = 0;
    int32_t current = -1;  // -1 while the list is empty
};
extern LoginServerList LoginServers;
extern LoginServerList BackupLoginServers;
/** Fixed login server override; EditServerAddress 0 means none. */
extern uint32_t EditServerAddress;
extern uint16_t EditServerPort;
extern uint32_t UserCentralAddress;
extern uint16_t UserCentralPort;
extern uint32_t TranslationServerAddress;  // 127.0.0.1 by default
extern uint16_t TranslationServerPort;     // 28888 by default

/** Restores every value above to its built-in default (start-up state; tests call it too). */
void ResetConfigStore();

/** Copies text into a buffer of `capacity` bytes, cutting it so the NUL always fits. */
void CopyConfigText(char* out, size_t capacity, const char* text);
template <size_t N>
void CopyConfigText(char (&out)[N], const char* text) { CopyConfigText(out, N, text); }

/**
 * What other subsystems do when a setting changes. Each hook is empty until the subsystem that
 * owns the effect installs it at start-up; an empty hook is skipped and the value only stays in
 * the store. Tests install recording hooks.
 */
struct ConfigHooks {
    std::function<void(int width, int height)> setPlaySize;          // GamePlayWindowSize
    std::function<void()> resetPixelFormat555;                       // use565
    /** CensoredBloodColor gave a 15-bit colour (not a hue number): the blood drawing takes it. */
    std::function<void(uint16_t color)> setCensoredBloodColor;
    /**
     * A configuration file has been applied (start-up and every reload): the highlight colours
     * read from it, a colour or a -hue in HighlightColorTable, become hues in HighlightHueTable.
     */
    std::function<void()> resolveColorSettings;
    std::function<void(int radius)> setCircleRadius;                 // CircleTransRadius
    std::function<void(int x, int y)> setCircleCenter;               // CircleTransPos
    std::function<void(const char* path)> addSearchPath;             // FileManagerAddSearchPath
    std::function<void()> translationServerEnable;
    std::function<void(uint32_t address)> translationServerSetAddress;
    std::function<void(uint16_t port)> translationServerSetPort;
    std::function<void(int which, const char* text)> translationServerSetText;  // 113..116
    std::function<void(bool automatic)> translationServerSetAutomatic;
    // Switching sound and music on or off, the full-screen switch and the macro reload go through
    // the core's own services (media_services.h, shared_functions.h, input_services.h).
    std::function<void(int volume)> soundSetVolume;
    std::function<void(int volume)> musicSetVolume;
    /** Popup help, tool tip and party colour settings changed: live copies re-read the store. */
    std::function<void()> liveSettingsChanged;
    /** The display side of ReloadConfigAndRefreshDisplay (gumps, window, view). */
    std::function<void()> refreshDisplayAfterReload;
    /**
     * Resolves a host name into at most `capacity` IPv4 addresses in host order
     * (a << 24 | b << 16 | c << 8 | d); returns how many were found, 0 when the host is unknown.
     * Without this hook every host name counts as unknown.
     */
    std::function<int(const char* host, uint32_t* addresses, int capacity)> resolveHost;
};
ConfigHooks& configHooks();
