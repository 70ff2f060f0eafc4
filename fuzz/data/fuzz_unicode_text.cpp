/** @file Fuzz target: 16-bit text from the input (big-endian units, as packets carry it) through the search, markup colours, UTF-8 encoder, censor and speech keyword matcher. */
#include "client/core/player_files.h"
#include "client/data/unicode_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    // The first byte splits the rest into a pattern and a text.
    std::u16string units;
    for (size_t i = 1; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] << 8 | data[i + 1]));
    const size_t split = units.empty() ? 0 : data[0] % (units.size() + 1);
    std::u16string pattern = units.substr(0, split);
    std::u16string text = units.substr(split);

    WideFindNoCase(pattern.c_str(), text.c_str());
    ParseHexWide(text.c_str());
    MarkupColorByName(text.c_str());
    MarkupColorValue(text.c_str());
    const auto count = static_cast<int32_t>(text.size());
    std::vector<char> utf8(static_cast<size_t>(EncodeUtf8(nullptr, text.c_str(), count)) + 1);
    EncodeUtf8(utf8.data(), text.c_str(), count);

    // The keyword list is only read: it is set once. The obscene word is the input's pattern.
    static const bool keywordsSet = [] {
        ResetPlayerFiles();
        SpeechKeywords = {{"*a*", 1}, {"b*", 2}, {"*c", 3}, {"d", 4}, {"*", 5}, {"**", 6}, {"*e*f*", 7}};
        return true;
    }();
    (void)keywordsSet;
    ObsceneWordCount = 0;
    if (!pattern.empty() && pattern.size() <= kObsceneWordLength) {
        WideStrCpyBounded(ObsceneWords[0], kObsceneWordLength + 1, pattern.c_str());
        ObsceneWordCount = 1;
    }
    FindSpeechKeywords(text.c_str(), count, data[0]);
    CensorWideText(text.data());
    ObsceneWordCount = 0;
    return 0;
}
