/** @file The socket base, the game connection (connect, poll, send, framing, dispatch, loss) and the message socket. */
#include "client/net/client_sock.h"

#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/core/kz_report.h"
#include "client/net/huffman.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

int32_t NetQuietFlag = 0;
int32_t StayConnected = 0;
int32_t ReconnectCountdown = 0;
uint32_t RelayKey = 0;
CGMSSock* g_pGMSSock = nullptr;
int32_t MessengerUserNumber = -1;
int32_t MessageServiceAvailable = 0;

namespace {

CClientSock* g_active = nullptr;
CClientSock* g_lastDropped = nullptr;
std::vector<std::unique_ptr<CClientSock>> g_connections;
std::vector<CClientSock*> g_released;
bool g_lostNoticeShown = false;
int32_t g_nextConnectionId = 1;
time_t g_lastMessageSocketAttempt = 0;
bool g_messageSocketAttempted = false;

/**
 * The buffers of connections that went, for the next connection: a client that reconnects (or
 * changes from the login to the game server) does not ask for them again. At most two
 * connections' worth are kept.
 */
std::vector<std::unique_ptr<uint8_t[]>>& spareBuffers()
{
    // Never destroyed: connections held by other static objects may go after this file's statics.
    static auto* spares = new std::vector<std::unique_ptr<uint8_t[]>>();
    return *spares;
}

std::unique_ptr<uint8_t[]> takeConnectionBuffer()
{
    std::vector<std::unique_ptr<uint8_t[]>>& spares = spareBuffers();
    if (spares.empty())
        return std::unique_ptr<uint8_t[]>(new uint8_t[kConnectionBufferSize]);
    std::unique_ptr<uint8_t[]> buffer = std::move(spares.back());
    spares.pop_back();
    return buffer;
}

void keepConnectionBuffer(std::unique_ptr<uint8_t[]>& buffer)
{
    std::vector<std::unique_ptr<uint8_t[]>>& spares = spareBuffers();
    if (buffer != nullptr && spares.size() < 6)
        spares.push_back(std::move(buffer));
}

/** The local host's address as the constructors take it: the first address of its own name. */
uint32_t lookUpLocalHost()
{
    platform::HostResolver* resolver = netFacilities().resolver;
    return resolver != nullptr ? resolver->localHostAddress() : 0;
}

} // namespace

// ---- CSocket --------------------------------------------------------------------------------

CSocket::CSocket()
{
    KZReport::message("CSocket::CSocket() begin.\n");
}

CSocket::~CSocket()
{
    Close();
}

int CSocket::Close()
{
    if (socket_ == nullptr)
        return -1;
    socket_->close();
    socket_.reset();
    return 0;
}

int CSocket::SetNonBlocking()
{
    if (socket_ == nullptr)
        return -1;
    socket_->setBlocking(false);
    return 0;
}

int CSocket::SetBlocking()
{
    if (socket_ == nullptr)
        return -1;
    socket_->setBlocking(true);
    return 0;
}

// ---- GroupedPackets -------------------------------------------------------------------------

GroupedPackets::GroupedPackets()
{
    KZReport::message("GroupedPackets::GroupedPackets(): begin.\n");
}

GroupedPackets::~GroupedPackets() = default;

// ---- CClientSock: set-up and connect --------------------------------------------------------

CClientSock::CClientSock()
    : id_(g_nextConnectionId++),
      packets_(takeConnectionBuffer()),
      raw_(takeConnectionBuffer()),
      send_(takeConnectionBuffer())
{
    KZReport::message("CClientSock::CClientSock(): begin.\n");
    localHostAddress_ = lookUpLocalHost();
    BuildHuffmanTree();
}

CClientSock::~CClientSock()
{
    if (g_active == this)
        SetActiveConnection(nullptr);
    if (g_lastDropped == this)
        g_lastDropped = nullptr;
    keepConnectionBuffer(packets_);
    keepConnectionBuffer(raw_);
    keepConnectionBuffer(send_);
}

