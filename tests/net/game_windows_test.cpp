/** @file Book, board and server gump packets: headers and pages with their slots, boards, paperdolls, signs, server gumps, map courses and region descriptions. */
#include "tests/net/game_handler_fixture.h"

namespace {

using namespace gametest;

constexpr uint32_t kBook = 0x40000200, kBoard = 0x40000201, kMessage = 0x40000202, kMap = 0x40000203;
constexpr uint32_t kOther = 0x10, kAbsent = 0x77;

class WindowPackets : public GameHandlerTest {
protected:
    WindowPackets()
    {
        addItem(kBook, testsupport::G_KNIFE);
        addItem(kBoard, testsupport::G_BACKPACK);
        addItem(kMessage, testsupport::G_KNIFE);
        addItem(kMap, testsupport::G_MAP);
        addMobile(kOther);
    }
    /** A page packet: each page a number and its lines. */
    static Bytes pages(uint32_t book, std::initializer_list<std::pair<uint16_t, std::vector<std::string>>> list)
    {
        Pkt p(0x66);
        p.u32(book).u16(static_cast<uint32_t>(list.size()));
        for (const auto& [number, lines] : list) {
            p.u16(number).u16(static_cast<uint32_t>(lines.size()));
            for (const std::string& line : lines)
                p.text0(line);
        }
        return p;
    }
    static Pkt boardHead(uint8_t sub, uint32_t message)
    {
        return Pkt(0x71).u8(sub).u32(kBoard).u32(message);
    }
};

TEST_F(WindowPackets, BookHeaders)
{
    dispatch(Pkt(0x93).u32(kBook).u8(1).u8(2).u16(3).field("Title", 60).field(std::string(30, 'a'), 30));
    dispatch(Pkt(0x93).u32(kBook).u8(0).u8(0).u16(0xFFFF).field("T", 60).field("A", 30));
    dispatch(Pkt(0x93).u32(kAbsent).u8(0).u8(0).u16(1).field("T", 60).field("A", 30));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{
                                 "book 40000200 'Title' '" + std::string(29, 'a') + "' pages 3 writable 1 flag 2",
                                 "book 40000200 'T' 'A' pages 16381 writable 0 flag 0",
                             }));
}

TEST_F(WindowPackets, BookPagesFindTheirSlots)
{
    struct Case {
        const char* what;
        BookWindow book;
        Bytes packet;
        std::vector<std::string> calls;
    };
    const BookWindow writable{true, true, 1, 4, 2};
    const BookWindow readOnly{true, false, 5, 2, 5};
    std::vector<std::string> longPage;
    for (int i = 0; i < 22; ++i)
        longPage.push_back("l" + std::to_string(i));
    std::string wide(100, 'w');
    const Case cases[] = {
        {"writable: page - 1; redrawn only at the shown page and the next", writable,
         pages(kBook, {{1, {"a"}}, {2, {"b", "c"}}, {3, {}}, {4, {"d"}}}),
         {"page 40000200 slot 0 lines 1 |a", "page 40000200 slot 1 lines 2 |b|c", "redraw book 40000200",
          "page 40000200 slot 2 lines 0 ", "redraw book 40000200", "page 40000200 slot 3 lines 1 |d"}},
        {"read-only: page - first held page, always redrawn", readOnly, pages(kBook, {{6, {"x"}}}),
         {"page 40000200 slot 1 lines 1 |x", "redraw book 40000200"}},
        {"pages outside the held ones are skipped", writable, pages(kBook, {{0, {"z"}}, {5, {"z"}}, {2, {"ok"}}}),
         {"page 40000200 slot 1 lines 1 |ok", "redraw book 40000200"}},
        {"below the first held page", readOnly, pages(kBook, {{4, {"z"}}}), {}},
        {"more than 20 lines keep 20; long lines are cut at 79", writable, pages(kBook, {{1, longPage}, {4, {wide}}}),
         {"page 40000200 slot 0 lines 20 |l0|l1|l2|l3|l4|l5|l6|l7|l8|l9|l10|l11|l12|l13|l14|l15|l16|l17|l18|l19",
          "page 40000200 slot 3 lines 1 |" + std::string(79, 'w')}},
        {"no open book: read and skipped", BookWindow{}, pages(kBook, {{1, {"a"}}}), {}},
        {"absent book", writable, pages(kAbsent, {{1, {"a"}}}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.calls.clear();
        windows.book = c.book;
        dispatch(c.packet);
        EXPECT_EQ(windows.calls, c.calls);
    }
}

TEST_F(WindowPackets, Boards)
{
    Game().boardRequest = kMessage;
    Game().boardRequestPending = true;
    dispatch(Pkt(0x71).u8(0).u32(kBoard).text0("Town board"));
    dispatch(boardHead(1, kMessage).u32(0).u8(3).raw("Bob").u8(2).raw("Hi").u8(81).field(std::string(90, 't'), 81));
    dispatch(boardHead(1, kAbsent).u32(0).u8(1).u8(0).u8(1).u8(0).u8(1).u8(0));
    Pkt body = boardHead(2, kMessage);
    body.u8(3).raw("Bob").u8(2).raw("Hi").u8(1).raw("t").u16(0x100).u16(5).u8(2).u16(1).u16(2).u16(3).u16(4).u8(85);
    for (int i = 0; i < 85; ++i)
        body.u8(2).field("x", 2);
    dispatch(body);
    EXPECT_FALSE(Game().boardRequestPending);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{
                                 "board 40000201 'Town board'",
                                 "board line 40000201 msg 40000202 parent 0 'Bob' 'Hi' '" + std::string(79, 't') + "'",
                                 "board message 40000202 request 40000202 'Bob' body 256/5 pairs 2 lines 80",
                             }));
}

