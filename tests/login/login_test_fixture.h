/** @file The login screens' test bench: the gump harness with the sample install's window art, fake sockets, recorded messages and the packets sent. */
#pragma once

#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/login/login_flow.h"
#include "client/gumps/login/login_state.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/net_facilities.h"
#include "client/net/server_sessions.h"
#include "platform/net/host_resolver.h"
#include "platform/net/tcp_socket.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/loopback_server.h"
#include "tools/sample_install/write_login_art.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace logintest {

using Bytes = std::vector<uint8_t>;

/** The message gump the tests see: a plain gump that remembers its text, owner and flags. */
class TestMessageGump : public CGump {
public:
    TestMessageGump(const char* message, CGump* messageOwner, int ok, int back)
        : text(message != nullptr ? message : ""), owner(messageOwner), okButton(ok), returnToMainMenu(back)
    {
        name = "message gump";
        x = 200;
        y = 200;
        width = 100;
        height = 40;
    }
    void ForgetGump(CGump* dying) override
    {
        if (owner == dying)
            owner = nullptr;
    }
    /** The player presses OK. */
    void Ok() { MessageGumpOkCallback(this, owner, returnToMainMenu); }

    std::string text;
    CGump* owner;
    int okButton;
    int returnToMainMenu;
};

/**
 * The harness with every window art of the login screens (drawn by the sample install's writer),
 * fixed-width fonts, the profession and city texts, fake sockets whose connects answer from a
 * script, and message gumps that are recorded. Packets go to the harness's sink until a login
 * connects; then they are read back from the fake socket through the login keystream.
 */
class LoginScreensTest : public ::testing::Test {
protected:
    static constexpr uint32_t kLocalAddress = 0x0A000007;

    void SetUp() override
    {
        ResetLoginState();
        ResetConnectionState();
        sampleinstall::drawLoginScreenArt([this](uint32_t id, uint32_t w, uint32_t h, const std::vector<uint16_t>& px) {
            testsupport::TestImage image;
            image.width = static_cast<int>(w);
            image.height = static_cast<int>(h);
            image.pixels = px;
            harness.addGumpArt(static_cast<int>(id), image);
        });
        harness.addCursorArt(8, 8, 0, 0);
        harness.useFixedWidthFonts(6, 10, 10);
        harness.addGumpTexts("professn", {u"Free choice.", u"", u"Fighter.", u"Warrior.", u"Archer.", u"Mage."});
        harness.addGumpTexts("citytext", {u"Viz text.", u".END", u"Kovaru text.", u".END", u"Dizivud one.",
                                          u"Dizivud two.", u".END", u"Roverozi text.", u".END"});
        harness.start();
        resolver.setLocalHostAddress(kLocalAddress);
        netFacilities().resolver = &resolver;
        netFacilities().makeTcpSocket = [this] {
            auto socket = std::make_unique<platform::FakeTcpSocket>();
            if (refuseConnects)
                socket->scriptConnect({platform::NetStatus::Error});
            return socket;
        };
        LoginServers.count = 1;
        LoginServers.current = 0;
        LoginServers.entries[0].address = 0x7F000001;
        LoginServers.entries[0].port = 2593;
        InstallLoginScreens();
        CGumpManager::SetMessageGumpFactory([this](const char* text, CGump* owner, int ok, int flag, int) {
            messages.emplace_back(text);
            auto* gump = new TestMessageGump(text, owner, ok, flag);
            lastMessage = gump;
            return gump;
        });
    }

    void TearDown() override
    {
        CGumpManager::SetMessageGumpFactory(nullptr);
        SetLoginScreenServices(nullptr);
        ResetConnectionState();
        ResetNetFacilities();
        ResetLoginState();
    }

    /** A login connection already made (the shard and character screens come after the login). */
    void connect()
    {
        CClientSock* connection = CreateConnection();
        ASSERT_EQ(connection->Connect(0x7F000001, 2593), 1);
        SetActiveConnection(connection);
        AddServerSession(connection, nullptr);
    }

    /** Every packet sent so far: the harness's sink, then what the fake sockets carried after their seeds. */
    std::vector<Bytes> sent()
    {
        std::vector<Bytes> out = harness.packets().packets;
        PollServerSessions();
        CClientSock* active = ActiveConnection();
        auto* socket = active != nullptr ? static_cast<platform::FakeTcpSocket*>(active->Socket()) : nullptr;
        if (socket != nullptr && socket->sent().size() > 4) {
            Bytes bytes(socket->sent().begin() + 4, socket->sent().end());
            testsupport::LoginKeystream(kLocalAddress).apply(bytes.data(), bytes.size());
            size_t at = 0;
            while (at < bytes.size()) {
                const long length = testsupport::PacketLengthAt(bytes.data() + at, bytes.size() - at);
                if (length <= 0 || at + static_cast<size_t>(length) > bytes.size())
                    break;
                out.emplace_back(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + length);
                at += static_cast<size_t>(length);
            }
        }
        return out;
    }
    /** The packets sent with this id. */
    std::vector<Bytes> sentWithId(uint8_t id)
    {
        std::vector<Bytes> out;
        for (Bytes& packet : sent())
            if (!packet.empty() && packet[0] == id)
                out.push_back(packet);
        return out;
    }
    std::string kzCfg() { return harness.sandbox().read("hd/kz.cfg"); }
    /** A fixed text field of a packet, up to its first zero. */
    static std::string field(const Bytes& packet, size_t at, size_t width)
    {
        std::string text(packet.begin() + static_cast<long>(at), packet.begin() + static_cast<long>(at + width));
        return text.substr(0, text.find('\0'));
    }

    testsupport::GumpHarness harness;
    testsupport::GumpEventDriver driver{harness};
    testsupport::ScopedUnicodeFonts unicodeFonts{6, 10, 6};
    platform::FakeHostResolver resolver;
    bool refuseConnects = false;
    std::vector<std::string> messages;
    TestMessageGump* lastMessage = nullptr;
};

} // namespace logintest
