/** @file Fuzz target: a stream of object records, container items, equipment, deletions, pick-ups, ticks and world resets through the object manager. */
#include "client/core/kz_report.h"
#include "client/world/draw_item.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"

#include "client/data/map_manager.h"
#include "tools/formats/world_formats.h"

#include <cstddef>
#include <cstdint>

namespace {

/** Reads the input front to back; past its end every read is 0. */
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t u16() { return static_cast<uint16_t>(u8() | u8() << 8); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

/** A few graphics of every kind the manager tells apart, so records reach every class. */
const uint16_t kGraphics[] = {0x0E75, 3834, 11000, 4006, 0x2006, 3821, 0x0F3F, 0x14EB, 0x0A0F, 0x0DE3, 0x0CE0, 0x0EC4};

void loadTileData()
{
    static const formats::Bytes image = [] {
        formats::TileDataWriter t;
        t.item(0x0E75, {.flags = 0x200000, .name = "x"});
        t.item(3834, {.flags = 0x200000, .name = "x"});
        t.item(11000, {.flags = 0x200000, .name = "x"});
        t.item(4006, {.flags = 0x200000, .name = "x"});
        t.item(3821, {.flags = 0x800, .name = "x"});
        t.item(0x0F3F, {.flags = 0x800, .weight = 1, .name = "x"});
        t.item(0x14EB, {.flags = 0x100000, .name = "x"});
        t.item(0x0A0F, {.flags = 0x800000, .name = "x"});
        t.item(0x0DE3, {.flags = 0x1000000, .height = 3, .name = "x"});
        t.item(0x0CE0, {.flags = 0x20000, .height = 20, .name = "x"});
        return t.bytes();
    }();
    TileData::LoadFrom(image.data(), image.size());
}

/** Serials from a small space, so records meet the objects earlier ones made. */
uint32_t serialOf(uint8_t b)
{
    return (b & 0x80) != 0 ? kItemSerialBit | (b & 0x1f) : 2 + (b & 0x0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // Nothing here writes tile data: the table is read once for the whole run.
    static const bool tilesRead = (loadTileData(), true);
    (void)tilesRead;
    // The clock and the random source read one counter, set back to 0 for each input; the world
    // starts empty, as every input leaves it.
    static uint32_t now = 0;
    static const bool clockSet = [] {
        World().clock = [] { return now; };
        World().random = [] { return now * 2654435761u; };
        MapManager::SetMap(0);
        DrawMapThingie::Clear();
        return true;
    }();
    (void)clockSet;
    now = 0;
    MapManager::CenterX = 100;
    MapManager::CenterY = 100;
    CPlayerMobile* player = CObjectManager::CreatePlayer(1, 400);
    player->PlaceAt(100, 100, 0);

    Cursor in(data, size);
    while (in.more()) {
        const uint8_t op = in.u8();
        switch (op % 8) {
        case 0:
        case 1: {
            ObjectRecord r;
            r.serial = serialOf(in.u8());
            const uint8_t g = in.u8();
            r.graphic = g < 0xF0 ? kGraphics[g % std::size(kGraphics)] : static_cast<uint16_t>(0x4000 + (g & 3));
            r.graphicOffset = static_cast<int8_t>(in.u8() & 3);
            r.amount = in.u8();
            r.x = static_cast<uint16_t>(90 + in.u8() % 24);
            r.y = static_cast<uint16_t>(90 + in.u8() % 24);
            r.z = static_cast<int8_t>(in.u8());
            r.direction = in.u8();
            r.hue = in.u16();
            r.statusFlags = in.u8();
            CObjectManager::HandleMove(r);
            break;
        }
        case 2: {
            ContainerItemRecord r;
            r.serial = serialOf(in.u8());
            r.graphic = kGraphics[in.u8() % std::size(kGraphics)];
            r.amount = in.u8();
            r.x = in.u8();
            r.y = in.u8();
            r.container = (in.u8() & 0x40) != 0 ? 1 : serialOf(in.u8());
            CObjectManager::HandleContainerItem(r);
            break;
        }
        case 3: {
            CDynamicObj* item = CObjectManager::FindObject(serialOf(in.u8()));
            CDynamicObj* holder = CObjectManager::FindObject(serialOf(in.u8()));
            const int32_t layer = in.u8() % 40; // past the slots too
            if (item != nullptr && holder != nullptr && holder->IsMobile() != 0 && item != player)
                item->EquipOn(static_cast<CMobile*>(holder), layer);
            break;
        }
        case 4: CObjectManager::DeleteObject(serialOf(in.u8())); break;
        case 5: CObjectManager::GetObject(CObjectManager::FindObject(serialOf(in.u8())), in.u8()); break;
        case 6:
            now += in.u8() * 20u;
            CObjectManager::UpdateMovement();
            break;
        default:
            if ((in.u8() & 7) == 0) CObjectManager::DeleteAllButPlayer();
            break;
        }
    }
    CObjectManager::shutdown();
    DrawMapThingie::Clear();
    return 0;
}
