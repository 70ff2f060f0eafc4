/** @file Fuzz target: the login list, relay, notice, speech and world handlers on a stream of packets, in a world with a player. */
#include "fuzz/net/net_fuzz_setup.h"

#include "client/core/config_io.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/data/map_manager.h"
#include "client/net/login_lists.h"
#include "client/net/packet_table.h"
#include "client/net/world_handlers.h"
#include "client/world/draw_item.h"
#include "client/world/map_view.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0xA8, 0xA9, 0x81, 0x86, 0x82, 0x85, 0x53, 0x8C, 0x55, 0xC6, 0xA5, 0xA6,
                        0x1A, 0x1B, 0x1C, 0x1D, 0x20, 0x21, 0x22, 0x24, 0x25, 0x28, 0x3C, 0x4F,
                        0x76, 0x77, 0x78, 0x89, 0x97, 0xAE, 0xB7, 0xB9, 0xBA, 0xBD, 0xBE, 0xC1,
                        0xC4, 0xCC};

/** The handlers save numbers into kz.cfg: kept in memory, emptied after each input. */
MemoryConfigFileStore& configFiles()
{
    static MemoryConfigFileStore store;
    return store;
}

/** An install folder of the target's own for the file manager. */
void installOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    netfuzz::installQuietWorld();
    const std::filesystem::path hd = std::filesystem::temp_directory_path() / "kz-fuzz-login-world";
    std::filesystem::create_directories(hd);
    platform::current().keyStore->setString(FileManager::INSTALL_KEY, "ExePath", (hd / "client").string());
    FileManager::startup();
    SetConfigFileStore(&configFiles());
    InstallLoginHandlers();
    InstallWorldHandlers();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    installOnce();
    netfuzz::freshConnection(true);
    ResetLoginLists();
    ResetWorldHandlerState();
    Walk::State() = WalkState{};
    MapManager::SetMap(0);
    MapManager::CenterX = 100;
    MapManager::CenterY = 100;
    DrawMapThingie::Clear();
    CObjectManager::shutdown();
    CObjectManager::CreatePlayer(1, 400)->PlaceAt(100, 100, 0);
    WorldEntered = true;

    // Each packet: a selector byte, a length byte, then that many payload bytes (cut at the input's end).
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t id = kIds[data[at] % sizeof kIds];
        size_t length = data[at + 1];
        at += 2;
        length = std::min(length, size - at);
        std::vector<uint8_t> packet{id};
        if (IsVariableLengthId(id)) {
            const size_t total = length + 3;
            packet.push_back(static_cast<uint8_t>(total >> 8));
            packet.push_back(static_cast<uint8_t>(total));
        }
        packet.insert(packet.end(), data + at, data + at + length);
        at += length;
        // Popup reason 1 without the character gump ends the client by design.
        if (id == 0x53 && packet.size() > 1 && packet[1] == 1)
            continue;
        if (PacketHandler handler = GetPacketHandler(id))
            handler(packet.data(), packet.size());
    }
    // Whatever the input made is let go before the next, as a new login lets go of the world: the
    // land and statics around the player go back to their pools (what a run keeps would have the
    // fuzzer look for leaks, and the pools grow without end).
    CObjectManager::DeleteAllButPlayer();
    MapView::ResetBlockWindow();
    CObjectManager::shutdown();
    DrawMapThingie::Clear();
    ResetConnectionState();
    ResetLoginLists();
    ResetWorldHandlerState();
    configFiles().clear();
    return 0;
}
