/** @file The extended command packet: walk keys by connection, mail, gump closes, the party, the map, item properties; the client's 0xBF answers byte for byte. */
#include "tests/net/game_handler_fixture.h"

#include "client/data/map_manager.h"
#include "client/net/client_sock.h"

#include <cstring>

namespace {

using namespace gametest;

constexpr uint32_t kAlly = 0x20, kAlly2 = 0x21, kAbsent = 0x77;

class ExtendedPackets : public GameHandlerTest {
protected:
    ExtendedPackets()
    {
        addMobile(kAlly);
        addMobile(kAlly2, 102, 100);
    }
    static Pkt ext(uint16_t sub) { return Pkt(0xBF).u16(sub); }
    static Bytes members(std::initializer_list<uint32_t> serials)
    {
        Pkt p = ext(6).u8(1).u8(static_cast<uint32_t>(serials.size()));
        for (uint32_t s : serials)
            p.u32(s);
        return p;
    }
    std::vector<uint32_t> partySerials() const
    {
        std::vector<uint32_t> out;
        for (const PartyMember& m : Game().party.members)
            out.push_back(m.serial);
        return out;
    }
    /** Serials of the status requests (0x34 type 4) sent, in order. */
    std::vector<uint32_t> statusRequests() const
    {
        std::vector<uint32_t> out;
        for (const Bytes& p : connection.sent)
            if (p.size() == 10 && p[0] == 0x34 && p[5] == 4)
                out.push_back(static_cast<uint32_t>(p[6] << 24 | p[7] << 16 | p[8] << 8 | p[9]));
        return out;
    }
};

TEST_F(ExtendedPackets, WalkKeysGoToThePlayerOrTheSession)
{
    dispatch(ext(1).u32(11).u32(12).u32(13).u32(14).u32(15));
    EXPECT_EQ(player->walkKeys, (std::array<uint32_t, 5>{11, 12, 13, 14, 15}));

    // On a connection other than the active one the keys wait in its session.
    CServerSession& session = AddServerSession(CreateConnection(), "other");
    SetCurrentServerSession(&session);
    dispatch(ext(1).u32(21).u32(22).u32(23).u32(24).u32(25));
    EXPECT_EQ(session.walkKeys, (std::array<uint32_t, 5>{21, 22, 23, 24, 25}));
    dispatch(ext(2).u32(99));
    EXPECT_EQ(session.walkKeys[0], 21u); // one more key is for the main connection only
    dispatch(ext(8).u8(2));
    EXPECT_EQ(session.mapIndex, 2);
    EXPECT_EQ(Game().mapIndex, 0);
    ResetConnectionState();
}

TEST_F(ExtendedPackets, MailGumpCloseAndMap)
{
    dispatch(ext(3).field("a@b", 32).field("Bob", 32).field(std::string(32, 's'), 32).field("body", 32));
    dispatch(ext(4).u32(0x4444).u32(7));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"mail a@b|Bob|" + std::string(32, 's') + "|body"}));
    EXPECT_EQ(messageGumps.closed, std::vector<std::string>{"17476/7"});
    dispatch(ext(8).u8(2));
    EXPECT_EQ(Game().mapIndex, 2);
    EXPECT_EQ(MapManager::MapIndex(), 2);
    MapManager::SetMap(0);
}

