/** @file Facts about the machine: processor, memory, fixed disks and time zone. */
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DiskInfo {
    std::string mountPoint;
    uint64_t totalBytes = 0;
};

struct SystemFacts {
    int processorFamily = 6;     // 3 = 386, 4 = 486, 5 = Pentium, 6 and above later families
    std::string processorName;   // the vendor's model name; empty when unknown
    uint32_t processorMHz = 0;   // 0 when unknown
    uint32_t processorCount = 1;
    uint64_t physicalMemoryBytes = 0;
    std::vector<DiskInfo> fixedDisks;
    bool timeZoneKnown = false;
    int32_t timeZoneBiasMinutes = 0; // UTC = local time + bias (west of Greenwich is positive)
};

/** Gathers the facts; may be slow (reads system files), so ask once. Any thread. */
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual SystemFacts query() = 0;
};

/** Reads /proc/cpuinfo, /proc/mounts and the C library's view of memory and local time. */
class LinuxSystemInfo final : public SystemInfo {
public:
    SystemFacts query() override;
};

/** Returns the facts it was given. */
class FakeSystemInfo final : public SystemInfo {
public:
    FakeSystemInfo() = default;
    explicit FakeSystemInfo(SystemFacts facts) : facts_(std::move(facts)) {}
    SystemFacts query() override { return facts_; }
    void setFacts(SystemFacts facts) { facts_ = std::move(facts); }

private:
    SystemFacts facts_;
};

/** Fills the processor family, name and speed from the text of /proc/cpuinfo (first processor). */
void parseCpuInfo(std::string_view text, SystemFacts& facts);

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string type;
};
/** The lines of /proc/mounts, with octal escapes ("\\040") in the fields decoded. */
std::vector<MountEntry> parseMounts(std::string_view text);
/** Whether a mount is a disk file system of the machine (a block device, not virtual or optical). */
bool isFixedDiskMount(const MountEntry& entry);

} // namespace platform
