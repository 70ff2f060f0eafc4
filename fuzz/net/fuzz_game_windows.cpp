/** @file Fuzz target: a stream of server packets through books, bulletin boards, paperdolls, signs, server gumps, map courses and region texts. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
    {PKT_BookHeader, HandleBookHeader},
    {PKT_BookPages, HandleBookPages},
    {PKT_BulletinBoard, HandleBulletinBoard},
    {PKT_OpenPaperdoll, HandleOpenPaperdoll},
    {PKT_Id8B, HandleSignGump},
    {PKT_GenericGump, HandleGenericGump},
    {PKT_MapCourse, HandleMapCourse},
    {PKT_RegionInfo, HandleRegionInfo},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1, .pack = true, .mapItem = true});
}
