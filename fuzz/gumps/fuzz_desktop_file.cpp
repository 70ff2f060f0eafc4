/** @file Fuzz target: the desktop file as a player's folder holds it. */
#include "client/gumps/framework/desktop.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    std::string why;
    const std::optional<DesktopFile> file = ReadDesktopFile(bytes, &why);
    if (!file)
        return 0;
    // The records read write back to the bytes they came from.
    const std::vector<uint8_t> written = WriteDesktopFile(*file);
    if (written.size() > bytes.size() || !std::equal(written.begin(), written.end(), bytes.begin()))
        std::abort();
    return 0;
}
