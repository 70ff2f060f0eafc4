/** @file The stack amount gump: how many of a stack to lift, by slider or typed digits. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <string>

class CThumbGump;
class CButtonGump;

/**
 * Chooses how many of a stack to lift. The amount stays between 1 and the stack's amount,
 * whether set by the slider or typed; OK (or Enter) lifts that many. The gump keeps the item's
 * serial and asks the world for it again on OK, and closes when the item goes away.
 */
class CStackGump : public CGump, public CFocusedControl {
public:
    CStackGump(int x, int y, CObj* item);
    ~CStackGump() override;

    /** Draws the background and the amount text (with the caret while focused). */
    void DrawAmount();
    /** The OK button and Enter: lifts the chosen amount and closes. */
    void Accept();

    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnThumbMove(int position, int range, CGump* thumb) override;
    void OnChar(uint16_t character) override;
    void Update() override;
    int IsStackGump() override { return 1; }
    CFocusedControl* AsFocusedControl() override { return this; }

    bool IsSingleLine() const override { return true; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

    uint32_t itemSerial = 0;
    int maximum = 0;
    int amount = 0;
    std::string amountText;
    int textReplaced = 0;
    CThumbGump* slider = nullptr;
    CButtonGump* okButton = nullptr;

private:
    void pressOk() { Accept(); }
    int pressX_ = 0;
    int pressY_ = 0;
    int held_ = 0;
};
