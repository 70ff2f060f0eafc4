/** @file Fuzz target: a stream of server packets through the mobile status and combat packets: status, attributes, the three bars, death, worn items, attack and war mode, animations and follow. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
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
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 2, .party = true});
}
