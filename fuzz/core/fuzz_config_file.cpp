/** @file Fuzz target: kz.cfg text through the applier, the raw directive read and both rewriters, in memory. */
#include "client/core/config_files.h"
#include "client/core/kz_report.h"
#include "client/core/config_store.h"
#include "client/core/options.h"

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
    // Reports are made but not written: a log line per damaged line would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // Search paths are a fixed table whose overflow ends the client; not this reader's business.
    static const bool noSearchPaths = (configHooks().addSearchPath = [](const char*) {}, true);
    (void)noSearchPaths;
    ResetConfigStore();
    ResetAddressRotation();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool copy = size > 0 && (data[0] & 2) != 0;
    ApplyConfigText(text, "kz.cfg", copy, size > 0 && (data[0] & 4) != 0);
    // Then one of the other readers of the same text, chosen by the length (which mutations
    // change all the time), so that each input pays for the applier and one more pass.
    const int id = size > 0 ? data[0] % 142 : 0;
    switch (size % 3) {
    case 0: {
        // The account and character names came from the text; the shard name comes from a
        // server. Whatever they hold, the character's folder stays inside the Desktop tree.
        CopyConfigText(ShardName, text.c_str());
        if (PlayerName[0] == '\0') CopyConfigText(PlayerName, text.c_str() + text.size() / 2);
        std::string path;
        if (BuildCharacterFilePath("kz.cfg", path)) checkInsideDesktop(path);
        char buffer[64];
        FindConfigTextDirective(text, id, buffer, sizeof buffer);
        break;
    }
    case 1:
        // A rewrite holds the directive's line whole, however the text around it looks.
        if (const auto rewritten = RewriteConfigText(text, CFG_PlayerName, "Fuzz", false))
            if (rewritten->find("PlayerName=Fuzz\r\n") == std::string::npos) std::abort();
        RewriteConfigText(text, id, "x", copy);
        break;
    default:
        BuildConfigOptionsText(text, copy);
        break;
    }
    return 0;
}
