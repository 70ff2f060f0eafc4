/** @file The one table from SDL key codes to Windows virtual-key codes. */
#include "platform/sdl/sdl_keys.h"

#include "platform/window/virtual_keys.h"

#include <array>

namespace platform {

namespace {

// Macro files store these numbers, so a key must keep its number for good.
constexpr std::array kTable{
    SdlKeyMapping{SDLK_BACKSPACE, vk::Back},
    SdlKeyMapping{SDLK_TAB, vk::Tab},
    SdlKeyMapping{SDLK_CLEAR, vk::Clear},
    SdlKeyMapping{SDLK_RETURN, vk::Return},
    SdlKeyMapping{SDLK_KP_ENTER, vk::Return},
    SdlKeyMapping{SDLK_PAUSE, vk::Pause},
    SdlKeyMapping{SDLK_CAPSLOCK, vk::Capital},
    SdlKeyMapping{SDLK_ESCAPE, vk::Escape},
    SdlKeyMapping{SDLK_SPACE, vk::Space},
    SdlKeyMapping{SDLK_PAGEUP, vk::Prior},
    SdlKeyMapping{SDLK_PAGEDOWN, vk::Next},
    SdlKeyMapping{SDLK_END, vk::End},
    SdlKeyMapping{SDLK_HOME, vk::Home},
    SdlKeyMapping{SDLK_LEFT, vk::Left},
    SdlKeyMapping{SDLK_UP, vk::Up},
    SdlKeyMapping{SDLK_RIGHT, vk::Right},
    SdlKeyMapping{SDLK_DOWN, vk::Down},
    SdlKeyMapping{SDLK_PRINTSCREEN, vk::Snapshot},
    SdlKeyMapping{SDLK_INSERT, vk::Insert},
    SdlKeyMapping{SDLK_DELETE, vk::Delete},
    SdlKeyMapping{SDLK_0, '0'}, SdlKeyMapping{SDLK_1, '1'}, SdlKeyMapping{SDLK_2, '2'},
    SdlKeyMapping{SDLK_3, '3'}, SdlKeyMapping{SDLK_4, '4'}, SdlKeyMapping{SDLK_5, '5'},
    SdlKeyMapping{SDLK_6, '6'}, SdlKeyMapping{SDLK_7, '7'}, SdlKeyMapping{SDLK_8, '8'},
    SdlKeyMapping{SDLK_9, '9'},
    SdlKeyMapping{SDLK_a, 'A'}, SdlKeyMapping{SDLK_b, 'B'}, SdlKeyMapping{SDLK_c, 'C'},
    SdlKeyMapping{SDLK_d, 'D'}, SdlKeyMapping{SDLK_e, 'E'}, SdlKeyMapping{SDLK_f, 'F'},
    SdlKeyMapping{SDLK_g, 'G'}, SdlKeyMapping{SDLK_h, 'H'}, SdlKeyMapping{SDLK_i, 'I'},
    SdlKeyMapping{SDLK_j, 'J'}, SdlKeyMapping{SDLK_k, 'K'}, SdlKeyMapping{SDLK_l, 'L'},
    SdlKeyMapping{SDLK_m, 'M'}, SdlKeyMapping{SDLK_n, 'N'}, SdlKeyMapping{SDLK_o, 'O'},
    SdlKeyMapping{SDLK_p, 'P'}, SdlKeyMapping{SDLK_q, 'Q'}, SdlKeyMapping{SDLK_r, 'R'},
    SdlKeyMapping{SDLK_s, 'S'}, SdlKeyMapping{SDLK_t, 'T'}, SdlKeyMapping{SDLK_u, 'U'},
    SdlKeyMapping{SDLK_v, 'V'}, SdlKeyMapping{SDLK_w, 'W'}, SdlKeyMapping{SDLK_x, 'X'},
    SdlKeyMapping{SDLK_y, 'Y'}, SdlKeyMapping{SDLK_z, 'Z'},
    SdlKeyMapping{SDLK_LGUI, vk::LWin},
    SdlKeyMapping{SDLK_RGUI, vk::RWin},
    SdlKeyMapping{SDLK_APPLICATION, vk::Apps},
    SdlKeyMapping{SDLK_KP_0, vk::Numpad0 + 0}, SdlKeyMapping{SDLK_KP_1, vk::Numpad0 + 1},
    SdlKeyMapping{SDLK_KP_2, vk::Numpad0 + 2}, SdlKeyMapping{SDLK_KP_3, vk::Numpad0 + 3},
    SdlKeyMapping{SDLK_KP_4, vk::Numpad0 + 4}, SdlKeyMapping{SDLK_KP_5, vk::Numpad0 + 5},
    SdlKeyMapping{SDLK_KP_6, vk::Numpad0 + 6}, SdlKeyMapping{SDLK_KP_7, vk::Numpad0 + 7},
    SdlKeyMapping{SDLK_KP_8, vk::Numpad0 + 8}, SdlKeyMapping{SDLK_KP_9, vk::Numpad0 + 9},
    SdlKeyMapping{SDLK_KP_MULTIPLY, vk::Multiply},
    SdlKeyMapping{SDLK_KP_PLUS, vk::Add},
    SdlKeyMapping{SDLK_KP_MINUS, vk::Subtract},
    SdlKeyMapping{SDLK_KP_PERIOD, vk::Decimal},
    SdlKeyMapping{SDLK_KP_DIVIDE, vk::Divide},
    SdlKeyMapping{SDLK_F1, vk::F1 + 0}, SdlKeyMapping{SDLK_F2, vk::F1 + 1},
    SdlKeyMapping{SDLK_F3, vk::F1 + 2}, SdlKeyMapping{SDLK_F4, vk::F1 + 3},
    SdlKeyMapping{SDLK_F5, vk::F1 + 4}, SdlKeyMapping{SDLK_F6, vk::F1 + 5},
    SdlKeyMapping{SDLK_F7, vk::F1 + 6}, SdlKeyMapping{SDLK_F8, vk::F1 + 7},
    SdlKeyMapping{SDLK_F9, vk::F1 + 8}, SdlKeyMapping{SDLK_F10, vk::F1 + 9},
    SdlKeyMapping{SDLK_F11, vk::F1 + 10}, SdlKeyMapping{SDLK_F12, vk::F1 + 11},
    SdlKeyMapping{SDLK_F13, vk::F1 + 12}, SdlKeyMapping{SDLK_F14, vk::F1 + 13},
    SdlKeyMapping{SDLK_F15, vk::F1 + 14}, SdlKeyMapping{SDLK_F16, vk::F1 + 15},
    SdlKeyMapping{SDLK_F17, vk::F1 + 16}, SdlKeyMapping{SDLK_F18, vk::F1 + 17},
    SdlKeyMapping{SDLK_F19, vk::F1 + 18}, SdlKeyMapping{SDLK_F20, vk::F1 + 19},
    SdlKeyMapping{SDLK_F21, vk::F1 + 20}, SdlKeyMapping{SDLK_F22, vk::F1 + 21},
    SdlKeyMapping{SDLK_F23, vk::F1 + 22}, SdlKeyMapping{SDLK_F24, vk::F1 + 23},
    SdlKeyMapping{SDLK_NUMLOCKCLEAR, vk::NumLock},
    SdlKeyMapping{SDLK_SCROLLLOCK, vk::Scroll},
    // The client asks "is Shift / Ctrl / Alt down", so both sides give the generic codes.
    SdlKeyMapping{SDLK_LSHIFT, vk::Shift}, SdlKeyMapping{SDLK_RSHIFT, vk::Shift},
    SdlKeyMapping{SDLK_LCTRL, vk::Control}, SdlKeyMapping{SDLK_RCTRL, vk::Control},
    SdlKeyMapping{SDLK_LALT, vk::Menu}, SdlKeyMapping{SDLK_RALT, vk::Menu},
    SdlKeyMapping{SDLK_SEMICOLON, vk::Oem1},
    SdlKeyMapping{SDLK_EQUALS, vk::OemPlus},
    SdlKeyMapping{SDLK_COMMA, vk::OemComma},
    SdlKeyMapping{SDLK_MINUS, vk::OemMinus},
    SdlKeyMapping{SDLK_PERIOD, vk::OemPeriod},
    SdlKeyMapping{SDLK_SLASH, vk::Oem2},
    SdlKeyMapping{SDLK_BACKQUOTE, vk::Oem3},
    SdlKeyMapping{SDLK_LEFTBRACKET, vk::Oem4},
    SdlKeyMapping{SDLK_BACKSLASH, vk::Oem5},
    SdlKeyMapping{SDLK_RIGHTBRACKET, vk::Oem6},
    SdlKeyMapping{SDLK_QUOTE, vk::Oem7},
};

} // namespace

std::span<const SdlKeyMapping> sdlKeyTable()
{
    return kTable;
}

uint32_t virtualKeyFromSdl(SDL_Keycode key)
{
    for (const SdlKeyMapping& m : kTable)
        if (m.sdl == key)
            return m.virtualKey;
    return 0;
}

} // namespace platform
