/** @file The sample install's localized strings: the language list and the sections the client loads at start-up. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include <string>

namespace sampleinstall {

/**
 * Writes language/langcode.iff and, for enu, the start-up sections (intro with subtitle
 * frames, gt_0000 ... gt_5400, skilname, chat, options) and cliloc-1, into the install folder.
 * Their texts are placeholders that name their section and entry.
 */
bool writeLanguage(const Layout& layout, std::string& error);

} // namespace sampleinstall
