/** @file Fuzz target: speech and texts from the server (plain, unicode and numbered messages with their arguments and affixes, help texts) on a stream of packets. */
#include "fuzz/net/world_fuzz_setup.h"

#include "client/core/config_store.h"

#include <cstddef>
#include <cstdint>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0x1C, 0xAE, 0xC1, 0xCC, 0xB7};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Byte 0: bit 0 the obscenity filter is on.
    worldfuzz::readWorldInput("kz-fuzz-world-speech", data, size, kIds, [](CClientSock*, uint8_t flags) {
        // A mobile beside the player to speak over it.
        worldfuzz::placeMobile(2, 102, 100);
        ObscenityFilter = (flags & 1) != 0 ? 1 : 0;
    });
    return 0;
}