int CClientSock::Connect(uint32_t address, uint16_t port)
{
    heldBytes_ = 0;
    paused_ = 0;
    held_.clear();
    sendLength_ = 0;
    encryptedPrefix_ = 0;
    rawLength_ = 0;
    packetLength_ = 0;
    bitPosition_ = 0;
    Close();

    socket_ = netFacilities().makeTcpSocket ? netFacilities().makeTcpSocket() : nullptr;
    if (socket_ == nullptr) {
        DebugTrace("socklib", 355, "socket creation failed");
        return 0;
    }
    socket_->setNoDelay(true);
    socket_->setBlocking(true);
    if (socket_->connect(address, port).status != platform::NetStatus::Ok) {
        Close();
        return 0;
    }
    serverAddress_ = address;
    serverPort_ = port;

    if (EditServerAddress != 0) {
        // A fixed edit server: no seed, no cipher, no Huffman coding.
        seeded_ = 0;
    } else {
        seeded_ = 1;
        if (RelayKey == 0)
            RelayKey = localHostAddress_;
        const uint32_t seed = RelayKey;
        loginCipher_.Setup(seed);
        const uint8_t seedBytes[4] = {static_cast<uint8_t>(seed >> 24), static_cast<uint8_t>(seed >> 16),
                                      static_cast<uint8_t>(seed >> 8), static_cast<uint8_t>(seed)};
        size_t sent = 0;
        while (sent < sizeof seedBytes) {
            const platform::NetResult r = socket_->send(seedBytes + sent, sizeof seedBytes - sent);
            if (r.status == platform::NetStatus::Ok) {
                sent += r.bytes;
                continue;
            }
            if (r.status == platform::NetStatus::WouldBlock)
                continue; // blocking mode: only an interrupted call lands here
            Close();
            OnConnectionLost("socket error in send");
            return 0;
        }
        rateMeters[1].Record(sizeof seedBytes);
        gameCipher_.SetKey(seedBytes);
        DeriveReceiveKey(gameCipher_.KeystreamBlock(), receiveKey_);
        receiveCounter_ = 0;
    }
    socket_->setBlocking(false);
    return 1;
}

// ---- Sending --------------------------------------------------------------------------------

void CClientSock::QueueSend(const uint8_t* bytes, size_t count)
{
    if (g_active == nullptr)
        return;
    if (count > kConnectionBufferSize - sendLength_) {
        KZReport::error("CClientSock::QueueSend: send buffer full (%zu pending, %zu more); packet 0x%02X dropped.\n",
                        sendLength_, count, count > 0 ? bytes[0] : 0);
        return;
    }
    uint8_t* at = send_.get() + sendLength_;
    if (count > 0)
        std::memcpy(at, bytes, count);
    if (seeded_ != 0 && loginCipherOff == 0)
        loginCipher_.Apply(at, count);
    sendLength_ += count;
}

int CClientSock::SendPending()
{
    if (!HasSocket()) {
        if (NetQuietFlag == 0)
            OnConnectionLost("dunno, select with invalid socket");
        return 0;
    }
    if (gamePhase != 0 && encryptedPrefix_ < sendLength_) {
        gameCipher_.Crypt(send_.get() + encryptedPrefix_, sendLength_ - encryptedPrefix_);
        encryptedPrefix_ = sendLength_;
    }
    if (sendLength_ == 0)
        return 0;
    const platform::NetResult r = socket_->send(send_.get(), sendLength_);
    if (r.status == platform::NetStatus::WouldBlock)
        return 1; // the socket takes nothing now: not a loss, the bytes wait
    if (r.status != platform::NetStatus::Ok) {
        Close();
        OnConnectionLost("socket error in send");
        return 0;
    }
    const size_t n = std::min(r.bytes, sendLength_);
    std::memmove(send_.get(), send_.get() + n, sendLength_ - n);
    sendLength_ -= n;
    encryptedPrefix_ = encryptedPrefix_ > n ? encryptedPrefix_ - n : 0;
    rateMeters[1].Record(static_cast<uint32_t>(n));
    return sendLength_ > 0 ? 1 : 0;
}

void CClientSock::Flush()
{
    // A socket left non-blocking may take nothing for a while: stop then instead of spinning.
    for (size_t before = sendLength_ + 1; sendLength_ > 0 && sendLength_ < before;) {
        before = sendLength_;
        if (SendPending() == 0)
            break;
    }
}

