/** @file Fuzz target: a stream of server packets through the extended command packet: walk keys, gump closes, the party, the map and item properties. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_ExtendedCommand,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1, .pack = true, .party = true});
}
