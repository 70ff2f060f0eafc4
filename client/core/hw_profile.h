/** @file The hardware profile sent to the server, the processor speed and the client's version text. */
#pragma once

#include <cstdint>

// The description of the player's machine the login sequence sends (packet 0xA4) when it
// differs from the copy saved at the last report. Texts are NUL-padded 8-bit, 32 bytes each.
struct HWProfile {
    uint8_t processorType = 0;   // 1 = 386, 2 = 486, 3 = 586, 4 = anything else
    uint16_t processorClock = 0; // MHz; 0 when above 750 or unknown
    uint8_t nProcessors = 0;
    char szVideoCardDescrip1[32] = {};
    char szVideoCardDescrip2[32] = {};
    char szModemManufacturer[32] = {};
    char szModemDescrip[32] = {};
    uint16_t totalRAMInMB = 0;
    uint16_t largestPartitionInMB = 0; // only the low 16 bits of the size are kept
    int32_t timeZoneBias = 0;          // minutes, UTC minus local time

    bool operator==(const HWProfile&) const = default;
};

/** The saved copy lives under this key of the key store. */
inline constexpr const char* HW_PROFILE_KEY =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0\\HWProfile";

/** Fills the record from the system facts and the key store; 0 when the time zone is unknown. */
int GatherHWProfile(HWProfile& profile);
/** Writes every field to the key store, stopping at the first failure. */
bool SaveHWProfile(const HWProfile& profile);
/** Reads every field back; true only when each one was read with its size. */
bool LoadHWProfile(HWProfile& profile);
/** The processor clock in MHz from the key store, else from the system facts; 0 when unknown. */
uint32_t GetCpuMHz();
/** The time-zone bias in whole hours kept by the last GatherHWProfile. */
int32_t GetTimeZoneBiasHours();

namespace CVersionManager {

void startup();
void shutdown();
/** "3.0.0c": built on first use, the same buffer on every call. */
const char* GetVersionString();

} // namespace CVersionManager
