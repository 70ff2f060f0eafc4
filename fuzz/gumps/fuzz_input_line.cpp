/** @file Fuzz target: random keys and pastes typed into the input line of the game screen. */
#include "fuzz/gumps/typed_keys.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/render/text_manager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    typedkeys::setUpOnce();
    if (size < 3)
        return 0;
    // data[0]: bit 0 the 16-bit mode; data[1] and data[2] are not read (the header of the other typing targets).
    UnicodeSpeech = (data[0] & 1) != 0 ? 1 : 0;
    // In the game with nothing focused the keys go to the input line. Each input has a line of its
    // own, as the start-up makes it: nothing (a line to recall) is left from the input before.
    g_bInGame = true;
    CInputWindow line;
    // As the window procedure types: the focused control first (the line may have opened one), else the line.
    auto type = [&](uint16_t unit) {
        if (CFocusedControl* focused = CGumpManager::FocusedControl())
            focused->OnTypedChar(unit);
        else
            line.OnChar(unit);
    };
    typedkeys::readKeys(data, size, 3, false, [&](const typedkeys::Step& s) {
        if (s.kind == typedkeys::Step::Paste)
            typedkeys::paste(s.units, type);
        else
            type(s.unit);
        if (line.Line().size() > CInputWindow::kMaxLine)
            std::abort();
    });
    g_bInGame = false;
    // The system lines the input wrote to the journal go, as at the start of a game.
    TextManager::startup();
    return 0;
}
