/** @file The colour-setting parser shared by the configuration and the hue table. */
#pragma once

#include <cstdint>

/**
 * Parses a colour setting. "#rrggbb" gives red, green and blue from six hexadecimal digits
 * (either case; a character that is no hexadecimal digit, or a missing one at the end of a
 * short text, counts as 0). Text beginning with "-" returns its decimal value unchanged: a
 * hue number written as -h. Any other text is the decimal value of 0xRRGGBB. The result is
 * the 5-5-5 colour (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3). Null gives 0.
 */
int32_t ParseColorValue(const char* text);
