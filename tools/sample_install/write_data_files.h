/** @file The sample install's game data files: map, statics, window art, animated tiles, hues, remap tables, digest table. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include <string>

namespace sampleinstall {

/** Writes the data files into the install folder, all drawn by code, the world files included. */
bool writeDataFiles(const Layout& layout, std::string& error);

} // namespace sampleinstall
