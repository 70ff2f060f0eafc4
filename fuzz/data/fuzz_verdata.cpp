/** @file Fuzz target: a verdata.mul image, with its groups applied and every patch looked up. */
#include "client/core/kz_report.h"
#include "client/data/verdata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // One table for the whole run, cleared as the client clears it: only the chains an input started.
    static kzdata::VerdataTable table;
    table.clear();
    table.load(data, size);
    for (int32_t file = 0; file < 17; ++file)
        for (int32_t entry = 0; entry < 4; ++entry)
            if (const kzdata::VerdataNode* node = table.find(file, entry)) {
                volatile uint8_t sink = node->length > 0 ? data[node->offset + node->length - 1] : 0;
                (void)sink;
            }
    return 0;
}
