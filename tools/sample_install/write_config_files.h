/** @file The sample install's configuration files: kz.cfg with ordinary settings and login.cfg naming a local login server. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include <cstdint>
#include <string>

namespace sampleinstall {

/** The port of the login server that the sample login.cfg names on 127.0.0.1. */
inline constexpr uint16_t kSampleLoginPort = 2593;

/**
 * Writes kz.cfg (sound, music, window, data and language settings; no account lines) and
 * login.cfg (LoginServer=127.0.0.1,kSampleLoginPort) into the install folder, CR LF lines.
 */
bool writeConfigFiles(const Layout& layout, std::string& error);

} // namespace sampleinstall
