/** @file Fuzz target: a stream of server packets through the game-phase handlers, with a player, mobiles, a vendor's pack, a map item and a party set up. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/net/game_handlers.h"
#include "client/net/game_state.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/world/draw_item.h"
#include "client/world/map_view.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"

#include "client/data/map_manager.h"
#include "tools/formats/world_formats.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

/** Takes every answer and keeps none. */
class NullConnection final : public CPacketSink {
public:
    bool SendPacket(const uint8_t*, size_t) override { return true; }
    bool PastLoginPhase() const override { return true; }
};

void loadTileData()
{
    static const formats::Bytes image = [] {
        formats::TileDataWriter t;
        t.item(0x0E75, {.flags = 0x200000, .name = "pack"});
        t.item(0x14EB, {.flags = 0x100000, .name = "map"});
        t.item(0x0EC4, {.flags = 0x400000, .name = "knife"});
        return t.bytes();
    }();
    TileData::LoadFrom(image.data(), image.size());
}

void setUpWorld()
{
    MapManager::SetMap(0);
    MapManager::CenterX = 100;
    MapManager::CenterY = 100;
    DrawMapThingie::Clear();
    World().clock = [] { return 1000u; };
    World().random = [] { return 7u; };
    CObjectManager::shutdown();
    CObjectManager::CreatePlayer(1, 400)->PlaceAt(100, 100, 0);
    for (uint32_t serial = 2; serial < 6; ++serial) {
        ObjectRecord r;
        r.serial = serial;
        r.graphic = 400;
        r.x = static_cast<uint16_t>(100 + serial);
        r.y = 100;
        CObjectManager::HandleMove(r);
    }
    ObjectRecord pack;
    pack.serial = kItemSerialBit | 1;
    pack.graphic = 0x0E75;
    pack.x = pack.y = 101;
    CObjectManager::HandleMove(pack);
    for (uint32_t i = 0; i < 3; ++i) {
        ContainerItemRecord item;
        item.serial = kItemSerialBit | (2 + i);
        item.graphic = 0x0EC4;
        item.container = pack.serial;
        CObjectManager::HandleContainerItem(item);
    }
    ObjectRecord map = pack;
    map.serial = kItemSerialBit | 8;
    map.graphic = 0x14EB;
    CObjectManager::HandleMove(map);
    ResetGameState();
    Game().party.members[0].serial = 1;
    Game().party.members[1].serial = 2;
}

/** Whether the grid lists anything or a statics block is loaded. */
bool anythingLoaded()
{
    static const std::array<CDrawItem*, DrawMapThingie::kCells> empty{};
    const auto& loaded = MapView::LoadedBlocks();
    return std::memcmp(DrawMapThingie::table.data(), empty.data(), sizeof empty) != 0 ||
           std::any_of(loaded.begin(), loaded.end(), [](int32_t id) { return id != -1; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    static NullConnection connection;
    static const bool installed = [] {
        ResetPacketHandlers();
        InstallGameHandlers();
        return true;
    }();
    (void)installed;
    // Tile data is written only by the edit packets, which are refused here: it is read once.
    static const bool tilesRead = (loadTileData(), true);
    (void)tilesRead;
    // The edit packets are read and checked, never written: no data files are open here.
    EditServerAddress = 0;
    SetMainConnection(&connection);
    setUpWorld();

    // Packets back to back: the id, then for a variable id its big-endian length; a packet is cut
    // at the input's end, as a damaged stream would give it.
    size_t at = 0;
    while (at < size) {
        const uint8_t id = data[at];
        size_t length = PacketTableLength(id);
        if (IsVariableLengthId(id))
            length = at + 2 < size ? static_cast<size_t>(data[at + 1] << 8 | data[at + 2]) : 1;
        if (length == 0)
            length = 1;
        if (length > size - at)
            length = size - at;
        const PacketHandler handler = GetPacketHandler(id);
        if (handler != nullptr) {
            auto copy = std::make_unique<uint8_t[]>(length);
            std::copy(data + at, data + at + length, copy.get());
            handler(copy.get(), length);
        }
        at += length;
    }

    PlacementPreview().Cancel();
    // The land and statics a move of the player brought in go back to their pools, as at a new login;
    // the walk over every cell of the grid that takes is skipped when nothing was brought in.
    CObjectManager::DeleteAllButPlayer();
    if (anythingLoaded())
        MapView::ResetBlockWindow();
    CObjectManager::shutdown();
    DrawMapThingie::Clear();
    World().clock = nullptr;
    World().random = nullptr;
    SetMainConnection(nullptr);
    ResetGameState();
    g_bTargetMode = false;
    return 0;
}
