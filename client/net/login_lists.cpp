/** @file The login lists, the shard sort, the relay, the refusals and notices, and the login-flow senders. */
#include "client/net/login_lists.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/hw_profile.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/options.h"
#include "client/core/shared_functions.h"
#include "client/data/font_manager.h"
#include "client/data/map_manager.h"
#include "client/net/client_sock.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "client/net/text_services.h"
#include "platform/exit/exit.h"
#include "platform/message_box/message_box.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int32_t Relayed = 0;

namespace {

LoginLists g_lists;
LoginScreenServices g_noScreens;
LoginScreenServices* g_screens = &g_noScreens;
/** Time zones of the last 0xA8 list: the skip test of the 0x81 sort reads them. */
std::vector<int8_t> g_lastShardListZones;
bool g_shardListSeen = false;

constexpr const char* kServersDown =
    "The Tavorn Vevovo servers are currently down.  Please try again in a few moments.";
constexpr const char* kCouldNotAttach =
    "The client could not attach to the game server. It must have been taken down, please wait a few minutes and "
    "try again.";
/** The account service's address in the blocked-account refusal. */
constexpr const char* kAccountServiceAddress = "https://accounts.corvane.example";

/** A text field cut to `keep` characters. */
std::string cutField(ByteReader& in, size_t width, size_t keep)
{
    std::string text = in.fixedString(width);
    if (text.size() > keep)
        text.resize(keep);
    return text;
}

void saveNumber(int id, int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    saveConfigDirective(id, text);
}

/** "account lastname", and " (character)" once relayed. */
void setLoginTitle()
{
    std::string title = std::string(AcctID) + " " + AcctLastName;
    if (Relayed != 0) {
        const int slot = DefaultChar >= 0 && DefaultChar < 5 ? DefaultChar : 0;
        title += " (" + g_lists.characters[static_cast<size_t>(slot)].name + ")";
    }
    SetMainWindowTitle(title.c_str());
}

/** The session of the connection being dispatched (else of the active one). */
CServerSession* dispatchedSession()
{
    if (CServerSession* session = CurrentServerSession())
        return session;
    return FindServerSession(ActiveConnection());
}

bool sessionReconnecting(const CServerSession* session)
{
    return session != nullptr && session->connection != nullptr && session->connection->relayFlag != 0;
}

void systemLine(const std::string& text, int32_t hue)
{
    netText().SystemLine(text.c_str(), hue, 3);
}

/** Sends the hardware survey when none was saved or the saved one differs. */
void sendHardwareSurveyWhenChanged()
{
    HWProfile current;
    GatherHWProfile(current);
    HWProfile stored;
    if (LoadHWProfile(stored) && HWProfilesMatch(stored, current))
        return;
    CServerSession* session = dispatchedSession();
    CClientSock* connection = session != nullptr && session->connection != nullptr ? session->connection
                                                                                    : ActiveConnection();
    if (connection != nullptr) {
        uint8_t packet[kMaxPacketSize];
        BuildHardwareSurveyPacket(packet, current);
        connection->SendPacket(packet);
    }
    SaveHWProfile(current);
}

/** A refused or finished login: the connection closes once and stays closed until the player tries again. */
void endLoginConnection()
{
    StayConnected = 0;
    CClientSock* connection = ActiveConnection();
    if (connection == nullptr)
        return;
    connection->Close();
    ForgetServerSessionsOf(connection);
    ReleaseConnection(connection);
    SetActiveConnection(nullptr);
}

void serversDown()
{
    g_screens->CloseWaiting();
    g_screens->SetHold(LoginGump::AccountLogin, false);
    g_screens->ShowMessage(kServersDown, LoginGump::AccountLogin, false);
    endLoginConnection();
}

/** The ids and distances of every shard, then the sort. */
void orderShards(const std::vector<bool>& skip)
{
    const int32_t local = GetTimeZoneBiasHours();
    for (ShardEntry& shard : g_lists.shards) {
        shard.distance = ShardDistance(shard.timeZone, local);
        const auto low = static_cast<int8_t>(shard.index & 0xFF);
        shard.listId = low < 0 ? -low : shard.index;
        shard.listValue = low < 0 ? 995 : 0;
    }
    g_lists.shardOrder.clear();
    for (size_t i = 0; i < g_lists.shards.size(); ++i)
        g_lists.shardOrder.push_back(i);
    SortShardOrder(g_lists.shards, skip, g_lists.shardOrder);
}

/** Reads five character slots; the count of named ones. */
int readSlots(ByteReader& in)
{
    int named = 0;
    for (CharacterSlot& slot : g_lists.characters) {
        slot.name = cutField(in, 30, 29);
        slot.password = cutField(in, 30, 29);
        if (!slot.name.empty())
            ++named;
    }
    return named;
}

void readCities(ByteReader& in, size_t count)
{
    g_lists.cities.clear();
    for (size_t i = 0; i < count && in.has(63); ++i) {
        StartCity city;
        city.index = in.u8();
        city.city = cutField(in, 31, 30);
        city.area = cutField(in, 31, 30);
        city.text = city.city + ": " + city.area;
        g_lists.cities.push_back(std::move(city));
    }
    g_lists.cityListArrived = true;
}

/** The reconnect of a known shard: play its first character at once. */
void playFirstCharacterOf(CServerSession& session)
{
    int slot = -1;
    for (int i = 0; i < 5 && slot < 0; ++i)
        if (!g_lists.characters[static_cast<size_t>(i)].name.empty())
            slot = i;
    if (slot < 0) {
        systemLine("You have no characters on " + session.shardName + "!", 0);
        session.closeFlag = true;
        return;
    }
    DefaultChar = slot;
    const std::string& name = g_lists.characters[static_cast<size_t>(slot)].name;
    session.characterName = name;
    uint8_t packet[kMaxPacketSize];
    BuildPlayCharacterPacket(packet, AcctID, static_cast<uint32_t>(slot),
                             static_cast<uint16_t>(GetInstalledMapsMask()), 0);
    session.connection->SendPacket(packet);
    CClientSock* main = ActiveConnection();
    if (main == nullptr || !main->HasSocket())
        SetActiveConnection(session.connection);
    systemLine("Connected to " + session.shardName + " with " + name, 0);
}

/** Characters read: the gump, or character creation when there is none. */
void showCharactersOrCreate(int named)
{
    if (named == 0)
        g_screens->StartCharacterCreation();
    else
        g_screens->ShowCharacters();
}

} // namespace

