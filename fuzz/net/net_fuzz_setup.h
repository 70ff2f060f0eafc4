/** @file Fuzz support for the network targets: a null platform, silent boxes, fake sockets and one connection fed chunk by chunk. */
#pragma once

#include "client/net/client_sock.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_dispatch.h"
#include "client/net/server_sessions.h"
#include "platform/message_box/message_box.h"
#include "platform/net/host_resolver.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace netfuzz {

/** Installed once: nothing a target does reaches the outside (no real sockets, no boxes, no real time). */
inline void installQuietWorld()
{
    class SilentBoxes final : public platform::MessageBoxSink {
    public:
        int show(const std::string&, const std::string&, platform::BoxIcon) override { return 1; }
    };
    static SilentBoxes boxes;
    static platform::ScopedPlatform nullPlatform;
    static platform::FakeHostResolver resolver;
    platform::setMessageBoxSink(&boxes);
    resolver.setLocalHostAddress(0x0A000007);
    netFacilities().resolver = &resolver;
    netFacilities().makeTcpSocket = [] { return std::make_unique<platform::FakeTcpSocket>(); };
}

/** A fresh active connection on a fake socket, with its record; game phase when asked. */
inline CClientSock* freshConnection(bool gamePhase)
{
    installQuietWorld();
    ResetConnectionState();
    CClientSock* connection = CreateConnection();
    connection->Connect(0x7F000001, 2593);
    SetActiveConnection(connection);
    AddServerSession(connection, nullptr);
    if (gamePhase)
        connection->EnterGamePhase();
    return connection;
}

/** Hands the bytes to the connection in slices of `slice`, polling after each, as receives would cut them. */
inline void feed(CClientSock* connection, const uint8_t* data, size_t size, size_t slice)
{
    auto* socket = static_cast<platform::FakeTcpSocket*>(connection->Socket());
    for (size_t at = 0; at < size && socket != nullptr && connection->HasSocket(); at += slice) {
        const size_t n = size - at < slice ? size - at : slice;
        socket->pushIncoming(std::vector<uint8_t>(data + at, data + at + n));
        connection->SelectPoll();
    }
}

} // namespace netfuzz
