/** @file Movie fixtures: the shared movie encoder, frame checksums and a PNG dump of a frame. */
#pragma once

#include "tools/formats/movie_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using formats::MovieWriter;

/** FNV-1a over the pixels: the pinned value of a golden frame. */
uint64_t frameChecksum(const std::vector<uint16_t>& pixels);
/** Writes 16-bit pixels (5-5-5 or 5-6-5) as an RGB PNG; false when the file cannot be written. */
bool writeFramePng(const std::string& path, const std::vector<uint16_t>& pixels, int width, int height, bool rgb565);
/**
 * Compares a frame with its pinned checksum; on a mismatch writes <name>.png into the test
 * build folder and returns a message naming it (empty when the frame matches).
 */
std::string checkGoldenFrame(const std::string& name, const std::vector<uint16_t>& pixels, int width, int height,
                             bool rgb565, uint64_t expected);

} // namespace testsupport
