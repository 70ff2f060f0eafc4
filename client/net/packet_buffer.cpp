/** @file The packet buffer: big-endian writers with a running length, and the payload readers. */
#include "client/net/packet_buffer.h"

#include "client/core/kz_report.h"
#include "client/net/packet_table.h"

#include <cstring>

namespace {

/** The running length of the fixed-length packet under construction. */
uint16_t g_fixedLength = 0;

uint16_t& runningLength(uint8_t* buffer, uint16_t& variable)
{
    if (!IsVariableLengthId(buffer[0]))
        return g_fixedLength;
    std::memcpy(&variable, buffer + 1, 2);
    return variable;
}

/** Appends n bytes at the running length and moves it on. */
void append(uint8_t* buffer, const void* bytes, size_t n)
{
    uint16_t variable = 0;
    uint16_t& length = runningLength(buffer, variable);
    if (n > 0)
        std::memcpy(buffer + length, bytes, n);
    length = static_cast<uint16_t>(length + n);
    if (&length == &variable)
        std::memcpy(buffer + 1, &variable, 2);
}

} // namespace

void StartPacket(uint8_t* buffer, uint8_t id)
{
    buffer[0] = id;
    if (IsVariableLengthId(id)) {
        const uint16_t three = 3;
        std::memcpy(buffer + 1, &three, 2);
    } else {
        g_fixedLength = 1;
    }
}

void WritePacketU8(uint8_t* buffer, uint8_t value)
{
    append(buffer, &value, 1);
}

void WritePacketU16(uint8_t* buffer, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    append(buffer, bytes, 2);
}

void WritePacketU32(uint8_t* buffer, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    append(buffer, bytes, 4);
}

void WritePacketBytes(uint8_t* buffer, const void* source, size_t count)
{
    append(buffer, source, count);
}

void WritePacketU16Array(uint8_t* buffer, const uint16_t* source, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(source[i]), static_cast<uint8_t>(source[i] >> 8)};
        append(buffer, bytes, 2);
    }
}

void WritePacketFixedText(uint8_t* buffer, const char* text, size_t width)
{
    size_t length = 0;
    while (text != nullptr && length < width && text[length] != 0)
        ++length;
    append(buffer, text, length);
    static const uint8_t zeros[64] = {};
    for (size_t left = width - length; left > 0;) {
        const size_t n = left < sizeof zeros ? left : sizeof zeros;
        append(buffer, zeros, n);
        left -= n;
    }
}

void WritePacketText0(uint8_t* buffer, const char* text)
{
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    append(buffer, text, length);
    const uint8_t zero = 0;
    append(buffer, &zero, 1);
}

uint16_t GetPacketLength(const uint8_t* buffer)
{
    if (!IsVariableLengthId(buffer[0]))
        return g_fixedLength;
    uint16_t length = 0;
    std::memcpy(&length, buffer + 1, 2);
    return length;
}

void SetPacketLength(uint8_t* buffer, uint16_t value)
{
    if (IsVariableLengthId(buffer[0]))
        std::memcpy(buffer + 1, &value, 2);
    else
        g_fixedLength = value;
}

ByteReader PacketPayload(const uint8_t* packet, size_t length)
{
    ByteReader whole(packet, length);
    if (length == 0)
        return whole.sub(1); // a failed reader
    const size_t start = IsVariableLengthId(packet[0]) && length >= 3 ? 3 : 1;
    whole.skip(start);
    return whole.sub(whole.remaining());
}

bool ReadPacketU8(ByteReader& payload, uint8_t& out)
{
    out = payload.u8();
    return payload.ok();
}

bool ReadPacketU16(ByteReader& payload, uint16_t& out)
{
    out = payload.u16be();
    return payload.ok();
}

bool ReadPacketU32(ByteReader& payload, uint32_t& out)
{
    out = payload.u32be();
    return payload.ok();
}

bool ReadPacketBytes(ByteReader& payload, const uint8_t*& out, size_t n)
{
    out = payload.bytes(n);
    return out != nullptr || (n == 0 && payload.ok());
}

void PacketManager::startup()
{
    KZReport::message("PacketManager::startup: begin.\n");
}
