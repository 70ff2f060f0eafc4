/** @file Little-endian writes into byte buffers, and the raw reads the world's region reader still uses; the data readers read through ByteReader. */
#pragma once

#include <cstdint>

namespace kzdata {

inline uint16_t readU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline int16_t readS16(const uint8_t* p)
{
    return static_cast<int16_t>(readU16(p));
}
inline uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t readS32(const uint8_t* p)
{
    return static_cast<int32_t>(readU32(p));
}
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
