/** @file The client packet builders. */
#include "client/net/packet_builders.h"

#include "client/core/hw_profile.h"
#include "client/net/client_sock.h"
#include "client/net/packet_buffer.h"
#include "client/net/packet_table.h"

#include <cstring>

namespace {

constexpr uint32_t kOpening = 0xEDEDEDED;

uint32_t clientAddress()
{
    return ActiveConnectionHostAddress();
}

} // namespace

void BuildCreateCharacterPacket(uint8_t* buffer, const CreateCharacterFields& f)
{
    StartPacket(buffer, PKT_CreateCharacter);
    WritePacketU32(buffer, kOpening);
    WritePacketU16(buffer, 0xFFFF);
    WritePacketU16(buffer, 0xFFFF);
    WritePacketU8(buffer, 0);
    WritePacketFixedText(buffer, f.name.c_str(), 30);
    WritePacketFixedText(buffer, f.password.c_str(), 30);
    for (uint8_t value : {f.sex, f.strength, f.dexterity, f.intelligence})
        WritePacketU8(buffer, value);
    for (int i = 0; i < 3; ++i) {
        WritePacketU8(buffer, f.skill[i]);
        WritePacketU8(buffer, f.skillValue[i]);
    }
    for (uint16_t value : {f.skinHue, f.hairItem, f.hairHue, f.facialHairItem, f.facialHairHue})
        WritePacketU16(buffer, value);
    WritePacketU8(buffer, f.startLocation);
    WritePacketU8(buffer, f.slot);
    WritePacketU16(buffer, f.shirtHue);
    WritePacketU16(buffer, f.pantsHue);
    WritePacketU32(buffer, clientAddress());
    WritePacketU16(buffer, f.pair[1]);
    WritePacketU16(buffer, f.pair[0]);
}

void BuildDisconnectPacket(uint8_t* buffer)
{
    StartPacket(buffer, PKT_Disconnect);
    WritePacketU32(buffer, 0xFFFFFFFF);
}

void BuildMoveRequestPacket(uint8_t* buffer, uint8_t direction, uint8_t sequence, uint32_t walkKey)
{
    StartPacket(buffer, PKT_MoveRequest);
    WritePacketU8(buffer, direction);
    WritePacketU8(buffer, sequence);
    WritePacketU32(buffer, walkKey);
}

namespace {
void serialPacket(uint8_t* buffer, uint8_t id, uint32_t serial)
{
    StartPacket(buffer, id);
    WritePacketU32(buffer, serial);
}
} // namespace

void BuildAttackRequestPacket(uint8_t* buffer, uint32_t serial)
{
    serialPacket(buffer, PKT_AttackRequest, serial);
}

void BuildUseObjectPacket(uint8_t* buffer, uint32_t serial)
{
    serialPacket(buffer, PKT_UseObject, serial);
}

void BuildPickUpItemPacket(uint8_t* buffer, uint32_t serial, uint16_t amount)
{
    serialPacket(buffer, PKT_PickUpItem, serial);
    WritePacketU16(buffer, amount);
}

void BuildDropItemPacket(uint8_t* buffer, uint32_t serial, uint16_t x, uint16_t y, uint8_t z, uint32_t target)
{
    serialPacket(buffer, PKT_DropItem, serial);
    WritePacketU16(buffer, x);
    WritePacketU16(buffer, y);
    WritePacketU8(buffer, z);
    WritePacketU32(buffer, target);
}

void BuildSingleClickPacket(uint8_t* buffer, uint32_t serial)
{
    serialPacket(buffer, PKT_SingleClick, serial);
}

void BuildTextCommandPacket(uint8_t* buffer, uint8_t type, const char* text, size_t length)
{
    StartPacket(buffer, PKT_TextCommand);
    WritePacketU8(buffer, type);
    size_t n = 0;
    while (text != nullptr && n < length && text[n] != 0)
        ++n;
    WritePacketBytes(buffer, text, n);
    WritePacketU8(buffer, 0);
}

void BuildEquipItemPacket(uint8_t* buffer, uint32_t item, uint8_t layer, uint32_t mobile)
{
    serialPacket(buffer, PKT_EquipItem, item);
    WritePacketU8(buffer, layer);
    WritePacketU32(buffer, mobile);
}