void CClientSock::SendPacket(uint8_t* packet)
{
    const size_t length = GetPacketLength(packet);
    if (IsVariableLengthId(packet[0])) {
        packet[1] = static_cast<uint8_t>(length >> 8);
        packet[2] = static_cast<uint8_t>(length);
    }
    SendPacket(static_cast<const uint8_t*>(packet), length);
}

bool CClientSock::SendPacket(const uint8_t* bytes, size_t length)
{
    if (bytes == nullptr || length == 0)
        return false;
    packetStatistics[1].Record(bytes[0], static_cast<uint32_t>(length));
    packetCounters[1].Record(static_cast<uint32_t>(length));
    const size_t before = sendLength_;
    QueueSend(bytes, length);
    return sendLength_ != before;
}

// ---- Receiving ------------------------------------------------------------------------------

void CClientSock::SelectPoll()
{
    if (!HasSocket()) {
        if (NetQuietFlag == 0)
            OnConnectionLost("dunno, select with invalid socket");
        return;
    }
    const platform::Readiness ready = socket_->poll(sendLength_ > 0);
    if (ready.failed) {
        Close();
        OnConnectionLost("exception state on socket");
        return;
    }
    if (ready.readable) {
        for (;;) {
            const size_t room = kConnectionBufferSize - rawLength_;
            if (room == 0)
                break;
            uint8_t* at = raw_.get() + rawLength_;
            const platform::NetResult r = socket_->receive(at, room);
            if (r.status == platform::NetStatus::WouldBlock)
                break;
            if (r.status != platform::NetStatus::Ok || r.bytes == 0) {
                // The peer closed (a read of 0 bytes) or the connection failed: either way it is gone.
                const int code = r.status == platform::NetStatus::Error ? SocketErrorCode(r.errorCode) : 10053;
                DebugTrace("socklib", 616, SocketErrorText(code));
                Close();
                OnConnectionLost("Exiting due to closed connection.");
                return;
            }
            if (gamePhase != 0)
                ApplyReceiveKey(receiveKey_, receiveCounter_, at, r.bytes);
            rateMeters[0].Record(static_cast<uint32_t>(r.bytes));
            rawLength_ += r.bytes;
            if (r.bytes != room)
                break;
        }
    }
    if (ready.writable && sendLength_ > 0) {
        SendPending();
        if (!HasSocket())
            return;
    }
    if (rawLength_ > 0)
        decodeAndFrame();
}

void CClientSock::decodeAndFrame()
{
    if (gamePhase != 0) {
        size_t out = packetLength_;
        const size_t bit = HuffmanDecode(raw_.get(), rawLength_, static_cast<size_t>(bitPosition_), packets_.get(),
                                         out, kConnectionBufferSize);
        packetLength_ = out;
        const size_t whole = bit / 8;
        std::memmove(raw_.get(), raw_.get() + whole, rawLength_ - whole);
        rawLength_ -= whole;
        bitPosition_ = static_cast<int>(bit % 8);
    }
    frame();
}

void CClientSock::removeHead(size_t count)
{
    uint8_t* buffer = frameBuffer();
    size_t& length = frameLength();
    count = std::min(count, length);
    std::memmove(buffer, buffer + count, length - count);
    length -= count;
}

void CClientSock::dropStream(const char* why, int value)
{
    KZReport::error("CClientSock::frame: %s (%d); the connection is closed.\n", why, value);
    frameLength() = 0;
    rawLength_ = 0;
    Close();
    OnConnectionLost("Exiting due to closed connection.");
}