LoginLists& TheLoginLists()
{
    return g_lists;
}

void ResetLoginLists()
{
    g_lists = LoginLists{};
    g_lastShardListZones.clear();
    g_shardListSeen = false;
    Relayed = 0;
}

void SetLoginScreenServices(LoginScreenServices* services)
{
    g_screens = services != nullptr ? services : &g_noScreens;
}

LoginScreenServices& loginScreens()
{
    return *g_screens;
}

// ---- The sort -------------------------------------------------------------------------------

uint8_t ShardDistance(int32_t tz, int32_t local)
{
    const int32_t d = std::abs(tz - local);
    const int32_t w = 12 - tz < tz + 12 ? local - tz + 24 : tz - local + 24;
    return static_cast<uint8_t>(d < w ? d : w);
}

void SortShardOrder(const std::vector<ShardEntry>& shards, const std::vector<bool>& skip, std::vector<size_t>& order)
{
    for (size_t position = 0; position < order.size(); ++position) {
        size_t best = order.size();
        for (size_t j = position; j < order.size(); ++j) {
            const size_t shard = order[j];
            if (shard < skip.size() && skip[shard])
                continue;
            if (best == order.size() || shards[shard].distance < shards[order[best]].distance)
                best = j;
        }
        if (best != order.size())
            std::swap(order[position], order[best]);
    }
}

bool HWProfilesMatch(const HWProfile& a, const HWProfile& b)
{
    if (a.processorType != b.processorType)
        return false;
    const int32_t clockA = a.processorClock >> 8, clockB = b.processorClock >> 8;
    const int32_t smaller = std::min(clockA, clockB);
    if (std::abs(clockA - clockB) > smaller / 4)
        return false;
    return a.totalRAMInMB == b.totalRAMInMB && a.largestPartitionInMB == b.largestPartitionInMB &&
           a.timeZoneBias == b.timeZoneBias &&
           std::memcmp(a.szVideoCardDescrip1, b.szVideoCardDescrip1, 32) == 0 &&
           std::memcmp(a.szVideoCardDescrip2, b.szVideoCardDescrip2, 32) == 0 &&
           std::memcmp(a.szModemManufacturer, b.szModemManufacturer, 32) == 0 &&
           std::memcmp(a.szModemDescrip, b.szModemDescrip, 32) == 0;
}

// ---- The lists ------------------------------------------------------------------------------

