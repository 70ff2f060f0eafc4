/** @file Handlers of the edit-server data packets: multi layouts, skill texts, tile data and art written to the data files; the rest read and handed to the empty hook. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/config_store.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"

#include <vector>

using namespace gamepackets;

namespace {

bool editServer()
{
    return EditServerAddress != 0;
}

void putLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    putLe16(out, static_cast<uint16_t>(v));
    putLe16(out, static_cast<uint16_t>(v >> 16));
}

void putBytes(std::vector<uint8_t>& out, const uint8_t* bytes, size_t n)
{
    if (bytes != nullptr)
        out.insert(out.end(), bytes, bytes + n);
}

} // namespace

void EmptyHook(uint32_t, uint32_t) {}

void HandleMultiData(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t multi = r.u32be();
    const uint32_t extra = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (r.remaining() % kMultiRecordSize != 0)
        return drop(packet, length, "a part record");
    if (multi > 0x7FFFFFFF)
        return drop(packet, length, "multi id out of range");
    const size_t bytes = r.remaining();
    const std::vector<MultiRecord> records = ConvertMultiRecords(r.bytes(bytes), bytes);
    if (!editServer())
        return;
    std::vector<uint8_t> file;
    for (const MultiRecord& m : records) {
        putLe16(file, m.graphic);
        putLe16(file, static_cast<uint16_t>(m.x));
        putLe16(file, static_cast<uint16_t>(m.y));
        putLe16(file, static_cast<uint16_t>(m.z));
        putLe32(file, m.flags);
    }
    CDHDCache::AddVersionedItem(FILE_MULTIIDX, FILE_MULTI, static_cast<int32_t>(multi), static_cast<int32_t>(extra),
                                file.data(), static_cast<int32_t>(file.size()));
    EmptyHook();
}

void HandleSkillData(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t skill = r.u8();
    const uint32_t extra = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (!editServer())
        return;
    const size_t bytes = r.remaining();
    CDHDCache::AddVersionedItem(FILE_SKILLSIDX, FILE_SKILLS, skill, static_cast<int32_t>(extra), r.bytes(bytes),
                                static_cast<int32_t>(bytes));
    EmptyHook();
}

void HandleTileDataUpdate(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t group = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (!editServer())
        return;
    if (group >= 2u * TileData::kGroupsPerPart)
        return drop(packet, length, "group number outside tile data");
    const bool items = group >= static_cast<uint32_t>(TileData::kGroupsPerPart);
    std::vector<uint8_t> data;
    putLe32(data, r.u32be());
    for (int i = 0; i < 32; ++i) {
        putLe32(data, r.u32be());
        if (items) {
            putBytes(data, r.bytes(2), 2);
            putLe32(data, r.u32be());
            for (int v = 0; v < 3; ++v)
                putLe16(data, r.u16be());
            putBytes(data, r.bytes(21), 21);
        } else {
            putLe16(data, r.u16be());
            putBytes(data, r.bytes(20), 20);
        }
    }
    if (!r.ok())
        return drop(packet, length, "shorter than its 32 entries");
    if (items)
        CObjectManager::SetItemTileData(static_cast<int32_t>(group), data.data(), data.size());
    else
        CObjectManager::SetLandTileData(static_cast<int32_t>(group), data.data(), data.size());
    EmptyHook(group);
}

void HandleArtUpdate(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t id = r.u32be();
    const uint32_t extra = r.u32be();
    const uint32_t imageLength = r.u32be();
    const bool none = imageLength == 0xFFFFFFFF;
    const uint8_t* image = none ? nullptr : r.bytes(imageLength);
    if (!r.ok())
        return drop(packet, length, "image past the packet");
    if (id > 0x7FFFFFFF)
        return drop(packet, length, "art id out of range");
    if (!editServer())
        return;
    gameRender().UpdateArt(image, static_cast<int32_t>(id), none ? -1 : static_cast<int32_t>(imageLength),
                            static_cast<int32_t>(extra));
    EmptyHook();
}

void HandleEditData3E(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    r.u32be();
    uint32_t values[8];
    for (uint32_t& v : values)
        v = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (editServer())
        EmptyHook(values[0], values[1]);
}

void HandleEditData3F(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t first = r.u32be();
    const uint32_t count = r.u32be();
    r.u32be();
    if (!r.ok() || r.remaining() / 7 < count)
        return drop(packet, length, "record count past the packet");
    for (uint32_t i = 0; i < count; ++i) {
        ByteReader record = r.sub(7);
        record.u16be();
        record.skip(3);
        record.u16be();
    }
    if (editServer())
        EmptyHook(first, count);
}

void HandleEditData40(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t first = r.u32be();
    for (int i = 0; i < 64; ++i) {
        r.u16be();
        r.u8();
    }
    const uint32_t last = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (editServer())
        EmptyHook(first, last);
}

void HandleEditData43(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t first = r.u32be();
    const uint32_t second = r.u32be();
    r.skip(544);
    if (!r.ok())
        return drop(packet, length, "short");
    if (editServer())
        EmptyHook(first, second);
}

void HandleEditData44(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t first = r.u32be();
    const uint32_t second = r.u32be();
    for (int block = 0; block < 8; ++block) {
        for (int v = 0; v < 34; ++v)
            r.u16be();
        r.skip(20);
    }
    if (!r.ok())
        return drop(packet, length, "short");
    if (editServer())
        EmptyHook(first, second);
}

void HandleEditData45(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t value = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (editServer())
        EmptyHook(value);
}
