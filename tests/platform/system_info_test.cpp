/** @file Tests of the machine facts: the parsers on fixed texts, the real backend for sanity. */
#include "platform/system/system_info.h"

#include <gtest/gtest.h>

TEST(SystemInfo, ReadsTheFirstProcessorOfCpuInfo)
{
    const char* text = "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
                       "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\ncpu MHz\t\t: 3191.9996\n\n"
                       "processor\t: 1\ncpu family\t: 15\nmodel name\t: Other\ncpu MHz\t\t: 800.000\n";
    platform::SystemFacts facts;
    platform::parseCpuInfo(text, facts);
    EXPECT_EQ(facts.processorFamily, 6);
    EXPECT_EQ(facts.processorName, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
    EXPECT_EQ(facts.processorMHz, 3192u);

    // Machines that name no family or speed keep the defaults (family 6, speed unknown).
    platform::SystemFacts arm;
    platform::parseCpuInfo("processor\t: 0\nBogoMIPS\t: 48.00\nCPU implementer\t: 0x41\n", arm);
    EXPECT_EQ(arm.processorFamily, 6);
    EXPECT_EQ(arm.processorMHz, 0u);
    EXPECT_EQ(arm.processorName, "");
}

TEST(SystemInfo, PicksFixedDisksFromTheMountTable)
{
    const char* text = "sysfs /sys sysfs rw 0 0\n"
                       "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
                       "tmpfs /run tmpfs rw 0 0\n"
                       "/dev/sda1 /mnt/my\\040data xfs rw 0 0\n"
                       "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                       "/dev/loop4 /mnt/image ext4 ro 0 0\n"
                       "/dev/sr0 /media/cd iso9660 ro 0 0\n"
                       "overlay / overlay rw 0 0\n"
                       "pool/home /home zfs rw 0 0\n"
                       "short line\n";
    const auto mounts = platform::parseMounts(text);
    ASSERT_EQ(mounts.size(), 9u);
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/my data");
    std::vector<std::string> fixed;
    for (const auto& m : mounts)
        if (platform::isFixedDiskMount(m))
            fixed.push_back(m.mountPoint);
    EXPECT_EQ(fixed, (std::vector<std::string>{"/", "/mnt/my data", "/home"}));
}

TEST(SystemInfo, RealMachineGivesPlausibleFacts)
{
    platform::LinuxSystemInfo info;
    const platform::SystemFacts facts = info.query();
    EXPECT_GE(facts.processorCount, 1u);
    EXPECT_GT(facts.physicalMemoryBytes, 16u * 1024 * 1024);
    EXPECT_TRUE(facts.timeZoneKnown);
    EXPECT_LE(std::abs(facts.timeZoneBiasMinutes), 14 * 60);
    for (const auto& disk : facts.fixedDisks)
        EXPECT_GT(disk.totalBytes, 0u) << disk.mountPoint;
}
