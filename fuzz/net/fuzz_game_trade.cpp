/** @file Fuzz target: a stream of server packets through secure trade, the vendor buy and sell lists, the buy result and the skills list. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr uint8_t kGroup[] = {
    PKT_SecureTrade,
    PKT_BuyList,
    PKT_SellList,
    PKT_BuyItems,
    PKT_Skills,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1, .pack = true});
}