TEST_F(ExtendedPackets, PartyMemberListsAndLeader)
{
    dispatch(members({kPlayerSerial, kAlly, kAbsent}));
    EXPECT_EQ(partySerials(), (std::vector<uint32_t>{kPlayerSerial, kAlly, kAbsent, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_STREQ(Game().party.members[2].name, "<Not Vevovo>");
    EXPECT_TRUE(Game().party.leader);
    EXPECT_EQ(statusRequests(), (std::vector<uint32_t>{kPlayerSerial, kAlly, kAbsent}));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"party bar 0 1", "party bar 1 20", "leader 1"}));

    // Another leader takes the buttons away; a list of 12 fills the ten entries.
    windows.calls.clear();
    dispatch(members({kAlly, kPlayerSerial, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(partySerials(), (std::vector<uint32_t>{kAlly, kPlayerSerial, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(Game().party.leader);
    EXPECT_EQ(windows.calls.back(), "leader 0");
}

TEST_F(ExtendedPackets, PartyMemberLeaves)
{
    dispatch(members({kAlly, kPlayerSerial, kAlly2}));
    windows.calls.clear();
    connection.sent.clear();
    // A plain member leaves: the rest stay listed and are asked for again.
    dispatch(ext(6).u8(2).u8(2).u32(kAlly2).u32(kAlly).u32(kPlayerSerial));
    EXPECT_EQ(partySerials(), (std::vector<uint32_t>{kAlly, kPlayerSerial, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(windows.calls, std::vector<std::string>{"close party bar 21"});
    EXPECT_EQ(statusRequests(), (std::vector<uint32_t>{kAlly, kPlayerSerial}));

    // The player leaving ends the party.
    windows.calls.clear();
    dispatch(ext(6).u8(2).u8(1).u32(kPlayerSerial).u32(kAlly));
    EXPECT_EQ(partySerials(), std::vector<uint32_t>(10, 0));
    EXPECT_FALSE(Game().party.leader);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"close party bar 20", "close party bar 1", "leader 0"}));
}

TEST_F(ExtendedPackets, PartyMessagesAndInvitation)
{
    PartyMessageColor = 55;
    dispatch(members({kAlly}));
    std::strcpy(Game().party.members[0].name, "Ally");
    windows.calls.clear();
    dispatch(ext(6).u8(3).u32(kAlly).utf16z(u"hi all"));
    dispatch(ext(6).u8(4).u32(kAbsent).utf16z(u"from outside"));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"party message '[Ally]: hi all' colour 55",
                                                       "party message 'from outside' colour 55"}));
    dispatch(ext(6).u8(7).u32(kAlly));
    EXPECT_EQ(Game().party.inviter, kAlly);
    EXPECT_TRUE(Game().party.invitationPending);
}

TEST_F(ExtendedPackets, ItemProperties)
{
    const uint32_t item = addItem(0x40000100, testsupport::G_KNIFE)->serial;
    struct Case {
        Bytes packet;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {ext(0x10).u32(item).u32(500).u32(1001).u16(5).u32(0xFFFFFFFD).u16(3).raw("Bob").u32(1002).u16(6).u32(0xFFFFFFFF),
         {"properties 40000100 title 500 1001=5 1002=6 crafter 'Bob'"}},
        {ext(0x10).u32(item).u32(500).u32(1001).u16(5).u32(0xFFFFFFFC),
         {"properties 40000100 title 500 1001=5 crafter '' unidentified"}},
        {ext(0x10).u32(kAbsent).u32(500).u32(1001).u16(5).u32(0xFFFFFFFF), {}},
        // Malformed: no end mark, a crafter length past the end, a property cut short.
        {ext(0x10).u32(item).u32(500).u32(1001).u16(5), {}},
        {ext(0x10).u32(item).u32(500).u32(0xFFFFFFFD).u16(40).raw("Bob").u32(0xFFFFFFFF), {}},
        {ext(0x10).u32(item).u32(500).u32(1001).u8(5), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex(c.packet));
        windows.calls.clear();
        dispatch(c.packet);
        EXPECT_EQ(windows.calls, c.calls);
    }
}

TEST_F(ExtendedPackets, MalformedPacketsChangeNothing)
{
    const Bytes samples[] = {
        ext(1).u32(1).u32(2).u32(3).u32(4).u32(5),
        ext(2).u32(1),
        ext(3).zeros(128),
        ext(4).u32(1).u32(2),
        members({kAlly, kAlly2}),
        ext(6).u8(2).u8(1).u32(kAlly).u32(kAlly2),
        ext(6).u8(3).u32(kAlly).utf16z(u"text"),
        ext(6).u8(7).u32(kAlly),
        ext(8).u8(2),
    };
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
        EXPECT_TRUE(windows.calls.empty());
        EXPECT_EQ(partySerials(), std::vector<uint32_t>(10, 0));
        EXPECT_EQ(player->walkKeys, (std::array<uint32_t, 5>{}));
    }
    // A member count past the packet and an unterminated message are dropped whole.
    dispatch(ext(6).u8(1).u8(3).u32(kAlly).u32(kAlly2));
    dispatch(ext(6).u8(3).u32(kAlly).u16('h').u16('i'));
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_EQ(partySerials(), std::vector<uint32_t>(10, 0));
}

TEST_F(ExtendedPackets, ClientAnswersByteForByte)
{
    Game().party.lootPermission = 1;
    SendExtendedCommand9();
    SendExtendedCommand10();
    SendPartyAddMember(0x01020304);
    SendPartyRemoveMember(0x0A0B0C0D);
    SendPartyMessageMember(0x20, u"hi");
    SendPartyMessageAll(u"yo");
    SendPartyLootPermission();
    SendPartyAcceptInvite(0x20);
    SendPartyDeclineInvite(0x20);
    SendPointerGumpReply(1);
    SendStatusBarClosed(0x30);
    connection.pastLogin = false;
    SendPointerGumpReply(1); // no game connection yet: nothing
    std::vector<std::string> sent;
    for (const Bytes& p : connection.sent)
        sent.push_back(hex(p));
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "BF00050009",
                        "BF0005000A",
                        "BF000A00060101020304",
                        "BF000A0006020A0B0C0D",
                        "BF001000060300000020006800690000",
                        "BF000C0006040079006F0000",
                        "BF0007000606" "01",
                        "BF000A00060800000020",
                        "BF0007000606" "01",
                        "BF000A00060900000020",
                        "BF0006000701",
                        "BF0009000C00000030",
                    }));
}

} // namespace
