/** @file Reading packet 0xB0, the server-described gump, with every count and length checked. */
#include "client/gumps/framework/server_gump_packet.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"

namespace {

bool fail(std::string* why, const char* reason)
{
    if (why != nullptr)
        *why = reason;
    return false;
}

} // namespace

bool ParseServerGumpPacket(const uint8_t* bytes, size_t length, ServerGumpDescription& out, std::string* why)
{
    out = {};
    ByteReader packet(bytes, length);
    if (packet.u8() != 0xB0)
        return fail(why, "not packet 0xB0");
    const uint16_t declared = packet.u16be();
    if (!packet.ok() || declared > length || declared < 3)
        return fail(why, "length field outside the packet");
    ByteReader reader(bytes, declared);
    reader.skip(3);
    out.serial = reader.u32be();
    out.gumpId = reader.u32be();
    out.x = reader.s32be();
    out.y = reader.s32be();
    const uint16_t layoutLength = reader.u16be();
    out.layout = reader.fixedString(layoutLength);
    if (!reader.ok())
        return fail(why, "layout past the end of the packet");
    const uint16_t lineCount = reader.u16be();
    if (!reader.ok())
        return fail(why, "line count past the end of the packet");
    // Each line needs at least its count word: a count the bytes cannot hold is refused before
    // anything is reserved for it.
    if (static_cast<size_t>(lineCount) * 2 > reader.remaining())
        return fail(why, "more lines than the packet holds");
    out.lines.reserve(lineCount);
    for (uint16_t i = 0; i < lineCount; ++i) {
        const uint16_t characters = reader.u16be();
        std::u16string line = reader.u16beUnits(characters);
        if (!reader.ok())
            return fail(why, "text line past the end of the packet");
        out.lines.push_back(std::move(line));
    }
    return true;
}

void OnServerGumpPacket(const uint8_t* bytes, size_t length)
{
    ServerGumpDescription gump;
    std::string why;
    if (!ParseServerGumpPacket(bytes, length, gump, &why)) {
        KZReport::warning("Server gump packet dropped: %s.\n", why.c_str());
        return;
    }
    OpenServerGump(gump);
}
