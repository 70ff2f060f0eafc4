/** @file Building client packets in a caller's buffer, reading received packets, and the packet manager's start-up. */
#pragma once

#include <cstddef>
#include <cstdint>

#include "client/core/byte_reader.h"

// A packet under construction: byte 0 is its id. A variable-length id keeps its running length
// in bytes 1-2 in host order while it is built (3 after StartPacket); a fixed-length id keeps it
// in one global shared by all builders (1 after StartPacket), so only one fixed-length packet is
// built at a time. The writers do not check the buffer: builders size it for the longest packet
// they write. Integers go out big-endian. Main thread only.

void StartPacket(uint8_t* buffer, uint8_t id);
void WritePacketU8(uint8_t* buffer, uint8_t value);
void WritePacketU16(uint8_t* buffer, uint16_t value);
void WritePacketU32(uint8_t* buffer, uint32_t value);
void WritePacketBytes(uint8_t* buffer, const void* source, size_t count);
/** 16-bit units as they lie in memory (little-endian on every host we build for). */
void WritePacketU16Array(uint8_t* buffer, const uint16_t* source, size_t count);
/** A fixed text field of `width` bytes: the text cut to the field, zero-padded; a text as long as the field has no terminator. */
void WritePacketFixedText(uint8_t* buffer, const char* text, size_t width);
/** The text's bytes and its terminator. */
void WritePacketText0(uint8_t* buffer, const char* text);
uint16_t GetPacketLength(const uint8_t* buffer);
void SetPacketLength(uint8_t* buffer, uint16_t value);

/**
 * A reader over the payload of a received packet of `length` bytes: from byte 3 for a
 * variable-length id, from byte 1 for a fixed one (from byte 1 also for a packet too short to
 * hold its header, whose reads then fail). Handlers read every field through it and stop at the
 * first failure.
 */
ByteReader PacketPayload(const uint8_t* packet, size_t length);

// The packet readers by their old names, over the payload reader; each returns false (and
// leaves out zero) once the packet has no more bytes.
bool ReadPacketU8(ByteReader& payload, uint8_t& out);
bool ReadPacketU16(ByteReader& payload, uint16_t& out);
bool ReadPacketU32(ByteReader& payload, uint32_t& out);
/** Points into the packet (no copy); null when fewer than n bytes remain. */
bool ReadPacketBytes(ByteReader& payload, const uint8_t*& out, size_t n);

namespace PacketManager {
/** Logs its start; the packet tables need no set-up. */
void startup();
} // namespace PacketManager
