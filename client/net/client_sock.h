/** @file The server connections: the socket base with its meters, the pause queue, the game connection and the message socket. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "client/core/app.h"
#include "client/net/ciphers.h"
#include "client/net/net_stats.h"
#include "platform/net/tcp_socket.h"

// One connection object is one connection: a lost or replaced connection gets a new object.
// There is no network thread: the main loop polls every open connection once per idle pass
// and all packet handling runs inside that poll. Main thread only.

inline constexpr size_t kConnectionBufferSize = 65536;

/** The socket handle and the traffic meters: [0] received, [1] sent. */
class CSocket {
public:
    CSocket();
    virtual ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    /** Closes the socket; 0 when there was one, -1 when there was none. */
    int Close();
    int SetNonBlocking();
    int SetBlocking();
    bool HasSocket() const { return socket_ != nullptr && socket_->isOpen(); }

    RateMeter rateMeters[2];
    PacketStatistics packetStatistics[2];
    PacketCounter packetCounters[2];

protected:
    std::unique_ptr<platform::TcpSocket> socket_;
};

/** The packets kept back while the server has paused dispatch: where each lies in the framing buffer. */
class GroupedPackets : public CSocket {
public:
    GroupedPackets();
    ~GroupedPackets() override;

    int32_t HeldCount() const { return static_cast<int32_t>(held_.size()); }
    int32_t HeldCapacity() const { return static_cast<int32_t>(held_.capacity()); }

protected:
    struct HeldPacket {
        size_t offset;
        size_t length;
    };
    std::vector<HeldPacket> held_; // grows in steps of 16
};

/** A connection to a login or game server. */
class CClientSock final : public GroupedPackets, public CPacketSink {
public:
    CClientSock();
    ~CClientSock() override;

    /** Connects (blocking), sends the seed and keys the ciphers; 1 connected, 0 failed. */
    int Connect(uint32_t address, uint16_t port);
    /** One poll: receive, decode, dispatch, send. Never blocks. */
    void SelectPoll();
    /** Appends to the send buffer through the login-phase cipher while it is on; an overflow drops the bytes. */
    void QueueSend(const uint8_t* bytes, size_t count);
    /** One send of the pending bytes; 1 while bytes remain. */
    int SendPending();
    /** Sends until the buffer is empty (or the socket takes no more). */
    void Flush();
    /** The loss procedure. */
    void OnConnectionLost(const char* text);

    /** Sends a packet built with the packet buffer's writers (bytes 1-2 of a variable id in host order). */
    void SendPacket(uint8_t* packet);
    /** Sends a packet in its wire form (a variable id's length big-endian). */
    bool SendPacket(const uint8_t* bytes, size_t length) override;
    bool PastLoginPhase() const override { return gamePhase != 0; }

    /** Handles one framed packet of `length` bytes at `offset` in the framing buffer. */
    void DispatchPacket(size_t offset, size_t length);

    /** The relay handler's switch to the game phase, right after Connect. */
    void EnterGamePhase()
    {
        loginCipherOff = 1;
        gamePhase = 1;
    }

    /** A number naming this connection in menus and switches; never reused in a run. */
    int32_t Id() const { return id_; }
    uint32_t LocalHostAddress() const { return localHostAddress_; }
    /** The server address and port of the last successful Connect (0 before one). */
    uint32_t ServerAddress() const { return serverAddress_; }
    uint16_t ServerPort() const { return serverPort_; }
    bool Seeded() const { return seeded_ != 0; }
    bool Paused() const { return paused_ != 0; }
    size_t HeldBytes() const { return heldBytes_; }
    size_t SendLength() const { return sendLength_; }
    const uint8_t* SendBuffer() const { return send_.get(); }
    size_t EncryptedPrefix() const { return encryptedPrefix_; }
    size_t RawLength() const { return rawLength_; }
    size_t PacketLength() const { return packetLength_; }
    int BitPosition() const { return bitPosition_; }
    const LoginCipher& LoginRegisters() const { return loginCipher_; }
    const uint8_t* ReceiveKey() const { return receiveKey_; }
    uint32_t ReceiveCounter() const { return receiveCounter_; }
    /** The socket, for tests that drive a fake one. */
    platform::TcpSocket* Socket() { return socket_.get(); }

    int32_t relayFlag = 0;
    int32_t loginCipherOff = 0;
    int32_t gamePhase = 0;

private:
    void decodeAndFrame();
    void frame();
    uint8_t* frameBuffer() { return gamePhase != 0 ? packets_.get() : raw_.get(); }
    size_t& frameLength() { return gamePhase != 0 ? packetLength_ : rawLength_; }
    void removeHead(size_t count);
    void hold(size_t offset, size_t length);
    void release();
    void handle(const uint8_t* packet, size_t length);
    /** A stream that cannot be framed further: the connection is closed and counts as lost. */
    void dropStream(const char* why, int value);

