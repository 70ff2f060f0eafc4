/** @file A sandbox for the network tests: manual clock, recording boxes and gumps, fake sockets and resolver, clean connection state. */
#pragma once

#include "client/core/config_store.h"
#include "client/core/gump_services.h"
#include "client/net/client_sock.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_dispatch.h"
#include "client/net/server_sessions.h"
#include "platform/platform.h"
#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nettest {

/** Records the message gumps shown. */
class RecordingGumps final : public GumpManagerServices {
public:
    CGump* ShowMessageGump(const char* text, CGump*, int, int, int) override
    {
        messages.emplace_back(text != nullptr ? text : "");
        return nullptr;
    }
    std::vector<std::string> messages;
};

/**
 * Every network test starts from nothing: no connections or records, the start-up handler table,
 * a manual clock, recorded boxes and gumps, and sockets that are fakes unless a test asks for
 * real ones (the loopback tests). The local host address is 10.0.0.7.
 */
class NetTest : public ::testing::Test {
protected:
    static constexpr uint32_t kLocalAddress = 0x0A000007;

    NetTest()
    {
        ResetConnectionState();
        ResetPacketHandlers();
        ResetUnknownPacketReport();
        ResetConfigStore();
        netHooks() = NetHooks{};
        resolver.setLocalHostAddress(kLocalAddress);
        netFacilities().resolver = &resolver;
        netFacilities().makeTcpSocket = [this] {
            auto socket = std::make_unique<platform::FakeTcpSocket>();
            sockets.push_back(socket.get());
            for (platform::NetStatus answer : nextConnectAnswers)
                socket->scriptConnect({answer});
            nextConnectAnswers.clear();
            return socket;
        };
        SetGumpServices(&gumps);
    }

    ~NetTest() override
    {
        ResetConnectionState();
        ResetPacketHandlers();
        ResetNetFacilities();
        netHooks() = NetHooks{};
        SetGumpServices(nullptr);
        ResetConfigStore();
        g_bInGame = false;
    }

    /** A connected, seeded connection made the client's way and made active, with its record. */
    CClientSock* connectActive(uint32_t address = 0x7F000001, uint16_t port = 2593)
    {
        CClientSock* connection = CreateConnection();
        EXPECT_EQ(connection->Connect(address, port), 1);
        SetActiveConnection(connection);
        AddServerSession(connection, nullptr);
        return connection;
    }
    platform::FakeTcpSocket* fakeOf(CClientSock* connection)
    {
        return static_cast<platform::FakeTcpSocket*>(connection->Socket());
    }

    testsupport::ReportSandbox sandbox;
    platform::ScopedPlatform platform;
    RecordingGumps gumps;
    platform::FakeHostResolver resolver;
    std::vector<platform::FakeTcpSocket*> sockets;
    std::vector<platform::NetStatus> nextConnectAnswers;
};

} // namespace nettest
