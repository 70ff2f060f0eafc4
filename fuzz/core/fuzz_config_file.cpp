/** @file Fuzz target: kz.cfg bytes through the reader, the applier, the raw directive read and both rewriters. */
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/options.h"
#include "fuzz/core/config_fuzz_install.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

/** Aborts unless the path is Desktop/<account>/<shard>/<character>/kz.cfg with plain components. */
void checkInsideDesktop(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash = path.find('/'); ; slash = path.find('/', start)) {
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (parts.size() != 5 || parts[0] != "Desktop" || parts[4] != "kz.cfg") std::abort();
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..") std::abort();
        for (char c : part)
            if (c == '\\' || static_cast<unsigned char>(c) < 0x20) std::abort();
    }
}

} // namespace

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
    // The account and character names came from the file; the shard name comes from a server.
    // Whatever they hold, the character's folder stays inside the Desktop tree.
    const std::string text(reinterpret_cast<const char*>(data), size);
    CopyConfigText(ShardName, text.c_str());
    if (PlayerName[0] == '\0') CopyConfigText(PlayerName, text.c_str() + text.size() / 2);
    std::string path;
    if (BuildCharacterFilePath("kz.cfg", path)) checkInsideDesktop(path);
    char buffer[64];
    getKZCfgDirective(size > 0 ? data[0] % 142 : 0, buffer, sizeof buffer);
    // One rewrite per input keeps the replay quick; each file replacement syncs the disk.
    if (size > 0 && (data[0] & 1) != 0) saveConfigDirective(CFG_PlayerName, "Fuzz");
    else SaveConfigOptionsOldWay();
    return 0;
}
