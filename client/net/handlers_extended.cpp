/** @file The extended command packet (0xBF): walk keys, mail, gump closes, the party, the map and item properties; the client's own 0xBF answers. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/data/map_manager.h"
#include "client/net/client_sock.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"

#include <vector>

using namespace gamepackets;

namespace {

constexpr size_t kPartyTextUnits = 2048;
constexpr const char* kAbsentMemberName = "<Not Vevovo>";

enum : uint16_t {
    kWalkKeys = 1,
    kWalkKey = 2,
    kMail = 3,
    kCloseGumps = 4,
    kParty = 6,
    kPointerReply = 7,
    kMap = 8,
    kMacro9 = 9,
    kMacro10 = 10,
    kStatusBarClosed = 12,
    kItemProperties = 0x10,
};

/** Whether the packet came on the main game connection (no session polled counts as the main one). */
bool onMainConnection()
{
    const CServerSession* session = CurrentServerSession();
    return session == nullptr || session->connection == ActiveConnection();
}

WalkKeySlots& sessionWalkKeys()
{
    static WalkKeySlots none{};
    CServerSession* session = CurrentServerSession();
    return session != nullptr ? session->walkKeys : none;
}

WalkKeySlots* playerWalkKeys()
{
    return World().player != nullptr ? &World().player->walkKeys : nullptr;
}

std::u16string widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

void sendStatusRequest(uint32_t serial)
{
    uint8_t buffer[16];
    BuildStatusRequestPacket(buffer, 4, serial);
    sendBuilt(buffer);
}

void leaderCheck()
{
    PartyState& party = Game().party;
    const bool leader = party.members[0].serial != 0 && isPlayerSerial(party.members[0].serial);
    party.leader = leader;
    gameWindows().PartyLeaderChanged(leader);
}

/** Up to `count` serials; false when the packet does not hold them all. */
bool readSerials(ByteReader& r, size_t count, std::vector<uint32_t>& out)
{
    for (size_t i = 0; i < count; ++i)
        out.push_back(r.u32be());
    return r.ok();
}

void partyMemberList(const uint8_t* packet, size_t length, ByteReader& r)
{
    const uint8_t count = r.u8();
    std::vector<uint32_t> serials;
    if (!readSerials(r, count, serials))
        return drop(packet, length, "member count past the packet");
    PartyState& party = Game().party;
    party.clear();
    for (size_t i = 0; i < serials.size() && i < PartyState::kMembers; ++i) {
        party.members[i].serial = serials[i];
        if (findObject(serials[i]) != nullptr)
            gameWindows().ShowPartyMemberBar(i, serials[i]);
        else
            copyToSlot(party.members[i].name, sizeof party.members[i].name, kAbsentMemberName);
        sendStatusRequest(serials[i]);
    }
    leaderCheck();
}

void partyMemberLeft(const uint8_t* packet, size_t length, ByteReader& r)
{
    const uint8_t count = r.u8();
    const uint32_t removed = r.u32be();
    std::vector<uint32_t> serials;
    if (!readSerials(r, count, serials))
        return drop(packet, length, "member count past the packet");
    PartyState& party = Game().party;
    if (removed == party.members[0].serial || isPlayerSerial(removed)) {
        const auto old = party.members;
        party.clear();
        for (const PartyMember& member : old)
            if (member.serial != 0)
                gameWindows().ClosePartyMemberBar(member.serial);
        leaderCheck();
        return;
    }
    party.clear();
    gameWindows().ClosePartyMemberBar(removed);
    for (size_t i = 0; i < serials.size() && i < PartyState::kMembers; ++i) {
        party.members[i].serial = serials[i];
        sendStatusRequest(serials[i]);
    }
    party.leader = party.members[0].serial != 0 && isPlayerSerial(party.members[0].serial);
}

void partyMessage(const uint8_t* packet, size_t length, ByteReader& r)
{
    const uint32_t sender = r.u32be();
    std::u16string text = r.zeroTerminatedU16be(kPartyTextUnits);
    if (!r.ok())
        return drop(packet, length, "unterminated party text");
    // A sender outside the table (the server itself, a member who just left) shows the bare text.
    if (const PartyMember* member = Game().party.find(sender)) {
        std::string name(member->name);
        text = u"[" + widen(name) + u"]: " + text;
    }
    gameWindows().ShowPartyMessage(text, PartyMessageColor);
}

void party(const uint8_t* packet, size_t length, ByteReader& r)
{
    const uint8_t operation = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    switch (operation) {
    case 1: partyMemberList(packet, length, r); break;
    case 2: partyMemberLeft(packet, length, r); break;
    case 3: case 4: case 5: partyMessage(packet, length, r); break;
    case 7: {
        const uint32_t inviter = r.u32be();
        if (!r.ok())
            return drop(packet, length, "short");
        Game().party.inviter = inviter;
        Game().party.invitationPending = true;
        break;
    }
    default: break;
    }
}

