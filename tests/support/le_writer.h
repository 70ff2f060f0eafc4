/** @file The little-endian byte writer for fixtures (shared with the sample install writer). */
#pragma once

#include "tools/formats/le_writer.h"

namespace testsupport {
using formats::LeWriter;
} // namespace testsupport
