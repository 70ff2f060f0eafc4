/** @file The effect gump: each graphic effect lives in the top-level gump list, which ticks it once per interface pass. */
#pragma once

#include "client/gumps/framework/gump.h"
#include "client/render/effects.h"

/**
 * A graphic effect as a top-level gump ("missile gump"). It has no area of its own (its draw
 * item puts it into the world view) and answers 1 to the effect question. It ends itself
 * through the gump manager; a gump list that deletes it drops its follow-up sequence.
 */
class CMissileGump final : public CGump, public MissileEffect {
public:
    CMissileGump();
    int IsMissileGump() override { return 1; }
    void Update() override { Tick(); }
    void Dispose() override;
};

/** Makes every new effect a CMissileGump at the front of the top-level list; null puts back plain effects. */
void InstallMissileGumps(bool on);
