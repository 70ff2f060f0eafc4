/** @file The hardware profile: gathering from the system facts and the key store, saving and loading, the version text. */
#include "client/core/hw_profile.h"

#include "tests/core/report_sandbox.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kClassKey = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\";
constexpr const char* kCpuKey = "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

class HWProfileTest : public ::testing::Test {
protected:
    HWProfileTest()
    {
        facts_.processorFamily = 6;
        facts_.processorMHz = 2400;
        facts_.processorCount = 8;
        facts_.physicalMemoryBytes = 512ull << 20;
        facts_.fixedDisks = {{"/", 40000ull << 20}, {"/home", 60000ull << 20}, {"/boot", 500ull << 20}};
        facts_.timeZoneKnown = true;
        facts_.timeZoneBiasMinutes = -90;
        platform_.systemInfo().setFacts(facts_);
    }

    platform::KeyStore& keys() { return platform_.keyStore(); }

    testsupport::ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
    platform::SystemFacts facts_;
};

TEST_F(HWProfileTest, GathersTheSystemFacts)
{
    HWProfile profile;
    EXPECT_EQ(GatherHWProfile(profile), 1);
    EXPECT_EQ(profile.processorType, 4);
    EXPECT_EQ(profile.processorClock, 0); // above 750 MHz
    EXPECT_EQ(profile.nProcessors, 8);
    EXPECT_EQ(profile.totalRAMInMB, 512);
    EXPECT_EQ(profile.largestPartitionInMB, 60000);
    EXPECT_EQ(profile.timeZoneBias, -90);
    EXPECT_EQ(GetTimeZoneBiasHours(), -1);
    // No modem and no display keys: empty texts.
    const HWProfile empty;
    EXPECT_EQ(std::memcmp(profile.szModemManufacturer, empty.szModemManufacturer, 32), 0);
    EXPECT_EQ(std::memcmp(profile.szVideoCardDescrip1, empty.szVideoCardDescrip1, 32), 0);
}

TEST_F(HWProfileTest, ProcessorTypeAndClock)
{
    struct Case {
        int family;
        uint32_t factsMHz;
        std::optional<uint32_t> storedMHz;
        uint8_t type;
        uint16_t clock;
    };
    const Case cases[] = {
        {3, 33, std::nullopt, 1, 33},    {4, 100, std::nullopt, 2, 100}, {5, 750, std::nullopt, 3, 750},
        {6, 800, std::nullopt, 4, 0},    {15, 0, std::nullopt, 4, 0},    {5, 3000, 266u, 3, 266},
        {5, 200, 751u, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.family) + "/" + std::to_string(c.factsMHz));
        facts_.processorFamily = c.family;
        facts_.processorMHz = c.factsMHz;
        platform_.systemInfo().setFacts(facts_);
        keys().removeKey(kCpuKey);
        if (c.storedMHz)
            keys().setUInt32(kCpuKey, "~MHz", *c.storedMHz);
        HWProfile profile;
        GatherHWProfile(profile);
        EXPECT_EQ(profile.processorType, c.type);
        EXPECT_EQ(profile.processorClock, c.clock);
        EXPECT_EQ(GetCpuMHz(), c.storedMHz.value_or(c.factsMHz));
    }
}

TEST_F(HWProfileTest, TextsFromTheKeyStoreAndSixteenBitSizes)
{
    const std::string classKey = kClassKey;
    keys().setString(classKey + "Modem\\0000", "Manufacturer", "Acme Modems");
    keys().setString(classKey + "Modem\\0000", "Model", std::string(40, 'm'));
    keys().setString(classKey + "Display\\0001", "DriverDesc", "Second Adapter");
    facts_.physicalMemoryBytes = 65537ull << 20;
    facts_.fixedDisks = {{"/big", 70000ull << 20}};
    platform_.systemInfo().setFacts(facts_);

    HWProfile profile;
    ASSERT_EQ(GatherHWProfile(profile), 1);
    EXPECT_STREQ(profile.szModemManufacturer, "Acme Modems");
    EXPECT_EQ(std::string(profile.szModemDescrip), std::string(31, 'm'));
    EXPECT_EQ(profile.szModemDescrip[31], '\0');
    EXPECT_STREQ(profile.szVideoCardDescrip1, "");
    EXPECT_STREQ(profile.szVideoCardDescrip2, "Second Adapter");
    EXPECT_EQ(profile.totalRAMInMB, 1);                      // 65537 MB, low 16 bits
    EXPECT_EQ(profile.largestPartitionInMB, 70000 - 65536);  // low 16 bits
}

TEST_F(HWProfileTest, UnknownTimeZoneGivesZeroAndKeepsWhatWasFilled)
{
    facts_.timeZoneKnown = false;
    platform_.systemInfo().setFacts(facts_);
    keys().setString(std::string(kClassKey) + "Modem\\0000", "Manufacturer", "Acme");
    HWProfile profile;
    std::strcpy(profile.szModemManufacturer, "before");
    EXPECT_EQ(GatherHWProfile(profile), 0);
    EXPECT_EQ(profile.nProcessors, 8);
    EXPECT_STREQ(profile.szModemManufacturer, "before");
}

TEST_F(HWProfileTest, SaveAndLoadRoundTripThroughTheKeyStore)
{
    HWProfile loaded;
    EXPECT_FALSE(LoadHWProfile(loaded)); // nothing saved yet

    HWProfile saved;
    saved.processorType = 3;
    saved.processorClock = 0x1234;
    saved.nProcessors = 2;
    std::strcpy(saved.szVideoCardDescrip1, "Adapter One");
    std::memset(saved.szModemDescrip, 'z', 32); // a full field without a terminator
    saved.totalRAMInMB = 4096;
    saved.largestPartitionInMB = 65535;
    saved.timeZoneBias = -480;
    ASSERT_TRUE(SaveHWProfile(saved));

    EXPECT_EQ(keys().getBinary(HW_PROFILE_KEY, "processorClock"), (std::vector<uint8_t>{0x34, 0x12}));
    EXPECT_EQ(keys().getBinary(HW_PROFILE_KEY, "timeZoneBias"), (std::vector<uint8_t>{0x20, 0xFE, 0xFF, 0xFF}));
    ASSERT_TRUE(LoadHWProfile(loaded));
    EXPECT_EQ(loaded, saved);

    struct Damage {
        const char* name;
        bool binary;
        std::vector<uint8_t> bytes;
    };
    const Damage damages[] = {
        {"processorClock", true, {0x34}},
        {"timeZoneBias", true, {}},
        {"szModemDescrip", false, std::vector<uint8_t>(33, 'x')},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        ASSERT_TRUE(SaveHWProfile(saved));
        if (d.binary)
            keys().setBinary(HW_PROFILE_KEY, d.name, d.bytes);
        else
            keys().setString(HW_PROFILE_KEY, d.name, std::string(d.bytes.begin(), d.bytes.end()));
        HWProfile partial;
        EXPECT_FALSE(LoadHWProfile(partial));
    }
    ASSERT_TRUE(SaveHWProfile(saved));
    keys().removeValue(HW_PROFILE_KEY, "nProcessors");
    EXPECT_FALSE(LoadHWProfile(loaded));
}

TEST(CVersionManagerTest, VersionStringIsBuiltOnce)
{
    const char* first = CVersionManager::GetVersionString();
    EXPECT_STREQ(first, "3.0.0c");
    EXPECT_EQ(CVersionManager::GetVersionString(), first);
}

} // namespace
