/** @file The player-side files (chardata.mul, ignore.lst, kzbscene.lst, speech.mul), stored-password shifting and the character-name check. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

// chardata.mul: five u16 speech hues then five u16 emote hues, little-endian, one per slot.
// ignore.lst: 34-byte records, a 30-byte NUL-padded name and a u32 serial (little-endian).
// kzbscene.lst: words as 16-bit units (little-endian) with 13 added to each, each word ended
//   by the unit 23 (a line feed plus 13).
// speech.mul: big-endian entries {u16 keyword id, u16 length n, n bytes of text} to the end.

constexpr int kCharDataSlots = 5;
extern uint16_t CharDataSpeechHues[kCharDataSlots];  // 690 each by default
extern uint16_t CharDataEmoteHues[kCharDataSlots];   // 549 each by default
/** The hues the input line speaks and emotes with (995 until character data is loaded). */
extern int32_t CurrentSpeechHue;
extern int32_t CurrentEmoteHue;

constexpr int kIgnoreNameLength = 30;
constexpr int kMaxIgnoreEntries = 256;
struct IgnoreEntry {
    char name[kIgnoreNameLength + 1];  // always terminated, even for a full 30-byte name
    uint32_t serial;
};
extern IgnoreEntry IgnoreList[kMaxIgnoreEntries];
extern int32_t IgnoreListCount;

constexpr int kObsceneWordLength = 30;
constexpr int kMaxObsceneWords = 256;
extern WideChar ObsceneWords[kMaxObsceneWords][kObsceneWordLength + 1];
extern int32_t ObsceneWordCount;

/** Keyword text to keyword id, sorted by text; a text may carry several ids. */
extern std::multimap<std::string, uint16_t> SpeechKeywords;

/** Longest line ReadShiftedWideLine keeps; the rest of a longer line is skipped. */
constexpr int kShiftedLineCapacity = 256;

/** Resets the character data, the lists and the current hues to their start-up values. */
void ResetPlayerFiles();

/**
 * Reads the character's chardata.mul (or the shared one) and takes the current hues from the
 * DefaultChar slot. When neither file opens the current hues keep their values.
 */
void LoadCharData();
/** Writes the character data to the character's copy when its folder exists, else chardata.mul. */
void SaveCharData();

/** Loads kzbscene.lst and ignore.lst; a missing file leaves its list empty. */
void LoadFilterLists();
/** Kind 1 writes ignore.lst, kind 0 kzbscene.lst; 0 when the file cannot be written, else 1. */
int SaveFilterList(int kind);
bool IsSerialIgnored(uint32_t serial);
/** Reads speech.mul into SpeechKeywords; a truncated entry ends the list. */
void LoadSpeechKeywords();

/**
 * The readers of those files over their bytes, read already (the loaders above read the files
 * and call these); each resets what it fills first.
 */
void ReadCharData(const std::string& bytes);
void ReadIgnoreList(const std::string& bytes);
void ReadObsceneWords(const std::string& bytes);
void ReadSpeechKeywords(const std::string& bytes);

/**
 * Reads one line of shifted 16-bit units: 13 is subtracted from each; the line ends at LF, CR
 * or the end of the file, and a CR LF or LF CR pair counts as one end. Returns a buffer shared
 * by every call, valid until the next one, holding at most kShiftedLineCapacity - 1 units.
 */
const WideChar* ReadShiftedWideLine(FILE* file);

/**
 * The shift passwords are stored with: each byte + 13 (mod 256), minus 95 when above 127.
 * Printable ASCII 32-126 maps one to one onto 33-127; other bytes do not survive a round trip.
 */
void EncodeStoredPassword(char* text);
/** The inverse on encoded printable text: each byte - 13 (mod 256), plus 95 when below 32. */
void DecodeStoredPassword(char* text);

/** Blank, "-", "." and the apostrophe. */
bool IsNamePunctuation(int c);
/** Anything but A-Z, a-z, blank, apostrophe, "-" and ".". */
bool IsInvalidNameChar(int c);
/** 1 to reject a new character's name, 0 to accept it. */
int IsUnacceptableCharacterName(const char* name);
