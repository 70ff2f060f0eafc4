/** @file The game-phase handlers put into the dispatch table. */
#include "client/net/game_handlers.h"

#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"

void InstallGameHandlers()
{
    static constexpr struct {
        uint8_t id;
        PacketHandler handler;
    } kHandlers[] = {
        {PKT_MobileStatus, HandleMobileStatus},
        {PKT_MobileAttributes, HandleMobileAttributes},
        {PKT_StatBarA1, HandleHitsUpdate},
        {PKT_StatBarA2, HandleManaUpdate},
        {PKT_StatBarA3, HandleStaminaUpdate},
        {PKT_DeathStatus, HandleDeathStatus},
        {PKT_WornItem, HandleWornItem},
        {PKT_Id2F, HandleFacingTarget},
        {PKT_SetPlayerTarget, HandleAttackTarget},
        {PKT_ClearPlayerTarget, HandleAttackTargetClear},
        {PKT_WarMode, HandleWarMode},
        {PKT_CombatTarget, HandleCombatant},
        {PKT_DeathAnimation, HandleDeathAnimation},
        {PKT_MobileAnimation, HandleMobileAnimation},
        {PKT_Follow, HandleFollow},
        {PKT_ExtendedCommand, HandleExtendedCommand},
        {PKT_Id23, HandleItemMove},
        {PKT_GraphicEffect, HandleGraphicEffect},
        {PKT_HuedEffect, HandleHuedEffect},
        {PKT_ExtendedEffect, HandleParticleEffect},
        {PKT_PlaySound, HandlePlaySound},
        {PKT_PlayMusic, HandlePlayMusic},
        {PKT_PersonalLight, HandlePersonalLight},
        {PKT_Weather, HandleWeather},
        {PKT_Id5B, HandleGameTime},
        {PKT_Sequence, HandleSequence},
        {PKT_Target, HandleTargetRequest},
        {PKT_MultiPlacement, HandleMultiPlacement},
        {PKT_TargetWithPreview, HandleTargetWithPreview},
        {PKT_PickerMenu, HandlePickerMenu},
        {PKT_HuePicker, HandleHuePicker},
        {PKT_Prompt, HandlePrompt},
        {PKT_UnicodePrompt, HandleUnicodePrompt},
        {PKT_StringQuery, HandleStringQuery},
        {PKT_MobileName, HandleMobileName},
        {PKT_WalkToLocation, HandleWalkToLocation},
        {PKT_BookHeader, HandleBookHeader},
        {PKT_BookPages, HandleBookPages},
        {PKT_BulletinBoard, HandleBulletinBoard},
        {PKT_OpenPaperdoll, HandleOpenPaperdoll},
        {PKT_Id8B, HandleSignGump},
        {PKT_GenericGump, HandleGenericGump},
        {PKT_MapCourse, HandleMapCourse},
        {PKT_RegionInfo, HandleRegionInfo},
        {PKT_SecureTrade, HandleSecureTrade},
        {PKT_BuyList, HandleBuyList},
        {PKT_SellList, HandleSellList},
        {PKT_BuyItems, HandleBuyResult},
        {PKT_Skills, HandleSkills},
        {PKT_VersionedData92, HandleMultiData},
        {PKT_VersionedData94, HandleSkillData},
        {PKT_TileDataUpdate, HandleTileDataUpdate},
        {PKT_Id42, HandleArtUpdate},
        {PKT_Id3E, HandleEditData3E},
        {PKT_Id3F, HandleEditData3F},
        {PKT_Id40, HandleEditData40},
        {PKT_Id43, HandleEditData43},
        {PKT_Id44, HandleEditData44},
        {PKT_Id45, HandleEditData45},
    };
    for (const auto& entry : kHandlers)
        SetPacketHandler(entry.id, entry.handler);
}
