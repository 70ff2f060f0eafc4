/** @file Fuzz target: random keys and pastes typed into each kind of text field. */
#include "fuzz/gumps/typed_keys.h"

#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    typedkeys::setUpOnce();
    if (size < 3)
        return 0;
    // data[0]: bit 0 the 16-bit mode, bits 1-3 the kind of field, bit 4 the look drawn at the end
    // (set: after the focus is gone); data[1] its limit; data[2] its width.
    UnicodeSpeech = (data[0] & 1) != 0 ? 1 : 0;
    const bool unfocusedLook = (data[0] & 0x10) != 0;
    const int kind = ((data[0] >> 1) & 7) % 7;
    const int limit = kind == 1 ? data[1] * 1000 : data[1] * 2;
    const int width = static_cast<int8_t>(data[2]);

    CInputControlGump* field = nullptr;
    if (kind == 6) {
        field = new CLoginInputControlGump(0, 0, nullptr, width, 20, 0, limit, 1, 902, 1, 0, 0);
    } else {
        const int mode = kind == 1 ? CInputControlGump::ModeNumber : kind == 2 ? CInputControlGump::ModeDropDown
                                                                             : CInputControlGump::ModeText;
        field = new CInputControlGump(0, 0, nullptr, width, 20, mode, limit, data[2] & 1, 902, 1, kind == 2, 0);
        field->password = kind == 3;
        field->multiLine = kind == 4;
        field->stopWhenFull = kind == 5;
    }
    CGumpManager::SetFocus(field);
    typedkeys::readKeys(data, size, 3, false, [&](const typedkeys::Step& s) {
        if (s.kind == typedkeys::Step::Paste)
            typedkeys::paste(s.units, typedkeys::typeIntoFocus);
        else
            typedkeys::typeIntoFocus(s.unit);
        typedkeys::check(field);
    });
    // One frame after the keys: with the focus (caret shown) or after losing it.
    if (!unfocusedLook)
        typedkeys::drawField(field);
    CGumpManager::SetFocus(nullptr);
    if (unfocusedLook)
        typedkeys::drawField(field);
    delete field;
    return 0;
}
