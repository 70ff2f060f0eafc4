/** @file The hardware profile, the processor speed and the client's version text. */
#include "client/core/hw_profile.h"

#include "client/core/kz_report.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr const char* kCpuKey = "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const char* kClassKey = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\";
constexpr uint32_t kHighestReportedMHz = 750;
constexpr size_t kTextSize = 32;

int32_t gTimeZoneBiasHours = 0;

/** Copies a key store text into a 32-byte field: at most 31 characters and a NUL, the rest NUL. */
void readText(platform::KeyStore& keys, const std::string& key, const char* name, char (&field)[kTextSize])
{
    std::memset(field, 0, kTextSize);
    if (const auto value = keys.getString(key, name))
        std::memcpy(field, value->data(), std::min(value->size(), kTextSize - 1));
}

uint8_t processorTypeOf(int family)
{
    switch (family) {
    case 3: return 1;
    case 4: return 2;
    case 5: return 3;
    default: return 4;
    }
}

uint32_t cpuMHz(const platform::SystemFacts& facts)
{
    platform::KeyStore& keys = *platform::current().keyStore;
    for (const char* name : {"~MHz", "~Mhz", "~mhz"})
        if (const auto mhz = keys.getUInt32(kCpuKey, name))
            return *mhz;
    return facts.processorMHz;
}

template <size_t N> std::vector<uint8_t> littleEndian(uint64_t value)
{
    std::vector<uint8_t> bytes(N);
    for (size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

/** The binary value when it has exactly N bytes, as an unsigned little-endian number. */
template <size_t N> std::optional<uint64_t> readLittleEndian(platform::KeyStore& keys, const char* name)
{
    const auto bytes = keys.getBinary(HW_PROFILE_KEY, name);
    if (!bytes || bytes->size() != N)
        return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 0; i < N; ++i)
        value |= static_cast<uint64_t>((*bytes)[i]) << (8 * i);
    return value;
}

/** The text of a NUL-padded field: up to its first NUL, all 32 bytes when it has none. */
std::string_view fieldText(const char (&field)[kTextSize])
{
    return std::string_view(field, strnlen(field, kTextSize));
}

bool loadText(platform::KeyStore& keys, const char* name, char (&field)[kTextSize])
{
    const auto value = keys.getString(HW_PROFILE_KEY, name);
    if (!value || value->size() > kTextSize)
        return false;
    std::memset(field, 0, kTextSize);
    std::memcpy(field, value->data(), value->size());
    return true;
}

} // namespace

uint32_t GetCpuMHz()
{
    return cpuMHz(platform::current().systemInfo->query());
}

int32_t GetTimeZoneBiasHours()
{
    return gTimeZoneBiasHours;
}

int GatherHWProfile(HWProfile& profile)
{
    const platform::SystemFacts facts = platform::current().systemInfo->query();
    profile.processorType = processorTypeOf(facts.processorFamily);
    profile.nProcessors = static_cast<uint8_t>(std::min<uint32_t>(facts.processorCount, 255));
    const uint32_t mhz = cpuMHz(facts);
    profile.processorClock = mhz > kHighestReportedMHz ? 0 : static_cast<uint16_t>(mhz);

    if (!facts.timeZoneKnown)
        return 0;
    profile.timeZoneBias = facts.timeZoneBiasMinutes;
    gTimeZoneBiasHours = facts.timeZoneBiasMinutes / 60;

    // Machines without these keys (every Linux machine unless configured) send empty texts.
    platform::KeyStore& keys = *platform::current().keyStore;
    const std::string classKey = kClassKey;
    readText(keys, classKey + "Modem\\0000", "Manufacturer", profile.szModemManufacturer);
    readText(keys, classKey + "Modem\\0000", "Model", profile.szModemDescrip);
    readText(keys, classKey + "Display\\0000", "DriverDesc", profile.szVideoCardDescrip1);
    readText(keys, classKey + "Display\\0001", "DriverDesc", profile.szVideoCardDescrip2);

    // Both sizes keep only their low 16 bits, as the record has no room for more.
    profile.totalRAMInMB = static_cast<uint16_t>(facts.physicalMemoryBytes >> 20);
    uint64_t largestMB = 0;
    for (const auto& disk : facts.fixedDisks)
        largestMB = std::max<uint64_t>(largestMB, disk.totalBytes / 1048576);
    profile.largestPartitionInMB = static_cast<uint16_t>(largestMB);
    return 1;
}

