/** @file Builders of run-encoded art records for tests. */
#include "tests/support/art_builder.h"

#include "tools/formats/data_formats.h"

#include <cstddef>


namespace testsupport {

std::vector<uint8_t> buildArtRecord(uint16_t width, const std::vector<ArtRowSpec>& rows, const std::vector<uint16_t>& trailing)
{
    // Row bodies first, so that the offset table can be written in front of them.
    std::vector<uint16_t> body;
    std::vector<uint16_t> offsets;
    for (const ArtRowSpec& row : rows) {
        offsets.push_back(static_cast<uint16_t>(body.size()));
        for (const ArtRunSpec& run : row) {
            body.push_back(run.skip);
            body.push_back(static_cast<uint16_t>(run.pixels.size()));
            body.insert(body.end(), run.pixels.begin(), run.pixels.end());
        }
        body.push_back(0);
        body.push_back(0);
        body.insert(body.end(), trailing.begin(), trailing.end());
    }
    std::vector<uint8_t> out;
    auto put16 = [&out](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(0x1234);  // the 32-bit header, unused by the reader
    put16(0);
    put16(width);
    put16(static_cast<uint32_t>(rows.size()));
    for (uint16_t o : offsets) put16(o);
    for (uint16_t v : body) put16(v);
    return out;
}

std::vector<uint8_t> buildArtRecordFromBitmap(uint16_t width, uint16_t height, const std::vector<uint16_t>& bitmap)
{
    return formats::encodeArtImage(width, height, bitmap);
}

} // namespace testsupport
