/** @file The handler table of server packets: one handler per id, the secondary-connection filter and the unknown-packet report. */
#pragma once

#include <cstddef>
#include <cstdint>

/**
 * A server packet handler: the packet's bytes as received (byte 0 the id) and its length.
 * Handlers read the payload through PacketPayload (packet_buffer.h) and stop at the first
 * failed read; they run inside their connection's poll, on the main thread.
 */
using PacketHandler = void (*)(const uint8_t* packet, size_t length);

/** Installs the handler of an id (null: the id has none and reports as unknown). */
void SetPacketHandler(uint8_t id, PacketHandler handler);
PacketHandler GetPacketHandler(uint8_t id);
/**
 * Back to the start-up table: ids whose handlers later subsystems bring get a stand-in that logs
 * the first packet of its id and does nothing; ignored ids do nothing; the rest have none.
 */
void ResetPacketHandlers();

/** The id dispatched last; -1 before the first. */
extern int32_t LastPacketId;

/** Whether a packet of this id may come through a connection other than the active one in the game phase. */
bool PassesSecondaryFilter(uint8_t id);

/** "Unknown Packet: %d (last packet %d)": a message box the first time in a run, a log line after. */
void ReportUnknownPacket(uint8_t id);
/** Lets the next unknown packet show its box again (tests). */
void ResetUnknownPacketReport();
