/** @file The login lists read from their packets, the shard sort, refusals and notices, the relay's failures, tips and web pages. */
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/net/login_lists.h"
#include "client/net/packet_table.h"
#include "client/net/text_services.h"
#include "tests/net/login_fixture.h"
#include "tests/net/net_test_fixture.h"
#include "tests/support/scripted_shard.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::Bytes;
using testsupport::ServerPacket;

class LoginLists_ : public nettest::NetTest {
protected:
    LoginLists_()
    {
        // The handlers save their numbers into the install's kz.cfg.
        const std::string hd = sandbox.dir().file("hd") + "/";
        std::filesystem::create_directories(hd);
        platform.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", hd + "client");
        FileManager::startup();
        ResetLoginLists();
        SetLoginScreenServices(&screens);
        SetNetTextServices(&texts);
    }
    ~LoginLists_() override
    {
        SetLoginScreenServices(nullptr);
        SetNetTextServices(nullptr);
        ResetLoginLists();
        FileManager::shutdown();
    }
    static void dispatch(const Bytes& packet) { GetPacketHandler(packet[0])(packet.data(), packet.size()); }

    /** A shard list: the count field, then `present` entries named "Shard<i>" with index i and time zone 0. */
    static Bytes shardList(uint16_t count, size_t present, const std::string& firstName = "")
    {
        ServerPacket p(PKT_ServerList);
        p.u8(0x22).u16(count);
        for (size_t i = 0; i < present; ++i)
            p.u16(static_cast<uint32_t>(i)).text(i == 0 && !firstName.empty() ? firstName : "Shard" + std::to_string(i), 32)
                .u8(0).u8(0).u32(0);
        return p.done();
    }

    nettest::RecordingScreens screens;
    nettest::RecordingTexts texts;
};

TEST_F(LoginLists_, ShardListCountsAndNamesAreBounded)
{
    InstallLoginHandlers();
    connectActive();
    struct Case {
        uint16_t count;
        size_t present;
        size_t read;
    } cases[] = {
        {300, 44, 44},    // only the count's low byte is used
        {0x85, 140, 127}, // a low byte above 127 is clamped
        {5, 2, 2},        // never past the packet
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        dispatch(shardList(c.count, c.present, "A name far longer than fifteen"));
        ASSERT_EQ(TheLoginLists().shards.size(), c.read);
        EXPECT_EQ(TheLoginLists().shards[0].name, "A name far long");
        EXPECT_EQ(TheLoginLists().shardOrder.size(), c.read);
    }
    EXPECT_EQ(NextLoginKey, 0x22);
    EXPECT_EQ(screens.shardsShown, 3);

    // An index whose low byte is negative as a signed byte lists as its negation with value 995.
    ServerPacket p(PKT_ServerList);
    p.u8(0).u16(1).u16(0x0085).text("Odd", 32).u8(0).u8(0).u32(0);
    dispatch(p.done());
    EXPECT_EQ(TheLoginLists().shards[0].listId, 123);
    EXPECT_EQ(TheLoginLists().shards[0].listValue, 995);

    // No shard: the servers are down and the connection closes once.
    dispatch(shardList(0, 0));
    ASSERT_EQ(screens.messages.size(), 1u);
    EXPECT_EQ(screens.messages[0].text,
              "The Tavorn Vevovo servers are currently down.  Please try again in a few moments.");
    EXPECT_EQ(ActiveConnection(), nullptr);
}

TEST_F(LoginLists_, DistancesAndTheSortNeverPickAZoneOf50)
{
    EXPECT_EQ(ShardDistance(3, 1), 2);
    EXPECT_EQ(ShardDistance(-10, 10), 4) << "around the date line";
    EXPECT_EQ(ShardDistance(0, 0), 0);

    std::vector<ShardEntry> shards(4);
    const int8_t zones[] = {5, 50, 0, 0};
    std::vector<bool> skip;
    for (size_t i = 0; i < shards.size(); ++i) {
        shards[i].timeZone = zones[i];
        shards[i].distance = ShardDistance(zones[i], 0);
        skip.push_back(zones[i] == 50);
    }
    std::vector<size_t> order{0, 1, 2, 3};
    SortShardOrder(shards, skip, order);
    // Position 0 takes shard 2 (ties keep the earlier); position 1 takes shard 3, pushing the
    // zone-50 shard back; it is never picked, so it only moves by swaps.
    EXPECT_EQ(order, (std::vector<size_t>{2, 3, 0, 1}));
}

