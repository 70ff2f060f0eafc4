/** @file Fuzz target: a stream of server packets through secure trade, the vendor buy and sell lists, the buy result and the skills list. */
#include "fuzz/net/game_handler_fuzz.h"

namespace {

constexpr gamefuzz::Handler kGroup[] = {
    {PKT_SecureTrade, HandleSecureTrade},
    {PKT_BuyList, HandleBuyList},
    {PKT_SellList, HandleSellList},
    {PKT_BuyItems, HandleBuyResult},
    {PKT_Skills, HandleSkills},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gamefuzz::run(data, size, kGroup, {.mobiles = 1, .pack = true});
}
