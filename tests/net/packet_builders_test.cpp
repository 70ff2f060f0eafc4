/** @file Byte-exact tests of the packet buffer and of every client packet builder. */
#include "client/core/hw_profile.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "tests/net/net_test_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

class Builders : public nettest::NetTest {};

/** A fixed field: the text's bytes, then zeros to the width. */
Bytes field(const std::string& text, size_t width)
{
    Bytes out(text.begin(), text.end());
    out.resize(width, 0);
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

/** The bytes as they go on the wire: the sender turns a variable id's length to big-endian. */
Bytes wire(uint8_t* buffer)
{
    const uint16_t length = GetPacketLength(buffer);
    Bytes out(buffer, buffer + length);
    if (IsVariableLengthId(buffer[0])) {
        out[1] = static_cast<uint8_t>(length >> 8);
        out[2] = static_cast<uint8_t>(length);
    }
    return out;
}

TEST_F(Builders, EveryBuilderLaysOutItsPacketByteForByte)
{
    connectActive(); // the client address fields carry 10.0.0.7
    const Bytes addr = {0x0A, 0x00, 0x00, 0x07};
    const std::string longName(35, 'N');
    struct Case {
        const char* name;
        std::function<void(uint8_t*)> build;
        Bytes expected;
    };
    CreateCharacterFields fields;
    fields.name = "Hero";
    fields.password = "pw";
    fields.sex = 1;
    fields.strength = 50;
    fields.dexterity = 25;
    fields.intelligence = 15;
    fields.skill[0] = 3, fields.skillValue[0] = 30, fields.skill[1] = 4, fields.skillValue[1] = 40;
    fields.skill[2] = 5, fields.skillValue[2] = 50;
    fields.skinHue = 0x83EA, fields.hairItem = 0x203B, fields.hairHue = 0x044E;
    fields.facialHairItem = 0x2040, fields.facialHairHue = 0x044F;
    fields.startLocation = 2, fields.slot = 1, fields.shirtHue = 0x0101, fields.pantsHue = 0x0202;
    fields.pair[0] = 0x1111, fields.pair[1] = 0x2222;
    HWProfile profile;
    profile.processorType = 4;
    profile.processorClock = 700;
    profile.nProcessors = 2;
    std::strcpy(profile.szVideoCardDescrip1, "card");
    profile.totalRAMInMB = 512;
    profile.largestPartitionInMB = 0x1234;
    profile.timeZoneBias = -60;
    uint8_t block[196];
    for (int i = 0; i < 196; ++i)
        block[i] = static_cast<uint8_t>(i);

    const std::vector<Case> cases = {
        {"create character", [&](uint8_t* b) { BuildCreateCharacterPacket(b, fields); },
         cat({{0x00, 0xED, 0xED, 0xED, 0xED, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, field("Hero", 30), field("pw", 30),
              {1, 50, 25, 15, 3, 30, 4, 40, 5, 50, 0x83, 0xEA, 0x20, 0x3B, 0x04, 0x4E, 0x20, 0x40, 0x04, 0x4F, 2, 1,
               0x01, 0x01, 0x02, 0x02},
              addr, {0x22, 0x22, 0x11, 0x11}})},
        {"disconnect", [](uint8_t* b) { BuildDisconnectPacket(b); }, {0x01, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"move", [](uint8_t* b) { BuildMoveRequestPacket(b, 0x82, 7, 0xA1B2C3D4); },
         {0x02, 0x82, 7, 0xA1, 0xB2, 0xC3, 0xD4}},
        {"attack", [](uint8_t* b) { BuildAttackRequestPacket(b, 0x00001234); }, {0x05, 0, 0, 0x12, 0x34}},
        {"use", [](uint8_t* b) { BuildUseObjectPacket(b, 0x80000005); }, {0x06, 0x80, 0, 0, 5}},
        {"pick up", [](uint8_t* b) { BuildPickUpItemPacket(b, 0x40000001, 300); }, {0x07, 0x40, 0, 0, 1, 0x01, 0x2C}},
        {"drop into a container", [](uint8_t* b) { BuildDropItemPacket(b, 0x40000001, 0xFFFF, 0xFFFF, 0, 0x40000002); },
         {0x08, 0x40, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x40, 0, 0, 2}},
        {"single click", [](uint8_t* b) { BuildSingleClickPacket(b, 9); }, {0x09, 0, 0, 0, 9}},
        {"text command", [](uint8_t* b) { BuildTextCommandPacket(b, 39, "12 345", 100); },
         {0x12, 0, 11, 39, '1', '2', ' ', '3', '4', '5', 0}},
        {"text command cut to its length", [](uint8_t* b) { BuildTextCommandPacket(b, 86, "123", 2); },
         {0x12, 0, 7, 86, '1', '2', 0}},
        {"equip", [](uint8_t* b) { BuildEquipItemPacket(b, 0x40000003, 2, 0x00000004); },
         {0x13, 0x40, 0, 0, 3, 2, 0, 0, 0, 4}},
        {"walk resync", [](uint8_t* b) { BuildWalkResyncPacket(b); }, {0x22, 0, 0}},
        {"death status", [](uint8_t* b) { BuildDeathStatusPacket(b, 2); }, {0x2C, 2}},
        {"status request", [](uint8_t* b) { BuildStatusRequestPacket(b, 4, 0x11223344); },
         {0x34, 0xED, 0xED, 0xED, 0xED, 4, 0x11, 0x22, 0x33, 0x44}},
        {"skill lock", [](uint8_t* b) { BuildSkillLockPacket(b, 0x0102, 1); }, {0x3A, 0, 6, 0x01, 0x02, 1}},
        {"buy", [](uint8_t* b) { BuildBuyItemsPacket(b, 0x10, 2, {{0x1A, 0x40000001, 5}, {0x1B, 0x40000002, 1}}); },
         {0x3B, 0, 22, 0, 0, 0, 0x10, 2, 0x1A, 0x40, 0, 0, 1, 0, 5, 0x1B, 0x40, 0, 0, 2, 0, 1}},
        {"map course", [](uint8_t* b) { BuildMapCoursePacket(b, 0x40000009, 1, 3, 124, 131); },
         {0x56, 0x40, 0, 0, 9, 1, 3, 0, 100, 0, 100}},
        {"play character", [](uint8_t* b) { BuildPlayCharacterPacket(b, "Tester", 2, 0x0003, 0x01020304); },
         cat({{0x5D, 0xED, 0xED, 0xED, 0xED}, field("Tester", 30),
              {0, 0, 0, 0, 0, 0x03, 0x00, 0, 0, 0, 0x01, 0x02, 0x03, 0x04}, Bytes(16, 0), {0, 0, 0, 2}, addr})},
        {"book page request", [](uint8_t* b) { BuildBookPageRequestPacket(b, 0x40000010, 3); },
         {0x66, 0, 13, 0x40, 0, 0, 0x10, 0, 1, 0, 3, 0xFF, 0xFF}},
        {"book page", [](uint8_t* b) { BuildBookPagePacket(b, 0x40000010, 2, {"ab", ""}); },
         {0x66, 0, 17, 0x40, 0, 0, 0x10, 0, 1, 0, 2, 0, 2, 'a', 'b', 0, 0}},
        {"target response", [](uint8_t* b) { BuildTargetResponsePacket(b, 1, 0x0A0B0C0D, 2, 0, 100, 200, 5, 0x0E1F); },
         {0x6C, 1, 0x0A, 0x0B, 0x0C, 0x0D, 2, 0, 0, 0, 0, 0, 100, 0, 200, 0, 5, 0x0E, 0x1F}},
        {"secure trade", [](uint8_t* b) { BuildSecureTradePacket(b, 1, 2, 3, 4); },
         {0x6F, 0, 17, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0}},
        {"board request", [](uint8_t* b) { BuildBulletinBoardRequestPacket(b, 3, 0x40000020, 0x40000021); },
         {0x71, 0, 12, 3, 0x40, 0, 0, 0x20, 0x40, 0, 0, 0x21}},
        {"board post", [](uint8_t* b) { BuildBulletinBoardPostPacket(b, 5, 0x40000020, 0, "Hi", {"a", "bc"}); },
         {0x71, 0, 24, 5, 0x40, 0, 0, 0x20, 0, 0, 0, 0, 3, 'H', 'i', 0, 2, 2, 'a', 0, 3, 'b', 'c', 0}},
        {"war mode", [](uint8_t* b) { BuildWarModePacket(b, 1, 0, 0x32, 0); }, {0x72, 1, 0, 0x32, 0}},
        {"ping", [](uint8_t* b) { BuildPingPacket(b, 0); }, {0x73, 0}},
        {"rename", [&](uint8_t* b) { BuildRenameMobilePacket(b, 7, longName.c_str()); },
         cat({{0x75, 0, 0, 0, 7}, Bytes(30, 'N')})},
        {"menu choice", [](uint8_t* b) { BuildMenuChoicePacket(b, 0x01020304, 5, 6, 7, 8); },
         {0x7D, 1, 2, 3, 4, 0, 5, 0, 6, 0, 7, 0, 8}},
        {"account login", [](uint8_t* b) { BuildAccountLoginPacket(b, "acct", "pass", 0xFF); },
         cat({{0x80}, field("acct", 30), field("pass", 30), {0xFF}})},
        {"delete character", [](uint8_t* b) { BuildDeleteCharacterPacket(b, 3, "pass"); },
         cat({{0x83}, field("pass", 30), {0, 0, 0, 3}, addr})},
        {"book header", [](uint8_t* b) { BuildBookHeaderPacket(b, 0x40000030, "Title", "Me"); },
         cat({{0x93, 0x40, 0, 0, 0x30, 0, 0, 0, 0}, field("Title", 60), field("Me", 30)})},
        {"hue choice", [](uint8_t* b) { BuildHueChoicePacket(b, 0x40000040, 0x0FAB, 0x0021); },
         {0x95, 0x40, 0, 0, 0x40, 0x0F, 0xAB, 0, 0x21}},
        {"name request", [](uint8_t* b) { BuildNameRequestPacket(b, 0x00000050); }, {0x98, 0, 7, 0, 0, 0, 0x50}},
        {"prompt reply", [](uint8_t* b) { BuildPromptReplyPacket(b, 1, 2, 3, "ok"); },
         {0x9A, 0, 18, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 'o', 'k', 0}},
        {"help request", [](uint8_t* b) { BuildHelpRequestPacket(b, 2, "help"); }, cat({{0x9B, 2}, field("help", 256)})},
        {"sell", [](uint8_t* b) { BuildSellItemsPacket(b, 0x10, {{0x40000001, 2}}); },
         {0x9F, 0, 15, 0, 0, 0, 0x10, 0, 1, 0x40, 0, 0, 1, 0, 2}},
        {"select server", [](uint8_t* b) { BuildSelectServerPacket(b, 0x0102); }, {0xA0, 1, 2}},
        {"hardware survey", [&](uint8_t* b) { BuildHardwareSurveyPacket(b, profile); },
         cat({{0xA4, 4, 0x02, 0xBC, 2}, field("card", 32), Bytes(96, 0),
              {0x02, 0x00, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xC4}, Bytes(8, 0)})},
        {"tip request", [](uint8_t* b) { BuildTipRequestPacket(b, 0x0010, 1); }, {0xA7, 0, 0x10, 1}},
        {"string query reply", [](uint8_t* b) { BuildStringQueryReplyPacket(b, 0x40000001, 0x0203, 1, "yes"); },
         {0xAC, 0, 16, 0x40, 0, 0, 1, 0x02, 0x03, 1, 0, 4, 'y', 'e', 's', 0}},
        {"help text request", [](uint8_t* b) { BuildHelpTextRequestPacket(b, 0x40000001, 1, "enu"); },
         {0xB6, 0x40, 0, 0, 1, 1, 'e', 'n', 'u'}},
        {"serial pair", [](uint8_t* b) { BuildSerialPairPacket(b, 0x01020304); }, {0xBB, 1, 2, 3, 4, 1, 2, 3, 4}},
        {"unicode prompt reply", [](uint8_t* b) { BuildUnicodePromptReplyPacket(b, 1, 2, 3, "enu", u"H\u20AC", 2); },
         {0xC2, 0, 23, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 'e', 'n', 'u', 0, 'H', 0, 0xAC, 0x20}},
        {"map block report", [&](uint8_t* b) { BuildMapBlockReportPacket(b, 0x00012345, 0x000F, block); },
         cat({{0xC5, 0x00, 0x01, 0x23, 0x45, 0x00, 0x0F}, Bytes(block, block + 196)})},
        {"game login", [](uint8_t* b) { BuildGameLoginPacket(b, 0xCAFEBABE, "acct", "pass"); },
         cat({{0x91, 0xCA, 0xFE, 0xBA, 0xBE}, field("acct", 30), field("pass", 30)})},
    };
    for (const Case& c : cases) {
        uint8_t buffer[kMaxPacketSize] = {};
        c.build(buffer);
        const Bytes got = wire(buffer);
        EXPECT_EQ(got, c.expected) << c.name;
        const uint16_t table = PacketTableLength(buffer[0]);
        if (table != kVariableLength) {
            EXPECT_EQ(got.size(), table) << c.name << ": the length table's length";
        }
    }
}

TEST_F(Builders, SendingTurnsTheRunningLengthToNetworkOrder)
{
    CClientSock* connection = connectActive();
    EditServerAddress = 0; // seeded, but the login cipher is checked elsewhere: look at the buffer
    uint8_t packet[8];
    StartPacket(packet, PKT_MobileName);
    EXPECT_EQ(GetPacketLength(packet), 3);
    connection->SendPacket(packet);
    EXPECT_EQ(packet[1], 0x00);
    EXPECT_EQ(packet[2], 0x03); // a variable packet with no payload goes out as 3 bytes
    EXPECT_EQ(connection->SendLength(), 3u);
}

TEST(PacketReaders, ReadThePayloadBigEndianAndStopAtTheEnd)
{
    const uint8_t fixed[] = {0x1D, 0x12, 0x34, 0x56, 0x78};
    ByteReader payload = PacketPayload(fixed, sizeof fixed);
    uint16_t word = 0;
    EXPECT_TRUE(ReadPacketU16(payload, word));
    EXPECT_EQ(word, 0x1234);
    uint32_t dword = 0;
    EXPECT_FALSE(ReadPacketU32(payload, dword)); // only two bytes left
    EXPECT_EQ(dword, 0u);

    const uint8_t variable[] = {0x1C, 0x00, 0x06, 0xAB, 0xCD, 0xEF};
    ByteReader vp = PacketPayload(variable, sizeof variable);
    uint8_t byte = 0;
    const uint8_t* bytes = nullptr;
    EXPECT_TRUE(ReadPacketU8(vp, byte));
    EXPECT_EQ(byte, 0xAB);
    EXPECT_TRUE(ReadPacketBytes(vp, bytes, 2));
    EXPECT_EQ(bytes, variable + 4);
    EXPECT_FALSE(ReadPacketBytes(vp, bytes, 1));
    EXPECT_EQ(bytes, nullptr);
    EXPECT_TRUE(PacketPayload(variable, 2).u8() == 0); // a cut header: every read fails
}

} // namespace
