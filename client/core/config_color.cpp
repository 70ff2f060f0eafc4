/** @file The colour-setting parser shared by the configuration and the hue table. */
#include "client/core/config_color.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

} // namespace

int32_t ParseColorValue(const char* text)
{
    if (text == nullptr) return 0;
    uint32_t red = 0, green = 0, blue = 0;
    if (text[0] == '#') {
        int digits[6] = {};
        // Reading stops at the end of a short text; the digits it does not reach stay 0.
        for (int i = 0; i < 6 && text[i + 1] != '\0'; ++i) digits[i] = hexDigit(text[i + 1]);
        red = static_cast<uint32_t>(digits[0] * 16 + digits[1]);
        green = static_cast<uint32_t>(digits[2] * 16 + digits[3]);
        blue = static_cast<uint32_t>(digits[4] * 16 + digits[5]);
    } else if (text[0] == '-') {
        // Saturated: a number past the 32-bit range must not wrap round to 0 or a colour.
        return static_cast<int32_t>(std::max<long long>(std::strtoll(text, nullptr, 10), INT32_MIN));
    } else {
        // strtoul, not atoi: a number past the int range wraps instead of being undefined.
        const auto value = static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
        red = (value >> 16) & 0xFF;
        green = (value >> 8) & 0xFF;
        blue = value & 0xFF;
    }
    return static_cast<int32_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}
