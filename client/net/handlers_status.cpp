/** @file Handlers of mobile status and combat: status blocks, bars, deaths, worn items, war mode, combatant, animations and following. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/effect_services.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/media_services.h"
#include "client/data/def_tables.h"
#include "client/world/object_manager.h"

#include <cstdio>
#include <cstring>

using namespace gamepackets;

namespace {

constexpr uint16_t kStatMessageHue = 368;
constexpr int32_t kSystemFont = 3;
constexpr int kDeathSong = 42;

void reportStatChange(const char* stat, int32_t old, int32_t now)
{
    if (old == -1 || old == now || StatReport == 0)
        return;
    char text[96];
    std::snprintf(text, sizeof text, "Your %s has changed by %d.  It is now %d.", stat, now - old, now);
    textServices().AddSystemMessage(kStatMessageHue, kSystemFont, text);
}

/** The three pairs of the player record, in the order hits, mana, stamina (maximum after current). */
void storePlayerPairs(StatusPairKind kind, const StatusPairs& p)
{
    CPlayerMobile* player = World().player;
    if (player == nullptr)
        return;
    auto& s = player->statusPairs;
    if (kind == StatusPairKind::All || kind == StatusPairKind::Hits) {
        s[0] = p.hits;
        s[1] = p.maxHits;
    }
    if (kind == StatusPairKind::All || kind == StatusPairKind::Mana) {
        s[2] = p.mana;
        s[3] = p.maxMana;
    }
    if (kind == StatusPairKind::All || kind == StatusPairKind::Stamina) {
        s[4] = p.stamina;
        s[5] = p.maxStamina;
    }
}

void handlePair(const uint8_t* packet, size_t length, StatusPairKind kind)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    StatusPairs p;
    if (kind == StatusPairKind::All) {
        p.maxHits = r.u16be();
        p.hits = r.u16be();
        p.maxMana = r.u16be();
        p.mana = r.u16be();
        p.maxStamina = r.u16be();
        p.stamina = r.u16be();
    } else {
        const uint16_t maximum = r.u16be();
        const uint16_t current = r.u16be();
        uint16_t& max = kind == StatusPairKind::Hits ? p.maxHits : kind == StatusPairKind::Mana ? p.maxMana : p.maxStamina;
        uint16_t& cur = kind == StatusPairKind::Hits ? p.hits : kind == StatusPairKind::Mana ? p.mana : p.stamina;
        max = maximum;
        cur = current;
    }
    if (!r.ok())
        return drop(packet, length, "short");
    CMobile* mobile = findMobile(serial);
    if (mobile == nullptr)
        return;
    if (mobile->IsPlayer() != 0)
        storePlayerPairs(kind, p);
    if (kind == StatusPairKind::All || kind == StatusPairKind::Hits)
        gameWindows().UpdateTargetMarkers(serial, p.maxHits, p.hits);
    gameWindows().UpdateStatusBar(serial, kind, p);
}

} // namespace

void HandleMobileStatus(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    StatusBlock b;
    b.serial = r.u32be();
    copyToSlot(b.name, sizeof b.name, fixedText(r, 30, sizeof b.name - 1));
    b.hits = r.u16be();
    b.maxHits = r.u16be();
    const bool rename = r.u8() != 0;
    const uint8_t kind = r.u8();
    if (kind != 0) {
        b.extra = r.u8();
        b.strength = r.u16be();
        b.dexterity = r.u16be();
        b.intelligence = r.u16be();
        b.stamina = r.u16be();
        b.maxStamina = r.u16be();
        b.mana = r.u16be();
        b.maxMana = r.u16be();
        b.gold = r.u32be();
        b.armour = r.u16be();
        b.weight = r.u16be();
    }
    if (!r.ok())
        return drop(packet, length, kind != 0 ? "shorter than its statistics" : "short");

    CDynamicObj* object = findObject(b.serial);
    if (kind != 0 && object != nullptr && object->IsPlayer() != 0) {
        CPlayerMobile* player = World().player;
        reportStatChange("strength", player->strength, b.strength);
        reportStatChange("dexterity", player->dexterity, b.dexterity);
        reportStatChange("intelligence", player->intelligence, b.intelligence);
        player->strength = b.strength;
        player->dexterity = b.dexterity;
        player->intelligence = b.intelligence;
    }
    Game().status = b;

    if (PartyMember* member = Game().party.find(b.serial))
        copyToSlot(member->name, sizeof member->name, b.name);
    if (object != nullptr)
        gameWindows().UpdateTargetMarkers(b.serial, b.maxHits, b.hits);
    else
        gameWindows().CloseAllTargetMarkers();
    gameWindows().ShowStatusBlock(b, rename);
    // The gold of a status block is its mobile's: only the player's own reaches the shop windows.
    if (kind != 0 && isPlayerSerial(b.serial))
        gameWindows().SetShopGold(static_cast<uint16_t>(b.gold));
}

void HandleMobileAttributes(const uint8_t* packet, size_t length)
{
    handlePair(packet, length, StatusPairKind::All);
}

void HandleHitsUpdate(const uint8_t* packet, size_t length)
{
    handlePair(packet, length, StatusPairKind::Hits);
}

void HandleManaUpdate(const uint8_t* packet, size_t length)
{
    handlePair(packet, length, StatusPairKind::Mana);
}

void HandleStaminaUpdate(const uint8_t* packet, size_t length)
{
    handlePair(packet, length, StatusPairKind::Stamina);
}

