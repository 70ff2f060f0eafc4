/** @file kz.cfg and login.cfg: the directive table, the line tokenizer, the reader, the applier and the single-directive writers. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Both files are 8-bit text with one directive per line. The key is the first token of a line
// split on blank, tab, LF, CR, FF and "="; the value is the next token split on tab, LF, CR and
// FF only. So "Sound = on" reads the value "= on" (which is not "on"), and a value may hold
// blanks but ends at a tab. Stored files rely on these rules, so they stay as they are.

/** The id of every directive; the names are those written in the files. */
enum ConfigDirectiveId : int {
    CFG_CdRomDataPath = 0,
    CFG_CacheSize = 1,
    CFG_HdUsage = 2,
    CFG_PlayerName = 3,
    CFG_Password = 4,
    CFG_Sound = 5,
    CFG_SoundVol = 6,
    CFG_Music = 7,
    CFG_MusicVol = 8,
    CFG_ObscenityFilter = 9,
    CFG_ObsceneWord = 10,
    CFG_FilterPassword = 11,
    CFG_PageFlip = 12,
    CFG_GDIFullScreen = 13,
    CFG_FrameCounter = 14,
    CFG_SavePassword = 15,
    CFG_FullScreen = 16,
    CFG_FullScreenRes = 17,
    CFG_GamePlayWindowSize = 18,
    CFG_UserLanguageCodeString = 19,
    CFG_EditServer = 20,
    CFG_UserCentral = 21,
    CFG_ShowIntroAnim = 23,
    CFG_use565 = 24,
    CFG_EnableMessenger = 25,
    CFG_KZMessengerPing = 26,
    CFG_autoLogIn = 27,
    CFG_OrderCacheOnStartup = 28,
    CFG_OrderCache = 29,
    CFG_RememberAcctPW = 30,
    CFG_GlobalQueue = 31,
    CFG_LoginServerFile = 32,
    CFG_LoginServer = 33,
    CFG_BackupLoginServer = 34,
    CFG_AcctID = 35,
    CFG_AcctLastName = 36,
    CFG_AcctPassword = 37,
    CFG_NextLoginKey = 38,
    CFG_DefaultChar = 39,
    CFG_MouseThread = 40,
    CFG_Mouse = 41,
    CFG_UseVerData = 42,
    CFG_SaveJournal = 43,
    CFG_JournalSaveFile = 44,
    CFG_JournalSaveUnicode = 45,
    CFG_NotorietyQuery = 46,
    CFG_UseCircleTrans = 47,
    CFG_CircleTransRadius = 48,
    CFG_CircleTransPos = 49,
    CFG_FilterPWOn = 50,
    CFG_Footsteps = 51,
    CFG_ShowTips = 52,
    CFG_LastTip = 53,
    CFG_CurrentVer = 54,
    CFG_BarkTimeModifier = 55,
    CFG_ScaleBarkTimes = 56,
    CFG_CombatHueColor = 57,
    CFG_FrameSkipping = 58,
    CFG_AllowPathfind = 59,
    CFG_HoldTabForCombat = 60,
    CFG_OffsetGumps = 61,
    CFG_AutoArrangeMinimized = 62,
    CFG_UnicodeSpeech = 63,
    CFG_AltKeyModNum = 64,
    CFG_Sound8Bit = 65,
    CFG_ReverseSpeakers = 66,
    CFG_ChatColorSelfText = 67,
    CFG_ChatColorSelfName = 68,
    CFG_ChatColorOpsText = 69,
    CFG_ChatColorOpsName = 70,
    CFG_ChatColorMutedText = 71,
    CFG_ChatColorMutedName = 72,
    CFG_ChatColorText = 73,
    CFG_ChatColorName = 74,
    CFG_ChatColorMenuOption = 75,
    CFG_ChatColorInput = 76,
    CFG_ChatColorSystemMessage = 77,
    CFG_ChatColorConferenceMenuBackground = 78,
    CFG_ChatColorCommandMenuBackground = 79,
    CFG_ChatColorUserListBackground = 80,
    CFG_ChatColorTextBackground = 81,
    CFG_ChatColorInputBackground = 82,
    CFG_ChatColorDialogBackground = 83,
    CFG_ChatFontNumber = 84,
    CFG_ChatSpaceWidth = 85,
    CFG_ChatAntiAlias = 86,
    CFG_BarkFontNumber = 87,
    CFG_ProfileColor1 = 88,
    CFG_ProfileColor2 = 89,
    CFG_HighlightColorInnocent = 90,
    CFG_HighlightColorFriend = 91,
    CFG_HighlightColorCanAttack = 92,
    CFG_HighlightColorCriminal = 93,
    CFG_HighlightColorEnemy = 94,
    CFG_HighlightColorMurderer = 95,
    CFG_AssumePlayAsGhost = 96,
    CFG_UseToolTips = 97,
    CFG_ToolTipFont = 98,
    CFG_ToolTipPreDelay = 99,
    CFG_ToolTipTextColor = 100,
    CFG_PopupHelpEnabled = 101,
    CFG_PopupHelpPreDelay = 102,
    CFG_PopupHelpTextColor = 103,
    CFG_PopupHelpTextFont = 104,
    CFG_PopupHelpSticky = 105,
    CFG_PopupHelpPersistant = 106,
    CFG_PartyMessageColor = 107,
    CFG_CensorFlesh = 108,
    CFG_CensorBlood = 109,
    CFG_CensoredBloodColor = 110,
    CFG_TranslationServer = 111,
    CFG_TranslationServerIPAddress = 112,
    CFG_TranslationServerTranslatorName = 113,
    CFG_TranslationServerLexaraNFWMarker = 114,
    CFG_TranslationServerLexaraTopicalGlossaries = 115,
    CFG_TranslationServerLexaraDocumentType = 116,
    CFG_TranslationServerAutomatic = 117,
    CFG_SpamLimit = 118,
    CFG_AllowWindowResize = 119,
    CFG_FileManagerAddSearchPath = 120,
    CFG_GMHelpQueueLinesPerRequest = 121,
    CFG_GMHelpQueueMaxCharactersPerLine = 122,
    CFG_ColoredLighting = 123,
    CFG_ShadedFonts = 124,
    CFG_ClientFirstLaunch = 125,
    CFG_SkillReportDiff = 126,
    CFG_ShowIncomingNames = 127,
    CFG_StatReport = 128,
    CFG_LastServerID = 129,
    CFG_DarkNights = 130,
    CFG_AlwaysRun = 131,
    CFG_NewbieDesktop = 132,
    CFG_SaveDesktop = 133,
    CFG_CancelGumpOpen = 134,
    CFG_FilterWeather = 135,
    CFG_Season = 136,
    CFG_NumPassTries = 137,
    CFG_TreeCanopies = 138,
    CFG_Desolation = 139,
    CFG_CombatMusic = 140,
    CFG_ClientLogin = 141
};

