/** @file Handlers of target requests, placement previews, pickers, prompts, text queries, name answers and walk-to requests; the target answer. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/app.h"
#include "client/net/packet_builders.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"

#include <vector>

using namespace gamepackets;

namespace {

void enterTargetMode(uint8_t cursorType, uint32_t targetId)
{
    TargetState& t = Game().target;
    EnterTargetMode();
    t.targetId = targetId;
    t.cursorType = cursorType;
    t.answersClicks = true;
}

void sendTargetAnswer(uint8_t type, uint32_t serial, uint16_t x, uint16_t y, uint16_t z, uint16_t graphic)
{
    TargetState& t = Game().target;
    uint8_t buffer[32];
    BuildTargetResponsePacket(buffer, type, t.targetId, t.cursorFlag, serial, x, y, z, graphic);
    sendBuilt(buffer);
    CancelTargetMode();
    t.cursorFlag = 0;
    t.answersClicks = false;
}

void readPrompt(const uint8_t* packet, size_t length, bool unicode)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint32_t id = r.u32be();
    r.u32be();
    if (unicode)
        r.skip(4);
    if (!r.ok())
        return drop(packet, length, "short");
    PromptState& p = Game().prompt;
    p.active = true;
    p.unicode = unicode;
    p.serial = serial;
    p.promptId = id;
}

} // namespace

void HandleTargetRequest(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t type = r.u8();
    const uint32_t id = r.u32be();
    const uint8_t flag = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    enterTargetMode(type, id);
    Game().target.cursorFlag = flag;
}

void HandleMultiPlacement(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t type = r.u8();
    const uint32_t id = r.u32be();
    r.skip(12);
    const uint16_t multi = r.u16be();
    const int16_t dx = r.s16be(), dy = r.s16be(), dz = r.s16be();
    if (!r.ok())
        return drop(packet, length, "short");
    enterTargetMode(type, id);
    PlacementPreview().LoadMulti(multi, dx, dy, dz);
}

void HandleTargetWithPreview(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t type = r.u8();
    const uint32_t id = r.u32be();
    const int16_t dx = r.s16be(), dy = r.s16be(), dz = r.s16be();
    const uint16_t count = r.u16be();
    // Five words a record: a count the packet cannot hold is refused before anything is reserved for it.
    const size_t values = static_cast<size_t>(count) * 5;
    if (!r.has(values * 2))
        return drop(packet, length, "record count past the packet");
    std::vector<int32_t> records;
    records.reserve(values);
    for (size_t i = 0; i < values; ++i)
        records.push_back(r.u16be());
    enterTargetMode(type, id);
    PlacementPreview().LoadObjectList(count, records.data(), dx, dy, dz);
}

void HandlePickerMenu(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    PickerMenu menu;
    menu.serial = r.u32be();
    menu.menuId = r.u16be();
    const uint8_t questionLength = r.u8();
    menu.question = r.fixedString(questionLength);
    const uint8_t count = r.u8();
    for (size_t i = 0; i < count && r.ok(); ++i) {
        PickerMenu::Entry entry;
        entry.graphic = r.u16be();
        entry.hue = r.u16be();
        const uint8_t n = r.u8();
        entry.text = r.fixedString(n);
        menu.entries.push_back(std::move(entry));
    }
    if (!r.ok())
        return drop(packet, length, "entries past the packet");
    if (menu.entries.empty())
        return drop(packet, length, "a menu without entries");
    if (menu.entries[0].graphic != 0)
        gameWindows().OpenObjectPicker(menu);
    else
        gameWindows().OpenStringPicker(menu);
}

void HandleHuePicker(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint16_t value = r.u16be();
    const uint16_t graphic = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    gameWindows().OpenHuePicker(serial, value, graphic);
}

void HandlePrompt(const uint8_t* packet, size_t length)
{
    readPrompt(packet, length, false);
}

void HandleUnicodePrompt(const uint8_t* packet, size_t length)
{
    readPrompt(packet, length, true);
}

void HandleStringQuery(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    StringQuery q;
    q.serial = r.u32be();
    q.queryId = r.u16be();
    const uint16_t questionLength = r.u16be();
    q.question = r.fixedString(questionLength);
    q.buttons = r.u8();
    q.entryKind = r.u8();
    q.editLimit = r.u32be();
    r.u16be();
    q.description = r.zeroTerminated(r.remaining());
    if (!r.ok())
        return drop(packet, length, "short or unterminated");
    gameWindows().OpenStringQuery(q);
}

void HandleMobileName(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    r.u32be();
    const std::string name = r.zeroTerminated(r.remaining());
    if (!r.ok())
        return drop(packet, length, "short or unterminated");
    GameState& g = Game();
    if (g.nameRequest == 0)
        return;
    gameWindows().NameAnswered(g.nameRequest, name);
    g.nameRequest = 0;
}

void HandleWalkToLocation(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint16_t x = r.u16be(), y = r.u16be(), z = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    StartPathfindTo(x, y, static_cast<int16_t>(z));
}

void SendTargetResponse(const CDrawItem* clicked)
{
    if (clicked == nullptr)
        return;
    TargetState& t = Game().target;
    const auto x = static_cast<uint16_t>(clicked->locX), y = static_cast<uint16_t>(clicked->locY),
               z = static_cast<uint16_t>(clicked->z);
    if (clicked->IsLand() != 0) {
        t.lastKind = LastTargetKind::Location;
        t.lastSerial = 0;
        t.lastX = clicked->locX, t.lastY = clicked->locY, t.lastZ = clicked->z;
        return sendTargetAnswer(1, 0, x, y, z, 0);
    }
    const auto* object = dynamic_cast<const CObj*>(clicked);
    if (object == nullptr)
        return;
    const auto* dynamic = dynamic_cast<const CDynamicObj*>(object);
    if (dynamic != nullptr && dynamic->serial != 0) {
        if (dynamic->IsPlayer() == 0) {
            if (dynamic->IsMobile() != 0 && dynamic->serial != t.lastSerial)
                gameWindows().ShowLastTargetMarker(dynamic->serial);
            t.lastKind = LastTargetKind::Object;
            t.lastSerial = dynamic->serial;
            t.lastX = clicked->locX, t.lastY = clicked->locY, t.lastZ = clicked->z;
            t.lastGraphic = dynamic->graphic;
        }
        return sendTargetAnswer(0, dynamic->serial, x, y, z, dynamic->graphic);
    }
    t.lastKind = LastTargetKind::StaticTile;
    t.lastSerial = 0;
    t.lastX = clicked->locX, t.lastY = clicked->locY, t.lastZ = clicked->z;
    t.lastGraphic = object->graphic;
    sendTargetAnswer(1, 0, x, y, z, object->graphic);
}

void SendTargetCancel()
{
    TargetState& t = Game().target;
    uint8_t buffer[32];
    BuildTargetResponsePacket(buffer, 0, t.targetId, t.cursorFlag, 0, 0xFFFF, 0xFFFF, 0, 0);
    sendBuilt(buffer);
    CancelTargetMode();
    t.cursorFlag = 0;
    t.answersClicks = false;
    Game().nameRequest = 0;
}
