/** @file Fuzz target: a stream of server packets through target requests and previews, pickers, prompts, queries, name answers and walk-to. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_Target,
    PKT_MultiPlacement,
    PKT_TargetWithPreview,
    PKT_PickerMenu,
    PKT_HuePicker,
    PKT_Prompt,
    PKT_UnicodePrompt,
    PKT_StringQuery,
    PKT_MobileName,
    PKT_WalkToLocation,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {});
}
