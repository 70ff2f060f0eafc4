/** @file The server packet handler table and the unknown-packet report. */
#include "client/net/packet_dispatch.h"

#include "client/core/kz_report.h"
#include "client/net/packet_table.h"
#include "platform/message_box/message_box.h"

#include <cstdio>

int32_t LastPacketId = -1;

namespace {

PacketHandler g_handlers[256];
bool g_standInLogged[256];
bool g_unknownShown = false;

void ignoredPacket(const uint8_t*, size_t) {}

/** Until its subsystem installs the real handler, a packet of the id is consumed with one log line. */
void standIn(const uint8_t* packet, size_t length)
{
    if (g_standInLogged[packet[0]])
        return;
    g_standInLogged[packet[0]] = true;
    const char* name = PacketName(packet[0]);
    KZReport::message("PacketManager: no handler yet for %s (0x%02X, %zu bytes); packets of this id are dropped.\n",
                      name != nullptr ? name : "?", packet[0], length);
}

struct StartTable {
    StartTable() { ResetPacketHandlers(); }
};
const StartTable g_startTable;

} // namespace

void SetPacketHandler(uint8_t id, PacketHandler handler)
{
    g_handlers[id] = handler;
}

PacketHandler GetPacketHandler(uint8_t id)
{
    return g_handlers[id];
}

void ResetPacketHandlers()
{
    for (int id = 0; id < 256; ++id) {
        g_standInLogged[id] = false;
        switch (PacketRoleOf(static_cast<uint8_t>(id))) {
        case PacketRole::Handled: g_handlers[id] = standIn; break;
        case PacketRole::Ignored: g_handlers[id] = ignoredPacket; break;
        case PacketRole::None: g_handlers[id] = nullptr; break;
        }
    }
    // The pause packet is the dispatcher's own.
    g_handlers[PKT_PauseControl] = ignoredPacket;
}

bool PassesSecondaryFilter(uint8_t id)
{
    switch (id) {
    case 0x0E: case 0x1B: case 0x33: case 0x35: case 0x73: case 0x8C:
    case 0xA9: case 0xBD: case 0xBE: case 0xBF: case 0xC3: case 0xCB:
        return true;
    default:
        return false;
    }
}

void ReportUnknownPacket(uint8_t id)
{
    char text[64];
    std::snprintf(text, sizeof text, "Unknown Packet: %d (last packet %d)", id, LastPacketId);
    // A server can send unknown packets in a stream: a box for each would hold the client up.
    if (!g_unknownShown) {
        g_unknownShown = true;
        platform::showMessageBox("Oops", text);
    }
    KZReport::warning("%s\n", text);
}

void ResetUnknownPacketReport()
{
    g_unknownShown = false;
}
