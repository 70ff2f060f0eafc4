/** @file Fuzz target: kz.cfg bytes through the reader, the applier, the raw directive read and both rewriters. */
#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

/** A folder of its own for the files of this run, removed when the run ends. */
struct RunFolder {
    std::string path;
    RunFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern;
    }
    ~RunFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void writeFile(const std::string& folder, const char* name, const std::string& bytes)
{
    std::ofstream(folder + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const RunFolder run;
    const std::string& folder = run.path;
    static const bool ready = [&] {
        SetConfigFolder(folder);
        // Search paths are a fixed table whose overflow ends the client; not this reader's business.
        configHooks().addSearchPath = [](const char*) {};
        return true;
    }();
    (void)ready;

    ResetConfigStore();
    ResetConfigRunState(true);
    ResetAddressRotation();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    writeFile(folder, "kz.cfg", bytes);
    ReadConfig("kz.cfg", false);
    char buffer[64];
    getKZCfgDirective(size > 0 ? data[0] % 142 : 0, buffer, sizeof buffer);
    // One rewrite per input keeps the replay quick; each file replacement syncs the disk.
    if (size > 0 && (data[0] & 1) != 0) saveConfigDirective(CFG_PlayerName, "Fuzz");
    else SaveConfigOptionsOldWay();
    return 0;
}
