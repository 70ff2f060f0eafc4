/** @file The options store: settings by name for the options window and the desktop, the option block of kz.cfg, the censor and the file-name cleaner. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Options are found by name: the first record of a table whose name begins with the given
// name, character for character and with case (so "Sound" finds Sound, and an empty name the
// first record). Options whose change needs a restart are named with a trailing "$"; the "$"
// is removed before their table is searched. The values live in the configuration store
// (config_store.h). Every function takes the 16-bit name the gumps use, or an 8-bit twin.

/** Set when a restart option or the window size gets a new value; the options window clears it. */
extern uint8_t RestartNeededFlag;

bool IsBoolOption(const WideChar* name);
/** On/off options: the live byte; "$" options: the pending value once one was set, else the live byte; 0 for no option. */
uint8_t GetBoolOption(const WideChar* name);
uint8_t GetBoolOptionDefault(const WideChar* name);
/** Applies at once (full screen, sound, music, popup help); a "$" option only becomes pending. */
void SetBoolOption(const WideChar* name, uint8_t value);

/** The colour table, plus the pseudo-options "%SpeechHue", "%EmoteHue" and "%PartyMessageColor". */
bool IsColorOption(const WideChar* name);
int32_t GetColorOption(const WideChar* name);
/** The default; for "%SpeechHue" and "%EmoteHue" a random hue 1 to 1000 on every call. */
int32_t GetColorOptionDefault(const WideChar* name);
void SetColorOption(const WideChar* name, int32_t value);

int32_t GetNumberOption(const WideChar* name);
int32_t GetNumberOptionDefault(const WideChar* name);
void SetNumberOption(const WideChar* name, int32_t value);

int32_t GetFontOption(const WideChar* name);
int32_t GetFontOptionDefault(const WideChar* name);
void SetFontOption(const WideChar* name, int32_t value);

/** The choice options FullScreenRes, GamePlayWindowSize and Language; empty text for no option. */
const char* GetTextOption(const WideChar* name);
const char* GetTextOptionDefault(const WideChar* name);
/**
 * Stores a choice option's text. A new window size sets the restart flag; a new full-screen
 * resolution while in full screen re-enters full screen; a 800x600 window forces the full-screen
 * resolution to 800x600. The caller saves with SaveConfigOptions.
 */
void SetSavedRadioConfigOption(const WideChar* name, const WideChar* value);

// 8-bit twins of the above, for callers that hold ASCII names.
bool IsBoolOption(const char* name);
uint8_t GetBoolOption(const char* name);
uint8_t GetBoolOptionDefault(const char* name);
void SetBoolOption(const char* name, uint8_t value);
bool IsColorOption(const char* name);
int32_t GetColorOption(const char* name);
int32_t GetColorOptionDefault(const char* name);
void SetColorOption(const char* name, int32_t value);
int32_t GetNumberOption(const char* name);
int32_t GetNumberOptionDefault(const char* name);
void SetNumberOption(const char* name, int32_t value);
int32_t GetFontOption(const char* name);
int32_t GetFontOptionDefault(const char* name);
void SetFontOption(const char* name, int32_t value);
const char* GetTextOption(const char* name);
const char* GetTextOptionDefault(const char* name);
void SetSavedRadioConfigOption(const char* name, const char* value);

/** Forgets pending restart values and the restart flag (start-up state; tests). */
void ResetOptionsState();

/**
 * Rewrites kz.cfg: every line that is no option line is kept (trailing empty lines dropped),
 * then the separator ";------------------------------" and the option block. False when the
 * file could not be replaced (the old one then stays whole).
 */
bool SaveConfigOptionsOldWay();
/** The kz.cfg text the option save writes over old (password lines dropped with dropPasswords). */
std::string BuildConfigOptionsText(const std::string& old, bool dropPasswords);
/** SaveConfigOptionsOldWay, the character data, and the same rewrite of the character's copy. */
void SaveConfigOptions();
/** Re-reads kz.cfg once the character is known and lets the display catch up. */
void ReloadConfigAndRefreshDisplay();

/** Replaces every character of each obscene word found by "!@#$%&*"[code mod 7]. */
void CensorObsceneWords(char* text);
void CensorObsceneWordsWide(WideChar* text);

/**
 * Makes a name usable as a folder name: when it holds any of \ / : * ? " < > | or ".", it is
 * rebuilt from the pieces between them, each followed by "_" ("A.B" gives "A_B_"); a final
 * blank becomes "_". Works in place in a buffer of `capacity` bytes, cutting to fit.
 */
void MakeSafeFileName(char* text, size_t capacity);
std::string MakeSafeFileName(std::string_view text);
/**
 * A name as one path component that cannot leave its folder: returned unchanged when it is
 * harmless (so existing folders keep their names), else passed through MakeSafeFileName, and
 * "_" when nothing is left.
 */
std::string SafePathComponent(std::string_view text);
