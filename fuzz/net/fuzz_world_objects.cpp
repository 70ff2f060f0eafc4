/** @file Fuzz target: the world's objects from the server (items, mobiles and what they wear, containers, corpses, deletes, pick-up refusals, groups, map details) on a stream of packets. */
#include "fuzz/net/world_fuzz_setup.h"

#include "client/core/config_store.h"
#include "client/world/tile_data.h"
#include "tools/formats/world_formats.h"

#include <cstddef>
#include <cstdint>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0x1A, 0x1D, 0x24, 0x25, 0x3C, 0x77, 0x78, 0x89, 0x27, 0x39, 0x90, 0xC4};

constexpr uint32_t kPack = kItemSerialBit | 1;
constexpr uint32_t kMap = kItemSerialBit | 8;
constexpr uint32_t kCorpse = kItemSerialBit | 9;

/** Tile data with a container, a map and a plain item: the kinds the objects are made as. */
void loadTileData()
{
    formats::TileDataWriter t;
    t.item(0x0E75, {.flags = 0x200000, .name = "pack"});
    t.item(0x14EB, {.flags = 0x100000, .name = "map"});
    t.item(0x0EC4, {.flags = 0x400000, .name = "knife"});
    const formats::Bytes image = t.bytes();
    TileData::LoadFrom(image.data(), image.size());
}

/**
 * Two mobiles beside the player, a pack with a knife, a map and a corpse: one of each kind the
 * packets act on (each object made costs a run more than most packets do; the packets make more).
 */
void placeObjects()
{
    worldfuzz::placeMobile(2, 102, 100);
    worldfuzz::placeMobile(3, 103, 100);
    ObjectRecord pack;
    pack.serial = kPack;
    pack.graphic = 0x0E75;
    pack.x = pack.y = 101;
    CObjectManager::HandleMove(pack);
    ContainerItemRecord knife;
    knife.serial = kItemSerialBit | 3;
    knife.graphic = 0x0EC4;
    knife.container = kPack;
    CObjectManager::HandleContainerItem(knife);
    ObjectRecord map = pack;
    map.serial = kMap;
    map.graphic = 0x14EB;
    CObjectManager::HandleMove(map);
    ObjectRecord corpse = pack;
    corpse.serial = kCorpse;
    corpse.graphic = 0x2006;
    CObjectManager::HandleMove(corpse);
}

/** A pick-up waiting for its answer: a knife taken from the pack, from mobile 2's hand, or from the ground. */
void pendingPickUp(uint8_t from)
{
    WorldState& w = World();
    w.pickUp = PickUpRecord{};
    w.pickUp.serial = kItemSerialBit | 3;
    w.pickUp.graphic = 0x0EC4;
    w.pickUp.amount = 1;
    w.pickUp.x = w.pickUp.y = 102;
    if (from == 1) {
        w.pickUp.container = kPack;
    } else if (from == 2) {
        w.pickUp.wornOn = 2;
        w.pickUp.layer = 1;
    }
    w.pickUpPending = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Tile data is never written here: it is read once.
    static const bool tilesRead = (loadTileData(), true);
    (void)tilesRead;
    // Byte 0: bits 0-1 a pick-up is waiting (1 from the pack, 2 from a hand, 3 from the ground);
    // bit 2 the packets come on the connection's own session; bit 3 incoming names are asked for.
    worldfuzz::readWorldInput("kz-fuzz-world-objects", data, size, kIds, [](CClientSock* connection, uint8_t flags) {
        placeObjects();
        if ((flags & 3) != 0)
            pendingPickUp(flags & 3);
        if ((flags & 4) != 0)
            SetCurrentServerSession(FindServerSession(connection));
        ShowIncomingNames = (flags & 8) != 0 ? 1 : 0;
    });
    return 0;
}