void BuildWalkResyncPacket(uint8_t* buffer)
{
    StartPacket(buffer, PKT_MoveAck);
    WritePacketU8(buffer, 0);
    WritePacketU8(buffer, 0);
}

void BuildDeathStatusPacket(uint8_t* buffer, uint8_t status)
{
    StartPacket(buffer, PKT_DeathStatus);
    WritePacketU8(buffer, status);
}

void BuildStatusRequestPacket(uint8_t* buffer, uint8_t type, uint32_t serial)
{
    serialPacket(buffer, PKT_StatusRequest, kOpening);
    WritePacketU8(buffer, type);
    WritePacketU32(buffer, serial);
}

void BuildSkillLockPacket(uint8_t* buffer, uint16_t skill, uint8_t lock)
{
    StartPacket(buffer, PKT_Skills);
    WritePacketU16(buffer, skill);
    WritePacketU8(buffer, lock);
}

void BuildBuyItemsPacket(uint8_t* buffer, uint32_t vendor, uint8_t flag, const std::vector<BuyItem>& items)
{
    serialPacket(buffer, PKT_BuyItems, vendor);
    WritePacketU8(buffer, flag);
    for (const BuyItem& item : items) {
        WritePacketU8(buffer, item.layer);
        WritePacketU32(buffer, item.serial);
        WritePacketU16(buffer, item.amount);
    }
}

void BuildMapCoursePacket(uint8_t* buffer, uint32_t serial, uint8_t action, uint8_t point, uint16_t x, uint16_t y)
{
    serialPacket(buffer, PKT_MapCourse, serial);
    WritePacketU8(buffer, action);
    WritePacketU8(buffer, point);
    WritePacketU16(buffer, static_cast<uint16_t>(x - 24));
    WritePacketU16(buffer, static_cast<uint16_t>(y - 31));
}

void BuildPlayCharacterPacket(uint8_t* buffer, const char* name, uint32_t slot, uint16_t installedMaps,
                              uint32_t loginCounter)
{
    serialPacket(buffer, PKT_PlayCharacter, kOpening);
    WritePacketFixedText(buffer, name, 30);
    uint8_t extra[30] = {};
    extra[5] = static_cast<uint8_t>(installedMaps);
    extra[6] = static_cast<uint8_t>(installedMaps >> 8);
    for (int i = 0; i < 4; ++i)
        extra[10 + i] = static_cast<uint8_t>(loginCounter >> (24 - 8 * i));
    WritePacketBytes(buffer, extra, sizeof extra);
    WritePacketU32(buffer, slot);
    WritePacketU32(buffer, clientAddress());
}

void BuildBookPageRequestPacket(uint8_t* buffer, uint32_t book, uint16_t page)
{
    serialPacket(buffer, PKT_BookPages, book);
    WritePacketU16(buffer, 1);
    WritePacketU16(buffer, page);
    WritePacketU16(buffer, 0xFFFF);
}

void BuildBookPagePacket(uint8_t* buffer, uint32_t book, uint16_t page, const std::vector<std::string>& lines)
{
    serialPacket(buffer, PKT_BookPages, book);
    WritePacketU16(buffer, 1);
    WritePacketU16(buffer, page);
    WritePacketU16(buffer, static_cast<uint16_t>(lines.size()));
    for (const std::string& line : lines)
        WritePacketText0(buffer, line.c_str());
}

void BuildTargetResponsePacket(uint8_t* buffer, uint8_t type, uint32_t targetId, uint8_t cursorFlag, uint32_t serial,
                               uint16_t x, uint16_t y, uint16_t z, uint16_t graphic)
{
    StartPacket(buffer, PKT_Target);
    WritePacketU8(buffer, type);
    WritePacketU32(buffer, targetId);
    WritePacketU8(buffer, cursorFlag);
    WritePacketU32(buffer, serial);
    for (uint16_t value : {x, y, z, graphic})
        WritePacketU16(buffer, value);
}

void BuildSecureTradePacket(uint8_t* buffer, uint8_t action, uint32_t first, uint32_t second, uint32_t third)
{
    StartPacket(buffer, PKT_SecureTrade);
    WritePacketU8(buffer, action);
    for (uint32_t value : {first, second, third})
        WritePacketU32(buffer, value);
    WritePacketU8(buffer, 0);
}