void HandleServerList(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t key = in.u8();
    // Only the low byte of the count is used; a byte above 127 (negative as a signed byte) is
    // clamped, and no count reaches past the packet.
    size_t count = in.u16be() & 0xFF;
    if (in.failed())
        return;
    count = std::min<size_t>(std::min<size_t>(count, 127), in.remaining() / 40);
    NextLoginKey = key;
    saveNumber(CFG_NextLoginKey, key);
    setLoginTitle();
    sendHardwareSurveyWhenChanged();
    if (count == 0) {
        serversDown();
        return;
    }
    g_lists.shards.clear();
    g_lastShardListZones.clear();
    g_lists.shards.reserve(count);
    g_lastShardListZones.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        ShardEntry shard;
        shard.index = in.u16be();
        shard.name = cutField(in, 32, 15);
        shard.value = in.u8();
        shard.timeZone = in.s8();
        shard.extra = in.u32be();
        g_lastShardListZones.push_back(shard.timeZone);
        g_lists.shards.push_back(std::move(shard));
    }
    g_shardListSeen = true;

    CServerSession* session = dispatchedSession();
    if (sessionReconnecting(session)) {
        for (const ShardEntry& shard : g_lists.shards) {
            if (shard.name.size() != session->shardName.size() ||
                !std::equal(shard.name.begin(), shard.name.end(), session->shardName.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                }))
                continue;
            uint8_t out[8];
            BuildSelectServerPacket(out, shard.index);
            session->connection->SendPacket(out);
            return;
        }
        systemLine(session->shardName + " is not in the server list!", 33);
        CClientSock* connection = session->connection;
        connection->Close();
        RemoveServerSession(session);
        ReleaseConnection(connection);
        return;
    }

    g_screens->CloseCharacterGump();
    g_screens->SetHold(LoginGump::AccountLogin, false);
    std::vector<bool> skip;
    for (const ShardEntry& shard : g_lists.shards)
        skip.push_back(shard.timeZone == 50);
    orderShards(skip);
    g_lists.shardChoice = false;
    g_screens->ShowShards();
    if (autoLogIn != 0 && g_screens->CharacterGumpOpen())
        g_screens->EnterOnCharacterGump();
}

void HandleCharacterList(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t count = in.u8();
    if (!in.has(300))
        return;
    setLoginTitle();
    g_lists.characterCount = count;
    const int named = readSlots(in);
    CServerSession* session = dispatchedSession();
    if (sessionReconnecting(session)) {
        playFirstCharacterOf(*session);
        return;
    }
    readCities(in, in.u8());
    g_screens->CloseWaiting();
    g_screens->SetHold(LoginGump::AccountLogin, false);
    showCharactersOrCreate(named);
}

void HandleCharacterAndServerList(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t count = in.u8();
    const uint8_t key = in.u8();
    if (!in.has(300))
        return;
    const bool beforeRelay = Relayed == 0;
    const bool characters = EditServerAddress != 0 || !beforeRelay;
    setLoginTitle();
    if (beforeRelay) {
        NextLoginKey = key;
        saveNumber(CFG_NextLoginKey, key);
        sendHardwareSurveyWhenChanged();
    }
    g_lists.characterCount = count;
    const int named = readSlots(in);

    size_t shards = in.u8();
    shards = std::min<size_t>(std::min<size_t>(shards, 127), in.remaining() / 17);
    std::vector<ShardEntry> list;
    list.reserve(shards);
    for (size_t i = 0; i < shards; ++i) {
        ShardEntry shard;
        shard.value = in.u8();
        shard.index = shard.value;
        shard.name = in.fixedString(16);
        list.push_back(std::move(shard));
    }
    // A list whose first name ends in a digit carries each shard's time zone after its last blank.
    if (!list.empty() && !list[0].name.empty() && std::isdigit(static_cast<unsigned char>(list[0].name.back()))) {
        for (ShardEntry& shard : list) {
            const size_t blank = shard.name.rfind(' ');
            if (blank == std::string::npos)
                continue;
            shard.timeZone = static_cast<int8_t>(std::atoi(shard.name.c_str() + blank + 1));
            shard.name.resize(blank);
        }
    }
    for (ShardEntry& shard : list)
        if (shard.name.size() > 15)
            shard.name.resize(15);

    const size_t cities = in.u8();
    if (!characters) {
        if (list.empty()) {
            serversDown();
            return;
        }
        g_lists.shards = std::move(list);
        // The skip test reads the time zones of the last 0xA8 list; without one there is none.
        std::vector<bool> skip;
        if (g_shardListSeen)
            for (size_t i = 0; i < g_lists.shards.size(); ++i)
                skip.push_back(i < g_lastShardListZones.size() && g_lastShardListZones[i] == 50);
        orderShards(skip);
        g_lists.shardChoice = true;
        readCities(in, cities);
        // Cities in groups by name, the groups in random order, each keeping its entries' order.
        std::vector<std::vector<StartCity>> groups;
        for (StartCity& city : g_lists.cities) {
            if (groups.empty() || groups.back().front().city != city.city)
                groups.emplace_back();
            groups.back().push_back(std::move(city));
        }
        g_lists.cities.clear();
        while (!groups.empty()) {
            const auto pick = static_cast<size_t>(RandomBelow(static_cast<int>(groups.size())));
            for (StartCity& city : groups[pick])
                g_lists.cities.push_back(std::move(city));
            groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(pick));
        }
        g_screens->ShowShards();
        return;
    }
    readCities(in, cities);
    g_screens->CloseWaiting();
    g_screens->CloseCharacterGump();
    showCharactersOrCreate(named);
}

