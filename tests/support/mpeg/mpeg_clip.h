/** @file MPEG-1 test clips made with libavcodec's encoder in an MPEG program stream. */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

/**
 * Writes a program stream of frames MPEG-1 pictures of width x height at fps pictures a second:
 * a grey background whose left half is white and whose right half is blue. False on failure.
 */
bool writeMpeg1Clip(const std::string& path, int width, int height, int frames, int fps);

/**
 * Codes one 4:2:0 picture as an MPEG-1 intra picture at a fixed quantiser scale: the elementary
 * stream (sequence header to end) in stream, and libavcodec's own decoding of it (the luma
 * plane, width x height) in decodedLuma. False on failure.
 */
bool encodeMpeg1IntraPicture(int width, int height, const std::vector<uint8_t>& luma, const std::vector<uint8_t>& cb,
                             const std::vector<uint8_t>& cr, int quantiser, std::vector<uint8_t>& stream,
                             std::vector<uint8_t>& decodedLuma);

} // namespace testsupport
