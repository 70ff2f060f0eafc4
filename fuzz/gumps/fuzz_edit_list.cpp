/** @file Fuzz target: random keys, pastes and row changes in the rows of an edit list. */
#include "fuzz/gumps/typed_keys.h"

#include "client/core/config_store.h"
#include "client/gumps/framework/edit_list.h"
#include "client/gumps/framework/gump_canvas.h"
#include "client/gumps/framework/gump_manager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

/**
 * The rows are linked both ways, each row's field is alive and knows its row, and there are no
 * more than the limit; every field a step may have changed keeps its promises. A typed unit goes
 * to the field with the focus, which may hand it on to a neighbour (a row emptied and deleted),
 * and a row is added only at the end: after a unit or a command those are the fields that had
 * the focus before and after it and the last row (a field whose row was deleted is gone). A
 * paste may tab from row to row, so after one every field is checked.
 */
void checkList(const CEditListGump* list, const CGump* focusBefore, bool everyField)
{
    const CGump* focusAfter = CGumpManager::Focus();
    int count = 0;
    for (EditListRow* r = list->FirstRow(); r != nullptr; r = r->next, ++count) {
        CInputControlGump* field = r->control;
        EditListRow* next = r->next;
        if (!IsLiveGump(field) || field->row != r || (next != nullptr && next->prev != r))
            std::abort();
        if (everyField || field == focusBefore || field == focusAfter || next == nullptr)
            typedkeys::check(field);
    }
    if (count != list->RowCount() || count > list->rowLimit)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    typedkeys::setUpOnce();
    if (size < 3)
        return 0;
    // data[0]: bit 0 the 16-bit mode; data[1] the row limit; data[2] bit 0 the new-row mode.
    // In the keys, 0xF2 r focuses row r (and presses it with bit 7).
    UnicodeSpeech = (data[0] & 1) != 0 ? 1 : 0;
    auto* list = new CEditListGump(0, 0, 0, 0, 0, 1 + data[1] % 12);
    list->newRowMode = data[2] & 1;
    list->AddEntry("first", 0);
    list->AddEntry("", 0);
    CGumpManager::SetFocus(list->FirstRow()->control);
    typedkeys::readKeys(data, size, 3, true, [&](const typedkeys::Step& s) {
        const CGump* focusBefore = CGumpManager::Focus();
        if (s.kind == typedkeys::Step::Paste) {
            typedkeys::paste(s.units, typedkeys::typeIntoFocus);
        } else if (s.kind == typedkeys::Step::Command) {
            int k = s.argument % list->RowCount();
            EditListRow* r = list->FirstRow();
            while (k-- > 0)
                r = r->next;
            CGumpManager::SetFocus(r->control);
            if (s.argument & 0x80)
                list->OnChildPress(r->control);
        } else {
            typedkeys::typeIntoFocus(s.unit);
        }
        checkList(list, focusBefore, s.kind == typedkeys::Step::Paste);
    });
    for (EditListRow* r = list->FirstRow(); r != nullptr; r = r->next)
        typedkeys::drawField(r->control);
    // The list itself, as a frame draws it: its background is painted from the rows left.
    uint16_t screen[64 * 64] = {};
    list->Draw(GumpCanvas{{0, 0, 64, 64}, screen, 64});
    CGumpManager::SetFocus(nullptr);
    delete list;
    return 0;
}
