/** @file Speech, entering the world and world objects from the server; the player's speech out; the player's walk services. */
#include "client/net/world_handlers.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/core/hw_profile.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/options.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "client/data/language_manager.h"
#include "client/data/translation_link.h"
#include "client/data/unicode_text.h"
#include "client/data/map_manager.h"
#include "client/data/seasonal_art.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "client/net/text_services.h"
#include "client/world/map_view.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "client/world/weather_manager.h"
#include "client/world/world_draw_services.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

uint32_t PlayerSerial = 0;
uint16_t MapExtents[4] = {};
uint8_t GlobalLightLevel = 0;
bool GlobalLightOverride = false;
bool AllowSeasonFour = false;
int32_t SharedReferenceFlag = 0;
bool WorldEntered = false;
LastSpeakerRecord LastSpeaker;

namespace {

int32_t g_featureFlag = 0;

NetTextServices g_noText;
NetTextServices* g_text = &g_noText;
GameScreenServices g_noScreen;
GameScreenServices* g_screen = &g_noScreen;

constexpr uint32_t kNoSerial = 0xFFFFFFFF;
constexpr size_t kMaxSpeechUnits = 2047;

CPlayerMobile* player()
{
    return World().player;
}

bool isPlayerSerial(uint32_t serial)
{
    return player() != nullptr && player()->serial == serial;
}

/** The connection whose packet is being handled (else the active one). */
CClientSock* dispatchingConnection()
{
    if (CServerSession* session = CurrentServerSession())
        if (session->connection != nullptr)
            return session->connection;
    return ActiveConnection();
}

void sendOn(CClientSock* connection, uint8_t* packet)
{
    if (connection != nullptr)
        connection->SendPacket(packet);
}

std::u16string widen(const std::string& text)
{
    std::u16string out;
    for (char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

void userLanguage(char out[4])
{
    copyLanguageCode(out, LanguageManager::getUserLanguageCode());
}

/** Play-window size "WxH" (640 x 480 when it does not parse). */
void playSize(uint32_t& width, uint32_t& height)
{
    unsigned w = 0, h = 0;
    if (std::sscanf(GamePlayWindowSize, "%ux%u", &w, &h) != 2 || w == 0 || h == 0) {
        w = 640;
        h = 480;
    }
    width = w;
    height = h;
}

void sendExtended(CClientSock* connection, uint16_t sub, const uint8_t* data, size_t size)
{
    uint8_t packet[64];
    StartPacket(packet, PKT_ExtendedCommand);
    WritePacketU16(packet, sub);
    WritePacketBytes(packet, data, size);
    sendOn(connection, packet);
}

void sendVersion(CClientSock* connection, const uint32_t* echo)
{
    uint8_t packet[256];
    StartPacket(packet, echo != nullptr ? PKT_VersionQuery : PKT_ClientVersion);
    if (echo != nullptr)
        WritePacketU32(packet, *echo);
    WritePacketText0(packet, CVersionManager::GetVersionString());
    sendOn(connection, packet);
}

void applyFlags(CMobile& mobile, uint8_t flags)
{
    const uint8_t before = mobile.statusFlags;
    SetStatusFlags(&mobile, flags);
    if (before != mobile.statusFlags)
        g_screen->StatusFlagsChanged(mobile);
}

/** The walk's view of the player and the connection. */
class NetWalkServices final : public WalkServices {
public:
    bool HasPlayer() override { return player() != nullptr && WorldEntered; }
    WalkPlayer Player() override
    {
        WalkPlayer out;
        if (CPlayerMobile* p = player()) {
            out.x = p->locX;
            out.y = p->locY;
            out.z = p->z;
            out.direction = p->direction & 7;
            out.body = p->graphic;
            out.ghost = p->IsGhost() != 0;
            const CObj* mount = p->layers[25];
            out.mounted = mount != nullptr;
            out.seaMounted = mount != nullptr && mount->graphic == 16051;
        }
        return out;
    }
    void SetPlayerPosition(int32_t x, int32_t y, int32_t z) override
    {
        if (CPlayerMobile* p = player())
            p->MoveTo(x, y, z);
    }
    void SetPlayerDirection(int32_t direction) override
    {
        if (CPlayerMobile* p = player())
            p->direction = static_cast<uint8_t>(direction & 7);
    }
    WalkKeySlots* PlayerWalkKeys() override { return player() != nullptr ? &player()->walkKeys : nullptr; }
    bool GameConnected() override
    {
        CClientSock* main = ActiveConnection();
        return main != nullptr && main->HasSocket() && main->PastLoginPhase() && WorldEntered;
    }
    void SendMoveRequest(uint8_t direction, uint8_t sequence, uint32_t key) override
    {
        uint8_t packet[16];
        BuildMoveRequestPacket(packet, direction, sequence, key);
        sendOn(ActiveConnection(), packet);
    }
    void SendWalkResync() override
    {
        uint8_t packet[8];
        BuildWalkResyncPacket(packet);
        sendOn(ActiveConnection(), packet);
    }
    void StepView(int32_t dx, int32_t dy, int32_t z) override { MapView::StepView(dx, dy, z); }
    void SetCenter(int32_t x, int32_t y, int32_t z) override { MapView::SetCenter(x, y, z); }
    void SayOverPlayer(const char* text) override
    {
        if (CPlayerMobile* p = player())
            p->AddOverheadMessage(text, 946, 3);
    }
    void CloseContainersOutOfReach() override { worldGumps().CloseContainersOutOfReach(); }
    void BeginStepFrame() override
    {
        if (CPlayerMobile* p = player())
            p->RemoveFromDrawList();
    }
    void EndStepFrame(int32_t drawZ, int32_t scrollX, int32_t scrollY, bool moved) override
    {
        CPlayerMobile* p = player();
        if (p == nullptr || p->offMap != 0)
            return;
        p->drawZ = drawZ;
        worldDraw().FollowPlayerStep(p->locX, p->locY, scrollX, scrollY, moved);
        worldGumps().RepositionOverheadMessages(*p);
        p->AddToDrawList();
    }
};

NetWalkServices g_walk;

/** The world's use and pick-up requests, on the main connection. */
class NetWorldRequests final : public WorldNetServices {
public:
    void SendUseObject(uint32_t serial) override
    {
        uint8_t packet[16];
        BuildUseObjectPacket(packet, serial);
        sendOn(ActiveConnection(), packet);
    }
    void SendPickUp(uint32_t serial, uint16_t amount) override
    {
        uint8_t packet[16];
        BuildPickUpItemPacket(packet, serial, amount);
        sendOn(ActiveConnection(), packet);
    }
};

NetWorldRequests g_worldRequests;

} // namespace

// ---- Services -------------------------------------------------------------------------------

void NetTextServices::SystemLine(const char* text, int32_t, int32_t)
{
    if (sharedFunctionHooks().showSystemText)
        sharedFunctionHooks().showSystemText(text != nullptr ? text : "");
}

void SetNetTextServices(NetTextServices* services)
{
    g_text = services != nullptr ? services : &g_noText;
}

NetTextServices& netText()
{
    return *g_text;
}

void GameScreenServices::SetTitle(const char* text)
{
    SetMainWindowTitle(text);
}

void SetGameScreenServices(GameScreenServices* services)
{
    g_screen = services != nullptr ? services : &g_noScreen;
}

GameScreenServices& gameScreen()
{
    return *g_screen;
}

int32_t GetFeatureFlag()
{
    return g_featureFlag;
}

void SetFeatureFlag(int32_t flag)
{
    g_featureFlag = flag;
}

void ResetWorldHandlerState()
{
    PlayerSerial = 0;
    std::fill(std::begin(MapExtents), std::end(MapExtents), uint16_t{0});
    GlobalLightLevel = 0;
    GlobalLightOverride = false;
    SharedReferenceFlag = 0;
    SeasonValue = 0;
    WorldEntered = false;
    LastSpeaker = LastSpeakerRecord{};
    g_featureFlag = 0;
}

// ---- Speech ---------------------------------------------------------------------------------

void AddSystemUnicodeText(uint16_t hue, uint16_t font, const std::u16string& text, const char* language)
{
    LastSpeaker.kind = 1;
    g_text->SystemUnicodeLine(text, hue, font, language);
}

namespace {

/** Speech waiting for its translation: shown over its speaker when the answer comes, if the speaker is still there. */
struct PendingTranslation {
    uint32_t serial = 0;
    uint16_t hue = 0;
    uint16_t font = 0;
};

constexpr size_t kMaxPendingTranslations = 256;
std::map<int32_t, PendingTranslation> g_pendingTranslations;
uint32_t g_nextTranslation = 0;

void showTranslation(void*, int32_t value, const WideChar*, const WideChar* text)
{
    const auto it = g_pendingTranslations.find(value);
    if (it == g_pendingTranslations.end())
        return;
    const PendingTranslation pending = it->second;
    g_pendingTranslations.erase(it);
    CDynamicObj* object = CObjectManager::FindObject(pending.serial);
    if (object == nullptr || text == nullptr || g_text->IsSerialIgnored(pending.serial))
        return;
    g_text->SpeakOver(*object, std::u16string(text), pending.hue, pending.font, SpeechKind::Say);
}

/** True when the text went to the translation helper, whose answer shows it later. */
bool queueTranslation(uint32_t serial, uint16_t hue, uint16_t font, const char* language, const std::u16string& text)
{
    if (!LanguageTranslationServer::isEnabled() || !LanguageTranslationServer::setSourceLanguage(language))
        return false;
    const int32_t value = static_cast<int32_t>(++g_nextTranslation & 0x7FFFFFFF);
    if (LanguageTranslationServer::Packet::request(nullptr, text.c_str(), showTranslation, nullptr, value) < 0)
        return false;
    // The helper forgets its oldest requests past its own bound; so do we.
    if (g_pendingTranslations.size() >= kMaxPendingTranslations)
        g_pendingTranslations.erase(g_pendingTranslations.begin());
    g_pendingTranslations[value] = PendingTranslation{serial, hue, font};
    return true;
}

} // namespace

void DisplayUnicodeSpeech(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                          const char* language, const std::string& name, const std::u16string& source)
{
    (void)graphic;
    if (name.empty() || source.empty() || g_text->DeathEffectRunning())
        return;
    std::u16string text = source;
    if (ObscenityFilter != 0)
        g_text->Censor(text);
    if (type == 1 || type == 5 || type >= 10)
        return;
    CDynamicObj* object = serial != kNoSerial ? CObjectManager::FindObject(serial) : nullptr;
    if (object == nullptr) {
        AddSystemUnicodeText(hue, font, text, language);
        return;
    }
    if (g_text->IsSerialIgnored(serial))
        return;
    LastSpeaker.name = name;
    LastSpeaker.kind = type == 6 ? 3 : 2;
    if (type != 6 && type != 7 && queueTranslation(serial, hue, font, language, text))
        return;
    g_text->SpeakOver(*object, text, hue, font, type == 7 ? SpeechKind::Bark : SpeechKind::Say, language);
}

void DisplaySpeech(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                   const std::string& name, const std::string& source)
{
    (void)graphic;
    if (name.empty() || source.empty() || g_text->DeathEffectRunning())
        return;
    std::string text = source;
    if (ObscenityFilter != 0) {
        std::u16string wide = widen(text);
        g_text->Censor(wide);
        text.clear();
        for (char16_t unit : wide)
            text.push_back(static_cast<char>(unit));
    }
    if (type == 1) {
        const std::string line = serial == kNoSerial ? "[System]: " + text : name + ": " + text;
        LastSpeaker.kind = 1;
        g_text->SystemLine(line.c_str(), hue, font);
        return;
    }
    if (type == 5 || type >= 11)
        return;
    CDynamicObj* object = serial != kNoSerial ? CObjectManager::FindObject(serial) : nullptr;
    if (object == nullptr) {
        LastSpeaker.kind = 1;
        g_text->SystemLine(text.c_str(), hue, font);
        return;
    }
    if (g_text->IsSerialIgnored(serial))
        return;
    LastSpeaker.name = name;
    LastSpeaker.kind = type == 6 ? 3 : 2;
    const SpeechKind kind = type == 7 ? SpeechKind::Bark : type == 10 ? SpeechKind::Persistent : SpeechKind::Say;
    g_text->SpeakOver(*object, widen(text), hue, font, kind);
}

void SendUnicodeSpeechText(const std::u16string& source, uint8_t mode)
{
    std::u16string text = source;
    uint16_t hue = static_cast<uint16_t>(CurrentSpeechHue);
    if (mode == 2) {
        text = u"*" + text + u"*";
        hue = static_cast<uint16_t>(CurrentEmoteHue);
    } else if (FindSpeechKeywords(text.c_str(), static_cast<int32_t>(text.size()), mode) > 0) {
        return; // the keyword form of the packet has gone out
    }
    std::vector<uint8_t> packet(16 + 2 * text.size() + 2);
    if (packet.size() > kMaxPacketSize)
        return;
    StartPacket(packet.data(), PKT_UnicodeSpeechRequest);
    WritePacketU8(packet.data(), mode);
    WritePacketU16(packet.data(), hue);
    WritePacketU16(packet.data(), 3);
    char language[4];
    userLanguage(language);
    WritePacketBytes(packet.data(), language, 4);
    for (char16_t unit : text)
        WritePacketU16(packet.data(), unit);
    WritePacketU16(packet.data(), 0);
    sendOn(ActiveConnection(), packet.data());
}

void SpeakUnicode(const std::u16string& text, uint8_t mode)
{
    if (IsUnderSpamLimit()) {
        SendUnicodeSpeechText(text, mode);
        AddSpamCount(static_cast<int>(text.size()));
        return;
    }
    g_text->SystemLine(SpeechQueuedNotice().c_str(), 0, 3);
    // The queue holds 8-bit lines: units above 255 go out as '?'.
    std::string narrow;
    for (char16_t unit : text)
        narrow.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    QueueSpeech(narrow.c_str(), static_cast<int32_t>(narrow.size()), mode);
}

// ---- Entering the world ---------------------------------------------------------------------

void HandleLoginConfirm(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    in.skip(4);
    const uint16_t body = in.u16be();
    const uint16_t x = in.u16be(), y = in.u16be();
    const auto z = static_cast<int16_t>(in.u16be());
    const uint8_t direction = in.u8();
    const uint8_t map = in.u8();
    in.skip(4);
    uint16_t extents[4];
    for (uint16_t& extent : extents)
        extent = in.u16be();
    if (in.failed())
        return;

    // 1. The connection the relay left behind goes now.
    if (LastDroppedConnection() != nullptr)
        SetLastDroppedConnection(nullptr);
    CServerSession* session = CurrentServerSession();
    if (session == nullptr)
        session = FindServerSession(ActiveConnection());
    const std::string shard = session != nullptr ? session->shardName : std::string();
    g_screen->SetTitle((shard + " (" + AcctID + ")").c_str());

    // 2. The connection's record.
    char line[128];
    std::snprintf(line, sizeof line, "Login confirm on %s", shard.c_str());
    g_text->SystemLine(line, 55, 3);
    if (session != nullptr) {
        session->playerSerial = static_cast<int32_t>(serial);
        session->x = x;
        session->y = y;
        session->z = static_cast<uint16_t>(z);
        session->direction = direction;
        session->savedData["map"] = map;
        session->savedData["confirmed"] = 1;
        if (session->connection != ActiveConnection())
            return;
    }

    // 3. The player and the map around it.
    PlayerSerial = serial;
    std::copy(std::begin(extents), std::end(extents), MapExtents);
    CObjectManager::DeleteAllButPlayer();
    MapView::ResetBlockWindow();
    ResetWalkState();
    CPlayerMobile* p = player();
    if (p == nullptr)
        p = CObjectManager::CreatePlayer(serial, static_cast<uint16_t>(body & 0x3FFF));
    else
        p->SetSerial(serial);
    p->SetGraphic(static_cast<uint16_t>(body & 0x3FFF));
    p->direction = direction & 7;
    MapManager::SetMap(map);
    MapView::SetCenter(x, y, z);
    p->MoveTo(x, y, z);

    // 4. In the world.
    loginScreens().EnteredWorld();
    g_text->SystemLine("Welcome to Tavorn Vevovo!", 0, 3);
    WorldEntered = true;
    g_bInGame = true;

    // 5. The enter-world requests, in this order.
    CClientSock* connection = ActiveConnection();
    uint8_t out[kMaxPacketSize];
    if (ShowTips != 0) {
        BuildTipRequestPacket(out, static_cast<uint16_t>(LastTip), 1);
        sendOn(connection, out);
    }
    BuildStatusRequestPacket(out, 5, serial);
    sendOn(connection, out);
    sendVersion(connection, nullptr);
    uint32_t width = 0, height = 0;
    playSize(width, height);
    const uint8_t size[8] = {static_cast<uint8_t>(width >> 24),  static_cast<uint8_t>(width >> 16),
                             static_cast<uint8_t>(width >> 8),   static_cast<uint8_t>(width),
                             static_cast<uint8_t>(height >> 24), static_cast<uint8_t>(height >> 16),
                             static_cast<uint8_t>(height >> 8),  static_cast<uint8_t>(height)};
    sendExtended(connection, 5, size, sizeof size);
    char language[4];
    userLanguage(language);
    sendExtended(connection, 11, reinterpret_cast<const uint8_t*>(language), 4);
}

void HandlePlayerUpdate(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint16_t graphic = in.u16be();
    in.skip(1);
    const uint16_t hue = in.u16be();
    const uint8_t flags = in.u8();
    const uint16_t x = in.u16be(), y = in.u16be();
    in.skip(2);
    const uint8_t direction = in.u8();
    const auto z = static_cast<int8_t>(in.u8());
    CPlayerMobile* p = player();
    if (in.failed() || p == nullptr || p->serial != serial)
        return;
    MapView::SetCenter(x, y, z);
    p->MoveTo(x, y, z);
    p->SetGraphic(static_cast<uint16_t>(graphic & 0x3FFF));
    p->direction = direction & 7;
    p->hue = hue;
    p->UpdateDisplayHue();
    ResetWalkToPosition(-1, -1, -1, -1);
    applyFlags(*p, flags);
    // The player was put somewhere: the weather there comes with its own packet.
    WeatherManager::Stop();
}

void HandleMoveReject(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t sequence = in.u8();
    const uint16_t x = in.u16be(), y = in.u16be();
    const uint8_t direction = in.u8();
    const auto z = static_cast<int8_t>(in.u8());
    if (in.failed())
        return;
    ResetWalkToPosition(sequence, x, y, z);
    if (CPlayerMobile* p = player())
        p->direction = direction & 7;
}

void HandleMoveAck(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t sequence = in.u8();
    const uint8_t notoriety = in.u8();
    if (in.failed())
        return;
    if (CPlayerMobile* p = player())
        p->SetHighlightClass(notoriety);
    HandleWalkAck(sequence);
}

void HandleMovePlayer(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t direction = in.u8();
    if (!in.failed())
        HandleServerWalk(direction);
}

// ---- Objects --------------------------------------------------------------------------------

void HandleObjectInfo(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    ObjectRecord record;
    const uint32_t serialField = in.u32be();
    const uint16_t graphicField = in.u16be();
    record.serial = serialField & 0x7FFFFFFF;
    record.graphic = graphicField & 0x7FFF;
    record.amount = (serialField & 0x80000000) != 0 ? in.u16be() : 1;
    record.graphicOffset = (graphicField & 0x8000) != 0 ? in.s8() : 0;
    const uint16_t xField = in.u16be(), yField = in.u16be();
    record.x = xField & 0x7FFF;
    record.y = yField & 0x3FFF;
    record.direction = (xField & 0x8000) != 0 ? in.u8() : 0;
    record.z = in.s8();
    record.hue = (yField & 0x8000) != 0 ? in.u16be() : 0;
    record.statusFlags = (yField & 0x4000) != 0 ? in.u8() : 0;
    if (in.failed() || in.remaining() != 0) {
        KZReport::warning("HandleObjectInfo: %zu bytes disagree with the fields' flags; dropped.\n", length);
        return;
    }
    if (isPlayerSerial(record.serial))
        return;
    CObjectManager::HandleMove(record);
}

void HandleDeleteObject(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    if (in.failed() || isPlayerSerial(serial))
        return;
    CDynamicObj* object = CObjectManager::FindObject(serial);
    if (object == nullptr)
        return;
    if (object->IsMobile() != 0 && worldGumps().IsPartyMember(serial)) {
        // A party member stays known: only its drawing goes.
        object->RemoveFromDrawList();
        return;
    }
    CObjectManager::DeleteObject(serial);
}

namespace {

bool readContainerItem(ByteReader& in, ContainerItemRecord& record)
{
    record.serial = in.u32be();
    record.graphic = in.u16be();
    record.graphicOffset = in.s8();
    record.amount = in.u16be();
    record.x = in.u16be();
    record.y = in.u16be();
    record.container = in.u32be();
    record.hue = in.u16be();
    return !in.failed();
}

} // namespace

void HandleContainerItem(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    ContainerItemRecord record;
    if (readContainerItem(in, record))
        CObjectManager::HandleContainerItem(record);
}

void HandleContainerContents(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const size_t count = std::min<size_t>(in.u16be(), in.remaining() / 19);
    uint32_t container = 0;
    for (size_t i = 0; i < count; ++i) {
        ContainerItemRecord record;
        if (!readContainerItem(in, record))
            return;
        container = record.container;
        CObjectManager::HandleContainerItem(record);
    }
    if (count > 0)
        g_screen->ContainerContentsArrived(container);
}

void HandleOpenContainer(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint16_t gumpId = in.u16be();
    if (in.failed())
        return;
    if (serial == kNoSerial) {
        gumpManager().OpenGump(nullptr, gumpId, nullptr, 0);
        return;
    }
    CDynamicObj* object = CObjectManager::FindObject(serial);
    if (object == nullptr)
        return;
    const bool byId = gumpId == 10 || gumpId == 48 || gumpId == 0xFFFF || gumpId == 500 || gumpId == 501;
    if (!byId && object->IsContainer() == 0)
        return;
    CGump* gump = gumpManager().OpenGump(object, gumpId, nullptr, gumpId == 500 || gumpId == 501 ? 0 : 1);
    // A container the restored desktop asked for goes back where it was.
    const bool book = object->IsSpellbook() != 0;
    gumpManager().ApplyDesktopPosition(serial, book ? nullptr : gump, book ? gump : nullptr);
}

void HandleGlobalLight(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t level = in.u8();
    if (in.failed() || level == GlobalLightLevel)
        return;
    GlobalLightLevel = GlobalLightOverride ? 0 : level;
    g_screen->LightChanged(GlobalLightLevel);
}

void HandleId76(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    in.skip(6);
    const uint8_t map = in.u8();
    uint16_t extents[4];
    for (uint16_t& extent : extents)
        extent = in.u16be();
    if (in.failed())
        return;
    std::copy(std::begin(extents), std::end(extents), MapExtents);
    MapManager::SetMap(map);
    if (CPlayerMobile* p = player())
        MapView::SetCenter(p->locX, p->locY, p->z);
}

namespace {

struct MobileHeader {
    ObjectRecord record;
    uint8_t notoriety = 0;
};

/** A mobile's record from 0x77 or 0x78: the player takes only its flags; the notoriety is set. */
CMobile* applyMobile(const MobileHeader& h)
{
    if (isPlayerSerial(h.record.serial)) {
        CPlayerMobile* p = player();
        applyFlags(*p, h.record.statusFlags);
        p->SetHighlightClass(h.notoriety);
        return p;
    }
    CDynamicObj* object = CObjectManager::HandleMove(h.record);
    if (object == nullptr || object->IsMobile() == 0)
        return nullptr;
    auto* mobile = static_cast<CMobile*>(object);
    mobile->SetHighlightClass(h.notoriety);
    return mobile;
}

bool readMobileHeader(ByteReader& in, MobileHeader& h, bool incoming)
{
    h.record.serial = in.u32be();
    h.record.graphic = in.u16be();
    h.record.x = in.u16be();
    h.record.y = in.u16be();
    h.record.z = in.s8();
    h.record.direction = in.u8();
    h.record.hue = in.u16be();
    h.record.statusFlags = in.u8();
    h.notoriety = in.u8();
    h.record.amount = 1;
    (void)incoming;
    return !in.failed();
}

} // namespace

void HandleMobileMoving(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    MobileHeader h;
    if (readMobileHeader(in, h, false))
        applyMobile(h);
}

void HandleMobileIncoming(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    MobileHeader h;
    if (!readMobileHeader(in, h, true))
        return;
    const bool isNew = !isPlayerSerial(h.record.serial) && CObjectManager::FindObject(h.record.serial) == nullptr;
    CMobile* mobile = applyMobile(h);
    if (mobile == nullptr)
        return;
    while (in.has(4)) {
        const uint32_t serial = in.u32be();
        if (serial == 0)
            break;
        const uint16_t graphicField = in.u16be();
        const uint8_t layer = in.u8();
        const uint16_t hue = (graphicField & 0x8000) != 0 ? in.u16be() : 0;
        if (in.failed())
            break;
        // A layer from the server outside the mobile's slots is ignored; so is the mobile itself.
        if (layer >= kMobileLayers || serial == mobile->serial)
            continue;
        CDynamicObj* item = CObjectManager::FindOrMakeObject(serial, graphicField & 0x7FFF, hue);
        if (item == nullptr || item->IsMobile() != 0)
            continue;
        item->EquipOn(mobile, layer);
    }
    if (g_screen->StatusGumpOpen(mobile->serial)) {
        uint8_t out[16];
        BuildStatusRequestPacket(out, 4, mobile->serial);
        sendOn(ActiveConnection(), out);
    }
    // A newcomer in sight is asked for its name when the player wants incoming names shown.
    if (ShowIncomingNames != 0 && isNew && (h.record.statusFlags & 0x80) == 0 && h.record.graphic != 0) {
        uint8_t out[8];
        BuildSingleClickPacket(out, mobile->serial);
        sendOn(ActiveConnection(), out);
    }
}

void HandleCorpseEquipment(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    CDynamicObj* object = in.failed() ? nullptr : CObjectManager::FindObject(serial);
    if (object == nullptr || object->IsCorpse() == 0)
        return;
    auto* corpse = static_cast<CCorpse*>(object);
    for (int i = 0; i < 40 && in.has(5); ++i) {
        const uint8_t layer = in.u8();
        const uint32_t item = in.u32be();
        if (layer == 0)
            break;
        if (layer < kCorpseLayers)
            corpse->layers[layer] = CObjectManager::FindObject(item);
    }
}

// ---- Speech and texts -----------------------------------------------------------------------

void HandleSpeech(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint16_t graphic = in.u16be();
    const uint8_t type = in.u8();
    const uint16_t hue = in.u16be(), font = in.u16be();
    const std::string name = in.fixedString(30);
    if (in.failed())
        return;
    // The text runs to its terminator or to the packet's end.
    std::string text;
    while (in.remaining() > 0) {
        const char c = static_cast<char>(in.u8());
        if (c == 0)
            break;
        text.push_back(c);
    }
    DisplaySpeech(serial, graphic, type, hue, font, name, text);
}

namespace {

/** Big-endian units up to a zero unit or the end, at most `limit` of them. */
std::u16string readUnits(ByteReader& in, size_t limit)
{
    std::u16string text;
    while (in.remaining() >= 2) {
        const char16_t unit = in.u16be();
        if (unit == 0)
            break;
        if (text.size() < limit)
            text.push_back(unit);
    }
    return text;
}

} // namespace

void HandleUnicodeSpeech(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint16_t graphic = in.u16be();
    const uint8_t type = in.u8();
    const uint16_t hue = in.u16be(), font = in.u16be();
    char language[5] = {};
    in.copy(language, 4);
    const std::string name = in.fixedString(30);
    if (in.failed())
        return;
    DisplayUnicodeSpeech(serial, graphic, type, hue, font, language, name, readUnits(in, kMaxSpeechUnits));
}

namespace {

void showLocalized(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font, uint32_t number,
                   const std::string& name, const std::u16string& arguments, const std::string& affix, int prefix)
{
    CUnicodeString text = GetClilocString(static_cast<int32_t>(number));
    const std::u16string args = arguments + u'\0';
    FormatClilocArgs(text, args.c_str(), static_cast<int32_t>(number));
    std::u16string shown(text.GetStringBuffer() != nullptr ? text.GetStringBuffer() : u"");
    if (prefix > 0)
        shown = widen(affix) + shown;
    else if (prefix == 0)
        shown += widen(affix);
    if (shown.size() > 1023)
        shown.resize(1023);
    DisplayUnicodeSpeech(serial, graphic, type, hue, font, LanguageManager::getUserLanguageCode(), name, shown);
}

} // namespace

void HandleLocalizedMessage(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint16_t graphic = in.u16be();
    const uint8_t type = in.u8();
    const uint16_t hue = in.u16be(), font = in.u16be();
    const uint32_t number = in.u32be();
    const std::string name = in.fixedString(30);
    if (in.failed())
        return;
    showLocalized(serial, graphic, type, hue, font, number, name, readUnits(in, 1024), "", -1);
}

void HandleLocalizedMessageAffix(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    uint32_t serial = in.u32be();
    const uint16_t graphic = in.u16be();
    const uint8_t type = in.u8();
    const uint16_t hue = in.u16be(), font = in.u16be();
    const uint32_t number = in.u32be();
    const uint8_t flags = in.u8();
    const std::string name = in.fixedString(30);
    const std::string affix = in.fixedString(1024);
    if (in.failed())
        return;
    if (flags == 2 || flags == 3)
        serial = 0;
    showLocalized(serial, graphic, type, hue, font, number, name, readUnits(in, 1024), affix, (flags & 1) != 0 ? 1 : 0);
}

void HandleHelpText(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    if (in.failed() || CObjectManager::FindObject(serial) == nullptr)
        return;
    g_screen->ShowHelpText(serial, in.u16beUnits(in.remaining() / 2));
}

void HandleFeatureFlags(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint16_t flags = in.u16be();
    if (!in.failed())
        SetFeatureFlag(flags & 1);
}

void HandlePointerArrow(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t show = in.u8();
    const uint16_t x = in.u16be(), y = in.u16be();
    if (!in.failed())
        g_screen->PointerArrow(show != 0, x, y);
}

void HandleClientVersion(const uint8_t*, size_t)
{
    sendVersion(dispatchingConnection(), nullptr);
}

void HandleVersionQuery(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t value = in.u32be();
    if (!in.failed())
        sendVersion(dispatchingConnection(), &value);
}

void HandleIdC4(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    const uint8_t on = in.u8();
    CServerSession* session = CurrentServerSession();
    if (in.failed() || session == nullptr)
        return;
    auto& saved = session->savedData;
    const std::string prefix = "c4:";
    if (serial == kNoSerial) {
        for (auto it = saved.begin(); it != saved.end();) {
            if (it->first.rfind(prefix, 0) != 0) {
                ++it;
                continue;
            }
            if (CDynamicObj* object = CObjectManager::FindObject(static_cast<uint32_t>(std::stoul(it->first.substr(3)))))
                object->Invalidate();
            it = saved.erase(it);
        }
        return;
    }
    CDynamicObj* object = CObjectManager::FindObject(serial);
    if (object == nullptr)
        return;
    if (on != 0)
        saved[prefix + std::to_string(serial)] = 1;
    else
        saved.erase(prefix + std::to_string(serial));
    object->Invalidate();
}

void HandlePickUpRejected(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    in.u8();
    WorldState& w = World();
    if (in.failed() || !w.pickUpPending)
        return;
    w.pickUpPending = false;
    const PickUpRecord r = w.pickUp;
    if (r.serial == kNoSerial || isPlayerSerial(r.serial))
        return;
    // The item comes back as the kind its graphic makes (corpse, map, container or plain item).
    CDynamicObj* item = CObjectManager::FindOrMakeObject(r.serial, r.graphic, r.hue);
    if (item == nullptr || item->IsMobile() != 0)
        return;
    item->graphicOffset = r.graphicOffset;
    item->displayGraphic = r.displayGraphic;
    item->displayHue = r.displayHue;
    item->amount = r.amount;
    item->statusFlags = r.statusFlags;
    CDynamicObj* wearer = r.wornOn != 0 ? CObjectManager::FindObject(r.wornOn) : nullptr;
    CDynamicObj* container = r.container != 0 ? CObjectManager::FindObject(r.container) : nullptr;
    if (wearer != nullptr && wearer->IsMobile() != 0 && r.layer > 0 && r.layer < kMobileLayers)
        item->EquipOn(static_cast<CMobile*>(wearer), r.layer);
    else if (container != nullptr && container->IsContainer() != 0 && container != item)
        item->AddToContainer(static_cast<CContainerObj*>(container), r.x, r.y, r.z);
    else
        item->MoveTo(r.x, r.y, r.z);
}

void HandleGroup(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t first = in.u32be(), second = in.u32be();
    CPlayerMobile* p = player();
    if (in.failed() || p == nullptr)
        return;
    if (first == 0 && (second == 0 || second == 1)) {
        g_text->SpeakOver(*p, second == 0 ? u"Illegal group." : u"Removed from group.", 0, 3, SpeechKind::Say);
        return;
    }
    if (first == p->serial)
        if (CDynamicObj* other = CObjectManager::FindObject(second))
            g_text->SpeakOver(*other, u"Now grouped.", 0, 3, SpeechKind::Say);
}

void HandleMapDetails(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t serial = in.u32be();
    uint16_t values[7];
    for (uint16_t& value : values)
        value = in.u16be();
    if (in.failed())
        return;
    CDynamicObj* object = CObjectManager::FindObject(serial);
    if (object != nullptr && object->IsMapItem() != 0 && values[0] >= 5021)
        g_screen->OpenMapGump(serial, values);
}

void HandleSeason(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    uint8_t season = in.u8();
    const uint8_t sound = in.u8();
    if (in.failed())
        return;
    if (season >= 5)
        season = 0;
    CServerSession* session = CurrentServerSession();
    if (session != nullptr && session->connection != ActiveConnection()) {
        // Another connection's season waits in its record.
        const auto kept = session->savedData.find("season");
        const int32_t current = kept != session->savedData.end() ? kept->second : 0;
        if (current == 4 && sound == 0)
            return;
        if (season != 4 || AllowSeasonFour)
            session->savedData["season"] = season;
        return;
    }
    if (SeasonValue == 4 && sound == 0)
        return;
    if (season == 4 && !AllowSeasonFour)
        return;
    if (season != SeasonValue) {
        SeasonValue = season;
        // Land and statics are drawn again with the season's graphics around the player.
        MapView::ResetBlockWindow();
        if (CPlayerMobile* p = player())
            MapView::SetCenter(p->locX, p->locY, p->z);
    }
    if (season == 4)
        if (CPlayerMobile* p = player(); p != nullptr && WorldEntered)
            worldSound().PlaySoundAt(581, p->locX, p->locY);
}

namespace {

void clearSharedReference(const uint8_t*, size_t)
{
    SharedReferenceFlag = 0;
}

void readNothing(const uint8_t*, size_t) {}

} // namespace

void InstallWorldHandlers()
{
    SetPacketHandler(PKT_ObjectInfo, HandleObjectInfo);
    SetPacketHandler(PKT_LoginConfirm, HandleLoginConfirm);
    SetPacketHandler(PKT_Speech, HandleSpeech);
    SetPacketHandler(PKT_DeleteObject, HandleDeleteObject);
    SetPacketHandler(PKT_PlayerUpdate, HandlePlayerUpdate);
    SetPacketHandler(PKT_MoveReject, HandleMoveReject);
    SetPacketHandler(PKT_MoveAck, HandleMoveAck);
    SetPacketHandler(PKT_OpenContainer, HandleOpenContainer);
    SetPacketHandler(PKT_PickUpRejected, HandlePickUpRejected);
    SetPacketHandler(PKT_Group, HandleGroup);
    SetPacketHandler(PKT_MapDetails, HandleMapDetails);
    SetPacketHandler(PKT_Season, HandleSeason);
    SetPacketHandler(PKT_AddItemToContainer, HandleContainerItem);
    SetPacketHandler(PKT_Id28, clearSharedReference);
    SetPacketHandler(PKT_Id29, clearSharedReference);
    SetPacketHandler(PKT_ContainerContents, HandleContainerContents);
    SetPacketHandler(PKT_GlobalLight, HandleGlobalLight);
    SetPacketHandler(PKT_Id5C, readNothing);
    SetPacketHandler(PKT_Id76, HandleId76);
    SetPacketHandler(PKT_MobileMoving, HandleMobileMoving);
    SetPacketHandler(PKT_MobileIncoming, HandleMobileIncoming);
    SetPacketHandler(PKT_CorpseEquipment, HandleCorpseEquipment);
    SetPacketHandler(PKT_MovePlayer, HandleMovePlayer);
    SetPacketHandler(PKT_UnicodeSpeech, HandleUnicodeSpeech);
    SetPacketHandler(PKT_HelpText, HandleHelpText);
    SetPacketHandler(PKT_FeatureFlags, HandleFeatureFlags);
    SetPacketHandler(PKT_PointerArrow, HandlePointerArrow);
    SetPacketHandler(PKT_SerialPair, readNothing);
    SetPacketHandler(PKT_ClientVersion, HandleClientVersion);
    SetPacketHandler(PKT_VersionQuery, HandleVersionQuery);
    SetPacketHandler(PKT_LocalizedMessage, HandleLocalizedMessage);
    SetPacketHandler(PKT_IdC4, HandleIdC4);
    SetPacketHandler(PKT_IdC9, readNothing);
    SetPacketHandler(PKT_IdCA, readNothing);
    SetPacketHandler(PKT_LocalizedMessageAffix, HandleLocalizedMessageAffix);
    Walk::SetServices(&g_walk);
    SetWorldNetServices(&g_worldRequests);
    sharedFunctionHooks().sendUnicodeSpeech = [](const WideChar* text, int32_t length, int mode) {
        SendUnicodeSpeechText(std::u16string(text, static_cast<size_t>(std::max(length, 0))), static_cast<uint8_t>(mode));
    };
}
