/** @file Edit-server data packets: multi, skill, tile data and art writes only with an edit server, lengths and group numbers checked; the other edit packets read within their bytes. */
#include "tests/net/game_handler_fixture.h"

#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/world/tile_data.h"
#include "tests/support/data_fixtures.h"

#include <optional>

namespace {

using namespace gametest;

Bytes itemBytes(int32_t indexId, int32_t dataId, int32_t entry)
{
    int32_t size = 0, extra = 0;
    const uint8_t* p = CDHDCache::GetCacheItem(indexId, dataId, entry, &size, &extra);
    return p != nullptr ? Bytes(p, p + size) : Bytes{};
}

class EditPackets : public GameHandlerTest {
protected:
    EditPackets()
    {
        data.write();
        cache.emplace(dataDir.path());
    }
    ~EditPackets() override
    {
        cache.reset();
        EditServerAddress = 0;
    }
    /** A tile data group packet: the header, then 32 entries whose first field (flags) is the entry's index + base. */
    static Bytes tileGroup(uint32_t group, uint32_t base, size_t entries = 32)
    {
        Pkt p(0x41);
        p.u32(group).u32(0x11223344);
        const bool items = group >= 512;
        for (size_t i = 0; i < entries; ++i) {
            p.u32(base + static_cast<uint32_t>(i));
            if (items)
                p.u8(1).u8(2).u32(3).u16(4).u16(5).u16(6).u8(7).field("item", 20);
            else
                p.u16(0x0102).field("land", 20);
        }
        return p;
    }

    testsupport::TempDir dataDir;
    testsupport::DataInstall data{dataDir.path()};
    std::optional<testsupport::ScopedDataCache> cache;
};

TEST_F(EditPackets, NothingIsWrittenWithoutAnEditServer)
{
    const Bytes multi = Pkt(0x92).u32(0).u32(0).u16(5).u16(1).u16(2).u16(3).u32(0);
    const Bytes before = itemBytes(FILE_MULTIIDX, FILE_MULTI, 0);
    dispatch(multi);
    dispatch(Pkt(0x94).u8(0).u32(0).raw("Skill"));
    dispatch(tileGroup(511, 0x100));
    dispatch(Pkt(0x42).u32(7).u32(3).u32(0xFFFFFFFF));
    EXPECT_EQ(itemBytes(FILE_MULTIIDX, FILE_MULTI, 0), before);
    EXPECT_TRUE(itemBytes(FILE_SKILLSIDX, FILE_SKILLS, 0).empty());
    EXPECT_EQ(TileData::Land(511 * 32).flags, 0u);
    EXPECT_TRUE(effects.art.empty());
}

TEST_F(EditPackets, MultiSkillAndArtWrites)
{
    EditServerAddress = 0x7F000001;
    dispatch(Pkt(0x92).u32(0).u32(9).u16(0x1234).u16(0xFFFF).u16(2).u16(3).u32(0x01020304));
    EXPECT_EQ(hex(itemBytes(FILE_MULTIIDX, FILE_MULTI, 0)), "3412FFFF0200030004030201");
    dispatch(Pkt(0x94).u8(1).u32(0).raw("Skill"));
    EXPECT_EQ(itemBytes(FILE_SKILLSIDX, FILE_SKILLS, 1), (Bytes{'S', 'k', 'i', 'l', 'l'}));
    dispatch(Pkt(0x42).u32(7).u32(3).u32(0xFFFFFFFF));
    dispatch(Pkt(0x42).u32(8).u32(0).u32(4).u32(0xAABBCCDD));
    EXPECT_EQ(effects.art, (std::vector<std::string>{"7/-1/3", "8/4/0"}));

    // A part record, an image past the packet: refused.
    const Bytes multiBefore = itemBytes(FILE_MULTIIDX, FILE_MULTI, 0);
    dispatch(Pkt(0x92).u32(0).u32(9).u16(1).u16(1));
    dispatch(Pkt(0x42).u32(9).u32(0).u32(5).u32(0));
    EXPECT_EQ(itemBytes(FILE_MULTIIDX, FILE_MULTI, 0), multiBefore);
    EXPECT_EQ(effects.art.size(), 2u);
}

TEST_F(EditPackets, TileDataGroups)
{
    EditServerAddress = 0x7F000001;
    struct Case {
        const char* what;
        Bytes packet;
        uint32_t landFlags, itemFlags;
    };
    const Case cases[] = {
        {"group 511 holds land entries", tileGroup(511, 0x100), 0x105, 0},
        {"group 512 holds item entries", tileGroup(512, 0x200), 0x105, 0x205},
        {"a group past tile data is refused", tileGroup(1024, 0x300), 0x105, 0x205},
        {"fewer than 32 entries are refused", tileGroup(512, 0x400, 31), 0x105, 0x205},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dispatch(c.packet);
        EXPECT_EQ(TileData::Land(511 * 32 + 5).flags, c.landFlags);
        EXPECT_EQ(TileData::Land(511 * 32 + 5).textureId, c.landFlags != 0 ? 0x0102 : 0);
        EXPECT_EQ(TileData::Item(5).flags, c.itemFlags);
    }
    EXPECT_EQ(TileData::Item(5).animationId, 4);
    EXPECT_EQ(TileData::Item(5).value, 3u);
    EXPECT_STREQ(TileData::Item(5).name, "item");
}

TEST_F(EditPackets, MalformedPacketsReadNothingOutside)
{
    EditServerAddress = 0x7F000001;
    const Bytes samples[] = {
        Pkt(0x92).u32(0).u32(0).u16(5).u16(1).u16(2).u16(3).u32(0),
        Pkt(0x94).u8(0).u32(0).raw("S"),
        tileGroup(512, 1),
        Pkt(0x42).u32(7).u32(3).u32(2).u16(0),
        Pkt(0x3E).u32(0).zeros(32),
        Pkt(0x3F).u32(0).u32(2).u32(0).zeros(14),
        Pkt(0x40).u32(0).zeros(192).u32(0),
        Pkt(0x43).u32(0).u32(0).zeros(544),
        Pkt(0x44).u32(0).u32(0).zeros(8 * 88),
        Pkt(0x45).u32(1),
    };
    // (A multi or skill packet cut right after its header is a whole packet with no records.)
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
    }
    EXPECT_EQ(TileData::Item(1).flags, 0u);
    EXPECT_TRUE(effects.art.empty());
    // A record count of 0x3F past its bytes.
    dispatch(Pkt(0x3F).u32(0).u32(0x40000000).u32(0).zeros(14));
    for (const Bytes& sample : samples)
        dispatch(sample);
    EXPECT_EQ(TileData::Item(1).flags, 2u);
}

} // namespace
