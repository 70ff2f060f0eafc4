/** @file Run-encoded art images: reading and checking a record, fetching one by art id, and reading one pixel back. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Record layout (little-endian): u32 header, u16 width, u16 height, then height u16 row offsets
// counted in 16-bit words from the end of the table, then each row's runs {u16 x skip, u16 count,
// count pixels}. The first skip counts from the row start, each later one from the end of the
// previous run; a run of count 0 ends the row.
//
// A record is read once into host-order pixels and absolute run positions, so the blits never
// look at file bytes again. Whatever reaches outside the record is cut off there: a row offset
// past the end gives an empty row, a run is cut at the record's end and at the image width, and
// a row that runs out of record before its terminator ends there. Row offsets may lead several
// rows over the same runs, but a record never yields more pixels than it has words after its
// row table; rows past that are empty. Only a record too short for its header and row table is
// refused.
struct ArtRun {
    uint16_t x = 0;       // column of the run's first pixel
    uint16_t count = 0;   // pixels in the run, never past the image width
    uint32_t pixel = 0;   // index of the first pixel in ArtImage::pixels
};

struct ArtImage {
    int32_t width = 0;
    int32_t height = 0;
    /** Runs of row y are runs[rowStart[y]] .. runs[rowStart[y + 1] - 1]; rowStart has height + 1 entries. */
    std::vector<uint32_t> rowStart;
    std::vector<ArtRun> runs;
    std::vector<uint16_t> pixels;
};

/** Reads an art record; null when it is too short for its header and row table. */
std::unique_ptr<ArtImage> ParseArtImage(const uint8_t* data, size_t size);

/**
 * The image of an art id (land tiles from 0, items at graphic + 0x4000) read through the data
 * cache from the art index and data files, parsed once and kept; null when the record is absent
 * or damaged. The image stays valid until ClearArtImageCache.
 */
const ArtImage* GetArtImage(int32_t artId);
/** Forgets every kept image; for when the art files change (patches, another install). */
void ClearArtImageCache();
/** Forgets the kept image of one art id, whose record was replaced; the next request reads it again. */
void ForgetArtImage(int32_t artId);

/**
 * The pixel at column x of row y, walking that row's runs; 0 in a gap, past the row's last run,
 * outside the image or for a null image.
 */
uint16_t GetArtPixel(const ArtImage* image, int32_t x, int32_t y);
