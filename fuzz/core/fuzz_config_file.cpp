/** @file Fuzz target: kz.cfg bytes through the reader, the applier, the raw directive read and both rewriters. */
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/options.h"
#include "fuzz/core/config_fuzz_install.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const testsupport::FuzzInstall& install = testsupport::fuzzInstall();
    // Search paths are a fixed table whose overflow ends the client; not this reader's business.
    configHooks().addSearchPath = [](const char*) {};

    ResetConfigStore();
    ResetConfigRunState(true);
    ResetAddressRotation();
    install.write("kz.cfg", data, size);
    ReadConfig("kz.cfg", false);
    char buffer[64];
    getKZCfgDirective(size > 0 ? data[0] % 142 : 0, buffer, sizeof buffer);
    // One rewrite per input keeps the replay quick; each file replacement syncs the disk.
    if (size > 0 && (data[0] & 1) != 0) saveConfigDirective(CFG_PlayerName, "Fuzz");
    else SaveConfigOptionsOldWay();
    return 0;
}
