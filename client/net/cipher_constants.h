/** @file The fixed constants of the login-phase cipher, shared by the client and the loopback test server. */
#pragma once

#include <cstdint>

namespace netcipher {

// The four 16-bit constants of the register set-up, in the order of its steps: A's low half,
// A's high half, B's high half, B's low half.
inline constexpr uint16_t kSetup1 = 0x4F2A;
inline constexpr uint16_t kSetup2 = 0x91C3;
inline constexpr uint16_t kSetup3 = 0x6B5E;
inline constexpr uint16_t kSetup4 = 0x2D87;

// The three 32-bit constants of the per-byte step.
inline constexpr uint32_t kStep1 = 0x3A1D5C9B;
inline constexpr uint32_t kStep2 = 0xC47E0F61;
inline constexpr uint32_t kStep3 = 0x1F8B2A77;

} // namespace netcipher