bool SaveHWProfile(const HWProfile& profile)
{
    platform::KeyStore& keys = *platform::current().keyStore;
    const auto binary = [&](const char* name, const std::vector<uint8_t>& bytes) {
        return keys.setBinary(HW_PROFILE_KEY, name, std::span<const uint8_t>(bytes));
    };
    const auto text = [&](const char* name, const char (&field)[kTextSize]) {
        return keys.setString(HW_PROFILE_KEY, name, fieldText(field));
    };
    return keys.createKey(HW_PROFILE_KEY) && binary("processorType", littleEndian<1>(profile.processorType)) &&
           binary("processorClock", littleEndian<2>(profile.processorClock)) &&
           binary("nProcessors", littleEndian<1>(profile.nProcessors)) &&
           text("szVideoCardDescrip1", profile.szVideoCardDescrip1) &&
           text("szVideoCardDescrip2", profile.szVideoCardDescrip2) &&
           text("szModemManufacturer", profile.szModemManufacturer) &&
           text("szModemDescrip", profile.szModemDescrip) &&
           binary("totalRAMInMB", littleEndian<2>(profile.totalRAMInMB)) &&
           binary("largestPartitionInMB", littleEndian<2>(profile.largestPartitionInMB)) &&
           binary("timeZoneBias", littleEndian<4>(static_cast<uint32_t>(profile.timeZoneBias)));
}

bool LoadHWProfile(HWProfile& profile)
{
    platform::KeyStore& keys = *platform::current().keyStore;
    if (!keys.keyExists(HW_PROFILE_KEY))
        return false;
    const auto type = readLittleEndian<1>(keys, "processorType");
    const auto clock = readLittleEndian<2>(keys, "processorClock");
    const auto count = readLittleEndian<1>(keys, "nProcessors");
    const auto ram = readLittleEndian<2>(keys, "totalRAMInMB");
    const auto disk = readLittleEndian<2>(keys, "largestPartitionInMB");
    const auto bias = readLittleEndian<4>(keys, "timeZoneBias");
    if (type)
        profile.processorType = static_cast<uint8_t>(*type);
    if (clock)
        profile.processorClock = static_cast<uint16_t>(*clock);
    if (count)
        profile.nProcessors = static_cast<uint8_t>(*count);
    if (ram)
        profile.totalRAMInMB = static_cast<uint16_t>(*ram);
    if (disk)
        profile.largestPartitionInMB = static_cast<uint16_t>(*disk);
    if (bias)
        profile.timeZoneBias = static_cast<int32_t>(static_cast<uint32_t>(*bias));
    // Every text is loaded, also after one that is missing.
    bool texts = loadText(keys, "szVideoCardDescrip1", profile.szVideoCardDescrip1);
    texts = loadText(keys, "szVideoCardDescrip2", profile.szVideoCardDescrip2) && texts;
    texts = loadText(keys, "szModemManufacturer", profile.szModemManufacturer) && texts;
    texts = loadText(keys, "szModemDescrip", profile.szModemDescrip) && texts;
    return texts && type && clock && count && ram && disk && bias;
}

namespace CVersionManager {

void startup()
{
    KZReport::message("CVersionManager::startup: begin.\n");
}

void shutdown()
{
}

const char* GetVersionString()
{
    static char version[32];
    if (version[0] == '\0')
        std::snprintf(version, sizeof version, "%d.%d.%d%s", 3, 0, 0, "c");
    return version;
}

} // namespace CVersionManager
