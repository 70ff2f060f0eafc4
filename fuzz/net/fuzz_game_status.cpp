/** @file Fuzz target: a stream of server packets through the mobile status and combat packets: status, attributes, the three bars, death, worn items, attack and war mode, animations and follow. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_MobileStatus,
    PKT_MobileAttributes,
    PKT_StatBarA1,
    PKT_StatBarA2,
    PKT_StatBarA3,
    PKT_DeathStatus,
    PKT_WornItem,
    PKT_Id2F,
    PKT_SetPlayerTarget,
    PKT_ClearPlayerTarget,
    PKT_WarMode,
    PKT_CombatTarget,
    PKT_DeathAnimation,
    PKT_MobileAnimation,
    PKT_Follow,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 2, .party = true});
}
