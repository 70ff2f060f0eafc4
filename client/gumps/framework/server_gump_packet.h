/** @file Reading packet 0xB0, the server-described gump, with every count and length checked. */
#pragma once

#include "client/core/gump_services.h"

#include <cstddef>
#include <cstdint>
#include <string>

/**
 * Reads packet 0xB0 (id, u16 length, then big-endian: serial, gump id, x, y, u16 layout length
 * and the layout bytes, u16 line count and each line as a u16 count of UTF-16 characters). The
 * layout ends at its first zero byte (or at its length when it has none). False, with the reason
 * in *why, when the packet is not whole: a length field or a count reaches past the bytes.
 */
bool ParseServerGumpPacket(const uint8_t* bytes, size_t length, ServerGumpDescription& out, std::string* why);

/** Packet 0xB0 as it came: read, then shown by OpenServerGump; a damaged packet is logged and dropped. */
void OnServerGumpPacket(const uint8_t* bytes, size_t length);
/** Builds and shows a server-described gump. */
void OpenServerGump(const ServerGumpDescription& gump);
/** Every open server-described gump of that gump id replies with the button and closes. */
void CloseGenericGumps(uint32_t gumpId, uint32_t buttonId);