struct ConfigDirective {
    const char* name;
    int id;
};
constexpr int kNumConfigDirectives = 141;
/** The table in search order (a few ids are out of order; id 22 does not exist). */
extern const ConfigDirective ConfigDirectives[kNumConfigDirectives];

/** Longest line the reader looks at; the rest of a longer line is ignored. */
constexpr size_t kMaxConfigLineLength = 1024;

/** Equality ignoring the case of A-Z, as directive names and switch words compare. */
bool EqualsNoCase(std::string_view a, std::string_view b);
/** Id of the first directive whose name equals the key ignoring case, or -1. */
int FindConfigDirective(std::string_view key);
/** Name of the directive with that id, or null. */
const char* ConfigDirectiveName(int id);

/** The key of a line: its first token, or empty when the line has none. */
std::string_view ConfigLineKey(std::string_view line);
/**
 * Splits a line into key and value by the rules above. False when the line has no key or its
 * value is missing or empty. Only the first kMaxConfigLineLength bytes and the text before a
 * NUL count.
 */
bool SplitConfigLine(std::string_view line, std::string& key, std::string& value);

/**
 * Four groups of one to three digits separated by ".", then ",", then a port of four or five
 * digits with no digit after it ("127.0.0.1,2593" yes, "10.0.0.1,80" no).
 */
