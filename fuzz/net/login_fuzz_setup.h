/** @file Fuzz support for the login handler targets: screens that answer as the input says, one connection, a stream of selected packets. */
#pragma once

#include "fuzz/net/net_fuzz_setup.h"

#include "client/core/config_store.h"
#include "client/net/login_lists.h"
#include "platform/process/process.h"

#include <cstddef>
#include <cstdint>

namespace loginfuzz {

/** Screens that answer the handlers' questions as the input's first byte says. */
class AnsweringScreens final : public LoginScreenServices {
public:
    bool characterGump = false;
    bool waitingMessage = false;
    bool CharacterGumpOpen() override { return characterGump; }
    bool ReloadOnWaitingMessage() override { return waitingMessage; }
};

inline AnsweringScreens& screens()
{
    static AnsweringScreens answering;
    return answering;
}

/**
 * One input to the login handlers of `ids`, before any world. Byte 0: bit 0 the connection is past
 * the login phase; bit 1 it is a shard reconnecting (its lists and relay go their own way); bit 2
 * the character gump is open; bit 3 a waiting message is open; bit 4 automatic log-in; bit 5 an
 * edit server is set. The packets follow (see forEachSelectedPacket).
 */
template <size_t N>
void readLoginInput(const char* folder, const uint8_t* data, size_t size, const uint8_t (&ids)[N])
{
    if (size == 0)
        return;
    static const bool installed = [folder] {
        netfuzz::installClientOnce(folder);
        SetLoginScreenServices(&screens());
        InstallLoginHandlers();
        return true;
    }();
    (void)installed;
    const uint8_t flags = data[0];
    CClientSock* connection = netfuzz::keptConnection((flags & 1) != 0);
    if ((flags & 2) != 0) {
        connection->relayFlag = 1;
        FindServerSession(connection)->shardName = "Vellmoor";
    }
    screens().characterGump = (flags & 4) != 0;
    screens().waitingMessage = (flags & 8) != 0;
    autoLogIn = (flags & 16) != 0 ? 1 : 0;
    EditServerAddress = (flags & 32) != 0 ? 0x0A000001 : 0;
    DefaultChar = 0;
    ResetLoginLists();
    // A web page opens through a launcher of this input's own, which keeps its record of the start.
    platform::FakeProcessLauncher launcher;
    platform::ProcessLauncher* const processes = platform::current().processes;
    platform::current().processes = &launcher;

    netfuzz::forEachSelectedPacket(data + 1, size - 1, ids, [](const uint8_t* packet, size_t length) {
        // Popup reason 1 without the character gump ends the client by design.
        if (packet[0] == 0x53 && length > 1 && packet[1] == 1 && !screens().characterGump)
            return;
        if (PacketHandler handler = GetPacketHandler(packet[0]))
            handler(packet, length);
    });

    platform::current().processes = processes;
    ResetConnectionState();
    ResetLoginLists();
    autoLogIn = 0;
    EditServerAddress = 0;
    netfuzz::configFiles().clear();
}

} // namespace loginfuzz
