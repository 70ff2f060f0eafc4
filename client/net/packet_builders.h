/** @file One builder per client packet: each lays out its fields in the caller's buffer with the packet buffer's writers. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct HWProfile;

// Builders only lay out fields; the caller decides when and what to send and then sends the
// buffer with SendPacket on the active connection. Fixed fields of 8-bit text are cut to their
// width and zero-padded (a text as long as the field carries no terminator). The client host
// address some packets carry is the local host address of the active connection (0 without one).
// A buffer of kMaxPacketSize bytes holds any packet.

inline constexpr size_t kMaxPacketSize = 0x10000;

/** The fields of a new character, in the order they go out. */
struct CreateCharacterFields {
    std::string name;
    std::string password;
    uint8_t sex = 0, strength = 0, dexterity = 0, intelligence = 0;
    uint8_t skill[3] = {};
    uint8_t skillValue[3] = {};
    uint16_t skinHue = 0;
    uint16_t hairItem = 0, hairHue = 0;
    uint16_t facialHairItem = 0, facialHairHue = 0;
    uint8_t startLocation = 0;
    uint8_t slot = 0;
    uint16_t shirtHue = 0, pantsHue = 0;
    /** The caller's value pair; the second element goes out first. */
    uint16_t pair[2] = {};
};

struct BuyItem {
    uint8_t layer;
    uint32_t serial;
    uint16_t amount;
};
struct SellItem {
    uint32_t serial;
    uint16_t amount;
};

void BuildCreateCharacterPacket(uint8_t* buffer, const CreateCharacterFields& fields);
void BuildDisconnectPacket(uint8_t* buffer);
void BuildMoveRequestPacket(uint8_t* buffer, uint8_t direction, uint8_t sequence, uint32_t walkKey);
void BuildAttackRequestPacket(uint8_t* buffer, uint32_t serial);
void BuildUseObjectPacket(uint8_t* buffer, uint32_t serial);
void BuildPickUpItemPacket(uint8_t* buffer, uint32_t serial, uint16_t amount);
void BuildDropItemPacket(uint8_t* buffer, uint32_t serial, uint16_t x, uint16_t y, uint8_t z, uint32_t target);
void BuildSingleClickPacket(uint8_t* buffer, uint32_t serial);
/** The first `length` bytes of text (up to its end) and a terminator. */
void BuildTextCommandPacket(uint8_t* buffer, uint8_t type, const char* text, size_t length);
void BuildEquipItemPacket(uint8_t* buffer, uint32_t item, uint8_t layer, uint32_t mobile);
void BuildWalkResyncPacket(uint8_t* buffer);
void BuildDeathStatusPacket(uint8_t* buffer, uint8_t status);
void BuildStatusRequestPacket(uint8_t* buffer, uint8_t type, uint32_t serial);
void BuildSkillLockPacket(uint8_t* buffer, uint16_t skill, uint8_t lock);
void BuildBuyItemsPacket(uint8_t* buffer, uint32_t vendor, uint8_t flag, const std::vector<BuyItem>& items);
/** x and y are gump-relative: they go out as x - 24 and y - 31. */
void BuildMapCoursePacket(uint8_t* buffer, uint32_t serial, uint8_t action, uint8_t point, uint16_t x, uint16_t y);
/** The 30-byte extra record holds the installed-maps mask (bytes 5-6, low first) and the login counter (10-13). */
void BuildPlayCharacterPacket(uint8_t* buffer, const char* name, uint32_t slot, uint16_t installedMaps,
                              uint32_t loginCounter);
void BuildBookPageRequestPacket(uint8_t* buffer, uint32_t book, uint16_t page);
void BuildBookPagePacket(uint8_t* buffer, uint32_t book, uint16_t page, const std::vector<std::string>& lines);
void BuildTargetResponsePacket(uint8_t* buffer, uint8_t type, uint32_t targetId, uint8_t cursorFlag, uint32_t serial,
                               uint16_t x, uint16_t y, uint16_t z, uint16_t graphic);
void BuildSecureTradePacket(uint8_t* buffer, uint8_t action, uint32_t first, uint32_t second, uint32_t third);
void BuildBulletinBoardRequestPacket(uint8_t* buffer, uint8_t subCommand, uint32_t board, uint32_t message);
void BuildBulletinBoardPostPacket(uint8_t* buffer, uint8_t subCommand, uint32_t board, uint32_t replyTo,
                                  const std::string& subject, const std::vector<std::string>& lines);
void BuildWarModePacket(uint8_t* buffer, uint8_t war, uint8_t b1, uint8_t b2, uint8_t b3);
void BuildPingPacket(uint8_t* buffer, uint8_t sequence);
void BuildRenameMobilePacket(uint8_t* buffer, uint32_t serial, const char* name);
void BuildMenuChoicePacket(uint8_t* buffer, uint32_t serial, uint16_t menuId, uint16_t index, uint16_t graphic,
                           uint16_t hue);
void BuildAccountLoginPacket(uint8_t* buffer, const char* account, const char* password, uint8_t flag);
void BuildDeleteCharacterPacket(uint8_t* buffer, uint32_t slot, const char* password);
void BuildBookHeaderPacket(uint8_t* buffer, uint32_t book, const char* title, const char* author);
void BuildHueChoicePacket(uint8_t* buffer, uint32_t serial, uint16_t value, uint16_t hue);
void BuildNameRequestPacket(uint8_t* buffer, uint32_t serial);
void BuildPromptReplyPacket(uint8_t* buffer, uint32_t serial, uint32_t promptId, uint32_t type, const char* text);
void BuildHelpRequestPacket(uint8_t* buffer, uint8_t type, const char* text);
void BuildSellItemsPacket(uint8_t* buffer, uint32_t vendor, const std::vector<SellItem>& items);
void BuildSelectServerPacket(uint8_t* buffer, uint16_t index);
void BuildHardwareSurveyPacket(uint8_t* buffer, const HWProfile& profile);
void BuildTipRequestPacket(uint8_t* buffer, uint16_t number, uint8_t flag);
void BuildStringQueryReplyPacket(uint8_t* buffer, uint32_t serial, uint16_t id, uint8_t accepted, const char* text);
void BuildHelpTextRequestPacket(uint8_t* buffer, uint32_t serial, uint8_t flag, const char language[3]);
void BuildSerialPairPacket(uint8_t* buffer, uint32_t serial);
/** The units go out little-endian, with no terminator. */
void BuildUnicodePromptReplyPacket(uint8_t* buffer, uint32_t serial, uint32_t promptId, uint32_t type,
                                   const char language[4], const char16_t* text, size_t units);
void BuildMapBlockReportPacket(uint8_t* buffer, uint32_t block, uint16_t value, const uint8_t data[196]);
/** The first packet of a game connection: the relay key and the account. */
void BuildGameLoginPacket(uint8_t* buffer, uint32_t relayKey, const char* account, const char* password);
