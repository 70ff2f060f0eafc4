/** @file Fuzz target: the whole receive path of a game-phase connection (key XOR, Huffman, framing, pauses, filter, handlers). */
#include "fuzz/net/net_fuzz_setup.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (netfuzz::installQuietWorld(), true);
    (void)installed;
    if (size < 2)
        return 0;
    // Byte 0: the receive size; byte 1 bit 0: whether this connection is a secondary one.
    CClientSock* connection = netfuzz::keptConnection(true);
    if ((data[1] & 1) != 0)
        SetActiveConnection(netfuzz::secondConnection("other"));
    // The input is the stream after the receive key's XOR: undo the XOR the connection will apply.
    static std::vector<uint8_t> stream; // keeps its room from input to input
    stream.assign(data + 2, data + size);
    const uint8_t* key = connection->ReceiveKey();
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] ^= key[i % 16];
    netfuzz::feed(connection, stream.data(), stream.size(), static_cast<size_t>(data[0]) * 16 + 1);
    ResetConnectionState();
    ResetUnknownPacketReport();
    return 0;
}
