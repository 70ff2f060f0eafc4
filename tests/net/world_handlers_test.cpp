/** @file The world handlers on their own: object records, speech of both widths, the emote and keyword speech sent, equipment layers, a login confirm on another connection, the view during a step, the world's requests. */
#include "client/core/player_files.h"
#include "client/data/seasonal_art.h"
#include "client/net/packet_table.h"
#include "client/world/weather_manager.h"
#include "tests/net/login_fixture.h"

namespace {

using testsupport::Bytes;
using testsupport::ServerPacket;

class WorldHandlers : public nettest::LoginWorld {
protected:
    WorldHandlers()
    {
        // A plain connection (an edit server's): what the client sends is read back as it is.
        EditServerAddress = 0x7F000001;
        netFacilities().makeTcpSocket = [this] {
            auto socket = std::make_unique<platform::FakeTcpSocket>();
            socket_ = socket.get();
            return socket;
        };
        connection = CreateConnection();
        connection->Connect(0x7F000001, 2593);
        connection->gamePhase = 1;
        SetActiveConnection(connection);
        session = &AddServerSession(connection, "Brindle");
        player->SetSerial(0x101);
        WorldEntered = true;
    }
    ~WorldHandlers() override { EditServerAddress = 0; }

    static void dispatch(const Bytes& packet) { GetPacketHandler(packet[0])(packet.data(), packet.size()); }
    static Bytes unicodeSpeech(uint32_t serial, uint8_t type, const std::u16string& text)
    {
        return testsupport::ScriptedShard::UnicodeSpeechPacket(serial, 400, type, 0x3B2, 3, "enu", "Tessa", text);
    }
    /** The packets the client sent so far, cut by the length table. */
    std::vector<Bytes> sent()
    {
        connection->Flush();
        std::vector<Bytes> out;
        const std::vector<uint8_t>& bytes = socket_->sent();
        for (size_t at = 0; at < bytes.size();) {
            const long length = testsupport::PacketLengthAt(bytes.data() + at, bytes.size() - at);
            if (length <= 0 || at + static_cast<size_t>(length) > bytes.size())
                break;
            out.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() + static_cast<std::ptrdiff_t>(at + static_cast<size_t>(length)));
            at += static_cast<size_t>(length);
        }
        return out;
    }

    platform::FakeTcpSocket* socket_ = nullptr;
    CClientSock* connection = nullptr;
    CServerSession* session = nullptr;
};

TEST_F(WorldHandlers, ObjectInfoReadsItsOptionalFieldsAndDropsADisagreeingLength)
{
    struct Case {
        const char* what;
        Bytes body;
        bool made;
        uint16_t amount, hue;
        int8_t z;
    } cases[] = {
        {"plain", {0x40, 0, 0, 0x10, 0x0E, 0xC4, 0, 101, 0, 101, 5}, true, 1, 0, 5},
        {"amount and hue", {0xC0, 0, 0, 0x11, 0x0E, 0xC4, 0, 7, 0, 101, 0x80, 101, 0xFE, 0x00, 0x21}, true, 7, 0x21, -2},
        {"hue flag without the hue", {0x40, 0, 0, 0x12, 0x0E, 0xC4, 0, 101, 0x80, 101, 5}, false, 0, 0, 0},
        {"a byte too many", {0x40, 0, 0, 0x13, 0x0E, 0xC4, 0, 101, 0, 101, 5, 9}, false, 0, 0, 0},
        {"the player's serial", {0, 0, 1, 1, 0x0E, 0xC4, 0, 101, 0, 101, 5}, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dispatch(ServerPacket(PKT_ObjectInfo).bytes(c.body).done());
        const uint32_t serial = static_cast<uint32_t>(c.body[0] & 0x7F) << 24 | static_cast<uint32_t>(c.body[1]) << 16 |
                                static_cast<uint32_t>(c.body[2]) << 8 | c.body[3];
        CDynamicObj* object = CObjectManager::FindObject(serial);
        if (!c.made) {
            EXPECT_TRUE(object == nullptr || object == player);
            continue;
        }
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->amount, c.amount);
        EXPECT_EQ(object->hue, c.hue);
        EXPECT_EQ(object->z, c.z);
    }
    EXPECT_EQ(player->locX, 100) << "the player is never moved by object information";
}

