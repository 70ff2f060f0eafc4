/** @file Shared pieces of the game-phase handlers: sending an answer, dropping a packet, texts cut to their slots, object look-ups. */
#pragma once

#include "client/core/byte_reader.h"
#include "client/net/packet_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CDynamicObj;
class CMobile;

namespace gamepackets {

/**
 * The payload reader of a received packet; a reader that fails at once for a fixed-length id
 * shorter than its table length or a variable one without its length bytes (the framer never
 * cuts one, but a handler never trusts that).
 */
ByteReader payload(const uint8_t* packet, size_t length);
/** Finishes the length of a built packet and sends it on the main connection (nothing without one). */
void sendBuilt(uint8_t* packet);
/** One log line for a packet the handler cannot use. */
void drop(const uint8_t* packet, size_t length, const char* why);

/**
 * Zero-terminated 8-bit text that must end inside the reader's bytes; longer than `keep`
 * characters it is cut. Without a terminator the read fails.
 */
std::string text0(ByteReader& reader, size_t keep);
/** The text of a field of `width` bytes (terminated within or not), cut to `keep` characters. */
std::string fixedText(ByteReader& reader, size_t width, size_t keep);
/** Copies a text into a fixed slot, cut to the slot and terminated. */
void copyToSlot(char* slot, size_t size, const std::string& text);

CDynamicObj* findObject(uint32_t serial);
/** The object when it is a mobile, else null. */
CMobile* findMobile(uint32_t serial);
bool isPlayerSerial(uint32_t serial);

} // namespace gamepackets
