/** @file Fuzz target: the processor and mount tables the machine facts are read from. */
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/system/system_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::SystemFacts facts;
    platform::parseCpuInfo(text, facts);
    // Only a positive family replaces the default.
    if (facts.processorFamily <= 0)
        std::abort();
    for (const platform::MountEntry& entry : platform::parseMounts(text)) {
        if (entry.mountPoint.empty() || entry.device.empty() || entry.type.empty())
            std::abort();
        platform::isFixedDiskMount(entry);
    }
    return 0;
}