    int32_t id_;
    size_t encryptedPrefix_ = 0;
    std::unique_ptr<uint8_t[]> packets_;
    size_t packetLength_ = 0;
    int bitPosition_ = 0;
    std::unique_ptr<uint8_t[]> raw_;
    size_t rawLength_ = 0;
    std::unique_ptr<uint8_t[]> send_;
    size_t sendLength_ = 0;
    LoginCipher loginCipher_;
    int32_t seeded_ = 0;
    uint32_t localHostAddress_ = 0;
    uint32_t serverAddress_ = 0;
    uint16_t serverPort_ = 0;
    int32_t paused_ = 0;
    size_t heldBytes_ = 0;
    CNetCipher gameCipher_;
    uint8_t receiveKey_[16] = {};
    uint32_t receiveCounter_ = 0;
};

/**
 * The message socket of the message service. Its connect step does nothing and reports success,
 * so it never opens a socket; its poll and split rules stand ready for a socket all the same.
 */
class CGMSSock final : public CSocket {
public:
    CGMSSock();
    ~CGMSSock() override;

    /** Does nothing and reports success (the caller passes port 5300). */
    int Connect(uint16_t port);
    void SelectPoll();
    /** Appends the zero-terminated text and its terminator when it fits; the bytes queued (or scanned). */
    size_t QueueMessage(const char16_t* text);

    /** Splits the received bytes at zero units into messages (the poll's last step; tests call it). */
    void SplitMessages();
    /** Received bytes, as a test puts them in front of the split. */
    void AppendReceived(const uint8_t* bytes, size_t count);
    size_t SendLength() const { return sendLength_; }
    size_t ReceiveLength() const { return receiveLength_; }

private:
    std::unique_ptr<uint8_t[]> receive_;
    size_t receiveLength_ = 0;
    std::unique_ptr<uint8_t[]> send_;
    size_t sendLength_ = 0;
    uint32_t localHostAddress_ = 0;
};

/** Starts and stops the network facilities (nothing to do on this platform but the trace). */
class CNetInfo {
public:
    CNetInfo();
    ~CNetInfo();
};

// ---- Connection state shared by the loss procedure, the login flows and the handlers --------

/** Set while gumps are torn down and for good once the window closes or no login server was found. */
extern int32_t NetQuietFlag;
/** Set when the login starts; cleared when a login flow closes the connection itself. */
extern int32_t StayConnected;
/** Counts loss procedure calls down to the next reconnect attempt (starts at 0). */
extern int32_t ReconnectCountdown;
/** The relay key: the seed of the next connection (0: the local host address is used and kept). */
extern uint32_t RelayKey;
/** The message socket (at most one). */
extern CGMSSock* g_pGMSSock;
/** The message service's user number, -1 until set; and whether the service is there. */
extern int32_t MessengerUserNumber;
extern int32_t MessageServiceAvailable;

/** The connection every sender uses; null while there is none. Also the core's main connection. */
CClientSock* ActiveConnection();
void SetActiveConnection(CClientSock* connection);
/** The local host address of the active connection, 0 without one. */
uint32_t ActiveConnectionHostAddress();

/** A new connection object; it lives until ReleaseConnection and the next collection. */
CClientSock* CreateConnection();
/** Marks a connection for deletion once no poll runs on it any more. */
void ReleaseConnection(CClientSock* connection);
/** Deletes the released connections (called by the poll walk when no poll runs). */
void CollectReleasedConnections();
/** Whether a connection object is still alive (not yet collected). */
bool ConnectionAlive(const CClientSock* connection);
/** The connection the loss procedure closed last (the relay and login handlers read it). */
CClientSock* LastDroppedConnection();
void SetLastDroppedConnection(CClientSock* connection);
/** Whether the "Connection lost" notice has been shown (it is shown once). */
bool ConnectionLostNoticeShown();

/** Re-creates the message socket at most once a minute while the game connection stands. */
void RecreateMessageSocket(const char* text);

/** The winsock error text of an error code (the table's texts; "UNKNOWN ERROR." otherwise). */
const char* SocketErrorText(int code);
/** The table's code for a system error number (0 when it has none). */
int SocketErrorCode(int systemError);

/** Forgets every connection, record and flag (tests; the end of the run). */
void ResetConnectionState();
