/** @file The player-side files (chardata.mul, ignore.lst, kzbscene.lst, speech.mul), stored-password shifting and the character-name check. */
#include "client/core/player_files.h"

#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/shared_functions.h"

#include <algorithm>
#include <cstring>
#include <string_view>

uint16_t CharDataSpeechHues[kCharDataSlots];
uint16_t CharDataEmoteHues[kCharDataSlots];
int32_t CurrentSpeechHue = 995;
int32_t CurrentEmoteHue = 995;

IgnoreEntry IgnoreList[kMaxIgnoreEntries];
int32_t IgnoreListCount;

WideChar ObsceneWords[kMaxObsceneWords][kObsceneWordLength + 1];
int32_t ObsceneWordCount;

std::multimap<std::string, uint16_t> SpeechKeywords;

namespace {

constexpr uint16_t kDefaultSpeechHue = 690;
constexpr uint16_t kDefaultEmoteHue = 549;
constexpr int kIgnoreRecordSize = kIgnoreNameLength + 4;
constexpr uint16_t kWordShift = 13;

void setCharDataDefaults()
{
    std::fill(std::begin(CharDataSpeechHues), std::end(CharDataSpeechHues), kDefaultSpeechHue);
    std::fill(std::begin(CharDataEmoteHues), std::end(CharDataEmoteHues), kDefaultEmoteHue);
}

void putU16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void putU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
}

uint16_t getU16(const std::string& in, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(in[at]) | static_cast<uint8_t>(in[at + 1]) << 8);
}

uint32_t getU32(const std::string& in, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return v;
}

/**
 * One line of shifted 16-bit units from `units`, which reads the next unit (next(unit), false at
 * the end) and steps one unit back (back()). Shared by the file and the in-memory readers.
 */
template <typename Units>
const WideChar* readShiftedLine(Units& units)
{
    static WideChar line[kShiftedLineCapacity];
    int length = 0;
    WideChar unit = 0;
    while (units.next(unit)) {
        if (unit == '\n' || unit == '\r') {
            WideChar next = 0;
            const WideChar partner = unit == '\n' ? u'\r' : u'\n';
            if (units.next(next) && next != partner) units.back();
            break;
        }
        // Units past the buffer are dropped: a long line is cut, never overflowed.
        if (length < kShiftedLineCapacity - 1) line[length++] = unit;
    }
    line[length] = 0;
    return line;
}

/** Shifted units of bytes in memory; a cut last unit ends them. */
struct MemoryUnits {
    std::string_view bytes;
    size_t at = 0;
    bool next(WideChar& unit)
    {
        if (bytes.size() - at < 2) {
            at = bytes.size();
            return false;
        }
        unit = static_cast<WideChar>((static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8) -
                                     kWordShift);
        at += 2;
        return true;
    }
    void back() { at -= 2; }
};

void loadObsceneWords()
{
    ObsceneWordCount = 0;
    const auto bytes = ReadConfigFile("kzbscene.lst", "rb");
    if (!bytes) {
        KZReport::message("LoadFilterLists: no 'kzbscene.lst'; the word list stays empty.\n");
        return;
    }
    ReadObsceneWords(*bytes);
}

void loadIgnoreList()
{
    IgnoreListCount = 0;
    const auto bytes = ReadConfigFile("ignore.lst", "rb");
    if (!bytes) {
        KZReport::message("LoadFilterLists: no 'ignore.lst'; the ignore list stays empty.\n");
        return;
    }
    ReadIgnoreList(*bytes);
}

bool isAsciiLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Titles a player may not take, the staff and status words, and two lists of rude words.
const char* const kTitleWords[] = {
    "king", "queen", "prince", "princess", "duke", "duchess", "baron", "baroness",
    "count", "countess", "earl", "knight", "dame", "sir", "squire", "paladin",
    "emperor", "empress", "mayor", "sheriff", "guard", "guardsman", "priest", "bishop",
    "pope", "god", "goddess", "wizard", "mage", "healer", "banker", "innkeeper",
};
const char* const kStaffWords[] = {"gm", "admin", "counselor", "seer", "staff"};
const char* const kRudeWords1[] = {
    "fuck", "fucker", "fucking", "shit", "shitty", "cunt", "cock", "bugger", "prick", "pussy",
    "bitch", "bastard", "whore", "slut", "twat", "wanker", "arse", "arsehole", "asshole",
    "bollocks", "tits", "piss", "crap",
};
const char* const kRudeWords2[] = {
    "damn", "penis", "vagina", "anus", "rape", "rapist", "nazi", "porn", "sex", "dildo", "jizz",
    "cum", "scrotum", "testicle", "boner", "horny", "orgasm", "semen", "poop", "fart", "butt",
};
static_assert(std::size(kTitleWords) == 32 && std::size(kStaffWords) == 5);
static_assert(std::size(kRudeWords1) == 23 && std::size(kRudeWords2) == 21);

