/** @file Fuzz target: the key store's text form, parsed, written back and parsed again. */
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/keystore/key_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::KeyTree tree = platform::KeyTree::parse(text);
    // Whatever was understood must survive a write and a read unchanged.
    const std::string written = tree.serialize();
    if (platform::KeyTree::parse(written).serialize() != written)
        std::abort();
    return 0;
}
