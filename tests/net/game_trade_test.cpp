/** @file Trade, shop and skill packets: trade windows and the ignored partner's cancel, buy lists paired with a container's items, sell lists with the art remap, purchase results and the skill tables. */
#include "tests/net/game_handler_fixture.h"

#include "client/core/player_files.h"

namespace {

using namespace gametest;

constexpr uint32_t kVendor = 0x10, kPack = 0x40000300, kAbsent = 0x77;

class TradePackets : public GameHandlerTest {
protected:
    TradePackets()
    {
        addMobile(kVendor);
        pack = dynamic_cast<CContainerObj*>(addItem(kPack, testsupport::G_BACKPACK));
        for (uint32_t i = 0; i < 3; ++i)
            CObjectManager::HandleContainerItem(contained(0x400 + i, testsupport::G_KNIFE, kPack, 10 + 5 * static_cast<int>(i), 10));
    }
    ~TradePackets() override { IgnoreListCount = 0; }
    static Bytes buyList(std::initializer_list<std::pair<uint32_t, std::string>> entries, uint32_t container = kPack)
    {
        Pkt p(0x74);
        p.u32(container).u8(static_cast<uint32_t>(entries.size()));
        for (const auto& [price, text] : entries)
            p.u32(price).u8(static_cast<uint32_t>(text.size())).raw(text);
        return p;
    }
    /** Price and text of the container's items in list order. */
    std::vector<std::string> prices() const
    {
        std::vector<std::string> out;
        for (CObj* o = pack->contents.head; o != nullptr; o = o->worldLinks.next) {
            auto* item = dynamic_cast<CDynamicObj*>(o);
            out.push_back(std::to_string(item->price) + ":" + item->priceText);
        }
        return out;
    }
    CContainerObj* pack = nullptr;
};

TEST_F(TradePackets, TradeWindows)
{
    dispatch(Pkt(0x6F).u8(0).u32(kVendor).u32(kPack).u32(0x40000301).u8(1).text0("Trader"));
    dispatch(Pkt(0x6F).u8(2).u32(kPack).u32(1).u32(0).u8(0));
    dispatch(Pkt(0x6F).u8(1).u32(kPack).u32(0).u32(0).u8(0));
    dispatch(Pkt(0x6F).u8(1).u32(kAbsent).u32(0).u32(0).u8(0));
    dispatch(Pkt(0x6F).u8(0).u32(kAbsent).u32(kPack).u32(0).u8(0));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"trade 10 40000300 40000301 'Trader'",
                                                       "update trade 40000300 1 0", "close trade 40000300"}));
    EXPECT_TRUE(connection.sent.empty());

    // An ignored partner gets the cancel and no window.
    windows.calls.clear();
    IgnoreList[0].serial = kVendor;
    IgnoreListCount = 1;
    dispatch(Pkt(0x6F).u8(0).u32(kVendor).u32(kPack).u32(0x40000301).u8(0));
    EXPECT_TRUE(windows.calls.empty());
    ASSERT_EQ(connection.sent.size(), 1u);
    EXPECT_EQ(hex(connection.sent[0]), "6F00110140000300000000000000000000");
}

TEST_F(TradePackets, BuyListsPairEntriesWithItems)
{
    struct Case {
        const char* what;
        Bytes packet;
        std::vector<std::string> prices;
    };
    const Case cases[] = {
        {"one entry each; the text's last byte is its end", buyList({{5, "ab\x01"}, {6, ""}, {7, "c?"}}),
         {"5:ab", "6:", "7:c"}},
        {"fewer entries leave the rest without price", buyList({{9, "x\x01"}}), {"9:x", "0:", "0:"}},
        {"more entries than items price only the items", buyList({{1, "a "}, {2, "b "}, {3, "c "}, {4, "d "}}),
         {"1:a", "2:b", "3:c"}},
        {"an absent container changes nothing", buyList({{8, "z "}}, kAbsent), {"1:a", "2:b", "3:c"}},
        {"entries past the packet change nothing", Pkt(0x74).u32(kPack).u8(2).u32(8).u8(2).raw("z "), {"1:a", "2:b", "3:c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dispatch(c.packet);
        EXPECT_EQ(prices(), c.prices);
    }
}

TEST_F(TradePackets, SellListsAndBuyResults)
{
    loadDefTables({{"art.def", "16484 {16485} 33\n"}}); // graphic 100 shows as 101 with hue 33
    auto entry = [](Pkt& p, uint16_t graphic, uint16_t hue, const std::string& name) {
        p.u32(0x40000500).u16(graphic).u16(hue).u16(1).u16(10).u16(static_cast<uint32_t>(name.size())).raw(name);
    };
    Pkt sell(0x9E);
    sell.u32(kVendor).u16(3);
    entry(sell, 100, 0, "remapped");
    entry(sell, 100, 7, "own hue");
    entry(sell, 200, 0, "plain");
    dispatch(sell);
    dispatch(Pkt(0x9E).u32(kVendor).u16(0));
    dispatch(Pkt(0x9E).u32(kVendor).u16(2).u32(1).u16(1).u16(1).u16(1).u16(1).u16(0));
    dispatch(Pkt(0x3B).u32(kVendor).u8(1));
    dispatch(Pkt(0x3B).u32(kVendor).u8(0));
    dispatch(Pkt(0x3B).u32(kVendor).u8(2));
    dispatch(Pkt(0x3B).u32(kAbsent).u8(0));
    EXPECT_FALSE(Game().serverClosingShop);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"sell 10 101/33/remapped 101/7/own hue 200/0/plain",
                                                       "purchase accepted 10", "close shops 10 server 1"}));
}