void HandleDeathStatus(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t value = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    GameWindowServices& windows = gameWindows();
    windows.CloseClosableGumps();
    if (value == 1) {
        windows.CloseModalMessage();
        return;
    }
    windows.CloseDragGump();
    windows.CloseModalMessage();
    windows.DeleteAllTexts();
    Game().dead = true;
    gameRender().StartDeathFade();
    musicManager().PlaySong(kDeathSong, 1, 1);
    if (PlayerInWarMode())
        RequestWarMode(0);
}

namespace {

/** The display graphic and hue of a worn item from the art remap table. */
void applyWornLook(CObj& item, uint16_t packetHue, bool setGraphic)
{
    const DefTable* art = DefTables::Get(DEF_ART);
    const uint16_t key = static_cast<uint16_t>(item.graphic + 0x4000);
    const DefEntry* entry = art != nullptr ? art->Find(key) : nullptr;
    if (setGraphic)
        item.displayGraphic = entry != nullptr ? static_cast<uint16_t>(art->PickAlternate(key, 0) - 0x4000) : item.graphic;
    item.hue = NormalizeHue(packetHue);
    item.displayHue = entry != nullptr && packetHue == 0 ? static_cast<uint16_t>(entry->number) : NormalizeHue(packetHue);
}

} // namespace

void HandleWornItem(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t itemSerial = r.u32be();
    const uint16_t graphic = static_cast<uint16_t>(r.u16be() & 0x3FFF);
    const int8_t offset = r.s8();
    const uint8_t layer = r.u8();
    const uint32_t wearerSerial = r.u32be();
    const uint16_t hue = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (layer >= kMobileLayers)
        return drop(packet, length, "layer outside the mobile's slots");
    CMobile* wearer = findMobile(wearerSerial);
    if (wearer == nullptr)
        return;
    if (itemSerial == wearerSerial)
        return drop(packet, length, "an item worn by itself");
    const bool forPlayer = wearer->IsPlayer() != 0;
    CDynamicObj* item = findObject(itemSerial);
    if (item != nullptr && item->IsMobile() != 0)
        return drop(packet, length, "a mobile cannot be worn");
    bool setGraphic = true;
    if (item != nullptr) {
        item->RemoveFromWorld();
        if (forPlayer) {
            item->SetGraphic(graphic);
            item->graphicOffset = offset;
        } else {
            setGraphic = false;
        }
    } else if (CObjectManager::IsContainerGraphic(graphic)) {
        item = new CContainerObj(itemSerial, graphic, offset, true);
    } else {
        item = NewDynamicObj(itemSerial, graphic, offset);
    }
    applyWornLook(*item, hue, setGraphic);
    wearer->RemoveFromDrawList();
    item->EquipOn(wearer, layer);
    wearer->AddToDrawList();
}

void HandleFacingTarget(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    r.u32be();
    const uint32_t serial = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    Game().faceSerial = serial;
    World().opponentSerial = serial;
}

void HandleAttackTarget(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    Game().attackTarget = findObject(serial) != nullptr ? serial : 0;
}

void HandleAttackTargetClear(const uint8_t*, size_t)
{
    Game().attackTarget = 0;
}

void HandleWarMode(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t war = r.u8();
    const uint8_t bytes[3] = {r.u8(), r.u8(), r.u8()};
    if (!r.ok())
        return drop(packet, length, "short");
    for (size_t i = 0; i < 3; ++i)
        WarModeBytes[i] = bytes[i];
    if (CPlayerMobile* player = World().player)
        player->warMode = war != 0 ? 1 : 0;
    gameWindows().WarModeChanged(war != 0);
}

void HandleCombatant(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    const uint32_t previous = Game().combatant;
    Game().combatant = serial;
    if (CDynamicObj* old = previous != 0 ? findObject(previous) : nullptr)
        old->Invalidate();
    if (serial == 0)
        return;
    if (CDynamicObj* now = findObject(serial)) {
        now->Invalidate();
        gameWindows().ShowCombatantMarker(serial);
    }
}

void HandleDeathAnimation(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint32_t corpse = r.u32be();
    const uint32_t second = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (CMobile* mobile = findMobile(serial))
        mobile->PlayDeathAnimation(corpse, second == 0 ? 1 : 0);
}

void HandleMobileAnimation(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint16_t action = r.u16be();
    const uint16_t frames = r.u16be();
    const uint16_t repeats = r.u16be();
    const uint8_t backwards = r.u8();
    const uint8_t repeat = r.u8();
    const uint8_t delay = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    if (CMobile* mobile = findMobile(serial))
        mobile->SetAnimation(action, frames, delay, repeats, backwards, repeat);
}

void HandleFollow(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t follower = r.u32be();
    const uint32_t followed = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    GameState& g = Game();
    CPlayerMobile* player = World().player;
    if (follower == 0 || followed == 0) {
        g.speakerLabel = "YOU";
        if (player != nullptr)
            player->AddOverheadMessage("No longer following.", 0, 3);
        g.following = false;
        if (player != nullptr)
            player->following = 0;
    }
    if (CDynamicObj* target = followed != 0 ? findObject(followed) : nullptr) {
        g.speakerLabel = "???";
        target->AddOverheadMessage("Now following.", 0, 3);
        g.following = true;
        if (player != nullptr) {
            player->following = 1;
            player->followedSerial = followed;
        }
    }
}
