/** @file End to end over loopback: the scripted shard opens the backpack, lifts a part of a stack and takes drops back, as a server would. */
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "tests/net/login_fixture.h"

namespace {

using testsupport::ScriptedShard;
using testsupport::ShardSettings;

class ContainerShard : public nettest::LoginWorld {
protected:
    static void send(const uint8_t* packet) { MainConnection()->SendPacket(packet, PacketTableLength(packet[0])); }
    /** The world's pick-up (the item leaves the client's world) and its request on the wire. */
    static void pickUp(uint32_t serial, uint16_t amount)
    {
        CDynamicObj* o = CObjectManager::FindObject(serial);
        const uint16_t lifted = amount != 0 ? amount : o->amount;
        CObjectManager::GetObject(o, lifted);
        uint8_t packet[7];
        BuildPickUpItemPacket(packet, serial, lifted);
        send(packet);
    }
    static CObj* parentOf(uint32_t serial)
    {
        CDynamicObj* o = CObjectManager::FindObject(serial);
        return o != nullptr ? o->parent : nullptr;
    }
};

TEST_F(ContainerShard, UseOpensTheBackpackAndPickUpAndDropMoveItems)
{
    constexpr uint32_t kPack = 0x40000001, kCoins = 0x40000002, kGem = 0x40000006;
    ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    ScriptedShard shard(settings);
    ASSERT_TRUE(enterWorld(shard, [] { return CObjectManager::FindObject(kGem) != nullptr; }));
    CDynamicObj* pack = CObjectManager::FindObject(kPack);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(CObjectManager::FindObject(kCoins)->amount, 120);

    // Use: the open-container packet and the contents come again.
    uint8_t packet[14];
    static_cast<CContainerObj*>(pack)->DeleteContents();
    BuildUseObjectPacket(packet, kPack);
    send(packet);
    ASSERT_TRUE(exchange(shard, [&] { return parentOf(kGem) == pack && parentOf(kCoins) == pack; }));

    // Lifting 50 of the coins: the rest (70) stays in the backpack as a new item.
    pickUp(kCoins, 50);
    ASSERT_TRUE(exchange(shard, [&] { return shard.lifted() == kCoins && shard.contentsOf(kPack).size() == 3; }));
    const ScriptedShard::Item rest = shard.contentsOf(kPack).back();
    EXPECT_EQ(rest.amount, 70);
    ASSERT_TRUE(exchange(shard, [&] { return parentOf(rest.serial) == pack; }));
    EXPECT_EQ(CObjectManager::FindObject(rest.serial)->amount, 70);

    // Dropped on the rest: one stack of 120 again, the lifted serial gone.
    BuildDropItemPacket(packet, kCoins, rest.x, rest.y, 0, rest.serial);
    send(packet);
    ASSERT_TRUE(exchange(shard, [&] {
        CDynamicObj* joined = CObjectManager::FindObject(rest.serial);
        return joined != nullptr && joined->amount == 120;
    }));
    EXPECT_EQ(shard.item(kCoins), nullptr);

    // The gem out onto the ground and back into the backpack at a place.
    pickUp(kGem, 0);
    ASSERT_TRUE(exchange(shard, [&] { return shard.lifted() == kGem; }));
    BuildDropItemPacket(packet, kGem, 31, 24, 0, 0xFFFFFFFF);
    send(packet);
    ASSERT_TRUE(exchange(shard, [&] {
        CDynamicObj* gem = CObjectManager::FindObject(kGem);
        return gem != nullptr && gem->parent == nullptr && gem->locX == 31;
    }));
    pickUp(kGem, 0);
    ASSERT_TRUE(exchange(shard, [&] { return shard.lifted() == kGem; }));
    BuildDropItemPacket(packet, kGem, 0xFFFF, 0xFFFF, 0, kPack);
    send(packet);
    ASSERT_TRUE(exchange(shard, [&] { return parentOf(kGem) == pack; }));

    // A pick-up the shard cannot grant (nothing known by that serial) is refused.
    World().pickUpPending = true;
    BuildPickUpItemPacket(packet, 0x40009999, 1);
    send(packet);
    ASSERT_TRUE(exchange(shard, [&] { return !World().pickUpPending; }));
    EXPECT_TRUE(shard.failures().empty()) << shard.failures().front();
}

} // namespace