void itemProperties(const uint8_t* packet, size_t length, ByteReader& r)
{
    ItemProperties props;
    props.serial = r.u32be();
    props.title = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    const bool exists = findObject(props.serial) != nullptr;
    for (;;) {
        const uint32_t number = r.u32be();
        if (!r.ok())
            return drop(packet, length, "property list without its end");
        if (number == 0xFFFFFFFF)
            break;
        if (number == 0xFFFFFFFC) {
            if (!exists)
                return;
            props.identified = false;
            break;
        }
        if (number == 0xFFFFFFFD) {
            const uint16_t n = r.u16be();
            const uint8_t* bytes = r.bytes(n);
            if (!r.ok())
                return drop(packet, length, "crafter name past the packet");
            props.crafter.assign(reinterpret_cast<const char*>(bytes), n);
            props.hasCrafter = true;
            continue;
        }
        const uint16_t value = r.u16be();
        if (!r.ok())
            return drop(packet, length, "property past the packet");
        props.properties.emplace_back(number, value);
    }
    if (exists)
        gameWindows().ShowItemProperties(props);
}

} // namespace

void HandleExtendedCommand(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint16_t sub = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    switch (sub) {
    case kWalkKeys: {
        uint32_t keys[5];
        for (uint32_t& key : keys)
            key = r.u32be();
        if (!r.ok())
            return drop(packet, length, "short");
        ReceiveWalkKeys(keys, onMainConnection(), playerWalkKeys(), sessionWalkKeys());
        break;
    }
    case kWalkKey: {
        const uint32_t key = r.u32be();
        if (!r.ok())
            return drop(packet, length, "short");
        ReceiveWalkKey(key, onMainConnection(), playerWalkKeys(), sessionWalkKeys());
        break;
    }
    case kMail: {
        std::string fields[4];
        for (std::string& field : fields)
            field = r.fixedString(32);
        if (!r.ok())
            return drop(packet, length, "short");
        gameWindows().SendMessengerMail(widen(fields[0]), widen(fields[1]), widen(fields[2]), widen(fields[3]));
        break;
    }
    case kCloseGumps: {
        const uint32_t serial = r.u32be();
        const uint32_t button = r.u32be();
        if (!r.ok())
            return drop(packet, length, "short");
        gumpManager().CloseGenericGumps(serial, button);
        break;
    }
    case kParty: party(packet, length, r); break;
    case kMap: {
        const uint8_t map = r.u8();
        if (!r.ok())
            return drop(packet, length, "short");
        if (onMainConnection())
            Game().mapIndex = map;
        else if (CServerSession* session = CurrentServerSession())
            session->mapIndex = map;
        MapManager::SetMap(Game().mapIndex);
        break;
    }
    case kItemProperties: itemProperties(packet, length, r); break;
    default: break;
    }
}

// ---- The client's 0xBF answers --------------------------------------------------------------

namespace {

struct Extended {
    explicit Extended(uint16_t sub)
    {
        StartPacket(buffer, PKT_ExtendedCommand);
        WritePacketU16(buffer, sub);
    }
    Extended& u8(uint8_t v)
    {
        WritePacketU8(buffer, v);
        return *this;
    }
    Extended& u32(uint32_t v)
    {
        WritePacketU32(buffer, v);
        return *this;
    }
    /** Big-endian units and the zero unit. */
    Extended& text(const std::u16string& t)
    {
        const size_t room = (sizeof buffer - GetPacketLength(buffer)) / 2 - 1;
        for (size_t i = 0; i < t.size() && i < room && t[i] != 0; ++i)
            WritePacketU16(buffer, t[i]);
        WritePacketU16(buffer, 0);
        return *this;
    }
    void send() { sendBuilt(buffer); }
    uint8_t buffer[kMaxPacketSize];
};

void partyOperation(uint8_t operation, uint32_t serial)
{
    Extended(kParty).u8(operation).u32(serial).send();
}

} // namespace

void SendExtendedCommand9()
{
    Extended(kMacro9).send();
}

void SendExtendedCommand10()
{
    Extended(kMacro10).send();
}

void SendPartyAddMember(uint32_t serial)
{
    partyOperation(1, serial);
}

void SendPartyRemoveMember(uint32_t serial)
{
    partyOperation(2, serial);
}

void SendPartyMessageMember(uint32_t serial, const std::u16string& text)
{
    Extended(kParty).u8(3).u32(serial).text(text).send();
}

void SendPartyMessageAll(const std::u16string& text)
{
    Extended(kParty).u8(4).text(text).send();
}

void SendPartyLootPermission()
{
    Extended(kParty).u8(6).u8(Game().party.lootPermission).send();
}

void SendPartyAcceptInvite(uint32_t inviter)
{
    partyOperation(8, inviter);
    SendPartyLootPermission();
}

void SendPartyDeclineInvite(uint32_t inviter)
{
    partyOperation(9, inviter);
}

void SendPointerGumpReply(uint8_t answer)
{
    const CPacketSink* connection = MainConnection();
    if (connection == nullptr || !connection->PastLoginPhase())
        return;
    Extended(kPointerReply).u8(answer).send();
}

void SendStatusBarClosed(uint32_t serial)
{
    Extended(kStatusBarClosed).u32(serial).send();
}
