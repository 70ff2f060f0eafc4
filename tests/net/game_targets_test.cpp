/** @file Targets, pickers and prompts: target requests and their answers, previews, pickers, hue pickers, prompts, queries, name answers and walk-to. */
#include "tests/net/game_handler_fixture.h"

#include "client/world/multi.h"

namespace {

using namespace gametest;

constexpr uint32_t kOther = 0x10;

class TargetPackets : public GameHandlerTest {
protected:
    TargetPackets() { other = addMobile(kOther); }
    static Bytes request(uint8_t type, uint32_t id, uint8_t flag)
    {
        return Pkt(0x6C).u8(type).u32(id).u8(flag).u32(0).u16(0).u16(0).u16(0).u16(0);
    }
    std::string lastSent() const { return connection.sent.empty() ? "" : hex(connection.sent.back()); }
    CMobile* other = nullptr;
};

TEST_F(TargetPackets, RequestsAndTheirAnswers)
{
    dispatch(request(1, 0xAABBCCDD, 3));
    EXPECT_TRUE(g_bTargetMode);
    EXPECT_TRUE(Game().target.answersClicks);
    EXPECT_EQ(Game().target.cursorType, 1);

    // A mobile: its serial and graphic; the last-target marker moves to it.
    SendTargetResponse(other);
    EXPECT_EQ(lastSent(), "6C00AABBCCDD03000000100065006400000190");
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_EQ(Game().target.cursorFlag, 0);
    EXPECT_EQ(Game().target.lastKind, LastTargetKind::Object);
    EXPECT_EQ(Game().target.lastSerial, kOther);
    EXPECT_EQ(windows.calls, std::vector<std::string>{"last target marker 10"});

    // The player is answered but never becomes the last target.
    dispatch(request(0, 1, 0));
    SendTargetResponse(player);
    EXPECT_EQ(lastSent(), "6C00000000010000000001006400640000" "0190");
    EXPECT_EQ(Game().target.lastSerial, kOther);

    // A static item: type 1, serial 0, its graphic; a land tile: graphic 0.
    dispatch(request(0, 2, 0));
    CObj statik(testsupport::G_TREE);
    statik.locX = 5, statik.locY = 6, statik.z = 7;
    SendTargetResponse(&statik);
    EXPECT_EQ(lastSent(), "6C010000000200000000000005000600070CE0");
    EXPECT_EQ(Game().target.lastKind, LastTargetKind::StaticTile);
    dispatch(request(0, 3, 0));
    CLandTile land;
    land.locX = 8, land.locY = 9, land.z = -2;
    land.landGraphic = 3;
    SendTargetResponse(&land);
    EXPECT_EQ(lastSent(), "6C0100000003000000000000080009FFFE0000");
    EXPECT_EQ(Game().target.lastKind, LastTargetKind::Location);
    SendTargetResponse(nullptr);
    EXPECT_EQ(connection.sent.size(), 4u);
}

TEST_F(TargetPackets, CancelAndPreviewsKeepTheCursorFlag)
{
    dispatch(request(1, 0x10, 5));
    dispatch(Pkt(0x99).u8(0).u32(0x11).zeros(12).u16(0).u16(1).u16(2).u16(3));
    EXPECT_EQ(Game().target.targetId, 0x11u);
    dispatch(Pkt(0xB4).u8(0).u32(0x12).u16(1).u16(2).u16(0).u16(2).u16(testsupport::G_KNIFE).u16(0).u16(1).u16(1).u16(0)
                 .u16(testsupport::G_WALL).u16(0).u16(2).u16(2).u16(0));
    EXPECT_EQ(PlacementPreview().pieces.size(), 2u);
    Game().nameRequest = kOther;
    SendTargetCancel();
    EXPECT_EQ(lastSent(), "6C000000001205000000" "00FFFFFFFF00000000");
    EXPECT_EQ(Game().nameRequest, 0u);
    EXPECT_FALSE(g_bTargetMode);
    PlacementPreview().Cancel();
}

TEST_F(TargetPackets, Pickers)
{
    auto picker = [](std::initializer_list<std::pair<uint16_t, std::string>> entries) {
        Pkt p(0x7C);
        p.u32(0x40).u16(9).u8(5).raw("Pick?").u8(static_cast<uint32_t>(entries.size()));
        for (const auto& [graphic, text] : entries)
            p.u16(graphic).u16(0).u8(static_cast<uint32_t>(text.size())).raw(text);
        return p.done();
    };
    dispatch(picker({{100, "sword"}, {0, ""}}));
    dispatch(picker({{0, "one"}, {200, "two"}}));
    dispatch(picker({}));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"object picker 9 'Pick?' 100:sword 0:",
                                                       "string picker 9 'Pick?' 0:one 200:two"}));
}

