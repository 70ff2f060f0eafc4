/** @file Numbered server texts: where a number lives, its text in the user's language, and argument substitution. */
#include "client/data/language_manager.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTemplateLimit = 511;
constexpr int32_t kMaxFields = 64;
constexpr int32_t kLongestString = 1024;

CUnicodeString errorText(const char* text, int32_t number)
{
    CUnicodeString out(text);
    out.AppendNumber(number);
    return out;
}

CUnicodeString tokenError(const char* text, int32_t token, int32_t number)
{
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%d : %d", token, number);
    CUnicodeString out(text);
    const CUnicodeString tail(numbers);
    out.AppendString(tail);
    return out;
}

const CUnicodeString* lookUp(const char* section, int32_t entry, const char* code, bool defaultOnly)
{
    LanguageSection* s = LanguageManager::loadSection(section, code, section, false, false, defaultOnly);
    return s ? s->getStr(entry, true) : nullptr;
}

} // namespace

void ClilocLocation(int32_t number, std::string& section, int32_t& entry)
{
    if (number < 1000000) {
        section = "cliloc-1";
        // Far below the range the difference would wrap to a positive entry: keep it negative.
        const int64_t difference = static_cast<int64_t>(number) - 500000;
        entry = difference < INT32_MIN ? -1 : static_cast<int32_t>(difference);
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "cliloc%2.2d", (number - 1000000) / 1000);
    section = name;
    entry = (number - 1000000) % 1000;
}

CUnicodeString GetClilocString(int32_t number)
{
    char code[4] = {};
    if (const LanguageCode* current = LanguageManager::getCurrentLanguage())
        std::memcpy(code, current->code, 3);
    std::string section;
    int32_t entry = 0;
    ClilocLocation(number, section, entry);

    LanguageManager::loadSection(section.c_str(), code, section.c_str());
    if (entry < 0)
        return errorText("Error (TID): Line number less than zero : ", number);

    const CUnicodeString* text = lookUp(section.c_str(), entry, code, false);
    if (!text && std::strncmp(code, "enu", 3) != 0 && LanguageManager::isStarted())
        text = lookUp(section.c_str(), entry, LanguageManager::getDefaultFileExtension(), true);
    if (!text)
        return errorText("Error (TID): Null string : ", number);
    if (text->GetLength() >= kLongestString)
        return errorText("Error (TID): String too Long : ", number);
    return CUnicodeString(*text);
}

void FormatClilocArgs(CUnicodeString& text, const WideChar* args, int32_t number)
{
    if (!args || args[0] == 0)
        return;

    // Fields: the first at the start, each further one just after a tab; a trailing tab adds none.
    struct Field {
        const WideChar* start;
        int32_t length;
    };
    std::vector<Field> fields;
    const WideChar* start = args;
    for (const WideChar* p = args;; ++p) {
        if (*p == u'\t' || *p == 0) {
            if (static_cast<int32_t>(fields.size()) < kMaxFields)
                fields.push_back({start, static_cast<int32_t>(p - start)});
            if (*p == 0 || p[1] == 0)
                break;
            start = p + 1;
        }
    }

    // Work on a copy cut at the template limit, so every look-ahead stays inside it.
    std::u16string source;
    if (const WideChar* t = text.GetStringBuffer())
        source.assign(t, static_cast<size_t>(std::min<int32_t>(text.GetLength(), kTemplateLimit)));
    std::u16string result;
    for (size_t i = 0; i < source.size(); ++i) {
        const char16_t c = source[i];
        if (c != u'~') {
            result.push_back(c);
            continue;
        }
        if (i > 0 && source[i - 1] == u'\\') {
            result.push_back(c);
            continue;
        }
        if (i + 1 < source.size() && source[i + 1] == u'#') {
            const int32_t cited = WideToInt(source.c_str() + i + 2);
            if (cited < 500000 || cited > 1999999) {
                text = tokenError("Error (TID): Token Out of Range : ", cited, number);
                return;
            }
            const CUnicodeString inserted = GetClilocString(cited);
            if (const WideChar* t = inserted.GetStringBuffer())
                result.append(t, static_cast<size_t>(inserted.GetLength()));
        } else {
            const int32_t token = WideToInt(source.c_str() + i + 1);
            if (token < 1 || token > static_cast<int32_t>(fields.size())) {
                text = tokenError("Error (TID): Token Out of Range : ", token, number);
                return;
            }
            const Field& f = fields[static_cast<size_t>(token - 1)];
            result.append(f.start, static_cast<size_t>(f.length));
        }
        // Whatever follows the number up to the closing tilde is dropped.
        const size_t close = source.find(u'~', i + 1);
        i = close == std::u16string::npos ? source.size() : close;
    }
    text.Assign(result.c_str());
}
