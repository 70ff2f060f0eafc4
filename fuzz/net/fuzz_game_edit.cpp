/** @file Fuzz target: a stream of server packets through the edit-server data: multi and skill data, tile data and art updates, the edit records. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
    {PKT_VersionedData92, HandleMultiData},
    {PKT_VersionedData94, HandleSkillData},
    {PKT_TileDataUpdate, HandleTileDataUpdate},
    {PKT_Id42, HandleArtUpdate},
    {PKT_Id3E, HandleEditData3E},
    {PKT_Id3F, HandleEditData3F},
    {PKT_Id40, HandleEditData40},
    {PKT_Id43, HandleEditData43},
    {PKT_Id44, HandleEditData44},
    {PKT_Id45, HandleEditData45},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {});
}
