/** @file Handlers of secure trading, vendor buy and sell lists, purchase results and the skill list. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/player_files.h"
#include "client/data/def_tables.h"
#include "client/net/packet_builders.h"
#include "client/world/object_manager.h"

#include <vector>

using namespace gamepackets;

namespace {

constexpr size_t kSkillNameChars = 79;
constexpr size_t kSkillListEntries = 50;

void sendTradeCancel(uint32_t firstContainer)
{
    uint8_t buffer[32];
    BuildSecureTradePacket(buffer, 1, firstContainer, 0, 0);
    sendBuilt(buffer);
}

CContainerObj* findContainer(uint32_t serial)
{
    return dynamic_cast<CContainerObj*>(findObject(serial));
}

} // namespace

void HandleSecureTrade(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t action = r.u8();
    const uint32_t serial = r.u32be();
    const uint32_t first = r.u32be();
    const uint32_t second = r.u32be();
    const bool hasName = r.u8() != 0;
    if (!r.ok())
        return drop(packet, length, "short");
    switch (action) {
    case 0: {
        const std::string name = hasName ? text0(r, 29) : std::string();
        if (!r.ok())
            return drop(packet, length, "unterminated name");
        if (findMobile(serial) == nullptr)
            return;
        if (IsSerialIgnored(serial)) {
            sendTradeCancel(first);
            return;
        }
        gameWindows().OpenTrade(serial, first, second, name);
        break;
    }
    case 1:
        if (findContainer(serial) != nullptr)
            gameWindows().CloseTrade(serial);
        break;
    case 2:
        if (findContainer(serial) != nullptr)
            gameWindows().UpdateTrade(serial, first != 0, second != 0);
        break;
    default: break;
    }
}

void HandleBuyList(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint8_t count = r.u8();
    std::vector<std::pair<uint32_t, std::string>> entries;
    for (uint8_t i = 0; i < count && r.ok(); ++i) {
        const uint32_t price = r.u32be();
        const uint8_t n = r.u8();
        // The last byte of each text is its terminator, whatever the server put there.
        std::string text = r.fixedString(n);
        if (n > 0 && text.size() > static_cast<size_t>(n - 1))
            text.resize(n - 1u);
        entries.emplace_back(price, std::move(text));
    }
    if (!r.ok())
        return drop(packet, length, "entries past the packet");
    CContainerObj* container = serial != 0 ? findContainer(serial) : nullptr;
    if (container == nullptr)
        return;
    for (CObj* o = container->contents.head; o != nullptr; o = o->worldLinks.next)
        if (auto* item = dynamic_cast<CDynamicObj*>(o)) {
            item->price = 0;
            item->priceText.clear();
        }
    size_t i = 0;
    for (CObj* o = container->contents.head; o != nullptr && i < entries.size(); o = o->worldLinks.next, ++i)
        if (auto* item = dynamic_cast<CDynamicObj*>(o)) {
            item->price = entries[i].first;
            item->priceText = entries[i].second;
        }
}

void HandleSellList(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t vendor = r.u32be();
    const uint16_t count = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (vendor == 0 || count == 0)
        return;
    std::vector<SellRecord> records;
    const DefTable* art = DefTables::Get(DEF_ART);
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        SellRecord s;
        s.serial = r.u32be();
        s.graphic = r.u16be();
        s.hue = r.u16be();
        s.amount = r.u16be();
        s.price = r.u16be();
        const uint16_t n = r.u16be();
        s.name = r.fixedString(n);
        const uint16_t key = static_cast<uint16_t>(s.graphic + 0x4000);
        if (const DefEntry* entry = art != nullptr ? art->Find(key) : nullptr) {
            if (s.hue == 0)
                s.hue = static_cast<uint16_t>(entry->number);
            s.graphic = static_cast<uint16_t>(art->PickAlternate(key, 0) - 0x4000);
        }
        records.push_back(std::move(s));
    }
    if (!r.ok())
        return drop(packet, length, "entries past the packet");
    if (findMobile(vendor) != nullptr)
        gameWindows().OpenSellWindow(vendor, records);
}

void HandleBuyResult(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t vendor = r.u32be();
    const uint8_t flag = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    if (findObject(vendor) == nullptr)
        return;
    if (flag == 1) {
        gameWindows().ShopPurchaseAccepted(vendor);
    } else if (flag == 0) {
        GameState& g = Game();
        const bool before = g.serverClosingShop;
        g.serverClosingShop = true;
        gameWindows().CloseShops(vendor);
        g.serverClosingShop = before;
    }
}

void HandleSkills(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t kind = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    SkillTables& skills = Game().skills;
    if (kind == 0xFE) {
        const uint16_t count = r.u16be();
        std::vector<SkillName> names;
        for (uint16_t i = 0; i < count && r.ok(); ++i) {
            SkillName name;
            name.used = r.u8();
            const uint8_t n = r.u8();
            copyToSlot(name.name, sizeof name.name, fixedText(r, n, kSkillNameChars));
            if (names.size() < SkillTables::kSkills)
                names.push_back(name);
        }
        if (!r.ok())
            return drop(packet, length, "names past the packet");
        for (size_t i = 0; i < names.size(); ++i)
            skills.names[i] = names[i];
        skills.nameCount = names.size();
        return;
    }
    if (kind == 0xFF) {
        const uint16_t index = r.u16be();
        SkillValue v;
        v.value = r.u16be();
        v.base = r.u16be();
        v.lock = r.u8();
        if (!r.ok())
            return drop(packet, length, "short");
        if (index >= SkillTables::kSkills)
            return drop(packet, length, "skill index outside the table");
        gameWindows().ReportSkillChange(index, v.value);
        skills.values[index] = v;
        gameWindows().SkillRowChanged(index);
        return;
    }
    std::vector<std::pair<size_t, SkillValue>> rows;
    for (size_t i = 0; i < kSkillListEntries && r.remaining() >= 7; ++i) {
        const uint16_t number = r.u16be();
        if (number == 0)
            break;
        SkillValue v;
        v.value = r.u16be();
        v.base = r.u16be();
        v.lock = r.u8();
        if (number <= SkillTables::kSkills)
            rows.emplace_back(number - 1u, v);
    }
    gameWindows().OpenPendingSkillWindow();
    if (kind == 1) {
        gameWindows().ShowOtherSkills(rows);
        gameWindows().SkillRowChanged(-1);
        return;
    }
    if (kind == 0) {
        skills.values = {};
        for (const auto& [index, value] : rows)
            skills.values[index] = value;
    }
    gameWindows().SkillRowChanged(-1);
}