void BuildBulletinBoardRequestPacket(uint8_t* buffer, uint8_t subCommand, uint32_t board, uint32_t message)
{
    StartPacket(buffer, PKT_BulletinBoard);
    WritePacketU8(buffer, subCommand);
    WritePacketU32(buffer, board);
    WritePacketU32(buffer, message);
}

namespace {
/** A byte length (terminator included) and the text with its terminator; texts cut to 254 bytes. */
void lengthPrefixedText(uint8_t* buffer, const std::string& text)
{
    const size_t length = text.size() < 254 ? text.size() : 254;
    WritePacketU8(buffer, static_cast<uint8_t>(length + 1));
    WritePacketBytes(buffer, text.data(), length);
    WritePacketU8(buffer, 0);
}
} // namespace

void BuildBulletinBoardPostPacket(uint8_t* buffer, uint8_t subCommand, uint32_t board, uint32_t replyTo,
                                  const std::string& subject, const std::vector<std::string>& lines)
{
    BuildBulletinBoardRequestPacket(buffer, subCommand, board, replyTo);
    lengthPrefixedText(buffer, subject);
    WritePacketU8(buffer, static_cast<uint8_t>(lines.size()));
    for (const std::string& line : lines)
        lengthPrefixedText(buffer, line);
}

void BuildWarModePacket(uint8_t* buffer, uint8_t war, uint8_t b1, uint8_t b2, uint8_t b3)
{
    StartPacket(buffer, PKT_WarMode);
    for (uint8_t value : {war, b1, b2, b3})
        WritePacketU8(buffer, value);
}

void BuildPingPacket(uint8_t* buffer, uint8_t sequence)
{
    StartPacket(buffer, PKT_Ping);
    WritePacketU8(buffer, sequence);
}

void BuildRenameMobilePacket(uint8_t* buffer, uint32_t serial, const char* name)
{
    serialPacket(buffer, PKT_RenameMobile, serial);
    WritePacketFixedText(buffer, name, 30);
}

void BuildMenuChoicePacket(uint8_t* buffer, uint32_t serial, uint16_t menuId, uint16_t index, uint16_t graphic,
                           uint16_t hue)
{
    serialPacket(buffer, PKT_MenuChoice, serial);
    for (uint16_t value : {menuId, index, graphic, hue})
        WritePacketU16(buffer, value);
}

void BuildAccountLoginPacket(uint8_t* buffer, const char* account, const char* password, uint8_t flag)
{
    StartPacket(buffer, PKT_AccountLogin);
    WritePacketFixedText(buffer, account, 30);
    WritePacketFixedText(buffer, password, 30);
    WritePacketU8(buffer, flag);
}

void BuildDeleteCharacterPacket(uint8_t* buffer, uint32_t slot, const char* password)
{
    StartPacket(buffer, PKT_DeleteCharacter);
    WritePacketFixedText(buffer, password, 30);
    WritePacketU32(buffer, slot);
    WritePacketU32(buffer, clientAddress());
}

void BuildBookHeaderPacket(uint8_t* buffer, uint32_t book, const char* title, const char* author)
{
    serialPacket(buffer, PKT_BookHeader, book);
    WritePacketU8(buffer, 0);
    WritePacketU8(buffer, 0);
    WritePacketU16(buffer, 0);
    WritePacketFixedText(buffer, title, 60);
    WritePacketFixedText(buffer, author, 30);
}

void BuildHueChoicePacket(uint8_t* buffer, uint32_t serial, uint16_t value, uint16_t hue)
{
    serialPacket(buffer, PKT_HuePicker, serial);
    WritePacketU16(buffer, value);
    WritePacketU16(buffer, hue);
}

void BuildNameRequestPacket(uint8_t* buffer, uint32_t serial)
{
    serialPacket(buffer, PKT_MobileName, serial);
}

void BuildPromptReplyPacket(uint8_t* buffer, uint32_t serial, uint32_t promptId, uint32_t type, const char* text)
{
    serialPacket(buffer, PKT_Prompt, serial);
    WritePacketU32(buffer, promptId);
    WritePacketU32(buffer, type);
    WritePacketText0(buffer, text);
}

