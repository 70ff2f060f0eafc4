/** @file Fuzz target: arbitrary bytes as a section file of numbered strings, then lookups by number, key and frame. */
#include "client/core/kz_report.h"
#include "client/data/language_manager.h"

#include "fuzz/core/fatal_report_guard.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    testsupport::readReportingQuietly([&] {
        LanguageSection section;
        if (section.loadFromMemory(data, size, "fuzz.enu")) {
            for (int32_t n : {-1, 0, 1, section.getCount() - 1, section.getCount(), 1000000})
                (void)section.getStr(n, true);
            int32_t index = 0;
            for (int32_t frame : {0, 10, 1000})
                (void)section.getStrForFrame(frame, index);
        }
    });
    return 0;
}
