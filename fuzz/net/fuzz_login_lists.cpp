/** @file Fuzz target: the login handlers (shard and character lists, refusals, popups, the relay, notices) on a stream of packets, before any world. */
#include "fuzz/net/net_fuzz_setup.h"

#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/net/login_lists.h"
#include "platform/process/process.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0xA8, 0xA9, 0x81, 0x86, 0x82, 0x85, 0x53, 0x8C, 0x55, 0xC6, 0xA5, 0xA6};

/** Screens that answer the handlers' questions as the input's first byte says. */
class AnsweringScreens final : public LoginScreenServices {
public:
    bool characterGump = false;
    bool waitingMessage = false;
    bool CharacterGumpOpen() override { return characterGump; }
    bool ReloadOnWaitingMessage() override { return waitingMessage; }
};

AnsweringScreens& screens()
{
    static AnsweringScreens answering;
    return answering;
}

/** The handlers save numbers into kz.cfg: kept in memory, emptied after each input. */
MemoryConfigFileStore& configFiles()
{
    static MemoryConfigFileStore store;
    return store;
}

/** An install folder of the target's own for the file manager, the handlers and the screens. */
void installOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    KZReport::setStateForTests(true, false);
    netfuzz::installQuietWorld();
    const std::filesystem::path hd = std::filesystem::temp_directory_path() / "kz-fuzz-login-lists";
    std::filesystem::create_directories(hd);
    platform::current().keyStore->setString(FileManager::INSTALL_KEY, "ExePath", (hd / "client").string());
    FileManager::startup();
    SetConfigFileStore(&configFiles());
    SetLoginScreenServices(&screens());
    InstallLoginHandlers();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    installOnce();
    // Byte 0: bit 0 the connection is past the login phase; bit 1 it is a shard reconnecting (its
    // lists and relay go their own way); bit 2 the character gump is open; bit 3 a waiting message
    // is open; bit 4 automatic log-in; bit 5 an edit server is set.
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

    netfuzz::forEachSelectedPacket(data + 1, size - 1, kIds, [](const uint8_t* packet, size_t length) {
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
    configFiles().clear();
    return 0;
}