void CClientSock::frame()
{
    // Held packets stay where they lie: the head of the buffer moves only once they are released.
    // Unpaused, the packets dispatched in one pass leave the head together at its end (or when a
    // pause begins), so a pass moves the rest of the buffer once instead of once per packet.
    size_t consumed = 0;
    for (;;) {
        uint8_t* buffer = frameBuffer();
        const size_t length = frameLength();
        const size_t start = paused_ != 0 ? heldBytes_ : consumed;
        if (length < start + 1)
            break;
        const uint8_t id = buffer[start];
        const uint16_t tableLength = PacketTableLength(id);
        size_t packetLength = tableLength;
        if (tableLength == 0) {
            dropStream("packet id past the length table", id);
            return;
        }
        if (tableLength == kVariableLength) {
            if (length < start + 3)
                break;
            packetLength = static_cast<size_t>(buffer[start + 1]) << 8 | buffer[start + 2];
            if (packetLength < 3) {
                dropStream("variable packet length below its header", static_cast<int>(packetLength));
                return;
            }
        }
        if (paused_ != 0 && heldBytes_ + packetLength > kConnectionBufferSize) {
            paused_ = 0;
            release();
            continue;
        }
        if (length < start + packetLength)
            break;
        if (paused_ != 0) {
            DispatchPacket(start, packetLength);
            continue;
        }
        const int32_t phase = gamePhase;
        DispatchPacket(start, packetLength);
        consumed += packetLength;
        if (gamePhase != phase) {
            // The relay turned this connection to the game phase: the packets read so far leave
            // the login-phase buffer, and what follows them arrives coded.
            uint8_t* old = phase != 0 ? packets_.get() : raw_.get();
            size_t& oldLength = phase != 0 ? packetLength_ : rawLength_;
            consumed = std::min(consumed, oldLength);
            std::memmove(old, old + consumed, oldLength - consumed);
            oldLength -= consumed;
            if (gamePhase != 0 && rawLength_ > 0) {
                ApplyReceiveKey(receiveKey_, receiveCounter_, raw_.get(), rawLength_);
                decodeAndFrame();
            }
            return;
        }
        if (paused_ != 0) {
            removeHead(consumed);
            consumed = 0;
        }
    }
    removeHead(consumed);
}

void CClientSock::hold(size_t offset, size_t length)
{
    if (held_.size() == held_.capacity())
        held_.reserve(held_.capacity() + 16);
    held_.push_back(HeldPacket{offset, length});
    paused_ = 1;
    heldBytes_ += length;
}

void CClientSock::release()
{
    // The held packets are dispatched in arrival order while they still lie at their offsets.
    std::vector<HeldPacket> held;
    held.swap(held_);
    for (const HeldPacket& packet : held)
        handle(frameBuffer() + packet.offset, packet.length);
    // The list keeps its room for the next pause (unless a handler held packets meanwhile).
    if (held_.empty()) {
        held.clear();
        held_.swap(held);
    }
    removeHead(heldBytes_);
    heldBytes_ = 0;
}

void CClientSock::DispatchPacket(size_t offset, size_t length)
{
    uint8_t* packet = frameBuffer() + offset;
    if (paused_ != 0) {
        if (packet[0] != PKT_PauseControl) {
            hold(offset, length);
        } else if (packet[1] == 0) {
            paused_ = 0;
            heldBytes_ += length;
            release();
        } else {
            // A second pause inside a pause: cut it out, the bytes behind it move down.
            size_t& total = frameLength();
            std::memmove(packet, packet + length, total - offset - length);
            total -= length;
        }
        return;
    }
    handle(packet, length);
}

void CClientSock::handle(const uint8_t* packet, size_t length)
{
    SetCurrentServerSession(FindServerSession(this));
    const uint8_t id = packet[0];
    if (this != g_active && gamePhase != 0 && !PassesSecondaryFilter(id))
        return;
    packetStatistics[0].Record(id, static_cast<uint32_t>(length));
    packetCounters[0].Record(static_cast<uint32_t>(length));
    if (id == PKT_PauseControl) {
        if (packet[1] != 0)
            paused_ = 1;
    } else if (PacketHandler handler = GetPacketHandler(id)) {
        handler(packet, length);
    } else {
        ReportUnknownPacket(id);
    }
    LastPacketId = id;
}

// ---- Loss ----------------------------------------------------------------------------------

