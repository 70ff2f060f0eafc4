/** @file Builders of run-encoded art records for tests: from a list of runs per row, or from a plain bitmap. */
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

/** One run as stored: the skip from the previous run's end (or the row start) and its pixels. */
struct ArtRunSpec {
    uint16_t skip = 0;
    std::vector<uint16_t> pixels;
};
using ArtRowSpec = std::vector<ArtRunSpec>;

/**
 * A record of the given width with one row per entry of `rows` (the height), each row's runs
 * followed by the count-0 terminator. `trailing` words are appended after each terminator
 * (data that the reader must ignore).
 */
std::vector<uint8_t> buildArtRecord(uint16_t width, const std::vector<ArtRowSpec>& rows,
                                    const std::vector<uint16_t>& trailing = {});

/** The record of a width x height bitmap (row by row): every maximal stretch of non-zero pixels is one run. */
std::vector<uint8_t> buildArtRecordFromBitmap(uint16_t width, uint16_t height, const std::vector<uint16_t>& bitmap);

} // namespace testsupport
