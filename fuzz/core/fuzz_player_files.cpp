/** @file Fuzz target: the same bytes as chardata.mul, ignore.lst, kzbscene.lst and speech.mul, read in memory. */
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/core/options.h"
#include "client/core/player_files.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    ResetPlayerFiles();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DefaultChar = size > 0 ? data[0] % 5 : 0;
    ReadCharData(bytes);
    ReadIgnoreList(bytes);
    ReadObsceneWords(bytes);
    ReadSpeechKeywords(bytes);
    for (int32_t i = 0; i < IgnoreListCount; ++i) (void)IsSerialIgnored(IgnoreList[i].serial);
    char text[] = "some text to censor";
    CensorObsceneWords(text);
    return 0;
}
