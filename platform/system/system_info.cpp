/** @file Machine facts read from /proc, sysconf, statvfs and the local time. */
#include "platform/system/system_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <set>

#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/fs/path.h"
#include "platform/text/text_scan.h"

namespace platform {

namespace {

template <typename Fn> void forEachLine(std::string_view text, Fn&& fn)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        fn(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string readText(const char* path)
{
    auto bytes = readWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

/** "\\040" and the like, as /proc/mounts writes spaces, tabs, newlines and backslashes. */
std::string decodeMountField(std::string_view field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 <= field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

} // namespace

void parseCpuInfo(std::string_view text, SystemFacts& facts)
{
    bool seenProcessor = false;
    bool done = false;
    forEachLine(text, [&](std::string_view line) {
        if (done)
            return;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return;
        const std::string_view key = trimBlanks(line.substr(0, colon));
        const std::string_view value = trimBlanks(line.substr(colon + 1));
        if (key == "processor") {
            if (seenProcessor) {
                done = true; // only the first processor's block is read
                return;
            }
            seenProcessor = true;
        } else if (key == "model name" || (key == "Processor" && facts.processorName.empty())) {
            facts.processorName = std::string(value);
        } else if (key == "cpu family") {
            int family = 0;
            auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), family);
            if (ec == std::errc() && family > 0)
                facts.processorFamily = family;
        } else if (key == "cpu MHz") {
            // from_chars for double is not in every library we build with; parse by hand.
            double mhz = 0;
            double scale = 0;
            for (char c : value) {
                if (c >= '0' && c <= '9') {
                    if (scale == 0)
                        mhz = mhz * 10 + (c - '0');
                    else {
                        mhz += (c - '0') * scale;
                        scale /= 10;
                    }
                } else if (c == '.' && scale == 0) {
                    scale = 0.1;
                } else {
                    break;
                }
            }
            if (mhz > 0 && mhz < 4.0e9)
                facts.processorMHz = static_cast<uint32_t>(std::lround(mhz));
        }
    });
}

std::vector<MountEntry> parseMounts(std::string_view text)
{
    std::vector<MountEntry> entries;
    forEachLine(text, [&](std::string_view line) {
        std::string_view fields[3];
        size_t count = 0;
        size_t i = 0;
        while (count < 3 && i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            const size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                ++i;
            if (i > start)
                fields[count++] = line.substr(start, i - start);
        }
        if (count == 3)
            entries.push_back(MountEntry{decodeMountField(fields[0]), decodeMountField(fields[1]),
                                         std::string(fields[2])});
    });
    return entries;
}

bool isFixedDiskMount(const MountEntry& entry)
{
    static const std::set<std::string, std::less<>> diskTypes = {
        "ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "jfs", "reiserfs", "vfat", "exfat", "ntfs", "ntfs3",
        "fuseblk", "hfsplus", "nilfs2", "bcachefs", "zfs"};
    if (!diskTypes.count(entry.type))
        return false;
    // zfs datasets are not named after a device; every other disk file system is.
    if (entry.type != "zfs" && entry.device.rfind("/dev/", 0) != 0)
        return false;
    return entry.device.rfind("/dev/loop", 0) != 0; // loop devices hold images, not disks
}

SystemFacts LinuxSystemInfo::query()
{
    SystemFacts facts;
    parseCpuInfo(readText("/proc/cpuinfo"), facts);

    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    facts.processorCount = processors > 0 ? static_cast<uint32_t>(processors) : 1;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        facts.physicalMemoryBytes = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);

    std::set<std::string> seenDevices; // a device mounted twice (bind mounts, subvolumes) counts once
    for (const MountEntry& entry : parseMounts(readText("/proc/mounts"))) {
        if (!isFixedDiskMount(entry) || !seenDevices.insert(entry.device).second)
            continue;
        struct statvfs vfs;
        if (::statvfs(entry.mountPoint.c_str(), &vfs) != 0)
            continue;
        facts.fixedDisks.push_back(
            DiskInfo{entry.mountPoint, static_cast<uint64_t>(vfs.f_blocks) * static_cast<uint64_t>(vfs.f_frsize)});
    }

    const std::time_t now = std::time(nullptr);
    std::tm local {};
    if (::localtime_r(&now, &local)) {
        facts.timeZoneKnown = true;
        facts.timeZoneBiasMinutes = static_cast<int32_t>(-local.tm_gmtoff / 60);
    }
    return facts;
}

} // namespace platform
