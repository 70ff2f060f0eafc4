/** @file Machine facts read from the system. */
#include "platform/system/system_info.h"

namespace platform {

SystemFacts LinuxSystemInfo::query() { return {}; }
void parseCpuInfo(std::string_view, SystemFacts&) {}
std::vector<MountEntry> parseMounts(std::string_view) { return {}; }
bool isFixedDiskMount(const MountEntry&) { return false; }

} // namespace platform
