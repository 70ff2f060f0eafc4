/** @file Fuzz target: packet 0xB0 as the server sends it. */
#include "client/gumps/framework/server_gump_packet.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ServerGumpDescription gump;
    std::string why;
    (void)ParseServerGumpPacket(data, size, gump, &why);
    return 0;
}
