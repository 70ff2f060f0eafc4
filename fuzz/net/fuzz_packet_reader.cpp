/** @file Fuzz target: a received packet read field by field through the payload reader; no read leaves the packet. */
#include "client/net/packet_buffer.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the reads; the rest is the packet.
    const uint8_t plan = data[0];
    ByteReader payload = PacketPayload(data + 1, size - 1);
    for (int step = 0; step < 64 && payload.ok(); ++step) {
        switch ((plan + step * 7) % 8) {
        case 0: payload.u8(); break;
        case 1: payload.u16be(); break;
        case 2: payload.u32be(); break;
        case 3: payload.fixedString(30); break;
        case 4: payload.zeroTerminated(64); break;
        case 5: payload.zeroTerminatedU16be(64); break;
        case 6: {
            ByteReader inner = payload.sub(payload.u8());
            inner.u16le();
            break;
        }
        default: payload.bytes(payload.u16be()); break;
        }
        if (payload.position() > payload.size())
            std::abort();
    }
    if (payload.failed() && (payload.remaining() != 0 || payload.u32be() != 0 || payload.bytes(1) != nullptr))
        std::abort();
    return 0;
}