void HandleCharacterListUpdate(const uint8_t* packet, size_t length)
{
    if (!g_screens->CharacterGumpOpen())
        return;
    ByteReader in = PacketPayload(packet, length);
    const uint8_t count = in.u8();
    if (!in.has(300))
        return;
    g_lists.characterCount = count;
    readSlots(in);
    g_screens->ShowCharacters();
    g_screens->CloseWaiting();
    g_screens->SetHold(LoginGump::Characters, true);
}

// ---- Refusals and notices -------------------------------------------------------------------

const char* LoginRejectedText(uint8_t reason)
{
    static std::string blocked;
    switch (reason) {
    case 0:
        return "Either the Account Name or Password you provided were incorrect.  If this is a new account your "
               "account may not be active yet.  Please try again shortly.";
    case 1: return "Someone is already using this account.";
    case 2:
        blocked = std::string("Your account has been blocked. Please visit ") + kAccountServiceAddress +
                  " for information on reactivating your account.";
        return blocked.c_str();
    case 3: return "Your account credentials are invalid. Check your user ID and password and try again.";
    case 254: return nullptr;
    default: return "There is some problem communicating with Corvane. Please restart Tavorn Vevovo and try again.";
    }
}

const char* CharacterErrorText(uint8_t reason)
{
    switch (reason) {
    case 0: return "That character password is invalid.";
    case 1: return "That character does not exist.";
    case 2: return "That character is being played right now.";
    case 3:
        return "That character is not old enough to delete. The character must be 7 days old before it can be "
               "deleted.";
    case 4: return "That character is currently queued for backup and cannot be deleted.";
    default: return "Couldn't carry out your request.";
    }
}

void HandleLoginRejected(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t reason = in.u8();
    if (in.failed())
        return;
    g_screens->CloseWaiting();
    if (const char* text = LoginRejectedText(reason))
        g_screens->ShowMessage(text, LoginGump::AccountLogin, reason == 0 || reason > 3);
    else
        g_screens->SetHold(LoginGump::ShardList, false);
    g_screens->SetHold(LoginGump::AccountLogin, true);
    // The player may try again: the refused connection closes once, with no reconnect behind it.
    endLoginConnection();
}

void HandleCharacterError(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t reason = in.u8();
    if (in.failed() || !g_screens->CharacterGumpOpen())
        return;
    g_screens->CloseWaiting();
    g_screens->ShowMessage(CharacterErrorText(reason), LoginGump::Characters, false);
}

void HandlePopupMessage(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t reason = in.u8();
    if (in.failed())
        return;
    g_screens->CloseLoginFlowGumps(false);
    const bool characters = g_screens->CharacterGumpOpen();
    switch (reason) {
    case 0:
        if (characters)
            g_screens->ShowMessage("Incorrect password.", LoginGump::Characters, false);
        else
            g_screens->ShowMessage("You entered an incorrect password.  Closing...", LoginGump::Characters, true);
        return;
    case 1:
        if (characters) {
            g_screens->ShowMessage("This character does not exist anymore.  You will have to recreate it.",
                                   LoginGump::Characters, false);
            g_screens->RemoveCharacter(DefaultChar);
            DefaultChar = std::max(0, DefaultChar - 1);
            return;
        }
        platform::showMessageBox("Access Denied!", "Character does not exist.\n Closing...");
        platform::exit(0);
        return;
    case 2: g_screens->ShowMessage("This character already exists.\nPlaying...", LoginGump::Characters, false); return;
    case 5:
        g_screens->CloseLoginFlowGumps(true);
        g_screens->ShowMessage("Another character from this account is currently online in this world.  You must "
                               "either log in as that character or wait for it to time out.",
                               LoginGump::Characters, false);
        return;
    case 6:
        g_screens->ShowMessage("An error has occurred in the synchronization between the login servers and this "
                               "world.  Please close your client and try again.",
                               LoginGump::Characters, false);
        return;
    case 7:
        g_screens->ShowMessage("You have been idle for too long.  If you do not do anything in the next minute, you "
                               "will be logged out.",
                               LoginGump::Characters, false);
        return;
    default:
        g_screens->ShowMessage(kCouldNotAttach, characters ? LoginGump::Characters : LoginGump::AccountLogin, false);
        return;
    }
}

