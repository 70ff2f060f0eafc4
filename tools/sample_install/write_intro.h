/** @file The sample install's intro movie. */
#pragma once

#include "tools/sample_install/sample_install.h"

namespace sampleinstall {

/** music/intro.wve: three seconds drawn by the movie encoder (key and delta frames, IMA sound). */
bool writeIntroMovie(const Layout& layout, std::string& error);

} // namespace sampleinstall