TEST_F(TargetPackets, PromptsQueriesNamesAndWalkTo)
{
    dispatch(Pkt(0x9A).u32(0x50).u32(0x60).u32(0).text0("Say?"));
    EXPECT_TRUE(Game().prompt.active);
    EXPECT_FALSE(Game().prompt.unicode);
    EXPECT_EQ(Game().prompt.promptId, 0x60u);
    dispatch(Pkt(0xC2).u32(0x51).u32(0x61).u32(0).u32(0).u16('h').u16(0));
    EXPECT_TRUE(Game().prompt.unicode);
    EXPECT_EQ(Game().prompt.serial, 0x51u);

    dispatch(Pkt(0x95).u32(0x40000100).u16(3).u16(0x0EC4));
    dispatch(Pkt(0xAB).u32(0x70).u16(4).u16(6).raw("Name?").u8(0).u8(1).u8(1).u32(30).u16(0).text0("desc"));
    dispatch(Pkt(0x98).u32(kOther).text0("Nobody asked"));
    Game().nameRequest = kOther;
    dispatch(Pkt(0x98).u32(kOther).text0("Orc"));
    EXPECT_EQ(Game().nameRequest, 0u);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"hue picker 40000100 3 3780",
                                                       "query 70 4 'Name?' buttons 1 kind 1 limit 30 'desc'",
                                                       "name 10 'Orc'"}));
}

TEST_F(TargetPackets, MalformedPacketsChangeNothing)
{
    const Bytes samples[] = {
        request(1, 5, 1),
        Pkt(0x99).u8(0).u32(0x11).zeros(12).u16(0).u16(1).u16(2).u16(3),
        Pkt(0xB4).u8(0).u32(0x12).u16(0).u16(0).u16(0).u16(1).u16(1).u16(0).u16(1).u16(1).u16(0),
        Pkt(0x7C).u32(0x40).u16(9).u8(1).raw("Q").u8(1).u16(5).u16(0).u8(1).raw("a"),
        Pkt(0x95).u32(1).u16(1).u16(1),
        Pkt(0x9A).u32(1).u32(2).u32(0),
        Pkt(0xC2).u32(1).u32(2).u32(0).u32(0),
        Pkt(0xAB).u32(0x70).u16(4).u16(1).raw("Q").u8(0).u8(1).u32(30).u16(0).text0("d"),
        Pkt(0x98).u32(kOther).text0("Orc"),
        Pkt(0x38).u16(1).u16(2).u16(3),
    };
    Game().nameRequest = kOther;
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
    }
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_FALSE(Game().prompt.active);
    EXPECT_EQ(windows.calls, std::vector<std::string>{});
    EXPECT_EQ(Game().nameRequest, kOther);
    // Counts and lengths past the packet: preview records, picker entries, query question.
    dispatch(Pkt(0xB4).u8(0).u32(0x12).u16(0).u16(0).u16(0).u16(3).u16(1).u16(0).u16(1).u16(1).u16(0));
    dispatch(Pkt(0x7C).u32(0x40).u16(9).u8(1).raw("Q").u8(2).u16(5).u16(0).u8(1).raw("a"));
    dispatch(Pkt(0xAB).u32(0x70).u16(4).u16(200).raw("Q").u8(0));
    EXPECT_FALSE(g_bTargetMode);
    EXPECT_TRUE(windows.calls.empty());
}

} // namespace
