/** @file Fuzz support for the typing targets: the fonts, the invariants of a text field, and the key stream read from the input. */
#pragma once

#include "client/core/kz_report.h"
#include "client/data/font_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace typedkeys {

/**
 * Made once per process: reports are made but not written (the fields' art is missing here, and
 * a log line per drawing would cost more than the typing), and fonts 0, 1 and 3 (the input
 * line's) are loaded with 5 x 7 glyphs, except that the characters 0x80-0x9F have none.
 */
inline void setUpOnce()
{
    static const bool done = [] {
        KZReport::setStateForTests(true, false);
        std::vector<uint8_t> image;
        for (int font = 0; font < 4; ++font) {
            image.push_back(font == 2 ? 0 : 1);
            if (font == 2)
                continue;
            for (int c = 32; c < 256; ++c) {
                const bool absent = c >= 0x80 && c < 0xA0;
                const uint8_t w = absent ? 0 : 5, h = absent ? 0 : 7;
                image.insert(image.end(), {w, h, 0});
                image.insert(image.end(), static_cast<size_t>(w) * h * 2, 0x21);
            }
        }
        FontManager::loadFontsFrom(image.data(), image.size());
        return true;
    }();
    (void)done;
}

/** What a field promises after every key: a terminated text within its limit and a caret inside it. */
inline void check(const CInputControlGump* f)
{
    // Runs after every key: each member is read once.
    const int length = f->Length();
    if (length > CInputControlGump::kTextSize - 1 || f->text[length] != 0)
        std::abort();
    const int mode = f->mode;
    const int limit = f->Limit();
    if (mode == CInputControlGump::ModeText || mode == CInputControlGump::ModeDropDown) {
        const int caret = f->caret;
        if (length > limit || caret < 0 || caret > length || f->firstShown < 0)
            std::abort();
    } else if (f->value > limit && limit > 0) {
        std::abort();
    }
}

/**
 * Draws a field as a frame would after a burst of keys (keys only mark its picture stale): the
 * picture is painted from the field's state, at the field's size.
 */
inline void drawField(CInputControlGump* f)
{
    const GumpBitmap* picture = f->Picture();
    if (picture == nullptr || picture->width != f->width || picture->height != f->height)
        std::abort();
}

/** One step of the key stream; the target types it (typeUnit / paste) or handles its own command byte. */
struct Step {
    enum Kind { Unit, Paste, Command } kind = Unit;
    uint16_t unit = 0;
    std::vector<uint16_t> units;
    uint8_t argument = 0;
};

/**
 * Reads the key stream from data[at]: 0xE0-0xEF are special keys, 0xF0 hi lo a 16-bit unit,
 * 0xF1 r n and n bytes a paste of those bytes repeated 1 + r % 8 times (0xFF: the euro sign),
 * 0xF2 a (where the target has commands) a command with its argument, any other byte a typed
 * unit. Calls step(const Step&) for each.
 */
template <class F>
void readKeys(const uint8_t* data, size_t size, size_t at, bool commands, const F& step)
{
    // One step for every input, with room for the longest paste made once: no input allocates here.
    static Step s = [] {
        Step first;
        first.units.reserve(8 * 255);
        return first;
    }();
    for (size_t i = at; i < size; ++i) {
        const uint8_t b = data[i];
        s.kind = Step::Unit;
        if (b >= 0xE0 && b <= 0xEF) {
            s.unit = static_cast<uint16_t>(0xE021 + (b - 0xE0));
        } else if (b == 0xF0 && i + 2 < size) {
            s.unit = static_cast<uint16_t>(data[i + 1] << 8 | data[i + 2]);
            i += 2;
        } else if (b == 0xF1 && i + 2 < size) {
            // A long paste is the same bytes again and again.
            const int repeat = 1 + data[i + 1] % 8;
            const size_t n = std::min<size_t>(data[i + 2], size - i - 3);
            s.kind = Step::Paste;
            s.units.clear();
            for (int r = 0; r < repeat; ++r)
                for (size_t k = 0; k < n; ++k)
                    s.units.push_back(data[i + 3 + k] == 0xFF ? 0x20AC : data[i + 3 + k]);
            i += 2 + n;
        } else if (b == 0xF2 && commands && i + 1 < size) {
            s.kind = Step::Command;
            s.argument = data[++i];
        } else {
            s.unit = b;
        }
        step(s);
    }
}

/** What the window procedure does with a typed unit when a control has the focus. */
inline void typeIntoFocus(uint16_t unit)
{
    if (CFocusedControl* focused = CGumpManager::FocusedControl())
        focused->OnTypedChar(unit);
}

/**
 * A paste as the main window makes it: cut to the room of the focused control's kind. The kind
 * is asked once, before typing: a typed unit may close the control (a row of a list deleted).
 */
template <class Type>
void paste(const std::vector<uint16_t>& units, const Type& type)
{
    CFocusedControl* focused = CGumpManager::FocusedControl();
    size_t room = 240;
    if (focused != nullptr)
        room = focused->IsSingleLine() ? 80 : focused->IsMultiLine() ? 1000 : 240;
    const bool stopAtReturn = focused != nullptr && focused->IsSingleLine();
    for (size_t i = 0; i < units.size() && i < room; ++i) {
        if (stopAtReturn && units[i] == 13)
            break;
        type(units[i]);
    }
}

} // namespace typedkeys
