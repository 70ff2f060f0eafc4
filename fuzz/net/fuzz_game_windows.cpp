/** @file Fuzz target: a stream of server packets through books, bulletin boards, paperdolls, signs, server gumps, map courses and region texts. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_BookHeader,
    PKT_BookPages,
    PKT_BulletinBoard,
    PKT_OpenPaperdoll,
    PKT_Id8B,
    PKT_GenericGump,
    PKT_MapCourse,
    PKT_RegionInfo,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1, .pack = true, .mapItem = true});
}
