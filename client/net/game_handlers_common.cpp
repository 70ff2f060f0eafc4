/** @file Shared pieces of the game-phase handlers. */
#include "client/net/game_handlers_common.h"

#include "client/core/app.h"
#include "client/core/kz_report.h"
#include "client/net/packet_table.h"
#include "client/world/object_manager.h"

#include <cstring>

namespace gamepackets {

ByteReader payload(const uint8_t* packet, size_t length)
{
    if (length == 0 || length < (IsVariableLengthId(packet[0]) ? 3u : PacketTableLength(packet[0])))
        return ByteReader().sub(1);
    return PacketPayload(packet, length);
}

void sendBuilt(uint8_t* packet)
{
    const uint16_t length = GetPacketLength(packet);
    if (IsVariableLengthId(packet[0])) {
        packet[1] = static_cast<uint8_t>(length >> 8);
        packet[2] = static_cast<uint8_t>(length);
    }
    if (CPacketSink* connection = MainConnection())
        connection->SendPacket(packet, length);
}

void drop(const uint8_t* packet, size_t length, const char* why)
{
    const char* name = length > 0 ? PacketName(packet[0]) : nullptr;
    KZReport::message("PacketManager: %s (0x%02X, %zu bytes) dropped: %s.\n", name != nullptr ? name : "?",
                      length > 0 ? packet[0] : 0, length, why);
}

std::string text0(ByteReader& reader, size_t keep)
{
    std::string text = reader.zeroTerminated(reader.remaining());
    if (text.size() > keep)
        text.resize(keep);
    return text;
}

std::string fixedText(ByteReader& reader, size_t width, size_t keep)
{
    std::string text = reader.fixedString(width);
    if (text.size() > keep)
        text.resize(keep);
    return text;
}

void copyToSlot(char* slot, size_t size, const std::string& text)
{
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(slot, text.data(), n);
    std::memset(slot + n, 0, size - n);
}

CDynamicObj* findObject(uint32_t serial)
{
    return CObjectManager::FindObject(serial);
}

CMobile* findMobile(uint32_t serial)
{
    CDynamicObj* object = CObjectManager::FindObject(serial);
    return object != nullptr && object->IsMobile() != 0 ? dynamic_cast<CMobile*>(object) : nullptr;
}

bool isPlayerSerial(uint32_t serial)
{
    const CPlayerMobile* player = World().player;
    return player != nullptr && player->serial == serial;
}

} // namespace gamepackets
