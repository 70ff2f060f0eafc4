/** @file The 16-bit text helpers of the name filters, the markup and the speech path. */
#include "client/data/unicode_text.h"

#include "client/core/app.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "client/data/language_manager.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

bool isAsciiSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

bool isAsciiPunct(unsigned char c) { return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126); }

// A word boundary for the two-star keywords: the text's ends, white space or punctuation.
bool isBoundary(std::string_view text, size_t at) { return at >= text.size() || isAsciiSpace(text[at]) || isAsciiPunct(text[at]); }

bool occursAsWord(std::string_view text, std::string_view word)
{
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const bool before = at == 0 || isBoundary(text, at - 1);
        if (before && isBoundary(text, at + word.size())) return true;
    }
    return false;
}

bool keywordMatches(std::string_view text, std::string_view keyword)
{
    const auto stars = std::count(keyword.begin(), keyword.end(), '*');
    if (stars == 0) return text == keyword;
    if (stars == 1 && keyword.front() == '*') return text.ends_with(keyword.substr(1));
    if (stars == 1) return text.starts_with(keyword.substr(0, keyword.size() - 1));
    if (stars == 2 && keyword.size() >= 2) return occursAsWord(text, keyword.substr(1, keyword.size() - 2));
    return false;
}

struct SpeechFonts {
    uint16_t speech = 3;
    uint16_t emote = 3;
};

SpeechFonts g_speechFonts;

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

} // namespace

WideChar WideFoldChar(WideChar c)
{
    static constexpr std::array<std::pair<WideChar, WideChar>, 20> kCodePage = {{
        {128, 199}, {129, 252}, {130, 233}, {131, 227}, {132, 228}, {133, 224}, {135, 231}, {136, 234}, {137, 235}, {138, 232},
        {139, 239}, {140, 238}, {142, 196}, {144, 235}, {147, 244}, {148, 246}, {150, 251}, {151, 249}, {153, 214}, {154, 220},
    }};
    for (const auto& [from, to] : kCodePage) {
        if (c == from) {
            c = to;
            break;
        }
    }
    // The code-page capitals land on Latin-1 capitals and fold on down with them.
    if ((c >= 65 && c <= 90) || (c >= 192 && c <= 221)) return static_cast<WideChar>(c + 32);
    if (c >= 256 && c <= 374) return static_cast<WideChar>(c | 1);
    if (c >= 377 && c <= 381) return static_cast<WideChar>((c + 1) & ~1);
    return c;
}

int32_t WideFindNoCase(const WideChar* pattern, const WideChar* text)
{
    if (pattern == nullptr || text == nullptr) return -1;
    const int32_t m = WideStrLen(pattern);
    const int32_t n = WideStrLen(text);
    if (m == 0 || m > n) return -1;

    std::vector<WideChar> p(static_cast<size_t>(m));
    for (int32_t i = 0; i < m; ++i) p[static_cast<size_t>(i)] = WideFoldChar(pattern[i]);

    // Bad-character shifts: m for characters not in the pattern, else m - 1 - their last position.
    // The 65536-entry table is kept between calls with only this pattern's entries set.
    static std::vector<int32_t> bad(65536, -1);
    for (int32_t i = 0; i < m; ++i) bad[p[static_cast<size_t>(i)]] = m - 1 - i;
    auto badShift = [&](WideChar c) { return bad[c] < 0 ? m : bad[c]; };

    // Good-suffix shifts by mismatch position, from the longest suffix matches of the pattern with itself.
    std::vector<int32_t> suffix(static_cast<size_t>(m));
    suffix[static_cast<size_t>(m - 1)] = m;
    for (int32_t i = m - 2, g = m - 1, f = m - 1; i >= 0; --i) {
        if (i > g && suffix[static_cast<size_t>(i + m - 1 - f)] < i - g) {
            suffix[static_cast<size_t>(i)] = suffix[static_cast<size_t>(i + m - 1 - f)];
        } else {
            g = std::min(g, i);
            f = i;
            while (g >= 0 && p[static_cast<size_t>(g)] == p[static_cast<size_t>(g + m - 1 - f)]) --g;
            suffix[static_cast<size_t>(i)] = f - g;
        }
    }
    std::vector<int32_t> good(static_cast<size_t>(m), m);
    for (int32_t i = m - 1, j = 0; i >= -1; --i) {
        if (i == -1 || suffix[static_cast<size_t>(i)] == i + 1)
            for (; j < m - 1 - i; ++j)
                if (good[static_cast<size_t>(j)] == m) good[static_cast<size_t>(j)] = m - 1 - i;
    }
    for (int32_t i = 0; i <= m - 2; ++i) good[static_cast<size_t>(m - 1 - suffix[static_cast<size_t>(i)])] = m - 1 - i;

    int32_t found = -1;
    for (int32_t at = 0; at <= n - m;) {
        int32_t i = m - 1;
        while (i >= 0 && p[static_cast<size_t>(i)] == WideFoldChar(text[at + i])) --i;
        if (i < 0) {
            found = at;
            break;
        }
        const int32_t matched = m - 1 - i;
        const int32_t goodShift = matched == 0 ? 1 : good[static_cast<size_t>(i)];
        at += std::max(goodShift, badShift(WideFoldChar(text[at + i])) - matched);
    }
    for (int32_t i = 0; i < m; ++i) bad[p[static_cast<size_t>(i)]] = -1;
    return found;
}

