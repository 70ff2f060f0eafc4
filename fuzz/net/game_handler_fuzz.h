/** @file Fuzz support for the game-phase handler targets: one group of handlers at a time, over a small world of the objects that group looks up, fed a stream of server packets. */
#pragma once

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
#include <span>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KZ_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KZ_FUZZ_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace gamefuzz {

/**
 * The objects a group's handlers look up, beside the player (serial 1, at 100,100): each costs
 * its making and its release on every input, so a group asks only for what it reads.
 */
struct WorldNeeds {
    /** Mobiles 2, 3, ... next to the player. */
    uint32_t mobiles = 0;
    /** A pack (item serial 1) holding three knives (item serials 2 to 4). */
    bool pack = false;
    /** A map item (item serial 8). */
    bool mapItem = false;
    /** The player and mobile 2 as the party's first two members. */
    bool party = false;
};

/** Takes every answer and keeps none. */
class NullConnection final : public CPacketSink {
public:
    bool SendPacket(const uint8_t*, size_t) override { return true; }
    bool PastLoginPhase() const override { return true; }
};

inline void loadTileData()
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

inline void setUpWorld(const WorldNeeds& needs)
{
    CObjectManager::CreatePlayer(1, 400)->PlaceAt(100, 100, 0);
    for (uint32_t serial = 2; serial < 2 + needs.mobiles; ++serial) {
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
    if (needs.pack) {
        CObjectManager::HandleMove(pack);
        for (uint32_t i = 0; i < 3; ++i) {
            ContainerItemRecord item;
            item.serial = kItemSerialBit | (2 + i);
            item.graphic = 0x0EC4;
            item.container = pack.serial;
            CObjectManager::HandleContainerItem(item);
        }
    }
    if (needs.mapItem) {
        ObjectRecord map = pack;
        map.serial = kItemSerialBit | 8;
        map.graphic = 0x14EB;
        CObjectManager::HandleMove(map);
    }
    ResetGameState();
    if (needs.party) {
        Game().party.members[0].serial = 1;
        Game().party.members[1].serial = 2;
    }
}

/**
 * One buffer for every packet, poisoned but for the packet being handled: a read past either end
 * of a packet, or through a pointer kept after its handler, is caught as with a copy of its own,
 * without an allocation for each packet.
 */
class PacketBuffer {
public:
    /** Past any packet: a variable length is a 16-bit word. */
    static constexpr size_t kSize = 0x10000;

    PacketBuffer() { poison(kSize); }
    const uint8_t* hold(const uint8_t* data, size_t length)
    {
        unpoison(length);
        std::copy(data, data + length, bytes_.get());
        return bytes_.get();
    }
    void release(size_t length) { poison(length); }

private:
    void poison(size_t n)
    {
#if defined(__SANITIZE_ADDRESS__) || defined(KZ_FUZZ_ASAN)
        ASAN_POISON_MEMORY_REGION(bytes_.get(), n);
#else
        (void)n;
#endif
    }
    void unpoison(size_t n)
    {
#if defined(__SANITIZE_ADDRESS__) || defined(KZ_FUZZ_ASAN)
        ASAN_UNPOISON_MEMORY_REGION(bytes_.get(), n);
#else
        (void)n;
#endif
    }

    std::unique_ptr<uint8_t[]> bytes_ = std::make_unique<uint8_t[]>(kSize);
};

/** Whether the grid lists anything or a statics block is loaded. */
inline bool anythingLoaded()
{
    static const std::array<CDrawItem*, DrawMapThingie::kCells> empty{};
    const auto& loaded = MapView::LoadedBlocks();
    return std::memcmp(DrawMapThingie::table.data(), empty.data(), sizeof empty) != 0 ||
           std::any_of(loaded.begin(), loaded.end(), [](int32_t id) { return id != -1; });
}

/**
 * Packets back to back through the handlers of the group's ids: the id, then for a variable id its
 * big-endian length; a packet is cut at the input's end, as a damaged stream would give it.
 * Ids outside the group are passed over by their length.
 */
inline int run(const uint8_t* data, size_t size, std::span<const uint8_t> group, const WorldNeeds& needs)
{
    static NullConnection connection;
    static PacketBuffer buffer;
    static const bool once = [&group] {
        // Reports are made but not written: a log line per damaged record would cost more than the reading.
        KZReport::setStateForTests(true, false);
        // The game's own table, cut down to the group.
        ResetPacketHandlers();
        InstallGameHandlers();
        std::array<PacketHandler, 256> kept{};
        for (const uint8_t id : group)
            kept[id] = GetPacketHandler(id);
        ResetPacketHandlers();
        for (const uint8_t id : group)
            SetPacketHandler(id, kept[id]);
        // Tile data is written only by the edit packets, which are refused here: it is read once.
        loadTileData();
        World().clock = [] { return 1000u; };
        World().random = [] { return 7u; };
        DrawMapThingie::Clear();
        return true;
    }();
    (void)once;
    // The edit packets are read and checked, never written: no data files are open here.
    EditServerAddress = 0;
    MapManager::SetMap(0);
    MapManager::CenterX = 100;
    MapManager::CenterY = 100;
    SetMainConnection(&connection);
    setUpWorld(needs);

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
        if (const PacketHandler handler = GetPacketHandler(id)) {
            handler(buffer.hold(data + at, length), length);
            buffer.release(length);
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
    SetMainConnection(nullptr);
    ResetGameState();
    g_bTargetMode = false;
    return 0;
}

} // namespace gamefuzz