TEST_F(WindowPackets, PaperdollsSignsAndServerGumps)
{
    Game().placePaperdollBeside = true;
    dispatch(Pkt(0x88).u32(kPlayerSerial).field("Lord Hero", 60).u8(2));
    EXPECT_FALSE(Game().placePaperdollBeside);
    dispatch(Pkt(0x88).u32(kOther).field("Orc", 60).u8(0));
    dispatch(Pkt(0x88).u32(kBook).field("Not a mobile", 60).u8(0));
    dispatch(Pkt(0x8B).u32(kBook).u16(5).u16(4).raw("Inn").u8(0).u16(0).text0("Rooms"));
    const Bytes serverGump = Pkt(0xB0).u32(0x50).u32(3).u32(10).u32(20).u16(8).raw("{page 0}").u16(1).u16(2).u16('h').u16('i');
    dispatch(serverGump);
    EXPECT_EQ(messageGumps.serverGumps, std::vector<Bytes>{serverGump}); // read whole by the gump manager
    EXPECT_EQ(windows.calls, (std::vector<std::string>{
                                 "paperdoll 1 'Lord Hero' flags 2 player 1 beside 1",
                                 "paperdoll 10 'Orc' flags 0 player 0 beside 0",
                                 "sign 40000200 art 5 'Inn' 'Rooms'",
                             }));
}

TEST_F(WindowPackets, MapCourses)
{
    auto course = [](uint8_t action, uint8_t pin, uint16_t x, uint16_t y) {
        return Pkt(0x56).u32(kMap).u8(action).u8(pin).u16(x).u16(y).done();
    };
    auto* map = dynamic_cast<CMapObj*>(CObjectManager::FindObject(kMap));
    ASSERT_NE(map, nullptr);
    dispatch(course(1, 0, 10, 20));
    dispatch(course(1, 0, 30, 40));
    dispatch(course(3, 1, 50, 60));
    dispatch(course(4, 9, 0, 0)); // no such pin
    dispatch(course(6, 0, 0, 0));
    dispatch(course(7, 1, 0, 0));
    dispatch(course(8, 0, 0, 0));
    ASSERT_EQ(map->pins.size(), 2u);
    EXPECT_EQ(map->pins[0].x, 34);
    EXPECT_EQ(map->pins[0].y, 51);
    EXPECT_EQ(map->pins[1].x, 74);
    EXPECT_EQ(windows.calls.size(), 6u);
    EXPECT_EQ(windows.calls[4], "course 40000203 editable 1");
    EXPECT_EQ(windows.calls[5], "message Request to edit denied. hue 0 font 3");

    windows.courseOpen = false;
    dispatch(course(5, 0, 0, 0));
    EXPECT_EQ(map->pins.size(), 2u);
}

TEST_F(WindowPackets, MalformedPacketsChangeNothing)
{
    windows.book = BookWindow{true, true, 1, 4, 1};
    const Bytes samples[] = {
        Pkt(0x93).u32(kBook).u8(1).u8(0).u16(1).field("T", 60).field("A", 30),
        pages(kBook, {{1, {"a", "b"}}}),
        Pkt(0x71).u8(0).u32(kBoard).text0("B"),
        boardHead(1, kMessage).u32(0).u8(2).raw("B").u8(2).raw("S").u8(2).raw("T"),
        boardHead(2, kMessage).u8(1).u8(0).u8(1).u8(0).u8(1).u8(0).u16(0).u16(0).u8(1).u16(1).u16(2).u8(1).u8(1).raw("x"),
        Pkt(0x88).u32(kPlayerSerial).field("T", 60).u8(0),
        Pkt(0x8B).u32(kBook).u16(5).u16(2).raw("I").u8(0).u16(0).text0("R"),
        Pkt(0x56).u32(kMap).u8(1).u8(0).u16(0).u16(0),
        Pkt(0x57).u16(0).field("Region", 40).u32(0).zeros(12).u32(0).field("Text", 40).zeros(7),
    };
    for (const Bytes& sample : samples) {
        SCOPED_TRACE(hex(sample));
        dispatchEveryPrefix(sample);
    }
    EXPECT_EQ(windows.calls, std::vector<std::string>{});
    // Counts and lengths past the packet: page lines, board texts, the sign text.
    dispatch(Pkt(0x66).u32(kBook).u16(1).u16(1).u16(3).text0("a"));
    dispatch(boardHead(1, kMessage).u32(0).u8(40).raw("B"));
    dispatch(Pkt(0x8B).u32(kBook).u16(5).u16(90).raw("I"));
    dispatch(Pkt(0x88).u32(kPlayerSerial).field("T", 60)); // fixed length short by one
    EXPECT_EQ(windows.calls, std::vector<std::string>{});
    dispatch(Pkt(0x57).u16(0).field("Region", 40).u32(0).zeros(12).u32(0).field("Text", 40).zeros(7));
    EXPECT_EQ(windows.calls, std::vector<std::string>{});
}

} // namespace
