/** @file Fuzz target: random keys and pastes typed into each kind of text field, into the rows of an edit list and into the input line. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/data/font_manager.h"
#include "client/gumps/framework/edit_list.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/input_window.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

/** Two fonts of 5 x 7 glyphs, except that the characters 0x80-0x9F have none. */
void loadFonts()
{
    std::vector<uint8_t> image;
    for (int font = 0; font < 2; ++font) {
        image.push_back(1);
        for (int c = 32; c < 256; ++c) {
            const bool absent = c >= 0x80 && c < 0xA0;
            const uint8_t w = absent ? 0 : 5, h = absent ? 0 : 7;
            image.insert(image.end(), {w, h, 0});
            image.insert(image.end(), static_cast<size_t>(w) * h * 2, 0x21);
        }
    }
    FontManager::loadFontsFrom(image.data(), image.size());
}

void check(const CInputControlGump* f)
{
    const int length = f->Length();
    if (length > CInputControlGump::kTextSize - 1 || f->Text()[length] != 0)
        std::abort();
    if (f->mode == CInputControlGump::ModeText || f->mode == CInputControlGump::ModeDropDown) {
        if (length > f->Limit() || f->caret < 0 || f->caret > length || f->firstShown < 0)
            std::abort();
    } else if (f->value > f->Limit() && f->Limit() > 0) {
        std::abort();
    }
}

void checkList(const CEditListGump* list)
{
    int count = 0;
    for (EditListRow* r = list->FirstRow(); r != nullptr; r = r->next, ++count) {
        if (!IsLiveGump(r->control) || r->control->row != r || (r->next != nullptr && r->next->prev != r))
            std::abort();
        check(r->control);
    }
    if (count != list->RowCount() || count > list->rowLimit)
        std::abort();
}

/** The input line of the game screen, made once as the start-up makes it. */
CInputWindow& theInputLine()
{
    static CInputWindow* line = new CInputWindow();
    return *line;
}

/** What the window procedure does with a typed unit: the focused control takes it, else the input line in the game. */
void typeUnit(uint16_t unit)
{
    if (CFocusedControl* focused = CGumpManager::FocusedControl())
        focused->OnTypedChar(unit);
    else if (g_bInGame)
        theInputLine().OnChar(unit);
}

/** A paste as the main window makes it: cut to the room of the focused control's kind. */
void paste(const std::vector<uint16_t>& units)
{
    CFocusedControl* focused = CGumpManager::FocusedControl();
    size_t room = 240;
    if (focused != nullptr)
        room = focused->IsSingleLine() ? 80 : focused->IsMultiLine() ? 1000 : 240;
    // Asked once, before typing: a typed unit may close the control (a row of a list deleted).
    const bool stopAtReturn = focused != nullptr && focused->IsSingleLine();
    for (size_t i = 0; i < units.size() && i < room; ++i) {
        if (stopAtReturn && units[i] == 13)
            break;
        typeUnit(units[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: the fields' art is missing here, and a log line per drawing would cost more than the typing.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    static const bool fontsLoaded = (loadFonts(), true);
    (void)quiet;
    (void)fontsLoaded;
    if (size < 3)
        return 0;
    UnicodeSpeech = (data[0] & 1) != 0 ? 1 : 0;
    const int kind = (data[0] >> 1) & 7;
    const int limit = kind == 1 ? data[1] * 1000 : data[1] * 2;
    const int width = static_cast<int8_t>(data[2]);

    CInputControlGump* field = nullptr;
    CEditListGump* list = nullptr;
    // With bit 4 nothing has the focus and the keys go to the input line.
    g_bInGame = (data[0] & 0x10) != 0;
    if (g_bInGame) {
        // Each input starts on an empty line in the say mode.
        while (!theInputLine().Line().empty())
            theInputLine().OnChar(8);
        theInputLine().SetSpeechMode(CInputWindow::Say);
    } else if (kind == 7) {
        list = new CEditListGump(0, 0, 0, 0, 0, 1 + data[1] % 12);
        list->newRowMode = data[2] & 1;
        list->AddEntry("first", 0);
        list->AddEntry("", 0);
        CGumpManager::SetFocus(list->FirstRow()->control);
    } else if (kind == 6) {
        field = new CLoginInputControlGump(0, 0, nullptr, width, 20, 0, limit, 1, 902, 1, 0, 0);
    } else {
        const int mode = kind == 1 ? CInputControlGump::ModeNumber : kind == 2 ? CInputControlGump::ModeDropDown
                                                                             : CInputControlGump::ModeText;
        field = new CInputControlGump(0, 0, nullptr, width, 20, mode, limit, data[2] & 1, 902, 1, kind == 2, 0);
        field->password = kind == 3;
        field->multiLine = kind == 4;
        field->stopWhenFull = kind == 5;
    }
    if (field != nullptr)
        CGumpManager::SetFocus(field);

    for (size_t i = 3; i < size; ++i) {
        const uint8_t b = data[i];
        if (b >= 0xE0 && b <= 0xEF) {
            typeUnit(static_cast<uint16_t>(0xE021 + (b - 0xE0)));
        } else if (b == 0xF0 && i + 2 < size) {
            typeUnit(static_cast<uint16_t>(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else if (b == 0xF1 && i + 1 < size) {
            const size_t n = std::min<size_t>(data[i + 1], size - i - 2);
            std::vector<uint16_t> units;
            for (size_t k = 0; k < n; ++k)
                units.push_back(data[i + 2 + k] == 0xFF ? 0x20AC : data[i + 2 + k]);
            // A long paste is the same bytes again and again.
            std::vector<uint16_t> longer;
            for (int r = 0; r < 8; ++r)
                longer.insert(longer.end(), units.begin(), units.end());
            paste(longer);
            i += 1 + n;
        } else if (b == 0xF2 && i + 1 < size && list != nullptr) {
            int k = data[++i] % list->RowCount();
            EditListRow* r = list->FirstRow();
            while (k-- > 0)
                r = r->next;
            CGumpManager::SetFocus(r->control);
            if (data[i] & 0x80)
                list->OnChildPress(r->control);
        } else {
            typeUnit(b);
        }
        if (field != nullptr)
            check(field);
        else if (list != nullptr)
            checkList(list);
        else if (theInputLine().Line().size() > CInputWindow::kMaxLine)
            std::abort();
    }
    g_bInGame = false;
    CGumpManager::SetFocus(nullptr);
    delete field;
    delete list;
    return 0;
}
