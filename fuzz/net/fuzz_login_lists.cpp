/** @file Fuzz target: the login handlers past the shard lists (character lists, refusals, popups, the relay, notices) on a stream of packets, before any world. */
#include "fuzz/net/login_fuzz_setup.h"

#include <cstddef>
#include <cstdint>

namespace {

// The ids of the handlers under test; the selector byte picks one.
const uint8_t kIds[] = {0xA9, 0x86, 0x82, 0x85, 0x53, 0x8C, 0x55, 0xC6, 0xA5, 0xA6};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    loginfuzz::readLoginInput("kz-fuzz-login-lists", data, size, kIds);
    return 0;
}
