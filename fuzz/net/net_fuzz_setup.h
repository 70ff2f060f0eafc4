/** @file Fuzz support for the network targets: a null platform, silent boxes, fake sockets and one connection fed chunk by chunk. */
#pragma once

#include "client/core/config_io.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/net/client_sock.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "platform/message_box/message_box.h"
#include "platform/net/host_resolver.h"
#include "platform/platform.h"
#include "fuzz/net/game_handler_fuzz.h"

#include <algorithm>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace netfuzz {

/**
 * A socket that stands connected at once, takes every byte it is given, keeping none, and hands
 * out a stream given to it as receives would get it: the stream arrives in slices of a fixed size
 * (see feed), and a receive takes at most the rest of one slice. Bytes are read from the stream
 * where they lie, so a slice costs no copy. Given nothing, it never has anything to read.
 */
class StreamSocket final : public platform::TcpSocket {
public:
    /** The stream to hand out; it must outlive the feeding. Nothing of it has arrived yet. */
    void offer(const uint8_t* stream, size_t size, size_t slice)
    {
        stream_ = stream;
        size_ = size;
        slice_ = slice;
        read_ = 0;
        arrived_ = 0;
    }
    /** The next slice of the stream arrives. */
    void arrive() { arrived_ = std::min(size_, arrived_ + slice_); }

    platform::NetResult connect(uint32_t, uint16_t) override
    {
        open_ = true;
        return {platform::NetStatus::Ok, 0, 0};
    }
    platform::NetResult send(const void*, size_t size) override
    {
        return open_ ? platform::NetResult{platform::NetStatus::Ok, size, 0}
                     : platform::NetResult{platform::NetStatus::Closed, 0, 0};
    }
    platform::NetResult receive(void* buffer, size_t capacity) override
    {
        if (!open_)
            return {platform::NetStatus::Closed, 0, 0};
        if (read_ == arrived_)
            return {platform::NetStatus::WouldBlock, 0, 0};
        const size_t sliceEnd = std::min(arrived_, (read_ / slice_ + 1) * slice_);
        const size_t n = std::min(capacity, sliceEnd - read_);
        std::memcpy(buffer, stream_ + read_, n);
        read_ += n;
        return {platform::NetStatus::Ok, n, 0};
    }
    bool readable() override { return open_ && read_ < arrived_; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool isConnected() const override { return open_; }
    platform::Readiness poll(bool wantWrite) override { return {open_ && read_ < arrived_, open_ && wantWrite, false}; }
    void setBlocking(bool) override {}
    void setNoDelay(bool) override {}

private:
    bool open_ = false;
    const uint8_t* stream_ = nullptr;
    size_t size_ = 0;
    size_t slice_ = 1;
    size_t read_ = 0;    // bytes of the stream received
    size_t arrived_ = 0; // bytes of the stream that have arrived
};

/** Installed once: nothing a target does reaches the outside (no real sockets, no boxes, no real time). */
inline void installQuietWorld()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    class SilentBoxes final : public platform::MessageBoxSink {
    public:
        int show(const std::string&, const std::string&, platform::BoxIcon) override { return 1; }
    };
    static SilentBoxes boxes;
    static platform::ScopedPlatform nullPlatform;
    static platform::FakeHostResolver resolver;
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    KZReport::setStateForTests(true, false);
    platform::setMessageBoxSink(&boxes);
    resolver.setLocalHostAddress(0x0A000007);
    netFacilities().resolver = &resolver;
    netFacilities().makeTcpSocket = [] { return std::make_unique<StreamSocket>(); };
}

/** The handlers save numbers into kz.cfg: kept in memory, emptied after each input. */
inline MemoryConfigFileStore& configFiles()
{
    static MemoryConfigFileStore store;
    return store;
}

/**
 * Once per process, for targets that call handlers directly: quiet reports, the quiet world with
 * sink sockets, an install folder of the target's own for the file manager, and kz.cfg in memory.
 */