void CClientSock::OnConnectionLost(const char* text)
{
    KZReport::message("CClientSock::OnConnectionLost: %s\n", text != nullptr ? text : "");
    // The record of this connection (not whichever record was dispatched last) goes.
    if (CServerSession* record = FindServerSession(this)) {
        RemoveServerSession(record);
        Close();
        SetLastDroppedConnection(this);
        if (this != g_active)
            return;
        if (CServerSession* first = FirstServerSession()) {
            DropWorldForServerSwitch();
            ActivateServerSession(*first);
            return;
        }
    }
    if (StayConnected == 0)
        return;
    if (!g_lostNoticeShown) {
        if (netHooks().deleteDragGump)
            netHooks().deleteDragGump();
        gumpManager().ShowMessageGump("Connection lost", nullptr, 1, 0, 0);
        g_lostNoticeShown = true;
    }
    if (--ReconnectCountdown <= 0) {
        ReconnectCountdown = 13;
        // In the world a lost connection is not re-established: the notice stays.
        if (!g_bInGame)
            ReconnectToLoginServer();
    }
    if (netHooks().drawFrame)
        netHooks().drawFrame();
    else if (TickHooks().drawFrame)
        TickHooks().drawFrame();
    platform::current().clock->sleep(76);
}

// ---- Registry of connections ----------------------------------------------------------------

CClientSock* ActiveConnection()
{
    return g_active;
}

void SetActiveConnection(CClientSock* connection)
{
    g_active = connection;
    SetMainConnection(connection);
}

uint32_t ActiveConnectionHostAddress()
{
    return g_active != nullptr ? g_active->LocalHostAddress() : 0;
}

CClientSock* CreateConnection()
{
    g_connections.push_back(std::make_unique<CClientSock>());
    return g_connections.back().get();
}

void ReleaseConnection(CClientSock* connection)
{
    if (connection == nullptr || std::find(g_released.begin(), g_released.end(), connection) != g_released.end())
        return;
    connection->Close();
    if (g_active == connection)
        SetActiveConnection(nullptr);
    if (g_lastDropped == connection)
        g_lastDropped = nullptr;
    g_released.push_back(connection);
}

void CollectReleasedConnections()
{
    std::vector<CClientSock*> released = std::move(g_released);
    g_released.clear();
    for (CClientSock* connection : released) {
        ForgetServerSessionsOf(connection);
        std::erase_if(g_connections, [connection](const std::unique_ptr<CClientSock>& c) { return c.get() == connection; });
    }
}

bool ConnectionAlive(const CClientSock* connection)
{
    return std::any_of(g_connections.begin(), g_connections.end(),
                       [connection](const std::unique_ptr<CClientSock>& c) { return c.get() == connection; });
}

CClientSock* LastDroppedConnection()
{
    return g_lastDropped;
}

void SetLastDroppedConnection(CClientSock* connection)
{
    CClientSock* previous = g_lastDropped;
    g_lastDropped = connection;
    // The connection dropped before is nobody's any more.
    if (previous != nullptr && previous != connection && previous != g_active && FindServerSession(previous) == nullptr)
        ReleaseConnection(previous);
}

bool ConnectionLostNoticeShown()
{
    return g_lostNoticeShown;
}

void ResetConnectionState()
{
    ClearServerSessions();
    SetActiveConnection(nullptr);
    g_lastDropped = nullptr;
    g_released.clear();
    g_connections.clear();
    delete g_pGMSSock;
    g_pGMSSock = nullptr;
    g_lostNoticeShown = false;
    NetQuietFlag = 0;
    StayConnected = 0;
    ReconnectCountdown = 0;
    RelayKey = 0;
    MessengerUserNumber = -1;
    MessageServiceAvailable = 0;
    g_messageSocketAttempted = false;
    g_lastMessageSocketAttempt = 0;
    LastPacketId = -1;
}

// ---- The message socket ---------------------------------------------------------------------

CGMSSock::CGMSSock() : receive_(new uint8_t[kConnectionBufferSize]), send_(new uint8_t[kConnectionBufferSize])
{
    KZReport::message("CGMSSock::CGMSSock(): begin.\n");
    localHostAddress_ = lookUpLocalHost();
}

CGMSSock::~CGMSSock() = default;

int CGMSSock::Connect(uint16_t /*port*/)
{
    return 1;
}

