/** @file Fuzz target: arbitrary bytes walked as a FORM/CHUNK tree, reading strings and integers from every chunk. */
#include "client/core/iff.h"
#include "client/core/kz_report.h"

#include "fuzz/core/fatal_report_guard.h"

#include <cstddef>
#include <cstdint>

namespace {

void walkChunk(Iff& iff, IffTag tag)
{
    iff.enterChunk(tag);
    // The chunk's first byte picks a reading pattern, so strings and integers both get exercised.
    const unsigned char pattern = iff.charsLeft() > 0 ? *iff.getCurrentData() : 0;
    char text[16];
    for (int i = 0; i < 8 && iff.charsLeft() >= 4; ++i) {
        if ((pattern >> i) & 1)
            iff.readString(text, sizeof text);
        else
            iff.readInt32((pattern >> 7) & 1);
    }
    iff.exitChunk(tag, (pattern & 0x40) != 0);
}

void walkLevel(Iff& iff, int depth, const unsigned char* end)
{
    while (depth == 0 ? iff.getCurrentData() < end : iff.charsLeft() > 0) {
        if (iff.isForm()) {
            iff.enterForm();
            if (depth < 100)
                walkLevel(iff, depth + 1, end);
            iff.exitForm();
            continue;
        }
        const IffTag tag = iff.getCurrentTag();
        if (tag == 0)
            return;
        walkChunk(iff, tag);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    testsupport::readReportingQuietly([&] {
        Iff iff(data, size);
        iff.setFileName("fuzz.iff");
        walkLevel(iff, 0, data + size);
    });
    return 0;
}
