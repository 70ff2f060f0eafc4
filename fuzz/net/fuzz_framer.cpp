/** @file Fuzz target: a login-phase stream framed however receives cut it; every dispatched packet has its table length. */
#include "client/net/packet_table.h"
#include "fuzz/net/net_fuzz_setup.h"

#include <cstdlib>

namespace {

void check(const uint8_t* packet, size_t length)
{
    const uint16_t table = PacketTableLength(packet[0]);
    const size_t expected = table == kVariableLength ? (static_cast<size_t>(packet[1]) << 8 | packet[2]) : table;
    if (table == 0 || length != expected || length > kConnectionBufferSize)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // Every id checks its packet; nothing the framing does changes the table, so it is set once.
    static const bool checking = [] {
        netfuzz::installQuietWorld();
        for (int id = 0; id < 256; ++id)
            SetPacketHandler(static_cast<uint8_t>(id), check);
        return true;
    }();
    (void)checking;
    CClientSock* connection = netfuzz::keptConnection(false);
    netfuzz::feed(connection, data + 1, size - 1, static_cast<size_t>(data[0]) + 1);
    ResetConnectionState();
    return 0;
}