void CGMSSock::SelectPoll()
{
    if (!HasSocket()) {
        if (NetQuietFlag == 0)
            RecreateMessageSocket("message socket without a socket");
        return;
    }
    const platform::Readiness ready = socket_->poll(sendLength_ > 0);
    if (ready.failed) {
        Close();
        RecreateMessageSocket("exception state on socket");
        return;
    }
    if (ready.readable) {
        for (;;) {
            const size_t room = kConnectionBufferSize - receiveLength_;
            if (room == 0)
                break;
            const platform::NetResult r = socket_->receive(receive_.get() + receiveLength_, room);
            if (r.status == platform::NetStatus::WouldBlock)
                break;
            if (r.status != platform::NetStatus::Ok || r.bytes == 0) {
                Close();
                RecreateMessageSocket("closed connection");
                return;
            }
            rateMeters[0].Record(static_cast<uint32_t>(r.bytes));
            receiveLength_ += r.bytes;
            if (r.bytes != room)
                break;
        }
    }
    if (ready.writable && sendLength_ > 0) {
        const platform::NetResult r = socket_->send(send_.get(), sendLength_);
        if (r.status == platform::NetStatus::Ok) {
            std::memmove(send_.get(), send_.get() + r.bytes, sendLength_ - r.bytes);
            sendLength_ -= r.bytes;
            rateMeters[1].Record(static_cast<uint32_t>(r.bytes));
        } else if (r.status != platform::NetStatus::WouldBlock) {
            Close();
            RecreateMessageSocket("socket error in send");
            return;
        }
    }
    if (receiveLength_ > 0)
        SplitMessages();
}

void CGMSSock::AppendReceived(const uint8_t* bytes, size_t count)
{
    count = std::min(count, kConnectionBufferSize - receiveLength_);
    std::memcpy(receive_.get() + receiveLength_, bytes, count);
    receiveLength_ += count;
}

void CGMSSock::SplitMessages()
{
    uint8_t* buffer = receive_.get();
    size_t at = 0;
    while (at + 1 < receiveLength_ && receiveLength_ > 1) {
        if (buffer[at] != 0 || buffer[at + 1] != 0) {
            at += 2;
            continue;
        }
        // One message: the units before the zero unit.
        std::u16string text(at / 2, u'\0');
        for (size_t i = 0; i < at / 2; ++i)
            text[i] = static_cast<char16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
        if (netHooks().messageServiceMessage)
            netHooks().messageServiceMessage(text.data(), text.size());
        size_t next = at + 2;
        while (next + 1 < receiveLength_ && buffer[next] == 0 && buffer[next + 1] == 0)
            next += 2;
        if (receiveLength_ % 2 != 0 && next > 0)
            --next;
        std::memmove(buffer, buffer + next, receiveLength_ - next);
        receiveLength_ -= next;
        at = 0;
    }
}

size_t CGMSSock::QueueMessage(const char16_t* text)
{
    const size_t freeUnits = (kConnectionBufferSize - sendLength_) / 2;
    size_t units = 0;
    while (units < freeUnits && text[units] != 0)
        ++units;
    if (units >= freeUnits)
        return units * 2; // no terminator within the free part: nothing queued
    uint8_t* at = send_.get() + sendLength_;
    for (size_t i = 0; i <= units; ++i) {
        at[2 * i] = static_cast<uint8_t>(text[i]);
        at[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
    sendLength_ += units * 2 + 2;
    return units * 2 + 2;
}

void RecreateMessageSocket(const char* /*text*/)
{
    MessageServiceAvailable = 0;
    CClientSock* game = ActiveConnection();
    if (game == nullptr || !game->HasSocket() || MessengerUserNumber < 0)
        return;
    const time_t now = static_cast<time_t>(platform::current().clock->wallTime());
    if (g_messageSocketAttempted && now - g_lastMessageSocketAttempt < 60)
        return;
    if (g_pGMSSock == nullptr)
        g_pGMSSock = new CGMSSock();
    g_pGMSSock->Connect(5300);
    g_messageSocketAttempted = true;
    g_lastMessageSocketAttempt = now;
}

// ---- CNetInfo -------------------------------------------------------------------------------

CNetInfo::CNetInfo()
{
    KZReport::message("CNetInfo::CNetInfo(): begin.\n");
}

CNetInfo::~CNetInfo() = default;