inline void installClientOnce(const char* folder)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    installQuietWorld();
    const std::filesystem::path hd = std::filesystem::temp_directory_path() / folder;
    std::filesystem::create_directories(hd);
    platform::current().keyStore->setString(FileManager::INSTALL_KEY, "ExePath", (hd / "client").string());
    FileManager::startup();
    SetConfigFileStore(&configFiles());
}


/** Connects to the login port and makes the connection the active one, with its record; game phase when asked. */
inline CClientSock* activate(CClientSock* connection, bool gamePhase)
{
    connection->Connect(0x7F000001, 2593);
    SetActiveConnection(connection);
    AddServerSession(connection, nullptr);
    if (gamePhase)
        connection->EnterGamePhase();
    return connection;
}

/** What an input may have turned on a kept connection that connecting does not turn off. */
inline void forgetPhase(CClientSock* connection)
{
    connection->relayFlag = 0;
    connection->loginCipherOff = 0;
    connection->gamePhase = 0;
}

/**
 * The active connection on a socket from the installed factory. Making a connection costs more
 * than most inputs cost to read, so one is made for the process and connected afresh for each
 * input, which gives it new buffers, ciphers and socket. It is not in the connection list: whatever
 * the input does to it (close, release, replace), it stays for the next input, while the
 * connections the input made go with ResetConnectionState().
 */
inline CClientSock* keptConnection(bool gamePhase)
{
    static CClientSock* const connection = new CClientSock(); // never deleted: it serves every input
    ResetConnectionState();
    forgetPhase(connection);
    return activate(connection, gamePhase);
}

/**
 * A second connection, kept as keptConnection() keeps its one, connected afresh to the next port
 * and recorded under `shard` (not made active). For after keptConnection().
 */
inline CClientSock* secondConnection(const char* shard)
{
    static CClientSock* const connection = new CClientSock(); // never deleted: it serves every input
    forgetPhase(connection);
    connection->Connect(0x7F000001, 2594);
    AddServerSession(connection, shard);
    return connection;
}

/**
 * Hands the stream to the connection in slices of `slice`, polling after each, as receives would
 * cut it, while the connection keeps the socket it had.
 */
inline void feed(CClientSock* connection, const uint8_t* stream, size_t size, size_t slice)
{
    auto* const socket = dynamic_cast<StreamSocket*>(connection->Socket());
    if (socket == nullptr)
        return;
    socket->offer(stream, size, slice);
    for (size_t at = 0; at < size && connection->Socket() == socket && connection->HasSocket(); at += slice) {
        socket->arrive();
        connection->SelectPoll();
    }
}

/**
 * The packets of a selector-coded input: per packet a selector byte (taken modulo the id count)
 * choosing one of `ids`, a big-endian 16-bit length, then that many payload bytes, cut at the
 * input's end. Each packet reaches `handle` with its id and, for a variable id, its big-endian
 * length in front, as the framing hands it to a handler, in a buffer poisoned past its end.
 */
template <size_t N, typename Handle>
void forEachSelectedPacket(const uint8_t* data, size_t size, const uint8_t (&ids)[N], Handle&& handle)
{
    static gamefuzz::PacketBuffer buffer;
    static std::vector<uint8_t> packet(gamefuzz::PacketBuffer::kSize);
    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t id = ids[data[at] % N];
        size_t length = std::min<size_t>(static_cast<size_t>(data[at + 1] << 8 | data[at + 2]), size - at - 3);
        at += 3;
        size_t header = 1;
        packet[0] = id;
        if (IsVariableLengthId(id)) {
            // A variable packet's length field is 16 bits, its own three bytes included.
            length = std::min<size_t>(length, 0xFFFF - 3);
            const size_t total = length + 3;
            packet[1] = static_cast<uint8_t>(total >> 8);
            packet[2] = static_cast<uint8_t>(total);
            header = 3;
        }
        length = std::min(length, packet.size() - header);
        std::copy(data + at, data + at + length, packet.begin() + static_cast<std::ptrdiff_t>(header));
        at += length;
        handle(buffer.hold(packet.data(), header + length), header + length);
        buffer.release(header + length);
    }
}

} // namespace netfuzz