TEST_F(WorldHandlers, SpeechIsShownByTypeAndSpeaker)
{
    auto speech = [](uint32_t serial, uint8_t type, const std::string& name, const std::string& text) {
        return ServerPacket(PKT_Speech).u32(serial).u16(400).u8(type).u16(0x3B2).u16(3).text(name, 30).text0(text).done();
    };
    dispatch(speech(0xFFFFFFFF, 1, "Sys", "restart soon"));
    dispatch(speech(0x101, 1, "Tessa", "hi"));
    dispatch(speech(0x101, 5, "Tessa", "never shown"));
    dispatch(speech(0x101, 11, "Tessa", "never shown"));
    ASSERT_EQ(texts.lines.size(), 2u);
    EXPECT_EQ(texts.lines[0].text, "[System]: restart soon");
    EXPECT_EQ(texts.lines[1].text, "Tessa: hi");

    dispatch(speech(0x101, 7, "Tessa", "a bark"));
    ASSERT_EQ(texts.spoken.size(), 1u);
    EXPECT_EQ(texts.spoken[0].kind, SpeechKind::Bark);
    EXPECT_EQ(LastSpeaker.name, "Tessa");
    EXPECT_EQ(LastSpeaker.kind, 2);
    texts.ignored = 0x101;
    dispatch(speech(0x101, 0, "Tessa", "ignored"));
    dispatch(unicodeSpeech(0x101, 6, u"ignored too"));
    EXPECT_EQ(texts.spoken.size(), 1u) << "an ignored speaker shows nothing";
    texts.ignored = 0;

    // Unicode speech: cut at 2,047 units; types 5 and 10 and above are never shown.
    dispatch(unicodeSpeech(0x101, 0, std::u16string(3000, u'a')));
    ASSERT_EQ(texts.spoken.size(), 2u);
    EXPECT_EQ(texts.spoken[1].text.size(), 2047u);
    dispatch(unicodeSpeech(0x101, 5, u"x"));
    dispatch(unicodeSpeech(0x101, 12, u"x"));
    EXPECT_EQ(texts.spoken.size(), 2u);
    dispatch(unicodeSpeech(0x999, 0, u"nobody there"));
    EXPECT_EQ(texts.systemSpeech, (std::vector<std::u16string>{u"nobody there"})) << "no object: a system line";
    EXPECT_EQ(LastSpeaker.kind, 1);
}

TEST_F(WorldHandlers, AnEmoteIsWrappedInStarsWithTheEmoteHue)
{
    CurrentEmoteHue = 549;
    SendUnicodeSpeechText(u"waves", 2);
    const std::vector<Bytes> out = sent();
    ASSERT_EQ(out.size(), 1u);
    const Bytes& p = out[0];
    EXPECT_EQ(p[0], PKT_UnicodeSpeechRequest);
    EXPECT_EQ(p[3], 2);
    EXPECT_EQ(p[4] << 8 | p[5], 549);
    const Bytes units(p.begin() + 12, p.end());
    EXPECT_EQ(units, (Bytes{0, '*', 0, 'w', 0, 'a', 0, 'v', 0, 'e', 0, 's', 0, '*', 0, 0}));
}

TEST_F(WorldHandlers, SpeechWithAKeywordGoesOutInItsKeywordForm)
{
    SpeechKeywords = {{"*hello*", 0x10}, {"bank", 0x2}};
    SendUnicodeSpeechText(u"Well HELLO there", 0);
    SendUnicodeSpeechText(u"goodbye", 0);
    SpeechKeywords.clear();
    const std::vector<Bytes> out = sent();
    ASSERT_EQ(out.size(), 2u);
    // Mode with the keyword bit pair, then one id packed as 12-bit values (count 1, id 0x10) and UTF-8 text.
    EXPECT_EQ(out[0][3], 0xC0);
    EXPECT_EQ(Bytes(out[0].begin() + 12, out[0].begin() + 15), (Bytes{0x00, 0x10, 0x10}));
    EXPECT_EQ(std::string(out[0].begin() + 15, out[0].end()), std::string("Well HELLO there") + '\0');
    EXPECT_EQ(out[1][3], 0) << "no keyword: the plain UTF-16 form";
    EXPECT_EQ(out[1].size(), 12u + 2 * 8);
}

