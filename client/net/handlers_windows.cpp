/** @file Handlers of books, bulletin boards, paperdolls, signs, server-described gumps, map courses and region descriptions. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/effect_services.h"
#include "client/core/gump_services.h"

#include "client/world/object_manager.h"

#include <vector>

using namespace gamepackets;

namespace {

/** The most pages a page packet can carry (each page takes at least its number and line count). */
constexpr uint16_t kMaxBookPages = (0xFFFF - 9) / 4;
constexpr size_t kBookLines = 20;
constexpr size_t kLineChars = 79;
constexpr size_t kBoardLines = 80;

/** A byte length and that many bytes of text (terminated within or not), cut to keep characters. */
std::string shortText(ByteReader& r, size_t keep)
{
    const uint8_t n = r.u8();
    return fixedText(r, n, keep);
}

void readBoardHead(ByteReader& r, BoardMessage& m)
{
    m.poster = shortText(r, 31);
    m.subject = shortText(r, 79);
    m.time = shortText(r, 79);
}

} // namespace

void HandleBookHeader(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const bool writable = r.u8() != 0;
    const uint8_t flag = r.u8();
    uint16_t pages = r.u16be();
    const std::string title = fixedText(r, 60, 59);
    const std::string author = fixedText(r, 30, 29);
    if (!r.ok())
        return drop(packet, length, "short");
    if (findObject(serial) == nullptr)
        return;
    if (pages > kMaxBookPages)
        pages = kMaxBookPages;
    gameWindows().ShowBookHeader(serial, title, author, pages, writable, flag);
}

void HandleBookPages(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint16_t pages = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (findObject(serial) == nullptr)
        return;
    const BookWindow book = gameWindows().FindBook(serial);
    if (!book.open)
        return;
    for (uint16_t i = 0; i < pages; ++i) {
        const int32_t page = r.u16be();
        const uint16_t count = r.u16be();
        std::vector<std::string> lines;
        for (uint16_t n = 0; n < count && r.ok(); ++n) {
            std::string line = text0(r, kLineChars);
            if (n < kBookLines)
                lines.push_back(std::move(line));
        }
        if (!r.ok())
            return drop(packet, length, "page past the packet");
        const int32_t slot = book.writable ? page - 1 : page - book.firstHeldPage;
        if (slot < 0 || slot >= book.heldPages)
            continue;
        gameWindows().SetBookPage(serial, slot, lines);
        if (!book.writable || page == book.currentPage || page == book.currentPage + 1)
            gameWindows().RedrawBook(serial);
    }
}

void HandleBulletinBoard(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t sub = r.u8();
    BoardMessage m;
    m.board = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    switch (sub) {
    case 0: {
        const std::string name = text0(r, 29);
        if (!r.ok())
            return drop(packet, length, "unterminated name");
        if (findObject(m.board) != nullptr)
            gameWindows().OpenBoard(m.board, name);
        break;
    }
    case 1: {
        m.message = r.u32be();
        m.parent = r.u32be();
        readBoardHead(r, m);
        if (!r.ok())
            return drop(packet, length, "texts past the packet");
        const CDynamicObj* board = findObject(m.board);
        if (board != nullptr && board->IsContainer() != 0 && findObject(m.message) != nullptr) {
            if (m.parent != 0 && findObject(m.parent) == nullptr)
                m.parent = 0;
            gameWindows().AddBoardMessageLine(m);
        }
        break;
    }
    case 2: {
        m.message = r.u32be();
        readBoardHead(r, m);
        m.bodyGraphic = r.u16be();
        m.bodyHue = r.u16be();
        const uint8_t pairs = r.u8();
        for (uint8_t i = 0; i < pairs && r.ok(); ++i) {
            const uint16_t graphic = r.u16be();
            m.pairs.emplace_back(graphic, r.u16be());
        }
        const uint8_t lines = r.u8();
        for (uint8_t i = 0; i < lines && r.ok(); ++i) {
            std::string line = shortText(r, kLineChars);
            if (m.lines.size() < kBoardLines)
                m.lines.push_back(std::move(line));
        }
        if (!r.ok())
            return drop(packet, length, "message past the packet");
        if (findObject(m.message) == nullptr)
            return;
        GameState& g = Game();
        m.requestSerial = g.boardRequest;
        g.boardRequestPending = false;
        gameWindows().ShowBoardMessage(m);
        break;
    }
    default: break;
    }
}

void HandleOpenPaperdoll(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const std::string title = fixedText(r, 60, 59);
    const uint8_t flags = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    const CMobile* mobile = findMobile(serial);
    if (mobile == nullptr)
        return;
    GameState& g = Game();
    if (gameWindows().OpenPaperdoll(serial, title, flags, mobile->IsPlayer() != 0, g.placePaperdollBeside) &&
        g.placePaperdollBeside)
        g.placePaperdollBeside = false;
}

void HandleSignGump(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint16_t art = r.u16be();
    const uint16_t firstLength = r.u16be();
    const std::string first = r.fixedString(firstLength);
    r.u16be();
    const std::string second = r.zeroTerminated(r.remaining());
    if (!r.ok())
        return drop(packet, length, "short or unterminated");
    gameWindows().OpenSign(serial, art, first, second);
}

void HandleGenericGump(const uint8_t* packet, size_t length)
{
    // The gump manager reads the packet whole, every count and length checked.
    gumpManager().OnServerGumpPacket(packet, length);
}

void HandleMapCourse(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint8_t action = r.u8();
    const uint8_t pin = r.u8();
    const uint16_t x = r.u16be(), y = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    auto* map = dynamic_cast<CMapObj*>(findObject(serial));
    if (map == nullptr || map->IsMapItem() == 0 || !gameWindows().CourseOpen(serial))
        return;
    if (action >= 1 && action <= 5) {
        map->EditPins(action, pin, x + 24, y + 31);
        gameWindows().RedrawCourse(serial);
    } else if (action == 7) {
        gameWindows().SetCourseEditable(serial, pin == 1);
    } else if (action == 8) {
        textServices().AddSystemMessage(0, 3, "Request to edit denied.");
    }
}

void HandleRegionInfo(const uint8_t* packet, size_t length)
{
    // The region description is read whole and not kept: the client shows nothing of it.
    ByteReader r = payload(packet, length);
    r.skip(2);
    r.fixedString(40);
    r.skip(4 + 6 * 2 + 4);
    r.fixedString(40);
    r.skip(3 * 2 + 1);
    if (!r.ok())
        drop(packet, length, "short");
}
