/** @file Shard connections: the connection list, the login server choice, opening, switching and closing connections. */
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CClientSock;

/** One open server connection and the player state kept for it while another one is active. */
class CServerSession {
public:
    std::string shardName;               // compared without regard to case
    std::string characterName;           // the character played on the connection
    CClientSock* connection = nullptr;   // not owned: the connection registry owns it
    int32_t playerSerial = -1;
    uint16_t x = 0, y = 0, z = 0;
    uint8_t viewByte = 0;
    int32_t viewValue = 0;
    uint8_t direction = 0;
    uint8_t state = 18;
    uint8_t playerBlock[20] = {};
    int32_t switchId = -1;
    bool closeFlag = false;
    /** Walk keys and the map index the server sent for this connection while another was active. */
    std::array<uint32_t, 5> walkKeys{};
    uint16_t mapIndex = 0;
    /** Values later subsystems keep per connection. */
    std::map<std::string, int32_t> savedData;
};

/** The connection list, in the order the main loop polls it. */
const std::vector<std::unique_ptr<CServerSession>>& ServerSessions();
/** A new entry for a connection, added at the end of the list. */
CServerSession& AddServerSession(CClientSock* connection, const char* shardName);
CServerSession* FindServerSession(const CClientSock* connection);
CServerSession* FindServerSessionByName(const char* shardName);
CServerSession* FirstServerSession();
void RemoveServerSession(CServerSession* session);
/** Removes every entry of a connection that is going away. */
void ForgetServerSessionsOf(const CClientSock* connection);
void ClearServerSessions();
/** The entry whose connection is being polled or dispatched; null between polls. */
CServerSession* CurrentServerSession();
void SetCurrentServerSession(CServerSession* session);

/** The login server ChooseServer picked. */
struct ChosenServer {
    uint32_t address = 0;
    uint16_t port = 0;
};
extern ChosenServer ChosenLoginServer;

/** Fills ChosenLoginServer from the primary (or, with the flag, the backup) list; non-zero when one was found. */
int ChooseServer(int backup);
/** Makes the main connection when it has no socket; 1 when it stands, 0 when every login server failed. */
int ConnectToLoginServer();
/** The loss procedure's reconnect: a new main connection to the chosen login server and the account login again. */
void ReconnectToLoginServer();
/** Sends the account login (0x80) with the stored account name and password on the main connection. */
void SendAccountLogin(const char* account, const char* password, uint8_t flag);

int OpenServerSession(const char* shardName, int32_t switchId);
int OpenServerSessionByName(const char* shardName);
/** Switches to the connection with this id; -1 lets the user pick from the menu. */
void SwitchServerSession(int32_t connectionId);
/** The user picks a connection from the menu; the main loop closes it on its next pass. */
void MarkServerSessionClosed();
/** The menu of connections; the chosen connection's id, or 0. */
int32_t ChooseServerSessionFromMenu(int markActive);
void DropWorldForServerSwitch();
void ActivateServerSession(CServerSession& session);
void SaveActiveSessionState();

/** The main loop's walk: each entry in list order, its close flag honoured, then deletion of released connections. */
void PollServerSessions();
/** The main loop's poll of the message socket. */
void PollMessageSocket();

/** The core's view of the connections: the network installs this at start-up. */
void InstallNetServices();
