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
    if (size == 0)
        return 0;
    worldfuzz::installOnce("kz-fuzz-world-speech");
    worldfuzz::enterWorld();
    // A mobile beside the player to speak over it.
    worldfuzz::placeMobile(2, 102, 100);
    // Byte 0: bit 0 the obscenity filter is on.
    ObscenityFilter = (data[0] & 1) != 0 ? 1 : 0;

    netfuzz::forEachSelectedPacket(data + 1, size - 1, kIds, [](const uint8_t* packet, size_t length) {
        if (PacketHandler handler = GetPacketHandler(packet[0]))
            handler(packet, length);
    });

    ObscenityFilter = 0;
    worldfuzz::leaveWorld();
    return 0;
}