TEST_F(WorldHandlers, EquipmentOutsideTheLayersIsIgnored)
{
    dispatch(ServerPacket(PKT_MobileIncoming)
                 .u32(0x202).u16(400).u16(101).u16(101).u8(0).u8(2).u16(0).u8(0).u8(3)
                 .u32(0x40000010).u16(0x1517).u8(5)
                 .u32(0x40000011).u16(0x8000 | 0x1518).u8(30).u16(0x21)
                 .u32(0x40000012).u16(0x1519).u8(200)
                 .u32(0)
                 .done());
    auto* mobile = static_cast<CMobile*>(CObjectManager::FindObject(0x202));
    ASSERT_NE(mobile, nullptr);
    EXPECT_EQ(mobile->GetHighlightClass(), 3);
    ASSERT_NE(mobile->layers[5], nullptr);
    EXPECT_EQ(mobile->layers[5]->GetSerial(), 0x40000010u);
    EXPECT_EQ(CObjectManager::FindObject(0x40000011), nullptr);
    EXPECT_EQ(CObjectManager::FindObject(0x40000012), nullptr);
}

TEST_F(WorldHandlers, APlayerUpdateStopsTheWeatherOnlyForThePlayer)
{
    WeatherManager::startup();
    WeatherManager::HandleWeather(0, 30, 20);
    auto update = [](uint32_t serial) {
        return ServerPacket(PKT_PlayerUpdate)
            .u32(serial).u16(400).u8(0).u16(0).u8(0).u16(40).u16(41).u16(0).u8(2).u8(5)
            .done();
    };
    dispatch(update(0x202));
    EXPECT_EQ(WeatherManager::State().state, WeatherState::kRain) << "another serial changes nothing";
    dispatch(update(0x101));
    EXPECT_EQ(player->locX, 40);
    EXPECT_EQ(WeatherManager::State().state, WeatherState::kNone);
}

TEST_F(WorldHandlers, ANewcomerInSightIsAskedForItsName)
{
    auto incoming = [](uint32_t serial, uint16_t graphic, uint8_t flags) {
        return ServerPacket(PKT_MobileIncoming).u32(serial).u16(graphic).u16(101).u16(101).u8(0).u8(2).u16(0).u8(flags)
            .u8(3).u32(0).done();
    };
    const uint8_t saved = ShowIncomingNames;
    ShowIncomingNames = 1;
    dispatch(incoming(0x301, 400, 0));
    dispatch(incoming(0x301, 400, 0));    // known by now
    dispatch(incoming(0x302, 400, 0x80)); // hidden
    dispatch(incoming(0x101, 400, 0));    // the player
    ShowIncomingNames = 0;
    dispatch(incoming(0x303, 400, 0));
    ShowIncomingNames = saved;
    const std::vector<Bytes> out = sent();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], (Bytes{0x09, 0, 0, 0x03, 0x01}));
}

TEST_F(WorldHandlers, ALoginConfirmOnAnotherConnectionOnlyFillsItsRecord)
{
    CClientSock* other = CreateConnection();
    other->Connect(0x7F000001, 2594);
    CServerSession& second = AddServerSession(other, "Farwater");
    SetCurrentServerSession(&second);
    WorldEntered = false;
    dispatch(ServerPacket(PKT_LoginConfirm)
                 .u32(0x555).u32(0).u16(401).u16(40).u16(41).u16(2).u8(3).u8(0).u32(0).u16(0).u16(0).u16(0).u16(0)
                 .bytes(Bytes(6, 0))
                 .done());
    SetCurrentServerSession(nullptr);
    EXPECT_EQ(second.playerSerial, 0x555);
    EXPECT_EQ(second.x, 40);
    EXPECT_EQ(second.savedData["confirmed"], 1);
    EXPECT_TRUE(texts.has("Login confirm on Farwater"));
    EXPECT_FALSE(WorldEntered);
    EXPECT_EQ(player->serial, 0x101u);
    EXPECT_TRUE(sent().empty()) << "no enter-world requests";
}

