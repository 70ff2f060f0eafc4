/** @file The sample install's fonts: fonts.mul and the three Unicode font files, converted from a bitmap font in hex form. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include <filesystem>
#include <string>

namespace sampleinstall {

/** Where Debian's unifont package puts its hex file ("XXXX:<32 or 64 hex digits>" per glyph, 16 rows). */
inline const std::filesystem::path kUnifontHex = "/usr/share/unifont/unifont.hex";

/**
 * Writes fonts.mul (ten fonts for the characters 32..255) and unifont.mul, unifont1.mul and
 * unifont2.mul into the install folder, all drawn from the glyphs of the hex file.
 */
bool writeFonts(const Layout& layout, std::string& error, const std::filesystem::path& hexFile = kUnifontHex);

} // namespace sampleinstall