bool IsNumericAddress(const char* text);
/**
 * Host resolution of "host[,port]": the port is the decimal after the comma (0 without one).
 * When the host is found, one of its addresses is picked by a process-wide rotating index
 * (each lookup takes the next address); when it is not found, address and port stay as given.
 * Returns whether the host was found.
 */
bool ResolveConfigAddress(const char* text, uint32_t& address, uint16_t& port);
/** Resets the rotating address index (tests). */
void ResetAddressRotation();

/**
 * Applies one directive value to the configuration store. perCharacterFlag is the flag the
 * file is read with: LoginServer and BackupLoginServer are ignored under it (they belong to
 * login.cfg).
 */
void ApplyConfigDirective(int id, const char* value, bool perCharacterFlag);

/**
 * Path of a file of the current character, "Desktop/<account>/<shard>/<character>/<file>",
 * a name the file manager looks up on its search paths. Every component made from a name passes
 * SafePathComponent, so none can leave the Desktop tree. False (and no path) when the shard
 * name or the player name is empty.
 */
bool BuildCharacterFilePath(const char* file, std::string& out);

/**
 * Reads and applies one configuration file, found through the file manager. With the
 * per-character flag, the character's copy of kz.cfg is read instead when it exists; some ids
 * are never taken from such a copy (full screen, password and login directives, the
 * translation server). Reports an error when no file opens. Returns whether a file was read.
 */
bool ReadConfig(const char* fileName, bool perCharacterFlag);
/**
 * The reading half of ReadConfig on text already read: applies each directive line (a
 * per-character copy, isCopy, leaves the installation's directives alone) and resolves the
 * colour settings; file names the text in the log. The first-login rule is not applied here.
 */
void ApplyConfigText(const std::string& content, const std::string& file, bool isCopy, bool perCharacterFlag);
/**
 * The text saveConfigDirective writes for directive id set to value: the first line of the
 * directive replaced (removed with dropOnly), or the line appended. nullopt when nothing is
 * to be written: the line already holds the value, or there is no line to remove.
 */
std::optional<std::string> RewriteConfigText(const std::optional<std::string>& content, int id, const char* value,
                                             bool dropOnly);

/**
 * Sets whether the once-per-run rule of the first logins (switch the obscenity filter off and
 * save that) counts as done, and forgets that the player was told of a setting that could not
 * be saved; the start-up state is not done (tests).
 */
void ResetConfigRunState(bool firstLoginRuleDone = false);

/**
 * Copies the raw value of the last line with that id (from the character's copy when it
 * exists, else kz.cfg) into buffer, cut to size. True when found.
 */
bool getKZCfgDirective(int id, char* buffer, size_t size);
/** getKZCfgDirective on text already read. */
bool FindConfigTextDirective(const std::string& content, int id, char* buffer, size_t size);

/**
 * Writes one directive: the first line of that directive is replaced by "Name=value" CR LF,
 * or the line is appended when there is none. Goes to the character's copy when it exists,
 * else to kz.cfg. In the copy, and while PasswordNoStore is set, RememberAcctPW, AcctPassword
 * and NumPassTries are only removed, never written. The file the read found is replaced as a
 * whole, wherever it lies (a temporary file renamed over it), so a failed write leaves the
 * old file intact; a missing kz.cfg is created in the install folder.
 */
void saveConfigDirective(int id, const char* value);
/** saveConfigDirective on kz.cfg alone. */
void saveConfigDirectiveMainFile(int id, const char* value);
