/** @file Fuzz target: a hues.mul image, then a nearest-hue search. */
#include "client/data/hue_manager.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HueManager::LoadFrom(data, size);
    HueManager::FindNearestHue(size > 1 ? static_cast<uint16_t>(data[0] | data[1] << 8) : 0);
    return 0;
}
