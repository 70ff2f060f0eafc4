/** @file Small text-scanning helpers shared by the platform's own parsers (key store file, /proc files). */
#pragma once

#include <optional>
#include <string_view>

namespace platform {

/** The text without blanks and tabs at either end, nor a carriage return at its end. */
inline std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

/** The value of one hexadecimal digit, or -1. */
inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/** The byte written as two hexadecimal digits at text[at]; nullopt when they are not there. */
inline std::optional<unsigned char> hexByteAt(std::string_view text, size_t at)
{
    if (at + 1 >= text.size())
        return std::nullopt;
    const int hi = hexDigit(text[at]);
    const int lo = hexDigit(text[at + 1]);
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return static_cast<unsigned char>(hi * 16 + lo);
}

} // namespace platform
