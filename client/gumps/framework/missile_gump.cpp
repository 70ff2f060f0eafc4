/** @file The effect gump: each graphic effect lives in the top-level gump list, which ticks it once per interface pass. */
#include "client/gumps/framework/missile_gump.h"

#include "client/gumps/framework/gump_manager.h"

CMissileGump::CMissileGump()
{
    name = "missile gump";
}

void CMissileGump::Dispose() { CGumpManager::DestroyGump(this); }

void InstallMissileGumps(bool on)
{
    if (!on) {
        SetEffectMaker(nullptr);
        return;
    }
    SetEffectMaker([]() -> MissileEffect* {
        auto* gump = new CMissileGump();
        gump->AttachToParent(nullptr);
        return gump;
    });
}
