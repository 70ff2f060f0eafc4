/** @file Fuzz target: a stream of server packets through effects, dragged items, sound, music, light, weather, game time and the sequence packet. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
    {PKT_GraphicEffect, HandleGraphicEffect},
    {PKT_HuedEffect, HandleHuedEffect},
    {PKT_ExtendedEffect, HandleParticleEffect},
    {PKT_Id23, HandleItemMove},
    {PKT_PlaySound, HandlePlaySound},
    {PKT_PlayMusic, HandlePlayMusic},
    {PKT_PersonalLight, HandlePersonalLight},
    {PKT_Weather, HandleWeather},
    {PKT_Id5B, HandleGameTime},
    {PKT_Sequence, HandleSequence},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1});
}
