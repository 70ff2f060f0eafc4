/** @file Tests of reading packet 0xB0: a whole packet, and every count or length that reaches past the bytes. */
#include "client/gumps/framework/server_gump_packet.h"
#include "tests/support/gump_fixtures.h"

#include <gtest/gtest.h>

namespace {

using testsupport::buildServerGumpPacket;

TEST(ServerGumpPacket, AWholePacketGivesItsFields)
{
    const auto packet = buildServerGumpPacket(0x01020304, 77, 100, -5, "{page 0}{text 1 2 3 0}", {u"Hi", u""});
    ServerGumpDescription gump;
    ASSERT_TRUE(ParseServerGumpPacket(packet.data(), packet.size(), gump, nullptr));
    EXPECT_EQ(gump.serial, 0x01020304u);
    EXPECT_EQ(gump.gumpId, 77u);
    EXPECT_EQ(gump.x, 100);
    EXPECT_EQ(gump.y, -5);
    EXPECT_EQ(gump.layout, "{page 0}{text 1 2 3 0}");
    ASSERT_EQ(gump.lines.size(), 2u);
    EXPECT_EQ(gump.lines[0], u"Hi");
    EXPECT_EQ(gump.lines[1], u"");
}

TEST(ServerGumpPacket, ALayoutWithoutItsZeroEndsAtItsLength)
{
    auto packet = buildServerGumpPacket(1, 2, 0, 0, "{nomove}", {});
    packet[21 + 8] = '!'; // the terminating zero
    ServerGumpDescription gump;
    ASSERT_TRUE(ParseServerGumpPacket(packet.data(), packet.size(), gump, nullptr));
    EXPECT_EQ(gump.layout, "{nomove}!");
}

TEST(ServerGumpPacket, DamagedPacketsAreRefused)
{
    const auto whole = buildServerGumpPacket(1, 2, 3, 4, "{x}", {u"abc"});
    struct Case {
        const char* name;
        size_t at;
        uint8_t value;
        size_t cut;
    };
    // Offsets: 0 id, 1 length, 3 serial, 7 gump id, 11 x, 15 y, 19 layout length, 21 layout (4
    // bytes), 25 line count, 27 first line's count, 29 its characters.
    const Case cases[] = {
        {"wrong id", 0, 0xB1, 0},
        {"length field past the bytes", 2, 0xFF, 0},
        {"length field below the header", 2, 0x02, 0},
        {"layout length past the packet", 20, 0xF0, 0},
        {"line count past the packet", 26, 0x40, 0},
        {"line count of two with one line", 26, 2, 0},
        {"line length past the packet", 28, 9, 0},
        {"packet cut inside the header", 0, 0xB0, 12},
    };
    for (const Case& c : cases) {
        auto packet = whole;
        packet[c.at] = c.value;
        if (c.cut != 0) {
            packet.resize(c.cut);
            packet[2] = static_cast<uint8_t>(c.cut);
        }
        ServerGumpDescription gump;
        std::string why;
        EXPECT_FALSE(ParseServerGumpPacket(packet.data(), packet.size(), gump, &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
    }
}

} // namespace