TEST_F(LoginLists_, CharacterListsCitiesAndTheCombinedList)
{
    InstallLoginHandlers();
    connectActive();
    ServerPacket list(PKT_CharacterList);
    list.u8(1).text(std::string(30, 'N'), 30).text("pw", 30);
    for (int i = 0; i < 4; ++i)
        list.text("", 30).text("", 30);
    list.u8(2).u8(7).text("Brindle", 31).text("The Green", 31).u8(9).text("Farwater", 31).text("The Docks", 31);
    dispatch(list.done());
    EXPECT_EQ(TheLoginLists().characters[0].name, std::string(29, 'N')) << "cut to 29 characters";
    ASSERT_EQ(TheLoginLists().cities.size(), 2u);
    EXPECT_EQ(TheLoginLists().cities[0].text, "Brindle: The Green");
    EXPECT_EQ(TheLoginLists().cities[1].index, 9);
    EXPECT_EQ(screens.charactersShown, 1);

    ServerPacket empty(PKT_CharacterList);
    empty.u8(0).bytes(Bytes(300, 0)).u8(0);
    dispatch(empty.done());
    EXPECT_EQ(screens.creations, 1) << "no character: creation starts";

    // 0x81 before the relay: names ending in digits carry the time zone; cities stay grouped.
    ServerPacket combined(PKT_CharacterAndServerList);
    combined.u8(0).u8(0x33).bytes(Bytes(300, 0)).u8(2);
    combined.u8(4).text("Lowlands 1", 16).u8(6).text("Far Isles -8", 16);
    combined.u8(3);
    combined.u8(0).text("Brindle", 31).text("Green", 31).u8(1).text("Brindle", 31).text("Mill", 31);
    combined.u8(2).text("Farwater", 31).text("Docks", 31);
    dispatch(combined.done());
    const LoginLists& lists = TheLoginLists();
    ASSERT_EQ(lists.shards.size(), 2u);
    EXPECT_EQ(lists.shards[1].name, "Far Isles");
    EXPECT_EQ(lists.shards[1].timeZone, -8);
    EXPECT_EQ(lists.shards[1].index, 6);
    EXPECT_TRUE(lists.shardChoice);
    ASSERT_EQ(lists.cities.size(), 3u);
    const size_t brindle = lists.cities[0].city == "Brindle" ? 0 : 1;
    EXPECT_EQ(lists.cities[brindle].area, "Green");
    EXPECT_EQ(lists.cities[brindle + 1].area, "Mill") << "a group keeps its entries' order";
}

TEST_F(LoginLists_, RefusalsErrorsAndPopupsByReason)
{
    InstallLoginHandlers();
    connectActive();
    dispatch({PKT_CharacterError, 2});
    EXPECT_TRUE(screens.messages.empty()) << "no character gump: ignored";
    screens.characterGumpOpen = true;
    for (uint8_t reason : {0, 1, 2, 3, 4, 77}) {
        dispatch({PKT_CharacterError, reason});
        EXPECT_EQ(screens.messages.back().text, CharacterErrorText(reason));
        EXPECT_EQ(screens.messages.back().owner, LoginGump::Characters);
    }
    EXPECT_EQ(std::string(CharacterErrorText(77)), "Couldn't carry out your request.");

    DefaultChar = 0;
    dispatch({PKT_PopupMessage, 1});
    EXPECT_EQ(screens.removed, (std::vector<int32_t>{0}));
    EXPECT_EQ(DefaultChar, 0) << "the selection stays at 0";
    DefaultChar = 2;
    dispatch({PKT_PopupMessage, 1});
    EXPECT_EQ(DefaultChar, 1);
    dispatch({PKT_PopupMessage, 7});
    EXPECT_EQ(screens.messages.back().text,
              "You have been idle for too long.  If you do not do anything in the next minute, you will be logged out.");
    screens.characterGumpOpen = false;
    dispatch({PKT_PopupMessage, 0});
    EXPECT_EQ(screens.messages.back().text, "You entered an incorrect password.  Closing...");
    EXPECT_TRUE(screens.messages.back().closing);
}

TEST_F(LoginLists_, RelayToAFullShardOrADeadServer)
{
    InstallLoginHandlers();
    CClientSock* login = connectActive();
    FindServerSession(login)->shardName = "Brindle";
    const size_t before = sockets.size();
    dispatch(ServerPacket(PKT_RelayToGameServer).u32(0).u16(2593).u32(9).done());
    EXPECT_EQ(sockets.size(), before) << "address 0 never connects";
    EXPECT_TRUE(texts.has("Brindle is full."));

    // Three refused tries: the player is told, and a clean unconnected main connection stays.
    login = connectActive();
    auto refused = [this] {
        auto socket = std::make_unique<platform::FakeTcpSocket>();
        socket->scriptConnect({platform::NetStatus::Error});
        sockets.push_back(socket.get());
        return socket;
    };
    netFacilities().makeTcpSocket = refused;
    const size_t tries = sockets.size();
    dispatch(ServerPacket(PKT_RelayToGameServer).u32(0x0A000009).u16(2594).u32(9).done());
    EXPECT_EQ(sockets.size() - tries, 3u);
    ASSERT_FALSE(screens.messages.empty());
    EXPECT_EQ(screens.messages.back().text, "The client could not attach to the game server. It must have been taken "
                                            "down, please wait a few minutes and try again.");
    ASSERT_NE(ActiveConnection(), nullptr);
    EXPECT_NE(ActiveConnection(), login);
    EXPECT_FALSE(ActiveConnection()->HasSocket());
    EXPECT_EQ(Relayed, 0);
}

TEST_F(LoginLists_, TipsNoticesAndWebPages)
{
    InstallLoginHandlers();
    auto tip = [](uint8_t kind, uint32_t number, uint16_t length, const std::string& text) {
        return ServerPacket(PKT_TipNotice).u8(kind).u32(number).u16(length).bytes(Bytes(text.begin(), text.end())).done();
    };
    dispatch(tip(1, 42, 4, "news"));
    EXPECT_EQ(CurrentVer, 42);
    EXPECT_EQ(screens.tipWindow, 0) << "a notice opens no window";
    dispatch(tip(0, 7, 500, "First line\rSecond line"));
    EXPECT_EQ(LastTip, 7);
    EXPECT_EQ(screens.tipWindow, 1);
    EXPECT_EQ(screens.tips, (std::vector<std::string>{"First line", "Second line"})) << "a length past the packet is cut";

    dispatch(ServerPacket(PKT_OpenWebPage).text0("ftp://files.example.net").done());
    dispatch(ServerPacket(PKT_OpenWebPage).text0("https://www.example.net/news").done());
    const auto spawns = platform.processes().spawns();
    ASSERT_EQ(spawns.size(), 1u) << "only web addresses open";
    EXPECT_EQ(spawns[0].argv, (std::vector<std::string>{"xdg-open", "https://www.example.net/news"}));
}

} // namespace
