/** @file Windows virtual-key codes: the key numbers of key messages, macro files and key names. */
#pragma once

#include <cstdint>

namespace platform::vk {

// Letters are 'A'..'Z' (0x41-0x5A) and the digit row '0'..'9' (0x30-0x39), as on Windows.
inline constexpr uint32_t Back = 0x08;
inline constexpr uint32_t Tab = 0x09;
inline constexpr uint32_t Clear = 0x0C;
inline constexpr uint32_t Return = 0x0D;
inline constexpr uint32_t Shift = 0x10;
inline constexpr uint32_t Control = 0x11;
inline constexpr uint32_t Menu = 0x12; // Alt
inline constexpr uint32_t Pause = 0x13;
inline constexpr uint32_t Capital = 0x14;
inline constexpr uint32_t Escape = 0x1B;
inline constexpr uint32_t Space = 0x20;
inline constexpr uint32_t Prior = 0x21; // Page Up
inline constexpr uint32_t Next = 0x22;  // Page Down
inline constexpr uint32_t End = 0x23;
inline constexpr uint32_t Home = 0x24;
inline constexpr uint32_t Left = 0x25;
inline constexpr uint32_t Up = 0x26;
inline constexpr uint32_t Right = 0x27;
inline constexpr uint32_t Down = 0x28;
inline constexpr uint32_t Snapshot = 0x2C;
inline constexpr uint32_t Insert = 0x2D;
inline constexpr uint32_t Delete = 0x2E;
inline constexpr uint32_t LWin = 0x5B;
inline constexpr uint32_t RWin = 0x5C;
inline constexpr uint32_t Apps = 0x5D;
inline constexpr uint32_t Numpad0 = 0x60; // Numpad0 + n for the keypad digits
inline constexpr uint32_t Multiply = 0x6A;
inline constexpr uint32_t Add = 0x6B;
inline constexpr uint32_t Subtract = 0x6D;
inline constexpr uint32_t Decimal = 0x6E;
inline constexpr uint32_t Divide = 0x6F;
inline constexpr uint32_t F1 = 0x70; // F1 + n - 1 up to F24 (0x87)
inline constexpr uint32_t NumLock = 0x90;
inline constexpr uint32_t Scroll = 0x91;
inline constexpr uint32_t LShift = 0xA0;
inline constexpr uint32_t RShift = 0xA1;
inline constexpr uint32_t LControl = 0xA2;
inline constexpr uint32_t RControl = 0xA3;
inline constexpr uint32_t LMenu = 0xA4;
inline constexpr uint32_t RMenu = 0xA5;
inline constexpr uint32_t Oem1 = 0xBA;      // ;:
inline constexpr uint32_t OemPlus = 0xBB;   // =+
inline constexpr uint32_t OemComma = 0xBC;  // ,<
inline constexpr uint32_t OemMinus = 0xBD;  // -_
inline constexpr uint32_t OemPeriod = 0xBE; // .>
inline constexpr uint32_t Oem2 = 0xBF;      // /?
inline constexpr uint32_t Oem3 = 0xC0;      // `~
inline constexpr uint32_t Oem4 = 0xDB;      // [{
inline constexpr uint32_t Oem5 = 0xDC;      // backslash |
inline constexpr uint32_t Oem6 = 0xDD;      // ]}
inline constexpr uint32_t Oem7 = 0xDE;      // '"

/** The characters that key-down must type itself, because the system sends no text for them. */
inline constexpr uint16_t controlCharacterFor(uint32_t key)
{
    switch (key) {
    case Back: return 8;
    case Tab: return 9;
    case Return: return 13;
    case Escape: return 27;
    default: return 0;
    }
}

} // namespace platform::vk