int32_t ParseHexWide(const WideChar* text)
{
    if (text == nullptr) return 0;
    uint32_t value = 0;  // unsigned: long texts wrap instead of overflowing
    bool negative = false;
    for (; *text != 0; ++text) {
        const WideChar c = *text;
        uint32_t digit = 0;
        if (c == u'-') {
            negative = !negative;
            continue;
        }
        if (c == u'+') continue;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        value = value * 16 + digit;
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t MarkupColorByName(const WideChar* text)
{
    // The left column of names first, then the right one; the first name the text begins with wins.
    static constexpr std::pair<std::string_view, int32_t> kNames[] = {
        {"BLACK", 0x0001},     {"RED", 0x7C00},      {"LIME", 0x03E0},        {"BLUE", 0x001F},   {"YELLOW", 0x7FE0},
        {"MAGENTA", 0x7C1F},   {"FUCHSIA", 0x7C1F},  {"CYAN", 0x03FF},        {"AQUA", 0x03FF},   {"WHITE", 0x7BDE},
        {"DARKRED", 0x3C00},   {"MAROON", 0x3C00},   {"GREEN", 0x01E0},       {"DARKGREEN", 0x0168}, {"DARKBLUE", 0x000F},
        {"NAVY", 0x000F},      {"DARKYELLOW", 0x3DE0}, {"OLIVE", 0x3DE0},     {"DARKMAGENTA", 0x3C0F}, {"PURPLE", 0x3C0F},
        {"DARKCYAN", 0x01EF},  {"TEAL", 0x01EF},     {"GRAY", 0x3DEF},        {"GREY", 0x3DEF},
    };
    if (text == nullptr) return -1;
    for (const auto& [name, colour] : kNames) {
        size_t i = 0;
        for (; i < name.size(); ++i) {
            WideChar c = text[i];
            if (c >= u'a' && c <= u'z') c = static_cast<WideChar>(c - 32);
            if (c != static_cast<WideChar>(name[i])) break;  // also stops at the text's NUL
        }
        if (i == name.size()) return colour;
    }
    return -1;
}

int32_t MarkupColorValue(const WideChar* text)
{
    if (text == nullptr) return -1;
    if (text[0] == u'#') {
        const auto rgb = static_cast<uint32_t>(ParseHexWide(text + 1));
        const uint32_t red = (rgb >> 16) & 0xFF;
        const uint32_t green = (rgb >> 8) & 0xFF;
        const uint32_t blue = rgb & 0xFF;
        return static_cast<int32_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
    }
    if (text[0] < u'0' || text[0] > u'9') return -1;
    uint32_t value = 0;
    bool negative = false;
    for (; *text != 0; ++text) {
        if (*text == u'-')
            negative = !negative;
        else if (*text == u'+')
            continue;
        else if (*text >= u'0' && *text <= u'9')
            value = value * 10 + (*text - u'0');
        else
            break;
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

int32_t EncodeUtf8(char* buffer, const WideChar* text, int32_t count)
{
    int32_t bytes = 0;
    auto put = [&](uint32_t b) {
        if (buffer != nullptr) buffer[bytes] = static_cast<char>(b);
        ++bytes;
    };
    for (int32_t i = 0; text != nullptr && i < count; ++i) {
        const uint32_t c = text[i];
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | c >> 6);
            put(0x80 | (c & 0x3F));
        } else {
            put(0xE0 | c >> 12);
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    if (buffer != nullptr) buffer[bytes] = 0;
    return bytes;
}

void CensorWideText(WideChar* text)
{
    if (text == nullptr) return;
    const int32_t length = WideStrLen(text);
    std::string narrow(static_cast<size_t>(length), ' ');
    for (int32_t i = 0; i < length; ++i)
        if (text[i] < 128) narrow[static_cast<size_t>(i)] = static_cast<char>(text[i]);
    CensorObsceneWords(narrow.data());
    for (int32_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(narrow[static_cast<size_t>(i)]);
        if (text[i] < 128 && c != text[i]) text[i] = c;
    }
    CensorObsceneWordsWide(text);
}

void setSpeechFonts(uint16_t speechFont, uint16_t emoteFont) { g_speechFonts = SpeechFonts{speechFont, emoteFont}; }

int32_t FindSpeechKeywords(const WideChar* text, int32_t count, int32_t speechType)
{
    if (text == nullptr || count <= 0) return 0;
    int32_t units = 0;
    while (units < count && text[units] != 0) ++units;
    std::string utf8(static_cast<size_t>(EncodeUtf8(nullptr, text, units)), '\0');
    EncodeUtf8(utf8.data(), text, units);  // writes its NUL into the string's own terminator
    std::string lower = utf8;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);

    std::vector<uint16_t> ids;
    for (const auto& [keyword, id] : SpeechKeywords)
        if (keywordMatches(lower, keyword)) ids.push_back(static_cast<uint16_t>(id & 0xFFF));
    if (ids.empty()) return 0;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());

    // Count and ids as 12-bit values, two in three bytes; an odd last value takes a byte and a half.
    std::vector<uint16_t> values;
    values.push_back(static_cast<uint16_t>(ids.size()));
    values.insert(values.end(), ids.begin(), ids.end());
    const size_t keywordBytes = values.size() / 2 * 3 + (values.size() % 2) * 2;
    const size_t total = 12 + keywordBytes + utf8.size() + 1;
    CPacketSink* connection = MainConnection();
    if (ids.size() > 0xFFF || total > 0xFFFF || connection == nullptr) return 0;

    const bool emote = (speechType & 0x3F) == 2;
    std::vector<uint8_t> packet;
    packet.reserve(total);
    packet.push_back(0xAD);
    put16(packet, static_cast<uint32_t>(total));
    packet.push_back(static_cast<uint8_t>(speechType | 0xC0));
    put16(packet, static_cast<uint32_t>(emote ? CurrentEmoteHue : CurrentSpeechHue));
    put16(packet, emote ? g_speechFonts.emote : g_speechFonts.speech);
    // The player's three-letter language code, NUL-padded to four bytes.
    uint8_t language[4] = {};
    const char* code = LanguageManager::getUserLanguageCode();
    for (size_t i = 0; code != nullptr && i < 3 && code[i] != 0; ++i) language[i] = static_cast<uint8_t>(code[i]);
    packet.insert(packet.end(), language, language + 4);
    for (size_t i = 0; i < values.size(); i += 2) {
        const uint32_t a = values[i] & 0xFFF;
        const uint32_t b = i + 1 < values.size() ? values[i + 1] & 0xFFF : 0;
        packet.push_back(static_cast<uint8_t>(a >> 4));
        packet.push_back(static_cast<uint8_t>((a & 0xF) << 4 | b >> 8));
        if (i + 1 < values.size()) packet.push_back(static_cast<uint8_t>(b));
    }
    packet.insert(packet.end(), utf8.begin(), utf8.end());
    packet.push_back(0);
    connection->SendPacket(packet.data(), packet.size());
    return static_cast<int32_t>(ids.size());
}

void PushSpeechRecord(const WideChar* text, int32_t length, int32_t mode, bool flag)
{
    SpeechRecord record;
    if (text != nullptr) record.text.assign(text, static_cast<size_t>(WideStrLen(text)));
    record.length = length;
    record.mode = mode;
    record.flag = flag;
    SpeechRecords().push_front(std::move(record));
    ++SpeechRecordCount();
}

std::list<SpeechRecord>& SpeechRecords()
{
    static std::list<SpeechRecord> records;
    return records;
}

int32_t& SpeechRecordCount()
{
    static int32_t count = 0;
    return count;
}
