/** @file Builders of the client's configuration and player-side files: kz.cfg lines, chardata.mul, ignore.lst, kzbscene.lst and speech.mul. */
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

/** Joins the lines of a kz.cfg or login.cfg, each ended by eol (the last one too unless lastEol is false). */
std::string configText(const std::vector<std::string>& lines, const std::string& eol = "\r\n", bool lastEol = true);

/** chardata.mul: five speech hues then five emote hues, u16 little-endian. */
std::vector<unsigned char> charDataBytes(const std::vector<uint16_t>& speech, const std::vector<uint16_t>& emote);

/** ignore.lst: per entry the name's bytes NUL-padded (or cut) to 30, then the serial u32 little-endian. */
std::vector<unsigned char> ignoreListBytes(const std::vector<std::pair<std::string, uint32_t>>& entries);

/**
 * kzbscene.lst: every unit of every word plus 13 (u16 little-endian), each word followed by the
 * units of eol, also shifted by 13 ("\n" as the client writes it; "\r\n", "\n\r" or "\r" for
 * files written elsewhere).
 */
std::vector<unsigned char> obsceneListBytes(const std::vector<std::u16string>& words, const std::u16string& eol = u"\n");

/** speech.mul: per entry u16 id, u16 text length (big-endian) and the text bytes. */
std::vector<unsigned char> speechMulBytes(const std::vector<std::pair<uint16_t, std::string>>& entries);

} // namespace testsupport
