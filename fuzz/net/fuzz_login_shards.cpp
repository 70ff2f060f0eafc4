/** @file Fuzz target: the shard lists (0xA8, and 0x81 with its characters and cities), with the hardware survey they send, on a stream of packets. */
#include "fuzz/net/login_fuzz_setup.h"

#include <cstddef>
#include <cstdint>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0xA8, 0x81};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    loginfuzz::readLoginInput("kz-fuzz-login-shards", data, size, kIds);
    return 0;
}