TEST_F(TradePackets, SkillTables)
{
    Pkt names(0x3A);
    names.u8(0xFE).u16(2).u8(1).u8(8).field("Alchemy", 8).u8(0).u8(100).field(std::string(100, 'n'), 100);
    dispatch(names);
    EXPECT_EQ(Game().skills.nameCount, 2u);
    EXPECT_STREQ(Game().skills.names[0].name, "Alchemy");
    EXPECT_EQ(Game().skills.names[0].used, 1);
    EXPECT_EQ(std::string(Game().skills.names[1].name), std::string(79, 'n'));

    dispatch(Pkt(0x3A).u8(0xFF).u16(4).u16(500).u16(450).u8(1));
    dispatch(Pkt(0x3A).u8(0xFF).u16(50).u16(1).u16(1).u8(1)); // no row 50
    EXPECT_EQ(Game().skills.values[4].value, 500);
    EXPECT_EQ(Game().skills.values[4].base, 450);

    // Kind 0: cleared, then at most 50 entries stored by number - 1; numbers past the table ignored.
    Pkt full(0x3A);
    full.u8(0);
    for (uint32_t n = 1; n <= 51; ++n)
        full.u16(n == 3 ? 60 : n).u16(n * 10).u16(n).u8(0);
    dispatch(full);
    EXPECT_EQ(Game().skills.values[0].value, 10);
    EXPECT_EQ(Game().skills.values[2].value, 0);
    EXPECT_EQ(Game().skills.values[4].value, 50);
    EXPECT_EQ(Game().skills.values[49].value, 500);

    // Kind 1 goes to a separate window and leaves the player's own tables.
    windows.calls.clear();
    dispatch(Pkt(0x3A).u8(1).u16(5).u16(999).u16(999).u8(0).u16(0));
    EXPECT_EQ(Game().skills.values[4].value, 50);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"pending skill window", "other skills 1", "skill row -1"}));
}

TEST_F(TradePackets, MalformedPacketsChangeNothing)
{
    const Bytes samples[] = {
        Pkt(0x6F).u8(0).u32(kVendor).u32(kPack).u32(0).u8(1).text0("T"),
        Pkt(0x6F).u8(2).u32(kPack).u32(1).u32(1).u8(0),
        buyList({{5, "ab "}}),
        Pkt(0x9E).u32(kVendor).u16(1).u32(1).u16(1).u16(1).u16(1).u16(1).u16(2).raw("nm"),
        Pkt(0x3B).u32(kVendor).u8(1),
        Pkt(0x3A).u8(0xFE).u16(1).u8(1).u8(2).raw("ab"),
        Pkt(0x3A).u8(0xFF).u16(4).u16(500).u16(450).u8(1),
    };
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
    }
    EXPECT_EQ(windows.calls, std::vector<std::string>{});
    EXPECT_EQ(prices(), (std::vector<std::string>{"0:", "0:", "0:"}));
    EXPECT_EQ(Game().skills.nameCount, 0u);
    EXPECT_EQ(Game().skills.values[4].value, 0);
    dispatch(Pkt(0x3A).u8(0xFE).u16(3).u8(1).u8(2).raw("ab"));
    EXPECT_EQ(Game().skills.nameCount, 0u);
}

} // namespace
