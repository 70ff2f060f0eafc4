/** @file The server-described gump. */
#include "client/core/kz_report.h"
#include "client/gumps/framework/server_gump_packet.h"

void OpenServerGump(const ServerGumpDescription& gump)
{
    KZReport::message("Server gump %u of serial 0x%08X: %zu layout bytes, %zu lines.\n", gump.gumpId, gump.serial,
                      gump.layout.size(), gump.lines.size());
}

void CloseGenericGumps(uint32_t, uint32_t) {}
