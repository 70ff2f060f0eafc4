/** @file Fuzz target: the string class and 16-bit text functions over arbitrary text, as read from data files and packets. */
#include "client/core/shared_functions.h"
#include "client/core/unicode_string.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The bytes as 8-bit text and, taken in little-endian pairs, as 16-bit text.
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    std::u16string wide;
    for (size_t i = 0; i + 1 < size; i += 2)
        wide.push_back(static_cast<WideChar>(data[i] | (data[i + 1] << 8)));

    CUnicodeString text(wide.c_str());
    int32_t low = 0;
    int32_t high = 0;
    text.ParseRange(low, high);
    CUnicodeString after;
    text.GetTextAfter(after, size > 0 ? data[0] : u'-');
    (void)text.Equals(after);
    (void)text.MatchesAscii(narrow.c_str());
    (void)text.StartsWithAscii(narrow.c_str());
    (void)text.CharAt(static_cast<int32_t>(size) - 3);
    text.Prepend(after);
    text.Append(text.GetStringBuffer());
    text.RemoveLastCharIf(u'x');

    // Every number written back reads as itself.
    const int32_t value = WideToInt(wide.c_str());
    WideChar digits[40];
    if (WideToInt(IntToWide(value, digits, 10)) != value)
        std::abort();

    char stripped[4096];
    if (wide.size() < sizeof stripped)
        WideToAsciiStrip(stripped, wide.c_str());

    const size_t split = size > 0 ? data[0] % (narrow.size() + 1) : 0;
    const std::string pattern = narrow.substr(0, split).c_str();
    const std::string haystack = narrow.substr(split).c_str();
    const int32_t found = FindSubstringNoCase(pattern.c_str(), haystack.c_str());
    if (found > static_cast<int32_t>(haystack.size()))
        std::abort();
    return 0;
}
