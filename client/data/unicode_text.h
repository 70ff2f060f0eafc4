/** @file Small 16-bit text routines: case folding and search, markup colours, UTF-8, the wide censor, speech keywords and the sent-speech record. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

/** The case folding of the name and word filters: a few old code-page letters map to Latin-1, then upper case becomes lower case. */
WideChar WideFoldChar(WideChar character);
/** Position of the first case-folded match of pattern in text, or -1 (also for a null or empty pattern). */
int32_t WideFindNoCase(const WideChar* pattern, const WideChar* text);
/** Hexadecimal value of the text; each "-" flips the sign, "+" is skipped, the first other character ends it. */
int32_t ParseHexWide(const WideChar* text);
/** The 5-5-5 colour of the colour name the text begins with (letters compared without case), or -1. */
int32_t MarkupColorByName(const WideChar* text);
/** "#RRGGBB" as a 5-5-5 colour, a text starting with a digit as its decimal value, else -1. */
int32_t MarkupColorValue(const WideChar* text);
/**
 * Encodes count units as UTF-8 (one to three bytes each; surrogates are not combined). With a
 * null buffer only the byte count is returned; else the bytes and a NUL are written and the byte
 * count (without the NUL) is returned. The buffer must hold the byte count plus one.
 */
int32_t EncodeUtf8(char* buffer, const WideChar* text, int32_t count);
/**
 * Censors the text in place: the 8-bit obscenity censor runs on a copy whose characters of 128
 * and above are blanks and every ASCII character it changed is copied back; then the wide censor
 * runs on the text itself.
 */
void CensorWideText(WideChar* text);

/** The fonts the speech request names (the speech settings set them; 3 each until then). */
void setSpeechFonts(uint16_t speechFont, uint16_t emoteFont);
/**
 * Matches the text (count units, or up to a NUL) against the speech keywords. When any keyword
 * matches, the keyword form of the Unicode speech request (0xAD) is sent on the main connection
 * and the number of distinct keyword ids is returned; 0 when none matched, nothing is connected
 * or the request would not fit a packet (the caller then sends the plain form).
 */
int32_t FindSpeechKeywords(const WideChar* text, int32_t count, int32_t speechType);
/** One line of speech held back by the sender. */
struct SpeechRecord {
    std::u16string text;
    int32_t length = 0;
    int32_t mode = 0;
    bool flag = false;
};
/** Puts a copy of the text at the front of the list of held-back speech and counts it. */
void PushSpeechRecord(const WideChar* text, int32_t length, int32_t mode, bool flag);
/** The held-back speech, newest first, and the running count. */
std::list<SpeechRecord>& SpeechRecords();
int32_t& SpeechRecordCount();