TEST_F(WorldHandlers, ARefusedPickUpPutsTheItemBackAndSeasonsFollowTheirConnection)
{
    dispatch(ServerPacket(PKT_ObjectInfo).u32(0x40000020).u16(0x0E75).u16(101).u16(101).u8(0).done());
    CDynamicObj* bag = CObjectManager::FindObject(0x40000020);
    ASSERT_NE(bag, nullptr);
    PickUpRecord& record = World().pickUp;
    record = PickUpRecord{};
    record.serial = 0x40000021;
    record.graphic = 0x0EC4;
    record.amount = 3;
    record.x = 20;
    record.y = 30;
    record.container = 0x40000020;
    World().pickUpPending = true;
    dispatch({PKT_PickUpRejected, 0});
    CDynamicObj* knife = CObjectManager::FindObject(0x40000021);
    ASSERT_NE(knife, nullptr);
    EXPECT_EQ(knife->parent, bag) << "back in the container it came from";
    EXPECT_EQ(knife->amount, 3);
    EXPECT_FALSE(World().pickUpPending);
    dispatch({PKT_PickUpRejected, 0});
    EXPECT_EQ(CObjectManager::FindObject(0x40000021), knife) << "nothing pending: nothing happens";

    // Seasons: 5 and above become 0; season 4 needs the setting; another connection keeps its own.
    dispatch({PKT_Season, 2, 1});
    EXPECT_EQ(SeasonValue, 2);
    dispatch({PKT_Season, 9, 1});
    EXPECT_EQ(SeasonValue, 0);
    dispatch({PKT_Season, 4, 1});
    EXPECT_EQ(SeasonValue, 0);
    CClientSock* other = CreateConnection();
    other->Connect(0x7F000001, 2594);
    CServerSession& second = AddServerSession(other, "Farwater");
    SetCurrentServerSession(&second);
    dispatch({PKT_Season, 3, 1});
    SetCurrentServerSession(nullptr);
    EXPECT_EQ(second.savedData["season"], 3);
    EXPECT_EQ(SeasonValue, 0);
}

TEST_F(WorldHandlers, StepFramesMoveTheViewWithThePlayer)
{
    player->MoveTo(30, 30, 0);
    player->direction = 2; // already facing east: the step moves
    MapManager::CenterX = 30;
    MapManager::CenterY = 30;
    ASSERT_TRUE(RequestWalk(3, 0, true)); // east, walking: four frames a cell
    UpdatePlayerWalk();
    UpdatePlayerWalk();
    using F = testsupport::CountingDraw::Follow;
    EXPECT_EQ(draw.follows, (std::vector<F>{{30, 30, 5, 5, false}, {30, 30, 11, 11, false}}));
    EXPECT_EQ(player->inList, 1) << "listed again after each frame";
    UpdatePlayerWalk();
    UpdatePlayerWalk();
    EXPECT_EQ(draw.follows.back(), (F{31, 30, 0, 0, true}));
}

TEST_F(WorldHandlers, UsesAndPickUpsFromTheWorldGoOutOnTheConnection)
{
    dispatch(ServerPacket(PKT_ObjectInfo).u32(0x40000020).u16(0x0E75).u16(101).u16(101).u8(0).done());
    dispatch(ServerPacket(PKT_ObjectInfo).u32(0x40000021).u16(0x0EC4).u16(102).u16(101).u8(0).done());
    CObjectManager::DoubleClick(CObjectManager::FindObject(0x40000020));
    CObjectManager::GetObject(CObjectManager::FindObject(0x40000021), 0);
    std::vector<Bytes> out;
    for (const Bytes& p : sent())
        if (p[0] == PKT_UseObject || p[0] == PKT_PickUpItem)
            out.push_back(p);
    EXPECT_EQ(out, (std::vector<Bytes>{{PKT_UseObject, 0x40, 0, 0, 0x20}, {PKT_PickUpItem, 0x40, 0, 0, 0x21, 0, 1}}));
}

} // namespace
