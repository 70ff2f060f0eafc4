/** @file Fuzz target: arbitrary bytes as the language list, every record's fields checked against their bounds. */
#include "client/core/kz_report.h"
#include "client/data/language_manager.h"

#include "fuzz/core/fatal_report_guard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    testsupport::readReportingQuietly([&] {
        for (const auto& code : LanguageManager::readLanguageCodes(data, size, "fuzz.iff")) {
            // A code keeps at most three letters, and every string came from inside the file.
            if (std::strlen(code->code) > 3 || code->languageName.size() >= size || code->countryName.size() >= size)
                std::abort();
        }
    });
    return 0;
}