/** True when the word occurs in the name bounded on both sides by the start, the end or punctuation. */
bool containsWholeWord(const char* name, const char* word)
{
    const size_t nameLength = std::strlen(name);
    const size_t wordLength = std::strlen(word);
    for (size_t from = 0; from < nameLength;) {
        const int32_t found = FindSubstringNoCase(word, name + from);
        if (found < 0) return false;
        const size_t at = from + static_cast<size_t>(found);
        const bool startOk = at == 0 || IsNamePunctuation(static_cast<unsigned char>(name[at - 1]));
        const size_t after = at + wordLength;
        const bool endOk = after >= nameLength || IsNamePunctuation(static_cast<unsigned char>(name[after]));
        if (startOk && endOk) return true;
        from = at + 1;
    }
    return false;
}

} // namespace

void ResetPlayerFiles()
{
    setCharDataDefaults();
    CurrentSpeechHue = 995;
    CurrentEmoteHue = 995;
    IgnoreListCount = 0;
    ObsceneWordCount = 0;
    SpeechKeywords.clear();
}

void ReadIgnoreList(const std::string& bytes)
{
    IgnoreListCount = 0;
    if (bytes.size() % kIgnoreRecordSize != 0)
        KZReport::warning("LoadFilterLists: 'ignore.lst' ends in a cut record of %zu bytes; it is ignored.\n",
                          bytes.size() % kIgnoreRecordSize);
    for (size_t at = 0; at + kIgnoreRecordSize <= bytes.size(); at += kIgnoreRecordSize) {
        if (IgnoreListCount >= kMaxIgnoreEntries) {
            KZReport::warning("LoadFilterLists: more than %d names in 'ignore.lst'; the rest are ignored.\n",
                              kMaxIgnoreEntries);
            break;
        }
        IgnoreEntry& e = IgnoreList[IgnoreListCount++];
        std::memcpy(e.name, bytes.data() + at, kIgnoreNameLength);
        e.name[kIgnoreNameLength] = '\0';
        e.serial = getU32(bytes, at + kIgnoreNameLength);
    }
}

void ReadObsceneWords(const std::string& bytes)
{
    ObsceneWordCount = 0;
    MemoryUnits units{bytes};
    while (units.at < bytes.size()) {
        const WideChar* line = readShiftedLine(units);
        if (line[0] == 0) continue;
        if (ObsceneWordCount >= kMaxObsceneWords) {
            KZReport::warning("LoadFilterLists: more than %d words in 'kzbscene.lst'; the rest are ignored.\n",
                              kMaxObsceneWords);
            break;
        }
        WideStrCpyBounded(ObsceneWords[ObsceneWordCount++], kObsceneWordLength + 1, line);
    }
}

// --- chardata.mul ----------------------------------------------------------------------------

void LoadCharData()
{
    setCharDataDefaults();
    std::optional<std::string> bytes;
    std::string copy;
    if (BuildCharacterFilePath("chardata.mul", copy)) bytes = ReadConfigFile(copy, "rb");
    if (!bytes) bytes = ReadConfigFile("chardata.mul", "rb");
    if (!bytes) {
        KZReport::print("CApp::LoadCharData: cannot open file '%s'.\n", "chardata.mul");
        return;
    }
    ReadCharData(*bytes);
}

void ReadCharData(const std::string& bytes)
{
    setCharDataDefaults();
    // A short file gives what it holds; the slots it does not reach keep their defaults.
    if (bytes.size() < 4 * kCharDataSlots)
        KZReport::warning("CApp::LoadCharData: 'chardata.mul' holds %zu of %d bytes; the rest keep their defaults.\n",
                          bytes.size(), 4 * kCharDataSlots);
    for (int i = 0; i < 2 * kCharDataSlots && static_cast<size_t>(2 * i + 2) <= bytes.size(); ++i) {
        uint16_t& slot = i < kCharDataSlots ? CharDataSpeechHues[i] : CharDataEmoteHues[i - kCharDataSlots];
        slot = getU16(bytes, static_cast<size_t>(2 * i));
    }
    const int slot = DefaultChar >= 0 && DefaultChar < kCharDataSlots ? DefaultChar : 0;
    CurrentSpeechHue = CharDataSpeechHues[slot];
    CurrentEmoteHue = CharDataEmoteHues[slot];
}

void SaveCharData()
{
    std::string bytes;
    for (uint16_t hue : CharDataSpeechHues) putU16(bytes, hue);
    for (uint16_t hue : CharDataEmoteHues) putU16(bytes, hue);
    std::string copy;
    // The character's copy when its folder exists on a search path, else the shared file.
    if (BuildCharacterFilePath("chardata.mul", copy) && ReplaceConfigFileBytes(copy, bytes)) return;
    if (!ReplaceConfigFileBytes("chardata.mul", bytes))
        KZReport::warning("CApp::SaveCharData: cannot open file '%s' with mode '%s'.\n", "chardata.mul", "wb");
}

// --- ignore.lst and kzbscene.lst -------------------------------------------------------------

