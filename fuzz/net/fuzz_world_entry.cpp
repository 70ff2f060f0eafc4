/** @file Fuzz target: entering the world and moving the player (login confirm, player update, walk answers, map change, season, light, versions) on a stream of packets. */
#include "fuzz/net/world_fuzz_setup.h"

#include "client/core/config_store.h"

#include <cstddef>
#include <cstdint>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0x1B, 0x20, 0x21, 0x22, 0x97, 0x76, 0xBC, 0x4F, 0xB9, 0xBA, 0xBD, 0xBE, 0x28, 0x29};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Byte 0: bit 0 the fourth season is allowed; bit 1 the light is overridden; bit 2 tips are
    // asked for on entering; bit 3 the world is not entered yet.
    worldfuzz::readWorldInput("kz-fuzz-world-entry", data, size, kIds, [](CClientSock*, uint8_t flags) {
        // Two mobiles near the player: moving the view purges or keeps them with the land.
        worldfuzz::placeMobile(2, 102, 100);
        worldfuzz::placeMobile(3, 130, 100);
        AllowSeasonFour = (flags & 1) != 0;
        GlobalLightOverride = (flags & 2) != 0;
        ShowTips = (flags & 4) != 0 ? 1 : 0;
        WorldEntered = (flags & 8) == 0;
    });
    return 0;
}
