/** @file Fuzz target: a stream of server packets through effects, dragged items, sound, music, light, weather, game time and the sequence packet. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_GraphicEffect,
    PKT_HuedEffect,
    PKT_ExtendedEffect,
    PKT_Id23,
    PKT_PlaySound,
    PKT_PlayMusic,
    PKT_PersonalLight,
    PKT_Weather,
    PKT_Id5B,
    PKT_Sequence,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1});
}
