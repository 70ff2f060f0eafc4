/** @file Fuzz target: a stream of server packets through the edit-server data: multi and skill data, tile data and art updates, the edit records. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_VersionedData92,
    PKT_VersionedData94,
    PKT_TileDataUpdate,
    PKT_Id42,
    PKT_Id3E,
    PKT_Id3F,
    PKT_Id40,
    PKT_Id43,
    PKT_Id44,
    PKT_Id45,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {});
}
