/** @file Fuzz target: a stream of server packets through target requests and previews, pickers, prompts, queries, name answers and walk-to. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
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
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {});
}
