/** @file The connection list, the login server choice, and opening, switching and closing shard connections. */
#include "client/net/server_sessions.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/net_services.h"
#include "client/core/shared_functions.h"
#include "client/net/client_sock.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_builders.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

ChosenServer ChosenLoginServer;

namespace {

std::vector<std::unique_ptr<CServerSession>> g_sessions;
CServerSession* g_current = nullptr;

bool sameName(const std::string& a, const char* b)
{
    const std::string other = b != nullptr ? b : "";
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void systemMessage(const char* text)
{
    if (netHooks().systemMessage)
        netHooks().systemMessage(text);
    else if (sharedFunctionHooks().showSystemText)
        sharedFunctionHooks().showSystemText(text);
}

/** An entry's server address: a numeric one as it is, a host name through the configuration's resolution. */
bool entryAddress(const LoginServerEntry& entry, uint32_t& address, uint16_t& port)
{
    if (entry.host[0] == 0) {
        address = entry.address;
        port = entry.port;
        return true;
    }
    const std::string text = std::string(entry.host) + "," + std::to_string(entry.port);
    return ResolveConfigAddress(text.c_str(), address, port);
}

/** Makes a connection to the chosen server; null (and nothing kept) when it fails. */
CClientSock* connectChosen()
{
    CClientSock* connection = CreateConnection();
    if (connection->Connect(ChosenLoginServer.address, ChosenLoginServer.port) != 0)
        return connection;
    ReleaseConnection(connection);
    return nullptr;
}

} // namespace

// ---- The list -------------------------------------------------------------------------------

const std::vector<std::unique_ptr<CServerSession>>& ServerSessions()
{
    return g_sessions;
}

CServerSession& AddServerSession(CClientSock* connection, const char* shardName)
{
    auto session = std::make_unique<CServerSession>();
    session->connection = connection;
    session->shardName = shardName != nullptr ? shardName : "";
    g_sessions.push_back(std::move(session));
    return *g_sessions.back();
}

CServerSession* FindServerSession(const CClientSock* connection)
{
    for (const auto& session : g_sessions)
        if (session->connection == connection)
            return session.get();
    return nullptr;
}

CServerSession* FindServerSessionByName(const char* shardName)
{
    for (const auto& session : g_sessions)
        if (sameName(session->shardName, shardName))
            return session.get();
    return nullptr;
}

CServerSession* FirstServerSession()
{
    return g_sessions.empty() ? nullptr : g_sessions.front().get();
}

void RemoveServerSession(CServerSession* session)
{
    if (session == g_current)
        g_current = nullptr;
    std::erase_if(g_sessions, [session](const std::unique_ptr<CServerSession>& s) { return s.get() == session; });
}

void ForgetServerSessionsOf(const CClientSock* connection)
{
    while (CServerSession* session = FindServerSession(connection))
        RemoveServerSession(session);
}

void ClearServerSessions()
{
    g_sessions.clear();
    g_current = nullptr;
}

CServerSession* CurrentServerSession()
{
    return g_current;
}

void SetCurrentServerSession(CServerSession* session)
{
    g_current = session;
}

// ---- The login server -----------------------------------------------------------------------

int ChooseServer(int backup)
{
    KZReport::print("File:%s, Function:ChooseServer: begin.\n", __FILE__);
    g_bInGame = false;
    if (CClientSock* main = ActiveConnection()) {
        main->loginCipherOff = 0;
        main->gamePhase = 0;
    }
    if (EditServerAddress != 0) {
        ChosenLoginServer = ChosenServer{EditServerAddress, EditServerPort};
        return 1;
    }
    LoginServerList& list = backup != 0 ? BackupLoginServers : LoginServers;
    if (list.current < 0 || list.current >= list.count) {
        Quitting = 1;
        NetQuietFlag = 1;
        return 0;
    }
    if (backup == 0 && list.current == 0)
        KZReport::print("ChooseServer: trying the first login server. Does login.cfg exist beside the client, and does "
                        "it hold a line such as LoginServer=login.example.net,7775 (a host and the port 7775)?\n");
    uint32_t address = 0;
    uint16_t port = 0;
    if (!entryAddress(list.entries[list.current], address, port))
        return 0;
    ChosenLoginServer = ChosenServer{address, port};
    return 1;
}

int ConnectToLoginServer()
{
    StayConnected = 1;
    CClientSock* main = ActiveConnection();
    if (main != nullptr && main->HasSocket())
        return 1;
    const int count = LoginServers.count;
    if (count <= 0) {
        LoginServers.current = -1;
        ChooseServer(0); // no login server: this ends the run quietly
        return 0;
    }
    int index = RandomBelow(count);
    CClientSock* connection = nullptr;
    for (int tries = 0; tries < count && connection == nullptr; ++tries) {
        LoginServers.current = index;
        if (ChooseServer(0) != 0)
            connection = connectChosen();
        index = (index + 1) % count;
    }
    if (connection == nullptr)
        return 0;
    if (main != nullptr)
        ReleaseConnection(main);
    connection->loginCipherOff = 0;
    connection->gamePhase = 0;
    CServerSession& session = AddServerSession(connection, nullptr);
    SetActiveConnection(connection);
    SetCurrentServerSession(&session);
    return 1;
}

void SendAccountLogin(const char* account, const char* password, uint8_t flag)
{
    CClientSock* main = ActiveConnection();
    if (main == nullptr)
        return;
    uint8_t packet[64];
    BuildAccountLoginPacket(packet, account, password, flag);
    main->SendPacket(packet);
}

void ReconnectToLoginServer()
{
    if (CClientSock* old = ActiveConnection())
        ReleaseConnection(old);
    CClientSock* connection = CreateConnection();
    SetActiveConnection(connection);
    if (ChooseServer(0) != 0)
        connection->Connect(ChosenLoginServer.address, ChosenLoginServer.port);
    if (!connection->HasSocket())
        return;
    // The main loop polls only the connection list: the new connection joins it.
    AddServerSession(connection, nullptr);
    SendAccountLogin(AcctID, AcctPassword, NextLoginKey);
}

// ---- Shard connections ----------------------------------------------------------------------

int OpenServerSession(const char* shardName, int32_t switchId)
{
    if (CServerSession* existing = FindServerSessionByName(shardName)) {
        systemMessage("You are already connected to that shard!");
        if (switchId != -1) {
            existing->switchId = switchId;
            SwitchServerSession(existing->connection != nullptr ? existing->connection->Id() : -1);
        }
        return 1;
    }
    CClientSock* connection = connectChosen();
    if (connection == nullptr)
        return 0;
    CServerSession& session = AddServerSession(connection, shardName);
    session.switchId = switchId;
    uint8_t packet[64];
    BuildAccountLoginPacket(packet, AcctID, AcctPassword, NextLoginKey);
    connection->SendPacket(packet);
    return 1;
}

int OpenServerSessionByName(const char* shardName)
{
    return OpenServerSession(shardName, -1);
}

void SwitchServerSession(int32_t connectionId)
{
    if (connectionId == -1)
        connectionId = ChooseServerSessionFromMenu(1);
    for (const auto& session : g_sessions) {
        if (session->connection == nullptr || session->connection->Id() != connectionId)
            continue;
        if (session->connection != ActiveConnection()) {
            DropWorldForServerSwitch();
            ActivateServerSession(*session);
        }
        return;
    }
}

int32_t ChooseServerSessionFromMenu(int markActive)
{
    std::vector<SessionMenuItem> items;
    for (const auto& session : g_sessions) {
        SessionMenuItem item;
        item.text = session->shardName;
        item.connectionId = session->connection != nullptr ? session->connection->Id() : 0;
        const bool connecting = session->connection == nullptr || !session->connection->PastLoginPhase();
        if (connecting) {
            item.text += " (connecting)";
            item.greyed = true;
        }
        if (markActive != 0 && session->connection == ActiveConnection())
            item.greyed = true;
        items.push_back(std::move(item));
    }
    if (markActive != 0)
        SaveActiveSessionState();
    if (!netHooks().showSessionMenu)
        return 0;
    const int chosen = netHooks().showSessionMenu(items);
    if (chosen < 0 || chosen >= static_cast<int>(items.size()) || items[static_cast<size_t>(chosen)].greyed)
        return 0;
    return items[static_cast<size_t>(chosen)].connectionId;
}

void MarkServerSessionClosed()
{
    const int32_t id = ChooseServerSessionFromMenu(0);
    for (const auto& session : g_sessions)
        if (session->connection != nullptr && session->connection->Id() == id && id != 0)
            session->closeFlag = true;
}

void DropWorldForServerSwitch()
{
    if (netHooks().dropWorldForServerSwitch)
        netHooks().dropWorldForServerSwitch();
}

void ActivateServerSession(CServerSession& session)
{
    systemMessage("Switching server!");
    KZReport::print("Switching Server!\n");
    SetActiveConnection(session.connection);
    if (netHooks().restorePlayerState)
        netHooks().restorePlayerState(session);
    char speech[64];
    const int length = std::snprintf(speech, sizeof speech, "=tp (%d %d %d)", session.x, session.y, session.z);
    SendAsciiSpeech(speech, length, 0);
    char title[128];
    std::snprintf(title, sizeof title, "%s (%s)", AcctID, session.shardName.c_str());
    SetMainWindowTitle(title);
}

void SaveActiveSessionState()
{
    CServerSession* session = FindServerSession(ActiveConnection());
    if (session != nullptr && netHooks().savePlayerState)
        netHooks().savePlayerState(*session);
}

// ---- The main loop's polls ------------------------------------------------------------------

void PollServerSessions()
{
    CollectReleasedConnections();
    std::vector<CServerSession*> walk;
    for (const auto& session : g_sessions)
        walk.push_back(session.get());
    for (CServerSession* session : walk) {
        // A handler may have removed entries: only those still listed are polled.
        if (std::none_of(g_sessions.begin(), g_sessions.end(),
                         [session](const std::unique_ptr<CServerSession>& s) { return s.get() == session; }))
            continue;
        g_current = session;
        CClientSock* connection = session->connection;
        if (session->closeFlag && connection != nullptr)
            connection->Close();
        if (connection != nullptr)
            connection->SelectPoll();
        // A handler that removes entries clears the current entry, which ends the walk.
        if (g_current == nullptr)
            break;
    }
    g_current = nullptr;
    CollectReleasedConnections();
}

void PollMessageSocket()
{
    if (g_pGMSSock != nullptr)
        g_pGMSSock->SelectPoll();
    else if (NetQuietFlag == 0)
        RecreateMessageSocket("no message socket");
}

// ---- The core's view ------------------------------------------------------------------------

namespace {

class Services final : public NetServices {
public:
    int ConnectToLoginServer() override { return ::ConnectToLoginServer(); }
    void PollConnections() override { PollServerSessions(); }
    void PollMessageSocket() override { ::PollMessageSocket(); }
    int OpenServerSession(const char* shardName, int32_t switchId) override
    {
        return ::OpenServerSession(shardName, switchId);
    }
    void SwitchServerSession(int32_t connectionId) override { ::SwitchServerSession(connectionId); }
    void MarkServerSessionClosed() override { ::MarkServerSessionClosed(); }
    void SaveActiveSessionState() override { ::SaveActiveSessionState(); }
    void SetQuiet(bool quiet) override { NetQuietFlag = quiet ? 1 : 0; }
};

} // namespace

void InstallNetServices()
{
    static Services services;
    SetNetServices(&services);
    configHooks().resolveHost = [](const char* host, uint32_t* addresses, int capacity) {
        platform::HostResolver* resolver = netFacilities().resolver;
        return resolver != nullptr ? resolver->resolve(host, addresses, capacity) : 0;
    };
}