const WideChar* ReadShiftedWideLine(FILE* file)
{
    struct FileUnits {
        FILE* file;
        bool next(WideChar& unit)
        {
            uint8_t raw[2];
            if (file == nullptr || FileManager::read(raw, 1, 2, file) != 2) return false;
            unit = static_cast<WideChar>((raw[0] | raw[1] << 8) - kWordShift);
            return true;
        }
        void back() { std::fseek(file, -2, SEEK_CUR); }
    } units{file};
    return readShiftedLine(units);
}

void LoadFilterLists()
{
    loadObsceneWords();
    loadIgnoreList();
}

int SaveFilterList(int kind)
{
    std::string bytes;
    const char* name = nullptr;
    if (kind == 1) {
        name = "ignore.lst";
        for (int32_t i = 0; i < IgnoreListCount && i < kMaxIgnoreEntries; ++i) {
            const IgnoreEntry& e = IgnoreList[i];
            const size_t n = strnlen(e.name, kIgnoreNameLength);
            bytes.append(e.name, n);
            bytes.append(kIgnoreNameLength - n, '\0');
            putU32(bytes, e.serial);
        }
    } else if (kind == 0) {
        name = "kzbscene.lst";
        for (int32_t i = 0; i < ObsceneWordCount && i < kMaxObsceneWords; ++i) {
            for (const WideChar* p = ObsceneWords[i]; *p != 0; ++p) putU16(bytes, static_cast<uint16_t>(*p + kWordShift));
            putU16(bytes, '\n' + kWordShift);
        }
    } else {
        return 0;
    }
    return ReplaceConfigFileBytes(name, bytes) ? 1 : 0;
}

bool IsSerialIgnored(uint32_t serial)
{
    for (int32_t i = 0; i < IgnoreListCount && i < kMaxIgnoreEntries; ++i)
        if (IgnoreList[i].serial == serial) return true;
    return false;
}

// --- speech.mul ------------------------------------------------------------------------------

void LoadSpeechKeywords()
{
    SpeechKeywords.clear();
    const auto bytes = ReadConfigFile("speech.mul", "rb");
    if (!bytes) {
        KZReport::message("LoadSpeechKeywords: no 'speech.mul'; there are no speech keywords.\n");
        return;
    }
    ReadSpeechKeywords(*bytes);
}

void ReadSpeechKeywords(const std::string& b)
{
    SpeechKeywords.clear();
    size_t at = 0;
    while (at + 4 <= b.size()) {
        const uint16_t id = static_cast<uint16_t>(static_cast<uint8_t>(b[at]) << 8 | static_cast<uint8_t>(b[at + 1]));
        const size_t length = static_cast<size_t>(static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3]));
        at += 4;
        if (length > b.size() - at) {
            KZReport::warning("LoadSpeechKeywords: entry %d of 'speech.mul' is cut short; the list ends there.\n",
                              static_cast<int>(SpeechKeywords.size()));
            break;
        }
        std::string text(b.data() + at, length);
        text.resize(strnlen(text.c_str(), text.size()));
        SpeechKeywords.emplace(std::move(text), id);
        at += length;
    }
}

// --- Stored passwords ------------------------------------------------------------------------

void EncodeStoredPassword(char* text)
{
    if (text == nullptr) return;
    for (; *text != 0; ++text) {
        int c = (static_cast<unsigned char>(*text) + 13) & 0xFF;
        if (c > 127) c -= 95;
        *text = static_cast<char>(c);
    }
}

void DecodeStoredPassword(char* text)
{
    if (text == nullptr) return;
    for (; *text != 0; ++text) {
        int c = (static_cast<unsigned char>(*text) - 13) & 0xFF;
        if (c < 32) c += 95;
        *text = static_cast<char>(c);
    }
}

// --- Character names -------------------------------------------------------------------------

bool IsNamePunctuation(int c) { return c == ' ' || c == '-' || c == '.' || c == '\''; }

bool IsInvalidNameChar(int c) { return !(isAsciiLetter(c) || IsNamePunctuation(c)); }

int IsUnacceptableCharacterName(const char* name)
{
    if (name == nullptr || !isAsciiLetter(static_cast<unsigned char>(name[0]))) return 1;
    for (const char* p = name; *p != 0; ++p) {
        const int c = static_cast<unsigned char>(*p);
        if (IsInvalidNameChar(c)) return 1;
        if (IsNamePunctuation(c) && IsNamePunctuation(static_cast<unsigned char>(p[1]))) return 1;
    }
    for (const char* prefix : {"Lord", "Lady", "GM", "Counselor", "Seer"})
        if (startsWithNoCase(name, prefix)) return 1;
    auto anyWord = [&](auto& words) {
        for (const char* word : words)
            if (containsWholeWord(name, word)) return true;
        return false;
    };
    if (anyWord(kTitleWords) || anyWord(kStaffWords) || anyWord(kRudeWords1) || anyWord(kRudeWords2)) return 1;
    return 0;
}
