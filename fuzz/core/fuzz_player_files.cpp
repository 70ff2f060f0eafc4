/** @file Fuzz target: the same bytes as chardata.mul, ignore.lst, kzbscene.lst and speech.mul. */
#include "client/core/config_store.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "fuzz/core/config_fuzz_install.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const testsupport::FuzzInstall& install = testsupport::fuzzInstall();

    ResetPlayerFiles();
    for (const char* name : {"chardata.mul", "ignore.lst", "kzbscene.lst", "speech.mul"}) install.write(name, data, size);
    DefaultChar = size > 0 ? data[0] % 5 : 0;
    LoadCharData();
    LoadFilterLists();
    LoadSpeechKeywords();
    for (int32_t i = 0; i < IgnoreListCount; ++i) (void)IsSerialIgnored(IgnoreList[i].serial);
    char text[] = "some text to censor";
    CensorObsceneWords(text);
    return 0;
}
