/** @file Little-endian writes into byte buffers; every read goes through ByteReader. */
#pragma once

#include <cstdint>

namespace kzdata {

inline void writeU32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void writeS32(uint8_t* p, int32_t v)
{
    writeU32(p, static_cast<uint32_t>(v));
}

} // namespace kzdata