// ---- The relay ------------------------------------------------------------------------------

namespace {

void sendGameLogin(CClientSock& connection)
{
    uint8_t out[kMaxPacketSize];
    BuildGameLoginPacket(out, RelayKey, AcctID, AcctPassword);
    connection.SendPacket(out);
}

} // namespace

void HandleRelay(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint32_t address = in.u32be();
    const uint16_t port = in.u16be();
    const uint32_t key = in.u32be();
    if (in.failed())
        return;
    RelayKey = key;
    CServerSession* session = dispatchedSession();
    const std::string shardName = session != nullptr ? session->shardName : std::string();
    if (address == 0) {
        systemLine(shardName + " is full.", 0);
        if (session != nullptr && session->connection != nullptr)
            session->connection->Close();
        return;
    }
    if (sessionReconnecting(session)) {
        // A server switch: the session's connection is replaced by one to the game server.
        CClientSock* old = session->connection;
        old->Close();
        SetLastDroppedConnection(old);
        CClientSock* fresh = CreateConnection();
        session->connection = fresh;
        if (ActiveConnection() == old)
            SetActiveConnection(fresh);
        fresh->Connect(address, port);
        fresh->loginCipherOff = 1;
        fresh->relayFlag = 1;
        fresh->gamePhase = 1;
        sendGameLogin(*fresh);
        systemLine("Logging into " + shardName + ".", 0);
        return;
    }

    SetMainWindowTitle("Connecting...");
    CClientSock* main = ActiveConnection();
    // The login connection is reused only when the game server is the very same address and port.
    const bool same = main != nullptr && main->HasSocket() && main->ServerAddress() == address &&
                      main->ServerPort() == port;
    if (!same) {
        CClientSock* fresh = CreateConnection();
        bool connected = false;
        for (int tries = 0; tries < 3 && !connected; ++tries)
            connected = fresh->Connect(address, port) != 0;
        if (!connected) {
            g_screens->CloseWaiting();
            g_screens->ShowMessage(kCouldNotAttach, LoginGump::AccountLogin, true);
            ReleaseConnection(fresh);
            StayConnected = 0;
            if (main != nullptr) {
                main->Close();
                ForgetServerSessionsOf(main);
                ReleaseConnection(main);
            }
            SetActiveConnection(CreateConnection());
            Relayed = 0;
            return;
        }
        if (main != nullptr) {
            main->Close();
            SetLastDroppedConnection(main);
        }
        if (CServerSession* own = main != nullptr ? FindServerSession(main) : nullptr)
            own->connection = fresh;
        else
            AddServerSession(fresh, nullptr);
        SetActiveConnection(fresh);
        fresh->loginCipherOff = 1;
        fresh->gamePhase = 1;
        main = fresh;
    }
    main->loginCipherOff = 1;
    sendGameLogin(*main);
    Relayed = 1;
    main->gamePhase = 1;
}

void HandleLoginComplete(const uint8_t*, size_t)
{
    g_screens->CloseLoginProgress();
    if (!g_screens->ReloadOnWaitingMessage())
        ReloadConfigAndRefreshDisplay();
}

void HandleMapReportRequest(const uint8_t*, size_t)
{
    MapManager::EnableBlockCheck();
}

void HandleOpenWebPage(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    std::string address;
    while (in.remaining() > 0) {
        const char c = static_cast<char>(in.u8());
        if (c == 0)
            break;
        address.push_back(c);
    }
    // Only web addresses are opened, and never through a shell.
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) {
        KZReport::warning("HandleOpenWebPage: not a web address: \"%s\".\n", address.c_str());
        return;
    }
    LeaveFullScreen();
    OpenWebPage(address.c_str());
}