void BuildHelpRequestPacket(uint8_t* buffer, uint8_t type, const char* text)
{
    StartPacket(buffer, PKT_HelpRequest);
    WritePacketU8(buffer, type);
    WritePacketFixedText(buffer, text, 256);
}

void BuildSellItemsPacket(uint8_t* buffer, uint32_t vendor, const std::vector<SellItem>& items)
{
    serialPacket(buffer, PKT_SellItems, vendor);
    WritePacketU16(buffer, static_cast<uint16_t>(items.size()));
    for (const SellItem& item : items) {
        WritePacketU32(buffer, item.serial);
        WritePacketU16(buffer, item.amount);
    }
}

void BuildSelectServerPacket(uint8_t* buffer, uint16_t index)
{
    StartPacket(buffer, PKT_SelectServer);
    WritePacketU16(buffer, index);
}

void BuildHardwareSurveyPacket(uint8_t* buffer, const HWProfile& p)
{
    StartPacket(buffer, PKT_HardwareSurvey);
    WritePacketU8(buffer, p.processorType);
    WritePacketU16(buffer, p.processorClock);
    WritePacketU8(buffer, p.nProcessors);
    WritePacketBytes(buffer, p.szVideoCardDescrip1, 32);
    WritePacketBytes(buffer, p.szVideoCardDescrip2, 32);
    WritePacketBytes(buffer, p.szModemManufacturer, 32);
    WritePacketBytes(buffer, p.szModemDescrip, 32);
    WritePacketU16(buffer, p.totalRAMInMB);
    WritePacketU16(buffer, p.largestPartitionInMB);
    WritePacketU32(buffer, static_cast<uint32_t>(p.timeZoneBias));
    // The record's last two words carry nothing today.
    WritePacketU32(buffer, 0);
    WritePacketU32(buffer, 0);
}

void BuildTipRequestPacket(uint8_t* buffer, uint16_t number, uint8_t flag)
{
    StartPacket(buffer, PKT_TipRequest);
    WritePacketU16(buffer, number);
    WritePacketU8(buffer, flag);
}

void BuildStringQueryReplyPacket(uint8_t* buffer, uint32_t serial, uint16_t id, uint8_t accepted, const char* text)
{
    serialPacket(buffer, PKT_StringQueryReply, serial);
    WritePacketU16(buffer, id);
    WritePacketU8(buffer, accepted);
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    WritePacketU16(buffer, static_cast<uint16_t>(length + 1));
    WritePacketText0(buffer, text);
}

void BuildHelpTextRequestPacket(uint8_t* buffer, uint32_t serial, uint8_t flag, const char language[3])
{
    serialPacket(buffer, PKT_HelpTextRequest, serial);
    WritePacketU8(buffer, flag);
    WritePacketBytes(buffer, language, 3);
}

void BuildSerialPairPacket(uint8_t* buffer, uint32_t serial)
{
    serialPacket(buffer, PKT_SerialPair, serial);
    WritePacketU32(buffer, serial);
}

void BuildUnicodePromptReplyPacket(uint8_t* buffer, uint32_t serial, uint32_t promptId, uint32_t type,
                                   const char language[4], const char16_t* text, size_t units)
{
    serialPacket(buffer, PKT_UnicodePrompt, serial);
    WritePacketU32(buffer, promptId);
    WritePacketU32(buffer, type);
    WritePacketBytes(buffer, language, 4);
    for (size_t i = 0; i < units; ++i) {
        const uint16_t unit = text[i];
        WritePacketU16Array(buffer, &unit, 1);
    }
}

void BuildMapBlockReportPacket(uint8_t* buffer, uint32_t block, uint16_t value, const uint8_t data[196])
{
    serialPacket(buffer, PKT_MapBlockReport, block);
    WritePacketU16(buffer, value);
    WritePacketBytes(buffer, data, 196);
}

void BuildGameLoginPacket(uint8_t* buffer, uint32_t relayKey, const char* account, const char* password)
{
    serialPacket(buffer, PKT_GameLogin, relayKey);
    WritePacketFixedText(buffer, account, 30);
    WritePacketFixedText(buffer, password, 30);
}
