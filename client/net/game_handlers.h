/** @file Handlers of the game-phase server packets (status and combat, extended commands, effects, targets, windows, trade, edit data) and the client answers they own. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CDrawItem;

/** Puts every handler of this file into the dispatch table. */
void InstallGameHandlers();

// Each handler takes the packet as received (byte 0 the id) and its length, reads it through the
// bounds-checked payload reader and drops what does not fit with a log line.

// Mobile status and combat.
void HandleMobileStatus(const uint8_t* packet, size_t length);
void HandleMobileAttributes(const uint8_t* packet, size_t length);
void HandleHitsUpdate(const uint8_t* packet, size_t length);
void HandleManaUpdate(const uint8_t* packet, size_t length);
void HandleStaminaUpdate(const uint8_t* packet, size_t length);
void HandleDeathStatus(const uint8_t* packet, size_t length);
void HandleWornItem(const uint8_t* packet, size_t length);
void HandleFacingTarget(const uint8_t* packet, size_t length);
void HandleAttackTarget(const uint8_t* packet, size_t length);
void HandleAttackTargetClear(const uint8_t* packet, size_t length);
void HandleWarMode(const uint8_t* packet, size_t length);
void HandleCombatant(const uint8_t* packet, size_t length);
void HandleDeathAnimation(const uint8_t* packet, size_t length);
void HandleMobileAnimation(const uint8_t* packet, size_t length);
void HandleFollow(const uint8_t* packet, size_t length);

// The extended command and the party.
void HandleExtendedCommand(const uint8_t* packet, size_t length);

// Effects, sound and environment.
void HandleGraphicEffect(const uint8_t* packet, size_t length);
void HandleHuedEffect(const uint8_t* packet, size_t length);
/** 0x23: an item flying from a mobile or location to a mobile or location. */
void HandleItemMove(const uint8_t* packet, size_t length);
void HandleParticleEffect(const uint8_t* packet, size_t length);
void HandlePlaySound(const uint8_t* packet, size_t length);
void HandlePlayMusic(const uint8_t* packet, size_t length);
void HandlePersonalLight(const uint8_t* packet, size_t length);
void HandleWeather(const uint8_t* packet, size_t length);
void HandleGameTime(const uint8_t* packet, size_t length);
void HandleSequence(const uint8_t* packet, size_t length);

// Targets, pickers and prompts.
void HandleTargetRequest(const uint8_t* packet, size_t length);
void HandleMultiPlacement(const uint8_t* packet, size_t length);
void HandleTargetWithPreview(const uint8_t* packet, size_t length);
void HandlePickerMenu(const uint8_t* packet, size_t length);
void HandleHuePicker(const uint8_t* packet, size_t length);
void HandlePrompt(const uint8_t* packet, size_t length);
void HandleUnicodePrompt(const uint8_t* packet, size_t length);
void HandleStringQuery(const uint8_t* packet, size_t length);
void HandleMobileName(const uint8_t* packet, size_t length);
void HandleWalkToLocation(const uint8_t* packet, size_t length);

// Books, boards and server gumps.
void HandleBookHeader(const uint8_t* packet, size_t length);
void HandleBookPages(const uint8_t* packet, size_t length);
void HandleBulletinBoard(const uint8_t* packet, size_t length);
void HandleOpenPaperdoll(const uint8_t* packet, size_t length);
void HandleSignGump(const uint8_t* packet, size_t length);
void HandleGenericGump(const uint8_t* packet, size_t length);
void HandleMapCourse(const uint8_t* packet, size_t length);
void HandleRegionInfo(const uint8_t* packet, size_t length);

// Trade, shop and skills.
void HandleSecureTrade(const uint8_t* packet, size_t length);
void HandleBuyList(const uint8_t* packet, size_t length);
void HandleSellList(const uint8_t* packet, size_t length);
void HandleBuyResult(const uint8_t* packet, size_t length);
void HandleSkills(const uint8_t* packet, size_t length);

// Edit-server data.
void HandleMultiData(const uint8_t* packet, size_t length);
void HandleSkillData(const uint8_t* packet, size_t length);
void HandleTileDataUpdate(const uint8_t* packet, size_t length);
void HandleArtUpdate(const uint8_t* packet, size_t length);
void HandleEditData3E(const uint8_t* packet, size_t length);
void HandleEditData3F(const uint8_t* packet, size_t length);
void HandleEditData40(const uint8_t* packet, size_t length);
void HandleEditData43(const uint8_t* packet, size_t length);
void HandleEditData44(const uint8_t* packet, size_t length);
void HandleEditData45(const uint8_t* packet, size_t length);
/** Stands where an editing back end would take the edit packets' values; does nothing. */
void EmptyHook(uint32_t a = 0, uint32_t b = 0);

// Client answers, each sent on the main connection (nothing without one).

/** 0xBF sub-commands 9 and 10 (macro actions). */
void SendExtendedCommand9();
void SendExtendedCommand10();
void SendPartyAddMember(uint32_t serial);
void SendPartyRemoveMember(uint32_t serial);
void SendPartyMessageMember(uint32_t serial, const std::u16string& text);
void SendPartyMessageAll(const std::u16string& text);
void SendPartyLootPermission();
/** The acceptance, then the loot permission in a second packet. */
void SendPartyAcceptInvite(uint32_t inviter);
void SendPartyDeclineInvite(uint32_t inviter);
void SendPointerGumpReply(uint8_t answer);
void SendStatusBarClosed(uint32_t serial);

/** The target answer for a clicked land tile, object or static (nothing for null). */
void SendTargetResponse(const CDrawItem* clicked);
/** The cancel answer: type 0, the pending id, x = y = 0xFFFF. */
void SendTargetCancel();