std::vector<std::string> SplitTipLines(const std::string& source)
{
    std::string text = source;
    std::replace(text.begin(), text.end(), '\r', '\n');
    std::vector<std::string> lines;
    size_t at = 0;
    while (text.size() - at >= 2) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        const int32_t wrap = FontManager::FindWrapPoint(6, line.c_str(), 214, nullptr);
        if (wrap >= 0 && static_cast<size_t>(wrap) + 1 < line.size()) {
            // The line keeps the text up to the break point; the blank after it is dropped.
            lines.push_back(line.substr(0, static_cast<size_t>(wrap) + 1).substr(0, 79));
            at += static_cast<size_t>(wrap) + 2;
            continue;
        }
        lines.push_back(line.substr(0, 79));
        at = end + 1;
        if (end >= text.size())
            break;
    }
    return lines;
}

void HandleTipNotice(const uint8_t* packet, size_t length)
{
    ByteReader in = PacketPayload(packet, length);
    const uint8_t kind = in.u8();
    const uint32_t number = in.u32be();
    const uint16_t textLength = in.u16be();
    if (in.failed())
        return;
    // The text is what the packet holds, however long its length field says it is.
    const size_t available = std::min<size_t>(textLength, in.remaining());
    const uint8_t* bytes = in.bytes(available);
    std::string text(reinterpret_cast<const char*>(bytes), available);
    text = text.substr(0, text.find('\0'));
    if (kind == 1) {
        CurrentVer = static_cast<int32_t>(number);
        saveNumber(CFG_CurrentVer, CurrentVer);
        return;
    }
    if (kind == 0) {
        LastTip = static_cast<int32_t>(number);
        saveNumber(CFG_LastTip, LastTip);
    }
    g_screens->ShowTips(SplitTipLines(text), kind == 0);
}

// ---- Senders --------------------------------------------------------------------------------

namespace {

uint32_t stepLoginCounter()
{
    ++ClientLogin;
    saveConfigDirectiveMainFile(CFG_ClientLogin, std::to_string(ClientLogin).c_str());
    return static_cast<uint32_t>(ClientLogin);
}

} // namespace

void SendPlayCharacter(const char* name, const char*, uint32_t slot)
{
    g_screens->ShowWaiting("Entering Thalmere...");
    const uint32_t counter = stepLoginCounter();
    uint8_t packet[kMaxPacketSize];
    BuildPlayCharacterPacket(packet, name, slot, static_cast<uint16_t>(GetInstalledMapsMask()), counter);
    if (CClientSock* main = ActiveConnection())
        main->SendPacket(packet);
    if (slot < 5)
        DefaultChar = static_cast<int32_t>(slot);
    AllowWindowResize = 1;
}

void SendCreateCharacter(const CreateCharacterFields& fields)
{
    g_screens->ShowWaiting("Creating character... ");
    stepLoginCounter();
    uint8_t packet[kMaxPacketSize];
    BuildCreateCharacterPacket(packet, fields);
    if (CClientSock* main = ActiveConnection())
        main->SendPacket(packet);
}

void SendSelectServer(uint16_t index)
{
    // The connection's record takes the chosen shard's name (the world's title and notices use it).
    if (CServerSession* session = FindServerSession(ActiveConnection()))
        for (const ShardEntry& shard : g_lists.shards)
            if (shard.index == index)
                session->shardName = shard.name;
    uint8_t packet[8];
    BuildSelectServerPacket(packet, index);
    if (CClientSock* main = ActiveConnection())
        main->SendPacket(packet);
}

void InstallLoginHandlers()
{
    SetPacketHandler(PKT_ServerList, HandleServerList);
    SetPacketHandler(PKT_CharacterList, HandleCharacterList);
    SetPacketHandler(PKT_CharacterAndServerList, HandleCharacterAndServerList);
    SetPacketHandler(PKT_CharacterListUpdate, HandleCharacterListUpdate);
    SetPacketHandler(PKT_LoginRejected, HandleLoginRejected);
    SetPacketHandler(PKT_CharacterError, HandleCharacterError);
    SetPacketHandler(PKT_PopupMessage, HandlePopupMessage);
    SetPacketHandler(PKT_RelayToGameServer, HandleRelay);
    SetPacketHandler(PKT_LoginComplete, HandleLoginComplete);
    SetPacketHandler(PKT_IdC6, HandleMapReportRequest);
    SetPacketHandler(PKT_OpenWebPage, HandleOpenWebPage);
    SetPacketHandler(PKT_TipNotice, HandleTipNotice);
}
